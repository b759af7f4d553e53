#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/display_width.h"
#include "cli/fault.h"
#include "cli/input_decoder.h"
#include "cli/output_sink.h"
#include "convert/charset.h"
#include "convert/code_format.h"

namespace gbkhex::cli {

inline constexpr std::size_t kDefaultChunkSize = 64 * 1024;

// What the inputs are written in.
enum class InputText {
  Utf8,         // or UTF-16 where a byte-order mark says so
  CodePage936,  // the bytes already: --from gbk
};

struct ConvertOptions {
  OutputFormat format = OutputFormat::Hexadecimal;
  // When set, the C format is wrapped in a declaration of the array NAME and
  // the constant NAME_len, fit to be included from any number of C and C++
  // files. Must be a valid array name (see ArrayNameProblem).
  std::string arrayName;
  // The characters the output must hold exactly.
  Charset charset = Charset::Gbk;
  InputText from = InputText::Utf8;
  // A character that `charset` does not hold is written as the window writes
  // it (a best fit, '?' or its GBK code) and counted, instead of being a fault.
  bool lossy = false;
  std::size_t chunkSize = kDefaultChunkSize;
};

// What takes the characters of the inputs in place of their bytes (the glyphs
// of --glyphs): every character that the charset checks pass, in input order,
// substitutes of --lossy included. It may refuse characters, each refusal a
// fault at the character's place.
class CharacterTaker {
 public:
  virtual ~CharacterTaker() = default;
  // Takes the units of `units` from its start and returns how many it took:
  // all of them, or those before the first one that it refuses.
  virtual std::size_t Take(std::u16string_view units) = 0;
  // What is wrong with the unit that Take refused last, for its fault.
  virtual std::string Refusal(char16_t unit) const = 0;
};

// Converts inputs to the code page 936 output of FormatNameToMac, one chunk at
// a time, so memory stays flat whatever the input size. Successive inputs form
// one stream: the C format's lines run on from one input into the next.
//
// Every fault is handed to the FaultReport as it is found, and the conversion
// goes on to find the next: the output holds the text before the first fault,
// and nothing after it.
class StreamConverter {
 public:
  // With a `taker`, the characters go to it and no byte is written.
  StreamConverter(ConvertOptions options, OutputSink& out, FaultReport& faults,
                  CharacterTaker* taker = nullptr);

  // Converts the whole of `in`, named `name` in faults.
  void Convert(std::istream& in, std::string_view name);

  // A fault of an input that the caller could not open: it stops the output
  // as any other fault does.
  void Refuse(const Fault& fault);

  // Closes the array declaration, if there were no faults, and flushes.
  void Finish();

  // Whether a fault has stopped the output.
  bool Failed() const noexcept { return !writing_; }

  // Bytes of code page 936 written so far.
  std::uint64_t ByteCount() const noexcept;

  // After a lossy conversion that substituted characters, the warning that
  // says how many and where the first is.
  std::optional<Fault> SubstitutionWarning() const;

 private:
  std::size_t Decode(std::size_t begin, std::size_t end, bool atEnd);
  void Check(std::u16string_view units, bool mayHoldNul);
  void Emit(std::u16string_view units);
  template <typename PlaceOf>
  void Pass(std::u16string_view units, const PlaceOf& placeOf);
  void ReportIllFormed(std::span<const std::uint8_t> bytes, bool cutShort,
                       std::span<const std::uint8_t> following);
  void Report(Fault fault);
  Fault FaultAt(FaultKind kind, const TextPosition& position) const;
  void WriteArrayEnd();

  ConvertOptions options_;
  OutputSink& out_;
  FaultReport& faults_;
  CharacterTaker* taker_;
  CodeWriter writer_;
  std::vector<std::uint8_t> input_;
  std::u16string units_;
  std::u16string written_;  // units with GB 2312's readings, where they differ
  std::string output_;
  bool writing_ = true;
  // Of the current input.
  std::string name_;
  InputEncoding encoding_ = InputEncoding::Utf8;
  TextPosition position_;     // of the next character
  std::uint64_t offset_ = 0;  // in bytes, of the next byte to decode
  bool hinted_ = false;       // whether a fault of this input has given its hint
  // Of a lossy conversion: how many characters were written as substitutes,
  // and the first of them.
  std::uint64_t substitutions_ = 0;
  std::optional<Fault> firstSubstitution_;
};

}  // namespace gbkhex::cli
