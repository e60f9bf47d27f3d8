#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace harvel {

// Section and key names of a list file, case as written.
inline constexpr std::string_view kSettingSection = "setting";
inline constexpr std::string_view kCountKey = "count";
inline constexpr std::string_view kTitleKey = "title";
inline constexpr std::string_view kUrlKey = "url";
inline constexpr std::string_view kLevelKey = "level";

// "List1", "List2", ...: the section of one row.
inline std::string RowSection(std::size_t row) {
  return "List" + std::to_string(row);
}

// A value is read into a buffer of 1024 bytes: at most 1023 bytes of the
// file's encoding, and no broken character at the end.
inline constexpr std::size_t kValueBytes = 1023;

// The count is read as a 16-bit number, so a list of more rows could not be
// loaded again.
inline constexpr std::size_t kMaxRows = 32767;

// Far above the largest list file (32767 rows of three values of 1023 bytes,
// about 100 MB): a larger file is no list file and is neither read nor changed.
inline constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{256} << 20;

}  // namespace harvel
