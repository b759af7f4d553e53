#pragma once

// Toolkit-free: every front end brings its output box up to date the same way.

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace gbkhex {

// The one span whose replacement turns the shown text into the next: the
// `removed` units from `start` of the shown text give way to the `inserted`
// units from `start` of the next. A new output usually differs from the one
// before it only around the place where the input changed, so the span is as
// short as the two texts' common start and end allow, and a box that replaces
// just it keeps the layout of everything else.
struct ChangedSpan {
  std::size_t start = 0;
  std::size_t removed = 0;
  std::size_t inserted = 0;

  constexpr bool IsEmpty() const noexcept { return removed == 0 && inserted == 0; }
  friend constexpr bool operator==(const ChangedSpan&, const ChangedSpan&) = default;
};

// The common end is looked for only after the common start, so the two never
// overlap: "aa" -> "aaa" inserts one unit at 2, not at 0.
template <class Unit>
constexpr ChangedSpan FindChangedSpan(std::basic_string_view<Unit> shown,
                                      std::basic_string_view<Unit> next) noexcept {
  const auto start = static_cast<std::size_t>(
      std::mismatch(shown.begin(), shown.end(), next.begin(), next.end()).first - shown.begin());
  shown.remove_prefix(start);
  next.remove_prefix(start);
  const auto end = static_cast<std::size_t>(
      std::mismatch(shown.rbegin(), shown.rend(), next.rbegin(), next.rend()).first -
      shown.rbegin());
  return {start, shown.size() - end, next.size() - end};
}

}  // namespace gbkhex
