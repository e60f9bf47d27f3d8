#include "main_window/control_options.h"

#include <algorithm>
#include <memory>

#include "crawl/url_rules.h"

namespace harvel {

int ControlOptions::ValueOf(Qt::CheckState state) {
  switch (state) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    case Qt::Unchecked:
      break;
  }
  return 0;
}

int ControlOptions::value(Check check) const {
  const QCheckBox* box = boxes_[static_cast<std::size_t>(check)];
  return box ? ValueOf(box->checkState()) : 0;
}

std::string ControlOptions::userSetText() const {
  return userSetTxt_ ? userSetTxt_->text().toStdString() : std::string();
}

std::string ControlOptions::commonUrlText() const {
  return commonURLTxt_ ? commonURLTxt_->text().toStdString() : std::string();
}

std::optional<std::int64_t> ControlOptions::maxFileSize() const {
  if (!maxFileSizeKb_ || maxFileSizeKb_->value() <= 0)
    return std::nullopt;
  return std::int64_t{maxFileSizeKb_->value()} * 1024;
}

PictureSize ControlOptions::minimumPicture() const {
  const auto side = [](const QSpinBox* box) {
    return box ? static_cast<std::uint32_t>(std::max(box->value(), 0)) : 0u;
  };
  return {side(minPictureWidth_), side(minPictureHeight_)};
}

std::shared_ptr<const UrlRules> ControlOptions::urlRules() const {
  const QString text = urlRules_ ? urlRules_->toPlainText() : QString();
  if (text.trimmed().isEmpty())
    return nullptr;
  if (!rules_ || text != rulesText_) {
    std::string problem;  // shown by the dialog
    rules_ = std::make_shared<const UrlRules>(ParseUrlRuleLines(text.toStdString(), problem));
    rulesText_ = text;
  }
  return rules_;
}

}  // namespace harvel
