#include "crawl/record_status_text.h"

namespace harvel {

RecordStatus OpenRecord(CollectedFiles* collected, const std::string& folder) {
  if (collected != nullptr)
    return collected->open(folder);
  RecordStatus status;
  status.state = RecordStatus::State::Unusable;
  status.problem = "unwritable";
  status.message = "no record can be kept for " + folder;
  return status;
}

std::string RecordStatusText(const RecordStatus& status) {
  switch (status.state) {
    case RecordStatus::State::Ready:
      return {};
    case RecordStatus::State::Restarted:
      return std::string(status.problem == "foreign" ? "Harvelのものでない取得記録"
                                                     : "壊れた取得記録") +
             "を " + status.setAsidePath + " に移し、新しい取得記録を始めました";
    case RecordStatus::State::Unusable:
      break;
  }
  if (status.problem == "newer")
    return "取得記録は新しいHarvelで書かれているため使えません。取得を中止しました(" +
           status.message + ")";
  return "取得記録を使えないため、取得を中止しました(" + status.message + ")";
}

}  // namespace harvel
