#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "downloader/render/browser_profile.h"

namespace harvel {

// One headless browser, started over a pipe (no listening port) with a fresh,
// empty profile in a private temporary folder, and every process of it ended
// with stop() or the destructor.
//
// The browser is started under a small guardian process that leads a process
// group of its own: the browser and everything it starts belong to it. The
// guardian holds the read end of a pipe whose other end only this program
// holds, so when this program ends in any way (killed too) the guardian sees
// the pipe close and kills the whole group. stop() kills the group itself.
// A profile folder left by a killed program is removed at the next start.
class BrowserProcess {
 public:
  struct Launch {
    std::string program;                   // the browser's executable
    std::string proxy;                     // --proxy-server; empty for none
    std::string proxyBypass;               // --proxy-bypass-list, with a proxy
    std::vector<std::string> environment;  // NAME=value lines given to the browser
    int width = 1280;                      // the window the page is laid out in
    int height = 1024;
  };

  BrowserProcess() = default;
  ~BrowserProcess();  // stop()
  BrowserProcess(const BrowserProcess&) = delete;
  BrowserProcess& operator=(const BrowserProcess&) = delete;

  // Starts the browser. False with `error` set when the profile folder or
  // the pipes cannot be made or the process cannot be started (a program that
  // cannot be run shows only as a pipe that closes at once).
  bool start(const Launch& launch, std::string& error);
  bool running() const { return group_ > 0; }

  // The pipe ends: this program writes the browser's commands to the first
  // and reads its answers from the second (each message ends with a NUL).
  int commandFd() const { return commandFd_; }
  int answerFd() const { return answerFd_; }

  // Kills every process of the browser, waits for the guardian and removes
  // the profile folder. Does nothing when none runs.
  void stop();

  // The resident memory of every process of the browser together, in bytes.
  std::int64_t residentBytes() const;

  // The command-line flags a browser is started with (without the program).
  static std::vector<std::string> Flags(const Launch& launch, const std::string& profile);

 private:
  pid_t group_ = -1;  // the guardian, leader of the browser's process group
  int commandFd_ = -1;
  int answerFd_ = -1;
  int lifelineFd_ = -1;
  BrowserProfile profile_;
};

}  // namespace harvel
