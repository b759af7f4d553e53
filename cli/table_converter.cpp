#include "cli/table_converter.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "cli/file_input.h"
#include "cli/text_output.h"
#include "emit/code_page_936_bytes.h"
#include "emit/header_writer.h"
#include "emit/string_literal.h"
#include "text/character_classes.h"
#include "text/characters.h"
#include "text/utf8.h"

namespace gbkhex::cli {
namespace {

// Enough bytes to tell a byte-order mark, whatever the chunk size.
constexpr std::size_t kStartBytes = 3;

LineFeed LineFeedOf(InputEncoding encoding) noexcept {
  switch (encoding) {
    case InputEncoding::Utf16Le:
      return LineFeed::Utf16Le;
    case InputEncoding::Utf16Be:
      return LineFeed::Utf16Be;
    case InputEncoding::Utf8:
    case InputEncoding::CodePage936:
      break;
  }
  return LineFeed::Byte;
}

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

// Where the first U+000A of `units` is (there is one): four units at a time,
// a lane that is 000A after the exclusive or being a zero lane.
std::size_t FindLineFeed(std::u16string_view units) noexcept {
  constexpr std::uint64_t kLineFeeds = 0x000A000A000A000Au;
  constexpr std::uint64_t kLowBits = 0x0001000100010001u;
  constexpr std::uint64_t kHighBits = 0x8000800080008000u;
  std::size_t at = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; at + 4 <= units.size(); at += 4) {
      std::uint64_t word;
      std::memcpy(&word, units.data() + at, sizeof word);
      const std::uint64_t x = word ^ kLineFeeds;
      const std::uint64_t zeros = (x - kLowBits) & ~x & kHighBits;
      if (zeros != 0) return at + static_cast<std::size_t>(std::countr_zero(zeros)) / 16;
    }
  }
  while (at < units.size() && units[at] != u'\n') ++at;
  return at;
}

// The header, written entry by entry as they come.
class HeaderOutput final : public TableOutput {
 public:
  HeaderOutput(const ConvertOptions& options, std::string guard, OutputSink& out)
      : writer_({options.literals ? ValueForm::Literal : ValueForm::Constants, options.type,
                 options.attribute},
                options.nul),
        literals_(options.literals),
        charset_(options.charset),
        guard_(std::move(guard)),
        out_(out) {}

  std::string Problem(const TableEntry& entry) const override {
    return writer_.EntryProblem(entry.text);
  }

  void Entry(const TableEntry& entry, FaultReport& faults) override {
    std::string& text = out_.Gathering();
    Open(text);
    const std::uint64_t length = writer_.AppendEntry(text, entry.name, entry.text,
                                                     UnitsToWrite(entry.units, charset_, written_));
    out_.Gathered();
    if (literals_ && length > kLongestPortableLiteral) {
      faults.Add(Fault{.kind = FaultKind::LongLiteral,
                       .severity = Severity::Warning,
                       .input = std::string(entry.input),
                       .line = entry.place.line,
                       .column = entry.place.column,
                       .what = OverlongLiteralWarning(length)});
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
    opened_ = true;
  }

  TableHeaderWriter writer_;
  bool literals_;
  Charset charset_;
  std::string guard_;
  OutputSink& out_;
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

  void Finish() override { output_->Finish(faults_); }

 private:
  std::unique_ptr<TextOutput> output_;
  FaultReport& faults_;
};

// What the include guard depends on besides the tables: every option that
// changes the header.
std::string OptionsLine(const ConvertOptions& options) {
  std::string line = "table";
  line.append(options.literals ? " literals" : " constants");
  line.append(" type=").append(options.type);
  line.append(" attribute=").append(options.attribute);
  line.append(options.nul ? " nul" : "");
  line.append(options.charset == Charset::Gb2312 ? " gb2312" : " gbk");
  line.append(options.from == InputText::CodePage936 ? " from-gbk" : "");
  line.append(options.lossy ? " lossy" : "");
  return line + "\n";
}

// One piece of an input, and whether more may follow.
struct InputPiece {
  std::string_view bytes;
  std::string failure;  // of a read that failed after `bytes`
  bool more = false;
};

// An input for the second reading: standard input, or a file that cannot be
// read again (a pipe), held from the first in the pieces that the converter
// reads (no copy of the whole grows); a file otherwise.
struct HeldInput {
  bool held = false;
  std::vector<std::string> pieces;
  std::string failure;
};

// Holds the whole of `in` for the second reading, each piece added to `guard`
// as it comes; returns the number of bytes.
std::uint64_t Hold(std::istream& in, std::size_t chunkSize, TableGuard& guard, HeldInput& held) {
  held.held = true;
  std::uint64_t size = 0;
  for (;;) {
    std::string& piece = held.pieces.emplace_back(chunkSize, '\0');
    ReadResult read = ReadInput(*in.rdbuf(), piece.data(), piece.size());
    piece.resize(read.size);
    guard.Add(piece);
    size += read.size;
    if (read.size < chunkSize) {
      held.failure = std::move(read.failure);
      return size;
    }
  }
}

// The include guard, from a first reading of every input.
std::string GuardOf(const ConvertOptions& options, const std::vector<std::string>& names,
                    std::istream& standardInput, std::vector<HeldInput>& held) {
  TableGuard guard;
  guard.Add(OptionsLine(options));
  const std::size_t chunkSize = TableConverter::ChunkSize(options);
  std::vector<char> chunk(chunkSize);
  held.resize(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::uint64_t size = 0;
    if (names[i] == "-") {
      size = Hold(standardInput, chunkSize, guard, held[i]);
    } else if (const FilePointer file = OpenForReading(names[i])) {
      FileInputBuffer buffer(file.get());
      std::istream stream(&buffer);
      if (!IsRegularFile(file.get())) {
        size = Hold(stream, chunkSize, guard, held[i]);
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
                               FaultReport& faults)
    : options_(options),
      output_(output),
      faults_(faults),
      check_(options.charset, options.lossy, faults, options.taker),
      chunk_(ChunkSize(options)) {}

std::size_t TableConverter::ChunkSize(const ConvertOptions& options) noexcept {
  return std::max(options.chunkSize == 0 ? kDefaultChunkSize : options.chunkSize, kStartBytes);
}

void TableConverter::Convert(std::istream& in, std::string_view name) {
  ConvertPieces(name, [this, &in] {
    ReadResult read = ReadInput(*in.rdbuf(), chunk_.data(), chunk_.size());
    return InputPiece{
        {chunk_.data(), read.size}, std::move(read.failure), read.size == chunk_.size()};
  });
}

void TableConverter::Convert(std::span<const std::string> pieces, std::string_view name) {
  std::size_t next = 0;
  ConvertPieces(name, [&pieces, &next] {
    if (next == pieces.size()) return InputPiece{};
    ++next;
    return InputPiece{pieces[next - 1], {}, next < pieces.size()};
  });
}

template <typename Next>
void TableConverter::ConvertPieces(std::string_view name, Next next) {
  name_ = std::string(name);
  names_.StartInput(name);
  lineNumber_ = 0;
  std::optional<TableLines> lines;
  for (bool first = true;; first = false) {
    const InputPiece piece = next();
    std::string_view bytes = piece.bytes;
    if (first) {
      const InputStart detected =
          DetectEncoding({reinterpret_cast<const std::uint8_t*>(bytes.data()),
                          std::min(bytes.size(), kStartBytes)},
                         options_.from == InputText::CodePage936);
      encoding_ = detected.encoding;
      check_.StartInput(name, encoding_);
      bytes.remove_prefix(detected.byteOrderMarkSize);
      lineOffset_ = detected.byteOrderMarkSize;
      lines.emplace(LineFeedOf(encoding_));
    }
    lines->Append(bytes);
    bulk_ = {};
    while (true) {
      if (encoding_ == InputEncoding::Utf8 && bulk_.bytes == 0) DecodeAhead(lines->Unread());
      const auto line = lines->Next();
      if (!line) break;
      Line(*line, false);
      lineOffset_ += line->size() + lines->LineFeedSize();
    }
    // A line that a failed read cuts short is the failure's fault.
    if (!piece.failure.empty()) {
      check_.Report(Fault{.kind = FaultKind::Read, .what = piece.failure});
      return;
    }
    if (!piece.more) break;
  }
  bulk_ = {};
  if (const auto rest = lines->Rest()) Line(*rest, true);
}

// UTF-8 is decoded many lines at a time, as far as it is well-formed: one call
// of the vector decoder for thousands of short lines rather than one each.
void TableConverter::DecodeAhead(std::string_view unread) {
  const std::size_t lastLineFeed = unread.rfind('\n');
  if (lastLineFeed == std::string_view::npos) return;
  const std::string_view lines = unread.substr(0, lastLineFeed + 1);
  if (bulkUnits_.size() < lines.size()) bulkUnits_.resize(lines.size());
  const Utf8Result decoded = DecodeUtf8(
      {reinterpret_cast<const std::uint8_t*>(lines.data()), lines.size()}, bulkUnits_.data());
  bulk_ = {decoded.bytesRead, 0, decoded.unitsWritten,
           std::memchr(lines.data(), 0, decoded.bytesRead) != nullptr};
}

void TableConverter::Line(std::string_view raw, bool last) {
  ++lineNumber_;
  // The line and its line feed, decoded ahead already.
  if (raw.size() < bulk_.bytes) {
    const std::size_t units =
        FindLineFeed(std::u16string_view(bulkUnits_.data() + bulk_.unit, bulk_.units - bulk_.unit));
    line_ = {bulkUnits_.data() + bulk_.unit, units};
    bulk_.bytes -= raw.size() + 1;
    bulk_.unit += units + 1;
    if (bulk_.mayHoldNul && std::memchr(raw.data(), 0, raw.size()) != nullptr) {
      return ReportNuls();
    }
    return Entry(raw);
  }
  bulk_.bytes = 0;
  if (!DecodeLine(raw, last)) return;
  if (encoding_ == InputEncoding::Utf8) return Entry(raw);
  utf8_.clear();
  for (std::size_t at = 0; at < line_.size(); at += UnitsOfCharacterAt(line_, at)) {
    AppendUtf8(CodePointAt(line_, at), utf8_);
  }
  Entry(utf8_);
}

bool TableConverter::DecodeLine(std::string_view raw, bool last) {
  const auto* const bytes = reinterpret_cast<const std::uint8_t*>(raw.data());
  // A line never decodes to more units than it has bytes.
  if (units_.size() < raw.size()) units_.resize(std::max(raw.size(), 2 * units_.size()));
  const bool utf16 = encoding_ == InputEncoding::Utf16Le || encoding_ == InputEncoding::Utf16Be;
  bool clean = true;
  TextPosition place{lineNumber_, 1};
  std::size_t placed = 0;  // the units that `place` stands after
  const auto placeOf = [&](std::size_t unit) {
    Advance(place, std::u16string_view(units_.data() + placed, unit - placed));
    placed = unit;
    return place;
  };
  std::size_t at = 0;
  std::size_t count = 0;
  for (;;) {
    const std::span<const std::uint8_t> rest(bytes + at, raw.size() - at);
    const DecodeStep step = DecodeInput(encoding_, rest, units_.data() + count, true);
    if (utf16 || std::memchr(rest.data(), 0, step.bytesRead) != nullptr) {
      const std::u16string_view run(units_.data() + count, step.unitsWritten);
      for (std::size_t nul = run.find(u'\0'); nul != std::u16string_view::npos;
           nul = run.find(u'\0', nul + 1)) {
        clean = false;
        check_.Nul(placeOf(count + nul));
      }
    }
    count += step.unitsWritten;
    at += step.bytesRead;
    if (step.illFormed == 0) break;
    clean = false;
    check_.IllFormed(
        placeOf(count), lineOffset_ + at, rest.subspan(step.bytesRead, step.illFormed),
        step.cutShort && last,
        rest.subspan(step.bytesRead, std::min<std::size_t>(2, rest.size() - step.bytesRead)));
    // An editor shows one replacement character there.
    AdvanceColumn(place, U'\uFFFD');
    at += step.illFormed;
  }
  line_ = {units_.data(), count};
  return clean;
}

void TableConverter::ReportNuls() {
  TextPosition place{lineNumber_, 1};
  std::size_t placed = 0;
  for (std::size_t nul = line_.find(u'\0'); nul != std::u16string_view::npos;
       nul = line_.find(u'\0', nul + 1)) {
    if (check_.ListsNextError()) {
      Advance(place, line_.substr(placed, nul - placed));
      placed = nul;
    }
    check_.Nul(place);
  }
}

TextPosition TableConverter::PlaceOfUnit(std::size_t unit) const {
  TextPosition place{lineNumber_, 1};
  Advance(place, line_.substr(0, unit));
  return place;
}

void TableConverter::ReportAt(std::size_t unit, std::string what) {
  const TextPosition place = PlaceOfUnit(unit);
  check_.Report(Fault{.kind = FaultKind::Table,
                      .line = place.line,
                      .column = place.column,
                      .what = std::move(what)});
}

// Every entry's text passes the charset's checks here, each character at its
// own place in the line.
void TableConverter::Entry(std::string_view line) {
  ReadTableLine(line, entry_);
  if (entry_.kind == TableLine::Kind::Ignored) return;
  if (entry_.kind == TableLine::Kind::Fault) {
    return ReportAt(UnitsOfUtf8(line.substr(0, entry_.faultOffset)), std::move(entry_.fault));
  }
  // Before the text, the line is ASCII: its bytes are its units.
  // A name that clashes is a fault, and the text is still checked, for its own.
  const auto clash = names_.Add(entry_.name, lineNumber_);
  if (clash) ReportAt(entry_.nameOffset, clash->what);
  // So is what follows the text: blanks, and a closing '"'.
  const std::string_view text = entry_.Text();
  std::size_t textEnd = entry_.textOffset + text.size();
  if (entry_.quoted) {
    std::string_view rest = line;
    if (rest.ends_with('\r')) rest.remove_suffix(1);
    while (!rest.empty() && IsSpaceOrTab(rest.back())) rest.remove_suffix(1);
    textEnd = rest.size() - 1;
  }
  const std::size_t start = entry_.textOffset;
  const std::u16string_view raw =
      line_.substr(start, line_.size() - (line.size() - textEnd) - start);
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
  TextPosition place{lineNumber_, 1};
  std::size_t placed = 0;
  std::size_t mappedUnit = 0;  // units[mappedUnit] stands at raw[mappedRaw]
  std::size_t mappedRaw = 0;
  const auto placeOf = [&](std::size_t at) {
    if (entry_.escaped) {
      for (; mappedUnit < at; ++mappedUnit) mappedRaw += raw[mappedRaw] == u'\\' ? 2 : 1;
      at = mappedRaw;
    }
    Advance(place, line_.substr(placed, start + at - placed));
    placed = start + at;
    return place;
  };
  if (!check_.Check(units, false, placeOf, [](std::u16string_view) {}) || clash) return;

  const std::size_t opening = entry_.quoted ? start - 1 : start;
  const TableEntry entry{
      entry_.name, text, units, name_, {lineNumber_, AsciiColumn(line.substr(0, opening))}};
  if (std::string problem = output_.Problem(entry); !problem.empty()) {
    return ReportAt(opening, std::move(problem));
  }
  if (!check_.Failed()) output_.Entry(entry, faults_);
}

void TableConverter::Refuse(const Fault& fault) { check_.Report(fault); }

std::optional<Fault> TableConverter::SubstitutionWarning() const {
  return check_.SubstitutionWarning();
}

void TableConverter::Finish() {
  if (!check_.Failed()) output_.Finish();
}

void ConvertTable(const ConvertOptions& options, const std::vector<std::string>& inputs,
                  std::istream& standardInput, OutputSink& out, FaultReport& faults) {
  const std::vector<std::string> names = inputs.empty() ? std::vector<std::string>{"-"} : inputs;
  std::vector<HeldInput> held;
  std::unique_ptr<TableOutput> output;
  if (options.list || options.taker != nullptr) {
    output = std::make_unique<TextsOutput>(MakeTextOutput(options, out), faults);
  } else {
    // The guard comes first in the header, from the whole of every input.
    output =
        std::make_unique<HeaderOutput>(options, GuardOf(options, names, standardInput, held), out);
  }
  TableConverter converter(options, *output, faults);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i < held.size() && held[i].held) {
      const std::string_view name = names[i] == "-" ? kStandardInputName : names[i];
      converter.Convert(held[i].pieces, name);
      if (!held[i].failure.empty()) {
        converter.Refuse(
            Fault{.kind = FaultKind::Read, .input = std::string(name), .what = held[i].failure});
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
}

}  // namespace gbkhex::cli
