#include "glyphs/glyph_options.h"

#include <charconv>
#include <initializer_list>
#include <limits>
#include <string_view>
#include <vector>

#include "emit/c_names.h"
#include "emit/glyph_header.h"
#include "glyphs/font.h"
#include "glyphs/layout.h"
#include "i18n/messages.h"

namespace gbkhex::glyphs {
namespace {

using i18n::Fill;
using i18n::Tr;

constexpr int kAnyNumber = std::numeric_limits<int>::max();

// An option's value that is no whole number from `low` to `high`: refused
// with `refusal`, which says what the option takes, given the option, its
// value and then `range`.
void CheckNumber(const std::optional<std::string>& value, std::string_view option, int low,
                 int high, std::string_view refusal,
                 std::initializer_list<std::string_view> range = {}) {
  if (value && !WholeNumber(*value, low, high)) {
    std::vector<std::string_view> arguments{option, *value};
    arguments.insert(arguments.end(), range.begin(), range.end());
    throw OptionError(Fill(refusal, arguments));
  }
}

// A value that CheckGlyphOptions has let through.
std::optional<int> NumberOf(const std::optional<std::string>& value) {
  return value ? WholeNumber(*value, std::numeric_limits<int>::min(), kAnyNumber) : std::nullopt;
}

int PixelSizeOf(const GlyphOptionValues& values) {
  return NumberOf(values.size).value_or(kDefaultPixelSize);
}

// The one check of the glyph options' values, their ranges and how they go
// together, in the order that their messages come.
void CheckGlyphOptions(const GlyphOptionValues& values) {
  if (const std::string problem = ArrayNameProblem(values.name); !problem.empty()) {
    // TRANSLATORS: the second %s is a reason such as "is a keyword of C or C++".
    throw OptionError(Fill(Tr("glyph table name '%s' %s"), {values.name, problem}));
  }
  const std::string minSize = std::to_string(kMinPixelSize);
  CheckNumber(values.size, "--size", kMinPixelSize, kMaxPixelSize,
              Tr("%s '%s' is no pixel size from %s to %s"),
              {minSize, std::to_string(kMaxPixelSize)});
  if (values.preview == "-") {
    throw OptionError(std::string(Tr(
        "--preview - cannot be: a PNG picture is no text for a terminal or a pipe; name a file")));
  }
  if (values.image == "") throw OptionError(std::string(Tr("--image needs a file name")));
  if (values.type) {
    if (const std::string problem = GlyphTypeProblem(*values.type); !problem.empty()) {
      throw OptionError(Fill(Tr("--type '%s' %s"), {*values.type, problem}));
    }
  }
  const int bitsPerPixel = static_cast<int>(values.depth);
  if (const std::string problem = LayoutProblem(values.scan, bitsPerPixel); !problem.empty()) {
    throw OptionError(
        Fill(Tr("--scan %s cannot go with --bpp %s: %s"),
             {WordOf(kScanWords, values.scan), std::to_string(bitsPerPixel), problem}));
  }
  const int size = PixelSizeOf(values);
  const std::string sizeText = std::to_string(size);
  CheckNumber(values.baseline, "--baseline", 0, size,
              Tr("%s '%s' is no number of rows from 0 to %s (--size)"), {sizeText});
  CheckNumber(values.face, "--face", 0, kAnyNumber, Tr("%s '%s' is no face number from 0"));
  const std::string_view emRefusal = Tr("%s '%s' is no em in whole pixels from %s to %s (--size)");
  CheckNumber(values.em, "--em", kMinPixelSize, size, emRefusal, {minSize, sizeText});
  CheckNumber(values.narrowEm, "--narrow-em", kMinPixelSize, size, emRefusal, {minSize, sizeText});
  if (values.narrowFont) {
    CheckNumber(values.narrowFace, "--narrow-face", 0, kAnyNumber,
                Tr("%s '%s' is no face number from 0"));
  }
}

}  // namespace

std::optional<int> WholeNumber(const std::string& value, int low, int high) {
  int number = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, number);
  if (value.empty() || error != std::errc() || stop != end || number < low || number > high) {
    return std::nullopt;
  }
  return number;
}

GlyphRunOptions GlyphRunOptionsOf(const GlyphOptionValues& values) {
  CheckGlyphOptions(values);
  GlyphRunOptions options;
  options.name = values.name;
  options.pixelSize = PixelSizeOf(values);
  options.layout.scan = values.scan;
  options.layout.bitOrder = values.bitOrder;
  options.layout.invert = values.invert;
  options.preview = values.preview.value_or("");
  options.image = values.image.value_or("");
  options.whole = values.whole;
  options.style.type = values.type.value_or(options.style.type);
  options.style.attribute = values.attribute.value_or("");
  options.bitsPerPixel = static_cast<int>(values.depth);
  options.baseline = NumberOf(values.baseline);
  options.clip = values.clip;
  options.font.face = NumberOf(values.face);
  options.em = NumberOf(values.em);
  options.narrowEm = NumberOf(values.narrowEm);
  options.fit = values.fit;
  if (values.narrowFont) options.narrowFont.emplace().face = NumberOf(values.narrowFace);
  return options;
}

}  // namespace gbkhex::glyphs
