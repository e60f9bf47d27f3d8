#include "downloader/protocol/endpoint.h"

#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace harvel {

namespace {

// Why `folder` is no folder that only this user can enter; empty when it is one.
std::string WhyNotPrivate(const std::string& folder) {
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0)
    return std::string("cannot be read: ") + std::strerror(errno);
  if (S_ISLNK(info.st_mode))
    return "is a symbolic link";
  if (!S_ISDIR(info.st_mode))
    return "is not a folder";
  if (info.st_uid != getuid())
    return "belongs to another user";
  if ((info.st_mode & 077) != 0)
    return "can be entered by other users";
  return "";
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
  if (runtime != nullptr && runtime[0] == '/' && WhyNotPrivate(runtime).empty())
    return runtime;

  const std::string folder = TempFolder() + "/harvel-" + std::to_string(getuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = "cannot create " + folder + ": " + std::strerror(errno);
    return std::nullopt;
  }
  if (const std::string why = WhyNotPrivate(folder); !why.empty()) {
    error = "the socket folder " + folder + " " + why + "; only a folder of this user that " +
            "nobody else can enter is used";
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
    error = "the socket path " + path + " is too long (at most " +
            std::to_string(sizeof(sockaddr_un::sun_path) - 1) + " bytes); set TMPDIR to a " +
            "shorter folder";
    return std::nullopt;
  }
  return path;
}

}  // namespace harvel
