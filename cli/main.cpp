#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "cli/file_input.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

int RunWithArguments(const std::vector<std::string>& arguments) {
  const std::vector<std::string_view> args(arguments.begin(), arguments.end());
  // std::cin would take a failed read for the end of the input.
  gbkhex::cli::FileInputBuffer standardInputBuffer(stdin);
  std::istream standardInput(&standardInputBuffer);
  return gbkhex::cli::Run(args, standardInput, std::cout, std::cerr);
}

}  // namespace

#ifdef _WIN32
// Arguments arrive as UTF-16, so that file names in any script reach the
// program whole; inside it they are UTF-8, as on every other system.
int wmain(int argc, wchar_t** argv) {
  // Bytes pass through untouched: the C format's CR LF must not become CR CR LF,
  // a 0x1A in the input is text, not the end of it, and messages end in LF as
  // they do everywhere else.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, utf8.data(), size, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);  // the terminating null
    arguments.push_back(std::move(utf8));
  }
  return RunWithArguments(arguments);
}
#else
int main(int argc, char** argv) { return RunWithArguments({argv + 1, argv + argc}); }
#endif
