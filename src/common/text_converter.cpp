#include "common/text_converter.h"

#include <iconv.h>

#include <cerrno>

namespace harvel {

TextConverter::TextConverter(const char* to, const char* from)
    : cd_(static_cast<void*>(iconv_open(to, from))) {}

TextConverter::~TextConverter() {
  if (ok())
    iconv_close(static_cast<iconv_t>(cd_));
}

bool TextConverter::ok() const {
  return static_cast<iconv_t>(cd_) != reinterpret_cast<iconv_t>(-1);
}

std::size_t TextConverter::Append(std::string_view in, std::string& out) {
  const auto cd = static_cast<iconv_t>(cd_);
  char* inPtr = const_cast<char*>(in.data());
  std::size_t inLeft = in.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buffer, outPtr - buffer);
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG)
      break;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  return in.size() - inLeft;
}

}  // namespace harvel
