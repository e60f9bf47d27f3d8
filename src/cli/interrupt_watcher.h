#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace harvel {

// Turns Ctrl-C (SIGINT) and SIGTERM into a call on the event loop, so that a
// crawl can be ended cleanly: the window is closed and a downloader that was
// started is closed too. A second signal ends the program at once.
class InterruptWatcher : public QObject {
  Q_OBJECT

 public:
  explicit InterruptWatcher(std::function<void()> onInterrupt, QObject* parent = nullptr);
  ~InterruptWatcher() override;

  bool interrupted() const { return interrupted_; }

 private:
  void handle();

  std::function<void()> onInterrupt_;
  std::unique_ptr<QSocketNotifier> notifier_;
  bool interrupted_ = false;
};

}  // namespace harvel
