#include "crawl/wait_speed.h"

#include <algorithm>

namespace harvel {

void WaitSpeed(EventPump& pump, const CrawlOptions& options) {
  // The slider runs from 0 to 5; larger levels are capped where n x 30 ms still
  // fits the 16-bit pause the slider was made for.
  constexpr int kMaxLevel = 1092;
  constexpr int kStepMs = 30;
  const int level = options.speedLevel();
  if (level <= 0) {
    pump.processPendingEvents();
    return;
  }
  PumpWait(pump, std::min(level, kMaxLevel) * kStepMs);
}

}  // namespace harvel
