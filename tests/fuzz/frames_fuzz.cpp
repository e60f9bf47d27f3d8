// Feeds arbitrary bytes to the channel's frame decoder as a stream, once in
// one piece and once in pieces of random sizes: both must give the same
// messages, and every message that the version-2 readers accept (hello,
// request, notice, stage, unstage) must read back the same once written again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

#include "downloader/protocol/fields.h"
#include "downloader/protocol/frame.h"
#include "downloader/protocol/hello.h"
#include "downloader/protocol/notice.h"
#include "downloader/protocol/request_text.h"
#include "downloader/protocol/staging_messages.h"

namespace {

using harvel::Message;
using harvel::MessageKind;

void Check(bool condition) {
  if (!condition)
    std::abort();
}

// `message` read by `parse` and written again by `encode`; that frame must
// read back the same. "" when `parse` refuses it.
template <typename Parse, typename Encode>
std::string ReadBack(const Message& message, Parse parse, Encode encode) {
  const auto value = parse(message);
  if (!value)
    return {};
  const std::string again = encode(*value);
  harvel::FrameDecoder decoder;
  decoder.feed(again);
  const auto reread = decoder.next();
  Check(reread && parse(*reread) && encode(*parse(*reread)) == again);
  return again;
}

// What a reader makes of `message`, written again in the reader's own terms.
std::string Read(const Message& message) {
  std::string seen(1, static_cast<char>(message.kind));
  seen += message.text + '\n' + std::to_string(message.urlLength) + '\n' +
          harvel::EncodeFields(message.fields);
  switch (message.kind) {
    case MessageKind::Hello:
      seen += harvel::EncodeHello(harvel::ParseHello(message));
      break;
    case MessageKind::Request:
    case MessageKind::FieldRequest:
      seen += ReadBack(message, harvel::ParseRequest, harvel::EncodeFieldRequest);
      break;
    case MessageKind::Notice:
    case MessageKind::FieldNotice:
      if (const auto notice = harvel::ParseNotice(message))
        seen += harvel::EncodeFieldNotice(*notice);
      break;
    case MessageKind::Stage:
      seen += ReadBack(message, harvel::ParseStage, harvel::EncodeStage);
      break;
    case MessageKind::Unstage:
      if (const auto order = harvel::ParseUnstage(message))
        seen += harvel::EncodeUnstage(order->url, order->folder);
      break;
    case MessageKind::Close:
      break;
  }
  return seen;
}

// Every message of the stream in order, then whether it broke.
std::string Decode(std::string_view stream, std::minstd_rand* pieces) {
  harvel::FrameDecoder decoder;
  std::string seen;
  while (!stream.empty()) {
    std::size_t size = stream.size();
    if (pieces != nullptr)
      size = std::min<std::size_t>(size, 1 + (*pieces)() % 64);
    decoder.feed(stream.substr(0, size));
    stream.remove_prefix(size);
    while (const auto message = decoder.next())
      seen += Read(*message) + '\0';
  }
  return seen + (decoder.failed() ? "failed" : "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  std::minstd_rand pieces(data[0] + 1u);
  const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
  Check(Decode(stream, nullptr) == Decode(stream, &pieces));
  return 0;
}
