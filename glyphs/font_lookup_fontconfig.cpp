// Installed fonts through fontconfig: a family name, with style words as
// fontconfig reads them ("Noto Sans CJK SC:style=Bold"), to a file and a face.

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>
#include <set>

#include "glyphs/font_source.h"
#include "i18n/messages.h"

namespace gbkhex::glyphs {
namespace {

struct ConfigDone {
  void operator()(FcConfig* config) const noexcept { FcConfigDestroy(config); }
};
using ConfigPointer = std::unique_ptr<FcConfig, ConfigDone>;
struct PatternDone {
  void operator()(FcPattern* pattern) const noexcept { FcPatternDestroy(pattern); }
};
using PatternPointer = std::unique_ptr<FcPattern, PatternDone>;
struct FontSetDone {
  void operator()(FcFontSet* set) const noexcept { FcFontSetDestroy(set); }
};
using FontSetPointer = std::unique_ptr<FcFontSet, FontSetDone>;
struct ObjectSetDone {
  void operator()(FcObjectSet* set) const noexcept { FcObjectSetDestroy(set); }
};
using ObjectSetPointer = std::unique_ptr<FcObjectSet, ObjectSetDone>;

const FcChar8* Text(const std::string& text) {
  return reinterpret_cast<const FcChar8*>(text.c_str());
}

ConfigPointer LoadConfig() {
  ConfigPointer config(FcInitLoadConfigAndFonts());
  if (!config) {
    throw FontError(
        std::string(i18n::Tr("cannot read the list of installed fonts (fontconfig failed)")));
  }
  return config;
}

// Every value of the string property `object`, a family in all its languages.
std::vector<std::string> Strings(const FcPattern* pattern, const char* object) {
  std::vector<std::string> values;
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(pattern, object, i, &value) == FcResultMatch; ++i) {
    values.emplace_back(reinterpret_cast<const char*>(value));
  }
  return values;
}

// Names told apart as fontconfig tells families apart: ASCII case and spaces
// aside.
std::string Folded(std::string_view name) {
  std::string folded;
  for (const char c : name) {
    if (c != ' ') folded += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return folded;
}

bool SameName(const std::string& a, const std::string& b) { return Folded(a) == Folded(b); }

bool NamesAny(const std::vector<std::string>& names, const std::vector<std::string>& wanted) {
  return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
    return std::any_of(wanted.begin(), wanted.end(),
                       [&](const std::string& one) { return SameName(name, one); });
  });
}

// The fonts that `pattern` lists exactly, with the values of `objects`.
FontSetPointer List(FcConfig* config, FcPattern* pattern,
                    std::initializer_list<const char*> objects) {
  ObjectSetPointer set(FcObjectSetCreate());
  for (const char* object : objects) FcObjectSetAdd(set.get(), object);
  return FontSetPointer(FcFontList(config, pattern, set.get()));
}

std::vector<std::string> ListedValues(FcConfig* config, FcPattern* pattern, const char* object) {
  std::set<std::string> values;
  if (const FontSetPointer fonts = List(config, pattern, {object})) {
    for (int i = 0; i < fonts->nfont; ++i) {
      for (std::string& value : Strings(fonts->fonts[i], object)) values.insert(std::move(value));
    }
  }
  return {values.begin(), values.end()};
}

[[noreturn]] void FailForStyle(FcConfig* config, const std::string& family,
                               const std::vector<std::string>& styles) {
  PatternPointer pattern(FcPatternCreate());
  FcPatternAddString(pattern.get(), FC_FAMILY, Text(family));
  std::string known;
  for (const std::string& style : ListedValues(config, pattern.get(), FC_STYLE)) {
    known.append(known.empty() ? "" : ", ").append(style);
  }
  throw FontError(i18n::Fill(i18n::Tr("font family '%s' has no style '%s' (its styles: %s)"),
                             {family, styles.front(), known}));
}

}  // namespace

FontSource FindInstalledFont(std::string_view request) {
  const std::string text(request);
  const ConfigPointer config = LoadConfig();
  const PatternPointer wanted(FcNameParse(Text(text)));
  const std::vector<std::string> families =
      wanted ? Strings(wanted.get(), FC_FAMILY) : std::vector<std::string>();
  if (families.empty()) {
    throw FontError(i18n::Fill(i18n::Tr("'%s' names no font family"), {text}));
  }
  const std::vector<std::string> styles = Strings(wanted.get(), FC_STYLE);

  FcConfigSubstitute(config.get(), wanted.get(), FcMatchPattern);
  FcDefaultSubstitute(wanted.get());
  FcResult result = FcResultNoMatch;
  const PatternPointer match(FcFontMatch(config.get(), wanted.get(), &result));
  // Fontconfig stands another family in for one it does not have.
  if (!match || !NamesAny(Strings(match.get(), FC_FAMILY), families)) {
    throw FontError(NotInstalledMessage(families.front(),
                                        NearestFamilies(families.front(), InstalledFamilies())));
  }
  if (!styles.empty() && !NamesAny(Strings(match.get(), FC_STYLE), styles)) {
    FailForStyle(config.get(), families.front(), styles);
  }
  FcChar8* file = nullptr;
  int index = 0;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) {
    throw FontError(i18n::Fill(i18n::Tr("fontconfig names no file for font '%s'"), {text}));
  }
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
  FontSource source;
  source.file = reinterpret_cast<const char*>(file);
  source.faceIndex = index;
  source.shownAs = source.file;
  return source;
}

std::vector<std::string> InstalledFamilies() {
  const ConfigPointer config = LoadConfig();
  const PatternPointer all(FcPatternCreate());
  return ListedValues(config.get(), all.get(), FC_FAMILY);
}

}  // namespace gbkhex::glyphs
