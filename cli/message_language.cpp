#include "cli/message_language.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <system_error>

#include "convert/gbk_codec.h"
#include "i18n/messages.h"
#include "text/utf8.h"

#ifdef _WIN32
#include <windows.h>

#include "cli/embedded_catalogs.h"
#endif

namespace gbkhex::cli {
namespace {

constexpr std::string_view kDomain = "gbkhex";

std::string_view LocaleFolderName(i18n::Language language) {
  return language == i18n::Language::SimplifiedChinese ? "zh_CN" : "";
}

#ifdef _WIN32
bool EnvironmentNamesALanguage() {
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

i18n::Language UserInterfaceLanguage() {
  const LANGID language = GetUserDefaultUILanguage();
  const bool simplified = PRIMARYLANGID(language) == LANG_CHINESE &&
                          (SUBLANGID(language) == SUBLANG_CHINESE_SIMPLIFIED ||
                           SUBLANGID(language) == SUBLANG_CHINESE_SINGAPORE);
  return simplified ? i18n::Language::SimplifiedChinese : i18n::Language::English;
}
#else
// The folder of locales beside the running program: ../share/locale from its folder.
std::filesystem::path InstalledLocaleFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return program.parent_path().parent_path() / "share" / "locale";
}
#endif

}  // namespace

std::filesystem::path CatalogPath(const std::filesystem::path& localeFolder,
                                  i18n::Language language) {
  return localeFolder / LocaleFolderName(language) / "LC_MESSAGES" / (std::string(kDomain) + ".mo");
}

void UseCatalogOf(i18n::Language language, const std::filesystem::path& localeFolder) {
  if (language == i18n::Language::English) return i18n::UseCatalog(std::nullopt);
  std::ifstream in(CatalogPath(localeFolder, language), std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  i18n::UseCatalog(in ? i18n::Catalog::FromMo(std::move(bytes)) : std::nullopt);
}

bool ChooseMessageLanguage() {
  const i18n::MessageLocale locale = i18n::MessageLocaleOf(std::getenv);
#ifdef _WIN32
  // A console shows UTF-16, and files and pipes get UTF-8.
  const i18n::Language language =
      EnvironmentNamesALanguage() ? locale.language : UserInterfaceLanguage();
  if (language == i18n::Language::SimplifiedChinese) {
    i18n::UseCatalog(i18n::Catalog::FromMo(std::string(kSimplifiedChineseCatalog)));
  }
  return false;
#else
  UseCatalogOf(locale.language, InstalledLocaleFolder());
  return locale.gbkTerminal;
#endif
}

std::string ForGbkTerminal(std::string_view text) {
  const GbkEncoder encoder;
  std::string out;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character character =
        DecodeUtf8Character(std::span<const std::uint8_t>(bytes + at, text.size() - at));
    if (character.length <= 1 || character.code > 0xFFFF ||
        !encoder.Holds(static_cast<char16_t>(character.code))) {
      const std::size_t length = character.length == 0 ? 1 : character.length;
      out.append(text.substr(at, length));
      at += length;
      continue;
    }
    const char16_t unit = static_cast<char16_t>(character.code);
    encoder.Append(std::u16string_view(&unit, 1), out);
    at += character.length;
  }
  return out;
}

GbkTerminalBuffer::~GbkTerminalBuffer() { Drain(true); }

std::streamsize GbkTerminalBuffer::xsputn(const char* text, std::streamsize count) {
  pending_.append(text, static_cast<std::size_t>(count));
  if (pending_.find('\n') != std::string::npos && !Drain(false)) return 0;
  return count;
}

GbkTerminalBuffer::int_type GbkTerminalBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

int GbkTerminalBuffer::sync() { return Drain(true) && target_.pubsync() == 0 ? 0 : -1; }

bool GbkTerminalBuffer::Drain(bool all) {
  // Up to the last line break, unless all: a character is never parted.
  const std::size_t end = all ? pending_.size() : pending_.rfind('\n') + 1;
  const std::string converted = ForGbkTerminal(std::string_view(pending_).substr(0, end));
  pending_.erase(0, end);
  return target_.sputn(converted.data(), static_cast<std::streamsize>(converted.size())) ==
         static_cast<std::streamsize>(converted.size());
}

}  // namespace gbkhex::cli
