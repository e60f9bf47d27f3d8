#include "crawl_window/failure_panel.h"

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

FailurePanel::FailurePanel(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("StatusBar1Failures"));
  hide();
}

void FailurePanel::add(const RequestRecord& record) {
  ++failures_;
  latest_.append(OneLine(RequestRecordText(record)));
  while (latest_.size() > kListed)
    latest_.removeFirst();
  setText(QStringLiteral("失敗:%1").arg(failures_));
  // Shown as plain lines: a URL holding "<" is not markup.
  QString tip = QStringLiteral("<p style='white-space:pre'>");
  if (failures_ > latest_.size())
    tip += QStringLiteral("… (%1)<br>").arg(failures_ - latest_.size());
  tip += latest_.join(QLatin1Char('\n'))
             .toHtmlEscaped()
             .replace(QLatin1Char('\n'), QStringLiteral("<br>"));
  tip += QStringLiteral("</p>");
  setToolTip(tip);
  show();
}

void FailurePanel::clear() {
  failures_ = 0;
  latest_.clear();
  QLabel::clear();
  setToolTip(QString());
  hide();
}

}  // namespace harvel
