// The installed fonts of Windows, through GDI: a family found by its name, and
// the bytes of the file it was installed from, which FreeType then draws as it
// draws any font file. GDI itself draws nothing here.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "glyphs/font.h"
#include "glyphs/font_source.h"
#include "glyphs/sfnt.h"
#include "i18n/messages.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"

namespace gbkhex::glyphs {
namespace {

using i18n::Fill;
using i18n::Tr;

constexpr std::string_view kStyleProperty = "style=";

// A request as fontconfig writes one: the family, then ":style=WORDS" or nothing.
struct Request {
  std::string family;
  std::string style;  // empty: the family's regular face
};

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

Request ParseRequest(std::string_view request) {
  const auto colon = request.find(':');
  Request parsed{std::string(Trimmed(request.substr(0, colon))), {}};
  if (parsed.family.empty()) {
    throw FontError(Fill(Tr("no font family named in \"%s\""), {request}));
  }
  if (colon == std::string_view::npos) return parsed;
  const std::string_view property = Trimmed(request.substr(colon + 1));
  if (!property.starts_with(kStyleProperty) || property.size() == kStyleProperty.size()) {
    throw FontError(Fill(Tr("cannot read font \"%s\": after the family only a style is "
                            "understood, as in \"Noto Sans CJK SC:style=Bold\""),
                         {request}));
  }
  parsed.style = Trimmed(property.substr(kStyleProperty.size()));
  return parsed;
}

bool SameText(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// One face of a family as GDI lists it.
struct Face {
  LOGFONTW logFont{};
  std::wstring style;    // as the font names it: "Regular", "Bold Italic"
  bool outline = false;  // TrueType or OpenType, whose bytes GetFontData hands over
};

std::string FamilyOf(const Face& face) { return win32::Utf8FromWide(face.logFont.lfFaceName); }

// Whether a listed face is TrueType or OpenType (the two kinds that GetFontData
// hands over), which GDI tells in the type or, for OpenType with PostScript
// outlines, in the flags of the metrics that it gives every kind but bitmap fonts.
bool IsOutlineFont(const TEXTMETRICW* metrics, DWORD type) {
  if (type & TRUETYPE_FONTTYPE) return true;
  if (type & RASTER_FONTTYPE) return false;
  const auto& outline = *reinterpret_cast<const NEWTEXTMETRICW*>(metrics);
  return (outline.ntmFlags & (NTM_PS_OPENTYPE | NTM_TT_OPENTYPE)) != 0;
}

// Every face GDI lists for `family` (every family for an empty one), each once
// although GDI lists a face once for each character set it covers.
std::vector<Face> ListFaces(HDC dc, std::wstring_view family) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  family.copy(wanted.lfFaceName, LF_FACESIZE - 1);
  std::vector<Face> faces;
  EnumFontFamiliesExW(
      dc, &wanted,
      [](const LOGFONTW* listed, const TEXTMETRICW* metrics, DWORD type, LPARAM found) -> int {
        const auto& full = *reinterpret_cast<const ENUMLOGFONTEXW*>(listed);
        Face face{full.elfLogFont, full.elfStyle, IsOutlineFont(metrics, type)};
        auto& list = *reinterpret_cast<std::vector<Face>*>(found);
        const bool listedBefore = std::any_of(list.begin(), list.end(), [&](const Face& other) {
          return SameText(other.logFont.lfFaceName, face.logFont.lfFaceName) &&
                 SameText(other.style, face.style) &&
                 other.logFont.lfWeight == face.logFont.lfWeight &&
                 other.logFont.lfItalic == face.logFont.lfItalic;
        });
        if (!listedBefore) list.push_back(std::move(face));
        return 1;
      },
      reinterpret_cast<LPARAM>(&faces), 0);
  return faces;
}

win32::UniqueDeviceContext ScreenCompatibleDc() {
  win32::UniqueDeviceContext dc(CreateCompatibleDC(nullptr));
  if (!dc) {
    throw FontError(std::string(Tr("cannot list the installed fonts: CreateCompatibleDC failed")));
  }
  return dc;
}

[[noreturn]] void FailNotInstalled(std::string_view family) {
  // A name that GDI only stands another family in for is no family of its own
  // to suggest.
  std::vector<std::string> families = InstalledFamilies();
  const std::wstring wanted = win32::WideFromUtf8(family).value_or(std::wstring());
  std::erase_if(families, [&wanted](const std::string& installed) {
    return SameText(win32::WideFromUtf8(installed).value_or(std::wstring()), wanted);
  });
  throw FontError(NotInstalledMessage(family, NearestFamilies(family, families)));
}

// The face a request asks for among its family's: the one of that style, else
// the upright one nearest to the regular weight.
const Face& ChooseFace(const std::vector<Face>& faces, const Request& request) {
  if (!request.style.empty()) {
    const std::optional<std::wstring> style = win32::WideFromUtf8(request.style);
    const auto found = std::find_if(faces.begin(), faces.end(), [&](const Face& face) {
      return style && SameText(face.style, *style);
    });
    if (found != faces.end()) return *found;
    std::string styles;
    for (const Face& face : faces) {
      styles += (styles.empty() ? "" : ", ") + win32::Utf8FromWide(face.style.c_str());
    }
    throw FontError(
        Fill(Tr("the installed font family \"%s\" has no style \"%s\" (its styles: %s)"),
             {request.family, request.style, styles}));
  }
  const auto distance = [](const Face& face) {
    return (face.logFont.lfItalic ? 10000 : 0) + std::abs(face.logFont.lfWeight - FW_NORMAL);
  };
  return *std::min_element(faces.begin(), faces.end(),
                           [&](const Face& a, const Face& b) { return distance(a) < distance(b); });
}

// A font selected into a device context for as long as this lives.
class SelectedFont {
 public:
  SelectedFont(HDC dc, const LOGFONTW& logFont) : dc_(dc), font_(CreateFontIndirectW(&logFont)) {
    if (!font_) {
      throw FontError(std::string(Tr("cannot open an installed font: CreateFontIndirectW failed")));
    }
    previous_ = SelectObject(dc_, font_.get());
  }
  ~SelectedFont() { SelectObject(dc_, previous_); }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

 private:
  HDC dc_;
  win32::UniqueFont font_;
  HGDIOBJ previous_ = nullptr;
};

// GetFontData takes a table's four letters in file order as a little-endian DWORD.
constexpr DWORD GdiTag(std::uint32_t tag) noexcept {
  return (tag >> 24) | (tag >> 8 & 0xFF00) | (tag << 8 & 0xFF0000) | (tag << 24);
}
// In place of a table: the whole collection file that the selected face comes from.
constexpr DWORD kWholeCollection = GdiTag(sfnt::Tag("ttcf"));
// In place of a table: the whole font file, when it is no collection.
constexpr DWORD kWholeFile = 0;

std::optional<std::vector<std::uint8_t>> FontData(HDC dc, DWORD table) {
  const DWORD size = GetFontData(dc, table, 0, nullptr, 0);
  if (size == GDI_ERROR || size == 0) return std::nullopt;
  std::vector<std::uint8_t> bytes(size);
  if (GetFontData(dc, table, 0, bytes.data(), size) != size) return std::nullopt;
  return bytes;
}

bool NamesFamily(sfnt::Bytes nameTable, std::wstring_view family) {
  for (const std::uint16_t id :
       {sfnt::kFamilyNameId, sfnt::kFullNameId, sfnt::kTypographicFamilyNameId}) {
    for (const std::u16string& name : sfnt::AllNames(nameTable, id)) {
      if (SameText({reinterpret_cast<const wchar_t*>(name.data()), name.size()}, family)) {
        return true;
      }
    }
  }
  return false;
}

std::optional<std::uint32_t> ReadU32(sfnt::Bytes bytes, std::size_t at) {
  if (at > bytes.size() || bytes.size() - at < 4) return std::nullopt;
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
         std::uint32_t{bytes[at + 2]} << 8 | std::uint32_t{bytes[at + 3]};
}

// The bytes of table `tag` of the font whose table directory starts at `at`.
std::optional<sfnt::Bytes> TableAt(sfnt::Bytes file, std::size_t at, std::uint32_t tag) {
  const auto counts = ReadU32(file, at + 4);
  if (!counts) return std::nullopt;
  const std::size_t tables = *counts >> 16;
  for (std::size_t i = 0; i < tables; ++i) {
    const std::size_t record = at + 12 + 16 * i;
    const auto recordTag = ReadU32(file, record);
    const auto offset = ReadU32(file, record + 8);
    const auto length = ReadU32(file, record + 12);
    if (!recordTag || !offset || !length) return std::nullopt;
    if (*recordTag != tag) continue;
    if (*offset > file.size() || file.size() - *offset < *length) return std::nullopt;
    return file.subspan(*offset, *length);
  }
  return std::nullopt;
}

// Which face of a collection file GDI selected: the one whose 'name' table is
// the selected face's, byte for byte (each face of a collection names itself).
std::optional<int> FaceIndexIn(sfnt::Bytes collection, sfnt::Bytes nameTable) {
  const auto faces = ReadU32(collection, 8);
  if (!faces || *faces > (collection.size() - 12) / 4) return std::nullopt;
  for (std::uint32_t face = 0; face < *faces; ++face) {
    const auto at = ReadU32(collection, 12 + 4 * std::size_t{face});
    const auto names = at ? TableAt(collection, *at, sfnt::Tag("name")) : std::nullopt;
    if (names && std::equal(names->begin(), names->end(), nameTable.begin(), nameTable.end())) {
      return static_cast<int>(face);
    }
  }
  return std::nullopt;
}

// `text` in lower case, as UTF-16 units; nothing of text that is not UTF-8.
}  // namespace

FontSource FindInstalledFont(std::string_view request) {
  const Request parsed = ParseRequest(request);
  const std::optional<std::wstring> family = win32::WideFromUtf8(parsed.family);
  if (!family || family->size() >= LF_FACESIZE) FailNotInstalled(parsed.family);
  const win32::UniqueDeviceContext dc = ScreenCompatibleDc();
  std::vector<Face> faces = ListFaces(dc.get(), *family);
  if (faces.empty()) FailNotInstalled(parsed.family);
  std::erase_if(faces, [](const Face& face) { return !face.outline; });
  if (faces.empty()) {
    throw FontError(Fill(Tr("the installed font family \"%s\" is a Windows bitmap font (.fon), "
                            "which cannot be drawn here: give a TrueType or OpenType font"),
                         {parsed.family}));
  }
  const Face& face = ChooseFace(faces, parsed);

  const SelectedFont selected(dc.get(), face.logFont);
  const auto nameTable = FontData(dc.get(), GdiTag(sfnt::Tag("name")));
  // GDI lists a family that a substitute stands in for under the family's name.
  if (!nameTable || !NamesFamily(*nameTable, *family)) FailNotInstalled(parsed.family);

  FontSource source;
  source.shownAs = FamilyOf(face);
  if (!parsed.style.empty()) source.shownAs.append(":").append(kStyleProperty).append(parsed.style);
  if (auto collection = FontData(dc.get(), kWholeCollection);
      collection && ReadU32(*collection, 0) == sfnt::Tag("ttcf")) {
    const std::optional<int> index = FaceIndexIn(*collection, *nameTable);
    if (!index) {
      throw FontError(
          Fill(Tr("cannot tell which font of its collection the installed font \"%s\" is"),
               {source.shownAs}));
    }
    source.bytes = std::move(*collection);
    source.faceIndex = *index;
    return source;
  }
  auto file = FontData(dc.get(), kWholeFile);
  if (!file) {
    throw FontError(
        Fill(Tr("cannot read the installed font \"%s\": GetFontData failed"), {source.shownAs}));
  }
  source.bytes = std::move(*file);
  return source;
}

std::vector<std::string> InstalledFamilies() {
  const win32::UniqueDeviceContext dc = ScreenCompatibleDc();
  std::vector<std::string> families;
  for (const Face& face : ListFaces(dc.get(), L"")) {
    // A family named with "@" is another's, turned for vertical writing.
    if (face.outline && face.logFont.lfFaceName[0] != L'@') families.push_back(FamilyOf(face));
  }
  std::sort(families.begin(), families.end());
  families.erase(std::unique(families.begin(), families.end()), families.end());
  return families;
}

}  // namespace gbkhex::glyphs
