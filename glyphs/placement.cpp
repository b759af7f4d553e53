#include "glyphs/placement.h"

#include <algorithm>

namespace gbkhex::glyphs {
namespace {

// The least shift that brings [from, from + length) inside [0, limit), where
// length <= limit.
int LeastShift(int from, int length, int limit) noexcept {
  if (from < 0) return -from;
  if (from + length > limit) return limit - (from + length);
  return 0;
}

}  // namespace

Excess ExcessOver(const InkBox& ink, int cellWidth, int cellHeight) noexcept {
  return {.wider = std::max(0, ink.width - cellWidth),
          .taller = std::max(0, ink.height - cellHeight)};
}

std::optional<Move> LeastMove(const InkBox& ink, int cellWidth, int cellHeight) noexcept {
  if (ink.Empty()) return Move{};
  if (ExcessOver(ink, cellWidth, cellHeight).Any()) return std::nullopt;
  return Move{.right = LeastShift(ink.left, ink.width, cellWidth),
              .down = LeastShift(ink.top, ink.height, cellHeight)};
}

bool IsBoxDrawing(char16_t character) noexcept {
  return character >= u'\u2500' && character <= u'\u257F';
}

int EmBoxTop(int size, int em) noexcept { return (size - em) / 2; }

}  // namespace gbkhex::glyphs
