// Reads arbitrary bytes as a server's Content-Range, both as a 206's range
// and as a 416's "bytes */N". What is taken must be a range that fits its
// length and reads back the same once written again, and the judgement of a
// part held must follow from the numbers alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "downloader/partial_range.h"

namespace {

void Check(bool condition) {
  if (!condition)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view value(reinterpret_cast<const char*>(data), size);
  if (const auto range = harvel::ParseContentRange(value)) {
    Check(range->first >= 0 && range->first <= range->last && range->last < range->length);
    const std::string written = "bytes " + std::to_string(range->first) + "-" +
                                std::to_string(range->last) + "/" + std::to_string(range->length);
    const auto again = harvel::ParseContentRange(written);
    Check(again && again->first == range->first && again->last == range->last &&
          again->length == range->length);
    Check(harvel::RangeIsWhole(*range) == (range->first == 0 && range->last == range->length - 1));
    // A part as long as where the range starts is continued exactly when the
    // range runs to the end; one holding the whole file never is.
    const bool toTheEnd = range->last == range->length - 1;
    Check(harvel::RangeContinues(*range, {range->first, -1}) == toTheEnd);
    Check(harvel::RangeContinues(*range, {range->first, range->length}) == toTheEnd);
    Check(!harvel::RangeContinues(*range, {range->length, range->length}));
    if (range->first > 0)
      Check(!harvel::RangeContinues(*range, {range->first - 1, -1}));
    if (range->length > 1)
      Check(!harvel::RangeContinues(*range, {range->first, range->length - 1}));
  }
  if (const auto length = harvel::ParseUnsatisfiedRange(value))
    Check(*length >= 0 && harvel::ParseUnsatisfiedRange("bytes */" + std::to_string(*length)));
  return 0;
}
