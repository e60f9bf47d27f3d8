#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "downloader/protocol/frame.h"
#include "downloader/protocol/request_text.h"
#include "frame_pieces.h"

namespace harvel {
namespace {

using test::DecodeInPieces;

struct AwkwardRequest {
  const char* name;
  std::string url;
  std::string path;
};

const std::vector<AwkwardRequest>& AwkwardRequests() {
  static const std::vector<AwkwardRequest> cases = {
      {"plain", "http://example.test/a.gif", "/home/u/Harvel/title/a.gif"},
      {"comma in url", "http://example.test/a,b.gif?x=1,2", "/h/t/a,b.gif"},
      {"comma in path", "http://example.test/a.gif", "/h/one, two/a.gif"},
      {"commas everywhere", ",http,,", ",,path,"},
      {"newlines", "http://example.test/a\nb.gif", "/h/t\r\n/a.gif"},
      {"japanese", "http://example.test/%E7%94%BB.gif", "/h/画像集・テスト/画.gif"},
      {"nul bytes", std::string("http://x/a\0b", 12), std::string("/h/\0/c", 6)},
      {"long", "http://example.test/" + std::string(70000, 'a'), "/h/" + std::string(500, 'p')},
  };
  return cases;
}

TEST(ProtocolFraming, RequestsSurviveEveryAwkwardTextWhateverTheReadSizes) {
  for (const auto& request : AwkwardRequests()) {
    const std::string frame = EncodeRequest(request.url, request.path);
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{7}, frame.size()}) {
      const auto messages = DecodeInPieces(frame, piece);
      ASSERT_EQ(messages.size(), 1u) << request.name << " piece " << piece;
      EXPECT_EQ(messages[0].kind, MessageKind::Request);
      // The request text stays `URL,path`.
      EXPECT_EQ(messages[0].text, request.url + "," + request.path) << request.name;
      const auto parsed = ParseRequest(messages[0]);
      ASSERT_TRUE(parsed) << request.name;
      EXPECT_EQ(parsed->url, request.url) << request.name;
      EXPECT_EQ(parsed->path, request.path) << request.name;
    }
  }
}

TEST(ProtocolFraming, NoticesAndCloseRoundTrip) {
  const std::string stream = EncodeNotice("0") + EncodeNotice("9223372036854775807") +
                             EncodeNotice("") + EncodeClose() + EncodeNotice("改行\nあり");
  for (std::size_t piece : {std::size_t{1}, std::size_t{2}, stream.size()}) {
    const auto messages = DecodeInPieces(stream, piece);
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0].text, "0");
    EXPECT_EQ(messages[1].text, "9223372036854775807");
    EXPECT_EQ(messages[2].kind, MessageKind::Notice);
    EXPECT_EQ(messages[2].text, "");
    EXPECT_EQ(messages[3].kind, MessageKind::Close);
    EXPECT_EQ(messages[4].text, "改行\nあり");
  }
}

TEST(ProtocolFraming, SeveralRequestsInOneReadComeOutInOrder) {
  const std::string stream = EncodeRequest("http://a/1", "/p/1") + EncodeRequest("", "") +
                             EncodeRequest("http://a/3", "/p/3");
  const auto messages = DecodeInPieces(stream, stream.size());
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].text, "http://a/1,/p/1");
  EXPECT_EQ(messages[1].text, ",");
  EXPECT_EQ(messages[2].text, "http://a/3,/p/3");
}

TEST(ProtocolFraming, AnIncompleteFrameWaitsForTheRest) {
  const std::string frame = EncodeRequest("http://a/b.gif", "/p/b.gif");
  FrameDecoder decoder;
  decoder.feed(std::string_view(frame).substr(0, frame.size() - 1));
  EXPECT_FALSE(decoder.next());
  EXPECT_FALSE(decoder.failed());
  decoder.feed(std::string_view(frame).substr(frame.size() - 1));
  EXPECT_TRUE(decoder.next());
}

TEST(ProtocolFraming, AbsurdLengthsAndUnknownKindsBreakTheStream) {
  const std::vector<std::pair<const char*, std::string>> broken = {
      {"length past the limit", std::string("N\x7f\xff\xff\xff", 5)},
      {"just past the limit", std::string("N\x00\x10\x00\x01", 5)},
      {"unknown kind", "Xwhatever"},
      {"request shorter than its url length", std::string("R\x00\x00\x00\x02xy", 7)},
      {"close with a payload", std::string("C\x00\x00\x00\x01z", 6)},
  };
  for (const auto& [name, bytes] : broken) {
    FrameDecoder decoder;
    decoder.feed(bytes);
    EXPECT_FALSE(decoder.next()) << name;
    EXPECT_TRUE(decoder.failed()) << name;
    decoder.feed(EncodeNotice("0"));
    EXPECT_FALSE(decoder.next()) << name << ": nothing after a broken frame";
  }
}

TEST(ProtocolFraming, TheLargestAllowedFrameIsAccepted) {
  const std::string text(kMaxPayloadLength, 'x');
  const auto messages = DecodeInPieces(EncodeNotice(text), 65536);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text.size(), kMaxPayloadLength);
}

TEST(RequestText, RequestsThatCarryNoDownload) {
  EXPECT_FALSE(ParseRequest(DecodeInPieces(EncodeRequest("", "/p/a.gif"), 64)[0])) << "empty URL";
  EXPECT_FALSE(ParseRequest(DecodeInPieces(EncodeRequest("http://a/b", ""), 64)[0]))
      << "empty path";
  EXPECT_FALSE(ParseRequest(DecodeInPieces(EncodeRequest("", ""), 64)[0])) << "only the comma";

  // The URL length must point at the separating comma.
  Message noComma{MessageKind::Request, "http://a/b.gif/p/b.gif", 14, {}};
  EXPECT_FALSE(ParseRequest(noComma));
  Message pastTheEnd{MessageKind::Request, "http://a/b.gif,/p", 400, {}};
  EXPECT_FALSE(ParseRequest(pastTheEnd));
  Message notice{MessageKind::Notice, "http://a/b.gif,/p", 14, {}};
  EXPECT_FALSE(ParseRequest(notice));
}

}  // namespace
}  // namespace harvel
