#pragma once

#include <optional>
#include <string>

namespace harvel {

// The Debian package to install when no browser is found, named in messages.
inline constexpr const char* kBrowserPackage = "chromium-headless-shell";

// The browser that renders pages built by scripts: the program that
// HARVEL_CHROMIUM names when it is set (an executable file, else none), or the
// first of chromium-headless-shell, chromium and chromium-browser found on PATH.
// Only looked up, never started here.
std::optional<std::string> FindBrowserProgram();

// What a front says when the option needs the browser and there is none.
std::string BrowserMissingText();

}  // namespace harvel
