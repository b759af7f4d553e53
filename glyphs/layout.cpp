#include "glyphs/layout.h"

#include <algorithm>

#include "i18n/messages.h"

namespace gbkhex::glyphs {
namespace {

std::size_t BytesFor(int pixels, int bitsPerPixel) noexcept {
  const std::size_t perByte = static_cast<std::size_t>(8 / bitsPerPixel);
  return (static_cast<std::size_t>(pixels) + perByte - 1) / perByte;
}

void CheckLayout(Scan scan, int bitsPerPixel) {
  if (std::string problem = LayoutProblem(scan, bitsPerPixel); !problem.empty()) {
    throw LayoutError(problem);
  }
}

// Packs the `length` pixels of one row, column or band into bytes; `level(k)`
// gives its k-th pixel's level.
template <typename LevelOf>
void AppendGroup(int length, const LevelOf& level, int bitsPerPixel, const ByteLayout& layout,
                 std::vector<std::uint8_t>& bytes) {
  const int perByte = 8 / bitsPerPixel;
  const unsigned fill = layout.invert ? 0xFFu : 0x00u;
  for (int start = 0; start < length; start += perByte) {
    unsigned byte = 0;
    for (int k = 0; k < perByte && start + k < length; ++k) {
      const int shift =
          layout.bitOrder == BitOrder::MsbFirst ? 8 - bitsPerPixel * (k + 1) : bitsPerPixel * k;
      byte |= static_cast<unsigned>(level(start + k)) << shift;
    }
    bytes.push_back(static_cast<std::uint8_t>(byte ^ fill));
  }
}

}  // namespace

std::string LayoutProblem(Scan scan, int bitsPerPixel) {
  if (!IsBitsPerPixel(bitsPerPixel)) {
    return std::string(i18n::Tr("a glyph has 1, 2, 4 or 8 bits a pixel"));
  }
  if (bitsPerPixel != 1 && (scan == Scan::Pages || scan == Scan::Tiles)) {
    return i18n::Fill(i18n::Tr("%s hold 1 bit a pixel, 8 pixels of a column or row in a byte: "
                               "glyphs of %s bits a pixel go in rows or columns"),
                      {scan == Scan::Pages ? "pages" : "tiles", std::to_string(bitsPerPixel)});
  }
  return "";
}

std::size_t LaidOutSize(int width, int height, Scan scan, int bitsPerPixel) {
  CheckLayout(scan, bitsPerPixel);
  const auto w = static_cast<std::size_t>(width);
  const auto h = static_cast<std::size_t>(height);
  switch (scan) {
    case Scan::Rows:
      return h * BytesFor(width, bitsPerPixel);
    case Scan::Columns:
      return w * BytesFor(height, bitsPerPixel);
    case Scan::Tiles:
      return h * BytesFor(width, 1);
    case Scan::Pages:
      return w * BytesFor(height, 1);
  }
  return 0;
}

void AppendLaidOut(const Glyph& glyph, const ByteLayout& layout, std::vector<std::uint8_t>& bytes) {
  const int bits = glyph.BitsPerPixel();
  CheckLayout(layout.scan, bits);
  const int width = glyph.Width();
  const int height = glyph.Height();
  switch (layout.scan) {
    case Scan::Rows:
      for (int y = 0; y < height; ++y) {
        AppendGroup(
            width, [&](int x) { return glyph.Level(x, y); }, bits, layout, bytes);
      }
      break;
    case Scan::Columns:
      for (int x = 0; x < width; ++x) {
        AppendGroup(
            height, [&](int y) { return glyph.Level(x, y); }, bits, layout, bytes);
      }
      break;
    case Scan::Pages:
      for (int top = 0; top < height; top += 8) {
        for (int x = 0; x < width; ++x) {
          AppendGroup(
              std::min(8, height - top), [&](int k) { return glyph.Level(x, top + k); }, bits,
              layout, bytes);
        }
      }
      break;
    case Scan::Tiles:
      for (int left = 0; left < width; left += 8) {
        for (int y = 0; y < height; ++y) {
          AppendGroup(
              std::min(8, width - left), [&](int k) { return glyph.Level(left + k, y); }, bits,
              layout, bytes);
        }
      }
      break;
  }
}

std::vector<std::uint8_t> LayOut(const Glyph& glyph, const ByteLayout& layout) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(LaidOutSize(glyph.Width(), glyph.Height(), layout.scan, glyph.BitsPerPixel()));
  AppendLaidOut(glyph, layout, bytes);
  return bytes;
}

}  // namespace gbkhex::glyphs
