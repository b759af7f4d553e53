#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/fault.h"

namespace gbkhex {

// Lines of literals end as the C format's lines and the headers' lines do, so
// that one header never mixes two kinds of line break.
inline constexpr std::string_view kLiteralLineBreak = "\r\n";
inline constexpr std::size_t kLiteralLineWidth = 80;

// The longest string literal, its adjacent literals joined, that C99 and C11
// promise to compile; with -pedantic, GCC and Clang warn of a longer one
// (-Woverlength-strings).
inline constexpr std::uint64_t kLongestPortableLiteral = 4095;

// The warning for a literal of `size` bytes, if that is more; it has no place
// until the caller gives it one.
std::optional<Fault> OverlongLiteral(std::uint64_t size);

// Writes bytes as C string literals, for text that arrives in pieces. Printable
// ASCII stands as itself, except '"' and '\', which are escaped, and a '?' that
// follows a '?', written "\?" so that no trigraph can form; 0A, 0D and 09 are
// "\n", "\r" and "\t"; every other byte is "\x" and two upper-case digits.
// Where a hexadecimal digit character follows a "\x" escape, which would
// otherwise take it in, the literal is closed and a new one begins: "\xB5" "A".
// Lines hold at most 80 characters, each a run of whole literals, so that the
// adjacent literals of all lines join into one string.
class StringLiteralWriter {
 public:
  // `lastLineReserve` columns stay free on the last line, for what the caller
  // writes after the literals (the ";" of a declaration).
  explicit StringLiteralWriter(std::size_t lastLineReserve = 0) noexcept
      : lastLineReserve_(lastLineReserve) {}

  // Appends to `out` the lines that `bytes` complete, each with its line break.
  // The line in progress stays here until more bytes or Finish close it.
  void Append(std::string_view bytes, std::string& out);

  // Appends the last line, without a line break after it: '""' when no byte
  // came at all. The writer then starts again, as new.
  void Finish(std::string& out);

  std::uint64_t BytesWritten() const noexcept { return bytesWritten_; }

 private:
  void AppendSpecial(char c, std::string& out);
  void BreakLine(std::string& out);
  void Put(std::string_view text) noexcept;
  std::string_view Line() const noexcept { return {line_.data(), lineSize_}; }

  std::size_t lastLineReserve_;
  // The line in progress, its opening '"' included, without the closing one;
  // with room for the four characters that every token is copied as.
  std::array<char, kLiteralLineWidth + 4> line_{};
  std::size_t lineSize_ = 0;
  std::size_t lastTokenStart_ = 0;  // in line_
  bool afterHexEscape_ = false;
  bool afterQuestionMark_ = false;
  std::uint64_t bytesWritten_ = 0;
};

// What is wrong with literals, and where: a byte offset in the text read.
struct LiteralFault {
  std::size_t offset = 0;
  std::string what;
};

struct LiteralBytes {
  std::string bytes;
  // Where reading stopped: past the last literal, or at the fault.
  std::size_t end = 0;
  std::optional<LiteralFault> fault;
};

// Reads the C string literals that follow one another from text[start] on,
// with blanks, line breaks and comments between them, as a C compiler joins
// them, and stops before the first character that belongs to none (or at the
// end). Where `sourceOffsets` is given, it receives for each byte of the
// string the offset in `text` of what wrote it (the character or its escape). Escapes: the simple
// ones of C (\' \" \? \\ \a \b \f \n \r \t \v), octal of one to three digits and \x with any number
// of digits, each naming a value that fits a byte; a backslash at a line's end joins the lines.
// Other bytes stand for themselves. No literal at all is a fault too, as is a
// prefixed literal (L"", u8""), a universal character name (\u) or an unknown
// escape. Trigraphs are not replaced (no C standard since C23 and C++17 has
// them; the writer never makes one).
LiteralBytes ReadStringLiterals(std::string_view text, std::size_t start = 0,
                                std::vector<std::size_t>* sourceOffsets = nullptr);

// Reads a text that holds nothing but string literals (and blanks and
// comments), as StringLiteralWriter writes them.
LiteralBytes DecodeStringLiterals(std::string_view text,
                                  std::vector<std::size_t>* sourceOffsets = nullptr);

}  // namespace gbkhex
