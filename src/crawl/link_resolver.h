#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// Resolves a link found on a page against the page's URL `base`, as a browser
// would: relative paths, "../", "/abs", "//host", "?query" and "#fragment".
// Spaces, tabs and line breaks around the link are dropped, line breaks and tabs
// inside it too, and a space inside it becomes %20. Against an http or https
// page, or in an http or https link, a backslash before the query is a slash;
// "http:pic.gif" and "http:/a.gif" with the page's own scheme are relative to
// it, another scheme without "//" names a host ("https:h.test/a.gif"). An
// empty login ("http://@h.test/") is dropped. A link with a scheme other than
// http, https or ftp (mailto:, javascript:, ...) is returned exactly as
// written. nullopt when the link or the base cannot be made into a URL.
std::optional<std::string> ResolveLink(const std::string& base, std::string_view link);

// The same for many links on one page: the base is parsed once.
class LinkResolver {
 public:
  explicit LinkResolver(const std::string& base);
  ~LinkResolver();
  LinkResolver(const LinkResolver&) = delete;
  LinkResolver& operator=(const LinkResolver&) = delete;

  std::optional<std::string> resolve(std::string_view link) const;

 private:
  struct Base;
  std::unique_ptr<Base> base_;  // nullptr when the base is no URL
};

}  // namespace harvel
