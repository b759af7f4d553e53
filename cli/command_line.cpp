#include "cli/command_line.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <optional>

namespace gbkhex::cli {
namespace {

constexpr std::string_view kStandardInputName = "standard input";

constexpr std::string_view kUsage = "Usage: gbkhex-cli [--format hex|c] [--array NAME] [FILE...]\n";

constexpr std::string_view kHelp =
    "Writes the code page 936 (GBK) bytes of UTF-8 text, as hexadecimal pairs\n"
    "or as C constants, to standard output.\n"
    "\n"
    "  --format hex   every byte as two digits and a blank: \"CA AE \" (the default)\n"
    "  --format c     every byte as a C constant and a comma, 16 to a line of 80\n"
    "                 characters, lines ending in CR LF: \"0XCA,0XAE,\"\n"
    "  --array NAME   the C constants inside \"const unsigned char NAME[] = {\" ... \"};\",\n"
    "                 then \"const unsigned long NAME_len = <bytes>;\"\n"
    "  --help         show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "With no FILE, or for FILE -, reads standard input. Several files are one text:\n"
    "their output runs on, C lines included. A byte-order mark at the start of a\n"
    "file is skipped; line breaks are kept as they are (LF is 0A, CR LF is 0D 0A).\n"
    "\n"
    "Exit status: 0 on success, 1 for input that is unreadable or not UTF-8, or\n"
    "output that cannot be written, 2 for a bad command line.\n";

// C (to C23) and C++ keywords, each followed by a blank: the declaration should
// compile in either language.
constexpr std::string_view kKeywords =
    "_Alignas _Alignof _Atomic _BitInt _Bool _Complex _Decimal128 _Decimal32 "
    "_Decimal64 _Generic _Imaginary _Noreturn _Static_assert _Thread_local alignas "
    "alignof and and_eq asm auto bitand bitor bool break case catch char char16_t "
    "char32_t char8_t class co_await co_return co_yield compl concept const "
    "const_cast consteval constexpr constinit continue decltype default delete do "
    "double dynamic_cast else enum explicit export extern false float for friend "
    "goto if inline int long mutable namespace new noexcept not not_eq nullptr "
    "operator or or_eq private protected public register reinterpret_cast requires "
    "restrict return short signed sizeof static static_assert static_cast struct "
    "switch template this thread_local throw true try typedef typeid typename typeof "
    "typeof_unqual union unsigned using virtual void volatile wchar_t while xor "
    "xor_eq ";

bool IsKeyword(std::string_view name) {
  for (std::size_t at = kKeywords.find(name); at != std::string_view::npos;
       at = kKeywords.find(name, at + 1)) {
    if ((at == 0 || kKeywords[at - 1] == ' ') && kKeywords[at + name.size()] == ' ') return true;
  }
  return false;
}

bool IsIdentifierStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsIdentifierChar(char c) { return IsIdentifierStart(c) || (c >= '0' && c <= '9'); }

OutputFormat ParseFormat(std::string_view value) {
  if (value == "hex") return OutputFormat::Hexadecimal;
  if (value == "c") return OutputFormat::C;
  throw UsageError("unknown format '" + std::string(value) + "' (hex or c)");
}

std::string ParseArrayName(std::string_view value) {
  if (!IsCIdentifier(value)) {
    throw UsageError("array name '" + std::string(value) +
                     "' is not a C identifier (letters, digits and _, not starting "
                     "with a digit, not a keyword)");
  }
  return std::string(value);
}

// Reads the value of option `name` from "--name=value" or from the next argument.
class OptionReader {
 public:
  explicit OptionReader(std::span<const std::string_view> args) : args_(args) {}

  bool Done() const { return next_ == args_.size(); }
  std::string_view Next() { return args_[next_++]; }

  // The value of `option` when `arg` is that option, with the value attached
  // after '=' or given as the next argument.
  std::optional<std::string_view> ValueOf(std::string_view option, std::string_view arg) {
    if (arg == option) {
      if (Done()) throw UsageError("option " + std::string(option) + " needs a value");
      return Next();
    }
    if (arg.size() > option.size() && arg.starts_with(option) && arg[option.size()] == '=') {
      return arg.substr(option.size() + 1);
    }
    return std::nullopt;
  }

 private:
  std::span<const std::string_view> args_;
  std::size_t next_ = 0;
};

bool WriteAndFlush(std::ostream& out, std::string_view text) {
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  return static_cast<bool>(out.flush());
}

void ConvertInput(StreamConverter& converter, const std::string& input,
                  std::istream& standardInput) {
  if (input == "-") {
    converter.Convert(standardInput, kStandardInputName);
    return;
  }
  errno = 0;
  std::ifstream file(input, std::ios::binary);
  if (!file) throw InputError(input + ": cannot open" + ErrnoReason(errno));
  converter.Convert(file, input);
}

int Convert(const Invocation& invocation, std::istream& standardInput, std::ostream& standardOutput,
            std::ostream& standardError) {
  const auto report = [&standardError](const std::exception& error) {
    standardError << kProgramName << ": " << error.what() << '\n';
    return kExitFailure;
  };
  StreamConverter converter(invocation.options, standardOutput);
  try {
    if (invocation.inputs.empty()) {
      converter.Convert(standardInput, kStandardInputName);
    }
    for (const std::string& input : invocation.inputs) {
      ConvertInput(converter, input, standardInput);
    }
    converter.Finish();
  } catch (const InputError& error) {
    // What was converted before the fault stands, as it was streamed.
    standardOutput.flush();
    return report(error);
  } catch (const OutputError& error) {
    return report(error);
  }
  return kExitOk;
}

}  // namespace

bool IsCIdentifier(std::string_view name) {
  return !name.empty() && IsIdentifierStart(name.front()) &&
         std::all_of(name.begin(), name.end(), IsIdentifierChar) && !IsKeyword(name);
}

Invocation ParseArguments(std::span<const std::string_view> args) {
  Invocation invocation;
  std::optional<OutputFormat> format;
  OptionReader reader(args);
  bool optionsEnded = false;
  while (!reader.Done()) {
    const std::string_view arg = reader.Next();
    if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
      invocation.inputs.emplace_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      invocation.action = Action::Help;
    } else if (arg == "--version") {
      invocation.action = Action::Version;
    } else if (const auto value = reader.ValueOf("--format", arg)) {
      format = ParseFormat(*value);
    } else if (const auto name = reader.ValueOf("--array", arg)) {
      invocation.options.arrayName = ParseArrayName(*name);
    } else {
      throw UsageError("unknown option '" + std::string(arg) + "'");
    }
  }
  if (!invocation.options.arrayName.empty()) {
    if (format == OutputFormat::Hexadecimal) {
      throw UsageError("--array writes C constants; it cannot be combined with --format hex");
    }
    format = OutputFormat::C;
  }
  invocation.options.format = format.value_or(OutputFormat::Hexadecimal);
  return invocation;
}

int Run(std::span<const std::string_view> args, std::istream& standardInput,
        std::ostream& standardOutput, std::ostream& standardError, std::size_t chunkSize) {
  Invocation invocation;
  try {
    invocation = ParseArguments(args);
  } catch (const UsageError& error) {
    standardError << kProgramName << ": " << error.what() << '\n'
                  << kUsage << "Try 'gbkhex-cli --help' for more information.\n";
    return kExitUsage;
  }
  invocation.options.chunkSize = chunkSize;

  std::string text;
  switch (invocation.action) {
    case Action::Help:
      text = std::string(kUsage) + "\n" + std::string(kHelp);
      break;
    case Action::Version:
      text = std::string(kProgramName) + " " + std::string(kVersion) + "\n";
      break;
    case Action::Convert:
      return Convert(invocation, standardInput, standardOutput, standardError);
  }
  if (!WriteAndFlush(standardOutput, text)) {
    standardError << kProgramName << ": cannot write the output\n";
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace gbkhex::cli
