#include "crawl/page_readers.h"

namespace harvel {

const PageReader& PageReaders::forRow() const {
  // Rendering implies the modern reader for what the browser gives.
  if (options_.renderScrolls() > 0)
    return rendered_;
  if (options_.on(Check::ModernPages))
    return modern_;
  return scan_;
}

}  // namespace harvel
