#include "cli/outcome_tally.h"

#include "crawl/request_record.h"

namespace harvel {
namespace {

// A URL or path from a hostile page must not write lines of its own.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
      c = ' ';
  }
  return text;
}

}  // namespace

std::string OutcomeTally::summary() const {
  std::string text =
      "harvel-cli: " + std::to_string(landed()) + " landed, " + std::to_string(failed_) + " failed";
  if (alreadyCollected_ > 0)
    text += ", " + std::to_string(alreadyCollected_) + " already collected";
  if (tooSmall_ > 0)
    text += ", " + std::to_string(tooSmall_) + " too small";
  if (robotsExcluded_ > 0)
    text += ", robots: " + std::to_string(robotsExcluded_);
  return text;
}

void OutcomeTally::recordRestarted(const RecordStatus& status) {
  if (beforeError_)
    beforeError_();
  err_ << "harvel-cli: " << OneLine(status.message) << '\n';
  if (next_)
    next_->recordRestarted(status);
}

void OutcomeTally::requestEnded(const RequestRecord& record) {
  if (next_)
    next_->requestEnded(record);
  if (record.outcome.landed) {
    landedPaths_.add(record.path);
    return;
  }
  if (record.outcome.alreadyCollected) {
    ++alreadyCollected_;
    return;
  }
  if (record.outcome.tooSmall) {
    ++tooSmall_;
    return;
  }
  if (record.outcome.robotsExcluded) {
    ++robotsExcluded_;
    return;
  }
  if (!record.outcome.failed())
    return;
  ++failed_;
  if (beforeError_)
    beforeError_();
  err_ << "harvel-cli: failed: " << OneLine(record.url) << " -> " << OneLine(record.path) << ": "
       << OneLine(FailureReasonText(record.outcome)) << '\n';
}

}  // namespace harvel
