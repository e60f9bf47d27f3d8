#include "downloader/connection_setup.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "common/connection_settings.h"
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
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0)
    return CannotReadCa(path, std::strerror(errno));
  struct stat status {};
  const bool file = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  close(fd);
  return file ? std::string() : CannotReadCa(path, "not a file");
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
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
  return Lower(std::string(line));
}

// The host of `url` in small letters; empty when it has none.
std::string HostOf(const char* url) {
  std::string host;
  if (CURLU* parsed = curl_url()) {
    char* part = nullptr;
    if (curl_url_set(parsed, CURLUPART_URL, url, CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK &&
        curl_url_get(parsed, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
      host = Lower(part);
      curl_free(part);
    }
    curl_url_cleanup(parsed);
  }
  return host;
}

}  // namespace

std::shared_ptr<const ConnectionSetup> ConnectionSetup::Make(const SettingsOrder& order,
                                                             SettingsAnswer& answer) {
  answer = SettingsAnswer{};
  ConnectionSettings settings{order.cookiesFile, order.userAgent, order.headers, order.proxy,
                              order.caCertificate};
  if (const auto problem = SettingsProblem(settings)) {
    answer.error = *problem;
    return nullptr;
  }
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
  for (const std::string& header : order.headers)
    setup->headers_ = curl_slist_append(setup->headers_, header.c_str());
  return setup;
}

ConnectionSetup::~ConnectionSetup() {
  curl_slist_free_all(headers_);
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

void ConnectionSetup::BeforeRequest(const ConnectionSetup* setup, CURL* easy, const char* url) {
  if (setup == nullptr || setup->unloadedCookies_.empty() || url == nullptr)
    return;
  // The host and each domain above it: a cookie of example.com may go to
  // www.example.com; libcurl decides which of them it sends.
  const std::string host = HostOf(url);
  for (std::string_view domain = host; !domain.empty();) {
    const auto found = setup->unloadedCookies_.find(std::string(domain));
    if (found != setup->unloadedCookies_.end()) {
      for (const std::string& cookie : found->second)
        curl_easy_setopt(easy, CURLOPT_COOKIELIST, cookie.c_str());
      setup->unloadedCookies_.erase(found);
    }
    const std::size_t dot = domain.find('.');
    domain = dot == std::string_view::npos ? std::string_view() : domain.substr(dot + 1);
  }
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
  const std::size_t schemeEnd = url.find("://");
  const std::string scheme =
      schemeEnd == std::string::npos ? "http" : Lower(url.substr(0, schemeEnd));
  // As curl: http_proxy only in small letters, the others in either.
  std::vector<std::string> names{scheme + "_proxy"};
  if (scheme != "http")
    names.push_back(Upper(scheme) + "_PROXY");
  names.insert(names.end(), {"all_proxy", "ALL_PROXY"});
  for (const std::string& name : names) {
    std::string proxy = environment(name);
    if (!proxy.empty())
      return proxy;
  }
  return {};
}

}  // namespace harvel
