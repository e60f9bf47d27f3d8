#pragma once

#include <httplib.h>

#include <string>
#include <thread>

namespace harvel::test {

// A real HTTP server on 127.0.0.1 (a free port), run on a thread of its own.
// Add routes through routes() before start(); files under a mounted folder are
// served as they are.
class TestSiteServer {
 public:
  TestSiteServer();
  ~TestSiteServer();
  TestSiteServer(const TestSiteServer&) = delete;
  TestSiteServer& operator=(const TestSiteServer&) = delete;

  httplib::Server& routes() { return server_; }
  void mount(const std::string& folder) { server_.set_mount_point("/", folder); }
  void start();
  void stop();

  int port() const { return port_; }
  std::string url(const std::string& path) const;  // path starts with "/"

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = -1;
};

}  // namespace harvel::test
