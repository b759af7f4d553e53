// Installed fonts found by family name under Wine, which lists the fonts of
// the Linux system it runs on: the bytes handed over must be the font file on
// disk, and FreeType, reading the face at the index given, must find the family
// and style asked for. A family that is not installed, or that Wine only
// substitutes another for, is an error naming installed families.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "glyphs/font.h"
#include "glyphs/font_source.h"

using gbkhex::glyphs::FindInstalledFont;
using gbkhex::glyphs::FontError;
using gbkhex::glyphs::FontSource;

namespace {

int failures = 0;
int checks = 0;

void Check(bool ok, const std::string& what) {
  ++checks;
  if (!ok) {
    std::printf("FAIL: %s\n", what.c_str());
    ++failures;
  }
}

std::vector<std::uint8_t> ReadFile(const std::string& unixPath) {
  // Wine's drive Z: is the root of the file system.
  std::ifstream in("Z:" + unixPath, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct FamilyAndStyle {
  std::string family;
  std::string style;
};

// What FreeType reads from face `index` of `bytes`; empty where it cannot.
FamilyAndStyle FaceNames(const std::vector<std::uint8_t>& bytes, int index) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return {};
  FamilyAndStyle names;
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), index, &face) ==
      0) {
    names = {face->family_name ? face->family_name : "", face->style_name ? face->style_name : ""};
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);
  return names;
}

struct Installed {
  std::string_view request;
  std::string_view file;  // Debian's
  int faceIndex;
  std::string_view family;
  std::string_view style;
};

constexpr std::string_view kMicroHei = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
constexpr std::string_view kNotoRegular = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
constexpr std::string_view kNotoBold = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc";
constexpr std::string_view kLiberation =
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
constexpr std::string_view kLiberationBold =
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf";

// Face indexes as fc-scan numbers them.
constexpr Installed kInstalled[] = {
    {"WenQuanYi Micro Hei", kMicroHei, 0, "WenQuanYi Micro Hei", "Regular"},
    {"WenQuanYi Micro Hei Mono", kMicroHei, 1, "WenQuanYi Micro Hei Mono", "Regular"},
    {"wenquanyi micro hei mono", kMicroHei, 1, "WenQuanYi Micro Hei Mono", "Regular"},
    // Its traditional Chinese name, which Wine knows it by beside the English one.
    {"文泉驛等寬微米黑", kMicroHei, 1, "WenQuanYi Micro Hei Mono", "Regular"},
    {"Noto Sans CJK SC", kNotoRegular, 2, "Noto Sans CJK SC", "Regular"},
    {"Noto Sans CJK TC", kNotoRegular, 3, "Noto Sans CJK TC", "Regular"},
    {"Noto Sans Mono CJK SC", kNotoRegular, 7, "Noto Sans Mono CJK SC", "Regular"},
    {"Noto Sans CJK SC:style=Bold", kNotoBold, 2, "Noto Sans CJK SC", "Bold"},
    {"Liberation Sans", kLiberation, 0, "Liberation Sans", "Regular"},
    {"Liberation Sans:style=bold", kLiberationBold, 0, "Liberation Sans", "Bold"},
};

void CheckInstalled(const Installed& expected) {
  const std::string request(expected.request);
  try {
    const FontSource source = FindInstalledFont(request);
    Check(source.file.empty() && source.bytes == ReadFile(std::string(expected.file)),
          request + ": the bytes of " + std::string(expected.file));
    Check(source.faceIndex == expected.faceIndex, request + ": face " +
                                                      std::to_string(expected.faceIndex) +
                                                      ", not " + std::to_string(source.faceIndex));
    const FamilyAndStyle names = FaceNames(source.bytes, source.faceIndex);
    Check(names.family == expected.family && names.style == expected.style,
          request + ": FreeType reads " + names.family + " " + names.style);
    Check(!source.shownAs.empty(), request + ": shown as something");
  } catch (const FontError& error) {
    Check(false, request + ": " + error.what());
  }
}

struct Refused {
  std::string_view request;
  std::string_view message;  // a part of the error's message
};

constexpr Refused kRefused[] = {
    {"WenQuanYi Micro Hie", "'WenQuanYi Micro Hei'"},
    {"Noto Sans CJK", "'Noto Sans CJK "},
    // Wine stands Noto Sans Mono CJK SC in for it (tests/win32/wine-settings.reg).
    {"SimSun", "no installed font family is named 'SimSun'"},
    {"Noto Sans CJK SC:style=Heavy", "Bold"},
    {"Noto Sans CJK SC:weight=bold", "style"},
    {":style=Bold", "no font family"},
    {"A family name far longer than the thirty-one characters GDI takes", "nearest"},
};

void CheckRefused(const Refused& refused) {
  const std::string request(refused.request);
  try {
    const FontSource source = FindInstalledFont(request);
    Check(false,
          request + ": found as " + source.shownAs + ", face " + std::to_string(source.faceIndex));
  } catch (const FontError& error) {
    const std::string_view message = error.what();
    Check(message.find(refused.message) != std::string_view::npos,
          request + ": " + std::string(message));
  }
}

void CheckInstalledFamilies() {
  const std::vector<std::string> families = gbkhex::glyphs::InstalledFamilies();
  for (const std::string_view family :
       {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Liberation Sans"}) {
    Check(std::binary_search(families.begin(), families.end(), family),
          "InstalledFamilies lists " + std::string(family));
  }
  Check(std::adjacent_find(families.begin(), families.end()) == families.end() &&
            std::is_sorted(families.begin(), families.end()),
        "InstalledFamilies lists each family once, in order");
  Check(std::none_of(families.begin(), families.end(),
                     [](const std::string& family) { return family.starts_with("@"); }),
        "InstalledFamilies lists no vertical (@) family");
}

}  // namespace

int main() {
  for (const Installed& installed : kInstalled) CheckInstalled(installed);
  for (const Refused& refused : kRefused) CheckRefused(refused);
  CheckInstalledFamilies();
  std::printf("%d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}
