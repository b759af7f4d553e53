#pragma once

#include <cstddef>

#include "convert/charset.h"
#include "convert/choice_word.h"
#include "emit/output_choice.h"
#include "text/input_reader.h"

namespace gbkhex {

// What the inputs are written in.
enum class InputText {
  Utf8,         // or UTF-16 where a byte-order mark says so
  CodePage936,  // the bytes already: --from gbk
};

// The words of --from.
inline constexpr ChoiceWord<InputText> kInputTextWords[] = {{InputText::Utf8, "utf-8"},
                                                            {InputText::CodePage936, "gbk"}};

// What a conversion writes, and what it holds the text to.
struct ConvertOptions {
  OutputChoice choice;
  // The inputs are one string table (--table): Output::Table writes its
  // header, and List and Glyphs take its texts.
  bool table = false;
  // The characters the output must hold exactly.
  Charset charset = Charset::Gbk;
  InputText from = InputText::Utf8;
  // A character that `charset` does not hold is written as the window writes
  // it (a best fit, '?' or its GBK code) and counted, instead of being a fault.
  bool lossy = false;
  std::size_t chunkSize = kDefaultChunkSize;
};

}  // namespace gbkhex
