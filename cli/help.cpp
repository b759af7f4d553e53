#include "cli/help.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "cli/options.h"
#include "emit/c_names.h"
#include "gbkhex/product.h"
#include "i18n/messages.h"
#include "text/line_breaks.h"

namespace gbkhex::cli {
namespace {

constexpr std::size_t kSummaryColumn = 20;  // where --help's summaries start

using i18n::Fill;
using i18n::Marked;
using i18n::Tr;

constexpr const char* kDescription = Marked(
    "Writes the code page 936 (GBK) bytes of UTF-8 text as hexadecimal pairs, C constants or C "
    "string literals, as one array or as a header for a whole string table, to standard output "
    "or a file; with --glyphs, the glyphs of its characters from a font, as a C header (with "
    "--whole, a whole font image for external flash); or, with --decode, the text back.");

constexpr const char* kDetails[] = {
    Marked(
        "With no FILE, or for FILE -, reads standard input. Several files are one text: their "
        "output runs on, C lines included. Line breaks are kept as they are (LF is 0A, CR LF is 0D "
        "0A). On a terminal the output ends with a line break; into a pipe or a file its bytes are "
        "exactly the conversion's."),
    Marked(
        "Every fault of the input is reported, in input order, each on a line of its own as "
        "FILE:LINE:COLUMN: error: ...: every character that the charset does not hold exactly, "
        "every byte sequence that is no UTF-8 (or, with --from gbk, no code page 936), and every "
        "U+0000, which would end a C string early. Columns count as editors count them: tab stops "
        "every 8, Chinese and other wide characters two columns, combining marks none. After 100 "
        "errors one line says how many more there are. The output for the text before the first "
        "fault stands, but for a header (--array, --table, --glyphs), of which nothing is written; "
        "with -o FILE (and --source FILE.c), nothing is written and FILE is as it was."),
    Marked(
        "Exit status: 0 on success (--lossy included); 1 for input that cannot be read, is no text "
        "in its encoding, holds U+0000 or a character that the charset lacks, is no string table "
        "(--table) or no dump of code page 936 bytes (--decode), holds a character that the font "
        "has no glyph for or a control character other than a line break (--glyphs), for a font "
        "that cannot be opened, and for output that cannot be written; 2 for a bad command line, "
        "such as an option given twice with different values, a name, --type, --attribute or "
        "--include that cannot compile, two outputs that name one file, --source without -o FILE, "
        "or --glyphs without --font where the default font is not installed."),
    Marked("Guides, with tested C code for firmware: the docs/ folder of the sources."),
};

// "--format hex|c", "--array NAME", "--lossy": how a synopsis shows an option.
std::string SynopsisOf(Option option) {
  std::string text = OptionName(option);
  std::string choices;
  for (const OptionRow& row : OptionRows()) {
    if (row.option != option || row.kind == ValueKind::None) continue;
    choices.append(choices.empty() ? "" : "|").append(ValueText(row));
  }
  return choices.empty() ? text : text + kWordJoiner + choices;
}

// Whether a row of either option says that the two cannot be combined.
bool Conflict(Option a, Option b) {
  for (const OptionRow& row : OptionRows()) {
    if ((row.option == a && row.conflicts.test(static_cast<std::size_t>(b))) ||
        (row.option == b && row.conflicts.test(static_cast<std::size_t>(a)))) {
      return true;
    }
  }
  return false;
}

// Each option once, in table order, with the rows of a usage; for the
// conversion and the way back, then those that go with both. The glyphs'
// line also has the options of the conversion that go with --glyphs.
std::vector<Option> OptionsOf(Usage usage) {
  std::vector<Option> options;
  const auto add = [&options](Usage wanted, bool withGlyphs) {
    for (const OptionRow& row : OptionRows()) {
      if (row.usage != wanted || (withGlyphs && Conflict(row.option, Option::Glyphs))) continue;
      if (options.empty() || options.back() != row.option) options.push_back(row.option);
    }
  };
  add(usage, false);
  if (usage == Usage::Glyphs) add(Usage::Convert, true);
  if (usage != Usage::Alone) add(Usage::Any, false);
  return options;
}

// "-h, --help", "--format hex", "--array NAME": the label of a row.
std::string LabelOf(const OptionRow& row) {
  std::string label;
  if (row.shortName != 0) label.append("-").append(1, row.shortName).append(", ");
  label.append("--").append(row.name);
  if (row.kind != ValueKind::None) label.append(" ").append(ValueText(row));
  return label;
}

// Text for roff: escapes what roff would read as its own, and sets option
// names in bold, as man pages do.
std::string Roff(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    const bool optionStart = c == '-' && at + 2 < text.size() && text[at + 1] == '-' &&
                             text[at + 2] >= 'a' && text[at + 2] <= 'z' &&
                             (at == 0 || text[at - 1] == ' ' || text[at - 1] == '(');
    if (optionStart) {
      std::size_t end = at + 2;
      while (end < text.size() && ((text[end] >= 'a' && text[end] <= 'z') || text[end] == '-' ||
                                   (text[end] >= '0' && text[end] <= '9'))) {
        ++end;
      }
      out.append("\\fB\\-\\-").append(text.substr(at + 2, end - at - 2)).append("\\fR");
      at = end - 1;
    } else if (c == '-') {
      out += "\\-";
    } else if (c == '\\') {
      out += "\\e";
    } else if ((c == '.' || c == '\'') && (out.empty() || out.back() == '\n')) {
      out.append("\\&").append(1, c);
    } else {
      out += c;
    }
  }
  return WithBreakMarks(out, kRoffBreak);
}

// A summary as the first sentence of a man page entry.
std::string Sentence(std::string_view summary) {
  std::string text(summary);
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 32);
  // TRANSLATORS: ends a sentence of the manual.
  return Fill(Tr("%s."), {text});
}

std::string RoffLabel(const OptionRow& row) {
  std::string label;
  if (row.shortName != 0) label.append("\\fB\\-").append(1, row.shortName).append("\\fR, ");
  label.append("\\fB\\-\\-").append(Roff(row.name)).append("\\fR");
  if (row.kind == ValueKind::Choice)
    label.append(" \\fB").append(Roff(ValueText(row))).append("\\fR");
  if (row.kind == ValueKind::Text)
    label.append(" \\fI").append(Roff(ValueText(row))).append("\\fR");
  return label;
}

std::string RoffSynopsisOf(Option option) {
  std::string text = "\\fB" + Roff(OptionName(option)) + "\\fR";
  bool first = true;
  for (const OptionRow& row : OptionRows()) {
    if (row.option != option || row.kind == ValueKind::None) continue;
    text += first ? " " : "|";
    first = false;
    text += (row.kind == ValueKind::Choice ? "\\fB" : "\\fI") + Roff(ValueText(row)) + "\\fR";
  }
  return text;
}

// The synopsis lines that end in files: the conversion's, the glyphs', the way back's.
constexpr Usage kLinesWithFiles[] = {Usage::Convert, Usage::Glyphs, Usage::Decode};

// The options of a synopsis line, each in brackets, as it may be left out; but
// on the glyphs' line and the way back's the first option chooses the line and
// stands bare. `synopsisOf` writes one option, `end` ends each.
template <typename SynopsisOf>
std::string SynopsisLine(Usage usage, SynopsisOf synopsisOf, std::string_view end) {
  std::string line;
  for (const Option option : OptionsOf(usage)) {
    const std::string synopsis = synopsisOf(option);
    const bool choosesTheLine = line.empty() && usage != Usage::Convert;
    line.append(choosesTheLine ? synopsis : "[" + synopsis + "]").append(end);
  }
  return line;
}

// How values are given, naming the options whose values are choices.
std::string ValuesNote() {
  OptionSet choices;
  for (const OptionRow& row : OptionRows()) {
    if (row.kind == ValueKind::Choice) choices.set(static_cast<std::size_t>(row.option));
  }
  return Fill(Tr("A value follows its option or is attached with =, as in --format=c; the values "
                 "of %s may be written in any case, and an option given twice must be given the "
                 "same value. After --, every argument is a FILE."),
              {OptionNames(choices, Tr("%s and %s"))});
}

}  // namespace

std::string UsageText() {
  const std::string program(product::kCliName);
  // TRANSLATORS: the start of the synopsis lines, before the program's name.
  const std::string_view usageLead = Tr("Usage: ");
  const std::string lead = std::string(usageLead) + program + " ";
  const std::size_t leadColumns = TextColumns(usageLead) + program.size() + 1;
  const std::string other = std::string(TextColumns(usageLead), ' ') + program + " ";
  std::string text;
  for (const Usage usage : kLinesWithFiles) {
    text +=
        (text.empty() ? lead : other) +
        WrappedLines(SynopsisLine(usage, SynopsisOf, " ") + "[FILE...]", leadColumns, leadColumns);
  }
  std::string alone;
  for (const Option option : OptionsOf(Usage::Alone)) {
    alone += (alone.empty() ? "" : " | ") + OptionName(option);
  }
  return text + other + alone + "\n";
}

std::string HelpText() {
  std::string text = UsageText() + "\n" + WrappedLines(Tr(kDescription), 0, 0) + "\n";
  for (const OptionRow& row : OptionRows()) {
    const std::string label = "  " + LabelOf(row);
    text += label;
    if (label.size() + 2 > kSummaryColumn) {
      text += "\n" + std::string(kSummaryColumn, ' ');
    } else {
      text += std::string(kSummaryColumn - label.size(), ' ');
    }
    text += WrappedLines(Tr(row.summary), kSummaryColumn, kSummaryColumn);
  }
  text.append("\n").append(WrappedLines(ValuesNote(), 0, 0));
  for (const char* paragraph : kDetails) {
    text.append("\n").append(WrappedLines(Tr(paragraph), 0, 0));
  }
  return text;
}

std::string ManualSynopsis() {
  const std::string program = "\\fB" + Roff(product::kCliName) + "\\fR\n";
  std::string roff;
  for (const Usage usage : kLinesWithFiles) {
    roff += program + SynopsisLine(usage, RoffSynopsisOf, "\n") + "[\\fIFILE\\fR ...]\n.br\n";
  }
  roff += program;
  bool first = true;
  for (const Option option : OptionsOf(Usage::Alone)) {
    roff += (first ? "" : "| ") + RoffSynopsisOf(option) + "\n";
    first = false;
  }
  return roff;
}

std::string ManualOptions() {
  std::string roff;
  for (const OptionRow& row : OptionRows()) {
    // A tag narrower than the indent would share its line with the text.
    roff += ".TP\n" + RoffLabel(row) + "\n.br\n" + Roff(Sentence(Tr(row.summary))) + "\n";
    std::string_view details = row.details.empty() ? row.details : Tr(row.details);
    while (!details.empty()) {
      const std::size_t end = details.find("\n\n");
      roff += ".IP\n" + Roff(details.substr(0, end)) + "\n";
      details = end == std::string_view::npos ? std::string_view() : details.substr(end + 2);
    }
  }
  return roff + ".PP\n" + Roff(ValuesNote()) + "\n";
}

std::string ManualNames() {
  std::string roff =
      Roff(Tr(
          "The name of --array, and every NAME of a --table, must compile as NAME[] and NAME_len "
          "at file scope, in C and in C++, in a file that includes the standard headers that "
          "firmware includes. A name is refused, with exit status 2 (--array) or an error at its "
          "line (--table), and the reason, if it is no C identifier (ASCII letters, digits and _, "
          "not starting with a digit); if it starts with _, holds __ or ends in _ (which NAME_len "
          "would turn into __len), as those belong to the compiler; if it is main; if it starts "
          "with GBKHEX_, as the headers' own macros do; or if it is one of these:")) +
      "\n";
  // Names are neither hyphenated nor stretched apart.
  roff += ".nr gbkhex-hy \\n[.hy]\n.nh\n.ad l\n";
  for (const RefusedNameList& list : RefusedNameLists()) {
    roff += ".TP\n" + Roff(list.what) + "\n" + Roff(list.names) + "\n";
  }
  roff += ".ad\n.hy \\n[gbkhex-hy]\n";
  return roff + ".PP\n" +
         Roff(Tr("Function-like macros that are not listed (INT8_C, for one) are not refused: a "
                 "name that no ( follows is not expanded, so an array may take it.")) +
         "\n";
}

}  // namespace gbkhex::cli
