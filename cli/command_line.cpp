#include "cli/command_line.h"

#include <algorithm>
#include <cerrno>
#include <initializer_list>
#include <optional>
#include <utility>

#include "cli/help.h"
#include "cli/message_language.h"
#include "emit/c_names.h"
#include "emit/dump_decoder.h"
#include "emit/header_options.h"
#include "emit/header_writer.h"
#include "emit/output_paths.h"
#include "emit/stream_converter.h"
#include "i18n/messages.h"
#include "platform/file_input.h"
#include "platform/output_file.h"
#include "platform/output_sink.h"
#include "table/table_run.h"
#include "text/display_width.h"
#include "text/fault_report.h"

namespace gbkhex::cli {
namespace {

using i18n::Fill;
using i18n::Tr;
using platform::CommitTogether;
using platform::ForEachInput;
using platform::OutputFileError;
using platform::OutputSink;
using platform::PictureAndImage;
using platform::ReadWhole;
using platform::ReplaceableOutput;
using platform::TableInputsOf;
using platform::WholeInput;

// The -o FILE that --source's file includes: absent for standard output.
std::optional<std::string> HeaderFileOf(const ParsedArguments& parsed) {
  const std::optional<std::string>& file = parsed.Value(Option::Output);
  return file && *file != "-" ? file : std::nullopt;
}

// The one check of the conversion's values and how they go together, in the
// order that their messages come.
void CheckConvertOptions(const ParsedArguments& parsed, Output output) {
  if (const std::optional<std::string>& array = parsed.Value(Option::Array)) {
    if (const std::string problem = ArrayNameProblem(*array); !problem.empty()) {
      // TRANSLATORS: the second %s is a reason such as "is a keyword of C or C++".
      throw UsageError(Fill(Tr("array name '%s' %s"), {*array, problem}));
    }
  }
  const bool declares = output == Output::Array || output == Output::Table;
  const bool writesNoArrays = output == Output::List || output == Output::Decode;
  CheckHeaderOptions(
      HeaderOptionValues{
          .declaringOption = declares ? (parsed.Has(Option::Table) ? "--table" : "--array") : "",
          .hexadecimal = parsed.Has(Option::Format) &&
                         parsed.Choice<Format>(Option::Format) == Format::Hexadecimal,
          .type = parsed.Value(Option::Type),
          .attribute = parsed.Value(Option::Attribute),
          .includes = parsed.repeated[static_cast<std::size_t>(Option::Include)],
          .output = parsed.Value(Option::Output),
          .source = parsed.Value(Option::Source),
          .writesNoArrays = writesNoArrays ? (output == Output::List ? "--list" : "--decode") : "",
          .wholeImage = parsed.Has(Option::Whole) && parsed.Has(Option::Image)},
      IncludedName);
  if (parsed.Has(Option::Whole) && !parsed.operands.empty()) {
    throw UsageError(
        Fill(Tr("--whole draws every code of its charset and reads no input: leave out '%s'"),
             {parsed.operands.front()}));
  }
}

// Two outputs that name one file would overwrite each other: refused. Every
// output of a run is one entry here.
void RefuseSharedFiles(
    std::initializer_list<std::pair<Option, std::optional<std::string>>> outputs) {
  std::vector<NamedFile> files;
  for (const auto& [option, path] : outputs) files.push_back({OptionName(option), path});
  CheckDistinctFiles(files, NameOneFile);
}

// Reads the inputs, and writes what the options choose; with a `taker`, the
// characters go to it.
void Convert(const Invocation& invocation, std::istream& standardInput, OutputSink& out,
             OutputSink* source, FaultSink& faults, CharacterTaker* taker = nullptr) {
  if (invocation.options.table) {
    return RunTable(invocation.options, TableInputsOf(invocation.inputs, standardInput), out,
                    faults, taker, source);
  }
  StreamConverter converter(invocation.options, out, faults, taker, source);
  ForEachInput(
      invocation.inputs, standardInput,
      [&converter](std::istream& in, std::string_view name) { converter.Convert(in, name); },
      [&converter](const Fault& fault) { converter.Refuse(fault); });
  converter.Finish();
  if (const std::optional<Fault> warning = converter.SubstitutionWarning()) faults.Add(*warning);
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
          const TextPosition place = PositionOf(input.text, *decoded.fault->byteOffset);
          decoded.fault->line = place.line;
          decoded.fault->column = place.column;
          refuse(std::move(*decoded.fault));
        }
      },
      refuse);
  out.Flush();
}

void Write(const Invocation& invocation, std::istream& standardInput, OutputSink& out,
           OutputSink* source, [[maybe_unused]] PictureAndImage& files, FaultReport& faults) {
  switch (invocation.options.choice.output) {
    case Output::Decode:
      return Decode(invocation, standardInput, out, faults);
    case Output::Glyphs:
#ifdef GBKHEX_CLI_GLYPHS
    {
      GlyphOutputFiles glyphFiles(files);
      glyphs::RunGlyphs(invocation.glyphs, invocation.options.charset, out, source, glyphFiles,
                        faults, [&](CharacterTaker& taker, FaultSink& counted) {
                          Convert(invocation, standardInput, out, nullptr, counted, &taker);
                        });
    }
#endif
      return;
    case Output::Bytes:
    case Output::Literals:
    case Output::Array:
    case Output::Table:
    case Output::List:
      return Convert(invocation, standardInput, out, source, faults);
  }
}

void Execute(const Invocation& invocation, std::istream& standardInput, OutputSink& out,
             OutputSink* source, PictureAndImage& files, FaultReport& faults, bool gbkTerminal) {
  switch (invocation.action) {
    case Action::Help:
      out.Write(gbkTerminal ? ForGbkTerminal(HelpText()) : HelpText());
      break;
    case Action::Version:
      out.Write(std::string(kProgramName) + " " + std::string(kVersion) + "\n");
      break;
    case Action::Write:
      Write(invocation, standardInput, out, source, files, faults);
      break;
  }
}

// Whether standard output holds the output until the run is known good: a
// header (--array, --table) cut short by a fault would leave an open #ifndef
// or a declaration that compiles to the wrong bytes.
bool HoldsOutput(const Invocation& invocation) {
  const Output output = invocation.options.choice.output;
  if (invocation.action != Action::Write) return false;
#ifdef GBKHEX_CLI_GLYPHS
  // A whole font's header is written as its cells are drawn, and a cut glyph
  // fails the run after it has begun.
  if (output == Output::Glyphs && invocation.glyphs.whole) return true;
#endif
  return output == Output::Array || output == Output::Table;
}

// What the options ask to be written; of the outputs that go together, the
// first here is the one written (--table with --list writes the list of its
// texts, with --glyphs their glyphs).
Output OutputOf(const ParsedArguments& parsed) {
  if (parsed.Has(Option::Decode)) return Output::Decode;
  if (parsed.Has(Option::Glyphs)) return Output::Glyphs;
  if (parsed.Has(Option::List)) return Output::List;
  if (parsed.Has(Option::Table)) return Output::Table;
  if (parsed.Has(Option::Array)) return Output::Array;
  return parsed.Choice<Format>(Option::Format) == Format::String ? Output::Literals : Output::Bytes;
}

void CommitOutputs(std::optional<OutputSink>& source, PictureAndImage& files, OutputSink& out) {
  std::vector<ReplaceableOutput*> outputs;
  if (source) outputs.push_back(&*source);
  if (files.picture) outputs.push_back(&*files.picture);
  if (files.image) outputs.push_back(&*files.image);
  outputs.push_back(&out);
  try {
    CommitTogether(outputs);
  } catch (const OutputFileError& error) {
    throw FatalFault(Fault{.kind = FaultKind::Output, .what = error.what()});
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
  }
  ConvertOptions& options = invocation.options;
  OutputChoice& choice = options.choice;
  choice.output = OutputOf(parsed);
  CheckConvertOptions(parsed, choice.output);
  choice.name = parsed.Value(Option::Array).value_or(choice.name);
  options.table = parsed.Has(Option::Table);
  const Format format = parsed.Choice<Format>(Option::Format);
  choice.format = format == Format::C ? OutputFormat::C : OutputFormat::Hexadecimal;
  choice.style.form = format == Format::String ? ValueForm::Literal : ValueForm::Constants;
  choice.style.type = parsed.Value(Option::Type).value_or("");
  choice.style.attribute = parsed.Value(Option::Attribute).value_or("");
  choice.style.includes = parsed.repeated[static_cast<std::size_t>(Option::Include)];
  choice.nul = parsed.Has(Option::Nul);
  invocation.outputFile = HeaderFileOf(parsed);
  invocation.sourceFile = parsed.Value(Option::Source);
  if (invocation.sourceFile)
    choice.headerName = IncludedName(*invocation.outputFile, *invocation.sourceFile);
  options.charset = parsed.Choice<Charset>(Option::Charset);
  options.from = parsed.Choice<InputText>(Option::From);
  options.lossy = parsed.Has(Option::Lossy);
  if (choice.output == Output::Glyphs && invocation.action == Action::Write) {
#ifdef GBKHEX_CLI_GLYPHS
    invocation.glyphs = ParseGlyphOptions(parsed);
    invocation.glyphs.style.includes = choice.style.includes;
    invocation.glyphs.headerName = choice.headerName;
#else
    throw UsageError(
        Fill(Tr("--glyphs is not in this build of %s, which was made without FreeType and libpng"),
             {kProgramName}));
#endif
  }
  RefuseSharedFiles({
      {Option::Output, invocation.outputFile},
      {Option::Source, invocation.sourceFile},
      {Option::Preview, parsed.Value(Option::Preview)},
      {Option::Image, parsed.Value(Option::Image)},
  });
  return invocation;
}

int Run(std::span<const std::string_view> args, std::istream& standardInput,
        std::ostream& standardOutput, std::ostream& standardError, const RunSettings& settings) {
  Invocation invocation;
  try {
    invocation = ParseArguments(args);
  } catch (const UsageError& error) {
    standardError << kProgramName << ": " << error.what() << '\n'
                  << UsageText()
                  << Fill(Tr("Try '%s --help' for more information."), {kProgramName}) << '\n';
    return kExitUsage;
  }
  invocation.options.chunkSize = settings.chunkSize;

  // Where the output goes is chosen here, once, for every action.
  std::optional<OutputSink> out;
  std::optional<OutputSink> source;
  try {
    if (invocation.outputFile) {
      out.emplace(*invocation.outputFile);
    } else {
      out.emplace(standardOutput, settings.outputIsTerminal, HoldsOutput(invocation));
    }
    if (invocation.sourceFile) source.emplace(*invocation.sourceFile);
  } catch (const FatalFault& fatal) {
    standardError << FaultLine(fatal.fault()) << '\n';
    return kExitFailure;
  }
  // What the output holds so far reaches the terminal before a message after it.
  FaultReport faults(standardError, [&out] { out->EndLine(); });
  PictureAndImage files;
  try {
    Execute(invocation, standardInput, *out, source ? &*source : nullptr, files, faults,
            settings.gbkTerminal);
    out->EndLine();
    // The files take the output of a run without errors only, all together
    // once all are complete, the header that names the others last.
    if (faults.Errors() == 0) CommitOutputs(source, files, *out);
  } catch (const FatalFault& fatal) {
    // The output is gone, so nothing is flushed before the message.
    standardError << FaultLine(fatal.fault()) << '\n';
    return kExitFailure;
  }
  faults.Finish();
  return faults.Errors() == 0 ? kExitOk : kExitFailure;
}

}  // namespace gbkhex::cli
