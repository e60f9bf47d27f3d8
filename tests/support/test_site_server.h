#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace harvel::test {

// A real HTTP server on 127.0.0.1, or another loopback address such as
// 127.0.0.2 for a second host (a free port), run on a thread of its own.
// Add routes through routes() before start(); files under a mounted folder are
// served as they are.
class TestSiteServer {
 public:
  explicit TestSiteServer(std::string host = "127.0.0.1");
  ~TestSiteServer();
  TestSiteServer(const TestSiteServer&) = delete;
  TestSiteServer& operator=(const TestSiteServer&) = delete;

  httplib::Server& routes() { return server_; }
  void mount(const std::string& folder) { server_.set_mount_point("/", folder); }
  void start();
  void stop();

  // Serves `path` as `count` copies of `fill`, one every `gap`: a download that
  // takes a while. waitForSlowStart() waits until such a route has been asked
  // for (false when none was in time); finishSlowAnswers() (and stop()) makes
  // every slow answer end at once.
  void serveSlowly(const std::string& path, const std::string& type, int count, char fill,
                   std::chrono::milliseconds gap = std::chrono::milliseconds(50));
  bool waitForSlowStart(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  void finishSlowAnswers() { slowFinished_ = true; }

  // Serves the paths matching `pattern` as a GIF whose answer promises 100000
  // bytes, sends 1000 and hangs up: a download cut off.
  void serveCutOff(const std::string& pattern);

  int port() const { return port_; }
  std::string url(const std::string& path) const;  // path starts with "/"

 private:
  // More than the connections a downloader opens at once: the most jobs a
  // crawl may ask for, its ordinary requests, and another client's.
  static constexpr int kThreads = 48;

  httplib::Server server_;
  std::thread thread_;
  std::string host_;
  int port_ = -1;
  std::mutex slowMutex_;
  std::condition_variable slowStart_;
  bool slowStarted_ = false;  // guarded by slowMutex_
  std::atomic<bool> slowFinished_{false};
};

}  // namespace harvel::test
