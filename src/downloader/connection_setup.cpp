#include "downloader/connection_setup.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "common/ascii_text.h"
#include "common/connection_settings.h"
#include "common/regular_file.h"
#include "common/url_parts.h"
#include "downloader/cookies_file.h"

namespace harvel {
namespace {

// The authorities libcurl trusts when not told otherwise, to go back to.
const char* DefaultCaFile() {
  static const std::string file = [] {
    std::string found;
    if (CURL* easy = curl_easy_init()) {
      char* path = nullptr;
      if (curl_easy_getinfo(easy, CURLINFO_CAINFO, &path) == CURLE_OK && path != nullptr)
        found = path;
      curl_easy_cleanup(easy);
    }
    return found;
  }();
  return file.empty() ? nullptr : file.c_str();
}

std::string CannotReadCa(const std::string& path, const char* why) {
  return "cannot read the CA certificate file " + path + ": " + why;
}

// Why the CA file cannot be used, or empty.
std::string CaFileProblem(const std::string& path) {
  const RegularFile file = RegularFile::Open(path);
  if (file)
    return {};
  return CannotReadCa(path, file.openError() != 0 ? std::strerror(file.openError()) : "not a file");
}

// The domain a cookies file's line is for, in small letters, without the
// HTTP-only mark and the leading dot.
std::string CookieDomain(std::string_view line) {
  constexpr std::string_view kHttpOnly = "#HttpOnly_";
  if (line.substr(0, kHttpOnly.size()) == kHttpOnly)
    line.remove_prefix(kHttpOnly.size());
  line = line.substr(0, line.find('\t'));
  if (!line.empty() && line.front() == '.')
    line.remove_prefix(1);
  return AsciiLower(std::string(line));
}

// The host of `url` in small letters; empty when it has none.
std::string HostOf(const char* url) {
  return UrlHost(url).value_or(std::string());
}

// Why libcurl cannot use `proxy`, read as libcurl reads a proxy, or empty.
// Never quotes the proxy: it may hold a password.
std::string ProxyProblem(const std::string& proxy, const std::string& where) {
  CURLU* parsed = curl_url();
  if (parsed == nullptr)
    return "cannot read " + where;
  std::string problem;
  const CURLUcode read = curl_url_set(parsed, CURLUPART_URL, proxy.c_str(),
                                      CURLU_NON_SUPPORT_SCHEME | CURLU_GUESS_SCHEME);
  char* scheme = nullptr;
  if (read != CURLUE_OK) {
    problem = where + " is not a URL that can be used: " + curl_url_strerror(read);
  } else if (curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK) {
    const std::string name = AsciiLower(scheme);
    if (name != "http" && name != "https" && name.rfind("socks", 0) != 0)
      problem = where + " must be an http, https, socks4 or socks5 URL";
    curl_free(scheme);
  }
  curl_url_cleanup(parsed);
  return problem;
}

}  // namespace

std::shared_ptr<const ConnectionSetup> ConnectionSetup::Make(const SettingsOrder& order,
                                                             SettingsAnswer& answer) {
  answer = SettingsAnswer{};
  ConnectionSettings settings;
  settings.cookiesFile = order.cookiesFile;
  settings.userAgent = order.userAgent;
  settings.headers = order.headers;
  settings.proxy = order.proxy;
  settings.caCertificate = order.caCertificate;
  settings.loginHeaders = order.loginHeaders;
  if (const auto problem = SettingsProblem(settings)) {
    answer.error = *problem;
    return nullptr;
  }
  // Checked here once, before the first request: libcurl's own words on a
  // proxy it cannot use quote it whole, password and all, on every file.
  if (!order.proxy.empty())
    answer.error = ProxyProblem(order.proxy, "the proxy");
  for (const std::string& entry : order.environment) {
    const std::size_t equals = entry.find('=');
    const std::string name = AsciiLower(entry.substr(0, equals));
    if (!answer.error.empty() || !order.proxy.empty() || equals == std::string::npos ||
        name == "no_proxy")
      continue;
    answer.error =
        ProxyProblem(entry.substr(equals + 1), "the proxy of " + entry.substr(0, equals));
  }
  if (!answer.error.empty())
    return nullptr;
  if (!order.caCertificate.empty()) {
    answer.error = CaFileProblem(order.caCertificate);
    if (!answer.error.empty())
      return nullptr;
  }
  CookiesFile cookies;
  if (!order.cookiesFile.empty()) {
    cookies = ReadCookiesFile(order.cookiesFile);
    if (!cookies.error.empty()) {
      answer.error = cookies.error;
      return nullptr;
    }
    answer.warning = cookies.warning;
  }

  std::shared_ptr<ConnectionSetup> setup(new ConnectionSetup);
  setup->order_ = order;
  setup->jar_ = curl_share_init();
  if (setup->jar_ == nullptr ||
      curl_share_setopt(setup->jar_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE) != CURLSHE_OK) {
    answer.error = "cannot make a cookie jar";
    return nullptr;
  }
  for (std::string& cookie : cookies.cookies)
    setup->unloadedCookies_[CookieDomain(cookie)].push_back(std::move(cookie));
  for (const std::string& header : order.headers) {
    // Without the start URL's host (an older client) every header goes everywhere.
    if (order.startUrl.empty() || !IsSecretHeader(header))
      setup->headers_ = curl_slist_append(setup->headers_, header.c_str());
    setup->loginHeaders_ = curl_slist_append(setup->loginHeaders_, header.c_str());
  }
  for (const std::string& header : order.loginHeaders) {
    if (order.startUrl.empty())
      setup->headers_ = curl_slist_append(setup->headers_, header.c_str());
    setup->loginHeaders_ = curl_slist_append(setup->loginHeaders_, header.c_str());
  }
  setup->loginHost_ = order.startUrl.empty() ? std::string() : HostOf(order.startUrl.c_str());
  setup->withLogin_ =
      !setup->loginHost_.empty() &&
      !(order.loginHeaders.empty() &&
        std::none_of(order.headers.begin(), order.headers.end(),
                     [](const std::string& header) { return IsSecretHeader(header); }));
  return setup;
}

ConnectionSetup::~ConnectionSetup() {
  curl_slist_free_all(headers_);
  curl_slist_free_all(loginHeaders_);
  if (jar_ != nullptr)
    curl_share_cleanup(jar_);
}

void ConnectionSetup::Attach(const ConnectionSetup* setup, CURL* easy) {
  if (setup != nullptr) {
    setup->attach(easy);
    return;
  }
  curl_easy_setopt(easy, CURLOPT_SHARE, nullptr);
  // Turns the cookie engine off and empties the handle's list of cookie sources.
  curl_easy_setopt(easy, CURLOPT_COOKIEFILE, nullptr);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, kDefaultUserAgent);
  curl_easy_setopt(easy, CURLOPT_CAINFO, DefaultCaFile());
  curl_easy_setopt(easy, CURLOPT_PROXY_CAINFO, DefaultCaFile());
}

void ConnectionSetup::Apply(const ConnectionSetup* setup, CURL* easy, const std::string& url) {
  if (setup != nullptr) {
    setup->apply(easy, url);
    return;
  }
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(easy, CURLOPT_PROXY, nullptr);  // the downloader's own environment
  curl_easy_setopt(easy, CURLOPT_NOPROXY, nullptr);
}

const curl_slist* ConnectionSetup::BeforeRequest(const ConnectionSetup* setup, CURL* easy,
                                                 const char* url) {
  if (setup == nullptr || url == nullptr)
    return nullptr;
  if (setup->unloadedCookies_.empty() && !setup->withLogin_)
    return setup->headers_;
  const std::string host = HostOf(url);
  // The host and each domain above it: a cookie of example.com may go to
  // www.example.com; libcurl decides which of them it sends.
  for (std::string_view domain = host; !domain.empty() && !setup->unloadedCookies_.empty();) {
    const auto found = setup->unloadedCookies_.find(std::string(domain));
    if (found != setup->unloadedCookies_.end()) {
      for (const std::string& cookie : found->second)
        curl_easy_setopt(easy, CURLOPT_COOKIELIST, cookie.c_str());
      setup->unloadedCookies_.erase(found);
    }
    const std::size_t dot = domain.find('.');
    domain = dot == std::string_view::npos ? std::string_view() : domain.substr(dot + 1);
  }
  return setup->withLogin_ && host == setup->loginHost_ ? setup->loginHeaders_ : setup->headers_;
}

void ConnectionSetup::attach(CURL* easy) const {
  // Empties the handle's list of cookie sources (which also lets go of the
  // jar), then turns the cookie engine on with none: the jar holds the cookies.
  curl_easy_setopt(easy, CURLOPT_COOKIEFILE, nullptr);
  curl_easy_setopt(easy, CURLOPT_SHARE, jar_);
  curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(easy, CURLOPT_USERAGENT,
                   order_.userAgent.empty() ? kDefaultUserAgent : order_.userAgent.c_str());
  const char* ca = order_.caCertificate.empty() ? DefaultCaFile() : order_.caCertificate.c_str();
  curl_easy_setopt(easy, CURLOPT_CAINFO, ca);
  curl_easy_setopt(easy, CURLOPT_PROXY_CAINFO, ca);
}

void ConnectionSetup::apply(CURL* easy, const std::string& url) const {
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers_);
  // An empty proxy text tells libcurl to use none, whatever its environment says.
  const std::string proxy = order_.proxy.empty() ? environmentProxy(url) : order_.proxy;
  curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
  std::string noProxy = environment("no_proxy");
  if (noProxy.empty())
    noProxy = environment("NO_PROXY");
  curl_easy_setopt(easy, CURLOPT_NOPROXY, noProxy.c_str());
}

std::string ConnectionSetup::environment(const std::string& name) const {
  const std::string prefix = name + "=";
  for (const std::string& entry : order_.environment) {
    if (entry.compare(0, prefix.size(), prefix) == 0)
      return entry.substr(prefix.size());
  }
  return {};
}

std::string ConnectionSetup::environmentProxy(const std::string& url) const {
  const UrlPieces parts = SplitUrlText(url);
  const std::string scheme = parts.hasAuthority ? AsciiLower(parts.scheme) : "http";
  // As curl: http_proxy only in small letters, the others in either.
  std::vector<std::string> names{scheme + "_proxy"};
  if (scheme != "http")
    names.push_back(AsciiUpper(scheme) + "_PROXY");
  names.insert(names.end(), {"all_proxy", "ALL_PROXY"});
  for (const std::string& name : names) {
    std::string proxy = environment(name);
    if (!proxy.empty())
      return proxy;
  }
  return {};
}

}  // namespace harvel
