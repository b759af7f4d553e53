// Writes gbkhex-cli(1): the template's text, with its synopsis and options
// made from the option table, so that the page says what the program parses.
// Usage: gbkhex_cli_manual TEMPLATE OUTPUT

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/help.h"

namespace {

// Lines of the template that stand for what the table gives.
constexpr std::string_view kSynopsisMark = ".\\\" gbkhex-cli: synopsis";
constexpr std::string_view kOptionsMark = ".\\\" gbkhex-cli: options";
constexpr std::string_view kNamesMark = ".\\\" gbkhex-cli: names";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "Usage: gbkhex_cli_manual TEMPLATE OUTPUT\n";
    return 2;
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
    } else {
      page << line << '\n';
    }
  }
  if (marks != 3) {
    std::cerr << argv[1] << ": needs the lines '" << kSynopsisMark << "', '" << kOptionsMark
              << "' and '" << kNamesMark << "'\n";
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  if (!(out << page.str()) || !out.flush()) {
    std::cerr << argv[2] << ": cannot write\n";
    return 1;
  }
  return 0;
}
