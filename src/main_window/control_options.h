#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSpinBox>
#include <array>
#include <cstdint>

#include "crawl/crawl_options.h"
#include "crawl/option_table.h"

namespace harvel {

// The crawl's live view of the main window's option controls. Nothing is
// copied: every question reads the control as it is at that moment.
class ControlOptions : public CrawlOptions {
 public:
  void bind(Check check, QCheckBox* box) { boxes_[static_cast<std::size_t>(check)] = box; }
  void bindUserSetText(QLineEdit* edit) { userSetTxt_ = edit; }
  void bindCommonUrlText(QLineEdit* edit) { commonURLTxt_ = edit; }
  void bindSpeedLevel(const std::int16_t* speedLevel) { speedLevel_ = speedLevel; }
  void bindJobs(QSpinBox* jobs) { jobs_ = jobs; }
  // A spin box in KB whose 0 stands for no limit.
  void bindMaxFileSize(QSpinBox* kilobytes) { maxFileSizeKb_ = kilobytes; }
  // Two spin boxes in pixels; 0 × 0 keeps every picture.
  void bindMinimumPicture(QSpinBox* width, QSpinBox* height) {
    minPictureWidth_ = width;
    minPictureHeight_ = height;
  }
  void bindOnlyNew(QCheckBox* box) { onlyNew_ = box; }
  void bindRender(QCheckBox* box) { render_ = box; }
  void bindRobots(QCheckBox* box) { robots_ = box; }
  void bindSameSite(QCheckBox* box) { sameSite_ = box; }
  void bindAllLinks(QCheckBox* box) { allLinks_ = box; }
  void bindNextPages(QSpinBox* pages) { nextPages_ = pages; }
  // One rule a line (ParseUrlRuleLines); read again only when the text changed.
  void bindUrlRules(QPlainTextEdit* rules) { urlRules_ = rules; }

  // A box holds 1 when ticked, 0 when clear, 2 when greyed (which counts as off).
  int value(Check check) const override;
  std::string userSetText() const override;
  std::string commonUrlText() const override;
  int speedLevel() const override { return speedLevel_ ? *speedLevel_ : 0; }
  int jobs() const override { return jobs_ ? jobs_->value() : 1; }
  std::optional<std::int64_t> maxFileSize() const override;
  PictureSize minimumPicture() const override;
  bool onlyNew() const override { return onlyNew_ && onlyNew_->isChecked(); }
  // A box that is disabled (no browser) counts as off.
  int renderScrolls() const override {
    return render_ && render_->isEnabled() && render_->isChecked() ? kDefaultRenderScrolls : 0;
  }
  bool robots() const override { return robots_ && robots_->isChecked(); }
  bool sameSite() const override { return sameSite_ && sameSite_->isChecked(); }
  bool allLinks() const override { return allLinks_ && allLinks_->isChecked(); }
  int nextPages() const override { return nextPages_ ? nextPages_->value() : 0; }
  std::shared_ptr<const UrlRules> urlRules() const override;

  // The value a check state stands for.
  static int ValueOf(Qt::CheckState state);

 private:
  std::array<QPointer<QCheckBox>, kCheckCount> boxes_{};
  QPointer<QLineEdit> userSetTxt_;
  QPointer<QLineEdit> commonURLTxt_;
  const std::int16_t* speedLevel_ = nullptr;
  QPointer<QSpinBox> jobs_;
  QPointer<QSpinBox> maxFileSizeKb_;
  QPointer<QSpinBox> minPictureWidth_;
  QPointer<QSpinBox> minPictureHeight_;
  QPointer<QCheckBox> onlyNew_;
  QPointer<QCheckBox> render_;
  QPointer<QCheckBox> robots_;
  QPointer<QCheckBox> sameSite_;
  QPointer<QCheckBox> allLinks_;
  QPointer<QSpinBox> nextPages_;
  QPointer<QPlainTextEdit> urlRules_;
  mutable QString rulesText_;  // the text `rules_` was read from
  mutable std::shared_ptr<const UrlRules> rules_;
};

}  // namespace harvel
