// Writes what the compiler oracles of the string-table pieces compile: the
// refused names, and files of literals and headers with the bytes they must
// hold. The scripts beside it compile those and compare.
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/c_names.h"

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

}  // namespace
}  // namespace gbkhex::cli

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (!args.empty() && args.front() == "names") {
    return gbkhex::cli::Names({args.begin() + 1, args.end()});
  }
  std::cerr << "usage: cli_table_oracle_files names [--check NAME...]\n";
  return 2;
}
