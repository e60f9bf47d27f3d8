#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QToolButton;

namespace harvel {

// An up-down control attached to a text box (its buddy). Each arrow click steps
// the number typed in the box by one within the range and writes it back. Text
// that is not a number counts as 0; a number outside the range is first brought
// into it, so "25" steps down to 9 and up to 10.
class UpDown : public QWidget {
  Q_OBJECT
 public:
  UpDown(const QString& objectName, int minimum, int maximum, QWidget* parent);

  void setBuddy(QLineEdit* buddy) { buddy_ = buddy; }
  QLineEdit* buddy() const { return buddy_; }
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  int position() const { return position_; }  // the number last written, 0 at start

  // The arrows: +1 for up, -1 for down.
  void stepBy(int steps);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* up_;
  QToolButton* down_;
  QPointer<QLineEdit> buddy_;
  int minimum_;
  int maximum_;
  int position_;
};

}  // namespace harvel
