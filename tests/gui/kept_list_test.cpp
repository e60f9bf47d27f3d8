// The collection list kept between runs, through the main window.
#include <filesystem>

#include "list_file/list_file.h"
#include "main_frm_fixture.h"
#include "temp_folder.h"

namespace harvel::test {
namespace {

namespace fs = std::filesystem;

class KeptListTest : public MainFrmTest {
 protected:
  void SetUp() override {
    keptListFolder = data.file("harvel");  // made at the first write
    make();
  }

  void restart() {
    frm->Form_Unload();
    make();
  }

  std::string keptFile() const { return data.file("harvel/list.hvl"); }

  TempFolder data;
};

TEST_F(KeptListTest, EveryChangeIsKeptAsAnOrdinaryListFileAndComesBackAtTheNextStart) {
  // A first start: the built-in row, as without a kept list.
  ASSERT_EQ(rows().size(), 1u);
  EXPECT_TRUE(messages.empty());

  type("画像集", "http://127.0.0.1/a/", "2");
  frm->AddBtn_Click();
  // Written at once, not only at the end of the run: the list survives a crash.
  std::vector<CrawlTarget> onDisk;
  ASSERT_TRUE(LoadListFile(keptFile(), onDisk));
  EXPECT_EQ(onDisk, rows());
  EXPECT_EQ(fs::directory_iterator(data.path() / "harvel")->path().filename(), "list.hvl");

  select(0);
  frm->DelBtn_Click();
  restart();
  EXPECT_EQ(rows(), (std::vector<CrawlTarget>{{"画像集", "http://127.0.0.1/a/", "2"}}));

  // An emptied list stays empty: the built-in row is only for a first start.
  frm->AllDelBtn_Click();
  restart();
  EXPECT_TRUE(rows().empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(KeptListTest, AKeptListThatCannotBeReadIsSetAsideWholeAndTheStartGoesOn) {
  frm->AddBtn_Click();
  const std::string damaged = "\x00\x01 not a list \xff";
  data.write("harvel/list.hvl", damaged);
  restart();
  EXPECT_EQ(rows().size(), 1u);  // the built-in row
  ASSERT_EQ(messages.size(), 1u);
  fs::path aside;
  for (const auto& entry : fs::directory_iterator(data.path() / "harvel"))
    aside = entry.path();
  EXPECT_EQ(aside.filename().string().rfind("list.hvl.damaged-", 0), 0u) << aside;
  EXPECT_EQ(ReadFile(aside), damaged);
  EXPECT_TRUE(messages[0].contains(QString::fromStdString(aside.string())));

  // The next change keeps the list again; the damaged file stays as it was.
  frm->AddBtn_Click();
  restart();
  EXPECT_EQ(rows().size(), 2u);
  EXPECT_EQ(ReadFile(aside), damaged);
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(KeptListTest, NothingIsWrittenWhileACrawlRunsAndTheChangesFollowItsEnd) {
  frm->AddBtn_Click();
  std::vector<CrawlTarget> kept;
  ASSERT_TRUE(LoadListFile(keptFile(), kept));
  ASSERT_EQ(kept, rows());
  const std::string before = ReadFile(keptFile());

  int nested = 0;
  duringCrawl = [&] {
    if (nested++ == 0) {
      frm->AddBtn_Click();
      frm->ListView1_DblClick();  // a second start joins the running crawl
      frm->AddBtn_Click();
    }
    EXPECT_EQ(ReadFile(keptFile()), before);
  };
  select(0);
  frm->ListView1_DblClick();
  EXPECT_EQ(nested, 2);
  kept.clear();
  ASSERT_TRUE(LoadListFile(keptFile(), kept));
  EXPECT_EQ(kept.size(), 4u);
  EXPECT_EQ(kept, rows());
}

}  // namespace
}  // namespace harvel::test
