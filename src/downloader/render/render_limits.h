#pragma once

#include <chrono>

namespace harvel {

// How long a page is given in the browser. A page that never goes quiet or
// never stops growing ends at `page` with what it has by then.
struct RenderLimits {
  std::chrono::milliseconds page{20000};    // from the navigation to the last scroll
  std::chrono::milliseconds load{10000};    // waiting for the load event
  std::chrono::milliseconds quiet{500};     // no request under way for this long is quiet
  std::chrono::milliseconds settle{3000};   // the most one wait for quiet takes
  std::chrono::milliseconds capture{5000};  // taking the document; a page stuck in a script
                                            // past this is given up with its browser
};

// The built-in limits, with those named in VESKDOWNLOADER_RENDER_LIMITS
// ("page-ms=N,load-ms=N,quiet-ms=N,settle-ms=N,capture-ms=N") taken from there:
// tests use it so as not to wait twenty seconds for a page that never ends.
RenderLimits RenderLimitsFromEnvironment();

}  // namespace harvel
