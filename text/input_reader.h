#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <span>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "text/display_width.h"
#include "text/input_decoder.h"
#include "text/text_check.h"

namespace gbkhex {

// How many bytes a reader takes from its input at a time, unless told
// otherwise: enough that a read costs little, few enough that memory stays
// flat whatever the input's size.
inline constexpr std::size_t kDefaultChunkSize = 64 * 1024;

struct ReadResult {
  std::size_t size = 0;
  // Empty, or "read error: <reason>" when a read failed after `size` bytes.
  std::string failure;
};

// Reads `count` bytes into `buffer`, fewer only at the end of the input or
// when a read fails (the stream buffer throws); the bytes read before the
// failure are in `buffer` too.
ReadResult ReadInput(std::streambuf& in, char* buffer, std::size_t count);

// A line of an input, without its line feed, that holds nothing but text:
// neither bytes that are no text in the input's encoding nor U+0000.
struct InputLine {
  std::u16string_view units;
  std::string_view utf8;  // the same text: the input's own bytes where it is UTF-8
  std::uint64_t number = 0;

  // Where units[unit] stands, in display columns.
  TextPosition PlaceOf(std::size_t unit) const noexcept {
    TextPosition place{number, 1};
    Advance(place, units.substr(0, unit));
    return place;
  }
};

// What takes the text that a reader hands on as one run after another, in
// input order.
class TextReceiver {
 public:
  // Units that the checks passed, before the first fault of all inputs.
  virtual void Text(std::u16string_view units) = 0;

 protected:
  ~TextReceiver() = default;
};

// What takes the lines that a reader hands on, for a reader of lines to find
// its parts in.
class LineReceiver {
 public:
  // Every line that holds nothing but text, in input order.
  virtual void Line(const InputLine& line) = 0;

  // Every byte of the input as it is read, before it is decoded, in order
  // (for what depends on the input's bytes alone, such as a hash of them).
  virtual void Bytes(std::string_view) {}

 protected:
  ~LineReceiver() = default;
};

// Reads inputs a chunk at a time: tells their encoding from a byte-order mark
// (UTF-8, UTF-16 of either byte order) or from the caller (code page 936),
// decodes them to UTF-16, and reports to the TextCheck every run of bytes
// that is no text, at its line, display column and byte offset, waiting at
// the end of a chunk for the bytes that decide. Successive inputs are read
// one after another; lines and byte offsets count from the start of each.
//
// The text goes on as one stream of runs, each checked for U+0000 and the
// charset (the plain conversion), or line by line, each line reported for
// U+0000 as well, so that a reader of lines (a string table) checks the parts
// that it takes from them.
class InputReader {
 public:
  // `chunkSize` 0 stands for kDefaultChunkSize.
  InputReader(TextCheck& check, bool codePage936, std::size_t chunkSize = kDefaultChunkSize);

  // Reads the whole of `in`, named `name` in faults: what passes the checks
  // goes to `receiver` until the first fault.
  void ReadText(std::istream& in, std::string_view name, TextReceiver& receiver);

  // Reads the whole of `in` line by line: a line that is cut short by a read
  // that fails is dropped with its faults, a fault of the read instead.
  void ReadLines(std::istream& in, std::string_view name, LineReceiver& receiver);

 private:
  struct Piece {
    bool atEnd = false;
    std::string failure;
  };
  struct Decoded {
    std::size_t bytes = 0;  // read; the bytes after them wait for more input
    std::size_t units = 0;  // written to units_
    bool clean = true;      // no bytes that are no text
  };

  Piece ReadPiece(std::istream& in, std::string_view name, bool first,
                  LineReceiver* bytesTo = nullptr);
  template <typename Run, typename PlaceAfter>
  Decoded Decode(std::span<const std::uint8_t> bytes, std::uint64_t offset, bool atEnd, Run&& run,
                 PlaceAfter&& placeAfter);
  void CheckText(std::u16string_view units, bool mayHoldNul, TextReceiver& receiver);
  std::optional<std::string_view> NextLine();
  void DecodeAhead();
  void Line(std::string_view raw, bool last, LineReceiver& receiver);
  std::optional<std::u16string_view> DecodeLine(std::string_view raw, bool last);
  void ReportNuls(std::u16string_view units);

  TextCheck& check_;
  bool codePage936_;
  std::size_t chunkSize_;
  // The bytes read, those before start_ consumed; lines are looked for
  // their line feed from scanned_ on.
  std::vector<char> bytes_;
  std::size_t start_ = 0;
  std::size_t end_ = 0;
  std::size_t scanned_ = 0;
  std::u16string units_;  // of a chunk, or of a line decoded alone
  // Of the whole lines that follow, decoded at once as far as they are UTF-8.
  std::u16string bulkUnits_;
  struct {
    std::size_t bytes = 0;  // well-formed, from the next line on
    std::size_t unit = 0;   // where the next line's units start
    std::size_t units = 0;  // decoded, from the first line on
    bool mayHoldNul = false;
  } bulk_;
  std::string utf8_;  // the line, where the input is no UTF-8
  // Of the current input.
  InputEncoding encoding_ = InputEncoding::Utf8;
  std::uint64_t offset_ = 0;      // in bytes, of bytes_[start_]
  TextPosition position_;         // of the next character, read as text
  std::uint64_t lineNumber_ = 0;  // read as lines
  std::uint64_t lineOffset_ = 0;  // of the last line's start
};

}  // namespace gbkhex
