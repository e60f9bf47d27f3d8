#include "crawl_window/failure_panel.h"

namespace harvel {

FailurePanel::FailurePanel(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("StatusBar1Failures"));
  hide();
}

void FailurePanel::add(const RequestRecord& record) {
  list_.add(QString::fromStdString(RequestRecordText(record)));
  setText(QStringLiteral("失敗:%1").arg(list_.count()));
  setToolTip(list_.toolTip());
  show();
}

void FailurePanel::clear() {
  list_.clear();
  QLabel::clear();
  setToolTip(QString());
  hide();
}

}  // namespace harvel
