#include "cli/glyph_command.h"

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "emit/c_names.h"
#include "glyphs/font.h"
#include "glyphs/glyph_options.h"
#include "i18n/messages.h"
#include "platform/output_file.h"

namespace gbkhex::cli {
namespace {

using i18n::Fill;
using i18n::Tr;

constexpr std::string_view kFontExtensions[] = {".ttf", ".otf", ".ttc",   ".otc",
                                                ".bdf", ".pcf", ".pcf.gz"};

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
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
            glyphs::WholeNumber(value.substr(hash + 1), 0, std::numeric_limits<int>::max())) {
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

// The values of the glyph options, as the command line gives them.
glyphs::GlyphOptionValues GlyphValuesOf(const ParsedArguments& parsed) {
  return glyphs::GlyphOptionValues{
      .name = parsed.Value(Option::Glyphs).value_or(""),
      .size = parsed.Value(Option::Size),
      .baseline = parsed.Value(Option::Baseline),
      .face = parsed.Value(Option::Face),
      .em = parsed.Value(Option::Em),
      .narrowEm = parsed.Value(Option::NarrowEm),
      .narrowFace = parsed.Value(Option::NarrowFace),
      .preview = parsed.Value(Option::Preview),
      .image = parsed.Value(Option::Image),
      .type = parsed.Value(Option::Type),
      .attribute = parsed.Value(Option::Attribute),
      .scan = parsed.Choice<glyphs::Scan>(Option::Scan),
      .bitOrder = parsed.Choice<glyphs::BitOrder>(Option::BitOrder),
      .depth = parsed.Choice<glyphs::Depth>(Option::BitsPerPixel),
      .invert = parsed.Has(Option::Invert),
      .clip = parsed.Has(Option::Clip),
      .fit = parsed.Has(Option::Fit),
      .narrowFont = parsed.Has(Option::NarrowFont),
      .whole = parsed.Has(Option::Whole) ? std::optional(parsed.Choice<Charset>(Option::Whole))
                                         : std::nullopt};
}

}  // namespace

glyphs::GlyphRunOptions ParseGlyphOptions(const ParsedArguments& parsed) {
  glyphs::GlyphRunOptions options = glyphs::GlyphRunOptionsOf(GlyphValuesOf(parsed));
  if (const std::optional<std::string>& font = parsed.Value(Option::NarrowFont)) {
    glyphs::FontRequest request = ParseFontRequest(*font);
    if (options.narrowFont->face) request.face = options.narrowFont->face;
    options.narrowFont = std::move(request);
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
    throw UsageError(Fill(Tr("--font is required: the default font, GNU Unifont, is not "
                             "installed; looked in %s"),
                          {glyphs::DefaultFontLocation()}));
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
