#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace harvel {

// Writes `bytes` straight into the connected local socket `socket` without
// waiting: the number of bytes that went out (all of them as a rule, since a
// frame is small), or nullopt when the connection is broken. Sending a frame
// this way costs one system call, where a buffered socket would first arm and
// then disarm a write watch in the event loop.
std::optional<std::size_t> SendWithoutWaiting(int socket, std::string_view bytes);

}  // namespace harvel
