#include "downloader/connection_setup.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstring>

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
  CURL* filler = curl_easy_init();
  if (setup->jar_ == nullptr || filler == nullptr ||
      curl_share_setopt(setup->jar_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE) != CURLSHE_OK) {
    if (filler != nullptr)
      curl_easy_cleanup(filler);
    answer.error = "cannot make a cookie jar";
    return nullptr;
  }
  curl_easy_setopt(filler, CURLOPT_SHARE, setup->jar_);
  for (const std::string& cookie : cookies.cookies)
    curl_easy_setopt(filler, CURLOPT_COOKIELIST, cookie.c_str());
  curl_easy_cleanup(filler);
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
