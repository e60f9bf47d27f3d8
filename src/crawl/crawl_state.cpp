#include "crawl/crawl_state.h"

#include <filesystem>
#include <system_error>

#include "common/path_text.h"
#include "crawl/modern/modern_file_name.h"

namespace harvel {

void CrawlState::dropLandedFile() {
  std::error_code error;
  std::filesystem::remove(PathFromText(SaveFile), error);
  --DownCnt;
}

bool CrawlState::claimSaveFile() {
  const std::optional<SaveFileClaim> claim = UnclaimedSaveFile(modern, SaveFile, CurURL);
  if (!claim)
    return false;
  RecordClaim(modern, SaveFile, *claim, CurURL);
  SaveFile = claim->path;
  return true;
}

}  // namespace harvel
