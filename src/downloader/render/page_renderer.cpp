#include "downloader/render/page_renderer.h"

#include <QJsonArray>
#include <algorithm>

#include "common/url_parts.h"
#include "downloader/render/browser_cookies.h"

namespace harvel {
namespace {

bool IsWebUrl(const std::string& url) {
  const std::string scheme = UrlScheme(url);
  return scheme == "http" || scheme == "https";
}

bool IsWebPageType(const QString& mimeType) {
  return mimeType == "text/html" || mimeType == "application/xhtml+xml";
}

// Scrolls down a screen at a time, letting each screen be drawn so that
// pictures loaded as they come into view are, until the bottom of what the
// page holds now. At most 200 screens a step.
constexpr const char* kScrollToBottom = R"((async () => {
  const root = document.scrollingElement || document.documentElement;
  for (let screens = 0; screens < 200; ++screens) {
    if (window.scrollY + window.innerHeight >= root.scrollHeight) break;
    window.scrollBy(0, window.innerHeight);
    await new Promise(done => requestAnimationFrame(() => setTimeout(done, 30)));
  }
  return root.scrollHeight;
})())";

// Run in every document before its own scripts: a page opens no window and
// no dialog (each would stall it), and cannot put them back.
constexpr const char* kNoWindows = R"((() => {
  const fixed = (name, value) =>
      Object.defineProperty(window, name, {value, writable: false, configurable: false});
  fixed("open", () => null);
  fixed("alert", () => undefined);
  fixed("confirm", () => false);
  fixed("prompt", () => null);
  fixed("print", () => undefined);
})())";

constexpr const char* kHeight =
    "(document.scrollingElement || document.documentElement).scrollHeight";

constexpr const char* kDocument =
    "[location.href, document.baseURI, "
    "document.documentElement ? document.documentElement.outerHTML : '']";

// The document's own base first, so that its relative links resolve as the
// browser resolved them, whatever URL the page ended at.
std::string WithBase(const std::string& base, const std::string& document) {
  std::string attribute;
  for (char c : base) {
    switch (c) {
      case '"':
        attribute += "&quot;";
        break;
      case '&':
        attribute += "&amp;";
        break;
      case '<':
        attribute += "&lt;";
        break;
      case '>':
        attribute += "&gt;";
        break;
      default:
        attribute += c;
    }
  }
  return "<base href=\"" + attribute + "\">" + document;
}

}  // namespace

PageRenderer::PageRenderer(std::string program, RenderLimits limits, QObject* parent)
    : QObject(parent), program_(std::move(program)), limits_(limits) {
  connect(&pipe_, &DevToolsPipe::event, this, &PageRenderer::onEvent);
  connect(&pipe_, &DevToolsPipe::closed, this, &PageRenderer::onBrowserGone);
  ticker_.setInterval(100);
  connect(&ticker_, &QTimer::timeout, this, &PageRenderer::tick);
}

PageRenderer::~PageRenderer() {
  stop();
}

void PageRenderer::stop() {
  jobs_.clear();
  job_.reset();
  phase_ = Phase::Idle;
  ticker_.stop();
  pipe_.close();
  browser_.stop();
  pageReady_ = false;
}

void PageRenderer::render(RenderOrder order, Done done) {
  jobs_.push_back(Job{std::move(order), std::move(done)});
  if (!job_)
    next();
}

void PageRenderer::next() {
  while (!job_ && !jobs_.empty()) {
    job_ = std::make_unique<Job>(std::move(jobs_.front()));
    jobs_.pop_front();
    ++generation_;
    result_ = RenderResult{};
    seenPictures_.clear();
    imageRequests_.clear();
    bodiesAsked_ = 0;
    keptBytes_ = 0;
    documentTaken_ = false;
    inFlight_.clear();
    loader_.clear();
    loaded_ = false;
    lastHeight_ = -1;
    pageClock_.start();
    if (!IsWebUrl(job_->order.url)) {
      finish(RenderResult::Outcome::NotRendered);
      continue;
    }
    const RenderOrder& settings = job_->order;
    // A browser started with another proxy is no use for this page.
    if (browser_.running() && (settings.proxy != proxy_ || settings.environment != environment_)) {
      pipe_.close();
      browser_.stop();
      pageReady_ = false;
    }
    if (!browser_.running()) {
      if (crashes_ > 1) {
        finish(RenderResult::Outcome::Failed, "the browser crashed twice during this crawl");
        continue;
      }
      proxy_ = settings.proxy;
      environment_ = settings.environment;
      std::string error;
      if (!startBrowser(error)) {
        finish(RenderResult::Outcome::Failed, error);
        continue;
      }
    }
    ticker_.start();
    if (pageReady_) {
      navigate();
    } else {
      phase_ = Phase::Starting;
      phaseClock_.start();
    }
  }
}

bool PageRenderer::startBrowser(std::string& error) {
  BrowserProcess::Launch launch;
  launch.program = program_;
  browserProxy_ = BrowserProxyFor(proxy_, environment_);
  launch.proxy = browserProxy_.servers;
  launch.proxyBypass = browserProxy_.bypass;
  launch.environment = environment_;
  if (!browser_.start(launch, error))
    return false;
  ++starts_;
  pipe_.open(browser_.commandFd(), browser_.answerFd());
  proxyAnswered_.clear();
  pipe_.send("Browser.setDownloadBehavior", {{"behavior", "deny"}});
  pipe_.send("Target.setDiscoverTargets", {{"discover", true}});
  openPage();
  return true;
}

void PageRenderer::openPage() {
  pageReady_ = false;
  target_.clear();
  session_.clear();
  const int generation = generation_;
  pipe_.send("Target.createTarget", {{"url", "about:blank"}},
             [this, generation](const QJsonObject& created, const QString& failed) {
               if (!failed.isEmpty()) {
                 if (generation == generation_ && job_)
                   finish(RenderResult::Outcome::Failed,
                          "the browser opened no page: " + failed.toStdString());
                 return;
               }
               target_ = created.value("targetId").toString();
               pipe_.send(
                   "Target.attachToTarget", {{"targetId", target_}, {"flatten", true}},
                   [this](const QJsonObject& attached, const QString& refused) {
                     if (!refused.isEmpty()) {
                       if (job_)
                         finish(RenderResult::Outcome::Failed,
                                "the browser's page cannot be driven: " + refused.toStdString());
                       return;
                     }
                     session_ = attached.value("sessionId").toString();
                     sendPage("Page.enable");
                     sendPage("Page.addScriptToEvaluateOnNewDocument", {{"source", kNoWindows}});
                     // The login goes only to the proxy that asks for it.
                     if (!browserProxy_.logins.empty())
                       sendPage("Fetch.enable",
                                {{"handleAuthRequests", true},
                                 {"patterns", QJsonArray{QJsonObject{{"urlPattern", "*"}}}}});
                     // Room for the pictures' bytes until they are asked for.
                     sendPage("Network.enable",
                              {{"maxTotalBufferSize", double(kKeptPictureBytes)},
                               {"maxResourceBufferSize", double(kBrowserAnswerBuffer)}});
                     pageReady_ = true;
                     if (job_ && phase_ == Phase::Starting)
                       navigate();
                   });
             });
}

void PageRenderer::sendPage(const QString& method, const QJsonObject& params,
                            DevToolsPipe::Reply reply) {
  pipe_.send(method, params, std::move(reply), session_);
}

void PageRenderer::navigate() {
  phase_ = Phase::Loading;
  phaseClock_.start();
  activityClock_.start();
  const int generation = generation_;
  sendPage("Network.clearBrowserCookies");
  const RenderOrder& settings = job_->order;
  const QJsonArray cookies = BrowserCookiesFromLines(settings.cookies);
  if (!cookies.isEmpty())
    sendPage("Network.setCookies", {{"cookies", cookies}});
  if (!settings.userAgent.empty())
    sendPage("Network.setUserAgentOverride",
             {{"userAgent", QString::fromStdString(settings.userAgent)}});
  QJsonObject headers;
  for (const std::string& line : settings.headers) {
    const auto colon = line.find(':');
    if (colon == std::string::npos)
      continue;
    const auto value = line.find_first_not_of(" \t", colon + 1);
    headers.insert(QString::fromStdString(line.substr(0, colon)),
                   QString::fromStdString(value == std::string::npos ? "" : line.substr(value)));
  }
  sendPage("Network.setExtraHTTPHeaders", {{"headers", headers}});
  QJsonObject params{{"url", QString::fromStdString(job_->order.url)}};
  if (!job_->order.referer.empty())
    params.insert("referrer", QString::fromStdString(job_->order.referer));
  sendPage("Page.navigate", params,
           [this, generation](const QJsonObject& navigated, const QString& failed) {
             if (generation != generation_ || phase_ != Phase::Loading)
               return;
             // A download refused, a server that cannot be reached, ...: the
             // ordinary download says best what it is.
             if (!failed.isEmpty() || navigated.contains("errorText")) {
               finish(RenderResult::Outcome::NotRendered);
               return;
             }
             loader_ = navigated.value("loaderId").toString();
           });
}

void PageRenderer::onEvent(const QString& method, const QJsonObject& params,
                           const QString& session) {
  if (method == "Target.detachedFromTarget" && !session_.isEmpty() &&
      params.value("sessionId").toString() == session_) {
    onPageGone();
    return;
  }
  if (method == "Target.targetCreated") {
    const QJsonObject info = params.value("targetInfo").toObject();
    const QString id = info.value("targetId").toString();
    // A window a page opened is closed at once.
    if (info.value("type").toString() == "page" && !target_.isEmpty() && id != target_)
      pipe_.send("Target.closeTarget", {{"targetId", id}});
    return;
  }
  if (session != session_ || session.isEmpty())
    return;
  if (method == "Page.javascriptDialogOpening") {
    sendPage("Page.handleJavaScriptDialog",
             {{"accept", params.value("type").toString() == "beforeunload"}});
    return;
  }
  if (method == "Inspector.targetCrashed") {
    onPageGone();
    return;
  }
  if (method.startsWith("Fetch.")) {
    onFetchEvent(method, params);
    return;
  }
  if (!job_ || phase_ == Phase::Starting || phase_ == Phase::Idle)
    return;
  const QString request = params.value("requestId").toString();
  if (method == "Network.requestWillBeSent") {
    inFlight_.insert(request);
    activityClock_.start();
    // In the order the page asked for them; a redirect is the same picture.
    const std::string url =
        params.value("request").toObject().value("url").toString().toStdString();
    if (params.value("type").toString() == "Image" && IsWebUrl(url) &&
        !imageRequests_.contains(request)) {
      imageRequests_[request].url = url;
      if (seenPictures_.insert(url).second)
        result_.pictures.push_back(url);
    }
  } else if (method == "Network.responseReceived") {
    const QJsonObject response = params.value("response").toObject();
    const QString type = params.value("type").toString();
    // A picture asked for while the page's process was being swapped may
    // come without its request: it is known from its answer then.
    const std::string answered = response.value("url").toString().toStdString();
    if (type == "Image" && IsWebUrl(answered) && !imageRequests_.contains(request)) {
      imageRequests_[request].url = answered;
      if (seenPictures_.insert(answered).second)
        result_.pictures.push_back(answered);
    }
    if (const auto picture = imageRequests_.find(request); picture != imageRequests_.end()) {
      picture->second.status = response.value("status").toInt();
      LoadedPicture& loaded = picture->second.picture;
      loaded.url = picture->second.url;
      loaded.finalUrl = response.value("url").toString().toStdString();
      loaded.contentType = response.value("mimeType").toString().toStdString();
      const QJsonObject headers = response.value("headers").toObject();
      for (auto header = headers.begin(); header != headers.end(); ++header) {
        const QString name = header.key().toLower();
        if (name == "etag")
          loaded.etag = header.value().toString().toStdString();
        else if (name == "last-modified")
          loaded.lastModified = header.value().toString().toStdString();
      }
    }
    if (type == "Document" && params.value("frameId").toString() == target_ &&
        (loader_.isEmpty() || params.value("loaderId").toString() == loader_) &&
        result_.httpStatus == 0) {
      result_.httpStatus = response.value("status").toInt();
      result_.contentType = response.value("mimeType").toString().toStdString();
      const QString mimeType = response.value("mimeType").toString();
      if (phase_ == Phase::Loading && (result_.httpStatus >= 400 || !IsWebPageType(mimeType))) {
        sendPage("Page.stopLoading");
        finish(RenderResult::Outcome::NotRendered);
        return;
      }
    }
  } else if (method == "Network.dataReceived") {
    if (const auto picture = imageRequests_.find(request); picture != imageRequests_.end())
      picture->second.received += static_cast<std::int64_t>(params.value("dataLength").toDouble());
  } else if (method == "Network.loadingFinished" || method == "Network.loadingFailed") {
    inFlight_.erase(request);
    activityClock_.start();
    if (method == "Network.loadingFinished" && imageRequests_.contains(request)) {
      result_.pictureBytes +=
          static_cast<std::int64_t>(params.value("encodedDataLength").toDouble());
      keepPicture(request);
    }
  } else if (method == "Page.loadEventFired") {
    loaded_ = true;
    // The document has come by its load event, but after the page moved to
    // another renderer process the browser may never say its loading
    // finished: it must not keep the page from going quiet.
    inFlight_.erase(loader_);
  }
}

void PageRenderer::onFetchEvent(const QString& method, const QJsonObject& params) {
  const QString request = params.value("requestId").toString();
  if (method == "Fetch.requestPaused") {
    sendPage("Fetch.continueRequest", {{"requestId", request}});
    return;
  }
  if (method != "Fetch.authRequired")
    return;
  const QJsonObject challenge = params.value("authChallenge").toObject();
  const ProxyLogin* login =
      challenge.value("source").toString() == "Proxy"
          ? LoginForProxy(browserProxy_, challenge.value("origin").toString().toStdString())
          : nullptr;
  // Asked again for the same request, the login was refused: the answer
  // the proxy gave then is the page's.
  if (login == nullptr || !proxyAnswered_.insert(request).second) {
    sendPage("Fetch.continueWithAuth",
             {{"requestId", request},
              {"authChallengeResponse", QJsonObject{{"response", "CancelAuth"}}}});
    return;
  }
  sendPage("Fetch.continueWithAuth",
           {{"requestId", request},
            {"authChallengeResponse",
             QJsonObject{{"response", "ProvideCredentials"},
                         {"username", QString::fromStdString(login->user)},
                         {"password", QString::fromStdString(login->password)}}}});
}

void PageRenderer::keepPicture(const QString& request) {
  const PictureAnswer& answer = imageRequests_[request];
  if (answer.status != 200 || !answer.picture.contentType.starts_with("image/") ||
      keptBytes_ >= kKeptPictureBytes)
    return;
  ++bodiesAsked_;
  const int generation = generation_;
  sendPage("Network.getResponseBody", {{"requestId", request}},
           [this, generation, request](const QJsonObject& body, const QString& failed) {
             if (generation != generation_ || !job_)
               return;
             --bodiesAsked_;
             // Not kept (too large for the browser, or gone): fetched again.
             if (failed.isEmpty()) {
               const QByteArray text = body.value("body").toString().toUtf8();
               const QByteArray bytes =
                   body.value("base64Encoded").toBool() ? QByteArray::fromBase64(text) : text;
               // A picture the browser could not show comes back empty or cut:
               // only what matches what arrived is kept.
               const PictureAnswer& asked = imageRequests_[request];
               if (!bytes.isEmpty() && bytes.size() == asked.received &&
                   keptBytes_ + bytes.size() <= kKeptPictureBytes) {
                 keptBytes_ += bytes.size();
                 LoadedPicture picture = imageRequests_[request].picture;
                 picture.body = bytes.toStdString();
                 result_.loaded.push_back(std::move(picture));
               }
             }
             if (documentTaken_ && bodiesAsked_ == 0)
               finishCapture();
           });
}

void PageRenderer::onBrowserGone() {
  ++crashes_;
  pipe_.close();
  browser_.stop();
  pageReady_ = false;
  if (job_) {
    // What the page gave before is kept; a page that gave nothing is fetched
    // the ordinary way.
    const bool something = !result_.pictures.empty();
    finish(something ? RenderResult::Outcome::Rendered : RenderResult::Outcome::NotRendered);
  }
}

void PageRenderer::onPageGone() {
  // The browser lives on: the next page gets a page of its own.
  pageReady_ = false;
  if (!session_.isEmpty())
    pipe_.send("Target.closeTarget", {{"targetId", target_}});
  openPage();
  if (job_) {
    const bool something = !result_.pictures.empty();
    finish(something ? RenderResult::Outcome::Rendered : RenderResult::Outcome::NotRendered);
  }
}

void PageRenderer::tick() {
  if (!job_)
    return;
  if (++ticks_ % 10 == 0)
    sampleMemory();
  const auto elapsed = std::chrono::milliseconds(pageClock_.elapsed());
  if (phase_ == Phase::Capturing) {
    if (std::chrono::milliseconds(phaseClock_.elapsed()) > limits_.capture && documentTaken_) {
      finishCapture();  // the pictures not kept by now are fetched again
    } else if (std::chrono::milliseconds(phaseClock_.elapsed()) > limits_.capture) {
      // A page stuck in a script answers nothing: its browser goes with it
      // and is started again for the next page (it did not crash).
      pipe_.close();
      browser_.stop();
      pageReady_ = false;
      result_.timedOut = true;
      finish(result_.pictures.empty() ? RenderResult::Outcome::NotRendered
                                      : RenderResult::Outcome::Rendered);
    }
    return;
  }
  if (elapsed > limits_.page) {
    result_.timedOut = true;
    if (phase_ == Phase::Starting) {
      finish(RenderResult::Outcome::Failed, "the browser did not start in time");
      return;
    }
    capture();
    return;
  }
  const auto inPhase = std::chrono::milliseconds(phaseClock_.elapsed());
  switch (phase_) {
    case Phase::Loading:
      if (loaded_ || inPhase > limits_.load) {
        phase_ = Phase::Settling;
        phaseClock_.start();
      }
      break;
    case Phase::Settling: {
      const bool quiet =
          inFlight_.empty() && std::chrono::milliseconds(activityClock_.elapsed()) >= limits_.quiet;
      if (quiet || inPhase > limits_.settle)
        measureHeight();
      break;
    }
    case Phase::Idle:
    case Phase::Starting:
    case Phase::Scrolling:
    case Phase::Capturing:
      break;
  }
}

void PageRenderer::measureHeight() {
  phase_ = Phase::Scrolling;
  phaseClock_.start();
  const int generation = generation_;
  sendPage("Runtime.evaluate", {{"expression", kHeight}, {"returnByValue", true}},
           [this, generation](const QJsonObject& answer, const QString&) {
             if (generation != generation_ || phase_ != Phase::Scrolling)
               return;
             const auto height = static_cast<std::int64_t>(
                 answer.value("result").toObject().value("value").toDouble(-1));
             // The page stopped growing, or its steps are used up.
             if ((result_.scrolled > 0 && height <= lastHeight_) ||
                 result_.scrolled >= job_->order.scrolls) {
               capture();
               return;
             }
             lastHeight_ = height;
             scroll();
           });
}

void PageRenderer::scroll() {
  const int generation = generation_;
  sendPage("Runtime.evaluate",
           {{"expression", kScrollToBottom}, {"awaitPromise", true}, {"returnByValue", true}},
           [this, generation](const QJsonObject&, const QString&) {
             if (generation != generation_ || phase_ != Phase::Scrolling)
               return;
             ++result_.scrolled;
             phase_ = Phase::Settling;
             phaseClock_.start();
             activityClock_.start();
           });
}

void PageRenderer::capture() {
  phase_ = Phase::Capturing;
  phaseClock_.start();
  const int generation = generation_;
  sendPage("Runtime.evaluate", {{"expression", kDocument}, {"returnByValue", true}},
           [this, generation](const QJsonObject& answer, const QString& failed) {
             if (generation != generation_ || phase_ != Phase::Capturing)
               return;
             const QJsonArray values = answer.value("result").toObject().value("value").toArray();
             if (!failed.isEmpty() || values.size() != 3) {
               finish(result_.pictures.empty() ? RenderResult::Outcome::NotRendered
                                               : RenderResult::Outcome::Rendered);
               return;
             }
             result_.finalUrl = values.at(0).toString().toStdString();
             result_.document = WithBase(values.at(1).toString().toStdString(),
                                         values.at(2).toString().toStdString());
             // The page went to what is no web page (a server that cannot be
             // reached shows the browser's own error page): the page the
             // crawl asked for is downloaded the ordinary way.
             if (!IsWebUrl(result_.finalUrl)) {
               finish(RenderResult::Outcome::NotRendered);
               return;
             }
             // The cookies the page holds now go back to the client's jar.
             pipe_.send("Storage.getCookies", {},
                        [this, generation](const QJsonObject& cookies, const QString&) {
                          if (generation != generation_ || phase_ != Phase::Capturing)
                            return;
                          result_.cookies =
                              CookieLinesFromBrowser(cookies.value("cookies").toArray());
                          documentTaken_ = true;
                          if (bodiesAsked_ == 0)
                            finishCapture();
                        });
           });
}

void PageRenderer::finishCapture() {
  // Kept in the order the page asked for them.
  std::map<std::string, std::size_t> order;
  for (const std::string& url : result_.pictures)
    order.emplace(url, order.size());
  std::stable_sort(
      result_.loaded.begin(), result_.loaded.end(),
      [&](const LoadedPicture& a, const LoadedPicture& b) { return order[a.url] < order[b.url]; });
  finish(RenderResult::Outcome::Rendered);
}

void PageRenderer::finish(RenderResult::Outcome outcome, std::string reasonText) {
  std::unique_ptr<Job> job = std::move(job_);
  phase_ = Phase::Idle;
  ++generation_;
  ticker_.stop();
  sampleMemory();
  // The page's scripts stop until the next page.
  if (pageReady_)
    sendPage("Page.navigate", {{"url", "about:blank"}});
  RenderResult result = std::move(result_);
  result_ = RenderResult{};
  result.outcome = outcome;
  result.reasonText = std::move(reasonText);
  if (job && job->done)
    job->done(std::move(result));
  // Asked for the next page after this one's answer: an answer may stop us.
  if (!job_ && phase_ == Phase::Idle)
    QTimer::singleShot(0, this, [this] { next(); });
}

void PageRenderer::sampleMemory() {
  const std::int64_t resident = browser_.residentBytes();
  if (resident > peakResident_)
    peakResident_ = resident;
}

}  // namespace harvel
