// Fonts through GDI: a font file loaded for this process alone, or an
// installed face by name, drawn by GetGlyphOutlineW as 1-bit bitmaps.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "glyphs/font.h"
#include "glyphs/rasterizer.h"
#include "glyphs/sfnt.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"

namespace gbkhex::glyphs::detail {
namespace {

constexpr wchar_t kDefaultFace[] = L"Unifont";

// A font file that GDI knows for this process alone, for as long as this lives.
class PrivateFontFile {
 public:
  explicit PrivateFontFile(std::wstring file) : file_(std::move(file)) {
    added_ = AddFontResourceExW(file_.c_str(), FR_PRIVATE, nullptr) > 0;
  }
  ~PrivateFontFile() {
    if (added_) RemoveFontResourceExW(file_.c_str(), FR_PRIVATE, nullptr);
  }
  PrivateFontFile(const PrivateFontFile&) = delete;
  PrivateFontFile& operator=(const PrivateFontFile&) = delete;
  bool Added() const noexcept { return added_; }

 private:
  std::wstring file_;
  bool added_ = false;
};

std::vector<std::uint8_t> FontTable(HDC dc, std::uint32_t tag) {
  // GetFontData takes the tag's four letters in file order as a little-endian DWORD.
  const DWORD table = (tag >> 24) | (tag >> 8 & 0xFF00) | (tag << 8 & 0xFF0000) | (tag << 24);
  const DWORD size = GetFontData(dc, table, 0, nullptr, 0);
  if (size == GDI_ERROR) return {};
  std::vector<std::uint8_t> bytes(size);
  if (GetFontData(dc, table, 0, bytes.data(), size) != size) return {};
  return bytes;
}

bool SameName(std::u16string_view a, std::wstring_view b) {
  return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a.data()),
                              static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

// Whether the font whose 'name' table is `names` goes by `face`: GDI takes
// another font for a name it does not know, without a word.
bool IsNamed(sfnt::Bytes names, std::wstring_view face) {
  for (const std::uint16_t id :
       {sfnt::kFamilyNameId, sfnt::kFullNameId, sfnt::kTypographicFamilyNameId}) {
    for (const std::u16string& name : sfnt::AllNames(names, id)) {
      if (SameName(name, face)) return true;
    }
  }
  return false;
}

enum class FileKind { Sfnt, Bdf, Pcf, Other };

FileKind KindOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> first(16);
  in.read(reinterpret_cast<char*>(first.data()), static_cast<std::streamsize>(first.size()));
  first.resize(static_cast<std::size_t>(in.gcount()));
  if (sfnt::IsSfntSignature(first)) return FileKind::Sfnt;
  const std::string_view text(reinterpret_cast<const char*>(first.data()), first.size());
  if (text.starts_with("STARTFONT")) return FileKind::Bdf;
  // PCF, or gzip, in which PCF fonts often come.
  if (text.starts_with("\1fcp") || text.starts_with("\x1f\x8b")) return FileKind::Pcf;
  return FileKind::Other;
}

class GdiRasterizer final : public Rasterizer {
 public:
  GdiRasterizer(std::string font, std::unique_ptr<PrivateFontFile> file,
                win32::UniqueDeviceContext dc, win32::UniqueFont handle)
      : font_(std::move(font)),
        file_(std::move(file)),
        dc_(std::move(dc)),
        handle_(std::move(handle)),
        previous_(SelectObject(dc_.get(), handle_.get())) {}
  ~GdiRasterizer() override { SelectObject(dc_.get(), previous_); }
  GdiRasterizer(const GdiRasterizer&) = delete;
  GdiRasterizer& operator=(const GdiRasterizer&) = delete;

  HDC Dc() const noexcept { return dc_.get(); }

  bool Draw(char16_t character, int ascender, Glyph& cell) override {
    const wchar_t unit = static_cast<wchar_t>(character);
    WORD index = 0;
    if (GetGlyphIndicesW(dc_.get(), &unit, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) {
      FailToDraw(font_, character, "GetGlyphIndicesW failed");
    }
    if (index == 0xFFFF) return false;
    // Drawn by glyph index, so that no other font stands in for this one.
    constexpr UINT format = GGO_BITMAP | GGO_GLYPH_INDEX;
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    GLYPHMETRICS metrics{};
    const DWORD size = GetGlyphOutlineW(dc_.get(), index, format, &metrics, 0, nullptr, &identity);
    if (size == GDI_ERROR) FailToDraw(font_, character, "GetGlyphOutlineW failed");
    if (size == 0) return true;  // a glyph without ink, such as the space
    bits_.resize(size);
    if (GetGlyphOutlineW(dc_.get(), index, format, &metrics, size, bits_.data(), &identity) ==
        GDI_ERROR) {
      FailToDraw(font_, character, "GetGlyphOutlineW failed");
    }
    // Rows from the top, each a whole number of DWORDs.
    const auto pitch = static_cast<std::ptrdiff_t>((metrics.gmBlackBoxX + 31) / 32 * 4);
    cell.Stamp(bits_.data(), pitch, static_cast<int>(metrics.gmBlackBoxX),
               static_cast<int>(metrics.gmBlackBoxY), metrics.gmptGlyphOrigin.x,
               ascender - metrics.gmptGlyphOrigin.y);
    return true;
  }

 private:
  std::string font_;
  std::unique_ptr<PrivateFontFile> file_;  // the font's file outlives the font
  win32::UniqueDeviceContext dc_;
  win32::UniqueFont handle_;
  HGDIOBJ previous_;
  std::vector<std::uint8_t> bits_;
};

// The GDI family of a font file, which CreateFontW takes, from its own name table.
std::wstring FileFamily(const std::filesystem::path& file, const std::string& font) {
  const FileKind kind = KindOf(file);
  if (kind == FileKind::Bdf || kind == FileKind::Pcf) {
    throw FontError(Quoted(font) + " is a " + (kind == FileKind::Bdf ? "BDF" : "PCF") +
                    " font, which Windows cannot draw: give a TrueType or OpenType font");
  }
  if (kind != FileKind::Sfnt) {
    throw FontError(Quoted(font) + " is not a font file (TrueType, OpenType or TTC)");
  }
  const auto names = sfnt::ReadTable(file, sfnt::Tag("name"));
  const auto family = names ? sfnt::FindName(*names, sfnt::kFamilyNameId) : std::nullopt;
  if (!family || family->size() >= LF_FACESIZE) {
    throw FontError("font " + Quoted(font) + " has no family name that Windows can use");
  }
  return {family->begin(), family->end()};
}

}  // namespace

OpenedFont OpenPlatformFont(const std::string& font, int pixelSize) {
  const std::optional<std::wstring> utf16 = win32::WideFromUtf8(font);
  if (!utf16) throw FontError("no font file and no installed font is named " + Quoted(font));
  const std::wstring& wide = *utf16;
  const std::filesystem::path file(wide);
  std::error_code error;
  const bool isFile = std::filesystem::is_regular_file(file, error);
  std::unique_ptr<PrivateFontFile> privateFile;
  std::wstring face = wide;
  if (isFile) {
    face = FileFamily(file, font);
    privateFile = std::make_unique<PrivateFontFile>(wide);
    if (!privateFile->Added()) throw FontError("Windows cannot load font " + Quoted(font));
  } else if (std::filesystem::exists(file, error)) {
    throw FontError("cannot open font " + Quoted(font) + ": it is not a file");
  } else if (face.empty() || face.size() >= LF_FACESIZE) {
    throw FontError("no font file and no installed font is named " + Quoted(font));
  }

  win32::UniqueDeviceContext dc(CreateCompatibleDC(nullptr));
  if (!dc) throw FontError("cannot open font " + Quoted(font) + ": CreateCompatibleDC failed");
  // The em is `pixelSize` pixels: a negative height leaves out the internal leading.
  win32::UniqueFont handle(CreateFontW(
      -pixelSize, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
      CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
  if (!handle) throw FontError("cannot open font " + Quoted(font) + ": CreateFontW failed");
  auto rasterizer = std::make_unique<GdiRasterizer>(font, std::move(privateFile), std::move(dc),
                                                    std::move(handle));
  const HDC selected = rasterizer->Dc();
  const std::vector<std::uint8_t> names = FontTable(selected, sfnt::Tag("name"));
  if (!IsNamed(names, face)) {
    throw FontError(isFile ? "Windows cannot load font " + Quoted(font)
                           : "no font file and no installed font is named " + Quoted(font));
  }
  const std::vector<std::uint8_t> head = FontTable(selected, sfnt::Tag("head"));
  // An installed font of the same family can win over the file's own.
  if (isFile && sfnt::ReadTable(file, sfnt::Tag("head")) != head) {
    throw FontError("an installed font of the same family hides font " + Quoted(font));
  }
  const auto metrics = sfnt::ReadVerticalMetrics(head, FontTable(selected, sfnt::Tag("hhea")),
                                                 FontTable(selected, sfnt::Tag("OS/2")));
  if (!metrics) throw FontError("font " + Quoted(font) + " has no vertical metrics");

  OpenedFont opened;
  opened.ascender = sfnt::ScaleToPixels(metrics->ascender, metrics->unitsPerEm, pixelSize);
  opened.family = sfnt::FamilyName(names);
  opened.rasterizer = std::move(rasterizer);
  return opened;
}

std::optional<std::string> FindPlatformDefaultFont() {
  const win32::UniqueDeviceContext dc(CreateCompatibleDC(nullptr));
  if (!dc) return std::nullopt;
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  std::wcsncpy(wanted.lfFaceName, kDefaultFace, LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExW(
      dc.get(), &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
        *reinterpret_cast<bool*>(found) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  if (!found) return std::nullopt;
  return "Unifont";
}

std::string_view PlatformDefaultFontLocation() noexcept {
  return "an installed font named Unifont";
}

}  // namespace gbkhex::glyphs::detail
