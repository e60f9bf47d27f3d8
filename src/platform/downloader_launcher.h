#pragma once

#include <QEventLoop>
#include <QString>
#include <QtGlobal>
#include <chrono>
#include <functional>

namespace harvel {

// Starts VeskDownloader (`VeskDownloader wake`, from the program's folder)
// when none answers, and waits, bounded, until it accepts connections. The
// wait runs the event loop, so windows stay responsive meanwhile.
class DownloaderLauncher {
 public:
  explicit DownloaderLauncher(QString programFolder) : programFolder_(std::move(programFolder)) {}

  // Starts the downloader, which outlives this program. False with
  // `errorText` set when the program is missing or cannot be started.
  bool start(QString& errorText);
  bool startedDownloader() const { return started_; }

  enum class Wait { Accepted, Interrupted, TimedOut };
  // Tries `connect` until it succeeds, the start timeout is up or
  // stopStarting() is called.
  Wait waitUntilAccepted(const std::function<bool()>& connect);

  // From now on nothing is started or waited for: a wait under way ends.
  void stopStarting();
  bool stopped() const { return stopped_; }

  // Ends the started downloader, which does not listen yet and so has
  // nothing under way.
  void endStarted();

  void setStartTimeout(std::chrono::milliseconds timeout) { startTimeout_ = timeout; }
  std::chrono::milliseconds startTimeout() const { return startTimeout_; }

 private:
  // False when the wait ended early.
  bool pause(std::chrono::milliseconds time);

  QString programFolder_;
  bool started_ = false;
  bool stopped_ = false;
  qint64 startedPid_ = 0;
  QEventLoop* pauseLoop_ = nullptr;  // the wait under way, if any
  std::chrono::milliseconds startTimeout_{5000};
};

}  // namespace harvel
