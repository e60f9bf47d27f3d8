#include "crawl/modern/open_elements.h"

#include <algorithm>

namespace harvel {

void OpenElements::push(std::string name, Space space) {
  const unsigned categories = CategoriesOf(name, space);
  const int at = static_cast<int>(elements_.size());
  byName_[name].push_back(at);
  for (std::size_t i = 0; i < kCategoryCount; ++i) {
    if (categories & (1u << i))
      byCategory_[i].push_back(at);
  }
  elements_.push_back(Element{std::move(name), space, categories});
}

void OpenElements::pop() {
  const Element& element = elements_.back();
  const auto positions = byName_.find(element.name);
  positions->second.pop_back();
  // Names that are no longer open go once there are many, so that a page
  // of countless made-up names does not keep one entry for each.
  if (positions->second.empty() && byName_.size() > kNamesKept)
    byName_.erase(positions);
  for (std::size_t i = 0; i < kCategoryCount; ++i) {
    if (element.categories & (1u << i))
      byCategory_[i].pop_back();
  }
  elements_.pop_back();
}

int OpenElements::topmost(std::string_view name) const {
  const auto found = byName_.find(std::string(name));
  return found == byName_.end() || found->second.empty() ? -1 : found->second.back();
}

int OpenElements::topmost(unsigned categories) const {
  int at = -1;
  for (std::size_t i = 0; i < kCategoryCount; ++i) {
    if ((categories & (1u << i)) && !byCategory_[i].empty())
      at = std::max(at, byCategory_[i].back());
  }
  return at;
}

}  // namespace harvel
