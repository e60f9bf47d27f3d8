#include "main_window/picture_button.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace harvel {

namespace {

QPixmap PlatePixmap(QSize size, const QColor& top, const QColor& bottom) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF plate = QRectF(pixmap.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient gradient(plate.topLeft(), plate.bottomLeft());
  gradient.setColorAt(0.0, top);
  gradient.setColorAt(1.0, bottom);
  QPainterPath path;
  path.addRoundedRect(plate, 4, 4);
  painter.fillPath(path, gradient);
  painter.setPen(QPen(bottom.darker(150), 1));
  painter.drawPath(path);
  return pixmap;
}

}  // namespace

QPixmap DrawButtonPicture(const QString& words, QSize size) {
  QPixmap pixmap = PlatePixmap(size, QColor(0xf4, 0xf8, 0xff), QColor(0x9c, 0xb8, 0xe0));
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QFont font = painter.font();
  font.setPixelSize(12);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(QColor(0x1c, 0x32, 0x5a));
  painter.drawText(pixmap.rect(), Qt::AlignCenter, words);
  return pixmap;
}

QPixmap DrawLogoPicture(QSize size) {
  QPixmap pixmap = PlatePixmap(size, QColor(0x3a, 0x6e, 0xc8), QColor(0x14, 0x32, 0x78));
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QFont font = painter.font();
  font.setPixelSize(15);
  font.setBold(true);
  font.setItalic(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(pixmap.rect().adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   QStringLiteral("Harvel"));
  font.setPixelSize(10);
  font.setBold(false);
  font.setItalic(false);
  painter.setFont(font);
  painter.setPen(QColor(0xd8, 0xe4, 0xff));
  painter.drawText(pixmap.rect().adjusted(0, 0, -8, 0), Qt::AlignVCenter | Qt::AlignRight,
                   QStringLiteral("web collector"));
  return pixmap;
}

QPixmap DrawProgramIcon(int side) {
  QPixmap pixmap =
      PlatePixmap(QSize(side, side), QColor(0x3a, 0x6e, 0xc8), QColor(0x14, 0x32, 0x78));
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QFont font = painter.font();
  font.setPixelSize(side * 3 / 4);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("H"));
  painter.end();
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (const int side : {16, 32, 64})
    icon.addPixmap(DrawProgramIcon(side));
  return icon;
}

PictureButton::PictureButton(const QString& objectName, const QString& words, const QRect& geometry,
                             QWidget* parent)
    : QAbstractButton(parent), picture_(DrawButtonPicture(words, geometry.size())) {
  setObjectName(objectName);
  setAccessibleName(words);
  setToolTip(words);
  setFocusPolicy(Qt::StrongFocus);
  setGeometry(geometry);
}

void PictureButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  // Pressed: the picture sinks by one pixel; disabled: it fades.
  const QPoint offset = isDown() ? QPoint(1, 1) : QPoint(0, 0);
  if (!isEnabled())
    painter.setOpacity(0.45);
  painter.drawPixmap(offset, picture_);
  if (isDown()) {
    painter.fillRect(rect(), QColor(0, 0, 0, 28));
  }
  if (hasFocus()) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(2, 2, -2, -2);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
  }
}

}  // namespace harvel
