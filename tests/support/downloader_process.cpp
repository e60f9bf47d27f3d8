#include "downloader_process.h"

#include <signal.h>

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>
#include <fstream>

#include "downloader/protocol/endpoint.h"

namespace harvel::test {

std::string ProgramFolderOfBuild() {
  return HARVEL_PROGRAM_FOLDER;
}

std::string DownloaderProgram() {
  return ProgramFolderOfBuild() + "/VeskDownloader";
}

std::string EndpointPath() {
  std::string error;
  return DownloaderEndpoint(error).value_or("");
}

bool DownloaderAnswers() {
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(EndpointPath()));
  return socket.waitForConnected(500);
}

bool WaitUntilDownloaderAnswers(bool answers, std::chrono::milliseconds timeout) {
  QDeadlineTimer deadline(timeout);
  while (DownloaderAnswers() != answers) {
    if (deadline.hasExpired())
      return false;
    QThread::msleep(20);
  }
  return true;
}

std::optional<long> RunningDownloaderPid() {
  std::ifstream lock(EndpointPath() + ".lock");
  long pid = 0;
  if (!(lock >> pid) || pid <= 0)
    return std::nullopt;
  return pid;
}

void KillRunningDownloader() {
  if (auto pid = RunningDownloaderPid())
    ::kill(static_cast<pid_t>(*pid), SIGKILL);
  WaitUntilDownloaderAnswers(false, std::chrono::seconds(5));
}

DownloaderProcess::~DownloaderProcess() {
  kill();
}

bool DownloaderProcess::start() {
  process_.setProgram(QString::fromStdString(DownloaderProgram()));
  process_.setArguments({QStringLiteral("wake")});
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.start();
  if (!process_.waitForStarted(5000))
    return false;
  return WaitUntilDownloaderAnswers(true);
}

void DownloaderProcess::kill() {
  if (process_.state() == QProcess::NotRunning)
    return;
  process_.kill();
  process_.waitForFinished(5000);
}

}  // namespace harvel::test
