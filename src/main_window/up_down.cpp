#include "main_window/up_down.h"

#include <QToolButton>
#include <algorithm>

#include "common/number_text.h"

namespace harvel {

UpDown::UpDown(const QString& objectName, int minimum, int maximum, QWidget* parent)
    : QWidget(parent),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)),
      minimum_(minimum),
      maximum_(maximum),
      position_(minimum) {
  setObjectName(objectName);
  for (QToolButton* arrow : {up_, down_}) {
    arrow->setAutoRepeat(true);
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setIconSize(QSize(6, 6));
  }
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  up_->setAccessibleName(tr("上へ"));
  down_->setAccessibleName(tr("下へ"));
  connect(up_, &QToolButton::clicked, this, [this] { stepBy(1); });
  connect(down_, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void UpDown::stepBy(int steps) {
  if (!buddy_)
    return;
  const auto typed = TextToInt16(buddy_->text().toStdString());
  const int from = std::clamp(typed ? int{*typed} : 0, minimum_, maximum_);
  position_ = std::clamp(from + steps, minimum_, maximum_);
  buddy_->setText(QString::number(position_));
}

void UpDown::resizeEvent(QResizeEvent*) {
  const int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace harvel
