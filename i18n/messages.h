#pragma once

// The program's messages in the user's language: GNU gettext catalogs (.mo),
// read without the C library's gettext, so that the language follows the
// environment even where no locale is generated, a static program and the
// Windows .exe carry their own, and the page can use the same catalog.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace gbkhex::i18n {

// The translations of one .mo file.
class Catalog {
 public:
  // The catalog in `mo`, a .mo file's bytes (either byte order), or nothing
  // when they are no .mo file or state a plural rule other than Chinese's one
  // form or English's two.
  static std::optional<Catalog> FromMo(std::string mo);

  Catalog(const Catalog&) = delete;
  Catalog& operator=(const Catalog&) = delete;
  Catalog(Catalog&&) noexcept = default;
  Catalog& operator=(Catalog&&) noexcept = default;

  // The translation of `message`, or nothing where the catalog has none.
  std::optional<std::string_view> Find(std::string_view message) const;
  // The translation for the count `n`, or nothing where the catalog has none.
  std::optional<std::string_view> FindPlural(std::string_view singular, std::uint64_t n) const;

 private:
  Catalog() = default;

  // Where the entries point into: the same bytes wherever the catalog moves.
  std::unique_ptr<const std::string> bytes_;
  // Keyed by the message (a plural entry by its singular), each translation
  // with its plural forms separated by NUL.
  std::unordered_map<std::string_view, std::string_view> entries_;
  bool twoForms_ = false;
};

// Makes `catalog` the one that Tr and TrN translate with from now on, or
// none for English. The front end calls it once, at start, before any thread.
void UseCatalog(std::optional<Catalog> catalog);

// Marks a message for the catalog that is translated later, where it is
// shown (a row of a table): xgettext finds it by this name.
constexpr const char* Marked(const char* message) noexcept { return message; }

// `message` in the user's language, UTF-8; itself where there is no translation.
std::string_view Tr(std::string_view message);

// The form of a message for the count `n` in the user's language: in English
// `singular` for 1, else `plural`.
std::string_view TrN(std::string_view singular, std::string_view plural, std::uint64_t n);

// The system's words for errno value `error`, as std::generic_category()
// gives them, in the user's language where the catalog has them.
std::string SystemErrorText(int error);

// `pattern` with its placeholders filled: %s takes the next argument, %N$s
// the Nth (from 1), %% is a %. A translation may reorder the arguments, and
// msgfmt --check holds it to the same ones as the message.
std::string Fill(std::string_view pattern, std::span<const std::string_view> arguments);
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> arguments);

}  // namespace gbkhex::i18n
