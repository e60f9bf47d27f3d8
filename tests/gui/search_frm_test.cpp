#include "crawl_window/search_frm.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>

#include "common/event_pump.h"
#include "crawl/crawl_session.h"
#include "crawl/crawl_state.h"
#include "crawl/static_crawl_options.h"
#include "idle_services.h"
#include "qstring_printer.h"

namespace harvel::test {
namespace {

CrawlTarget Row(int n) {
  return {"folder", "http://127.0.0.1/" + std::to_string(n), std::to_string(n % 4)};
}

// The crawl window on its own, driven through the observer calls the engine makes.
class SearchFrmTest : public ::testing::Test {
 protected:
  SearchFrm frm{SearchFrmServices{[this] { ++unloads; }, [this] { return mailbox; }, {}}};
  int unloads = 0;
  std::string mailbox;

  QLineEdit* getTxt() { return frm.findChild<QLineEdit*>(QStringLiteral("GetTxt")); }
  std::vector<std::string> urls() {
    std::vector<std::string> out;
    for (int i = 0; i < frm.crawlList().rowCount(); ++i)
      out.push_back(frm.crawlList().row(i).url);
    return out;
  }
};

TEST_F(SearchFrmTest, ShowsTheCrawlListWithItsColumnsAndPanels) {
  EXPECT_EQ(frm.windowTitle(), QStringLiteral("巡回中・・・"));
  EXPECT_EQ(frm.size(), QSize(506, 249));
  QHeaderView* header = frm.listView()->header();
  EXPECT_EQ(header->model()->headerData(0, Qt::Horizontal), QStringLiteral("フォルダ"));
  EXPECT_EQ(header->model()->headerData(1, Qt::Horizontal), QStringLiteral("URL"));
  EXPECT_EQ(header->model()->headerData(2, Qt::Horizontal), QStringLiteral("レベル"));
  EXPECT_EQ(header->sectionSize(0), 96);
  EXPECT_EQ(header->sectionSize(1), 233);
  EXPECT_EQ(header->sectionSize(2), 53);
  EXPECT_EQ(frm.statusPanelText(1), QStringLiteral("Harvel"));
  EXPECT_TRUE(frm.statusPanelText(2).isEmpty());
  EXPECT_EQ(frm.findChild<QWidget*>(QStringLiteral("StatusBar1Panel1"))->minimumWidth(), 96);
  EXPECT_EQ(frm.findChildren<QLineEdit*>().size(), 1);  // the mailbox is the only text box
}

TEST_F(SearchFrmTest, FollowsTheEnginesRowsTextsAndCaption) {
  frm.loaded();
  frm.rowInserted(0, Row(1));
  frm.rowInserted(1, Row(2));
  frm.rowInserted(1, Row(3));  // a picture put in front, behind row 1
  frm.flushRows();
  EXPECT_EQ(urls(), (std::vector<std::string>{"http://127.0.0.1/1", "http://127.0.0.1/3",
                                              "http://127.0.0.1/2"}));
  EXPECT_EQ(frm.listView()->model()->data(frm.crawlList().index(1, 2)).toString(),
            QStringLiteral("3"));
  frm.rowRemoved(0);
  frm.flushRows();
  EXPECT_EQ(urls(), (std::vector<std::string>{"http://127.0.0.1/3", "http://127.0.0.1/2"}));

  mailbox = "7";
  frm.statusTextChanged(1, "ダウンロード中...");
  frm.statusTextChanged(2, "ダウンロード総数:1 (残りの数：2 )");
  EXPECT_EQ(frm.statusPanelText(1), QStringLiteral("ダウンロード中..."));
  EXPECT_EQ(frm.statusPanelText(2), QStringLiteral("ダウンロード総数:1 (残りの数：2 )"));
  EXPECT_EQ(getTxt()->text(), QStringLiteral("7"));
  frm.captionChanged("ダウンロードが完了しました(2秒後に自動で閉じます)");
  EXPECT_EQ(frm.windowTitle(), QStringLiteral("ダウンロードが完了しました(2秒後に自動で閉じます)"));

  // Reports for rows that are not there are ignored.
  frm.rowRemoved(99);
  frm.rowInserted(99, Row(4));
  frm.flushRows();
  EXPECT_EQ(frm.crawlList().rowCount(), 2);

  // A new load starts afresh.
  frm.loaded();
  EXPECT_EQ(frm.crawlList().rowCount(), 0);
  EXPECT_EQ(frm.windowTitle(), QStringLiteral("巡回中・・・"));
  EXPECT_EQ(frm.statusPanelText(1), QStringLiteral("Harvel"));
  EXPECT_TRUE(frm.statusPanelText(2).isEmpty());
  EXPECT_TRUE(getTxt()->text().isEmpty());
}

TEST_F(SearchFrmTest, RowChangesAreShownTogetherShortlyAfter) {
  frm.loaded();
  frm.show();
  for (int i = 0; i < 500; ++i)
    frm.rowInserted(static_cast<std::size_t>(i), Row(i));
  for (int i = 0; i < 200; ++i)
    frm.rowRemoved(0);
  EXPECT_EQ(frm.crawlList().rowCount(), 0);  // not yet laid out
  for (int waited = 0; waited < 50 && frm.crawlList().rowCount() == 0; ++waited)
    QTest::qWait(20);
  ASSERT_EQ(frm.crawlList().rowCount(), 300);
  EXPECT_EQ(frm.crawlList().row(0).url, "http://127.0.0.1/200");
  EXPECT_EQ(frm.crawlList().row(299).url, "http://127.0.0.1/499");

  // A new load drops what was not shown yet.
  frm.rowInserted(300, Row(1000));
  frm.loaded();
  frm.flushRows();
  EXPECT_EQ(frm.crawlList().rowCount(), 0);
}

TEST_F(SearchFrmTest, TheMailboxIsNeverVisible) {
  frm.loaded();
  frm.showWindow();
  EXPECT_TRUE(frm.isVisible());
  for (QSize size : {QSize(800, 600), QSize(100, 10), QSize(506, 249)}) {
    frm.resize(size);
    EXPECT_FALSE(getTxt()->isVisible());
  }
}

TEST_F(SearchFrmTest, ResizeFillsTheWindowAboveTheStatusBarAndKeepsItWhenTooLow) {
  frm.show();
  frm.resize(640, 400);
  const int bar = frm.findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->height();
  EXPECT_EQ(bar, 25);
  EXPECT_EQ(frm.listView()->geometry(), QRect(0, 0, 640, 400 - bar));

  frm.resize(300, 10);  // lower than the status bar
  EXPECT_EQ(frm.listView()->geometry(), QRect(0, 0, 640, 400 - bar));

  frm.resize(500, 300);
  EXPECT_EQ(frm.listView()->geometry(), QRect(0, 0, 500, 300 - bar));
}

TEST_F(SearchFrmTest, EachCrawlOpensTheWindowAtItsDesignSize) {
  frm.loaded();
  frm.showWindow();
  frm.resize(900, 640);  // the user makes it larger during the crawl
  frm.unloaded();
  ASSERT_FALSE(frm.isVisible());

  frm.loaded();
  frm.showWindow();
  EXPECT_EQ(frm.size(), QSize(506, 249));
  const int bar = frm.findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->height();
  EXPECT_EQ(frm.listView()->geometry(), QRect(0, 0, 506, 249 - bar));
}

TEST_F(SearchFrmTest, ClosingWhileLoadedShowsTheEndAndUnloadsTheCrawl) {
  frm.loaded();
  frm.showWindow();
  frm.close();
  EXPECT_EQ(unloads, 1);
  EXPECT_EQ(frm.windowTitle(), QStringLiteral("スレッドを終了しています..."));
  EXPECT_FALSE(frm.isVisible());
}

TEST_F(SearchFrmTest, UnloadedClosesTheWindowByItself) {
  frm.loaded();
  frm.showWindow();
  frm.rowInserted(0, Row(1));
  frm.flushRows();
  frm.unloaded();
  EXPECT_FALSE(frm.isVisible());
  EXPECT_EQ(unloads, 0);  // the engine unloaded already; it is not asked again
  EXPECT_EQ(frm.crawlList().rowCount(), 0);
  frm.close();
  EXPECT_EQ(unloads, 0);
}

// With the real engine behind it: closing the window marks the crawl closed.
class NoDownloads : public DownloadChannel {
 public:
  void Downloading(const FileRequest&, std::weak_ptr<Mailbox>) override {}
};

TEST(SearchFrmWithEngine, ShowsTheEnginesListAndClosingUnloadsIt) {
  StaticCrawlOptions options;
  IdlePump pump;
  NoDownloads channel;
  NoShell shell;
  CrawlSession crawl(options, pump, channel, shell, "/nonexistent-harvel-folder");
  SearchFrm frm{SearchFrmServices{[&crawl] { crawl.unload(); },
                                  [&crawl] {
                                    const CrawlState* state = crawl.state();
                                    return state && state->mailbox ? state->mailbox->text
                                                                   : std::string();
                                  },
                                  {}}};
  crawl.setObserver(&frm);

  crawl.appendRow({"t", "http://127.0.0.1:1/a.html", "1"});
  crawl.appendRow({"t", "http://127.0.0.1:1/b.gif", "0"});
  EXPECT_TRUE(frm.crawlLoaded());
  frm.flushRows();
  EXPECT_EQ(frm.crawlList().rowCount(), 2);
  EXPECT_EQ(frm.crawlList().row(1).url, "http://127.0.0.1:1/b.gif");

  frm.show();
  frm.close();
  EXPECT_FALSE(crawl.isLoaded());
  EXPECT_FALSE(frm.crawlLoaded());
  EXPECT_FALSE(frm.isVisible());
  crawl.setObserver(nullptr);
}

}  // namespace
}  // namespace harvel::test
