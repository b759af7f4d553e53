#include "cli/glyph_command.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "emit/c_names.h"
#include "glyphs/font.h"
#include "platform/output_file.h"

namespace gbkhex::cli {
namespace {

constexpr std::string_view kFontExtensions[] = {".ttf", ".otf", ".ttc",   ".otc",
                                                ".bdf", ".pcf", ".pcf.gz"};

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

// `value` as a whole number from `low` to `high`, or nothing.
std::optional<int> WholeNumber(const std::string& value, int low, int high) {
  int number = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, number);
  if (value.empty() || error != std::errc() || stop != end || number < low || number > high) {
    return std::nullopt;
  }
  return number;
}

bool EndsInFontExtension(const std::string& font) {
  const std::string lowered = Lowered(font);
  return std::ranges::any_of(kFontExtensions, [&lowered](std::string_view extension) {
    return lowered.ends_with(extension);
  });
}

// Whether --font names a file rather than an installed family: a family name
// holds no folder and no font file's extension, and a file of that name in
// the working folder would be the font asked for.
bool NamesAFile(const std::string& font) {
#ifdef _WIN32
  if (font.find('\\') != std::string::npos) return true;
#endif
  if (font.find('/') != std::string::npos || EndsInFontExtension(font)) return true;
  std::error_code error;
  return std::filesystem::exists(std::filesystem::path(std::u8string(font.begin(), font.end())),
                                 error);
}

// A --font or --narrow-font: a file or an installed family, with the face
// that a # and its number after it name.
glyphs::FontRequest ParseFontRequest(const std::string& value) {
  glyphs::FontRequest request;
  std::string font = value;
  if (const std::size_t hash = value.rfind('#'); hash != std::string::npos && hash > 0) {
    if (const std::optional<int> face =
            WholeNumber(value.substr(hash + 1), 0, std::numeric_limits<int>::max())) {
      request.face = face;
      font = value.substr(0, hash);
    }
  }
  if (NamesAFile(font)) {
    request.font.file = font;
    request.font.shownAs = font;
  } else {
    request.family = font;
  }
  return request;
}

constexpr int kAnyNumber = std::numeric_limits<int>::max();

// An option's value that is no whole number from `low` to `high`: refused,
// the message saying what the option takes (`takes`).
void CheckNumber(const ParsedArguments& parsed, Option option, int low, int high,
                 const std::string& takes) {
  const std::optional<std::string>& value = parsed.Value(option);
  if (value && !WholeNumber(*value, low, high)) {
    throw UsageError(OptionName(option) + " '" + *value + "' is no " + takes);
  }
}

// A value that CheckGlyphOptions has let through.
std::optional<int> NumberOf(const ParsedArguments& parsed, Option option) {
  const std::optional<std::string>& value = parsed.Value(option);
  return value ? WholeNumber(*value, std::numeric_limits<int>::min(), kAnyNumber) : std::nullopt;
}

int PixelSizeOf(const ParsedArguments& parsed) {
  return NumberOf(parsed, Option::Size).value_or(glyphs::kDefaultPixelSize);
}

// The one check of the glyph options' values, their ranges and how they go
// together, in the order that their messages come.
void CheckGlyphOptions(const ParsedArguments& parsed) {
  const std::string name = parsed.Value(Option::Glyphs).value_or("");
  if (const std::string problem = ArrayNameProblem(name); !problem.empty()) {
    throw UsageError("glyph table name '" + name + "' " + problem);
  }
  const std::string minSize = std::to_string(glyphs::kMinPixelSize);
  CheckNumber(parsed, Option::Size, glyphs::kMinPixelSize, glyphs::kMaxPixelSize,
              "pixel size from " + minSize + " to " + std::to_string(glyphs::kMaxPixelSize));
  if (parsed.Value(Option::Preview) == "-") {
    throw UsageError(
        "--preview - cannot be: a PNG picture is no text for a terminal or a pipe; "
        "name a file");
  }
  if (parsed.Value(Option::Image) == "") throw UsageError("--image needs a file name");
  if (const std::optional<std::string>& type = parsed.Value(Option::Type)) {
    if (const std::string problem = GlyphTypeProblem(*type); !problem.empty()) {
      throw UsageError("--type '" + *type + "' " + problem);
    }
  }
  const glyphs::Scan scan = parsed.Choice<glyphs::Scan>(Option::Scan);
  const int bitsPerPixel = static_cast<int>(parsed.Choice<glyphs::Depth>(Option::BitsPerPixel));
  if (const std::string problem = glyphs::LayoutProblem(scan, bitsPerPixel); !problem.empty()) {
    throw UsageError("--scan " + std::string(WordOf(glyphs::kScanWords, scan)) +
                     " cannot go with --bpp " + std::to_string(bitsPerPixel) + ": " + problem);
  }
  const int size = PixelSizeOf(parsed);
  const std::string toSize = std::to_string(size) + " (--size)";
  CheckNumber(parsed, Option::Baseline, 0, size, "number of rows from 0 to " + toSize);
  CheckNumber(parsed, Option::Face, 0, kAnyNumber, "face number from 0");
  for (const Option em : {Option::Em, Option::NarrowEm}) {
    CheckNumber(parsed, em, glyphs::kMinPixelSize, size,
                "em in whole pixels from " + minSize + " to " + toSize);
  }
  if (parsed.Has(Option::NarrowFont)) {
    CheckNumber(parsed, Option::NarrowFace, 0, kAnyNumber, "face number from 0");
  }
}

}  // namespace

glyphs::GlyphRunOptions ParseGlyphOptions(const ParsedArguments& parsed) {
  CheckGlyphOptions(parsed);
  glyphs::GlyphRunOptions options;
  options.name = parsed.Value(Option::Glyphs).value_or("");
  options.pixelSize = PixelSizeOf(parsed);
  options.layout.scan = parsed.Choice<glyphs::Scan>(Option::Scan);
  options.layout.bitOrder = parsed.Choice<glyphs::BitOrder>(Option::BitOrder);
  options.layout.invert = parsed.Has(Option::Invert);
  options.preview = parsed.Value(Option::Preview).value_or("");
  options.image = parsed.Value(Option::Image).value_or("");
  if (parsed.Has(Option::Whole)) options.whole = parsed.Choice<Charset>(Option::Whole);
  options.style.type = parsed.Value(Option::Type).value_or(options.style.type);
  options.style.attribute = parsed.Value(Option::Attribute).value_or("");
  options.bitsPerPixel = static_cast<int>(parsed.Choice<glyphs::Depth>(Option::BitsPerPixel));
  options.baseline = NumberOf(parsed, Option::Baseline);
  options.clip = parsed.Has(Option::Clip);
  options.font.face = NumberOf(parsed, Option::Face);
  options.em = NumberOf(parsed, Option::Em);
  options.narrowEm = NumberOf(parsed, Option::NarrowEm);
  options.fit = parsed.Has(Option::Fit);
  if (const std::optional<std::string>& font = parsed.Value(Option::NarrowFont)) {
    options.narrowFont = ParseFontRequest(*font);
    if (parsed.Has(Option::NarrowFace))
      options.narrowFont->face = NumberOf(parsed, Option::NarrowFace);
  }
  const std::vector<std::string>& fonts = parsed.repeated[static_cast<std::size_t>(Option::Font)];
  for (std::size_t i = 1; i < fonts.size(); ++i) {
    options.laterFonts.push_back(ParseFontRequest(fonts[i]));
  }
  if (!fonts.empty()) {
    glyphs::FontRequest first = ParseFontRequest(fonts.front());
    if (!options.font.face) options.font.face = first.face;
    options.font.font = std::move(first.font);
    options.font.family = std::move(first.family);
  } else if (std::optional<glyphs::FontSource> found = glyphs::FindDefaultFont()) {
    options.font.font = std::move(*found);
  } else {
    std::string what = "--font is required: the default font, GNU Unifont, is not installed; ";
    throw UsageError(what.append("looked in ").append(glyphs::DefaultFontLocation()));
  }
  return options;
}

std::ostream& GlyphOutputFiles::Image(const std::string& name) {
  try {
    return files_.image.emplace(name).Stream();
  } catch (const platform::OutputFileError& error) {
    throw glyphs::GlyphFileError(error.what());
  }
}

std::ostream& GlyphOutputFiles::Picture(const std::string& name) {
  try {
    return files_.picture.emplace(name).Stream();
  } catch (const platform::OutputFileError& error) {
    throw glyphs::GlyphFileError(error.what());
  }
}

}  // namespace gbkhex::cli
