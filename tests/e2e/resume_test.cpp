// Downloads cut off part-way and continued (--only-new), through the real
// harvel-cli and VeskDownloader against a server on 127.0.0.1 that closes
// connections mid-file and answers range requests truthfully or not.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cli_process.h"
#include "downloader_process.h"
#include "record/file_sha256.h"
#include "scoped_env.h"
#include "temp_folder.h"

namespace harvel {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes)
    byte = static_cast<char>(random());
  return bytes;
}

// What the server was asked: the path and the Range and If-Range headers.
struct Asked {
  std::string path;
  std::string range;
  std::string ifRange;
};

// An answer written byte for byte: the head, then `body`; the connection is
// closed after `sent` bytes of it (all when npos).
struct Answer {
  std::string head;
  std::string body;
  std::size_t sent = std::string::npos;
};

std::string Head(const std::string& status, const std::string& headers, std::size_t length) {
  return "HTTP/1.1 " + status + "\r\nConnection: close\r\nContent-Type: image/jpeg\r\n" + headers +
         "Content-Length: " + std::to_string(length) + "\r\n\r\n";
}

// A plain HTTP server on 127.0.0.1 whose answers a test writes whole, one
// connection at a time; each request is logged.
class RawSite {
 public:
  using Answerer = std::function<Answer(const Asked&)>;

  explicit RawSite(Answerer answerer) : answerer_(std::move(answerer)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 16);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~RawSite() {
    stop_ = true;
    thread_.join();
    close(listener_);
  }

  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  // The requests for `path` since the last call.
  std::vector<Asked> asked(const std::string& path) {
    const std::lock_guard lock(mutex_);
    std::vector<Asked> found;
    for (const Asked& one : std::exchange(asked_, {})) {
      if (one.path == path)
        found.push_back(one);
    }
    return found;
  }

 private:
  void serve() {
    while (!stop_) {
      pollfd waiting{listener_, POLLIN, 0};
      if (poll(&waiting, 1, 50) <= 0)
        continue;
      const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection < 0)
        continue;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0)
          break;
        request.append(buffer, static_cast<std::size_t>(n));
      }
      const Asked asked{Field(request, "GET "), Header(request, "Range"),
                        Header(request, "If-Range")};
      {
        const std::lock_guard lock(mutex_);
        asked_.push_back(asked);
      }
      const Answer answer = answerer_(asked);
      const std::string bytes = answer.head + answer.body.substr(0, answer.sent);
      for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = send(connection, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
          break;
        done += static_cast<std::size_t>(n);
      }
      close(connection);
    }
  }
  static std::string Field(const std::string& request, const std::string& start) {
    if (!request.starts_with(start))
      return {};
    return request.substr(start.size(), request.find(' ', start.size()) - start.size());
  }
  static std::string Header(const std::string& request, const std::string& name) {
    const auto at = request.find("\r\n" + name + ": ");
    if (at == std::string::npos)
      return {};
    const auto begin = at + name.size() + 4;
    return request.substr(begin, request.find("\r\n", begin) - begin);
  }

  Answerer answerer_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Asked> asked_;
};

// A 206 from `first` to the end of `body`, naming `length` as its file's.
Answer Part(const std::string& body, std::size_t first, std::size_t length,
            const std::string& etag) {
  const std::string rest = body.substr(first);
  return {Head("206 Partial Content",
               "ETag: " + etag + "\r\nContent-Range: bytes " + std::to_string(first) + "-" +
                   std::to_string(first + rest.size() - 1) + "/" + std::to_string(length) + "\r\n",
               rest.size()),
          rest};
}

Answer Whole(const std::string& body, const std::string& etag) {
  return {Head("200 OK", "ETag: " + etag + "\r\n", body.size()), body};
}

// The whole file promised, `sent` bytes of it sent: the connection closes.
Answer CutAt(const std::string& body, const std::string& etag, std::size_t sent) {
  Answer answer = Whole(body, etag);
  answer.sent = sent;
  return answer;
}

// A page with one big file for the crawls: the first request for the file
// answered by `first_`, a Range request by `ranged_`, any other whole.
class ResumeTest : public ::testing::Test {
 protected:
  static constexpr const char* kFile = "/big.jpg";

  void TearDown() override { test::KillRunningDownloader(); }

  Answer answer(const Asked& asked) {
    const std::lock_guard lock(mutex_);
    if (asked.path != kFile) {
      const std::string page = "<img src=\"big.jpg\">";
      return {
          "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Type: text/html\r\n"
          "Content-Length: " +
              std::to_string(page.size()) + "\r\n\r\n",
          page};
    }
    if (first_)
      return std::exchange(first_, nullptr)(body_, etag_);
    if (!asked.range.empty() && ranged_)
      return ranged_(asked, body_, etag_);
    return Whole(body_, etag_);
  }

  test::CliRun crawl() {
    return test::RunCli({"--only-new", "--verbose", "--jobs", "1", "--dir",
                         QString::fromStdString(dir_.text()), "T",
                         QString::fromStdString(site_.url("/index.html")), "1"});
  }
  test::CliRun forget() {
    return test::RunCli({"--dir", QString::fromStdString(dir_.text()), "--forget", "T"});
  }
  fs::path landed() const { return dir_.path() / "T/big.jpg"; }
  fs::path parts() const { return dir_.path() / "T/.harvel/partial"; }
  // The sizes of the parts kept.
  std::vector<std::uintmax_t> partSizes() const {
    std::vector<std::uintmax_t> sizes;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(parts(), error)) {
      if (entry.path().extension() == ".part")
        sizes.push_back(entry.file_size());
    }
    return sizes;
  }
  std::vector<std::string> rangesAsked() {
    std::vector<std::string> ranges;
    for (const Asked& asked : site_.asked(kFile))
      ranges.push_back(asked.range);
    return ranges;
  }
  std::string recordedSha256() const {
    sqlite3* db = nullptr;
    sqlite3_open_v2((dir_.text() + "/T/.harvel/record.db").c_str(), &db, SQLITE_OPEN_READONLY,
                    nullptr);
    sqlite3_stmt* row = nullptr;
    sqlite3_prepare_v2(db, "SELECT lower(hex(sha256)) FROM files WHERE local_name = 'big.jpg'", -1,
                       &row, nullptr);
    std::string digest;
    if (sqlite3_step(row) == SQLITE_ROW)
      digest = reinterpret_cast<const char*>(sqlite3_column_text(row, 0));
    sqlite3_finalize(row);
    sqlite3_close(db);
    return digest;
  }

  test::ScopedEnv limits_{"VESKDOWNLOADER_TEST_LIMITS", "retries=0,resume-bytes=1000"};
  test::TempFolder dir_;
  std::mutex mutex_;
  std::string body_;
  std::string etag_ = "\"v1\"";
  std::function<Answer(const std::string&, const std::string&)> first_;
  std::function<Answer(const Asked&, const std::string&, const std::string&)> ranged_;
  RawSite site_{[this](const Asked& asked) { return answer(asked); }};
};

TEST_F(ResumeTest, AFileCutOffIsContinuedByTheNextCrawlWithARequestForTheRestOnly) {
  constexpr std::size_t kCut = 3u << 20;
  body_ = RandomBytes(5u << 20, 1);
  first_ = [](const std::string& body, const std::string& etag) { return CutAt(body, etag, kCut); };
  ranged_ = [](const Asked& asked, const std::string& body, const std::string& etag) {
    return asked.ifRange == etag ? Part(body, kCut, body.size(), etag) : Whole(body, etag);
  };
  const test::CliRun first = crawl();
  EXPECT_EQ(first.exitCode, 3) << first.err;
  EXPECT_FALSE(fs::exists(landed()));
  EXPECT_EQ(partSizes(), std::vector<std::uintmax_t>{kCut});
  EXPECT_EQ(rangesAsked(), std::vector<std::string>{""});

  const test::CliRun second = crawl();
  ASSERT_EQ(second.exitCode, 0) << second.err;
  const std::vector<Asked> asked = site_.asked(kFile);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].range, "bytes=3145728-");
  EXPECT_EQ(asked[0].ifRange, etag_);
  EXPECT_TRUE(test::ReadFile(landed()) == body_);
  EXPECT_NE(
      second.out.find("big.jpg: landed (resumed after 3145728 bytes), HTTP 206, 2097152 bytes"),
      std::string::npos)
      << second.out;
  EXPECT_NE(second.out.find("harvel-cli: 1 landed, 0 failed, 1 resumed\n"), std::string::npos)
      << second.out;
  EXPECT_EQ(recordedSha256(), HexText(Sha256(body_)));
  EXPECT_TRUE(partSizes().empty());

  // --forget removes the parts kept with the record.
  fs::remove(landed());
  ASSERT_EQ(forget().exitCode, 0);
  first_ = [](const std::string& body, const std::string& etag) {
    return CutAt(body, etag, 1u << 20);
  };
  EXPECT_EQ(crawl().exitCode, 3);
  EXPECT_EQ(partSizes(), std::vector<std::uintmax_t>{1u << 20});
  ASSERT_EQ(forget().exitCode, 0);
  EXPECT_FALSE(fs::exists(parts()));
}

constexpr std::size_t kSmall = 60000;
constexpr std::size_t kHeld = 20000;

// One way a server answers, and what the downloader must then have asked for
// over two crawls: a part that does not fit is dropped and the file fetched
// whole, so the file that lands is always the server's.
struct RangeCase {
  const char* name;
  Answer (*first)(const std::string& body, const std::string& etag);
  Answer (*ranged)(const std::string& body, const std::string& etag);
  bool changes;                     // the file changes (new bytes, new ETag) after the first crawl
  std::vector<std::string> ranges;  // the Range of each request for the file
  bool resumed;
};

void PrintTo(const RangeCase& one, std::ostream* out) {
  *out << one.name;
}

Answer Cut(const std::string& body, const std::string& etag) {
  return CutAt(body, etag, kHeld);
}

const RangeCase kRangeCases[] = {
    {"fits",
     Cut,
     [](const std::string& b, const std::string& e) { return Part(b, kHeld, b.size(), e); },
     false,
     {"", "bytes=20000-"},
     true},
    {"starts_earlier",
     Cut,
     [](const std::string& b, const std::string& e) { return Part(b, kHeld - 5000, b.size(), e); },
     false,
     {"", "bytes=20000-"},
     true},
    {"starts_beyond_what_is_held",
     Cut,
     [](const std::string& b, const std::string& e) { return Part(b, kHeld + 5000, b.size(), e); },
     false,
     {"", "bytes=20000-", ""},
     false},
    {"names_another_length",
     Cut,
     [](const std::string& b, const std::string& e) {
       return Part(b + "!", kHeld, b.size() + 1, e);
     },
     false,
     {"", "bytes=20000-", ""},
     false},
    {"changed_validator",
     Cut,
     [](const std::string& b, const std::string& e) { return Part(b, kHeld, b.size(), e); },
     true,
     {"", "bytes=20000-", ""},
     false},
    {"whole_file_again",
     Cut,
     [](const std::string& b, const std::string& e) { return Whole(b, e); },
     false,
     {"", "bytes=20000-"},
     false},
    {"part_to_a_request_for_the_whole",
     [](const std::string& b, const std::string& e) {
       Answer part = Part(b.substr(0, 1000), 0, b.size(), e);
       return part;
     },
     nullptr,
     false,
     {"", ""},
     false},
    {"unsatisfiable_range_names_what_is_held",
     [](const std::string& b, const std::string& e) {
       // Every byte, in a chunk whose end never comes: the length is unknown.
       return Answer{"HTTP/1.1 200 OK\r\nConnection: close\r\nETag: " + e +
                         "\r\nTransfer-Encoding: chunked\r\n\r\n",
                     [&b] {
                       char size[16];
                       std::snprintf(size, sizeof size, "%zx\r\n", b.size());
                       return size + b + "\r\n";
                     }()};
     },
     [](const std::string& b, const std::string& e) {
       return Answer{"HTTP/1.1 416 Range Not Satisfiable\r\nConnection: close\r\nETag: " + e +
                         "\r\nContent-Range: bytes */" + std::to_string(b.size()) +
                         "\r\nContent-Length: 0\r\n\r\n",
                     ""};
     },
     false,
     {"", "bytes=60000-"},
     true},
};

class RangeAnswers : public ResumeTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(RangeAnswers, LandTheServersFileByteForByte) {
  const RangeCase& lie = GetParam();
  body_ = RandomBytes(kSmall, 1);
  first_ = lie.first;
  if (lie.ranged) {
    ranged_ = [&lie](const Asked&, const std::string& body, const std::string& etag) {
      return lie.ranged(body, etag);
    };
  }
  const auto started = std::chrono::steady_clock::now();
  crawl();
  if (lie.changes) {
    const std::lock_guard lock(mutex_);
    body_ = RandomBytes(kSmall, 2);
    etag_ = "\"v2\"";
  }
  const test::CliRun second = crawl();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
  ASSERT_EQ(second.exitCode, 0) << second.out << second.err;
  EXPECT_EQ(rangesAsked(), lie.ranges);
  ASSERT_TRUE(fs::exists(landed()));
  EXPECT_TRUE(test::ReadFile(landed()) == body_);
  EXPECT_EQ(second.out.find("resumed") != std::string::npos, lie.resumed) << second.out;
  EXPECT_TRUE(partSizes().empty());
}

INSTANTIATE_TEST_SUITE_P(Resume, RangeAnswers, ::testing::ValuesIn(kRangeCases),
                         [](const ::testing::TestParamInfo<RangeCase>& one) {
                           return std::string(one.param.name);
                         });

}  // namespace
}  // namespace harvel
