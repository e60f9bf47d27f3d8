#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <set>

#include "list_file/list_file.h"
#include "main_frm_fixture.h"

namespace harvel::test {
namespace {

// The File menu through its handlers, with the dialog answered by the test.
class ListFileMenuTest : public MainFrmTest {
 protected:
  void SetUp() override {
    MainFrmTest::SetUp();
    ASSERT_TRUE(folder.isValid());
    frm->listFileDialog().setRunner([this](QFileDialog& dialog) -> std::optional<QString> {
      seen.push_back({dialog.acceptMode(), frm->listFileDialog().fileName()});
      dialogs.insert(&dialog);
      if (answers.empty())
        return std::nullopt;
      std::optional<QString> answer = answers.front();
      answers.erase(answers.begin());
      return answer;
    });
  }

  QString path(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }

  QTemporaryDir folder;
  std::vector<std::optional<QString>> answers;                    // nullopt: the user cancels
  std::vector<std::pair<QFileDialog::AcceptMode, QString>> seen;  // mode, starting name
  std::set<QFileDialog*> dialogs;
};

TEST_F(ListFileMenuTest, OneDialogWithTheListFileSettings) {
  QFileDialog& dialog = frm->listFileDialog().dialog();
  EXPECT_EQ(dialog.objectName(), QStringLiteral("CommonDialog1"));
  EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("hvl"));
  EXPECT_EQ(dialog.nameFilters(), QStringList{QStringLiteral("Harvelリストファイル(*.hvl)")});
  EXPECT_TRUE(frm->listFileDialog().fileName().isEmpty());

  answers = {std::nullopt, std::nullopt};
  frm->IDM_FILE_OPEN_Click();
  frm->IMD_FILE_SAVE_Click();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, QFileDialog::AcceptOpen);
  EXPECT_EQ(seen[1].first, QFileDialog::AcceptSave);
  EXPECT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(*dialogs.begin(), &dialog);
}

TEST_F(ListFileMenuTest, SaveThenOpenAppendsTheSavedRows) {
  type("画像集", "http://127.0.0.1/a/", "2");
  frm->AddBtn_Click();
  const std::vector<CrawlTarget> saved = rows();

  answers = {path("list.hvl")};
  frm->IMD_FILE_SAVE_Click();
  ASSERT_TRUE(QFile::exists(path("list.hvl")));

  frm->AllDelBtn_Click();
  type("残る行", "http://keep/", "1");
  frm->AddBtn_Click();
  answers = {path("list.hvl")};
  frm->IDM_FILE_OPEN_Click();
  std::vector<CrawlTarget> expected{{"残る行", "http://keep/", "1"}};
  expected.insert(expected.end(), saved.begin(), saved.end());
  EXPECT_EQ(rows(), expected);

  // Opening the same file again lists its rows twice.
  answers = {path("list.hvl")};
  frm->IDM_FILE_OPEN_Click();
  EXPECT_EQ(rows().size(), 1 + 2 * saved.size());
  EXPECT_TRUE(messages.empty());
}

TEST_F(ListFileMenuTest, OpeningAsksWhetherToAddOrReplaceAndACancelKeepsTheList) {
  const std::vector<CrawlTarget> file{{"a", "http://a/", "1"}, {"b", "http://b/", "2"}};
  ASSERT_TRUE(SaveListFile(path("two.hvl").toStdString(), file));
  const std::vector<CrawlTarget> before = rows();

  nextChoice = -1;  // キャンセル
  answers = {path("two.hvl")};
  frm->IDM_FILE_OPEN_Click();
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_TRUE(questions[0].contains(path("two.hvl")));
  EXPECT_EQ(rows(), before);

  nextChoice = 1;  // 置き換え: the built-in row does not stay in front
  answers = {path("two.hvl")};
  frm->IDM_FILE_OPEN_Click();
  EXPECT_EQ(rows(), file);

  // An empty list takes the rows without a question.
  frm->AllDelBtn_Click();
  answers = {path("two.hvl")};
  frm->IDM_FILE_OPEN_Click();
  EXPECT_EQ(rows(), file);
  EXPECT_EQ(questions.size(), 2u);
  EXPECT_TRUE(messages.empty());
}

TEST_F(ListFileMenuTest, TheNextDialogStartsWithTheNameChosenLast) {
  std::vector<CrawlTarget> one{{"t", "http://t/", "1"}};
  ASSERT_TRUE(SaveListFile(path("first.hvl").toStdString(), one));
  answers = {path("first.hvl"), std::nullopt, std::nullopt};
  frm->IDM_FILE_OPEN_Click();
  frm->IMD_FILE_SAVE_Click();
  frm->IDM_FILE_OPEN_Click();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(seen[0].second.isEmpty());
  EXPECT_EQ(seen[1].second, path("first.hvl"));
  EXPECT_EQ(seen[2].second, path("first.hvl"));
}

TEST_F(ListFileMenuTest, ACancelledDialogReadsAndWritesNothing) {
  std::vector<CrawlTarget> one{{"t", "http://t/", "1"}};
  ASSERT_TRUE(SaveListFile(path("kept.hvl").toStdString(), one));
  answers = {path("kept.hvl")};
  frm->IDM_FILE_OPEN_Click();
  ASSERT_EQ(rows().size(), 2u);

  // Cancelled open: the remembered file is not read again.
  frm->IDM_FILE_OPEN_Click();
  EXPECT_EQ(rows().size(), 2u);

  // Cancelled save: the remembered file is not overwritten with the current list.
  frm->AllDelBtn_Click();
  QFile before(path("kept.hvl"));
  ASSERT_TRUE(before.open(QIODevice::ReadOnly));
  const QByteArray bytes = before.readAll();
  before.close();
  frm->IMD_FILE_SAVE_Click();
  QFile after(path("kept.hvl"));
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), bytes);
  EXPECT_EQ(frm->listFileDialog().fileName(), path("kept.hvl"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(ListFileMenuTest, AnEmptyNameReadsAndWritesNothing) {
  answers = {QString(), QString()};
  frm->IDM_FILE_OPEN_Click();
  frm->IMD_FILE_SAVE_Click();
  EXPECT_EQ(rows().size(), 1u);
  EXPECT_TRUE(QDir(folder.path()).isEmpty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(ListFileMenuTest, AFileThatCannotBeReadOrWrittenIsToldAndLosesNothing) {
  answers = {path("missing.hvl")};
  frm->IDM_FILE_OPEN_Click();
  EXPECT_EQ(rows().size(), 1u);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("missing.hvl")));

  answers = {path("no-such-folder/list.hvl")};
  frm->IMD_FILE_SAVE_Click();
  EXPECT_EQ(rows().size(), 1u);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_TRUE(messages[1].contains(QStringLiteral("list.hvl")));
}

TEST_F(ListFileMenuTest, TheSaveDialogAddsTheDefaultSuffix) {
  // The dialog itself, as the user fills it in: a name typed without extension.
  frm->listFileDialog().setRunner([this](QFileDialog& dialog) -> std::optional<QString> {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDirectory(folder.path());
    dialog.selectFile(QStringLiteral("mylist"));
    return dialog.selectedFiles().value(0);
  });
  frm->IMD_FILE_SAVE_Click();
  EXPECT_TRUE(QFile::exists(path("mylist.hvl")));
  EXPECT_EQ(frm->listFileDialog().fileName(), path("mylist.hvl"));
}

}  // namespace
}  // namespace harvel::test
