// Feeds arbitrary bytes as a font file to the glyph library's own reading of
// font tables (the directory of a font or collection, 'head', 'hhea', 'OS/2',
// 'BASE' and 'name') and checks what must hold for any input: nothing is read
// outside the file, and what is read makes sense: a table lies within the
// file, a collection's faces fit its header, an em box holds the baseline, an
// ascender lies above its descender.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "glyphs/sfnt.h"

namespace {

namespace sfnt = gbkhex::glyphs::sfnt;

void Check(bool condition) {
  if (!condition) std::abort();
}

// More faces add nothing that the first few do not reach.
constexpr std::uint32_t kFacesRead = 4;

sfnt::Bytes Table(sfnt::Bytes file, std::uint32_t face, const char* tag) {
  const std::optional<sfnt::Bytes> table = sfnt::FindTable(file, face, sfnt::Tag(tag));
  if (!table) return {};
  Check(table->data() >= file.data() && table->data() + table->size() <= file.data() + file.size());
  return *table;
}

void ReadFace(sfnt::Bytes file, std::uint32_t face) {
  const sfnt::Bytes names = Table(file, face, "name");
  sfnt::FamilyName(names);
  sfnt::StyleName(names);
  sfnt::AllNames(names, sfnt::kFullNameId);
  const std::optional<int> unitsPerEm = sfnt::UnitsPerEm(Table(file, face, "head"));
  Check(!unitsPerEm || *unitsPerEm > 0);
  if (const auto metrics =
          sfnt::ReadAscenderAndDescender(Table(file, face, "hhea"), Table(file, face, "OS/2"))) {
    Check(metrics->top > metrics->bottom);
  }
  if (const auto box =
          sfnt::ReadIdeographicEmBox(Table(file, face, "BASE"), unitsPerEm.value_or(1000))) {
    Check(box->bottom <= 0 && box->top > 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const sfnt::Bytes file(data, size);
  const std::uint32_t faces = sfnt::FaceCount(file);
  Check(faces <= 1 || (size - 12) / 4 >= faces);
  for (std::uint32_t face = 0; face < std::min(faces, kFacesRead); ++face) ReadFace(file, face);
  // A face past the last one is no face.
  Check(!sfnt::FindTable(file, faces, sfnt::Tag("head")));
  return 0;
}
