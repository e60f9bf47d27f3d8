#include "crawl/mail_address_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/path_text.h"
#include "crawl/crawl_session.h"

namespace harvel {

std::string MailAddressFilePath(const std::string& saveFolder) {
  return saveFolder + "/" + CrawlSession::kMailFileName;
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
