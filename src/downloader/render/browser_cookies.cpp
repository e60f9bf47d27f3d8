#include "downloader/render/browser_cookies.h"

#include <QJsonObject>
#include <QString>
#include <cmath>
#include <string_view>

namespace harvel {
namespace {

std::vector<std::string> Split(std::string_view line, char separator) {
  std::vector<std::string> parts;
  for (;;) {
    const auto at = line.find(separator);
    parts.emplace_back(line.substr(0, at));
    if (at == std::string_view::npos)
      return parts;
    line.remove_prefix(at + 1);
  }
}

}  // namespace

QJsonArray BrowserCookiesFromLines(const std::vector<std::string>& lines) {
  QJsonArray cookies;
  for (const std::string& line : lines) {
    std::vector<std::string> fields = Split(line, '\t');
    if (fields.size() != 7)
      continue;
    bool httpOnly = false;
    std::string domain = fields[0];
    constexpr std::string_view kHttpOnly = "#HttpOnly_";
    if (domain.compare(0, kHttpOnly.size(), kHttpOnly) == 0) {
      httpOnly = true;
      domain.erase(0, kHttpOnly.size());
    }
    if (domain.empty() || domain[0] == '#')
      continue;
    const bool subdomains = fields[1] == "TRUE";
    const bool secure = fields[3] == "TRUE";
    QJsonObject cookie{{"name", QString::fromStdString(fields[5])},
                       {"value", QString::fromStdString(fields[6])},
                       {"path", QString::fromStdString(fields[2])},
                       {"secure", secure},
                       {"httpOnly", httpOnly}};
    if (subdomains) {
      cookie.insert("domain",
                    QString::fromStdString(domain.front() == '.' ? domain : "." + domain));
    } else {
      // Given by URL, the cookie is the host's own, as in the jar.
      const std::string host = domain.front() == '.' ? domain.substr(1) : domain;
      cookie.insert("url",
                    QString::fromStdString((secure ? "https://" : "http://") + host + fields[2]));
    }
    const long long expires = std::atoll(fields[4].c_str());
    if (expires > 0)
      cookie.insert("expires", static_cast<double>(expires));
    cookies.append(cookie);
  }
  return cookies;
}

std::vector<std::string> CookieLinesFromBrowser(const QJsonArray& cookies) {
  std::vector<std::string> lines;
  for (const auto& value : cookies) {
    const QJsonObject cookie = value.toObject();
    const std::string domain = cookie.value("domain").toString().toStdString();
    const std::string name = cookie.value("name").toString().toStdString();
    if (domain.empty() || name.empty())
      continue;
    const bool subdomains = domain.front() == '.';
    const double expires = cookie.value("expires").toDouble(-1);
    const bool session = cookie.value("session").toBool(false) || expires <= 0;
    std::string line = cookie.value("httpOnly").toBool() ? "#HttpOnly_" : "";
    line += domain;
    line += subdomains ? "\tTRUE\t" : "\tFALSE\t";
    line += cookie.value("path").toString("/").toStdString();
    line += cookie.value("secure").toBool() ? "\tTRUE\t" : "\tFALSE\t";
    line += session ? "0" : std::to_string(static_cast<long long>(std::floor(expires)));
    line += "\t" + name + "\t" + cookie.value("value").toString().toStdString();
    if (line.find('\n') != std::string::npos || line.find('\r') != std::string::npos)
      continue;
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace harvel
