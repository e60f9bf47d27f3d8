#include "record/file_sha256.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

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
  // Non-blocking: a named pipe in place of the file must not stall the crawl.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    return std::nullopt;
  struct stat info {};
  DigestContext context = NewContext();
  std::optional<std::string> digest;
  if (context && fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    char block[1 << 16];
    ssize_t n = 0;
    while ((n = read(fd, block, sizeof block)) > 0)
      EVP_DigestUpdate(context.get(), block, static_cast<std::size_t>(n));
    if (n == 0)
      digest = Finish(context.get());
  }
  close(fd);
  return digest;
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
