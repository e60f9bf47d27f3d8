#include "widgets/failure_list.h"

#include <QRegularExpression>

namespace harvel {

void FailureList::add(const QString& line) {
  ++count_;
  QString oneLine = line;
  for (QChar& c : oneLine) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
      c = QLatin1Char(' ');
  }
  // A reason that is the HTTP status already ("failed (HTTP 404), HTTP 404") says it once.
  static const QRegularExpression statusTwice(QStringLiteral(R"(\((HTTP \d+)\), \1(,|$))"));
  oneLine.replace(statusTwice, QStringLiteral("(\\1)\\2"));
  latest_.append(oneLine);
  while (latest_.size() > kListed)
    latest_.removeFirst();
}

void FailureList::clear() {
  count_ = 0;
  latest_.clear();
}

QString FailureList::toolTip() const {
  QString tip = QStringLiteral("<p style='white-space:pre'>");
  if (count_ > latest_.size())
    tip += QStringLiteral("… (%1)<br>").arg(count_ - latest_.size());
  tip += latest_.join(QLatin1Char('\n'))
             .toHtmlEscaped()
             .replace(QLatin1Char('\n'), QStringLiteral("<br>"));
  tip += QStringLiteral("</p>");
  return tip;
}

}  // namespace harvel
