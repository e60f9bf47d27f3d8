#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/host_manners.h"

namespace harvel {

// What VeskDownloader sends when nothing else is asked for.
inline constexpr const char* kDefaultUserAgent = "VeskDownloader/1.0";

// How the downloader reaches sites for one crawl, as the user sets it once: in
// the window's 詳細設定 dialog (kept between runs) or by harvel-cli's flags.
// Empty texts keep the downloader's own behaviour.
struct ConnectionSettings {
  std::string cookiesFile;  // a cookies.txt (Netscape format), read at crawl start
  std::string userAgent;    // empty: kDefaultUserAgent
  // "Name: value", sent with every request; those that carry a login
  // (IsSecretHeader) only to the start URL's host.
  std::vector<std::string> headers;
  std::string proxy;          // empty: the http_proxy, https_proxy, no_proxy variables
  std::string caCertificate;  // a PEM file of authorities trusted besides the system's
  // "Name: value" that the user marks as a login: sent only to the start
  // URL's host, never kept.
  std::vector<std::string> loginHeaders;

  // Not a setting of the user's: the crawl's start URL, to whose host the
  // headers that carry a login go.
  std::string startUrl;

  // How each host is treated: the most transfers at once to it, the wait
  // between two requests to it.
  HostManners manners;

  bool empty() const {
    return cookiesFile.empty() && userAgent.empty() && headers.empty() && loginHeaders.empty() &&
           proxy.empty() && caCertificate.empty() && manners.builtIn();
  }
  bool operator==(const ConnectionSettings&) const = default;
};

// Why the settings cannot be used (a header that is not "Name: value", a proxy
// of another scheme than http, https, socks4 or socks5, a line break in a
// text), or nullopt. The message never repeats a header's value.
std::optional<std::string> SettingsProblem(const ConnectionSettings& settings);

// The part that may be written to a file: the proxy without its password, and
// no header that carries a login (Authorization, Proxy-Authorization, Cookie,
// and those the user marks).
ConnectionSettings KeptPart(const ConnectionSettings& settings);

// `proxy` with the password of its user part left out ("http://me@host:8080").
std::string ProxyWithoutPassword(std::string_view proxy);

// `proxy` ("http://me@host:8080") with `password` for its user, written as a
// URL writes it; nullopt when it names no user or holds a password already.
std::optional<std::string> ProxyWithPassword(std::string_view proxy, std::string_view password);

// Whether a header of this name carries a login or a cookie.
bool IsSecretHeader(std::string_view header);

}  // namespace harvel
