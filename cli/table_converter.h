#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/convert_options.h"
#include "cli/fault_report.h"
#include "cli/output_sink.h"
#include "emit/string_table.h"
#include "text/display_width.h"
#include "text/input_decoder.h"
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
class TableConverter {
 public:
  // With a `taker`, the characters of the texts go to it (the glyphs of --glyphs).
  TableConverter(const ConvertOptions& options, TableOutput& output, FaultReport& faults,
                 CharacterTaker* taker = nullptr);

  // Reads the whole of `in`, named `name` in faults.
  void Convert(std::istream& in, std::string_view name);
  // The same for an input held in memory, in the pieces that ChunkSize()
  // cut it into: all of them as long as that, but the last.
  void Convert(std::span<const std::string> pieces, std::string_view name);

  // How many bytes the converter reads at a time, with `options`.
  static std::size_t ChunkSize(const ConvertOptions& options) noexcept;

  // A fault of an input that the caller could not open.
  void Refuse(const Fault& fault);

  // Ends the output, if there were no faults.
  void Finish();

  std::optional<Fault> SubstitutionWarning() const;

 private:
  // Reads the input that `next()` gives piece by piece, as an InputPiece.
  template <typename Next>
  void ConvertPieces(std::string_view name, Next next);
  // One line, as the input encodes it, without its line feed.
  void Line(std::string_view raw, bool last);
  // Decodes the line into line_, reporting what is not text; false if any.
  bool DecodeLine(std::string_view raw, bool last);
  void DecodeAhead(std::string_view unread);
  // Reports every U+0000 of line_.
  void ReportNuls();
  void Entry(std::string_view line);
  TextPosition PlaceOfUnit(std::size_t unit) const;
  void ReportAt(std::size_t unit, std::string what);

  ConvertOptions options_;
  TableOutput& output_;
  FaultReport& faults_;
  TextCheck check_;
  TableNames names_;
  TableLine entry_;
  std::u16string_view line_;  // the units of the line
  std::u16string units_;      // of a line decoded alone
  // Of the whole lines that follow, decoded at once as far as they are UTF-8.
  std::u16string bulkUnits_;
  struct {
    std::size_t bytes = 0;  // well-formed, from the next line on
    std::size_t unit = 0;   // where the next line's units start
    std::size_t units = 0;  // decoded, from the first line on
    bool mayHoldNul = false;
  } bulk_;
  std::u16string textUnits_;  // of a quoted text
  std::string utf8_;          // the line, where the input is no UTF-8
  std::vector<char> chunk_;
  // Of the current input.
  std::string name_;
  InputEncoding encoding_ = InputEncoding::Utf8;
  std::uint64_t lineNumber_ = 0;
  std::uint64_t lineOffset_ = 0;  // in bytes, of the line's start
};

// --table: the inputs read as one table, written as the output that the
// options choose (a header, or the list of its texts' characters) to `out`.
void ConvertTable(const ConvertOptions& options, const std::vector<std::string>& inputs,
                  std::istream& standardInput, OutputSink& out, FaultReport& faults,
                  CharacterTaker* taker = nullptr);

}  // namespace gbkhex::cli
