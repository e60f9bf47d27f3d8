#pragma once

#include <QFontMetrics>
#include <QLabel>
#include <QString>

namespace harvel {

// `text` cut to fit `width` pixels with "…" at its end, never inside a
// character or a character made of several (a letter and its marks, a
// surrogate pair, an emoji sequence); the whole text when it fits.
QString ElideAtGrapheme(const QString& text, const QFontMetrics& metrics, int width);

// A status-bar panel whose text, when wider than the panel, ends in "…" at a
// character's boundary (ElideAtGrapheme); the whole text is then its tool tip.
class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

  void setFullText(const QString& text);
  const QString& fullText() const { return full_; }
  // The panel may be narrowed to nothing: its text is cut to its width.
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void showFitting();

  QString full_;
};

}  // namespace harvel
