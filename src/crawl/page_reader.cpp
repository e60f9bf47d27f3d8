#include "crawl/page_reader.h"

namespace harvel {

std::string ServedType(const DownloadOutcome& outcome) {
  return outcome.detailed ? outcome.contentType : std::string();
}

}  // namespace harvel
