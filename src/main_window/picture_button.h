#pragma once

#include <QAbstractButton>
#include <QIcon>
#include <QPixmap>

namespace harvel {

// A button without caption text that shows a picture of its words, drawn when
// the button is made. Screen readers get the words as its accessible name.
class PictureButton : public QAbstractButton {
  Q_OBJECT
 public:
  PictureButton(const QString& objectName, const QString& words, const QRect& geometry,
                QWidget* parent);

  const QPixmap& picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap picture_;
};

// Draws the words centred on a small glossy plate of `size` pixels.
QPixmap DrawButtonPicture(const QString& words, QSize size);

// The decorative picture at the top right of the main window.
QPixmap DrawLogoPicture(QSize size);

// The program's icon, shared by both windows: an "H" on the logo's plate, drawn
// `side` pixels square (the installed icon files are drawn with it too).
QPixmap DrawProgramIcon(int side);
QIcon ProgramIcon();

}  // namespace harvel
