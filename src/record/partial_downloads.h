#pragma once

#include <chrono>
#include <string>

namespace harvel {

// Where the downloader keeps the downloads of a title's folder that were cut
// off part-way (only-new), to continue them: a folder in the record's own.
inline constexpr const char* kPartialFolderName = "partial";
std::string PartialFolderPath(const std::string& titleFolder);

// Parts kept longer than this after they were last written are not continued.
inline constexpr std::chrono::hours kLongestKeptPart{24 * 7};

// Removes what the partial folder of `titleFolder` holds that was last
// written before `before`; nothing when it is not a folder of this user.
void RemoveOldParts(const std::string& titleFolder, std::chrono::system_clock::time_point before);

// Removes the partial folder of `titleFolder` and all it holds.
void RemoveAllParts(const std::string& titleFolder);

}  // namespace harvel
