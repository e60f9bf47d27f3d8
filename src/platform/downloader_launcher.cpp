#include "platform/downloader_launcher.h"

#include <signal.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include "platform/program_folder.h"

namespace harvel {
namespace {

constexpr std::chrono::milliseconds kStartPoll{20};

// False when the process `pid` is known to be gone or to run something else
// than a program started with `wake` (its number may have been given to
// another process since).
bool StillRunsWake(qint64 pid) {
  QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
  if (!QFileInfo::exists(QStringLiteral("/proc/self/cmdline")))
    return true;  // no /proc to ask
  if (!cmdline.open(QIODevice::ReadOnly))
    return false;
  return cmdline.readAll().endsWith(QByteArrayLiteral("\0wake\0"));
}

}  // namespace

bool DownloaderLauncher::start(QString& errorText) {
  const QString program = QString::fromStdString(DownloaderProgramIn(programFolder_.toStdString()));
  if (!QFileInfo(program).isExecutable()) {
    errorText = QStringLiteral("cannot start the downloader: %1 is missing").arg(program);
    return false;
  }
  QProcess process;
  process.setProgram(program);
  process.setArguments({QStringLiteral("wake")});
  process.setWorkingDirectory(programFolder_);
  // It outlives this program: it must not hold on to our output pipes.
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  if (!process.startDetached(&startedPid_)) {
    errorText = QStringLiteral("cannot start %1: %2").arg(program, process.errorString());
    return false;
  }
  started_ = true;
  return true;
}

DownloaderLauncher::Wait DownloaderLauncher::waitUntilAccepted(
    const std::function<bool()>& connect) {
  // The new downloader needs a moment before it accepts.
  QDeadlineTimer deadline(startTimeout_);
  while (!deadline.hasExpired()) {
    if (connect())
      return Wait::Accepted;
    if (!pause(kStartPoll))
      break;
  }
  if (stopped_)
    return Wait::Interrupted;
  return connect() ? Wait::Accepted : Wait::TimedOut;
}

bool DownloaderLauncher::pause(std::chrono::milliseconds time) {
  if (stopped_)
    return false;
  QEventLoop loop;
  QTimer::singleShot(time, &loop, [&loop] { loop.exit(1); });
  pauseLoop_ = &loop;
  // 1 from the timer; anything else ended the wait early (stopStarting(), or
  // the program quitting).
  const bool timeUp = loop.exec() == 1;
  pauseLoop_ = nullptr;
  return timeUp && !stopped_;
}

void DownloaderLauncher::stopStarting() {
  stopped_ = true;
  if (pauseLoop_ != nullptr)
    pauseLoop_->exit(0);
}

void DownloaderLauncher::endStarted() {
  if (startedPid_ > 0 && StillRunsWake(startedPid_))
    ::kill(static_cast<pid_t>(startedPid_), SIGTERM);
}

}  // namespace harvel
