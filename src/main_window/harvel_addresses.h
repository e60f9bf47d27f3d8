#pragma once

namespace harvel {

// The project's own web addresses and the built-in row of the collection list.
inline constexpr const char* kHomePageUrl = "https://harvel.example.org/";
inline constexpr const char* kProductPageUrl = "https://harvel.example.org/harvel/";
inline constexpr const char* kBuiltInRowTitle = "Harvelのホームページ";
inline constexpr const char* kBuiltInRowLevel = "3";

}  // namespace harvel
