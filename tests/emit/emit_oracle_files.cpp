// Writes what the compiler oracles of the string-table pieces compile: the
// refused names, and a file of literals with the bytes they must hold. The
// scripts beside it compile those and compare.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "emit/c_names.h"
#include "emit/character_list.h"
#include "emit/string_literal.h"
#include "literal_samples.h"

namespace gbkhex::cli {
namespace {

// names: "HEADER<TAB>NAME" for every name refused for a standard header;
// names --check NAME...: "NAME ok" or "NAME refused: REASON" for each.
int Names(const std::vector<std::string_view>& args) {
  if (!args.empty() && args.front() == "--check") {
    for (std::size_t i = 1; i < args.size(); ++i) {
      const std::string problem = ArrayNameProblem(args[i]);
      std::cout << args[i] << (problem.empty() ? " ok" : " refused: " + problem) << '\n';
    }
    return 0;
  }
  for (const StandardHeaderNames& names : RefusedStandardHeaderNames()) {
    for (const std::string_view list : {names.macros, names.types, names.functions}) {
      std::size_t start = 0;
      while (start < list.size()) {
        const std::size_t end = std::min(list.find(' ', start), list.size());
        std::cout << names.header << '\t' << list.substr(start, end - start) << '\n';
        start = end + 1;
      }
    }
  }
  return 0;
}

bool WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file.flush());
}

// literal DIR: DIR/literal.c, a program that prints the bytes of one literal
// made of every code, and DIR/want.bin, those bytes.
int Literal(const std::string& dir) {
  const std::string bytes = LiteralTestBytes();
  std::string source =
      "#include <stdio.h>\r\n"
      "static const char text[] =\r\n";
  StringLiteralWriter writer(1);
  writer.Append(bytes, source);
  writer.Finish(source);
  source +=
      ";\r\n"
      "int main(void) {\r\n"
      "  return fwrite(text, 1, sizeof text - 1, stdout) == sizeof text - 1 ? 0 : 1;\r\n"
      "}\r\n";
  return WriteFile(dir + "/literal.c", source) && WriteFile(dir + "/want.bin", bytes) ? 0 : 1;
}

}  // namespace
}  // namespace gbkhex::cli

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (!args.empty() && args.front() == "names") {
    return gbkhex::cli::Names({args.begin() + 1, args.end()});
  }
  if (args.size() == 2 && args.front() == "literal") return gbkhex::cli::Literal(argv[2]);
  std::cerr << "usage: cli_table_oracle_files names [--check NAME...] | literal DIR\n";
  return 2;
}
