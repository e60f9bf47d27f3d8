#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "downloader/render/browser_process.h"
#include "downloader/render/browser_proxy.h"
#include "downloader/render/devtools_pipe.h"
#include "downloader/render/loaded_picture.h"
#include "downloader/render/render_limits.h"

namespace harvel {

// A page to open in the browser.
struct RenderOrder {
  std::string url;      // http or https only
  std::string referer;  // empty: none
  int scrolls = 20;     // the most steps scrolled to the bottom
  // The client's connection settings as the browser takes them.
  std::vector<std::string> cookies;  // cookies.txt lines
  std::string userAgent;             // empty: the browser's own
  std::vector<std::string> headers;  // "Name: value"
  std::string proxy;                 // a browser started with another is started again
  std::vector<std::string> environment;
};

// What rendering a page gave.
struct RenderResult {
  enum class Outcome {
    Rendered,     // `document` is the page as the browser shows it
    NotRendered,  // not a web page the browser could show: fetch it the ordinary way
    Failed,       // the browser cannot be used (`reasonText` says why)
  };
  Outcome outcome = Outcome::NotRendered;
  std::string reasonText;
  int httpStatus = 0;
  std::string finalUrl;
  std::string contentType;
  std::string document;               // the rendered document (outerHTML)
  std::vector<std::string> pictures;  // every picture the page loaded, in order, once each
  std::int64_t pictureBytes = 0;      // what the browser fetched for them
  // Those of them whose bytes the browser kept, at most kKeptPictureBytes together.
  std::vector<LoadedPicture> loaded;
  int scrolled = 0;                  // steps scrolled
  bool timedOut = false;             // ended at the page's time limit
  std::vector<std::string> cookies;  // the browser's cookies afterwards, cookies.txt lines
};

// One client's browser: started at its first page and kept for the next ones
// (one start per crawl), with a fresh profile; ended with the object or
// stop(). Pages are rendered one at a time in the order asked for: the page
// is opened with the client's cookies, User-Agent and headers, waited for
// until it has loaded and the network is quiet, scrolled to the bottom in
// steps until its height stops growing, and then its document and the
// pictures it loaded are taken, and the cookies it holds then go back into the
// client's jar. The browser's downloads are refused; a page opens no window
// and no dialog. A proxy that asks for a login is given the client's; a
// server that asks for one is given none. A page whose process dies ends with
// what it had; a browser that crashes is started again once, for the next
// page; after a second crash pages fail.
class PageRenderer : public QObject {
  Q_OBJECT

 public:
  using Done = std::function<void(RenderResult result)>;

  // The most bytes of the pictures one page loaded that are kept for the
  // crawl (a larger picture, or one past this, is fetched again), and the
  // most the browser keeps of one answer.
  static constexpr std::int64_t kKeptPictureBytes = 64 << 20;
  static constexpr std::int64_t kBrowserAnswerBuffer = 16 << 20;

  PageRenderer(std::string program, RenderLimits limits, QObject* parent = nullptr);
  ~PageRenderer() override;

  void render(RenderOrder order, Done done);

  // Ends the page under way and those waiting (nobody is answered) and the browser.
  void stop();

  // For benchmarks: browsers started, the most memory the browser's processes
  // held together (sampled while pages render).
  int browserStarts() const { return starts_; }
  std::int64_t peakResidentBytes() const { return peakResident_; }

 private:
  enum class Phase { Idle, Starting, Loading, Settling, Scrolling, Capturing };
  struct Job {
    RenderOrder order;
    Done done;
  };
  // A picture the page asked for, while its answer comes.
  struct PictureAnswer {
    std::string url;  // as asked for, before any redirect
    int status = 0;
    std::int64_t received = 0;  // body bytes, as they arrived
    LoadedPicture picture;
  };

  void next();
  bool startBrowser(std::string& error);
  // Opens the browser's one page and attaches to it; pageReady_ once done.
  void openPage();
  // The page's process crashed or the page went: the page under way ends
  // with what it had.
  void onPageGone();
  void navigate();
  void onEvent(const QString& method, const QJsonObject& params, const QString& session);
  void onBrowserGone();
  // Continues a request the browser paused, answers a proxy's challenge.
  void onFetchEvent(const QString& method, const QJsonObject& params);
  void tick();
  void measureHeight();
  void scroll();
  void capture();
  // Asks the browser for the bytes of a picture that has come.
  void keepPicture(const QString& request);
  void finishCapture();
  void finish(RenderResult::Outcome outcome, std::string reasonText = {});
  void sendPage(const QString& method, const QJsonObject& params = {},
                DevToolsPipe::Reply reply = {});
  void sampleMemory();

  std::string program_;
  RenderLimits limits_;
  BrowserProcess browser_;
  DevToolsPipe pipe_;
  QString target_;   // the browser's one page
  QString session_;  // attached to it
  bool pageReady_ = false;
  std::string proxy_;  // what the running browser was started with
  BrowserProxy browserProxy_;
  std::set<QString> proxyAnswered_;  // requests a proxy login was given for
  std::vector<std::string> environment_;
  int starts_ = 0;
  int crashes_ = 0;
  std::int64_t peakResident_ = 0;

  std::deque<Job> jobs_;
  std::unique_ptr<Job> job_;
  int generation_ = 0;  // one per page: answers to an older page are passed over
  Phase phase_ = Phase::Idle;
  RenderResult result_;
  std::set<std::string> seenPictures_;
  std::map<QString, PictureAnswer> imageRequests_;
  int bodiesAsked_ = 0;  // picture bodies asked for, not yet answered
  std::int64_t keptBytes_ = 0;
  bool documentTaken_ = false;
  std::set<QString> inFlight_;
  QString loader_;
  bool loaded_ = false;
  std::int64_t lastHeight_ = -1;
  QElapsedTimer pageClock_;
  QElapsedTimer phaseClock_;
  QElapsedTimer activityClock_;  // since the last request began or ended
  QTimer ticker_;
  int ticks_ = 0;
};

}  // namespace harvel
