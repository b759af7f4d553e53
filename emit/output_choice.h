#pragma once

#include <string>

#include "convert/choice_word.h"
#include "convert/code_format.h"
#include "emit/header_writer.h"

namespace gbkhex {

// What a run writes. A front end chooses it once, from its options; every
// step after that asks this, and nothing else, what to write.
enum class Output {
  Bytes,     // the bytes as hexadecimal pairs or C constants
  Literals,  // C string literals, to paste where a string goes
  Array,     // a header that declares one array of the bytes
  Table,     // a header that declares an array for each entry of a string table
  List,      // the distinct characters, instead of the bytes
  Glyphs,    // a header of the characters' glyphs, drawn from a font
  Decode,    // the text back, from a dump of its bytes
};

// How the bytes are written, as --format names it: hexadecimal pairs, C
// constants, or C string literals (a declaration of constants or of a literal).
enum class Format { Hexadecimal, C, String };

// The words of --format.
inline constexpr ChoiceWord<Format> kFormatWords[] = {
    {Format::Hexadecimal, "hex"}, {Format::C, "c"}, {Format::String, "string"}};

// The output and what shapes it.
struct OutputChoice {
  Output output = Output::Bytes;
  // Of Bytes: hexadecimal pairs or C constants.
  OutputFormat format = OutputFormat::Hexadecimal;
  // Of Array: the array's name, which must pass ArrayNameProblem.
  std::string name{};
  // Of Array and Table: constants or a literal, and the words around the name.
  DeclarationStyle style{};
  // Of Bytes, Array and Table: a 00 byte after the text (after each entry's),
  // which NAME_len does not count; a literal ends in its own.
  bool nul = false;
  // Of Array and Table with a source file: the name by which the source
  // includes the header, which then only declares; "" for a header alone.
  std::string headerName{};
};

}  // namespace gbkhex
