#include "crawl_window/count_panel.h"

namespace harvel {
namespace {

// A URL from a hostile page must not break the list's lines.
QString OneLine(const std::string& text) {
  QString line = QString::fromStdString(text);
  for (QChar& c : line) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
      c = QLatin1Char(' ');
  }
  return line;
}

}  // namespace

CountPanel::CountPanel(const char* name, const QString& caption, QWidget* parent)
    : QLabel(parent), caption_(caption) {
  setObjectName(QString::fromLatin1(name));
  hide();
}

void CountPanel::add(const RequestRecord& record) {
  ++count_;
  latest_.append(OneLine(RequestRecordText(record)));
  while (latest_.size() > kListed)
    latest_.removeFirst();
  setText(QStringLiteral("%1:%2").arg(caption_).arg(count_));
  // Shown as plain lines: a URL holding "<" is not markup.
  QString tip = QStringLiteral("<p style='white-space:pre'>");
  if (count_ > latest_.size())
    tip += QStringLiteral("… (%1)<br>").arg(count_ - latest_.size());
  tip += latest_.join(QLatin1Char('\n'))
             .toHtmlEscaped()
             .replace(QLatin1Char('\n'), QStringLiteral("<br>"));
  tip += QStringLiteral("</p>");
  setToolTip(tip);
  show();
}

void CountPanel::clear() {
  count_ = 0;
  latest_.clear();
  QLabel::clear();
  setToolTip(QString());
  hide();
}

}  // namespace harvel
