#include "downloader/protocol/endpoint.h"

#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace harvel {

namespace {

bool IsPrivateFolder(const std::string& folder) {
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0)
    return false;
  return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

std::string TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = (tmp != nullptr && tmp[0] != '\0') ? tmp : "/tmp";
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return folder;
}

std::optional<std::string> PrivateFolder(std::string& error) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime))
    return runtime;

  const std::string folder = TempFolder() + "/harvel-" + std::to_string(getuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = "cannot create " + folder + ": " + std::strerror(errno);
    return std::nullopt;
  }
  if (!IsPrivateFolder(folder)) {
    error = folder + " is not a folder that only this user can enter";
    return std::nullopt;
  }
  return folder;
}

}  // namespace

std::optional<std::string> DownloaderEndpoint(std::string& error) {
  error.clear();
  auto folder = PrivateFolder(error);
  if (!folder)
    return std::nullopt;
  std::string path = *folder + "/" + kDownloaderEndpointName;
  if (path.size() >= sizeof(sockaddr_un::sun_path)) {
    error = "the socket path " + path + " is too long";
    return std::nullopt;
  }
  return path;
}

}  // namespace harvel
