#pragma once

#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include "i18n/language.h"

namespace gbkhex::cli {

// The catalog's place below a folder of locales: zh_CN/LC_MESSAGES/gbkhex.mo.
std::filesystem::path CatalogPath(const std::filesystem::path& localeFolder,
                                  i18n::Language language);

// Reads the catalog of `language` from `localeFolder` and makes it the one that
// messages are translated with; English where it is English or the catalog
// cannot be read, as gettext falls back.
void UseCatalogOf(i18n::Language language, const std::filesystem::path& localeFolder);

// Chooses the messages' language once, at start, from the environment (and on
// Windows, where none of its variables says, from the user's UI language),
// with the catalogs installed beside the program (../share/locale from its
// folder, in the build tree as in /usr). Returns whether the terminal reads
// code page 936 rather than UTF-8.
bool ChooseMessageLanguage();

// UTF-8 `text` for a terminal that reads code page 936: every character that
// GBK holds exactly as its GBK bytes; bytes that are no UTF-8 (a file name in
// the terminal's own encoding) and characters that GBK lacks (the one that an
// error is about, whose U+XXXX it states) as they are.
std::string ForGbkTerminal(std::string_view text);

// A stream buffer that writes what it is given to `target` ForGbkTerminal, a
// whole character at a time: standard error on such a terminal.
class GbkTerminalBuffer : public std::streambuf {
 public:
  explicit GbkTerminalBuffer(std::streambuf& target) noexcept : target_(target) {}
  ~GbkTerminalBuffer() override;

 protected:
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  bool Drain(bool all);

  std::streambuf& target_;
  std::string pending_;
};

}  // namespace gbkhex::cli
