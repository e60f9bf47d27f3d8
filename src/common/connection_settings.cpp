#include "common/connection_settings.h"

#include <algorithm>
#include <cctype>

#include "common/ascii_text.h"
#include "common/url_parts.h"

namespace harvel {
namespace {

// The proxies libcurl speaks to; a proxy without a scheme is an http one.
constexpr std::string_view kProxySchemes[] = {"http",    "https",  "socks4",
                                              "socks4a", "socks5", "socks5h"};

// A character of an HTTP header name (a "token").
bool IsNameCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) ||
         std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool BreaksALine(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// The name of a "Name: value" header, or nullopt when it is not one.
std::optional<std::string_view> HeaderName(std::string_view header) {
  const std::size_t colon = header.find(':');
  if (colon == 0 || colon == std::string_view::npos)
    return std::nullopt;
  const std::string_view name = header.substr(0, colon);
  if (!std::all_of(name.begin(), name.end(), IsNameCharacter))
    return std::nullopt;
  return name;
}

}  // namespace

std::optional<std::string> SettingsProblem(const ConnectionSettings& settings) {
  for (const std::string* text :
       {&settings.cookiesFile, &settings.userAgent, &settings.proxy, &settings.caCertificate}) {
    if (BreaksALine(*text))
      return "a setting holds a line break";
  }
  std::vector<std::string> headers = settings.headers;
  headers.insert(headers.end(), settings.loginHeaders.begin(), settings.loginHeaders.end());
  for (std::size_t i = 0; i < headers.size(); ++i) {
    const std::string& header = headers[i];
    if (!HeaderName(header) || BreaksALine(header)) {
      return "header " + std::to_string(i + 1) + " is not written as 'Name: value' on one line";
    }
  }
  if (const UrlPieces proxy = SplitUrlText(settings.proxy); proxy.hasAuthority) {
    const std::string_view scheme = proxy.scheme;
    const bool known =
        std::any_of(std::begin(kProxySchemes), std::end(kProxySchemes),
                    [&](std::string_view one) { return EqualsIgnoringAsciiCase(scheme, one); });
    if (!known)
      return "the proxy must be an http, https, socks4 or socks5 URL";
  }
  const HostManners& manners = settings.manners;
  if (manners.hostJobs < 0 || manners.hostJobs > HostManners::kMostHostJobs)
    return "the connections to one host must be a number from 1 to " +
           std::to_string(HostManners::kMostHostJobs);
  if (manners.wait.count() < 0 || manners.wait > HostManners::kLongestWait)
    return "the wait between two requests to one host must be from 0 to " +
           std::to_string(HostManners::kLongestWait.count() / 1000) + " seconds";
  return std::nullopt;
}

std::string ProxyWithoutPassword(std::string_view proxy) {
  const std::size_t start = AuthorityStart(proxy);
  const std::size_t end = std::min(proxy.find_first_of("/?#", start), proxy.size());
  std::size_t at = proxy.substr(start, end - start).rfind('@');
  std::size_t colon = std::string_view::npos;
  if (at != std::string_view::npos) {
    at += start;
    colon = proxy.substr(0, at).find(':', start);
  } else if ((at = proxy.rfind('@')) != std::string_view::npos && at > end) {
    // A password may hold "/", "?" or "#" ("me:pa/ss@host"); a colon before
    // them followed by a port ("host:8080/a@b") is no login.
    colon = proxy.substr(0, end).find(':', start);
    const std::string_view port = colon == std::string_view::npos
                                      ? std::string_view()
                                      : proxy.substr(colon + 1, end - colon - 1);
    if (!port.empty() &&
        std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
      colon = std::string_view::npos;
  }
  if (colon == std::string_view::npos)
    return std::string(proxy);
  return std::string(proxy.substr(0, colon)) + std::string(proxy.substr(at));
}

std::optional<std::string> ProxyWithPassword(std::string_view proxy, std::string_view password) {
  const std::size_t start = AuthorityStart(proxy);
  const std::size_t at = proxy.rfind('@');
  if (at == std::string_view::npos || at <= start ||
      proxy.substr(start, at - start).find(':') != std::string_view::npos)
    return std::nullopt;
  std::string written(proxy.substr(0, at));
  written += ':';
  constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : password) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~') {
      written += c;
    } else {
      written += '%';
      written += kHex[byte >> 4];
      written += kHex[byte & 15];
    }
  }
  written += proxy.substr(at);
  return written;
}

bool IsSecretHeader(std::string_view header) {
  const std::string_view name = header.substr(0, header.find(':'));
  return EqualsIgnoringAsciiCase(name, "Authorization") ||
         EqualsIgnoringAsciiCase(name, "Proxy-Authorization") ||
         EqualsIgnoringAsciiCase(name, "Cookie");
}

ConnectionSettings KeptPart(const ConnectionSettings& settings) {
  ConnectionSettings kept = settings;
  kept.proxy = ProxyWithoutPassword(settings.proxy);
  std::erase_if(kept.headers, [](const std::string& header) { return IsSecretHeader(header); });
  kept.loginHeaders.clear();
  kept.startUrl.clear();
  return kept;
}

}  // namespace harvel
