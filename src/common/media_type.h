#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace harvel {

// A Content-Type value, "type/subtype; name=value; ...", its names in lower
// case and its values as written (a quoted value without its quotes).
struct MediaType {
  std::string type;
  std::string subtype;
  std::vector<std::pair<std::string, std::string>> parameters;

  std::string essence() const { return type + "/" + subtype; }
  // The value of the parameter `name` (in lower case); nullopt when absent.
  std::optional<std::string> parameter(std::string_view name) const;
};

// nullopt when `text` holds no "type/subtype" with both parts non-empty. A
// parameter without "=" is passed over.
std::optional<MediaType> ParseMediaType(std::string_view text);

}  // namespace harvel
