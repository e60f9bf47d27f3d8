#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "downloader/protocol/frame.h"

namespace harvel::test {

// The messages in `bytes`, fed to one decoder `pieceSize` bytes at a time; the
// decoder must not fail on them.
std::vector<Message> DecodeInPieces(const std::string& bytes, std::size_t pieceSize);

}  // namespace harvel::test
