#include "crawl_window/thumbnail_strip.h"

#include <QFileInfo>
#include <QHelpEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace harvel {
namespace {

// The placeholder of a picture that cannot be read: a small empty frame,
// crossed.
void DrawPlaceholder(QPainter& painter, QRect box) {
  const QRect mark(box.center() - QPoint(12, 10), QSize(24, 20));
  painter.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
  painter.setBrush(QColor(0xf4, 0xf4, 0xf4));
  painter.drawRect(mark);
  painter.drawLine(mark.topLeft(), mark.bottomRight());
  painter.drawLine(mark.bottomLeft(), mark.topRight());
}

}  // namespace

ThumbnailStrip::ThumbnailStrip(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ThumbnailStrip"));
  setMinimumHeight(kHeight);
  LimitPictureReading();
  pool_.setMaxThreadCount(kDecodesAtOnce);
}

ThumbnailStrip::~ThumbnailStrip() {
  // A decode under way posts its result to this strip: it must end first.
  pool_.clear();
  pool_.waitForDone();
}

int ThumbnailStrip::capacity() const {
  return std::clamp((width() - kGap) / (kBox + kGap), 1, kMostShown);
}

void ThumbnailStrip::add(const QString& path) {
  Shown shown;
  shown.path = path;
  shown.id = nextId_++;
  shown_.push_front(std::move(shown));
  trim();
  startDecodes();
  update();
}

void ThumbnailStrip::clear() {
  shown_.clear();  // results of decodes under way find nothing and are dropped
  update();
}

void ThumbnailStrip::trim() {
  while (static_cast<int>(shown_.size()) > capacity())
    shown_.pop_back();
}

void ThumbnailStrip::startDecodes() {
  for (Shown& next : shown_) {
    if (underWay_ >= kDecodesAtOnce)
      return;
    if (next.reading)
      continue;
    next.reading = true;
    ++underWay_;
    pool_.start([this, path = next.path, id = next.id] {
      const Thumbnail thumbnail = DecodeThumbnail(path, kBox);
      QMetaObject::invokeMethod(
          this, [this, id, thumbnail] { decoded(id, thumbnail); }, Qt::QueuedConnection);
    });
  }
}

void ThumbnailStrip::decoded(quint64 id, const Thumbnail& thumbnail) {
  --underWay_;
  const auto found = std::find_if(shown_.begin(), shown_.end(),
                                  [id](const Shown& shown) { return shown.id == id; });
  if (found != shown_.end()) {
    found->thumbnail = thumbnail;
    found->state = thumbnail.image.isNull() ? State::Unreadable : State::Drawn;
    update(boxAt(static_cast<int>(found - shown_.begin())));
  }
  startDecodes();
}

QRect ThumbnailStrip::boxAt(int index) const {
  return QRect(kGap + index * (kBox + kGap), (height() - kBox) / 2, kBox, kBox);
}

int ThumbnailStrip::indexAt(QPoint point) const {
  for (int i = 0; i < static_cast<int>(shown_.size()); ++i) {
    if (boxAt(i).contains(point))
      return i;
  }
  return -1;
}

QString ThumbnailStrip::toolTipAt(int index) const {
  if (index < 0 || index >= static_cast<int>(shown_.size()))
    return {};
  const Shown& shown = shown_[static_cast<std::size_t>(index)];
  const QLocale numbers(QLocale::Japanese, QLocale::Japan);
  QString tip = QFileInfo(shown.path).fileName() + QLatin1Char('\n');
  if (shown.state == State::Waiting)
    return tip + tr("読み込み中");
  if (shown.thumbnail.pixels.isValid()) {
    tip += tr("%1 × %2 ピクセル、")
               .arg(shown.thumbnail.pixels.width())
               .arg(shown.thumbnail.pixels.height());
  }
  if (shown.state == State::Unreadable)
    tip += tr("表示できない画像、");
  return tip + tr("%1 バイト").arg(numbers.toString(shown.thumbnail.bytes));
}

bool ThumbnailStrip::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = toolTipAt(indexAt(help->pos()));
    if (tip.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), tip, this, boxAt(indexAt(help->pos())));
    }
    return true;
  }
  return QWidget::event(event);
}

void ThumbnailStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int i = 0; i < static_cast<int>(shown_.size()); ++i) {
    const Shown& shown = shown_[static_cast<std::size_t>(i)];
    const QRect box = boxAt(i);
    switch (shown.state) {
      case State::Drawn: {
        QRect place(QPoint(), shown.thumbnail.image.size());
        place.moveCenter(box.center());
        painter.drawImage(place, shown.thumbnail.image);
        break;
      }
      case State::Unreadable:
        DrawPlaceholder(painter, box);
        break;
      case State::Waiting:
        painter.setPen(QColor(0xc8, 0xc8, 0xc8));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        break;
    }
  }
}

void ThumbnailStrip::resizeEvent(QResizeEvent*) {
  trim();
}

void ThumbnailStrip::mouseDoubleClickEvent(QMouseEvent* event) {
  const int index = indexAt(event->position().toPoint());
  if (index >= 0)
    emit openRequested(shown_[static_cast<std::size_t>(index)].path);
}

}  // namespace harvel
