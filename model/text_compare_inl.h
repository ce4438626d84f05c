#pragma once
#include <algorithm>
#include <utility>

namespace kw {

template <class List>
void AddSortedUnique(List& list, std::string text) {
  auto at = std::lower_bound(list.begin(), list.end(), text,
                             [](const auto& a, const auto& b) { return CompareTextLocale(a, b) < 0; });
  if (at != list.end() && CompareTextLocale(*at, text) == 0) return;
  list.insert(at, std::move(text));
}

}  // namespace kw
