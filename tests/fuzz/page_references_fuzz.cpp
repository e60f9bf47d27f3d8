// Feeds arbitrary bytes to the modern page reader: it must neither crash nor
// hang, and everything it returns must be an absolute URL.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "crawl/modern/css_urls.h"
#include "crawl/modern/modern_file_name.h"
#include "crawl/modern/page_references.h"
#include "crawl/modern/srcset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  for (const harvel::PageReference& reference :
       harvel::ReadPageReferences(page, "http://fuzz.test/dir/page.html")) {
    if (reference.url.find(':') == std::string::npos)
      std::abort();
    const std::string name = harvel::ModernFileName(reference.url);
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
      std::abort();
  }
  harvel::CssUrls(page);
  harvel::LargestSrcsetCandidate(page);
  return 0;
}
