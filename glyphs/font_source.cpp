#include "glyphs/font_source.h"

#include <algorithm>
#include <numeric>

#include "i18n/messages.h"

namespace gbkhex::glyphs {
namespace {

char Lower(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Levenshtein's distance over bytes, ASCII letters of either case alike: a
// family's other scripts are UTF-8, whose characters count by their bytes.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> previous(b.size() + 1);
  std::iota(previous.begin(), previous.end(), std::size_t{0});
  std::vector<std::size_t> current(b.size() + 1);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t substitution = previous[j - 1] + (Lower(a[i - 1]) != Lower(b[j - 1]));
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
    }
    std::swap(previous, current);
  }
  return previous[b.size()];
}

}  // namespace

std::vector<std::string> NearestFamilies(std::string_view wanted,
                                         const std::vector<std::string>& families,
                                         std::size_t count) {
  std::vector<std::pair<std::size_t, const std::string*>> ranked;
  ranked.reserve(families.size());
  for (const std::string& family : families)
    ranked.emplace_back(EditDistance(wanted, family), &family);
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> nearest;
  for (std::size_t i = 0; i < ranked.size() && i < count; ++i) nearest.push_back(*ranked[i].second);
  return nearest;
}

std::string NotInstalledMessage(std::string_view family, const std::vector<std::string>& nearest) {
  if (nearest.empty()) {
    return i18n::Fill(i18n::Tr("no installed font family is named '%s' (no font is installed)"),
                      {family});
  }
  std::string names;
  for (std::size_t i = 0; i < nearest.size(); ++i) {
    names.append(i ? ", '" : "'").append(nearest[i]).append("'");
  }
  return i18n::Fill(i18n::Tr("no installed font family is named '%s' (the nearest: %s)"),
                    {family, names});
}

}  // namespace gbkhex::glyphs
