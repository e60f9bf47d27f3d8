#include "crawl_window/count_panel.h"

namespace harvel {

CountPanel::CountPanel(const char* name, const QString& caption, QWidget* parent)
    : QLabel(parent), caption_(caption) {
  setObjectName(QString::fromLatin1(name));
  hide();
}

void CountPanel::add(const RequestRecord& record) {
  list_.add(QString::fromStdString(RequestRecordText(record)));
  setText(QStringLiteral("%1:%2").arg(caption_).arg(list_.count()));
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
