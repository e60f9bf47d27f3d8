// The one codec of a file request, for requests and stages alike.
#include "downloader/protocol/request_fields.h"

#include <gtest/gtest.h>

#include "downloader/protocol/staging_messages.h"

namespace harvel {
namespace {

FileRequest EveryField() {
  FileRequest request{"http://e.test/a.jpg", "/p/a.jpg", "http://e.test/", 5000, {40, 30}};
  request.validators = true;
  request.ifNoneMatch = "\"v1\"";
  request.ifModifiedSince = "Tue, 01 Dec 2026 10:00:00 GMT";
  request.robots = true;
  return request;
}

void ExpectSame(const FileRequest& read, const FileRequest& written) {
  EXPECT_EQ(read.url, written.url);
  EXPECT_EQ(read.path, written.path);
  EXPECT_TRUE(read.askedAlike(written));
  EXPECT_EQ(read.validators, written.validators);
}

TEST(RequestFields, ARequestAndAStageCarryTheSameFields) {
  const FileRequest request = EveryField();
  for (const RequestMessage kind : {RequestMessage::Request, RequestMessage::Stage}) {
    const std::optional<FileRequest> read =
        ReadRequestFields(WriteRequestFields(request, kind), kind);
    ASSERT_TRUE(read);
    ExpectSame(*read, request);
  }
  // The place is "path" in a request, "folder" in a stage.
  EXPECT_TRUE(FieldValue(WriteRequestFields(request, RequestMessage::Stage), "folder"));
  EXPECT_FALSE(FieldValue(WriteRequestFields(request, RequestMessage::Stage), "path"));
}

TEST(RequestFields, AMalformedFieldRefusesARequestAndAStageAlike) {
  for (const RequestMessage kind : {RequestMessage::Request, RequestMessage::Stage}) {
    for (const auto& [key, value] : Fields{
             {"max-size", "ten"}, {"max-size", "-1"}, {"max-size", ""}, {"min-picture", "big"}}) {
      Fields fields = WriteRequestFields(EveryField(), kind);
      std::erase_if(fields, [&](const auto& field) { return field.first == key; });
      fields.emplace_back(key, value);
      EXPECT_FALSE(ReadRequestFields(fields, kind)) << key << "=" << value;
    }
  }
}

TEST(RequestFields, APeerIsSentOnlyTheFieldsItStates) {
  const Hello plain{kChannelVersion, {}};
  const Fields toPlain = WriteRequestFields(EveryField(), RequestMessage::Request, &plain);
  EXPECT_TRUE(FieldValue(toPlain, "referer"));
  EXPECT_TRUE(FieldValue(toPlain, "max-size"));
  for (const char* key :
       {"min-picture", "validators", "if-none-match", "if-modified-since", "robots"})
    EXPECT_FALSE(FieldValue(toPlain, key)) << key;

  // "conditional" opens the conditional fields of a request, not of a stage.
  const Hello conditional{kChannelVersion, {kFeatureConditional, kFeatureMinPicture}};
  EXPECT_TRUE(FieldValue(WriteRequestFields(EveryField(), RequestMessage::Request, &conditional),
                         "if-none-match"));
  EXPECT_FALSE(FieldValue(WriteRequestFields(EveryField(), RequestMessage::Stage, &conditional),
                          "if-none-match"));
  const StagedFile staged{EveryField(), true, 3};
  const Hello stages{kChannelVersion, {kFeatureStage}};
  const std::string frame = EncodeStage(staged, &stages);
  EXPECT_EQ(frame.find("tell-landed"), std::string::npos);
  EXPECT_NE(EncodeStage(staged).find("tell-landed"), std::string::npos);
}

}  // namespace
}  // namespace harvel
