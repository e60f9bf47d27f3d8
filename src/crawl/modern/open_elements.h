#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "crawl/modern/html_elements.h"

namespace harvel {

// The open elements as the parser will hold them, with the positions of each
// name and each category so that every question about scope is answered in
// constant time.
class OpenElements {
 public:
  static constexpr std::size_t kNamesKept = 256;

  struct Element {
    std::string name;
    Space space;
    unsigned categories;
  };

  std::size_t size() const { return elements_.size(); }
  const Element* top() const { return elements_.empty() ? nullptr : &elements_.back(); }

  void push(std::string name, Space space);
  void pop();
  // Pops the element at `at` and every one above it.
  void popTo(int at) {
    while (static_cast<int>(elements_.size()) > at)
      pop();
  }
  // The position of the topmost open element of this name, or of any of
  // these categories; -1 for none.
  int topmost(std::string_view name) const;
  int topmost(unsigned categories) const;
  // `found` when no element of `edges` lies above it (it may be one itself);
  // else -1.
  int inScope(int found, unsigned edges) const {
    return found >= 0 && found >= topmost(edges) ? found : -1;
  }

 private:
  std::vector<Element> elements_;
  std::unordered_map<std::string, std::vector<int>> byName_;
  std::array<std::vector<int>, kCategoryCount> byCategory_;
};

}  // namespace harvel
