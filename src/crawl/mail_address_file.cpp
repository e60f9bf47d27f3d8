#include "crawl/mail_address_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/ascii_text.h"
#include "common/path_text.h"
#include "crawl/crawl_texts.h"

namespace harvel {

bool HoldsMailto(std::string_view text) {
  return text.find(kMailto) != std::string_view::npos;
}

bool IsMailUrl(std::string_view url) {
  return StartsWithIgnoringAsciiCase(url, kMailto);
}

std::string MailAddressOf(std::string_view below) {
  const std::size_t mailto = below.find(kMailto);
  return mailto == std::string_view::npos ? std::string()
                                          : std::string(below.substr(mailto + kMailto.size()));
}

std::string MailAddressFilePath(const std::string& saveFolder) {
  return saveFolder + "/" + kMailFileName;
}

bool AppendMailAddress(const std::string& saveFolder, std::string address) {
  // One address a line: a line break or other control character in a link
  // must not add lines of its own.
  std::erase_if(address, [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
  });
  std::ofstream out(PathFromText(MailAddressFilePath(saveFolder)),
                    std::ios::binary | std::ios::app);
  if (!out)
    return false;
  out << address << "\r\n";
  out.close();
  return !out.fail();
}

void DeleteMailAddressFile(const std::string& saveFolder) {
  const std::filesystem::path path = PathFromText(MailAddressFilePath(saveFolder));
  std::error_code error;
  // Only a file: a folder of that name is none of ours to delete.
  if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, error))) {
    std::filesystem::remove(path, error);
  }
}

}  // namespace harvel
