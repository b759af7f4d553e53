#pragma once

#include <cstddef>
#include <string>

#include "convert/charset.h"
#include "convert/code_format.h"
#include "text/input_reader.h"

namespace gbkhex {
class CharacterTaker;
}

namespace gbkhex::cli {

// What the inputs are written in.
enum class InputText {
  Utf8,         // or UTF-16 where a byte-order mark says so
  CodePage936,  // the bytes already: --from gbk
};

// What a conversion writes, and what it holds the text to.
struct ConvertOptions {
  OutputFormat format = OutputFormat::Hexadecimal;
  // C string literals in place of `format`'s bytes (--format string).
  bool literals = false;
  // When set, the bytes are wrapped in a declaration of the array NAME and
  // the constant NAME_len, fit to be included from any number of C and C++
  // files: C constants, or a literal. Must be a valid array name (see
  // ArrayNameProblem).
  std::string arrayName;
  // The words before the declaration's name and after its "[]" (--type,
  // --attribute); "" for the defaults. Must pass TypeProblem and
  // AttributeProblem.
  std::string type;
  std::string attribute;
  // A 00 byte after the text (--nul), which NAME_len does not count; a
  // literal ends in its own.
  bool nul = false;
  // The input is a string table, written as one header (--table).
  bool table = false;
  // The distinct characters of the text instead of its bytes (--list).
  bool list = false;
  // The characters the output must hold exactly.
  Charset charset = Charset::Gbk;
  InputText from = InputText::Utf8;
  // A character that `charset` does not hold is written as the window writes
  // it (a best fit, '?' or its GBK code) and counted, instead of being a fault.
  bool lossy = false;
  std::size_t chunkSize = kDefaultChunkSize;
  // When set, the characters that pass the checks go to it (the glyphs of
  // --glyphs), and nothing is written.
  CharacterTaker* taker = nullptr;
};

}  // namespace gbkhex::cli
