#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>
#include <QTreeView>
#include <memory>
#include <vector>

#include "main_window/main_frm.h"
#include "qstring_printer.h"

namespace harvel::test {

// A MainFrm after Form_Load whose services record what the window asks for.
class MainFrmTest : public ::testing::Test {
 protected:
  void SetUp() override { make(); }

  void make(bool downloaderFound = true) {
    MainFrmServices services;
    services.findOrStartDownloader = [this, downloaderFound](QString* error) {
      ++downloaderLookups;
      if (!downloaderFound)
        *error = QStringLiteral("VeskDownloader が見つかりません");
      return downloaderFound;
    };
    services.startCrawl = [this](const CrawlTarget& row) {
      started.push_back(row);
      if (duringCrawl)
        duringCrawl();
      return nextStart;
    };
    services.closeCrawlWindow = [this] { calls.push_back("closeCrawlWindow"); };
    services.closeDownloader = [this] { calls.push_back("closeDownloader"); };
    services.endProgram = [this] { calls.push_back("endProgram"); };
    services.openUrl = [this](const QUrl& page) { opened.push_back(page.toString()); };
    services.showMessage = [this](const QString& text) { messages.push_back(text); };
    services.confirm = [this](const QString& question, std::function<void(bool)> answered) {
      questions.push_back(question);
      answered(nextAnswer);
    };
    services.choose = [this](const QString& question, const QStringList&,
                             std::function<void(int)> answered) {
      questions.push_back(question);
      answered(nextChoice);
    };
    services.keptListFolder = keptListFolder;
    frm = std::make_unique<MainFrm>(std::move(services));
    frm->Form_Load();
  }

  template <typename T>
  T* control(const char* name) {
    T* found = frm->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QCheckBox* box(const char* name) { return control<QCheckBox>(name); }
  QLineEdit* edit(const char* name) { return control<QLineEdit>(name); }
  QTreeView* list() { return control<QTreeView>("ListView1"); }

  std::vector<CrawlTarget> rows() const { return frm->collectionList().rows(); }
  void type(const char* title, const char* url, const char* level) {
    edit("TitleTxt")->setText(QString::fromUtf8(title));
    edit("URLTxt")->setText(QString::fromUtf8(url));
    edit("LevelTxt")->setText(QString::fromUtf8(level));
  }
  void select(int row) { list()->setCurrentIndex(frm->collectionList().index(row, 0)); }

  std::unique_ptr<MainFrm> frm;
  int downloaderLookups = 0;
  std::vector<CrawlTarget> started;
  CrawlStartResult nextStart;
  std::function<void()> duringCrawl;  // runs inside the crawl start, as the crawl's events do
  std::vector<std::string> calls;
  std::vector<QString> opened;
  std::vector<QString> messages;
  std::vector<QString> questions;
  bool nextAnswer = true;      // the answer to a yes-or-no question
  int nextChoice = 0;          // the answer to a choice: 0 追加, 1 置き換え, -1 cancelled
  std::string keptListFolder;  // empty: the list is not kept
};

}  // namespace harvel::test
