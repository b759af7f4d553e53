#include "cli/command_line.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include "cli/c_names.h"
#include "cli/dump_decoder.h"
#include "cli/file_input.h"

namespace gbkhex::cli {
namespace {

constexpr std::string_view kStandardInputName = "standard input";

constexpr std::string_view kUsage =
    "Usage: gbkhex-cli [--format hex|c] [--array NAME] [--charset gbk|gb2312] [--lossy] "
    "[FILE...]\n"
    "       gbkhex-cli --decode [FILE...]\n";

constexpr std::string_view kHelp =
    "Writes the code page 936 (GBK) bytes of UTF-8 text, as hexadecimal pairs\n"
    "or as C constants, to standard output; or, with --decode, the text back.\n"
    "\n"
    "  --format hex      every byte as two digits and a blank: \"CA AE \" (the default)\n"
    "  --format c        every byte as a C constant and a comma, 16 to a line of 80\n"
    "                    characters, lines ending in CR LF: \"0XCA,0XAE,\"\n"
    "  --array NAME      the C constants as a header to include from any number of C\n"
    "                    and C++ files: \"const unsigned char NAME[] = {\" ... \"};\" and\n"
    "                    \"NAME_len\", the number of bytes, inside an include guard\n"
    "  --charset gbk     every character must have an exact code in GBK (the default)\n"
    "  --charset gb2312  every character must be ASCII or a GB2312 character, as a\n"
    "                    display's font ROM with only GB2312 needs\n"
    "  --lossy           write a character that the charset lacks as the gbkhex window\n"
    "                    does (a best fit, '?', or its GBK code), and say on standard\n"
    "                    error how many there were and where the first is\n"
    "  --decode          read hexadecimal pairs (\"CA AE\"), C constants (\"0XCA,0XAE,\")\n"
    "                    or a C array declaration (--array's or xxd -i's) and write\n"
    "                    the UTF-8 text that those code page 936 bytes encode\n"
    "  --help            show this help and exit\n"
    "  --version         show the version and exit\n"
    "\n"
    "With no FILE, or for FILE -, reads standard input. Several files are one text:\n"
    "their output runs on, C lines included. A byte-order mark at the start of a\n"
    "file is skipped; line breaks are kept as they are (LF is 0A, CR LF is 0D 0A).\n"
    "\n"
    "A character that the charset does not hold exactly stops the conversion with\n"
    "FILE:LINE:COLUMN, its code point and the character; the output for the text\n"
    "before it stands.\n"
    "\n"
    "Exit status: 0 on success (--lossy included); 1 for input that cannot be read,\n"
    "is not UTF-8, holds a character that the charset lacks, or (--decode) is no\n"
    "dump of code page 936 bytes, and for output that cannot be written; 2 for a\n"
    "bad command line.\n";

OutputFormat ParseFormat(std::string_view value) {
  if (value == "hex") return OutputFormat::Hexadecimal;
  if (value == "c") return OutputFormat::C;
  throw UsageError("unknown format '" + std::string(value) + "' (hex or c)");
}

Charset ParseCharset(std::string_view value) {
  if (value == "gbk") return Charset::Gbk;
  if (value == "gb2312") return Charset::Gb2312;
  throw UsageError("unknown charset '" + std::string(value) + "' (gbk or gb2312)");
}

std::string ParseArrayName(std::string_view value) {
  const std::string problem = ArrayNameProblem(value);
  if (!problem.empty()) {
    throw UsageError("array name '" + std::string(value) + "' " + problem);
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

// Hands each input in turn to `use(stream, name)`, opening files as it comes
// to them, so that a file missing halfway stops the run after the output for
// the inputs before it.
template <typename Use>
void ForEachInput(const std::vector<std::string>& inputs, std::istream& standardInput, Use use) {
  if (inputs.empty()) use(standardInput, kStandardInputName);
  for (const std::string& input : inputs) {
    if (input == "-") {
      use(standardInput, kStandardInputName);
      continue;
    }
    errno = 0;
    const FilePointer file = OpenForReading(input);
    if (!file) throw InputError(input + ": cannot open" + ErrnoReason(errno));
    FileInputBuffer buffer(file.get());
    std::istream stream(&buffer);
    use(stream, input);
  }
}

int Report(std::ostream& standardError, const std::exception& error) {
  standardError << kProgramName << ": " << error.what() << '\n';
  return kExitFailure;
}

int Convert(const Invocation& invocation, std::istream& standardInput, std::ostream& standardOutput,
            std::ostream& standardError) {
  StreamConverter converter(invocation.options, standardOutput);
  try {
    ForEachInput(invocation.inputs, standardInput,
                 [&converter](std::istream& in, auto name) { converter.Convert(in, name); });
    converter.Finish();
  } catch (const CharacterError& error) {
    // Located as a compiler locates its errors, so without the program's name.
    standardOutput.flush();
    standardError << error.what() << '\n';
    return kExitFailure;
  } catch (const InputError& error) {
    // What was converted before the fault stands, as it was streamed.
    standardOutput.flush();
    return Report(standardError, error);
  } catch (const OutputError& error) {
    return Report(standardError, error);
  }
  const std::string warning = converter.SubstitutionWarning();
  if (!warning.empty()) standardError << warning << '\n';
  return kExitOk;
}

struct WholeInput {
  std::string text;
  std::string failure;  // as ReadResult's
};

WholeInput ReadWhole(std::istream& in) {
  constexpr std::size_t kStep = 64 * 1024;
  std::string text;
  for (;;) {
    const std::size_t start = text.size();
    text.resize(start + kStep);
    ReadResult read = ReadInput(*in.rdbuf(), text.data() + start, kStep);
    text.resize(start + read.size);
    if (read.size < kStep) return {std::move(text), std::move(read.failure)};
  }
}

int Decode(const Invocation& invocation, std::istream& standardInput, std::ostream& standardOutput,
           std::ostream& standardError) {
  try {
    ForEachInput(invocation.inputs, standardInput, [&standardOutput](std::istream& in, auto name) {
      const WholeInput input = ReadWhole(in);
      const DecodedDump decoded = DecodeDump(input.text);
      WriteOutput(standardOutput, decoded.text);
      // Where a read failed, the dump is cut short, and a fault at its end is the cut's.
      const std::string& fault = input.failure.empty() ? decoded.fault : input.failure;
      if (!fault.empty()) throw InputError(std::string(name) + ": " + fault);
    });
    FlushOutput(standardOutput);
  } catch (const InputError& error) {
    standardOutput.flush();
    return Report(standardError, error);
  } catch (const OutputError& error) {
    return Report(standardError, error);
  }
  return kExitOk;
}

}  // namespace

Invocation ParseArguments(std::span<const std::string_view> args) {
  Invocation invocation;
  std::optional<OutputFormat> format;
  std::optional<Charset> charset;
  bool decode = false;
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
    } else if (arg == "--decode") {
      decode = true;
    } else if (arg == "--lossy") {
      invocation.options.lossy = true;
    } else if (const auto value = reader.ValueOf("--format", arg)) {
      format = ParseFormat(*value);
    } else if (const auto name = reader.ValueOf("--array", arg)) {
      invocation.options.arrayName = ParseArrayName(*name);
    } else if (const auto set = reader.ValueOf("--charset", arg)) {
      charset = ParseCharset(*set);
    } else {
      throw UsageError("unknown option '" + std::string(arg) + "'");
    }
  }
  if (decode) {
    if (format || charset || invocation.options.lossy || !invocation.options.arrayName.empty()) {
      throw UsageError(
          "--decode writes text; --format, --array, --charset and --lossy are for "
          "the way there");
    }
    if (invocation.action == Action::Convert) invocation.action = Action::Decode;
  }
  if (!invocation.options.arrayName.empty()) {
    if (format == OutputFormat::Hexadecimal) {
      throw UsageError("--array writes C constants; it cannot be combined with --format hex");
    }
    format = OutputFormat::C;
  }
  invocation.options.format = format.value_or(OutputFormat::Hexadecimal);
  invocation.options.charset = charset.value_or(Charset::Gbk);
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
    case Action::Decode:
      return Decode(invocation, standardInput, standardOutput, standardError);
  }
  try {
    WriteOutput(standardOutput, text);
    FlushOutput(standardOutput);
  } catch (const OutputError& error) {
    return Report(standardError, error);
  }
  return kExitOk;
}

}  // namespace gbkhex::cli
