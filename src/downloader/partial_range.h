#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace harvel {

// A Content-Range of bytes: `first` to `last` (both included) of a file of
// `length` bytes.
struct ContentRange {
  std::int64_t first = 0;
  std::int64_t last = 0;
  std::int64_t length = 0;
};

// "bytes 100-199/1000"; nullopt for anything else (an unknown length "*", a
// range that runs backwards or past the length, numbers that overflow).
std::optional<ContentRange> ParseContentRange(std::string_view value);

// The length of a 416 answer's "bytes */1000"; nullopt for anything else.
std::optional<std::int64_t> ParseUnsatisfiedRange(std::string_view value);

// What a part kept of a file tells of it, to judge a server's answer to the
// request for its rest.
struct HeldPart {
  std::int64_t size = 0;     // the bytes held
  std::int64_t length = -1;  // the whole file's, when known; -1 when not
};

// Whether a 206 answering the request for the rest of `held` continues it:
// the range begins at or before the end of what is held (the bytes from there
// on are taken from the server), runs to the end of the file, and the file's
// length is the one known before.
bool RangeContinues(const ContentRange& range, const HeldPart& held);

// Whether a 206 to a request for the whole file brings the whole file.
bool RangeIsWhole(const ContentRange& range);

}  // namespace harvel
