#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harvel {

// UserExt: the user's name endings, or nullopt before any load with UserSetChk on.
using UserExtList = std::optional<std::vector<std::string>>;

// Splits UserSetTxt at every comma, keeping every piece as typed (spaces and
// empty pieces included); an empty text gives no pieces.
std::vector<std::string> SplitUserExt(std::string_view text);

// IsFileType: 1 when `name` ends with one of the first 51 entries of `userExt`
// (exact, case-sensitive; an empty entry matches every name), 0 otherwise.
int IsFileType(std::string_view name, const UserExtList& userExt);

}  // namespace harvel
