#include "cli/table_converter.h"

#include <memory>
#include <utility>

#include "cli/file_input.h"
#include "convert/gbk_codec.h"
#include "emit/header_writer.h"
#include "emit/string_literal.h"
#include "emit/text_output.h"
#include "text/character_classes.h"
#include "text/utf8.h"

namespace gbkhex::cli {
namespace {

// The column after `ascii`, tab stops every 8, as Advance counts it.
std::uint64_t AsciiColumn(std::string_view ascii) noexcept {
  std::uint64_t column = 1;
  for (const char c : ascii) column = c == '\t' ? (column - 1) / 8 * 8 + 9 : column + 1;
  return column;
}

// How many UTF-16 units the well-formed UTF-8 `text` decodes to: a unit for
// every byte that is no continuation byte, and a second for a four-byte lead.
std::size_t UnitsOfUtf8(std::string_view text) noexcept {
  std::size_t units = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    units += ((byte & 0xC0) != 0x80 ? 1 : 0) + (byte >= 0xF0 ? 1 : 0);
  }
  return units;
}

// The header, written entry by entry as they come, and with a source file
// the definitions beside it.
class HeaderOutput final : public TableOutput {
 public:
  HeaderOutput(const ConvertOptions& options, std::string guard, OutputSink& out,
               OutputSink* source)
      : writer_(options.choice.style, options.choice.nul,
                source != nullptr ? options.choice.headerName : ""),
        literals_(options.choice.style.form == ValueForm::Literal),
        charset_(options.charset),
        guard_(std::move(guard)),
        out_(out),
        source_(source) {}

  std::string Problem(const TableEntry& entry) const override {
    return writer_.EntryProblem(entry.text);
  }

  void Entry(const TableEntry& entry, FaultReport& faults) override {
    std::string& text = out_.Gathering();
    Open(text);
    const std::u16string_view units = GbkEncoder(charset_).UnitsToWrite(entry.units, written_);
    std::uint64_t length = 0;
    if (source_ != nullptr) {
      std::string& definitions = source_->Gathering();
      length = writer_.AppendEntry(text, definitions, entry.name, entry.text, units);
      source_->Gathered();
    } else {
      length = writer_.AppendEntry(text, entry.name, entry.text, units);
    }
    out_.Gathered();
    if (!literals_) return;
    if (std::optional<Fault> warning = OverlongLiteral(length)) {
      warning->input = entry.input;
      warning->line = entry.place.line;
      warning->column = entry.place.column;
      faults.Add(*warning);
    }
  }

  void Finish() override {
    std::string& text = out_.Gathering();
    Open(text);
    text += writer_.Closing();
    out_.Gathered();
  }

 private:
  void Open(std::string& text) {
    if (opened_) return;
    text += writer_.Opening(guard_);
    if (source_ != nullptr) {
      source_->Gathering() += writer_.SourceOpening();
      source_->Gathered();
    }
    opened_ = true;
  }

  TableHeaderWriter writer_;
  bool literals_;
  Charset charset_;
  std::string guard_;
  OutputSink& out_;
  OutputSink* source_;
  bool opened_ = false;
  std::u16string written_;
};

// The texts of the entries, one after another, as the text of a TextOutput:
// --list counts their characters as it counts a text's.
class TextsOutput final : public TableOutput {
 public:
  TextsOutput(std::unique_ptr<TextOutput> output, FaultReport& faults)
      : output_(std::move(output)), faults_(faults) {}

  std::string Problem(const TableEntry&) const override { return {}; }

  void Entry(const TableEntry& entry, FaultReport&) override {
    if (!entry.units.empty()) output_->Write(entry.units);
  }

  void Finish() override {
    if (const std::optional<Fault> problem = output_->Finish()) faults_.Add(*problem);
  }

 private:
  std::unique_ptr<TextOutput> output_;
  FaultReport& faults_;
};

// What the include guard depends on besides the tables: every option that
// changes the header.
std::string OptionsLine(const ConvertOptions& options) {
  std::string line = "table";
  const DeclarationStyle& style = options.choice.style;
  line.append(style.form == ValueForm::Literal ? " literals" : " constants");
  line.append(" type=").append(style.type);
  line.append(" attribute=").append(style.attribute);
  for (const std::string& include : style.includes) line.append(" include=").append(include);
  if (!options.choice.headerName.empty())
    line.append(" source-of=").append(options.choice.headerName);
  line.append(options.choice.nul ? " nul" : "");
  line.append(" ").append(WordOf(kCharsetWords, options.charset));
  line.append(options.from == InputText::CodePage936 ? " from-gbk" : "");
  line.append(options.lossy ? " lossy" : "");
  return line + "\n";
}

// The include guard, from a first reading of every input. Standard input,
// and a file that cannot be read again (a pipe), are held for the second.
std::string GuardOf(const ConvertOptions& options, const std::vector<std::string>& names,
                    std::istream& standardInput, std::vector<std::unique_ptr<HeldInput>>& held) {
  TableGuard guard;
  guard.Add(OptionsLine(options));
  std::vector<char> chunk(kDefaultChunkSize);
  held.resize(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::uint64_t size = 0;
    const auto hold = [&](std::istream& in) {
      held[i] = std::make_unique<HeldInput>();
      held[i]->Hold(in, [&](std::string_view piece) {
        guard.Add(piece);
        size += piece.size();
      });
    };
    if (names[i] == "-") {
      hold(standardInput);
    } else if (const FilePointer file = OpenForReading(names[i])) {
      FileInputBuffer buffer(file.get());
      std::istream stream(&buffer);
      if (!IsRegularFile(file.get())) {
        hold(stream);
      } else {
        // A failed read is reported by the second reading.
        for (ReadResult read; (read = ReadInput(buffer, chunk.data(), chunk.size())).size > 0;) {
          guard.Add({chunk.data(), read.size});
          size += read.size;
          if (read.size < chunk.size()) break;
        }
      }
    }
    // Where one input ends and the next begins.
    guard.Add(std::to_string(size) + "\n");
  }
  return guard.Name();
}

}  // namespace

TableConverter::TableConverter(const ConvertOptions& options, TableOutput& output,
                               FaultReport& faults, CharacterTaker* taker)
    : output_(output),
      faults_(faults),
      check_(options.charset, options.lossy, faults, taker),
      reader_(check_, options.from == InputText::CodePage936, options.chunkSize) {}

void TableConverter::Convert(std::istream& in, std::string_view name) {
  name_ = std::string(name);
  names_.StartInput(name);
  reader_.ReadLines(in, name, *this);
}

void TableConverter::ReportAt(const InputLine& line, std::size_t unit, std::string what) {
  const TextPosition place = line.PlaceOf(unit);
  check_.Report(Fault{.kind = FaultKind::Table,
                      .line = place.line,
                      .column = place.column,
                      .what = std::move(what)});
}

void TableConverter::Line(const InputLine& line) {
  ReadTableLine(line.utf8, entry_);
  if (entry_.kind == TableLine::Kind::Ignored) return;
  if (entry_.kind == TableLine::Kind::Fault) {
    return ReportAt(line, UnitsOfUtf8(line.utf8.substr(0, entry_.faultOffset)),
                    std::move(entry_.fault));
  }
  // Before the text, the line is ASCII: its bytes are its units.
  // A name that clashes is a fault, and the text is still checked, for its own.
  const auto clash = names_.Add(entry_.name, line.number);
  if (clash) ReportAt(line, entry_.nameOffset, clash->what);
  // So is what follows the text: blanks, and a closing '"'.
  const std::string_view text = entry_.Text();
  std::size_t textEnd = entry_.textOffset + text.size();
  if (entry_.quoted) {
    std::string_view rest = line.utf8;
    if (rest.ends_with('\r')) rest.remove_suffix(1);
    while (!rest.empty() && IsSpaceOrTab(rest.back())) rest.remove_suffix(1);
    textEnd = rest.size() - 1;
  }
  const std::size_t start = entry_.textOffset;
  const std::u16string_view raw =
      line.units.substr(start, line.units.size() - (line.utf8.size() - textEnd) - start);
  // A text with escapes is checked as it resolves, so that what takes its
  // characters (--glyphs) sees a line break where "\n" stands; each character
  // is placed where it stands in the line, an escape at its backslash.
  std::u16string_view units = raw;
  if (entry_.escaped) {
    textUnits_.resize(text.size());
    const Utf8Result decoded = DecodeUtf8(
        {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, textUnits_.data());
    units = {textUnits_.data(), decoded.unitsWritten};
  }
  TextPosition place{line.number, 1};
  std::size_t placed = 0;
  std::size_t mappedUnit = 0;  // units[mappedUnit] stands at raw[mappedRaw]
  std::size_t mappedRaw = 0;
  const auto placeOf = [&](std::size_t at) {
    if (entry_.escaped) {
      for (; mappedUnit < at; ++mappedUnit) mappedRaw += raw[mappedRaw] == u'\\' ? 2 : 1;
      at = mappedRaw;
    }
    Advance(place, line.units.substr(placed, start + at - placed));
    placed = start + at;
    return place;
  };
  if (!check_.Check(units, false, placeOf, [](std::u16string_view) {}) || clash) return;

  const std::size_t opening = entry_.quoted ? start - 1 : start;
  const TableEntry entry{
      entry_.name, text, units, name_, {line.number, AsciiColumn(line.utf8.substr(0, opening))}};
  if (std::string problem = output_.Problem(entry); !problem.empty()) {
    return ReportAt(line, opening, std::move(problem));
  }
  if (!check_.Failed()) output_.Entry(entry, faults_);
}

void TableConverter::Finish() {
  if (!check_.Failed()) output_.Finish();
}

void ConvertTable(const ConvertOptions& options, const std::vector<std::string>& inputs,
                  std::istream& standardInput, OutputSink& out, FaultReport& faults,
                  CharacterTaker* taker, OutputSink* source) {
  const std::vector<std::string> names = inputs.empty() ? std::vector<std::string>{"-"} : inputs;
  std::vector<std::unique_ptr<HeldInput>> held;
  std::unique_ptr<TableOutput> output;
  if (options.choice.output != Output::Table) {
    output =
        std::make_unique<TextsOutput>(MakeTextOutput(options.choice, options.charset, out), faults);
  } else {
    // The guard comes first in the header, from the whole of every input.
    output = std::make_unique<HeaderOutput>(options, GuardOf(options, names, standardInput, held),
                                            out, source);
  }
  TableConverter converter(options, *output, faults, taker);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i < held.size() && held[i]) {
      const std::string_view name = names[i] == "-" ? kStandardInputName : names[i];
      std::istream in(held[i].get());
      converter.Convert(in, name);
      if (!held[i]->Failure().empty()) {
        converter.Refuse(
            Fault{.kind = FaultKind::Read, .input = std::string(name), .what = held[i]->Failure()});
      }
      continue;
    }
    ForEachInput(
        {names[i]}, standardInput,
        [&converter](std::istream& in, std::string_view name) { converter.Convert(in, name); },
        [&converter](const Fault& fault) { converter.Refuse(fault); });
  }
  converter.Finish();
  if (const std::optional<Fault> warning = converter.SubstitutionWarning()) faults.Add(*warning);
  out.Flush();
  if (source != nullptr) source->Flush();
}

}  // namespace gbkhex::cli
