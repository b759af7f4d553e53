#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/fault.h"

namespace gbkhex {

struct DecodedDump {
  // UTF-8 of the characters decoded before any fault.
  std::string text;
  // What is wrong and at which byte offset of the dump, if anything is; the
  // caller names the input.
  std::optional<Fault> fault;
};

// Decodes a dump of code page 936 bytes back to UTF-8 text. A dump is one of:
// - hexadecimal pairs, blanks optional, either case: "CA AE C1F9";
// - C constants: "0XCA,0XAE," as --format c writes them, or as xxd -i does;
// - a C array declaration, as --array or xxd -i write it: only the numbers
//   inside its braces count (C integer constants, decimal and octal too);
// - C string literals, as --format string writes them, adjacent literals
//   joined as a compiler joins them; or declarations of literals, where the
//   literals after each '=' count.
// A header of several declarations gives their bytes one after another.
// Comments, /* */ and //, count nowhere. The bytes 0D 0A come out as CR LF.
DecodedDump DecodeDump(std::string_view dump);

}  // namespace gbkhex
