#include "record/file_sha256.h"

#include <openssl/evp.h>

#include <memory>

#include "common/regular_file.h"

namespace harvel {
namespace {

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

DigestContext NewContext() {
  DigestContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (context && EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
    context.reset();
  return context;
}

std::optional<std::string> Finish(EVP_MD_CTX* context) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_DigestFinal_ex(context, digest, &size) != 1)
    return std::nullopt;
  return std::string(reinterpret_cast<const char*>(digest), size);
}

}  // namespace

std::optional<std::string> FileSha256(const std::string& path) {
  // A named pipe in place of the file must not stall the crawl.
  RegularFile file = RegularFile::Open(path);
  if (!file)
    return std::nullopt;
  DigestContext context = NewContext();
  if (!context)
    return std::nullopt;
  char block[1 << 16];
  while (true) {
    const std::optional<std::size_t> n = file.read(block, sizeof block);
    if (!n)
      return std::nullopt;
    if (*n == 0)
      return Finish(context.get());
    EVP_DigestUpdate(context.get(), block, *n);
  }
}

std::string Sha256(std::string_view bytes) {
  DigestContext context = NewContext();
  if (!context)
    return {};
  EVP_DigestUpdate(context.get(), bytes.data(), bytes.size());
  return Finish(context.get()).value_or(std::string());
}

std::string HexText(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    text.push_back(kDigits[value >> 4]);
    text.push_back(kDigits[value & 0xf]);
  }
  return text;
}

}  // namespace harvel
