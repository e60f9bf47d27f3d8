#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/host_manners.h"
#include "downloader/protocol/frame.h"

namespace harvel {

// The feature of a downloader that takes a client's connection settings.
inline constexpr const char* kFeatureSettings = "settings";
// The feature of a downloader that takes the manners toward each host in them.
inline constexpr const char* kFeatureHostManners = "host-manners";

// Settings (P), crawl -> downloader: how this client's downloads reach sites
// from now on, sent when a crawl starts. A fresh cookie jar is made for the
// client (the cookies a server sets are kept there and sent back until the
// next settings), filled from `cookiesFile` when one is named. Empty texts
// keep the downloader's own behaviour.
struct SettingsOrder {
  std::string cookiesFile;           // a cookies.txt in the Netscape format
  std::string userAgent;             // empty: the downloader's own
  std::vector<std::string> headers;  // "Name: value" lines
  std::string proxy;                 // empty: the environment's http_proxy and the like
  std::string caCertificate;         // a PEM file of further trusted authorities
  // "NAME=value": the client's proxy variables (http_proxy, https_proxy,
  // all_proxy, no_proxy, ...), which decide the proxy when `proxy` is empty,
  // whatever the downloader's own environment says.
  std::vector<std::string> environment;
  // Headers that carry a login: those of `headers` named Authorization,
  // Proxy-Authorization or Cookie, and `loginHeaders`, go only to requests
  // (and redirects) to the host of `startUrl`; empty `startUrl` (an older
  // client): to every host, as before.
  std::vector<std::string> loginHeaders;
  std::string startUrl;
  // How each host is treated (host-jobs, wait-ms, random-wait): the built-in
  // manners are not sent.
  HostManners manners;
};

// Settings (P), downloader -> crawl: the answer. `error` tells why the
// settings were not taken (the client's downloads then go on with the
// settings it had); `warning` something the user should know.
struct SettingsAnswer {
  std::string error;
  std::string warning;

  bool applied() const { return error.empty(); }
};

// Fields, each when set: cookies, user-agent, headers, login-headers and
// environment (their lines joined by a line feed), start-url, proxy,
// ca-certificate, host-jobs, wait-ms, random-wait ("1"). A host-jobs or a
// wait-ms that is no number, or out of range, is read as not set.
std::string EncodeSettings(const SettingsOrder& order);
SettingsOrder ParseSettings(const Message& message);

// Fields, each when set: error, warning.
std::string EncodeSettingsAnswer(const SettingsAnswer& answer);
SettingsAnswer ParseSettingsAnswer(const Message& message);

}  // namespace harvel
