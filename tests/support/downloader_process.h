#pragma once

#include <QProcess>
#include <chrono>
#include <optional>
#include <string>

namespace harvel::test {

// The folder that the build puts harvel-cli and VeskDownloader in.
std::string ProgramFolderOfBuild();
std::string DownloaderProgram();

// The socket path the programs meet at in this (isolated) environment.
std::string EndpointPath();

// True when something accepts connections on the downloader's socket.
bool DownloaderAnswers();

// Waits, bounded, until DownloaderAnswers() is `answers`.
bool WaitUntilDownloaderAnswers(bool answers,
                                std::chrono::milliseconds timeout = std::chrono::seconds(10));

// The process id of the running downloader, read from its lock file.
std::optional<long> RunningDownloaderPid();

// Kills the running downloader (whoever started it) and waits until it is gone.
void KillRunningDownloader();

// A VeskDownloader process started and owned by a test; killed when it goes.
class DownloaderProcess {
 public:
  DownloaderProcess() = default;
  ~DownloaderProcess();

  // Starts `VeskDownloader wake` and waits until it accepts connections.
  bool start();
  void kill();
  QProcess& process() { return process_; }

 private:
  QProcess process_;
};

}  // namespace harvel::test
