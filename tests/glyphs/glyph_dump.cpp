// Prints the glyphs of a font as the Python checks read them, on Linux and
// under Wine alike:
//   glyph_dump FONT PX [--family] [--face N] [--bpp N] [--baseline N]
//              [--chars XXXX,XXXX,...|--hanzi] [--preview FILE] [--time] LAYOUT...
// FONT is a file, or with --family an installed family. LAYOUT is
// SCAN-BITS[-invert] (rows-msb, pages-lsb-invert, ...). Without --chars, every
// character that code page 936 encodes exactly, controls left out; --hanzi,
// GB 2312's 6,763 hanzi. The first line gives the face and the baseline
// ("family=F|style=S|file=F|face=N|baseline=B|rule=R|shift=N", the shift in
// 64ths of a pixel); then a line a character and layout, "XXXX LAYOUT WIDTH HEX",
// "XXXX none" where the font has no glyph, "XXXX lost ABOVE BELOW LEFT RIGHT"
// where the cell cut lit pixels, "XXXX blank" where nothing is lit at all.
// --preview writes the preview of the glyphs drawn, in order.

#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "glyphs/font.h"
#include "glyphs/layout.h"
#include "glyphs/preview.h"
#include "harness/gbk_characters.h"

#ifdef _WIN32
#include "platform/win32/wide_text.h"
#endif

namespace {

using gbkhex::glyphs::BitOrder;
using gbkhex::glyphs::ByteLayout;
using gbkhex::glyphs::Scan;

struct NamedLayout {
  std::string name;
  ByteLayout layout;
};

std::optional<NamedLayout> ParseLayout(const std::string& name) {
  std::vector<std::string> parts;
  std::stringstream words(name);
  for (std::string part; std::getline(words, part, '-');) parts.push_back(part);
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  ByteLayout layout;
  const std::string_view scans[] = {"rows", "columns", "pages", "tiles"};
  const Scan values[] = {Scan::Rows, Scan::Columns, Scan::Pages, Scan::Tiles};
  bool known = false;
  for (int i = 0; i < 4; ++i) {
    if (parts[0] == scans[i]) layout.scan = values[i], known = true;
  }
  if (!known || (parts[1] != "msb" && parts[1] != "lsb")) return std::nullopt;
  layout.bitOrder = parts[1] == "msb" ? BitOrder::MsbFirst : BitOrder::LsbFirst;
  if (parts.size() == 3 && parts[2] != "invert") return std::nullopt;
  layout.invert = parts.size() == 3;
  return NamedLayout{name, layout};
}

std::vector<char16_t> ListedCharacters(const std::string& list) {
  std::vector<char16_t> characters;
  std::stringstream codes(list);
  for (std::string code; std::getline(codes, code, ',');) {
    characters.push_back(static_cast<char16_t>(std::stoul(code, nullptr, 16)));
  }
  return characters;
}

int Usage() {
  std::fprintf(stderr,
               "usage: glyph_dump FONT PX [--family] [--face N] [--bpp N] [--baseline N]\n"
               "       [--chars XXXX,...|--hanzi] [--preview FILE] [--time] LAYOUT...\n");
  return 2;
}

std::string_view RuleName(gbkhex::glyphs::BaselineRule rule) {
  using enum gbkhex::glyphs::BaselineRule;
  switch (rule) {
    case Given:
      return "given";
    case IdeographicEmBox:
      return "em-box";
    case Ideographs:
      return "ideographs";
    case AscenderDescender:
      return "ascender-descender";
    case BitmapFont:
      return "bitmap";
  }
  return "";
}

std::string Code(char16_t character) {
  char code[8];
  std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(character));
  return code;
}

int Run(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) return Usage();
  const std::string& fontName = arguments[0];
  gbkhex::glyphs::FontOptions options{.pixelSize = std::stoi(arguments[1])};
  bool byFamily = false;
  int face = 0;
  std::vector<char16_t> characters;
  std::string previewFile;
  bool timed = false;
  std::vector<NamedLayout> layouts;
  for (std::size_t i = 2; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (argument == "--family") {
      byFamily = true;
    } else if (argument == "--face" && hasValue) {
      face = std::stoi(arguments[++i]);
    } else if (argument == "--bpp" && hasValue) {
      options.bitsPerPixel = std::stoi(arguments[++i]);
    } else if (argument == "--baseline" && hasValue) {
      options.baseline = std::stoi(arguments[++i]);
    } else if (argument == "--chars" && hasValue) {
      characters = ListedCharacters(arguments[++i]);
    } else if (argument == "--hanzi") {
      characters = gbkhex::harness::Gb2312Characters(false);
    } else if (argument == "--preview" && hasValue) {
      previewFile = arguments[++i];
    } else if (argument == "--time") {
      timed = true;
    } else if (const auto layout = ParseLayout(argument)) {
      layouts.push_back(*layout);
    } else {
      return Usage();
    }
  }
  if (characters.empty()) characters = gbkhex::harness::GbkCharacters();

  const auto start = std::chrono::steady_clock::now();
  gbkhex::glyphs::FontSource source;
  if (byFamily) {
    source = gbkhex::glyphs::FindInstalledFont(fontName);
  } else {
    source.file = fontName;
    source.shownAs = fontName;
    source.faceIndex = face;
  }
  const std::string shownAs = source.shownAs;
  const int faceIndex = source.faceIndex;
  gbkhex::glyphs::Font font = gbkhex::glyphs::Font::Open(std::move(source), options);
  std::vector<std::optional<gbkhex::glyphs::DrawnGlyph>> glyphs;
  glyphs.reserve(characters.size());
  for (const char16_t character : characters) {
    glyphs.push_back(font.Draw(character, gbkhex::glyphs::CellFor(character)));
  }
  const auto drawn = std::chrono::steady_clock::now();
  if (timed) {
    std::fprintf(stderr, "opened the font and drew %zu characters in %.1f ms\n", characters.size(),
                 std::chrono::duration<double, std::milli>(drawn - start).count());
  }

  std::string out = "family=" + font.Family() + "|style=" + font.Style() + "|file=" + shownAs +
                    "|face=" + std::to_string(faceIndex) +
                    "|baseline=" + std::to_string(font.Baseline()) +
                    "|rule=" + std::string(RuleName(font.RuleOfBaseline())) +
                    "|shift=" + std::to_string(font.OutlineShift()) + "\n";
  std::vector<gbkhex::glyphs::Glyph> previewed;
  for (std::size_t i = 0; i < characters.size(); ++i) {
    const std::string code = Code(characters[i]);
    if (!glyphs[i]) {
      out += code + " none\n";
      continue;
    }
    const gbkhex::glyphs::DrawnGlyph& glyph = *glyphs[i];
    if (glyph.Blank()) out += code + " blank\n";
    if (const gbkhex::glyphs::LostPixels& lost = glyph.lost; lost.Total() != 0) {
      out += code + " lost " + std::to_string(lost.above) + ' ' + std::to_string(lost.below) + ' ' +
             std::to_string(lost.left) + ' ' + std::to_string(lost.right) + '\n';
    }
    for (const NamedLayout& named : layouts) {
      out += code + ' ' + named.name + ' ' + std::to_string(glyph.glyph.Width()) + ' ';
      for (const std::uint8_t byte : gbkhex::glyphs::LayOut(glyph.glyph, named.layout)) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", byte);
        out += hex;
      }
      out += '\n';
    }
    if (!previewFile.empty()) previewed.push_back(glyph.glyph);
  }
  std::fwrite(out.data(), 1, out.size(), stdout);

  if (!previewFile.empty()) {
    const std::vector<std::uint8_t> png = gbkhex::glyphs::PreviewPng(previewed);
    std::ofstream file(previewFile, std::ios::binary);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (!file) {
      std::fprintf(stderr, "glyph_dump: cannot write %s\n", previewFile.c_str());
      return 1;
    }
  }
  return 0;
}

int RunOrReport(const std::vector<std::string>& arguments) {
  try {
    return Run(arguments);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "glyph_dump: %s\n", error.what());
    return 1;
  }
}

}  // namespace

#ifdef _WIN32
// UTF-16 arguments, for face names such as 宋体, taken on as UTF-8.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(gbkhex::win32::Utf8FromWide(argv[i]));
  return RunOrReport(arguments);
}
#else
int main(int argc, char** argv) { return RunOrReport({argv + 1, argv + argc}); }
#endif
