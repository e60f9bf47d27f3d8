#include "common/site.h"

#include <arpa/inet.h>
#include <libpsl.h>

#include <memory>

#include "common/ascii_text.h"
#include "common/url_parts.h"

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

// The host of a URL the downloader fetches; "" for any other. A URL without a
// scheme is taken as http, as the downloader takes it.
std::string HostOf(std::string_view url) {
  if (!IsDownloadableUrl(url))
    return {};
  const std::string text = UrlScheme(url).empty() ? "http://" + std::string(url) : std::string(url);
  return UrlHost(text).value_or(std::string());
}

}  // namespace

std::string SiteOfHost(std::string_view host) {
  std::string lower = AsciiLower(host);
  while (!lower.empty() && lower.back() == '.')
    lower.pop_back();  // "example.com." names example.com
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
