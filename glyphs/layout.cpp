#include "glyphs/layout.h"

#include <algorithm>

namespace gbkhex::glyphs {
namespace {

std::size_t BytesFor(int pixels) noexcept { return (static_cast<std::size_t>(pixels) + 7) / 8; }

// Packs the `length` pixels of one row, column or band into bytes; `lit(k)`
// tells whether its k-th pixel is lit.
template <typename IsLit>
void AppendGroup(int length, const IsLit& lit, const ByteLayout& layout,
                 std::vector<std::uint8_t>& bytes) {
  const std::uint8_t fill = layout.invert ? 0xFF : 0x00;
  for (int start = 0; start < length; start += 8) {
    unsigned byte = 0;
    for (int k = 0; k < 8 && start + k < length; ++k) {
      if (lit(start + k)) byte |= layout.bitOrder == BitOrder::MsbFirst ? 0x80u >> k : 1u << k;
    }
    bytes.push_back(static_cast<std::uint8_t>(byte ^ fill));
  }
}

}  // namespace

std::size_t LaidOutSize(int width, int height, Scan scan) noexcept {
  const auto w = static_cast<std::size_t>(width);
  const auto h = static_cast<std::size_t>(height);
  switch (scan) {
    case Scan::Rows:
    case Scan::Tiles:
      return h * BytesFor(width);
    case Scan::Columns:
    case Scan::Pages:
      return w * BytesFor(height);
  }
  return 0;
}

void AppendLaidOut(const Glyph& glyph, const ByteLayout& layout, std::vector<std::uint8_t>& bytes) {
  const int width = glyph.Width();
  const int height = glyph.Height();
  switch (layout.scan) {
    case Scan::Rows:
      for (int y = 0; y < height; ++y) {
        AppendGroup(
            width, [&](int x) { return glyph.Lit(x, y); }, layout, bytes);
      }
      break;
    case Scan::Columns:
      for (int x = 0; x < width; ++x) {
        AppendGroup(
            height, [&](int y) { return glyph.Lit(x, y); }, layout, bytes);
      }
      break;
    case Scan::Pages:
      for (int top = 0; top < height; top += 8) {
        for (int x = 0; x < width; ++x) {
          AppendGroup(
              std::min(8, height - top), [&](int k) { return glyph.Lit(x, top + k); }, layout,
              bytes);
        }
      }
      break;
    case Scan::Tiles:
      for (int left = 0; left < width; left += 8) {
        for (int y = 0; y < height; ++y) {
          AppendGroup(
              std::min(8, width - left), [&](int k) { return glyph.Lit(left + k, y); }, layout,
              bytes);
        }
      }
      break;
  }
}

std::vector<std::uint8_t> LayOut(const Glyph& glyph, const ByteLayout& layout) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(LaidOutSize(glyph.Width(), glyph.Height(), layout.scan));
  AppendLaidOut(glyph, layout, bytes);
  return bytes;
}

}  // namespace gbkhex::glyphs
