#include "test_site_server.h"

#include <chrono>
#include <stdexcept>
#include <utility>

namespace harvel::test {

TestSiteServer::TestSiteServer(std::string host) : host_(std::move(host)) {
  // A stalled client or handler must never keep a test waiting for long.
  server_.set_read_timeout(5, 0);
  server_.set_write_timeout(5, 0);
  // Each open connection holds one of the server's threads, also while it is
  // kept alive between requests. With the library's few threads, the transfers
  // a downloader runs at once waited for kept-alive connections to time out.
  server_.new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
  // stop() waits for the kept-alive connections to time out.
  server_.set_keep_alive_timeout(1);
}

TestSiteServer::~TestSiteServer() {
  stop();
}

void TestSiteServer::start() {
  port_ = server_.bind_to_any_port(host_);
  if (port_ <= 0)
    throw std::runtime_error("cannot bind a port on " + host_);
  // The socket listens already; connections wait in its backlog until the loop runs.
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  // stop() only stops a loop that runs: wait for it, or a quick test hangs in stop().
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!server_.is_running() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void TestSiteServer::stop() {
  slowFinished_ = true;
  if (!thread_.joinable())
    return;
  server_.stop();
  thread_.join();
}

void TestSiteServer::serveSlowly(const std::string& path, const std::string& type, int count,
                                 char fill, std::chrono::milliseconds gap) {
  server_.Get(path,
              [this, type, count, fill, gap](const httplib::Request&, httplib::Response& res) {
                {
                  const std::lock_guard<std::mutex> lock(slowMutex_);
                  slowStarted_ = true;
                }
                slowStart_.notify_all();
                res.set_chunked_content_provider(
                    type, [this, count, fill, gap](size_t, httplib::DataSink& sink) {
                      for (int i = 0; i < count && !slowFinished_; ++i) {
                        std::this_thread::sleep_for(gap);
                        if (!sink.write(&fill, 1))
                          return false;
                      }
                      sink.done();
                      return true;
                    });
              });
}

bool TestSiteServer::waitForSlowStart(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(slowMutex_);
  return slowStart_.wait_for(lock, timeout, [this] { return slowStarted_; });
}

void TestSiteServer::serveCutOff(const std::string& pattern) {
  server_.Get(pattern, [](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(100000, "image/gif", [](size_t, size_t, httplib::DataSink& sink) {
      const std::string part(1000, 'x');
      sink.write(part.data(), part.size());
      return false;
    });
  });
}

std::string TestSiteServer::url(const std::string& path) const {
  return "http://" + host_ + ":" + std::to_string(port_) + path;
}

}  // namespace harvel::test
