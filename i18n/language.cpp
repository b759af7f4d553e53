#include "i18n/language.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <string>
#include <vector>

namespace gbkhex::i18n {
namespace {

// The first of `names` that is set and not empty, or "".
std::string_view FirstSet(const Environment& environment,
                          std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* value = environment(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

bool IsPosixLocale(std::string_view locale) noexcept {
  return locale.empty() || locale == "C" || locale == "POSIX" || locale.starts_with("C.");
}

// language[_TERRITORY] of language[_TERRITORY][.codeset][@modifier].
std::string_view LanguageAndTerritory(std::string_view locale) noexcept {
  return locale.substr(0, locale.find_first_of(".@"));
}

std::string Lowered(std::string_view text) {
  std::string lowered;
  for (const char c : text) {
    if (c == '-' || c == '_') continue;
    lowered += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return lowered;
}

bool ReadsCodePage936(std::string_view locale) {
  const std::size_t dot = locale.find('.');
  if (dot == std::string_view::npos) {
    const std::string_view name = LanguageAndTerritory(locale);
    return name == "zh_CN" || name == "zh_SG";
  }
  const std::string codeset = Lowered(locale.substr(dot + 1, locale.find('@') - dot - 1));
  return codeset == "gbk" || codeset == "gb18030" || codeset == "gb2312" || codeset == "euccn" ||
         codeset == "cp936";
}

bool IsEnglish(std::string_view locale) noexcept {
  const std::string_view name = LanguageAndTerritory(locale);
  return name == "en" || name.starts_with("en_") || IsPosixLocale(locale);
}

}  // namespace

Language LanguageOfLocale(std::string_view locale) noexcept {
  const std::string_view name = LanguageAndTerritory(locale);
  return name == "zh" || name == "zh_CN" || name == "zh_SG" ? Language::SimplifiedChinese
                                                            : Language::English;
}

Language LanguageOfTag(std::string_view tag) noexcept {
  std::vector<std::string> subtags;
  for (std::size_t start = 0; start <= tag.size();) {
    const std::size_t end = std::min(tag.find_first_of("-_", start), tag.size());
    subtags.push_back(Lowered(tag.substr(start, end - start)));
    start = end + 1;
  }
  if (subtags.front() != "zh") return Language::English;
  // A script (four letters) decides where there is one, else a region (two
  // letters, or three digits); a three-letter extension (zh-cmn) says neither.
  for (std::size_t i = 1; i < subtags.size(); ++i) {
    if (subtags[i].size() == 4) {
      return subtags[i] == "hans" ? Language::SimplifiedChinese : Language::English;
    }
    if (subtags[i].size() == 2 ||
        (subtags[i].size() == 3 && std::isdigit(static_cast<unsigned char>(subtags[i][0])))) {
      return subtags[i] == "cn" || subtags[i] == "sg" ? Language::SimplifiedChinese
                                                      : Language::English;
    }
  }
  return Language::SimplifiedChinese;
}

MessageLocale MessageLocaleOf(const Environment& environment) {
  MessageLocale chosen;
  chosen.gbkTerminal = ReadsCodePage936(FirstSet(environment, {"LC_ALL", "LC_CTYPE", "LANG"}));
  const std::string_view messages = FirstSet(environment, {"LC_ALL", "LC_MESSAGES", "LANG"});
  if (IsPosixLocale(messages)) return chosen;
  std::string_view preferences = FirstSet(environment, {"LANGUAGE"});
  while (!preferences.empty()) {
    const std::size_t colon = preferences.find(':');
    const std::string_view preference = preferences.substr(0, colon);
    preferences = colon == std::string_view::npos ? "" : preferences.substr(colon + 1);
    if (preference.empty()) continue;
    if (IsEnglish(preference)) return chosen;
    chosen.language = LanguageOfLocale(preference);
    if (chosen.language != Language::English) return chosen;
  }
  chosen.language = LanguageOfLocale(messages);
  return chosen;
}

}  // namespace gbkhex::i18n
