// The record's entries, in a database held in memory: files, copies, pages and
// their links, and the digest they are matched by.
#include "record/folder_record.h"

#include <gtest/gtest.h>

#include "record/file_sha256.h"
#include "temp_folder.h"

namespace harvel::test {
namespace {

RecordedFile Landed(const std::string& url, const std::string& name, const std::string& bytes) {
  return RecordedFile{url,
                      url + "?final",
                      name,
                      static_cast<std::int64_t>(bytes.size()),
                      Sha256(bytes),
                      "\"e1\"",
                      "Tue, 01 Jul 2025 10:00:00 GMT",
                      1751364000,
                      ""};
}

TEST(FolderRecordTest, KeepsFilesAndTheirCopiesByUrlDigestAndName) {
  std::unique_ptr<FolderRecord> record = FolderRecord::InMemory();
  ASSERT_TRUE(record->ok()) << record->error();
  const RecordedFile first = Landed("http://h.test/a.jpg", "a.jpg", "picture");
  RecordedFile copy = Landed("http://h.test/b/a.jpg", "a.jpg", "picture");
  copy.copyOf = first.url;
  // The copy is recorded first: the digest still finds the file itself.
  ASSERT_TRUE(record->addFile(copy));
  ASSERT_TRUE(record->addFile(first));
  ASSERT_TRUE(record->addFile(Landed("http://h.test/c.png", "c.png", "other")));

  const std::optional<RecordedFile> found = record->file(first.url);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->finalUrl, first.finalUrl);
  EXPECT_EQ(found->localName, "a.jpg");
  EXPECT_EQ(found->size, 7);
  EXPECT_EQ(found->sha256, Sha256("picture"));
  EXPECT_EQ(found->etag, "\"e1\"");
  EXPECT_EQ(found->lastModified, "Tue, 01 Jul 2025 10:00:00 GMT");
  EXPECT_EQ(found->landedAt, 1751364000);
  EXPECT_TRUE(found->copyOf.empty());
  EXPECT_EQ(record->file(copy.url)->copyOf, first.url);
  EXPECT_EQ(record->fileWithSha256(Sha256("picture"))->url, first.url);
  EXPECT_FALSE(record->fileWithSha256(Sha256("nothing")));
  EXPECT_FALSE(record->file("http://h.test/unknown.jpg"));
  EXPECT_TRUE(record->holdsLocalName("c.png"));
  EXPECT_FALSE(record->holdsLocalName("d.png"));

  // A URL landed again replaces its entry.
  ASSERT_TRUE(record->addFile(Landed(first.url, "a(1).jpg", "changed")));
  EXPECT_EQ(record->file(first.url)->localName, "a(1).jpg");
  EXPECT_EQ(record->fileWithSha256(Sha256("picture"))->url, copy.url);
  EXPECT_TRUE(record->ok());
}

TEST(FolderRecordTest, GivesAPageItsLinksBackByteForByte) {
  std::unique_ptr<FolderRecord> record = FolderRecord::InMemory();
  const std::string odd("a\0b\"c,\r\n\xff", 9);
  const RecordedPage page{
      "http://h.test/", "http://h.test/index.html",         "W/\"7\"", "", 1751364000,
      "scan",           {{0, "a.gif"}, {3, odd}, {255, ""}}};
  ASSERT_TRUE(record->putPage(page));
  std::optional<RecordedPage> back = record->page(page.url);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->finalUrl, page.finalUrl);
  EXPECT_EQ(back->etag, page.etag);
  EXPECT_EQ(back->reader, "scan");
  ASSERT_EQ(back->links.size(), 3u);
  EXPECT_EQ(back->links[1].kind, 3);
  EXPECT_EQ(back->links[1].text, odd);
  EXPECT_EQ(back->links[2].kind, 255);
  // A page is no file, and a page dropped is gone.
  EXPECT_FALSE(record->file(page.url));
  ASSERT_TRUE(record->dropPage(page.url));
  EXPECT_FALSE(record->page(page.url));
  EXPECT_TRUE(record->ok());

  // A links blob that does not decode exactly is refused, not half read.
  const std::string blob = EncodePageLinks(page.links);
  EXPECT_TRUE(DecodePageLinks(blob));
  EXPECT_FALSE(DecodePageLinks(blob.substr(0, blob.size() - 1)));
  EXPECT_FALSE(DecodePageLinks(std::string("\x01\xff\xff\xff\xff", 5)));
}

TEST(FolderRecordTest, DigestsFilesAsSha256) {
  TempFolder folder;
  const std::string path = folder.write("f.bin", std::string(200000, 'x'));
  EXPECT_EQ(HexText(Sha256("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(FileSha256(path), Sha256(std::string(200000, 'x')));
  EXPECT_FALSE(FileSha256(folder.file("missing")));
  EXPECT_FALSE(FileSha256(folder.text()));  // a folder is no file
}

}  // namespace
}  // namespace harvel::test
