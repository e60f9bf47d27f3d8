#pragma once

#include <optional>
#include <string>
#include <vector>

namespace harvel {

// `saveFile` with "(n)" put into its file name: before the last "." of the name
// (photo.gif -> photo(1).gif), or at its end when the name has no "." (readme ->
// readme(1)). A "." in the folder part is never used.
std::string NumberedName(const std::string& saveFile, int number);

// The highest number a numbered name takes.
inline constexpr int kLastSequenceNumber = 32767;

// The numbered name with the lowest number from 1 to 32767 at which no ordinary
// file exists; nullopt when every one of them is taken.
std::optional<std::string> FirstFreeNumberedName(const std::string& saveFile);

// The name a file lands under: `saveFile`, or while `numbering` is on and an
// ordinary file stands there, the first free numbered name; nullopt when
// every number is taken (the file is then not fetched, rather than
// overwriting one).
std::optional<std::string> LandingName(const std::string& saveFile, bool numbering);

// Where a file numbered `numbered` could have landed before: `plainFile` and
// its numbered names below `numbered`'s, those at which ordinary files stand.
std::vector<std::string> EarlierNames(const std::string& plainFile, const std::string& numbered);

// True when an ordinary file (not a folder) stands at `path`.
bool OrdinaryFileExists(const std::string& path);

}  // namespace harvel
