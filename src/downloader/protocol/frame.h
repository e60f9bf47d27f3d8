#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// The messages between a crawl and VeskDownloader. Hello, Stage and Unstage
// are spoken only between peers that have both said hello (version 2); their
// payload is a list of fields (staging_messages.h).
enum class MessageKind : char {
  Request = 'R',  // crawl -> downloader: the text `URL,path`
  Notice = 'N',   // downloader -> crawl: the decimal DownloadCount
  Close = 'C',    // crawl -> downloader: end the program now
  Hello = 'H',    // both ways: version and capabilities
  Stage = 'S',    // crawl -> downloader: fetch ahead into a folder
  Unstage = 'U',  // crawl -> downloader: a staged copy will not be asked for
};

// One decoded message. Texts are UTF-8 and carried byte for byte.
struct Message {
  MessageKind kind = MessageKind::Close;
  std::string text;
  // Requests only: the length of the URL in `text`, so the separating comma is
  // text[urlLength] even when the URL or the path holds commas of its own.
  std::size_t urlLength = 0;
};

// Frame layout: one kind byte, the payload length as 4 bytes big-endian, the
// payload. A request's payload starts with the URL length (4 bytes big-endian)
// followed by the request text `URL,path`; a notice's payload is its text; a
// close has none. No frame is longer than this, so a garbled or hostile length
// is rejected instead of being waited for.
inline constexpr std::size_t kMaxPayloadLength = 1 << 20;

std::string EncodeRequest(std::string_view url, std::string_view path);
std::string EncodeNotice(std::string_view text);
std::string EncodeClose();
// Any message: the kind byte, the length, the payload.
std::string EncodeFrame(MessageKind kind, std::string_view payload);

// Cuts a byte stream into messages. Bytes may arrive in pieces of any size;
// a message is returned once its last byte is in.
class FrameDecoder {
 public:
  void feed(std::string_view bytes);

  // The next complete message, or nullopt when more bytes are needed or the
  // stream is broken (see failed()).
  std::optional<Message> next();

  // The stream held an unknown kind or an absurd length; nothing more is
  // decoded from it and the connection should be dropped.
  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  std::string buffer_;
  std::size_t consumed_ = 0;  // bytes of buffer_ already decoded
  std::string error_;
};

}  // namespace harvel
