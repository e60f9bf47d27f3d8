#include "frame_pieces.h"

#include <gtest/gtest.h>

#include <string_view>

namespace harvel::test {

std::vector<Message> DecodeInPieces(const std::string& bytes, std::size_t pieceSize) {
  FrameDecoder decoder;
  std::vector<Message> messages;
  for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
    decoder.feed(std::string_view(bytes).substr(at, pieceSize));
    while (auto message = decoder.next())
      messages.push_back(*message);
  }
  EXPECT_FALSE(decoder.failed()) << decoder.error();
  return messages;
}

}  // namespace harvel::test
