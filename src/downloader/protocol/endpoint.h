#pragma once

#include <optional>
#include <string>

namespace harvel {

// The name VeskDownloader listens under.
inline constexpr const char* kDownloaderEndpointName = "VeskDownloaderFrm";

// Where both programs meet: the full name of the downloader's local socket,
// inside a folder that only this user can enter, so no other user can send
// requests (and have files written with this user's rights) or read notices.
//   - $XDG_RUNTIME_DIR when it is set and is a private folder of this user;
//   - otherwise <temp>/harvel-<uid>, temp being $TMPDIR or /tmp, made with mode
//     0700 when missing and refused when it is not a private folder of this user.
// nullopt with `error` set when no such folder can be had.
std::optional<std::string> DownloaderEndpoint(std::string& error);

}  // namespace harvel
