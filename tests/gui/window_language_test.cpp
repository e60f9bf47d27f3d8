// The windows' languages: which one an environment gets, the English texts of
// both windows and the dialog (the engine's texts and the failure lines
// among them), no caption cut off at the design sizes in either language, and
// status panels cut at a character's boundary.
#include "app/window_language.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTextBoundaryFinder>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <map>
#include <memory>

#include "crawl/crawl_session.h"
#include "crawl/record_status_text.h"
#include "crawl/static_crawl_options.h"
#include "crawl_window/search_frm.h"
#include "idle_services.h"
#include "main_frm_fixture.h"
#include "main_window/picture_button.h"
#include "widgets/elided_label.h"
#include "widgets/engine_text.h"
#include "widgets/failure_list.h"
#include "widgets/record_line.h"

namespace harvel::test {
namespace {

bool HasJapanese(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x3000 && u <= 0x30ff) || (u >= 0x4e00 && u <= 0x9fff) ||
        (u >= 0xff00 && u <= 0xffef))
      return true;
  }
  return false;
}

// Every text a window shows of its own: captions, titles, tool tips, place
// holders, accessible names, menus and list headers.
QStringList ShownTexts(QWidget* window) {
  QStringList texts{window->windowTitle()};
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  widgets.append(window);
  for (QWidget* widget : widgets) {
    texts << widget->toolTip() << widget->accessibleName();
    if (auto* label = qobject_cast<QLabel*>(widget))
      texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
      texts << button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget))
      texts << frame->title();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
      texts << edit->text() << edit->placeholderText();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
      texts << edit->placeholderText();
    if (auto* spin = qobject_cast<QSpinBox*>(widget))
      texts << spin->specialValueText() << spin->suffix();
    if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model()) {
      for (int column = 0; column < view->model()->columnCount(); ++column)
        texts << view->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }
  }
  for (QAction* action : window->findChildren<QAction*>())
    texts << action->text() << action->toolTip();
  return texts;
}

void ExpectNoJapanese(QWidget* window) {
  for (const QString& text : ShownTexts(window))
    EXPECT_FALSE(HasJapanese(text))
        << window->objectName().toStdString() << ": " << text.toStdString();
}

// What the control shows of its caption, without access-key marks or markup.
QString Caption(const QString& text) {
  QString plain =
      Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
  plain.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  plain.remove(QLatin1Char('&'));
  plain.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return plain;
}

// Each caption of a shown window is as wide as its text at most.
void ExpectNothingClipped(QWidget* window, const char* language) {
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(window) || qobject_cast<ElidedLabel*>(widget) != nullptr)
      continue;
    const std::string where = std::string(language) + " " + widget->objectName().toStdString() +
                              " in " + window->objectName().toStdString();
    const QFontMetrics metrics = widget->fontMetrics();
    if (auto* button = qobject_cast<PictureButton*>(widget)) {
      QFont drawn = QApplication::font();
      drawn.setPixelSize(12);  // as DrawButtonPicture draws the words
      drawn.setBold(true);
      EXPECT_LE(QFontMetrics(drawn).horizontalAdvance(button->accessibleName()),
                button->width() - 4)
          << where << ": " << button->accessibleName().toStdString();
    } else if (auto* label = qobject_cast<QLabel*>(widget);
               label && !label->wordWrap() && label->pixmap().isNull()) {
      const QString caption = Caption(label->text());
      EXPECT_LE(metrics.horizontalAdvance(caption), label->contentsRect().width())
          << where << ": " << caption.toStdString();
    } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
      QStyleOptionButton option;
      option.initFrom(box);
      option.text = box->text();
      const QRect room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
      EXPECT_LE(metrics.horizontalAdvance(Caption(box->text())), room.width())
          << where << ": " << box->text().toStdString();
    } else if (qobject_cast<QToolButton*>(widget) || qobject_cast<QPushButton*>(widget)) {
      const auto* captioned = static_cast<QAbstractButton*>(widget);
      EXPECT_LE(captioned->sizeHint().width(), captioned->width())
          << where << ": " << captioned->text().toStdString();
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
      EXPECT_LE(metrics.horizontalAdvance(Caption(frame->title())) + 16, frame->width())
          << where << ": " << frame->title().toStdString();
    } else if (auto* spin = qobject_cast<QSpinBox*>(widget);
               spin && spin->value() == spin->minimum()) {
      EXPECT_LE(metrics.horizontalAdvance(spin->specialValueText() + spin->suffix()),
                spin->findChild<QLineEdit*>()->width())
          << where << ": " << spin->specialValueText().toStdString();
    }
  }
}

// The English texts, installed for as long as the fixture lives.
class EnglishWindows : public MainFrmTest {
 protected:
  void SetUp() override {
    texts = std::make_unique<WindowTexts>(WindowLanguage::English,
                                          QStringList{QStringLiteral(HARVEL_BUILT_TRANSLATIONS)});
    ASSERT_TRUE(texts->loaded()) << HARVEL_BUILT_TRANSLATIONS;
    MainFrmTest::SetUp();
  }
  void TearDown() override {
    frm.reset();
    texts.reset();
  }

  std::unique_ptr<WindowTexts> texts;
};

// Every request lands at once.
class LandingChannel : public DownloadChannel {
 public:
  void Downloading(const FileRequest&, std::weak_ptr<Mailbox> mailbox) override {
    if (auto box = mailbox.lock()) {
      box->outcome = DownloadOutcome{};
      box->text = std::to_string(++notices_);
    }
  }

 private:
  int notices_ = 0;
};

TEST(WindowLanguage, IsJapaneseUnderJapaneseAndPlainLocalesAndEnglishElsewhere) {
  using Env = std::map<std::string, QString>;
  const auto choose = [](const Env& env) {
    return ChooseWindowLanguage([&env](const char* name) {
      const auto found = env.find(name);
      return found == env.end() ? QString() : found->second;
    });
  };
  constexpr auto ja = WindowLanguage::Japanese;
  constexpr auto en = WindowLanguage::English;
  EXPECT_EQ(choose({}), ja);
  EXPECT_EQ(choose({{"LANG", "C"}}), ja);
  EXPECT_EQ(choose({{"LANG", "C.UTF-8"}, {"LANGUAGE", "en_US"}}), ja);  // as gettext: C wins
  EXPECT_EQ(choose({{"LC_ALL", "POSIX"}, {"LANG", "en_US.UTF-8"}}), ja);
  EXPECT_EQ(choose({{"LANG", "ja_JP.UTF-8"}}), ja);
  EXPECT_EQ(choose({{"LANG", "en_US.UTF-8"}}), en);
  EXPECT_EQ(choose({{"LANG", "de_DE.UTF-8"}}), en);
  EXPECT_EQ(choose({{"LC_MESSAGES", "fr_FR.UTF-8"}, {"LANG", "ja_JP.UTF-8"}}), en);
  EXPECT_EQ(choose({{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "ja:en"}}), ja);
  EXPECT_EQ(choose({{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "en_GB:ja"}}), en);
  EXPECT_EQ(choose({{"LANG", "ja_JP.UTF-8"}, {"HARVEL_LANGUAGE", "en"}}), en);
  EXPECT_EQ(choose({{"LANG", "de_DE.UTF-8"}, {"HARVEL_LANGUAGE", "ja"}}), ja);

  // Not found: the windows keep their Japanese.
  QTemporaryDir empty;
  WindowTexts missing(WindowLanguage::English, {empty.path()});
  EXPECT_FALSE(missing.loaded());
  EXPECT_EQ(QCoreApplication::translate("harvel::MainFrm", "ファイル取得"),
            QStringLiteral("ファイル取得"));
}

TEST_F(EnglishWindows, ShowNoJapaneseInEitherWindowOrTheSettingsDialog) {
  EXPECT_EQ(control<QMenu>("IDM_FILE")->title(), QStringLiteral("&File"));
  ExpectNoJapanese(frm.get());
  ExpectNoJapanese(&frm->settingsDialog());
  SearchFrm crawlWindow{SearchFrmServices{}};
  crawlWindow.loaded();
  ExpectNoJapanese(&crawlWindow);
  for (const char* name : {"StatusBar1Failures", "StatusBar1Collected", "StatusBar1TooSmall"}) {
    RequestRecord record{"http://127.0.0.1/a.gif", "/h/a.gif", {}};
    record.outcome.landed = false;
    if (name[10] == 'C')
      record.outcome.alreadyCollected = true;
    if (name[10] == 'T')
      record.outcome.tooSmall = PictureSize{1, 1};
    crawlWindow.requestEnded(record);
    auto* panel = crawlWindow.findChild<QLabel*>(QString::fromLatin1(name));
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(HasJapanese(panel->text() + panel->toolTip())) << panel->text().toStdString();
  }
}

TEST_F(EnglishWindows, SayTheEnginesTextsAndFailuresInEnglish) {
  for (const char* caption : {CrawlSession::kCaptionCrawling, CrawlSession::kCaptionCompleted,
                              CrawlSession::kCaptionClosing}) {
    EXPECT_FALSE(HasJapanese(EngineText(caption))) << caption;
  }
  RecordStatus status;
  status.state = RecordStatus::State::Restarted;
  status.setAsidePath = "/h/t/.harvel/記録.old";  // what varies stays as it is
  for (const char* problem : {"foreign", "damaged"}) {
    status.problem = problem;
    const QString text = EngineText(RecordStatusText(status));
    EXPECT_TRUE(text.contains(QStringLiteral("/h/t/.harvel/記録.old"))) << text.toStdString();
    EXPECT_FALSE(HasJapanese(QString(text).remove(QStringLiteral("記録")))) << text.toStdString();
  }
  status.state = RecordStatus::State::Unusable;
  status.message = "read-only %2 folder";
  for (const char* problem : {"newer", "unwritable"}) {
    status.problem = problem;
    const QString text = EngineText(RecordStatusText(status));
    EXPECT_TRUE(text.contains(QStringLiteral("(read-only %2 folder)"))) << text.toStdString();
    EXPECT_FALSE(HasJapanese(text)) << text.toStdString();
  }

  // A crawl's own status texts and captions, and a title that names no folder.
  StaticCrawlOptions options;
  IdlePump pump;
  LandingChannel channel;
  NoShell shell;
  QTemporaryDir harvelFolder;
  CrawlSession crawl(options, pump, channel, shell, harvelFolder.path().toStdString());
  crawl.setCompletionPauseMs(0);
  SearchFrm crawlWindow{SearchFrmServices{[&crawl] { crawl.unload(); }, {}, {}}};
  crawl.setObserver(&crawlWindow);
  QStringList shown;
  QObject::connect(&crawlWindow, &QWidget::windowTitleChanged,
                   [&shown](const QString& title) { shown << title; });
  EXPECT_EQ(crawl.start({"t", "http://127.0.0.1:1/a.gif", "0"}), CrawlOutcome::Completed);
  shown << crawlWindow.statusPanelText(1) << crawlWindow.statusPanelText(2);
  EXPECT_TRUE(shown.contains(QStringLiteral("Download complete (closes in 2 seconds)")))
      << (shown.join('|')).toStdString();
  EXPECT_TRUE(shown.contains(QStringLiteral("Downloaded: 1 (left: 0)")))
      << (shown.join('|')).toStdString();
  for (const QString& text : shown)
    EXPECT_FALSE(HasJapanese(text)) << text.toStdString();
  EXPECT_EQ(crawl.start({"..", "http://127.0.0.1:1/a.gif", "0"}), CrawlOutcome::TitleRefused);
  const QString refused = EngineText(crawl.errorText());
  EXPECT_TRUE(refused.startsWith(QStringLiteral("\"..\" cannot name a folder")))
      << refused.toStdString();
  EXPECT_FALSE(HasJapanese(refused)) << refused.toStdString();
  crawl.setObserver(nullptr);

  // The failure lines say what the engine's record lines say.
  std::vector<RequestRecord> records(5, RequestRecord{"http://e.test/a.gif", "/h/a.gif", {}});
  for (RequestRecord& record : records) {
    record.outcome.landed = false;
    record.outcome.elapsedMs = 1234;
    record.outcome.bytes = 56;
  }
  records[0].outcome.reason = "http-status";
  records[0].outcome.reasonText = "HTTP 404";
  records[0].outcome.httpStatus = 404;
  records[1].outcome.reason = "connection-refused";
  records[1].outcome.reasonText = "connection refused: Failed to connect to e.test port 80";
  records[2].outcome.tooSmall = PictureSize{120, 90};
  records[2].outcome.httpStatus = 200;
  records[3].outcome.landed = true;
  records[3].outcome.rendered = true;
  records[3].outcome.pictures = {"http://e.test/b.png"};
  records[4].outcome.alreadyCollected = true;
  for (const RequestRecord& record : records) {
    FailureList engine;
    engine.add(QString::fromStdString(RequestRecordText(record)));
    EXPECT_EQ(RecordLine(record.url, record.path, record.outcome), engine.latest().front());
  }
}

TEST(WindowLanguage, JapaneseFailureLinesSayTheReasonOnceInJapanese) {
  DownloadOutcome outcome;
  outcome.landed = false;
  outcome.reason = "timeout";
  outcome.reasonText = "timed out: Operation timed out after 5000 milliseconds";
  outcome.elapsedMs = 5000;
  EXPECT_EQ(
      RecordLine("http://e.test/a", "/h/a", outcome),
      QStringLiteral("http://e.test/a -> /h/a: 失敗 (時間切れ: Operation timed out after 5000 "
                     "milliseconds), HTTP -, 0 バイト, 5.000 秒"));
  outcome.reason = "robots-new-code";  // a reason these windows do not know yet
  outcome.reasonText = "left out by robots.txt";
  EXPECT_EQ(ReasonLine(outcome), QStringLiteral("left out by robots.txt"));
}

TEST_F(MainFrmTest, NoCaptionIsClippedAtTheDesignSizesInEitherLanguage) {
  for (const char* language : {"ja", "en"}) {
    std::unique_ptr<WindowTexts> texts;
    if (language[0] == 'e') {
      frm.reset();
      texts = std::make_unique<WindowTexts>(WindowLanguage::English,
                                            QStringList{QStringLiteral(HARVEL_BUILT_TRANSLATIONS)});
      ASSERT_TRUE(texts->loaded());
      make();
    }
    frm->show();
    ExpectNothingClipped(frm.get(), language);
    frm->settingsDialog().show();
    ExpectNothingClipped(&frm->settingsDialog(), language);
    frm->settingsDialog().hide();
    SearchFrm crawlWindow{SearchFrmServices{}};
    crawlWindow.loaded();
    crawlWindow.show();
    ExpectNothingClipped(&crawlWindow, language);
    frm.reset();
  }
}

TEST(ElidedLabel, CutsAtACharactersBoundaryAndKeepsTheWholeText) {
  // Japanese with a combining sound mark, accented letters made of two code
  // points, and an emoji of a surrogate pair and a modifier.
  const QString text =
      QStringLiteral("か\u3099がe\u0301e\u0301 \U0001F44D\U0001F3FD リストをダブルクリック");
  const QFontMetrics metrics(QApplication::font());
  for (int width = 0; width <= metrics.horizontalAdvance(text) + 1; ++width) {
    const QString shown = ElideAtGrapheme(text, metrics, width);
    if (shown == text) {
      EXPECT_LE(metrics.horizontalAdvance(shown), width);
      continue;
    }
    ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << width;
    const qsizetype kept = shown.size() - 1;
    EXPECT_EQ(shown.left(kept), text.left(kept));
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    graphemes.setPosition(kept);
    EXPECT_TRUE(graphemes.isAtBoundary()) << width << ": " << shown.toStdString();
    EXPECT_TRUE(kept == 0 || metrics.horizontalAdvance(shown) <= width) << width;
  }

  MainFrmServices services;
  MainFrm frm(std::move(services));
  frm.show();
  auto* hint = frm.findChild<ElidedLabel*>();
  ASSERT_NE(hint, nullptr);
  EXPECT_EQ(frm.statusPanelText(2), hint->fullText());
  const QString longer = text.repeated(6);
  hint->setFullText(longer);
  EXPECT_EQ(frm.statusPanelText(2), longer);
  EXPECT_TRUE(hint->text().endsWith(QChar(0x2026))) << hint->text().toStdString();
  EXPECT_EQ(hint->toolTip(), longer);
}

}  // namespace
}  // namespace harvel::test
