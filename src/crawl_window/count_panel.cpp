#include "crawl_window/count_panel.h"

#include "widgets/record_line.h"

namespace harvel {

CountPanel::CountPanel(const char* name, const QString& caption, QWidget* parent)
    : QLabel(parent), caption_(caption) {
  setObjectName(QString::fromLatin1(name));
  hide();
}

void CountPanel::add(const RequestRecord& record) {
  list_.add(RecordLine(record.url, record.path, record.outcome));
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
