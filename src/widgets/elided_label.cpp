#include "widgets/elided_label.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace harvel {

QString ElideAtGrapheme(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width)
    return text;
  const QString ellipsis(QChar(0x2026));
  const int room = width - metrics.horizontalAdvance(ellipsis);
  QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
  qsizetype fits = 0;
  for (qsizetype end = graphemes.toNextBoundary(); end > 0; end = graphemes.toNextBoundary()) {
    if (metrics.horizontalAdvance(text.left(end)) > room)
      break;
    fits = end;
  }
  return text.left(fits) + ellipsis;
}

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(parent) {
  setFullText(text);
}

void ElidedLabel::setFullText(const QString& text) {
  full_ = text;
  showFitting();
}

QSize ElidedLabel::minimumSizeHint() const {
  return {1, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  showFitting();
}

void ElidedLabel::showFitting() {
  const int width = contentsRect().width() - 2 * margin() - 2 * std::max(indent(), 0);
  const QString shown = ElideAtGrapheme(full_, fontMetrics(), std::max(width, 0));
  if (shown != text())
    setText(shown);
  setToolTip(shown == full_ ? QString() : full_);
}

}  // namespace harvel
