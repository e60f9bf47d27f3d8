#pragma once

#include <QString>
#include <string>

namespace harvel {

// A text the crawl engine made for the windows (it writes them in Japanese) in
// the windows' language: its captions, status texts and messages are known
// here by their Japanese form, %1 and %2 standing for what varies, and are
// translated in the context "EngineText". A text not known is shown as it is.
QString EngineText(const std::string& text);

}  // namespace harvel
