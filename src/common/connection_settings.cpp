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
  for (std::size_t i = 0; i < settings.headers.size(); ++i) {
    const std::string& header = settings.headers[i];
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
  return std::nullopt;
}

std::string ProxyWithoutPassword(std::string_view proxy) {
  // A proxy without a scheme is an authority and what follows it.
  const UrlPieces parts = SplitUrlText(proxy);
  const std::size_t start = parts.hasAuthority ? parts.scheme.size() + 3 : 0;
  const std::string_view authority =
      parts.hasAuthority ? parts.authority
                         : proxy.substr(0, std::min(proxy.find_first_of("/?#"), proxy.size()));
  const std::size_t at = authority.rfind('@');
  if (at == std::string_view::npos)
    return std::string(proxy);
  const std::size_t colon = authority.substr(0, at).find(':');
  if (colon == std::string_view::npos)
    return std::string(proxy);
  return std::string(proxy.substr(0, start + colon)) + std::string(proxy.substr(start + at));
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
  return kept;
}

}  // namespace harvel
