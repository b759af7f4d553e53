#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"
#include "emit/c_names.h"
#include "emit/convert_options.h"
#include "gbkhex/product.h"
#ifdef GBKHEX_CLI_GLYPHS
#include "cli/glyph_command.h"
#endif

namespace gbkhex::cli {

inline constexpr std::string_view kProgramName = product::kCliName;
inline constexpr std::string_view kVersion = product::kVersion;

// Exit statuses: 0 converted, 1 a fault of the input (unreadable, no text in
// its encoding, U+0000, a character the charset lacks, a dump that does not
// decode) or of the output, 2 a bad command line.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// What a run does: writes the output of options.choice, or tells of itself.
enum class Action { Write, Help, Version };

struct Invocation {
  Action action = Action::Write;
  ConvertOptions options;
#ifdef GBKHEX_CLI_GLYPHS
  glyphs::GlyphRunOptions glyphs;  // of Output::Glyphs
#endif
  // "-" is standard input; no inputs at all means standard input too.
  std::vector<std::string> inputs;
  // -o FILE, in UTF-8: the output goes there, and only if the run succeeds.
  // Absent for standard output (-o - included).
  std::optional<std::string> outputFile;
  // --source FILE.c, in UTF-8: the arrays' definitions, written with -o's.
  std::optional<std::string> sourceFile;
};

// Throws UsageError for an unknown option, a missing or bad option value, an
// option given twice with different values, an array name, --type,
// --attribute or --include that cannot compile, options that do not go
// together, or two outputs that name one file.
Invocation ParseArguments(std::span<const std::string_view> args);

// How the process meets the program.
struct RunSettings {
  std::size_t chunkSize = kDefaultChunkSize;
  // Whether standard output is a terminal, where the output ends with a line break.
  bool outputIsTerminal = false;
  // Whether the terminal reads code page 936: --help and --version are
  // written for it (ForGbkTerminal).
  bool gbkTerminal = false;
};

// The whole program, minus the process: `args` excludes the program name.
// Returns the exit status.
int Run(std::span<const std::string_view> args, std::istream& standardInput,
        std::ostream& standardOutput, std::ostream& standardError,
        const RunSettings& settings = {});

}  // namespace gbkhex::cli
