#include "crawl_window/landed_picture.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace harvel {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

// The media type without its parameters, in lower case.
std::string MediaType(const std::string& contentType) {
  std::string type = Lower(contentType.substr(0, contentType.find(';')));
  type.erase(std::remove_if(type.begin(), type.end(),
                            [](unsigned char c) { return std::isspace(c) != 0; }),
             type.end());
  return type;
}

bool HasPictureEnding(const std::string& path) {
  static constexpr std::array<std::string_view, 10> kEndings = {
      ".gif", ".jpg", ".jpeg", ".jpe", ".png", ".bmp", ".webp", ".ico", ".svg", ".svgz"};
  const std::string name = Lower(path.substr(path.find_last_of('/') + 1));
  return std::any_of(kEndings.begin(), kEndings.end(), [&name](std::string_view ending) {
    return name.size() > ending.size() &&
           name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
  });
}

}  // namespace

bool IsLandedPicture(const RequestRecord& record) {
  if (!record.outcome.landed)
    return false;
  const std::string type = MediaType(record.outcome.contentType);
  if (type.rfind("image/", 0) == 0)
    return true;
  const bool tellsNothing =
      type.empty() || type == "application/octet-stream" || type == "binary/octet-stream";
  return tellsNothing && HasPictureEnding(record.path);
}

}  // namespace harvel
