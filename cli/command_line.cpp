#include "cli/command_line.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include "cli/dump_decoder.h"
#include "cli/file_input.h"
#include "cli/help.h"

namespace gbkhex::cli {
namespace {

constexpr std::string_view kStandardInputName = "standard input";

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

// Macros that compilers define without a leading underscore (in their GNU
// modes, the default), and that the standard headers define: either turns
// the declaration into nonsense.
constexpr std::string_view kPredefinedMacros =
    "linux unix i386 sun sparc mips vax m68k mc68000 hppa PPC powerpc WIN32 WIN64 WINNT ";
constexpr std::string_view kStandardMacros =
    "errno stdin stdout stderr NULL EOF assert offsetof setjmp ";

// Whether `name` is one of the blank-separated words of `list`.
bool IsListed(std::string_view list, std::string_view name) {
  for (std::size_t at = list.find(name); at != std::string_view::npos;
       at = list.find(name, at + 1)) {
    if ((at == 0 || list[at - 1] == ' ') && list[at + name.size()] == ' ') return true;
  }
  return false;
}

bool IsKeyword(std::string_view name) { return IsListed(kKeywords, name); }

bool IsIdentifierStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsIdentifierChar(char c) { return IsIdentifierStart(c) || (c >= '0' && c <= '9'); }

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
             FaultReport& faults) {
  StreamConverter converter(invocation.options, out, faults);
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
  }
}

}  // namespace

bool IsCIdentifier(std::string_view name) {
  return !name.empty() && IsIdentifierStart(name.front()) &&
         std::all_of(name.begin(), name.end(), IsIdentifierChar) && !IsKeyword(name);
}

std::string ArrayNameProblem(std::string_view name) {
  if (IsKeyword(name)) return "is a keyword of C or C++";
  if (!IsCIdentifier(name)) {
    return "is not a C identifier (ASCII letters, digits and _, not starting with a digit)";
  }
  if (name.starts_with('_')) {
    return "is reserved: at file scope, names that start with _ belong to the compiler";
  }
  if ((std::string(name) + "_len").find("__") != std::string::npos) {
    return "is reserved in C++, where names holding __ belong to the compiler (NAME_len "
           "gets one from a trailing _)";
  }
  if (name == "main") return "is the name of the program's entry point";
  if (IsListed(kPredefinedMacros, name)) return "is a macro that compilers predefine";
  if (IsListed(kStandardMacros, name)) return "is a macro of the C standard headers";
  return "";
}

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
