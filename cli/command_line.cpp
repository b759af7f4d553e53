#include "cli/command_line.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include "cli/c_names.h"
#include "cli/dump_decoder.h"
#include "cli/file_input.h"
#include "cli/help.h"

namespace gbkhex::cli {
namespace {

constexpr std::string_view kStandardInputName = "standard input";

std::string ParseArrayName(std::string_view value) {
  const std::string problem = ArrayNameProblem(value);
  if (!problem.empty()) {
    throw UsageError("array name '" + std::string(value) + "' " + problem);
  }
  return std::string(value);
}

// Hands each input in turn to `use(stream, name)`, opening files as it comes
// to them. One that cannot be opened goes to `refuse` as a fault, and the
// inputs after it are still read, for their faults.
template <typename Use, typename Refuse>
void ForEachInput(const std::vector<std::string>& inputs, std::istream& standardInput, Use use,
                  Refuse refuse) {
  if (inputs.empty()) use(standardInput, kStandardInputName);
  for (const std::string& input : inputs) {
    if (input == "-") {
      use(standardInput, kStandardInputName);
      continue;
    }
    errno = 0;
    const FilePointer file = OpenForReading(input);
    if (!file) {
      refuse(Fault{
          .kind = FaultKind::Open, .input = input, .what = "cannot open" + SystemReason(errno)});
      continue;
    }
    FileInputBuffer buffer(file.get());
    std::istream stream(&buffer);
    use(stream, input);
  }
}

void Convert(const Invocation& invocation, std::istream& standardInput, OutputSink& out,
             FaultReport& faults, CharacterTaker* taker = nullptr) {
  StreamConverter converter(invocation.options, out, faults, taker);
  ForEachInput(
      invocation.inputs, standardInput,
      [&converter](std::istream& in, std::string_view name) { converter.Convert(in, name); },
      [&converter](const Fault& fault) { converter.Refuse(fault); });
  converter.Finish();
  if (const std::optional<Fault> warning = converter.SubstitutionWarning()) faults.Add(*warning);
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

void Decode(const Invocation& invocation, std::istream& standardInput, OutputSink& out,
            FaultReport& faults) {
  bool writing = true;  // until the first fault, as for the conversion
  const auto refuse = [&](Fault fault) {
    writing = false;
    faults.Add(fault);
  };
  ForEachInput(
      invocation.inputs, standardInput,
      [&](std::istream& in, std::string_view name) {
        const WholeInput input = ReadWhole(in);
        DecodedDump decoded = DecodeDump(input.text);
        if (writing) out.Write(decoded.text);
        // Where a read failed, the dump is cut short, and a fault at its end is the cut's.
        if (!input.failure.empty()) {
          refuse(Fault{.kind = FaultKind::Read, .input = std::string(name), .what = input.failure});
        } else if (decoded.fault) {
          decoded.fault->input = name;
          refuse(std::move(*decoded.fault));
        }
      },
      refuse);
  out.Flush();
}

void Execute(const Invocation& invocation, std::istream& standardInput, OutputSink& out,
             FaultReport& faults) {
  switch (invocation.action) {
    case Action::Help:
      out.Write(HelpText());
      break;
    case Action::Version:
      out.Write(std::string(kProgramName) + " " + std::string(kVersion) + "\n");
      break;
    case Action::Convert:
      Convert(invocation, standardInput, out, faults);
      break;
    case Action::Decode:
      Decode(invocation, standardInput, out, faults);
      break;
    case Action::Glyphs:
#ifdef GBKHEX_CLI_GLYPHS
      WriteGlyphs(
          invocation.glyphs, invocation.options.charset, out, faults,
          [&](CharacterTaker& taker) { Convert(invocation, standardInput, out, faults, &taker); });
#endif
      break;
  }
}

}  // namespace

Invocation ParseArguments(std::span<const std::string_view> args) {
  const ParsedArguments parsed = ParseOptions(args);
  Invocation invocation;
  invocation.inputs = parsed.operands;
  if (parsed.Has(Option::Help)) {
    invocation.action = Action::Help;
  } else if (parsed.Has(Option::Version)) {
    invocation.action = Action::Version;
  } else if (parsed.Has(Option::Decode)) {
    invocation.action = Action::Decode;
  } else if (parsed.Has(Option::Glyphs)) {
    invocation.action = Action::Glyphs;
#ifdef GBKHEX_CLI_GLYPHS
    invocation.glyphs = ParseGlyphOptions(parsed);
#else
    throw UsageError("--glyphs is not in this build of " + std::string(kProgramName) +
                     ", which was made without FreeType and libpng");
#endif
  }
  ConvertOptions& options = invocation.options;
  if (const auto& name = parsed.Value(Option::Array)) options.arrayName = ParseArrayName(*name);
  const auto& format = parsed.Value(Option::Format);
  if (!options.arrayName.empty() && format == "hex") {
    throw UsageError("--array writes C constants; it cannot be combined with --format hex");
  }
  options.format =
      format == "c" || !options.arrayName.empty() ? OutputFormat::C : OutputFormat::Hexadecimal;
  options.charset = parsed.Value(Option::Charset) == "gb2312" ? Charset::Gb2312 : Charset::Gbk;
  options.from = parsed.Value(Option::From) == "gbk" ? InputText::CodePage936 : InputText::Utf8;
  options.lossy = parsed.Has(Option::Lossy);
  return invocation;
}

int Run(std::span<const std::string_view> args, std::istream& standardInput,
        std::ostream& standardOutput, std::ostream& standardError, const RunSettings& settings) {
  Invocation invocation;
  try {
    invocation = ParseArguments(args);
  } catch (const UsageError& error) {
    standardError << kProgramName << ": " << error.what() << '\n'
                  << UsageText() << "Try '" << kProgramName << " --help' for more information.\n";
    return kExitUsage;
  }
  invocation.options.chunkSize = settings.chunkSize;

  // Where the output goes is chosen here, once, for every action.
  OutputSink out(standardOutput, settings.outputIsTerminal);
  // What the output holds so far reaches the terminal before a message after it.
  FaultReport faults(standardError, [&out] { out.EndLine(); });
  try {
    Execute(invocation, standardInput, out, faults);
    out.EndLine();
  } catch (const FatalFault& fatal) {
    // The output is gone, so nothing is flushed before the message.
    standardError << FaultLine(fatal.fault()) << '\n';
    return kExitFailure;
  }
  faults.Finish();
  return faults.Errors() == 0 ? kExitOk : kExitFailure;
}

}  // namespace gbkhex::cli
