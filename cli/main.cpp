#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "cli/message_language.h"
#include "platform/file_input.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "cli/windows_console.h"
#include "platform/win32/wide_text.h"
#else
#include <unistd.h>
#endif

namespace {

using gbkhex::cli::RunSettings;

int RunWithArguments(const std::vector<std::string>& arguments) {
  const std::vector<std::string_view> args(arguments.begin(), arguments.end());
  // std::cin would take a failed read for the end of the input.
  gbkhex::platform::FileInputBuffer standardInputBuffer(stdin);
  std::istream standardInput(&standardInputBuffer);
  RunSettings settings;
#ifdef _WIN32
  gbkhex::cli::ChooseMessageLanguage();
  // A console gets text as UTF-16; a file or a pipe gets the bytes.
  const HANDLE outputHandle = GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE errorHandle = GetStdHandle(STD_ERROR_HANDLE);
  settings.outputIsTerminal = gbkhex::cli::IsConsole(outputHandle);
  std::optional<gbkhex::cli::ConsoleBuffer> outputConsole;
  std::optional<gbkhex::cli::ConsoleBuffer> errorConsole;
  if (settings.outputIsTerminal) outputConsole.emplace(outputHandle);
  if (gbkhex::cli::IsConsole(errorHandle)) errorConsole.emplace(errorHandle);
  std::ostream consoleOutput(outputConsole ? &*outputConsole : std::cout.rdbuf());
  std::ostream consoleError(errorConsole ? &*errorConsole : std::cerr.rdbuf());
  const int status = gbkhex::cli::Run(args, standardInput, consoleOutput, consoleError, settings);
  consoleOutput.flush();
  consoleError.flush();
  return status;
#else
  settings.outputIsTerminal = isatty(STDOUT_FILENO) == 1;
  settings.gbkTerminal = gbkhex::cli::ChooseMessageLanguage();
  if (!settings.gbkTerminal) {
    return gbkhex::cli::Run(args, standardInput, std::cout, std::cerr, settings);
  }
  gbkhex::cli::GbkTerminalBuffer errorBuffer(*std::cerr.rdbuf());
  std::ostream gbkError(&errorBuffer);
  const int status = gbkhex::cli::Run(args, standardInput, std::cout, gbkError, settings);
  gbkError.flush();
  return status;
#endif
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
  for (int i = 1; i < argc; ++i) arguments.push_back(gbkhex::win32::Utf8FromWide(argv[i]));
  return RunWithArguments(arguments);
}
#else
int main(int argc, char** argv) { return RunWithArguments({argv + 1, argv + argc}); }
#endif
