#include "crawl/request_record.h"

#include <cinttypes>
#include <cstdio>

namespace harvel {

std::string FailureReasonText(const DownloadOutcome& outcome) {
  if (!outcome.reasonText.empty())
    return outcome.reasonText;
  return outcome.reason.empty() ? std::string("unknown") : outcome.reason;
}

std::string RequestRecordText(const RequestRecord& record) {
  const DownloadOutcome& outcome = record.outcome;
  std::string text = record.url + " -> " + record.path + ": ";
  if (outcome.tooSmall)
    text += "too small (" + PictureSizeText(*outcome.tooSmall) + ")";
  else
    text += outcome.landed             ? "landed"
            : outcome.alreadyCollected ? "already collected"
            : outcome.notModified      ? "not modified"
            : outcome.robotsExcluded   ? "excluded (" + FailureReasonText(outcome) + ")"
                                       : "failed (" + FailureReasonText(outcome) + ")";
  if (outcome.rendered)
    text += " (rendered, " + std::to_string(outcome.pictures.size()) + " pictures loaded)";
  text += outcome.httpStatus > 0 ? ", HTTP " + std::to_string(outcome.httpStatus) : ", HTTP -";
  text += ", " + std::to_string(outcome.bytes) + " bytes";
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, ", %" PRId64 ".%03" PRId64 " s", outcome.elapsedMs / 1000,
                outcome.elapsedMs % 1000);
  text += seconds;
  return text;
}

}  // namespace harvel
