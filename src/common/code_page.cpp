#include "common/code_page.h"

#include <iconv.h>

#include <cerrno>

namespace harvel {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsLeadByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrailByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// One iconv conversion descriptor, closed when it goes out of scope.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok())
      iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in` as far as it goes and appends the result to `out`. Returns
  // the number of bytes of `in` that were converted: all of them on success.
  std::size_t Append(std::string_view in, std::string& out) {
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char buffer[4096];
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      out.append(buffer, outPtr - buffer);
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG)
        break;
    }
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    return in.size() - inLeft;
  }

 private:
  iconv_t cd_;
};

std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
  Converter converter(to, from);
  if (!converter.ok())
    return std::nullopt;
  std::string out;
  out.reserve(in.size() + in.size() / 2);
  if (converter.Append(in, out) != in.size())
    return std::nullopt;
  return out;
}

}  // namespace

std::size_t Cp932CharSize(std::string_view bytes) {
  if (bytes.empty())
    return 0;
  return bytes.size() >= 2 && IsLeadByte(bytes[0]) ? 2 : 1;
}

std::optional<std::string> Cp932ToUtf8(std::string_view bytes) {
  return Convert("UTF-8", "CP932", bytes);
}

std::string Cp932ToUtf8Lossy(std::string_view bytes) {
  Converter converter("UTF-8", "CP932");
  std::string out;
  if (!converter.ok())
    return out;
  out.reserve(bytes.size() + bytes.size() / 2);
  while (!bytes.empty()) {
    bytes.remove_prefix(converter.Append(bytes, out));
    if (bytes.empty())
      break;
    out.append(kReplacement);
    // An unknown double-byte code is one character, not two.
    const bool pair = bytes.size() >= 2 && IsLeadByte(bytes[0]) && IsTrailByte(bytes[1]);
    bytes.remove_prefix(pair ? 2 : 1);
  }
  return out;
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  std::optional<std::string> bytes = Convert("CP932", "UTF-8", utf8);
  if (!bytes)
    return std::nullopt;
  // iconv maps some characters to the code of a look-alike ("〜" to "～",
  // "¥" to "\"); such a text would change on the way back.
  const std::optional<std::string> back = Cp932ToUtf8(*bytes);
  if (!back || *back != utf8)
    return std::nullopt;
  return bytes;
}

}  // namespace harvel
