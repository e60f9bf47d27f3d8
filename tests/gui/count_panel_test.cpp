// The crawl window's counting panels: hidden until a file fails, then 失敗:N
// with the latest failures in its tool tip; the same for pictures left out as
// too small, 小さい画像:N, URLs refused by robots.txt, 除外:N, and files
// collected before, 取得済:N.
#include <gtest/gtest.h>

#include <QStatusBar>
#include <QTemporaryDir>

#include "common/event_pump.h"
#include "crawl/crawl_session.h"
#include "crawl/static_crawl_options.h"
#include "crawl_window/search_frm.h"
#include "idle_services.h"
#include "qstring_printer.h"

namespace harvel::test {
namespace {

RequestRecord Failed(int n) {
  RequestRecord record{"http://127.0.0.1/" + std::to_string(n) + ".gif",
                       "/h/site/" + std::to_string(n) + ".gif",
                       {}};
  record.outcome.landed = false;
  record.outcome.reason = "http-status";
  record.outcome.reasonText = "HTTP 404";
  record.outcome.httpStatus = 404;
  return record;
}

TEST(CountPanel, AppearsAtTheFirstFailureAndListsTheLatestInItsToolTip) {
  SearchFrm frm{SearchFrmServices{}};
  frm.show();
  frm.loaded();
  CountPanel* panel = frm.failurePanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->parentWidget(), frm.findChild<QStatusBar*>(QStringLiteral("StatusBar1")));
  EXPECT_FALSE(panel->isVisible());

  RequestRecord landed{"http://127.0.0.1/ok.gif", "/h/site/ok.gif", {}};
  frm.requestEnded(landed);
  EXPECT_FALSE(panel->isVisible());

  RequestRecord hostile = Failed(1);
  hostile.url = "http://127.0.0.1/<b>x</b>\r\nforged.gif";
  frm.requestEnded(hostile);
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(panel->text(), QStringLiteral("失敗:1"));
  const QString tip = panel->toolTip();
  EXPECT_TRUE(
      tip.contains(QStringLiteral("&lt;b&gt;x&lt;/b&gt;  forged.gif -&gt; /h/site/1.gif: "
                                  "失敗 (HTTP 404), 0 バイト, 0.000 秒")))
      << tip.toStdString();
  EXPECT_EQ(tip.count(QStringLiteral("HTTP 404")), 1);  // the reason is the status: said once

  for (int n = 2; n <= 25; ++n)
    frm.requestEnded(Failed(n));
  EXPECT_EQ(panel->text(), QStringLiteral("失敗:25"));
  ASSERT_EQ(panel->latest().size(), CountPanel::kListed);
  EXPECT_TRUE(panel->latest().back().startsWith(QStringLiteral("http://127.0.0.1/25.gif")));
  EXPECT_TRUE(panel->latest().front().startsWith(QStringLiteral("http://127.0.0.1/6.gif")));
  EXPECT_TRUE(panel->toolTip().contains(QStringLiteral("(5)")));

  // A picture left out is counted apart, with its size, and is no failure.
  CountPanel* small = frm.tooSmallPanel();
  EXPECT_FALSE(small->isVisible());
  RequestRecord thumb = Failed(26);
  thumb.outcome.httpStatus = 200;
  thumb.outcome.tooSmall = PictureSize{120, 90};
  frm.requestEnded(thumb);
  EXPECT_TRUE(small->isVisible());
  EXPECT_EQ(small->text(), QStringLiteral("小さい画像:1"));
  EXPECT_TRUE(small->toolTip().contains(QStringLiteral("小さい画像 (120x90), HTTP 200")));
  EXPECT_EQ(panel->text(), QStringLiteral("失敗:25"));

  // So is a URL refused by robots.txt, with the rule.
  CountPanel* robots = frm.robotsPanel();
  RequestRecord refused = Failed(27);
  refused.outcome.httpStatus = 0;
  refused.outcome.robotsExcluded = true;
  refused.outcome.reason = "robots";
  refused.outcome.reasonText = "robots.txt: Disallow: /private/";
  frm.requestEnded(refused);
  EXPECT_EQ(robots->text(), QStringLiteral("除外:1"));
  EXPECT_TRUE(
      robots->toolTip().contains(QStringLiteral("除外 (robots.txt: Disallow: /private/), HTTP -")));
  EXPECT_EQ(panel->text(), QStringLiteral("失敗:25"));

  // A new crawl starts without any.
  frm.loaded();
  EXPECT_FALSE(panel->isVisible());
  EXPECT_FALSE(small->isVisible());
  EXPECT_FALSE(robots->isVisible());
  EXPECT_EQ(panel->count(), 0);
  frm.close();
}

// Every request fails at once, its notice written while the call is under way.
class FailingChannel : public DownloadChannel {
 public:
  void Downloading(const FileRequest&, std::weak_ptr<Mailbox> mailbox) override {
    if (auto box = mailbox.lock()) {
      box->outcome = DownloadOutcome{};
      box->outcome.landed = false;
      box->outcome.reason = "connection-refused";
      box->outcome.reasonText = "connection refused";
      box->text = std::to_string(++notices_);
    }
  }

 private:
  int notices_ = 0;
};

TEST(CountPanel, CountsTheEnginesFailedRequests) {
  StaticCrawlOptions options;
  IdlePump pump;
  FailingChannel channel;
  NoShell shell;
  QTemporaryDir harvelFolder;
  ASSERT_TRUE(harvelFolder.isValid());
  CrawlSession crawl(options, pump, channel, shell, harvelFolder.path().toStdString());
  crawl.setCompletionPauseMs(0);
  SearchFrm frm{SearchFrmServices{[&crawl] { crawl.unload(); }, {}, {}}};
  crawl.setObserver(&frm);
  frm.show();

  crawl.appendRow({"t", "http://127.0.0.1:1/a.gif", "0"});
  crawl.appendRow({"t", "javascript:void(0).gif", "0"});
  EXPECT_EQ(crawl.start({"t", "http://127.0.0.1:1/b.gif", "0"}), CrawlOutcome::Completed);
  // Two requests failed and one row could not be sent; the window has closed
  // itself at completion and keeps what it showed.
  EXPECT_EQ(frm.failurePanel()->count(), 3);
  EXPECT_EQ(frm.failurePanel()->text(), QStringLiteral("失敗:3"));
  EXPECT_TRUE(frm.failurePanel()->latest()[1].startsWith(
      QStringLiteral("javascript:void(0).gif -> ") + harvelFolder.path() + QStringLiteral("/t/")))
      << frm.failurePanel()->latest()[1].toStdString();
  EXPECT_TRUE(frm.failurePanel()->latest()[2].contains(QStringLiteral("接続を拒否されました")));
  crawl.setObserver(nullptr);
}

}  // namespace
}  // namespace harvel::test
