#include "crawl/page_readers.h"

namespace harvel {

const PageReader& PageReaders::forRow() const {
  if (options_.on(Check::ModernPages))
    return modern_;
  return scan_;
}

}  // namespace harvel
