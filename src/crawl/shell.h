#pragma once

#include <string>

namespace harvel {

// What the crawl asks of the desktop.
class Shell {
 public:
  virtual ~Shell() = default;
  // Opens `folder` in the desktop's file manager; failures are not reported.
  virtual void openFolder(const std::string& folder) = 0;
};

}  // namespace harvel
