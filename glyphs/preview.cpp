#include "glyphs/preview.h"

#include <algorithm>
#include <limits>

#include "i18n/messages.h"

namespace gbkhex::glyphs {
namespace {

// The picture's size must fit an int and the encoders' limits; a million
// pixels a side is libpng's.
constexpr std::int64_t kMaxSide = 1'000'000;

std::int64_t Side(std::int64_t slots, std::int64_t slotSide) { return slots * (slotSide + 1) + 1; }

std::uint8_t Grey(int level, int maxLevel) {
  return static_cast<std::uint8_t>(kPreviewDark - (level * kPreviewDark + maxLevel / 2) / maxLevel);
}

}  // namespace

PreviewImage DrawPreview(std::span<const Glyph> glyphs, const PreviewOptions& options) {
  if (options.scale < 1 || options.columns < 1) {
    throw PreviewError(
        std::string(i18n::Tr("a preview needs a scale and a number of columns of 1 or more")));
  }
  int cellWidth = 0;
  int cellHeight = 0;
  for (const Glyph& glyph : glyphs) {
    cellWidth = std::max(cellWidth, glyph.Width());
    cellHeight = std::max(cellHeight, glyph.Height());
  }
  const std::int64_t count = static_cast<std::int64_t>(glyphs.size());
  const std::int64_t columns = std::min<std::int64_t>(options.columns, count);
  const std::int64_t rows = columns == 0 ? 0 : (count + columns - 1) / columns;
  const std::int64_t slotWidth = std::int64_t{cellWidth} * options.scale;
  const std::int64_t slotHeight = std::int64_t{cellHeight} * options.scale;
  const std::int64_t width = Side(columns, slotWidth);
  const std::int64_t height = Side(rows, slotHeight);
  if (width > kMaxSide || height > kMaxSide) {
    throw PreviewError(
        i18n::Fill(i18n::Tr("a preview of %s glyphs would be %s x %s pixels, more "
                            "than a PNG encoder takes: use more columns"),
                   {std::to_string(count), std::to_string(width), std::to_string(height)}));
  }

  PreviewImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.grey.assign(static_cast<std::size_t>(width * height), kPreviewGrid);
  const auto fill = [&](std::int64_t left, std::int64_t top, std::int64_t across, std::int64_t down,
                        std::uint8_t level) {
    for (std::int64_t y = top; y < top + down; ++y) {
      const auto row = image.grey.begin() + y * width;
      std::fill(row + left, row + left + across, level);
    }
  };
  for (std::int64_t i = 0; i < count; ++i) {
    const Glyph& glyph = glyphs[static_cast<std::size_t>(i)];
    const std::int64_t left = 1 + (i % columns) * (slotWidth + 1);
    const std::int64_t top = 1 + (i / columns) * (slotHeight + 1);
    fill(left, top, slotWidth, slotHeight, kPreviewBeyond);
    for (int y = 0; y < glyph.Height(); ++y) {
      for (int x = 0; x < glyph.Width(); ++x) {
        fill(left + std::int64_t{x} * options.scale, top + std::int64_t{y} * options.scale,
             options.scale, options.scale, Grey(glyph.Level(x, y), glyph.MaxLevel()));
      }
    }
  }
  return image;
}

std::vector<std::uint8_t> PreviewPng(std::span<const Glyph> glyphs, const PreviewOptions& options) {
  return detail::EncodePng(DrawPreview(glyphs, options));
}

}  // namespace gbkhex::glyphs

namespace gbkhex::glyphs {

GridPreview::GridPreview(std::int64_t width, int cellHeight, std::int64_t bands, std::ostream& out)
    : width_(0), cellHeight_(cellHeight), bandsLeft_(bands) {
  const std::int64_t height = bands * (std::int64_t{cellHeight} + 1) + 1;
  if (width > kMaxSide || height > kMaxSide || width < 1 || cellHeight < 1) {
    throw PreviewError(i18n::Fill(
        i18n::Tr("a font image's preview would be %s x %s pixels, more than a PNG encoder takes"),
        {std::to_string(width), std::to_string(height)}));
  }
  width_ = static_cast<int>(width);
  band_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(cellHeight + 1),
               kPreviewGrid);
  png_ = std::make_unique<detail::PngRowWriter>(width_, static_cast<int>(height), out);
  WriteRow(band_.data());  // the grid line above the first band
  if (bandsLeft_ == 0) png_->Finish();
}

GridPreview::~GridPreview() = default;

void GridPreview::Add(const Glyph& glyph) {
  if (x_ + std::int64_t{glyph.Width()} + 1 > width_ || glyph.Height() != cellHeight_) {
    throw PreviewError(std::string(i18n::Tr("a glyph does not fit the font image's preview")));
  }
  const auto width = static_cast<std::size_t>(width_);
  for (int y = 0; y < cellHeight_; ++y) {
    std::uint8_t* row = band_.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < glyph.Width(); ++x) row[x_ + x] = Grey(glyph.Level(x, y), glyph.MaxLevel());
  }
  x_ += glyph.Width() + 1;
}

void GridPreview::EndBand() {
  const auto width = static_cast<std::size_t>(width_);
  for (int y = 0; y <= cellHeight_; ++y)
    WriteRow(band_.data() + static_cast<std::size_t>(y) * width);
  std::fill(band_.begin(), band_.end(), kPreviewGrid);
  x_ = 1;
  if (--bandsLeft_ == 0) png_->Finish();
}

void GridPreview::WriteRow(const std::uint8_t* row) {
  png_->WriteRow({row, static_cast<std::size_t>(width_)});
}

}  // namespace gbkhex::glyphs
