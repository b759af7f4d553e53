#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/convert_options.h"
#include "cli/fault_report.h"
#include "cli/output_sink.h"
#include "emit/string_table.h"
#include "text/display_width.h"
#include "text/input_reader.h"
#include "text/text_check.h"

namespace gbkhex::cli {

// One entry of a string table, its text checked.
struct TableEntry {
  std::string_view name;
  std::string_view text;      // UTF-8, its escapes resolved
  std::u16string_view units;  // the same text
  std::string_view input;     // the input's name, as faults give it
  TextPosition place;         // of the text (of its opening '"')
};

// What a string table becomes: a header, or the list of its characters.
class TableOutput {
 public:
  virtual ~TableOutput() = default;

  // Why `entry` cannot be written, or "".
  virtual std::string Problem(const TableEntry& entry) const = 0;

  // The next entry, in table order; none comes after a fault. Warnings go to
  // `faults`.
  virtual void Entry(const TableEntry& entry, FaultReport& faults) = 0;

  // After the last input, when no fault has stopped the output.
  virtual void Finish() = 0;
};

// Reads string tables (see string_table.h) in UTF-8, UTF-16 with a byte-order
// mark, or with --from gbk code page 936, one line at a time, and hands every
// entry whose text passes the charset's checks to a TableOutput. Successive
// inputs are one table: a name may be given once in all of them. Every fault
// is reported as it is found, at its line and display column, and the reading
// goes on to find the next: the output holds the entries before the first
// fault, and nothing after it.
class TableConverter final : LineReceiver {
 public:
  // With a `taker`, the characters of the texts go to it (the glyphs of --glyphs).
  TableConverter(const ConvertOptions& options, TableOutput& output, FaultReport& faults,
                 CharacterTaker* taker = nullptr);

  // Reads the whole of `in`, named `name` in faults.
  void Convert(std::istream& in, std::string_view name);

  // A fault of an input that the caller could not open.
  void Refuse(const Fault& fault) { check_.Report(fault); }

  // Ends the output, if there were no faults.
  void Finish();

  std::optional<Fault> SubstitutionWarning() const { return check_.SubstitutionWarning(); }

 private:
  // Every entry's text passes the charset's checks here, each character at
  // its own place in the line.
  void Line(const InputLine& line) override;
  void ReportAt(const InputLine& line, std::size_t unit, std::string what);

  TableOutput& output_;
  FaultReport& faults_;
  TextCheck check_;
  InputReader reader_;
  TableNames names_;
  TableLine entry_;
  std::u16string textUnits_;  // of a quoted text
  std::string name_;          // of the current input
};

// --table: the inputs read as one table, written as the output that the
// options choose (a header, or the list of its texts' characters) to `out`;
// with a `source`, the header declares and the source defines the arrays.
void ConvertTable(const ConvertOptions& options, const std::vector<std::string>& inputs,
                  std::istream& standardInput, OutputSink& out, FaultReport& faults,
                  CharacterTaker* taker = nullptr, OutputSink* source = nullptr);

}  // namespace gbkhex::cli
