#include <iostream>
#include <string_view>
#include <vector>

#include "cli/command_line.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // Bytes pass through untouched: the C format's CR LF must not become CR CR LF,
  // and a 0x1A in the input is text, not the end of it.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  return gbkhex::cli::Run(args, std::cin, std::cout, std::cerr);
}
