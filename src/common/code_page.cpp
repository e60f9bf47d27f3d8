#include "common/code_page.h"

namespace harvel {

// Placeholder until the iconv-backed conversion lands.
std::optional<std::string> Cp932ToUtf8(std::string_view) { return std::nullopt; }
std::optional<std::string> Utf8ToCp932(std::string_view) { return std::nullopt; }

}  // namespace harvel
