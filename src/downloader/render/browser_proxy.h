#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace harvel {

// A proxy's user and password, for the proxy at `hostPort` ("host:port").
struct ProxyLogin {
  std::string hostPort;
  std::string user;
  std::string password;
};

// The proxies a client's downloads go through (its proxy, or else the
// http_proxy, https_proxy, all_proxy and no_proxy lines of its environment,
// as libcurl reads them), written as the browser takes them: the servers
// without their logins, which are given only when a proxy asks for one.
struct BrowserProxy {
  std::string servers;  // --proxy-server's value; empty: none
  std::string bypass;   // --proxy-bypass-list's value when there are servers
  std::vector<ProxyLogin> logins;
};

BrowserProxy BrowserProxyFor(std::string_view proxy, const std::vector<std::string>& environment);

// The login for a proxy's challenge from `origin` ("http://host:port"), or
// nullptr when the proxy is not one of `proxy`'s with a login.
const ProxyLogin* LoginForProxy(const BrowserProxy& proxy, std::string_view origin);

}  // namespace harvel
