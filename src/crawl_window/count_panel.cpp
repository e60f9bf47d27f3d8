#include "crawl_window/count_panel.h"

namespace harvel {

CountPanel::CountPanel(const char* name, QString label, QWidget* parent)
    : QLabel(parent), label_(std::move(label)) {
  setObjectName(QString::fromLatin1(name));
  hide();
}

void CountPanel::add(const RequestRecord& record) {
  list_.add(QString::fromStdString(RequestRecordText(record)));
  setText(QStringLiteral("%1:%2").arg(label_).arg(list_.count()));
  setToolTip(list_.toolTip());
  show();
}

void CountPanel::clear() {
  list_.clear();
  QLabel::clear();
  setToolTip(QString());
  hide();
}

}  // namespace harvel
