#include "cli/outcome_tally.h"

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
      "harvel-cli: " + std::to_string(landed_) + " landed, " + std::to_string(failed_) + " failed";
  if (alreadyCollected_ > 0)
    text += ", " + std::to_string(alreadyCollected_) + " already collected";
  return text;
}

void OutcomeTally::recordRestarted(const RecordStatus& status) {
  if (beforeError_)
    beforeError_();
  err_ << "harvel-cli: " << OneLine(status.message) << '\n';
  if (next_)
    next_->recordRestarted(status);
}

void OutcomeTally::downloadFailed(const std::string& url, const std::string& path,
                                  const std::string& reason) {
  ++failed_;
  if (beforeError_)
    beforeError_();
  err_ << "harvel-cli: failed: " << OneLine(url) << " -> " << OneLine(path) << ": "
       << OneLine(reason) << '\n';
  if (next_)
    next_->downloadFailed(url, path, reason);
}

void OutcomeTally::requestEnded(const RequestRecord& record) {
  if (record.outcome.landed)
    ++landed_;
  if (record.outcome.alreadyCollected)
    ++alreadyCollected_;
  if (next_)
    next_->requestEnded(record);
}

}  // namespace harvel
