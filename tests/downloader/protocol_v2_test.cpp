// The version-2 messages: the hello, field requests and field notices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "downloader/protocol/fields.h"
#include "downloader/protocol/frame.h"
#include "downloader/protocol/hello.h"
#include "downloader/protocol/notice.h"
#include "downloader/protocol/request_text.h"
#include "downloader/protocol/settings_message.h"
#include "downloader/protocol/staging_messages.h"
#include "frame_pieces.h"

namespace harvel {
namespace {

using test::DecodeInPieces;

TEST(ChannelVersion2, FieldRequestsCarryEveryTextWhateverTheReadSizes) {
  FileRequest request{std::string("http://e.test/a,b\0c.gif?x=1", 27),
                      "/h/画像, 集\r\n/a.gif",
                      "http://e.test/page.html",
                      1234567890123,
                      {}};
  request.validators = true;
  request.ifNoneMatch = "W/\"7,8\"";
  request.ifModifiedSince = "Tue, 01 Jul 2025 10:00:00 GMT";
  const std::string frame = EncodeFieldRequest(request);
  EXPECT_EQ(frame.size(), FieldRequestLength(request));
  for (std::size_t piece : {std::size_t{1}, std::size_t{5}, frame.size()}) {
    const auto messages = DecodeInPieces(frame, piece);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::FieldRequest);
    const auto parsed = ParseRequest(messages[0]);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->url, request.url);
    EXPECT_EQ(parsed->path, request.path);
    EXPECT_EQ(parsed->referer, request.referer);
    EXPECT_EQ(parsed->maxSize, request.maxSize);
    EXPECT_TRUE(parsed->validators);
    EXPECT_EQ(parsed->ifNoneMatch, request.ifNoneMatch);
    EXPECT_EQ(parsed->ifModifiedSince, request.ifModifiedSince);
  }

  // Without the optional fields they stay unset.
  const auto plain = ParseRequest(
      DecodeInPieces(EncodeFieldRequest({"http://e.test/a", "/p/a", "", {}, {}}), 64)[0]);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->referer, "");
  EXPECT_FALSE(plain->maxSize);
  EXPECT_FALSE(plain->validators);
  EXPECT_FALSE(plain->conditional());
}

TEST(ChannelVersion2, SettingsCarryTheHostMannersAndAnOutOfRangeOneIsNotTaken) {
  const auto parsed = [](const std::string& frame) {
    return ParseSettings(DecodeInPieces(frame, 3)[0]).manners;
  };
  SettingsOrder order;
  EXPECT_EQ(EncodeSettings(order).find("host-jobs"), std::string::npos);  // the built-in ones
  order.manners = {3, std::chrono::milliseconds(1500), true};
  EXPECT_EQ(parsed(EncodeSettings(order)), order.manners);
  const auto manners = parsed(EncodeFieldMessage(
      MessageKind::Settings, {{"host-jobs", "17"}, {"wait-ms", "600001"}, {"random-wait", "yes"}}));
  EXPECT_TRUE(manners.builtIn());
}

TEST(ChannelVersion2, FieldRequestsThatCarryNoDownload) {
  const auto parse = [](const Fields& fields) {
    return ParseRequest(
        DecodeInPieces(EncodeFieldMessage(MessageKind::FieldRequest, fields), 64)[0]);
  };
  EXPECT_FALSE(parse({{"path", "/p/a"}})) << "no URL";
  EXPECT_FALSE(parse({{"url", "http://a/"}, {"path", ""}})) << "empty path";
  EXPECT_FALSE(parse({{"url", "http://a/"}, {"path", "/p"}, {"max-size", "-1"}}));
  EXPECT_FALSE(parse({{"url", "http://a/"}, {"path", "/p"}, {"max-size", "12kB"}}));
  // Keys a reader does not know are passed over.
  const auto later = parse({{"staging", "yes"}, {"url", "http://a/"}, {"path", "/p"}});
  ASSERT_TRUE(later);
  EXPECT_EQ(later->url, "http://a/");
}

TEST(ChannelVersion2, NoticesTellHowTheDownloadEnded) {
  DownloadNotice failed;
  failed.count = "41";
  failed.landed = false;
  failed.reason = failure::kHttpStatus;
  failed.reasonText = "HTTP 404 Not Found";
  failed.httpStatus = 404;
  failed.bytes = 12;
  failed.elapsedMs = 250;
  failed.contentType = "text/html; charset=utf-8";
  failed.finalUrl = "http://e.test/moved/a.gif";
  const auto read = ParseNotice(DecodeInPieces(EncodeFieldNotice(failed), 3)[0]);
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->detailed);
  EXPECT_EQ(read->count, "41");
  EXPECT_FALSE(read->landed);
  EXPECT_EQ(read->reason, failure::kHttpStatus);
  EXPECT_EQ(read->reasonText, "HTTP 404 Not Found");
  EXPECT_EQ(read->httpStatus, 404);
  EXPECT_EQ(read->bytes, 12);
  EXPECT_EQ(read->elapsedMs, 250);
  EXPECT_EQ(read->contentType, failed.contentType);
  EXPECT_EQ(read->finalUrl, failed.finalUrl);

  DownloadNotice landed;
  landed.count = "0";
  const auto ok = ParseNotice(DecodeInPieces(EncodeFieldNotice(landed), 64)[0]);
  ASSERT_TRUE(ok);
  EXPECT_TRUE(ok->landed);
  EXPECT_EQ(ok->reason, "");

  // Not modified: neither landed nor failed, with the server's validators.
  DownloadNotice unchanged;
  unchanged.landed = false;
  unchanged.notModified = true;
  unchanged.etag = "\"v1\"";
  unchanged.lastModified = "Tue, 01 Jul 2025 10:00:00 GMT";
  const auto same = ParseNotice(DecodeInPieces(EncodeFieldNotice(unchanged), 64)[0]);
  ASSERT_TRUE(same);
  EXPECT_FALSE(same->landed);
  EXPECT_TRUE(same->notModified);
  EXPECT_EQ(same->reason, "");
  EXPECT_EQ(same->etag, unchanged.etag);
  EXPECT_EQ(same->lastModified, unchanged.lastModified);

  // A notice that names no outcome claims no file.
  const auto vague = ParseNotice(
      DecodeInPieces(EncodeFieldMessage(MessageKind::FieldNotice, {{"count", "3"}}), 64)[0]);
  ASSERT_TRUE(vague);
  EXPECT_FALSE(vague->landed);
  EXPECT_EQ(vague->reason, failure::kOther);

  // A version-1 notice says only that the download ended.
  const auto old = ParseNotice(DecodeInPieces(EncodeNotice("7"), 64)[0]);
  ASSERT_TRUE(old);
  EXPECT_FALSE(old->detailed);
  EXPECT_TRUE(old->landed);
  EXPECT_EQ(old->count, "7");
  EXPECT_FALSE(ParseNotice(DecodeInPieces(EncodeClose(), 64)[0]));
}

TEST(ChannelVersion2, AMinimumPictureGoesOutAndATooSmallPictureComesBack) {
  FileRequest request{"http://e.test/a.jpg", "/p/a.jpg", "", {}, {400, 300}};
  const auto parsed = ParseRequest(DecodeInPieces(EncodeFieldRequest(request), 7)[0]);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->minPicture, (PictureSize{400, 300}));
  const auto stage = ParseStage(DecodeInPieces(
      EncodeStage(StagedFile{{"http://e.test/a.jpg", "/p", "", {}, {400, 0}}, false, 2}), 64)[0]);
  ASSERT_TRUE(stage);
  EXPECT_EQ(stage->request.minPicture, (PictureSize{400, 0}));
  // No minimum, no field: an older downloader sees the request it always saw.
  EXPECT_EQ(EncodeFieldRequest({"http://e.test/a.jpg", "/p/a.jpg", "", {}, {}}).find("min-picture"),
            std::string::npos);
  EXPECT_FALSE(ParseRequest(DecodeInPieces(
      EncodeFieldMessage(MessageKind::FieldRequest,
                         {{"url", "http://a/"}, {"path", "/p"}, {"min-picture", "big"}}),
      64)[0]));

  DownloadNotice small;
  small.landed = false;
  small.reason = kTooSmallReason;
  small.tooSmall = PictureSize{120, 90};
  const auto read = ParseNotice(DecodeInPieces(EncodeFieldNotice(small), 64)[0]);
  ASSERT_TRUE(read);
  EXPECT_FALSE(read->landed);
  EXPECT_EQ(read->tooSmall, (PictureSize{120, 90}));
  // A header's claim is told as it was read, far beyond any minimum.
  small.tooSmall = PictureSize{2147483648u, 1};
  EXPECT_EQ(ParseNotice(DecodeInPieces(EncodeFieldNotice(small), 64)[0])->tooSmall,
            (PictureSize{2147483648u, 1}));
  const auto failed = ParseNotice(DecodeInPieces(EncodeFieldNotice(DownloadNotice{}), 64)[0]);
  EXPECT_FALSE(failed->tooSmall);

  // A URL refused by robots.txt: neither landed nor failed, the rule in its text.
  DownloadNotice refused;
  refused.landed = false;
  refused.robotsExcluded = true;
  refused.reasonText = "robots.txt: Disallow: /";
  const auto excluded = ParseNotice(DecodeInPieces(EncodeFieldNotice(refused), 64)[0]);
  EXPECT_TRUE(excluded->robotsExcluded);
  EXPECT_FALSE(excluded->failed());
  EXPECT_EQ(excluded->reason, kRobotsReason);
  EXPECT_FALSE(failed->robotsExcluded);
}

TEST(ChannelVersion2, TheHelloAgreesOnTheLowerVersion) {
  const auto messages =
      DecodeInPieces(EncodeHello(Hello{kChannelVersion, {"referer", "max-size"}}), 2);
  ASSERT_EQ(messages.size(), 1u);
  ASSERT_EQ(messages[0].kind, MessageKind::Hello);
  const Hello hello = ParseHello(messages[0]);
  EXPECT_EQ(hello.version, kChannelVersion);
  EXPECT_TRUE(hello.has("referer"));
  EXPECT_TRUE(hello.has("max-size"));
  EXPECT_FALSE(hello.has("staging"));

  EXPECT_EQ(AgreedVersion(2, 7), 2);
  EXPECT_EQ(AgreedVersion(2, 1), 1);
  EXPECT_EQ(AgreedVersion(2, 0), 1);
  const Hello broken = ParseHello(
      DecodeInPieces(EncodeFieldMessage(MessageKind::Hello, {{"version", "two"}}), 64)[0]);
  EXPECT_EQ(broken.version, kChannelVersion1);
  EXPECT_TRUE(broken.features.empty());
}

TEST(ChannelVersion2, FieldsWhoseLengthsDoNotAddUpBreakTheStream) {
  const std::vector<std::string> payloads = {
      std::string("\x00\x00\x00\x05url", 7),                       // key runs past the end
      std::string("\x00\x00\x00\x03url\x00\x00\x00\x09http", 15),  // value runs past the end
      std::string("\x00\x00\x00\x03url\x00\x00", 9),               // value length cut short
  };
  for (const std::string& payload : payloads) {
    std::string frame("Q");
    const auto length = static_cast<std::uint32_t>(payload.size());
    for (int shift = 24; shift >= 0; shift -= 8)
      frame.push_back(static_cast<char>((length >> shift) & 0xff));
    frame += payload;
    FrameDecoder decoder;
    decoder.feed(frame);
    EXPECT_FALSE(decoder.next());
    EXPECT_TRUE(decoder.failed());
  }
  EXPECT_EQ(DecodeFields(""), Fields{});
}

}  // namespace
}  // namespace harvel
