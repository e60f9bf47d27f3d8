#include "downloader/render/browser_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace harvel {
namespace {

// Variables that would point the browser at the user's own profile, caches
// or proxy: the profile folder stands in for the first, the client's own
// proxy variables for the last.
bool IsReplacedVariable(std::string_view line) {
  for (std::string_view name :
       {"HOME=", "XDG_CONFIG_HOME=", "XDG_CACHE_HOME=", "XDG_DATA_HOME=", "http_proxy=",
        "https_proxy=", "ftp_proxy=", "all_proxy=", "no_proxy=", "HTTPS_PROXY=", "FTP_PROXY=",
        "ALL_PROXY=", "NO_PROXY=", "HTTP_PROXY="}) {
    if (line.substr(0, name.size()) == name)
      return true;
  }
  return false;
}

std::vector<std::string> BrowserEnvironment(const BrowserProcess::Launch& launch,
                                            const std::string& profile) {
  std::vector<std::string> lines;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!IsReplacedVariable(*entry))
      lines.emplace_back(*entry);
  }
  for (const char* name : {"HOME=", "XDG_CONFIG_HOME=", "XDG_CACHE_HOME=", "XDG_DATA_HOME="})
    lines.push_back(name + profile);
  for (const std::string& line : launch.environment)
    lines.push_back(line);
  return lines;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts)
    pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Runs in the guardian, after fork: only calls that are safe there.
[[noreturn]] void Guard(pid_t browser, int lifeline) {
  for (;;) {
    pollfd watch{lifeline, POLLIN, 0};
    const int ready = ::poll(&watch, 1, 500);
    if (ready > 0) {
      char byte;
      if (::read(lifeline, &byte, 1) <= 0)
        break;  // this program has gone, or stop() closed the pipe
    }
    int status = 0;
    if (::waitpid(browser, &status, WNOHANG) == browser)
      break;  // the browser ended: what it started goes too
  }
  ::kill(0, SIGKILL);
  ::_exit(0);
}

// Runs in the browser's process after the second fork.
[[noreturn]] void RunBrowser(int commandRead, int answerWrite, char** argv, char** envp) {
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // the guardian gone, the browser goes
  // Out of the way of 3 and 4 first, then onto them.
  const int command = ::fcntl(commandRead, F_DUPFD, 10);
  const int answer = ::fcntl(answerWrite, F_DUPFD, 10);
  if (command < 0 || answer < 0 || ::dup2(command, 3) < 0 || ::dup2(answer, 4) < 0)
    ::_exit(127);
  const int nothing = ::open("/dev/null", O_RDWR);
  if (nothing >= 0) {
    ::dup2(nothing, 0);
    ::dup2(nothing, 1);
    ::dup2(nothing, 2);
  }
  ::close_range(5, ~0U, 0);
  ::fcntl(3, F_SETFD, 0);
  ::fcntl(4, F_SETFD, 0);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::signal(SIGPIPE, SIG_DFL);
  ::execve(argv[0], argv, envp);
  ::_exit(127);
}

}  // namespace

BrowserProcess::~BrowserProcess() {
  stop();
}

std::vector<std::string> BrowserProcess::Flags(const Launch& launch, const std::string& profile) {
  std::vector<std::string> flags = {
      "--headless",
      "--remote-debugging-pipe",
      "--user-data-dir=" + profile,
      "--no-first-run",
      "--no-default-browser-check",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      "--disable-default-apps",
      "--disable-extensions",
      "--disable-breakpad",
      "--disable-crash-reporter",
      "--metrics-recording-only",
      "--disable-domain-reliability",
      "--disable-client-side-phishing-detection",
      "--no-pings",
      "--disable-features=NetworkPrediction,Translate,OptimizationHints,MediaRouter,"
      "AutofillServerCommunication,CertificateTransparencyComponentUpdater,"
      "InterestFeedContentSuggestions,PrivacySandboxSettings4,DialMediaRouteProvider",
      "--dns-prefetch-disable",
      "--disable-gpu",
      "--disable-dev-shm-usage",
      "--mute-audio",
      "--hide-scrollbars",
      "--window-size=" + std::to_string(launch.width) + "," + std::to_string(launch.height),
  };
  if (!launch.proxy.empty()) {
    flags.push_back("--proxy-server=" + launch.proxy);
    if (!launch.proxyBypass.empty())
      flags.push_back("--proxy-bypass-list=" + launch.proxyBypass);
  } else {
    flags.emplace_back("--no-proxy-server");
  }
  // Chromium cannot keep its sandbox when run as root.
  if (::geteuid() == 0)
    flags.emplace_back("--no-sandbox");
  flags.emplace_back("about:blank");
  return flags;
}

bool BrowserProcess::start(const Launch& launch, std::string& error) {
  stop();
  std::error_code failed;
  std::filesystem::path temp = std::filesystem::temp_directory_path(failed);
  if (failed)
    temp = "/tmp";
  // Profiles that killed downloaders left behind go first.
  BrowserProfile::RemoveStale(temp);
  if (!profile_.make(temp, error))
    return false;
  const std::string& profile = profile_.path();
  int command[2] = {-1, -1};
  int answer[2] = {-1, -1};
  int lifeline[2] = {-1, -1};
  if (::pipe2(command, O_CLOEXEC) != 0 || ::pipe2(answer, O_CLOEXEC) != 0 ||
      ::pipe2(lifeline, O_CLOEXEC) != 0) {
    error = std::string("cannot make the browser's pipes: ") + std::strerror(errno);
    for (int fd : {command[0], command[1], answer[0], answer[1], lifeline[0], lifeline[1]}) {
      if (fd >= 0)
        ::close(fd);
    }
    profile_.remove();
    return false;
  }
  if (::geteuid() == 0)
    std::fprintf(stderr,
                 "VeskDownloader: running as root, so the browser runs without its sandbox\n");

  std::vector<std::string> arguments = {launch.program};
  for (std::string& flag : Flags(launch, profile))
    arguments.push_back(std::move(flag));
  std::vector<std::string> environment = BrowserEnvironment(launch, profile);
  std::vector<char*> argv = Pointers(arguments);
  std::vector<char*> envp = Pointers(environment);

  const pid_t guardian = ::fork();
  if (guardian < 0) {
    error = std::string("cannot start the browser: ") + std::strerror(errno);
    for (int fd : {command[0], command[1], answer[0], answer[1], lifeline[0], lifeline[1]})
      ::close(fd);
    profile_.remove();
    return false;
  }
  if (guardian == 0) {
    ::setpgid(0, 0);
    const pid_t browser = ::fork();
    if (browser == 0)
      RunBrowser(command[0], answer[1], argv.data(), envp.data());
    ::close(command[0]);
    ::close(command[1]);
    ::close(answer[0]);
    ::close(answer[1]);
    ::close(lifeline[1]);
    if (browser < 0) {
      ::kill(0, SIGKILL);
      ::_exit(127);
    }
    // Nothing of this program's stays open here but the lifeline: a listening
    // socket kept by the guardian would take connections nobody answers.
    ::dup2(lifeline[0], 3);
    ::close_range(4, ~0U, 0);
    Guard(browser, 3);
  }
  ::setpgid(guardian, guardian);  // also here, so that stop() never misses the group
  ::close(command[0]);
  ::close(answer[1]);
  ::close(lifeline[0]);
  group_ = guardian;
  commandFd_ = command[1];
  answerFd_ = answer[0];
  lifelineFd_ = lifeline[1];
  return true;
}

void BrowserProcess::stop() {
  if (group_ > 0) {
    ::kill(-group_, SIGKILL);
    int status = 0;
    while (::waitpid(group_, &status, 0) < 0 && errno == EINTR) {
    }
    group_ = -1;
  }
  for (int* fd : {&commandFd_, &answerFd_, &lifelineFd_}) {
    if (*fd >= 0) {
      ::close(*fd);
      *fd = -1;
    }
  }
  profile_.remove();
}

std::int64_t BrowserProcess::residentBytes() const {
  if (group_ <= 0)
    return 0;
  std::int64_t total = 0;
  const long page = ::sysconf(_SC_PAGESIZE);
  std::error_code failed;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", failed)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
      continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line))
      continue;
    // After the command's closing parenthesis: state, ppid, pgrp.
    const auto close = line.rfind(')');
    if (close == std::string::npos)
      continue;
    std::istringstream fields(line.substr(close + 2));
    char state = 0;
    long parent = 0;
    long group = 0;
    fields >> state >> parent >> group;
    if (group != group_)
      continue;
    std::ifstream statm(entry.path() / "statm");
    long size = 0;
    long resident = 0;
    if (statm >> size >> resident)
      total += static_cast<std::int64_t>(resident) * page;
  }
  return total;
}

}  // namespace harvel
