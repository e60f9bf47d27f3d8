#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "downloader/protocol/fields.h"

namespace harvel {

// The messages between a crawl and VeskDownloader. Version 1 of the channel
// knows R, N and C; version 2 adds the hello and the field messages, whose
// payloads are Fields (see fields.h). Which version a connection speaks is
// agreed by the hello (see hello.h).
enum class MessageKind : char {
  Request = 'R',       // crawl -> downloader: the text `URL,path`
  Notice = 'N',        // downloader -> crawl: the decimal DownloadCount
  Close = 'C',         // crawl -> downloader: end the program now
  Hello = 'H',         // both ways, first on a connection: version and features
  FieldRequest = 'Q',  // crawl -> downloader, version 2: a download request
  FieldNotice = 'O',   // downloader -> crawl, version 2: how a download ended
  Stage = 'S',         // crawl -> downloader, with "stage": fetch ahead into a folder
  Unstage = 'U',       // crawl -> downloader, with "stage": a staged copy is not wanted
  Landed = 'L',        // downloader -> crawl, with "stage-landed": a staged copy has landed
  Settings = 'P',      // both ways, with "settings": a crawl's connection settings; the answer
};

// One decoded message. Texts are UTF-8 and carried byte for byte.
struct Message {
  MessageKind kind = MessageKind::Close;
  std::string text;
  // Requests only: the length of the URL in `text`, so the separating comma is
  // text[urlLength] even when the URL or the path holds commas of its own.
  std::size_t urlLength = 0;
  // Hello, field requests and field notices: the payload's fields.
  Fields fields;
};

// Frame layout: one kind byte, the payload length as 4 bytes big-endian, the
// payload. A request's payload starts with the URL length (4 bytes big-endian)
// followed by the request text `URL,path`; a notice's payload is its text; a
// close has none; the other kinds carry fields. No frame is longer than this,
// so a garbled or hostile length is rejected instead of being waited for.
inline constexpr std::size_t kMaxPayloadLength = 1 << 20;

// The bytes a frame adds to its payload.
inline constexpr std::size_t kFrameHeaderLength = 5;

std::string EncodeRequest(std::string_view url, std::string_view path);
std::string EncodeNotice(std::string_view text);
std::string EncodeClose();
std::string EncodeFieldMessage(MessageKind kind, const Fields& fields);

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
