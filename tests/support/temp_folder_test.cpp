// The temporary folder every test works in.
#include "temp_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

namespace harvel::test {
namespace {

// Sets TMPDIR (or unsets it for nullptr) and puts the old value back when it goes.
class TmpdirAs {
 public:
  explicit TmpdirAs(const char* value) {
    if (const char* old = getenv("TMPDIR"))
      old_ = old;
    if (value != nullptr) {
      setenv("TMPDIR", value, 1);
    } else {
      unsetenv("TMPDIR");
    }
  }
  ~TmpdirAs() {
    if (old_) {
      setenv("TMPDIR", old_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }
  TmpdirAs(const TmpdirAs&) = delete;
  TmpdirAs& operator=(const TmpdirAs&) = delete;

 private:
  std::optional<std::string> old_;
};

TEST(TempFolder, IsMadeInTmpdirAndRemovedWithItsFiles) {
  TempFolder outer;
  std::filesystem::path inner;
  {
    const TmpdirAs tmpdir((outer.text() + "/").c_str());
    TempFolder folder;
    inner = folder.path();
    EXPECT_EQ(inner.parent_path(), outer.path());
    EXPECT_EQ(inner.filename().string().rfind("harvel-test-", 0), 0u);
    EXPECT_EQ(std::filesystem::status(inner).permissions(), std::filesystem::perms::owner_all);
    folder.write("a/b.txt", "text");
    EXPECT_EQ(folder.read("a/b.txt"), "text");
  }
  EXPECT_FALSE(std::filesystem::exists(inner));
}

TEST(TempFolder, IsMadeInTmpWithoutTmpdir) {
  const TmpdirAs tmpdir(nullptr);
  TempFolder folder;
  EXPECT_EQ(folder.path().parent_path(), std::filesystem::path("/tmp"));
}

TEST(TempFolder, SaysWhereItCouldNotBeMade) {
  TempFolder outer;
  const TmpdirAs tmpdir(outer.file("missing").c_str());
  try {
    TempFolder folder;
    FAIL() << "made " << folder.text();
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find(outer.file("missing")), std::string::npos);
  }
}

}  // namespace
}  // namespace harvel::test
