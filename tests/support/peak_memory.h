#pragma once

#include <cstdint>

namespace harvel::test {

// The most memory the process has held since the last ResetPeakMemory(), in
// bytes (0 when the system does not tell).
std::int64_t PeakMemory();

// Starts a new peak; false when the system does not let it be reset, and the
// peak is then the process's whole life.
bool ResetPeakMemory();

}  // namespace harvel::test
