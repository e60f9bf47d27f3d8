#pragma once

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "main_window/settings_section.h"

namespace harvel {

// 取得: the crawl options that did not fit the main window's options panel.
// Like the panel's, they are read by the crawl at each decision (through
// ControlOptions, which binds these controls), keep their values while the
// dialog is closed, and are not stored between runs.
class CollectSection : public SettingsSection {
  Q_DECLARE_TR_FUNCTIONS(CollectSection)

 public:
  explicit CollectSection(QWidget* parent);

  // 最小画像サイズ: the smallest picture kept, width and height in pixels;
  // 0 × 0 (at start) keeps every picture.
  QSpinBox* minPictureWidth() const { return minPictureWidth_; }
  QSpinBox* minPictureHeight() const { return minPictureHeight_; }
  // 取得済みのファイルは取得しない (off at first): each title's folder keeps a
  // record of what landed, and nothing recorded is asked for again.
  QCheckBox* onlyNew() const { return onlyNew_; }
  // ブラウザで表示してから読む (off at first): each page read for links is
  // opened in Chromium and scrolled down first. Disabled, with a tool tip
  // saying why, when no browser is found.
  QCheckBox* render() const { return render_; }
  // ロボット排除に従う (off at first): each site's robots.txt is obeyed.
  QCheckBox* robots() const { return robots_; }
  // What a crawl reaches, each off at first: 同じサイトのページだけ読む,
  // すべてのリンクをたどる, 次のページをたどる (pages in a chain, 0: none), and
  // the rules, one a line ("+PATTERN" takes, "-PATTERN" leaves out); a line
  // that cannot be read is named below the box and left out.
  QCheckBox* sameSite() const { return sameSite_; }
  QCheckBox* allLinks() const { return allLinks_; }
  QSpinBox* nextPages() const { return nextPages_; }
  QPlainTextEdit* urlRules() const { return urlRules_; }

 private:
  void showRuleProblem();

  QSpinBox* minPictureWidth_;
  QSpinBox* minPictureHeight_;
  QCheckBox* onlyNew_;
  QCheckBox* render_;
  QCheckBox* robots_;
  QCheckBox* sameSite_;
  QCheckBox* allLinks_;
  QSpinBox* nextPages_;
  QPlainTextEdit* urlRules_;
  QLabel* ruleProblem_;
};

}  // namespace harvel
