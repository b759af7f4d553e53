#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "convert/charset.h"
#include "convert/code_format.h"

namespace gbkhex::cli {

inline constexpr std::size_t kDefaultChunkSize = 64 * 1024;

struct ConvertOptions {
  OutputFormat format = OutputFormat::Hexadecimal;
  // When set, the C format is wrapped in a declaration of the array NAME and
  // the constant NAME_len, fit to be included from any number of C and C++
  // files. Must be a valid array name (see ArrayNameProblem).
  std::string arrayName;
  // The characters the output must hold exactly.
  Charset charset = Charset::Gbk;
  // A character that `charset` does not hold is written as the window writes
  // it (a best fit, '?' or its GBK code) and counted, instead of stopping the
  // conversion.
  bool lossy = false;
  std::size_t chunkSize = kDefaultChunkSize;
};

// ": " and the text of the system error `error`, or nothing for 0: iostreams
// keep errno but do not promise to, so an unset errno just gives no reason.
std::string ErrnoReason(int error);

// An input that cannot be read or is not UTF-8. The message names the input.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A character that the charset does not hold. The message starts with
// NAME:LINE:COLUMN:, as compilers' messages do, for editors to find the place.
class CharacterError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The output stream refused bytes.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Write `text` to `out`, or flush `out`; throw OutputError, with the system's
// reason, when the stream refuses.
void WriteOutput(std::ostream& out, std::string_view text);
void FlushOutput(std::ostream& out);

// Where a character is: line and column from 1, in characters, a line ending
// at each LF.
struct TextPosition {
  std::uint64_t line = 1;
  std::uint64_t column = 1;
};

// Moves `position` past `units`; a surrogate pair is one character.
void Advance(TextPosition& position, std::u16string_view units) noexcept;

// Converts UTF-8 inputs to the code page 936 output of FormatNameToMac, one chunk
// at a time, so memory stays flat whatever the input size. Successive inputs
// form one stream: the C format's lines run on from one input into the next.
class StreamConverter {
 public:
  StreamConverter(ConvertOptions options, std::ostream& out);

  // Converts the whole of `in`, skipping a byte-order mark at its start. On
  // InputError or CharacterError the output for the text before the fault has
  // been written.
  void Convert(std::istream& in, std::string_view name);

  // Closes the array declaration, if any, and flushes the output.
  void Finish();

  // Bytes of code page 936 written so far.
  std::uint64_t ByteCount() const noexcept;

  // After a lossy conversion that substituted characters, one line (without
  // its line break) that says how many and where the first is; else "".
  std::string SubstitutionWarning() const;

 private:
  void Emit(std::u16string_view units, std::string_view name);
  void CountSubstitutions(std::u16string_view units, std::size_t first, std::string_view name);
  std::string PlaceOf(std::u16string_view units, std::size_t at, std::string_view name) const;
  void Write(std::string_view text);
  void WriteArrayEnd();

  ConvertOptions options_;
  std::ostream& out_;
  CodeWriter writer_;
  std::vector<std::uint8_t> input_;
  std::u16string units_;
  std::string output_;
  TextPosition position_;  // of the first unit of the next chunk, in the current input
  // Of a lossy conversion: how many characters were written as substitutes,
  // and where the first is ("NAME:LINE:COLUMN") and what it is.
  std::uint64_t substitutions_ = 0;
  std::string firstSubstitutionPlace_;
  std::string firstSubstitution_;
};

}  // namespace gbkhex::cli
