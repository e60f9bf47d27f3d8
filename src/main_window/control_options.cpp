#include "main_window/control_options.h"

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

}  // namespace harvel
