// Writes gbkhex-cli(1) (or, from a template without its marks, another page
// that only needs Chinese line breaks): the template's text, with its synopsis and options
// made from the option table, so that the page says what the program parses;
// in the language of CATALOG (a .mo file), where one is given.
// Usage: gbkhex_cli_manual TEMPLATE OUTPUT [CATALOG]

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/help.h"
#include "i18n/messages.h"
#include "text/display_width.h"
#include "text/line_breaks.h"
#include "text/utf8.h"

namespace {

// Lines of the template that stand for what the table gives.
constexpr std::string_view kSynopsisMark = ".\\\" gbkhex-cli: synopsis";
constexpr std::string_view kOptionsMark = ".\\\" gbkhex-cli: options";
constexpr std::string_view kNamesMark = ".\\\" gbkhex-cli: names";

using gbkhex::DecodeUtf8Character;
using gbkhex::DisplayWidth;
using gbkhex::Utf8Character;

bool IsWide(std::string_view character) {
  const Utf8Character decoded = DecodeUtf8Character(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(character.data()), character.size()));
  return decoded.length != 0 && DisplayWidth(decoded.code) == 2;
}

bool StartsWide(std::string_view line) { return IsWide(line); }

bool EndsWide(std::string_view line) {
  std::size_t start = line.size();
  while (start > 0 && (static_cast<std::uint8_t>(line[start - 1]) & 0xC0) == 0x80) --start;
  return start > 0 && IsWide(line.substr(start - 1));
}

// roff sets a blank where one line of filled text meets the next, which
// Chinese sets none for: a line that ends in a wide character is joined (\c)
// to a text line that starts with one, but where lines stand as they are (.nf).
std::string WithChineseLinesJoined(const std::string& page) {
  std::vector<std::string> lines;
  std::istringstream in(page);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::string out;
  bool filled = true;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.starts_with(".nf")) filled = false;
    if (line.starts_with(".fi")) filled = true;
    out += line;
    const bool nextIsText =
        i + 1 < lines.size() && !lines[i + 1].starts_with('.') && !lines[i + 1].starts_with('\'');
    if (filled && nextIsText && EndsWide(line) && StartsWide(lines[i + 1])) out += "\\c";
    out += '\n';
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::cerr << "Usage: gbkhex_cli_manual TEMPLATE OUTPUT [CATALOG]\n";
    return 2;
  }
  if (argc == 4) {
    std::ifstream mo(argv[3], std::ios::binary);
    std::optional<gbkhex::i18n::Catalog> catalog = gbkhex::i18n::Catalog::FromMo(
        std::string(std::istreambuf_iterator<char>(mo), std::istreambuf_iterator<char>()));
    if (!mo || !catalog) {
      std::cerr << argv[3] << ": no catalog\n";
      return 1;
    }
    gbkhex::i18n::UseCatalog(std::move(catalog));
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << argv[1] << ": cannot open\n";
    return 1;
  }
  std::ostringstream page;
  int marks = 0;
  for (std::string line; std::getline(in, line);) {
    if (line == kSynopsisMark) {
      page << gbkhex::cli::ManualSynopsis();
      ++marks;
    } else if (line == kOptionsMark) {
      page << gbkhex::cli::ManualOptions();
      ++marks;
    } else if (line == kNamesMark) {
      page << gbkhex::cli::ManualNames();
      ++marks;
    } else if (line.starts_with('.') || line.starts_with('\'')) {
      page << line << '\n';
    } else {
      page << gbkhex::WithBreakMarks(line, gbkhex::cli::kRoffBreak) << '\n';
    }
  }
  // A page of another program (gbkhex(1)) has no marks, and only takes the
  // line breaks of its language.
  if (marks != 3 && marks != 0) {
    std::cerr << argv[1] << ": needs the lines '" << kSynopsisMark << "', '" << kOptionsMark
              << "' and '" << kNamesMark << "'\n";
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  if (!(out << WithChineseLinesJoined(page.str())) || !out.flush()) {
    std::cerr << argv[2] << ": cannot write\n";
    return 1;
  }
  return 0;
}
