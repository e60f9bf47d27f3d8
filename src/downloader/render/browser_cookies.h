#pragma once

#include <QJsonArray>
#include <string>
#include <vector>

namespace harvel {

// The cookies of a client's jar (cookies.txt lines, as libcurl lists them) as
// the browser's cookie parameters, so that a page is rendered with the
// cookies the downloader would send. A line that is no cookie is passed over.
QJsonArray BrowserCookiesFromLines(const std::vector<std::string>& lines);

// The browser's cookies (after a page ran) as cookies.txt lines for the jar,
// so that the downloader sends a cookie a page's script set.
std::vector<std::string> CookieLinesFromBrowser(const QJsonArray& cookies);

}  // namespace harvel
