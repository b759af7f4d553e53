// The browser page's Form1 below its controls, compiled to WebAssembly: the
// same model of the refresh as the other front ends', and the conversion.
// The page copies Text1's units in and gets back only the span of Text2 that
// changed with its new text, so a keystroke costs the browser a small edit of
// Text2 instead of a new layout of all of it.

#include <emscripten/emscripten.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/code_format.h"
#include "window/model/form1_model.h"

namespace gbkhex {
namespace {

// Read by the page from memory as six 32-bit words.
struct Text2UpdateWords {
  std::uint32_t whole = 0;  // 1: replace all of Text2's text with the output
  std::uint32_t start = 0;
  std::uint32_t removed = 0;
  std::uint32_t inserted = 0;
  // All of the new output, for a page that lays Text2 out in blocks of lines.
  const char* output = nullptr;
  std::uint32_t outputSize = 0;
};
static_assert(sizeof(Text2UpdateWords) == 6 * sizeof(std::uint32_t));

class Form1Core {
 public:
  char16_t* Room(std::size_t units) {
    input_.resize(units);
    return input_.data();
  }

  // The first `units` units of the room, converted as they are. Like every
  // text that Output() gives, it stays valid until the next call into the core.
  std::size_t Convert(std::size_t units, OutputFormat format) {
    output_.clear();
    CodeWriter(format).Append(Input(units), output_);
    return output_.size();
  }

  std::size_t NumToStrHex(std::int32_t num, std::int16_t bytLen) {
    output_ = gbkhex::NumToStrHex(num, bytLen);
    return output_.size();
  }

  const char* Output() const noexcept { return output_.data(); }

  const Text2UpdateWords& Refresh(std::size_t units, OutputFormat format) {
    const Text2Update& update = model_.Refresh(Input(units), format);
    words_ = {update.whole ? 1u : 0u,      Size32(update.span.start),
              Size32(update.span.removed), Size32(update.span.inserted),
              model_.Output().data(),      Size32(model_.Output().size())};
    return words_;
  }

  void Text2Edited() noexcept { model_.Text2Edited(); }

 private:
  // Sizes in a 32-bit address space.
  static std::uint32_t Size32(std::size_t size) noexcept {
    return static_cast<std::uint32_t>(size);
  }

  std::u16string_view Input(std::size_t units) const {
    return std::u16string_view(input_).substr(0, units);
  }

  std::u16string input_;
  std::string output_;
  // A text box in a page holds "\n" for a line break.
  Form1Model model_{InputLineBreak::Lf, LineBreak::Lf};
  Text2UpdateWords words_;
};

Form1Core& Core() {
  static Form1Core core;
  return core;
}

OutputFormat FormatOf(int hexadecimal) {
  return hexadecimal != 0 ? OutputFormat::Hexadecimal : OutputFormat::C;
}

}  // namespace
}  // namespace gbkhex

// The page's entry points: text passes through the room as UTF-16 units, and
// comes back as ASCII at gbkhex_output().
extern "C" {

EMSCRIPTEN_KEEPALIVE char16_t* gbkhex_room(std::size_t units) { return gbkhex::Core().Room(units); }

EMSCRIPTEN_KEEPALIVE std::size_t gbkhex_convert(std::size_t units, int hexadecimal) {
  return gbkhex::Core().Convert(units, gbkhex::FormatOf(hexadecimal));
}

// bytLen arrives as any 32-bit number and keeps its low 16 bits, the width's own type.
EMSCRIPTEN_KEEPALIVE std::size_t gbkhex_num_to_str_hex(std::int32_t num, std::int32_t bytLen) {
  return gbkhex::Core().NumToStrHex(num, static_cast<std::int16_t>(bytLen));
}

EMSCRIPTEN_KEEPALIVE const char* gbkhex_output() { return gbkhex::Core().Output(); }

EMSCRIPTEN_KEEPALIVE const gbkhex::Text2UpdateWords* gbkhex_refresh(std::size_t units,
                                                                    int hexadecimal) {
  return &gbkhex::Core().Refresh(units, gbkhex::FormatOf(hexadecimal));
}

EMSCRIPTEN_KEEPALIVE void gbkhex_text2_edited() { gbkhex::Core().Text2Edited(); }
}
