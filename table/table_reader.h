#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "convert/charset.h"
#include "emit/header_writer.h"
#include "table/string_table.h"
#include "text/display_width.h"
#include "text/fault.h"
#include "text/input_reader.h"
#include "text/text_check.h"

namespace gbkhex {

// One entry of a string table, its text checked.
struct TableEntry {
  std::string_view name;
  std::string_view text;      // UTF-8, its escapes resolved
  std::u16string_view units;  // the same text
  std::string_view input;     // the input's name, as faults give it
  TextPosition place;         // of the text (of its opening '"')
};

// What takes a table's entries: a header's writer, the list of its characters.
class TableEntries {
 public:
  // Why `entry` cannot be written, or "": a fault at the entry's place.
  virtual std::string Problem(const TableEntry& entry) const = 0;

  // The next entry that passed every check, in table order; none comes after
  // a fault.
  virtual void Entry(const TableEntry& entry) = 0;

 protected:
  ~TableEntries() = default;
};

// How a table is read.
struct TableReading {
  // The characters that the texts must hold exactly, or with `lossy` the
  // charset whose substitutes they take.
  Charset charset = Charset::Gbk;
  bool lossy = false;
  // The inputs are code page 936 bytes (else UTF-8, or UTF-16 with a
  // byte-order mark).
  bool codePage936 = false;
  std::size_t chunkSize = kDefaultChunkSize;
  // What the include guard depends on besides the tables: a line naming
  // every option that shapes the header.
  std::string guardOptions{};
};

// Reads string tables (see string_table.h) one line at a time and hands every
// entry whose text passes the charset's checks to a TableEntries. Successive
// inputs are one table: a name may be given once in all of them. Every fault
// is reported to the FaultSink as it is found, at its line and display
// column, and the reading goes on to find the next: the entries handed on are
// those before the first fault, and none after it. The include guard is taken
// over the very bytes read.
class TableReader final : LineReceiver {
 public:
  // With a `taker`, the characters of the texts go to it (the glyphs of --glyphs).
  TableReader(const TableReading& reading, TableEntries& entries, FaultSink& faults,
              CharacterTaker* taker = nullptr);

  // Reads the whole of `in`, named `name` in faults.
  void Read(std::istream& in, std::string_view name);

  // A fault of an input that the caller could not open.
  void Refuse(const Fault& fault) { check_.Report(fault); }

  // Whether a fault has stopped the entries.
  bool Failed() const noexcept { return check_.Failed(); }

  std::optional<Fault> SubstitutionWarning() const { return check_.SubstitutionWarning(); }

  // The include guard of the tables read so far (TableGuard): of the options,
  // then of each input's bytes and their count.
  std::string Guard() const { return guard_.Name(); }

 private:
  // Every entry's text passes the charset's checks here, each character at
  // its own place in the line.
  void Line(const InputLine& line) override;
  void Bytes(std::string_view bytes) override;
  void ReportAt(const InputLine& line, std::size_t unit, std::string what);

  TableEntries& entries_;
  TextCheck check_;
  InputReader reader_;
  TableNames names_;
  TableLine entry_;
  TableGuard guard_;
  std::uint64_t inputSize_ = 0;
  std::u16string textUnits_;  // of a quoted text
  std::string name_;          // of the current input
};

}  // namespace gbkhex
