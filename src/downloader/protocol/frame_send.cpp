#include "downloader/protocol/frame_send.h"

#include <sys/socket.h>

#include <cerrno>

namespace harvel {

std::optional<std::size_t> SendWithoutWaiting(int socket, std::string_view bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t count =
        ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (count >= 0) {
      sent += static_cast<std::size_t>(count);
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      break;  // the rest waits until the socket takes more
    } else {
      return std::nullopt;
    }
  }
  return sent;
}

}  // namespace harvel
