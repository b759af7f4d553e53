#include "glyphs/em_fit.h"

#include <algorithm>
#include <utility>

#include "glyphs/placement.h"

namespace gbkhex::glyphs {
namespace {

// `characters`, those whose outlines fill most of the cell first.
std::vector<char16_t> LargestFirst(FontChain& fonts, std::span<const char16_t> characters,
                                   Cell cell) {
  const Font& first = fonts.First();
  const double width = first.CellWidth(cell);
  const double height = first.PixelSize();
  std::vector<std::pair<double, char16_t>> ranked;
  ranked.reserve(characters.size());
  for (const char16_t character : characters) {
    if (IsBoxDrawing(character)) continue;
    const std::optional<EmShare> share = fonts.OutlineShare(character);
    // Without outlines, nothing is known: such a glyph is tried early.
    ranked.emplace_back(share ? std::max(share->width / width, share->height / height) : 1e9,
                        character);
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<char16_t> order;
  order.reserve(ranked.size());
  for (const auto& [rank, character] : ranked) order.push_back(character);
  return order;
}

// Above this many bytes of glyphs, those drawn while fitting are drawn again
// rather than kept.
constexpr double kMaxKeptBytes = 64.0 * 1024 * 1024;

// Whether `character`'s glyph is larger than its cell; one that is not is
// kept for the run where `keep`.
bool LargerThanItsCell(FontChain& fonts, char16_t character, Cell cell, bool keep) {
  std::optional<FontChain::Drawn> drawn = fonts.Draw(character, cell);
  if (!drawn) return false;
  if (drawn->drawn.excess.Any()) return true;
  if (keep) fonts.Keep(character, *std::move(drawn));
  return false;
}

FontChain OpenChain(std::span<const FontSource> sources, FontOptions options, int em) {
  options.em = em;
  std::vector<Font> fonts;
  fonts.reserve(sources.size());
  for (const FontSource& source : sources) fonts.push_back(Font::Open(source, options));
  return FontChain(std::move(fonts));
}

}  // namespace

EmFit FitEm(const OpenAtEm& open, int largest, std::span<const char16_t> characters, Cell cell) {
  std::optional<EmFit> smallest;
  std::optional<FontError> refusal;
  std::optional<std::vector<char16_t>> order;
  std::vector<char16_t> failed;  // at some em tried, in the order found
  std::vector<char16_t> setters;
  const bool keep = static_cast<double>(characters.size()) * largest * largest <= kMaxKeptBytes;
  for (int em = largest; em >= 1; --em) {
    std::optional<FontChain> fonts;
    try {
      fonts.emplace(open(em));
    } catch (const FontError& error) {
      refusal = error;
      continue;
    }
    if (!order) order = LargestFirst(*fonts, characters, cell);
    std::vector<char16_t> tooLarge;
    for (const char16_t character : failed) {
      if (LargerThanItsCell(*fonts, character, cell, keep)) tooLarge.push_back(character);
    }
    if (tooLarge.empty()) {
      const auto found = std::find_if(order->begin(), order->end(), [&](char16_t character) {
        return LargerThanItsCell(*fonts, character, cell, keep);
      });
      if (found == order->end())
        return EmFit{.em = em, .setters = setters, .fonts = *std::move(fonts)};
      tooLarge.push_back(*found);
      failed.push_back(*found);
      order->erase(found);
    }
    setters = std::move(tooLarge);
    smallest.emplace(EmFit{.em = em, .setters = setters, .fonts = *std::move(fonts)});
  }
  if (smallest) return *std::move(smallest);
  throw *refusal;
}

OpenedFonts OpenFonts(const FacePlan& plan, std::span<const char16_t> wide,
                      std::span<const char16_t> narrow) {
  std::vector<FontSource> narrowSources;
  if (plan.narrowFont) narrowSources.push_back(*plan.narrowFont);
  narrowSources.insert(narrowSources.end(), plan.fonts.begin(), plan.fonts.end());
  const int size = plan.options.pixelSize;
  const auto opened = [&](std::span<const FontSource> sources, std::optional<int> em,
                          std::span<const char16_t> characters, Cell cell) {
    if (em || !plan.fit) {
      return EmFit{.em = em.value_or(size),
                   .setters = {},
                   .fonts = OpenChain(sources, plan.options, em.value_or(size))};
    }
    return FitEm([&](int tried) { return OpenChain(sources, plan.options, tried); }, size,
                 characters, cell);
  };
  EmFit wideFit = opened(plan.fonts, plan.em, wide, Cell::Wide);
  // Without a narrow font the narrow cells draw from the wide cells' faces:
  // at the same em, opened once.
  const bool sameFaces = !plan.narrowFont && (plan.narrowEm || !plan.fit) &&
                         plan.narrowEm.value_or(size) == wideFit.em;
  EmFit narrowFit =
      sameFaces ? EmFit{.em = wideFit.em, .setters = {}, .fonts = wideFit.fonts.SharingFaces()}
                : opened(narrowSources, plan.narrowEm, narrow, Cell::Narrow);
  return OpenedFonts{
      .fonts = CellFonts{.wide = std::move(wideFit.fonts), .narrow = std::move(narrowFit.fonts)},
      .wideSetters = std::move(wideFit.setters),
      .narrowSetters = std::move(narrowFit.setters)};
}

}  // namespace gbkhex::glyphs
