#pragma once

#include <functional>
#include <string_view>

namespace harvel {

// Reads a list of settings written "name=number,name=number" (the form of the
// downloader's limit variables) and hands each well-formed pair with a number of
// 0 or more to `take`, in order. A pair that is no such pair is passed over.
void ForEachNumberSetting(std::string_view text,
                          const std::function<void(std::string_view name, long number)>& take);

// The same for the list in the environment variable `variable`; nothing is
// handed on when it is not set.
void ForEachNumberSettingOfVariable(
    const char* variable, const std::function<void(std::string_view name, long number)>& take);

}  // namespace harvel
