#include "downloader/render/browser_proxy.h"

#include <algorithm>

#include "common/ascii_text.h"
#include "common/url_parts.h"

namespace harvel {
namespace {

std::string Decoded(std::string_view text) {
  const auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9')
      return c - '0';
    c = AsciiLower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
  };
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && digit(text[i + 1]) >= 0 &&
        digit(text[i + 2]) >= 0) {
      plain += static_cast<char>(digit(text[i + 1]) * 16 + digit(text[i + 2]));
      i += 2;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

// "host:port", with `port` when the text names none ("[::1]" is a host).
std::string WithPort(std::string_view host, std::string_view port) {
  const std::size_t close = host.rfind(']');
  const std::size_t colon = host.rfind(':');
  if (colon == std::string_view::npos || (close != std::string_view::npos && colon < close))
    return std::string(host) + ":" + std::string(port);
  return std::string(host);
}

// One proxy URL as the browser takes it: its scheme (one the browser knows),
// host and port (written out: libcurl's default is 1080, 443 for https), and
// its login apart.
struct ProxyServer {
  std::string url;  // "scheme://host:port"; empty: none
  ProxyLogin login;
};

ProxyServer ServerOf(std::string_view proxy) {
  proxy = Trimmed(proxy);
  ProxyServer server;
  if (proxy.empty())
    return server;
  const std::size_t start = AuthorityStart(proxy);
  std::string scheme = start == 0 ? "http" : AsciiLower(proxy.substr(0, start - 3));
  if (scheme == "socks5h")
    scheme = "socks5";  // the browser lets the proxy find the host either way
  else if (scheme == "socks4a")
    scheme = "socks4";
  // A password may hold "/", "?" or "#": the login ends at the last "@".
  std::string_view rest = proxy.substr(start);
  const std::size_t at = rest.rfind('@');
  if (at != std::string_view::npos) {
    const std::string_view login = rest.substr(0, at);
    const std::size_t colon = login.find(':');
    server.login.user = Decoded(login.substr(0, colon));
    if (colon != std::string_view::npos)
      server.login.password = Decoded(login.substr(colon + 1));
    rest = rest.substr(at + 1);
  }
  const std::string hostPort =
      WithPort(rest.substr(0, rest.find_first_of("/?#")), scheme == "https" ? "443" : "1080");
  server.url = scheme + "://" + hostPort;
  server.login.hostPort = AsciiLower(hostPort);
  return server;
}

std::string Variable(const std::vector<std::string>& environment, std::string_view name) {
  for (const std::string& line : environment) {
    if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 &&
        line[name.size()] == '=')
      return line.substr(name.size() + 1);
  }
  return {};
}

std::string FirstVariable(const std::vector<std::string>& environment,
                          std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) {
    std::string value = Variable(environment, name);
    if (!value.empty())
      return value;
  }
  return {};
}

}  // namespace

BrowserProxy BrowserProxyFor(std::string_view proxy, const std::vector<std::string>& environment) {
  BrowserProxy browser;
  ProxyServer http;
  ProxyServer https;
  if (!Trimmed(proxy).empty()) {
    http = https = ServerOf(proxy);
  } else {
    // As libcurl: http_proxy only in small letters, the others in either.
    http = ServerOf(FirstVariable(environment, {"http_proxy", "all_proxy", "ALL_PROXY"}));
    https = ServerOf(
        FirstVariable(environment, {"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}));
  }
  if (http.url.empty() && https.url.empty())
    return browser;
  if (http.url == https.url) {
    browser.servers = http.url;
  } else {
    if (!http.url.empty())
      browser.servers = "http=" + http.url;
    if (!https.url.empty())
      browser.servers += (browser.servers.empty() ? "https=" : ";https=") + https.url;
  }
  for (const ProxyServer* server : {&http, &https}) {
    if (!server->url.empty() && !server->login.user.empty() &&
        LoginForProxy(browser, server->login.hostPort) == nullptr)
      browser.logins.push_back(server->login);
  }
  // libcurl sends requests for this machine through the proxy too; the
  // browser would not unless told.
  browser.bypass = "<-loopback>";
  std::string skipped = Variable(environment, "no_proxy");
  if (skipped.empty())
    skipped = Variable(environment, "NO_PROXY");
  if (Trimmed(skipped) == "*")
    return BrowserProxy{};
  if (!Trimmed(skipped).empty())
    browser.bypass += "," + skipped;
  return browser;
}

const ProxyLogin* LoginForProxy(const BrowserProxy& proxy, std::string_view origin) {
  const std::size_t start = AuthorityStart(origin);
  // An origin leaves out its scheme's own port.
  const std::string hostPort =
      WithPort(origin.substr(start, origin.find('/', start) - start),
               StartsWithIgnoringAsciiCase(origin, "https:") ? "443" : "80");
  const auto found = std::find_if(
      proxy.logins.begin(), proxy.logins.end(),
      [&](const ProxyLogin& login) { return EqualsIgnoringAsciiCase(login.hostPort, hostPort); });
  return found == proxy.logins.end() ? nullptr : &*found;
}

}  // namespace harvel
