#pragma once

#include "convert/choice_word.h"

namespace gbkhex {

// How the bytes are written, as --format names it: hexadecimal pairs, C
// constants, or C string literals (a declaration of constants or of a literal).
enum class Format { Hexadecimal, C, String };

// The words of --format.
inline constexpr ChoiceWord<Format> kFormatWords[] = {
    {Format::Hexadecimal, "hex"}, {Format::C, "c"}, {Format::String, "string"}};

}  // namespace gbkhex
