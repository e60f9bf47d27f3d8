#include "common/site.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <libpsl.h>

#include <memory>

#include "common/url_scheme.h"

namespace harvel {
namespace {

struct PslFree {
  void operator()(psl_ctx_t* psl) const { psl_free(psl); }
};

// The newest public suffix list the system has, else the one built into libpsl.
const psl_ctx_t* SuffixList() {
  static const std::unique_ptr<psl_ctx_t, PslFree> latest(psl_latest(nullptr));
  return latest ? latest.get() : psl_builtin();
}

bool IsIpAddress(const std::string& host) {
  unsigned char address[16];
  if (host.size() > 2 && host.front() == '[' && host.back() == ']')
    return inet_pton(AF_INET6, host.substr(1, host.size() - 2).c_str(), address) == 1;
  return inet_pton(AF_INET, host.c_str(), address) == 1 ||
         inet_pton(AF_INET6, host.c_str(), address) == 1;
}

struct CurlUrlFree {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

// The host of a URL the downloader fetches; "" for any other.
std::string HostOf(std::string_view url) {
  if (!IsDownloadableUrl(url))
    return {};
  const std::unique_ptr<CURLU, CurlUrlFree> handle(curl_url());
  if (!handle)
    return {};
  const std::string text(url);
  // Without a scheme the URL is taken as http, as the downloader takes it.
  if (curl_url_set(handle.get(), CURLUPART_URL, text.c_str(),
                   CURLU_DEFAULT_SCHEME | CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
    return {};
  }
  char* host = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK || host == nullptr)
    return {};
  std::string result(host);
  curl_free(host);
  return result;
}

}  // namespace

std::string SiteOfHost(std::string_view host) {
  std::string lower(host);
  while (!lower.empty() && lower.back() == '.')
    lower.pop_back();  // "example.com." names example.com
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  if (lower.empty() || IsIpAddress(lower))
    return lower;
  const psl_ctx_t* list = SuffixList();
  const char* registrable = list == nullptr ? nullptr : psl_registrable_domain(list, lower.c_str());
  return registrable == nullptr ? lower : std::string(registrable);
}

std::string SiteOfUrl(std::string_view url) {
  return SiteOfHost(HostOf(url));
}

bool OnSameSite(std::string_view a, std::string_view b) {
  const std::string siteA = SiteOfUrl(a);
  return !siteA.empty() && siteA == SiteOfUrl(b);
}

}  // namespace harvel
