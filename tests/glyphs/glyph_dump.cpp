// Prints the glyphs of a font as check_glyphs.py reads them, on Linux and
// under Wine alike:
//   glyph_dump FONT PX [--chars XXXX,XXXX,...] [--preview FILE] [--time] LAYOUT...
// LAYOUT is SCAN-BITS[-invert] (rows-msb, pages-lsb-invert, ...). Without
// --chars, every character that code page 936 encodes exactly, controls left
// out. The first line gives the family and the ascender; then one line a
// character and layout, "XXXX LAYOUT WIDTH HEX", or "XXXX none" where the font
// has no glyph. --preview writes the preview of the glyphs drawn, in order.

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
  std::fprintf(
      stderr, "usage: glyph_dump FONT PX [--chars XXXX,...] [--preview FILE] [--time] LAYOUT...\n");
  return 2;
}

int Run(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) return Usage();
  const std::string& fontName = arguments[0];
  const int pixelSize = std::stoi(arguments[1]);
  std::vector<char16_t> characters;
  std::string previewFile;
  bool timed = false;
  std::vector<NamedLayout> layouts;
  for (std::size_t i = 2; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--chars" && i + 1 < arguments.size()) {
      characters = ListedCharacters(arguments[++i]);
    } else if (argument == "--preview" && i + 1 < arguments.size()) {
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
  gbkhex::glyphs::Font font = gbkhex::glyphs::Font::Open(fontName, pixelSize);
  std::vector<std::optional<gbkhex::glyphs::Glyph>> glyphs;
  glyphs.reserve(characters.size());
  for (const char16_t character : characters) {
    glyphs.push_back(font.Draw(character, gbkhex::glyphs::CellFor(character)));
  }
  const auto drawn = std::chrono::steady_clock::now();
  if (timed) {
    std::fprintf(stderr, "opened the font and drew %zu characters in %.1f ms\n", characters.size(),
                 std::chrono::duration<double, std::milli>(drawn - start).count());
  }

  std::string out =
      "family=" + font.Family() + " ascender=" + std::to_string(font.Ascender()) + "\n";
  std::vector<gbkhex::glyphs::Glyph> previewed;
  for (std::size_t i = 0; i < characters.size(); ++i) {
    char code[8];
    std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(characters[i]));
    if (!glyphs[i]) {
      out += std::string(code) + " none\n";
      continue;
    }
    for (const NamedLayout& named : layouts) {
      out += std::string(code) + ' ' + named.name + ' ' + std::to_string(glyphs[i]->Width()) + ' ';
      for (const std::uint8_t byte : gbkhex::glyphs::LayOut(*glyphs[i], named.layout)) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", byte);
        out += hex;
      }
      out += '\n';
    }
    if (!previewFile.empty()) previewed.push_back(*glyphs[i]);
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
