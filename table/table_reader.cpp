#include "table/table_reader.h"

#include <utility>

#include "text/character_classes.h"
#include "text/utf8.h"

namespace gbkhex {
namespace {

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

}  // namespace

TableReader::TableReader(const TableReading& reading, TableEntries& entries, FaultSink& faults,
                         CharacterTaker* taker)
    : entries_(entries),
      check_(reading.charset, reading.lossy, faults, taker),
      reader_(check_, reading.codePage936, reading.chunkSize) {
  guard_.Add(reading.guardOptions);
}

void TableReader::Read(std::istream& in, std::string_view name) {
  name_ = std::string(name);
  names_.StartInput(name);
  inputSize_ = 0;
  reader_.ReadLines(in, name, *this);
  // Where one input ends and the next begins.
  guard_.Add(std::to_string(inputSize_) + "\n");
}

void TableReader::Bytes(std::string_view bytes) {
  guard_.Add(bytes);
  inputSize_ += bytes.size();
}

void TableReader::ReportAt(const InputLine& line, std::size_t unit, std::string what) {
  const TextPosition place = line.PlaceOf(unit);
  check_.Report(Fault{.kind = FaultKind::Table,
                      .line = place.line,
                      .column = place.column,
                      .what = std::move(what)});
}

void TableReader::Line(const InputLine& line) {
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
  // Before the text, the line is ASCII: its bytes are its units.
  TextPosition textPlace{line.number, 1};
  AdvanceAscii(textPlace, line.utf8.substr(0, opening));
  const TableEntry entry{entry_.name, text, units, name_, textPlace};
  if (std::string problem = entries_.Problem(entry); !problem.empty()) {
    return ReportAt(line, opening, std::move(problem));
  }
  if (!check_.Failed()) entries_.Entry(entry);
}

}  // namespace gbkhex
