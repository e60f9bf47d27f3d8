// The store of downloads cut off part-way, through its public calls: a part
// kept and read back, replaced whole by the next, and descriptions or bytes
// that are not as the store left them passed over.
#include "downloader/partial_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "temp_folder.h"

namespace harvel {
namespace {

namespace fs = std::filesystem;

const std::string kUrl = "http://h.test/video.mp4?x=1";

// The files of `folder` whose names end with `suffix`.
std::vector<fs::path> FilesEndingWith(const fs::path& folder, const std::string& suffix) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().ends_with(suffix))
      found.push_back(entry.path());
  }
  return found;
}

TEST(PartialStore, APartIsKeptReplacedWholeAndOnlyReadBackAsItWasLeft) {
  test::TempFolder dir;
  EXPECT_FALSE(PartialStore::Open("relative/partial"));
  EXPECT_FALSE(PartialStore::Open(dir.text() + "/missing/partial"));
  fs::create_directory_symlink(dir.path(), dir.path() / "linked");
  EXPECT_FALSE(PartialStore::Open(dir.text() + "/linked"));
  std::optional<PartialStore> store = PartialStore::Open(dir.text() + "/partial");
  ASSERT_TRUE(store);
  const fs::path folder = dir.path() / "partial";
  EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_FALSE(store->find(kUrl));

  // Kept: the file moves into the store and reads back with what it was told.
  const std::string first = dir.write("cut-1", std::string(3000, 'a'));
  ASSERT_EQ(store->keep(first, {kUrl, "", 0, 5000, "\"v1\"", ""}), 0);
  EXPECT_FALSE(fs::exists(first));
  std::optional<PartialDownload> found = store->find(kUrl);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->url, kUrl);
  EXPECT_EQ(found->size, 3000);
  EXPECT_EQ(found->length, 5000);
  EXPECT_EQ(found->etag, "\"v1\"");
  EXPECT_EQ(found->lastModified, "");
  EXPECT_EQ(test::ReadFile(found->dataPath), std::string(3000, 'a'));
  EXPECT_FALSE(store->find("http://h.test/video.mp4"));

  // The next part of the URL replaces it whole: one part, one description.
  const std::string second = dir.write("cut-2", std::string(1200, 'b'));
  ASSERT_EQ(store->keep(second, {kUrl, "", 0, -1, "", "Tue, 08 Dec 2026 10:00:00 GMT"}), 0);
  found = store->find(kUrl);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->size, 1200);
  EXPECT_EQ(found->length, -1);
  EXPECT_EQ(found->etag, "");
  EXPECT_EQ(found->lastModified, "Tue, 08 Dec 2026 10:00:00 GMT");
  EXPECT_EQ(test::ReadFile(found->dataPath), std::string(1200, 'b'));
  EXPECT_EQ(FilesEndingWith(folder, ".part").size(), 1u);
  const auto metas = FilesEndingWith(folder, ".meta");
  ASSERT_EQ(metas.size(), 1u);
  EXPECT_TRUE(FilesEndingWith(folder, "-new").empty());

  // A description cut anywhere (a full disk, a copy broken off) is no one's.
  const std::string meta = test::ReadFile(metas[0]);
  for (std::size_t size = 0; size < meta.size(); ++size) {
    test::WriteFile(metas[0], meta.substr(0, size));
    EXPECT_FALSE(store->find(kUrl)) << meta.substr(0, size);
  }
  test::WriteFile(metas[0], meta);
  ASSERT_TRUE(store->find(kUrl));

  // Bytes with a second name elsewhere, or none left, are not taken either.
  const fs::path part = FilesEndingWith(folder, ".part")[0];
  ASSERT_EQ(::link(part.c_str(), (dir.path() / "second-name").c_str()), 0);
  EXPECT_FALSE(store->find(kUrl));
  fs::remove(dir.path() / "second-name");
  test::WriteFile(part, "");
  EXPECT_FALSE(store->find(kUrl));

  // A file that cannot be moved in is reported, and what was kept stays.
  EXPECT_NE(store->keep(dir.text() + "/no-such-file", {kUrl, "", 0, -1, "x", ""}), 0);
  EXPECT_EQ(FilesEndingWith(folder, ".meta").size(), 1u);

  // Dropped: nothing of the URL is left.
  store->drop(kUrl);
  EXPECT_FALSE(store->find(kUrl));
  EXPECT_TRUE(fs::is_empty(folder));
}

}  // namespace
}  // namespace harvel
