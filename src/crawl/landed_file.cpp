#include "crawl/landed_file.h"

#include <filesystem>
#include <system_error>

#include "common/path_text.h"

namespace harvel {

void DropLandedFile(CrawlState& state) {
  std::error_code error;
  std::filesystem::remove(PathFromText(state.SaveFile), error);
  --state.DownCnt;
}

}  // namespace harvel
