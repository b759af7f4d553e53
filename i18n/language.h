#pragma once

#include <functional>
#include <string_view>

namespace gbkhex::i18n {

// The languages that messages come in: the program's own, and those of its catalogs.
enum class Language { English, SimplifiedChinese };

// What a POSIX environment asks messages to be in.
struct MessageLocale {
  Language language = Language::English;
  // Whether the terminal reads code page 936 (a GBK, GB18030 or GB2312 locale)
  // rather than UTF-8.
  bool gbkTerminal = false;
};

// The value of an environment variable, or null where it is unset.
using Environment = std::function<const char*(const char*)>;

// The language of a locale name such as zh_CN.UTF-8 or zh_SG: Simplified
// Chinese for zh, zh_CN and zh_SG, English for every other (zh_TW and zh_HK
// among them, until a Traditional catalog exists).
Language LanguageOfLocale(std::string_view locale) noexcept;

// The language of a BCP 47 tag as a browser states its user's (zh-CN,
// zh-Hans-SG, en-US), by the same rule: Simplified Chinese for zh, zh-CN,
// zh-SG and the Hans script, English for every other (zh-TW, zh-HK, zh-Hant).
Language LanguageOfTag(std::string_view tag) noexcept;

// The messages' language as GNU programs choose it: the locale of messages is
// LC_ALL, else LC_MESSAGES, else LANG; where it is C or POSIX messages are in
// English, else LANGUAGE, a colon-separated list of preferences, decides by
// its first entry that names English or a language with a catalog, and the
// locale itself where it has none. The terminal's encoding is the codeset of
// LC_ALL, else LC_CTYPE, else LANG; zh_CN and zh_SG without one are GB2312,
// as the C library defines them.
MessageLocale MessageLocaleOf(const Environment& environment);

}  // namespace gbkhex::i18n
