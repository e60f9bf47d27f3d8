#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <QWidget>
#include <deque>

#include "crawl_window/thumbnail_decoding.h"

namespace harvel {

// One row of small pictures: the latest pictures that landed, newest on the
// left, each fitted into kBox × kBox with its aspect kept, as many as the
// width holds. Pictures are read on a small thread pool, newest first, never
// more than kDecodesAtOnce at a time: when they land faster than that, the
// ones pushed out of sight are never read. Only the thumbnails in sight are
// kept. A picture that cannot be read shows a small placeholder.
class ThumbnailStrip : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kBox = 96;
  static constexpr int kGap = 4;
  static constexpr int kHeight = kBox + 2 * kGap;
  static constexpr int kDecodesAtOnce = 2;
  static constexpr int kMostShown = 64;  // whatever the width

  enum class State { Waiting, Drawn, Unreadable };
  struct Shown {
    QString path;
    State state = State::Waiting;
    Thumbnail thumbnail;
    quint64 id = 0;
    bool reading = false;  // its decode has started
  };

  explicit ThumbnailStrip(QWidget* parent = nullptr);
  ~ThumbnailStrip() override;

  // A picture landed at `path`: it comes first.
  void add(const QString& path);
  void clear();

  // What is shown, newest first; at most capacity() of them.
  const std::deque<Shown>& shown() const { return shown_; }
  int capacity() const;
  int decodesUnderWay() const { return underWay_; }
  // The place under `point`, or -1.
  int indexAt(QPoint point) const;
  QString toolTipAt(int index) const;

 signals:
  // A thumbnail was double-clicked: open the picture.
  void openRequested(const QString& path);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QRect boxAt(int index) const;
  void trim();
  void startDecodes();
  void decoded(quint64 id, const Thumbnail& thumbnail);

  std::deque<Shown> shown_;
  quint64 nextId_ = 1;
  int underWay_ = 0;
  QThreadPool pool_;
};

}  // namespace harvel
