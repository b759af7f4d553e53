#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "convert/code_format.h"

namespace gbkhex::cli {

inline constexpr std::size_t kDefaultChunkSize = 64 * 1024;

struct ConvertOptions {
  OutputFormat format = OutputFormat::Hexadecimal;
  // When set, the C format is wrapped in `const unsigned char NAME[] = {` ... `};`
  // followed by the constant NAME_len. Must be a C identifier.
  std::string arrayName;
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

// The output stream refused bytes.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Converts UTF-8 inputs to the code page 936 output of FormatNameToMac, one chunk
// at a time, so memory stays flat whatever the input size. Successive inputs
// form one stream: the C format's lines run on from one input into the next.
class StreamConverter {
 public:
  StreamConverter(ConvertOptions options, std::ostream& out);

  // Converts the whole of `in`, skipping a byte-order mark at its start. On
  // InputError the output for the text before the fault has been written.
  void Convert(std::istream& in, std::string_view name);

  // Closes the array declaration, if any, and flushes the output.
  void Finish();

  // Bytes of code page 936 written so far.
  std::uint64_t ByteCount() const noexcept;

 private:
  void Emit(std::u16string_view units);
  void Write(std::string_view text);
  void WriteArrayEnd();

  ConvertOptions options_;
  std::ostream& out_;
  CodeWriter writer_;
  std::vector<std::uint8_t> input_;
  std::u16string units_;
  std::string output_;
};

}  // namespace gbkhex::cli
