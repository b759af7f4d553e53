#include "i18n/messages.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <utility>

namespace gbkhex::i18n {
namespace {

constexpr std::uint32_t kMoMagic = 0x950412DE;
constexpr std::uint32_t kMoMagicSwapped = 0xDE120495;

// The 32-bit words of a .mo file, in the byte order its magic number shows.
class MoWords {
 public:
  explicit MoWords(std::string_view bytes) : bytes_(bytes) {}

  std::optional<std::uint32_t> At(std::size_t offset) const {
    if (offset > bytes_.size() || bytes_.size() - offset < 4) return std::nullopt;
    std::uint32_t word = 0;
    for (int i = 0; i < 4; ++i) {
      const auto byte = static_cast<std::uint8_t>(bytes_[offset + (bigEndian_ ? i : 3 - i)]);
      word = word << 8 | byte;
    }
    return word;
  }

  bool ReadByteOrder() {
    const auto magic = At(0);
    if (magic == kMoMagicSwapped) bigEndian_ = !bigEndian_;
    return magic == kMoMagic || magic == kMoMagicSwapped;
  }

  // The string whose length and offset stand at `offset`.
  std::optional<std::string_view> String(std::size_t offset) const {
    const auto length = At(offset);
    const auto start = At(offset + 4);
    if (!length || !start || *start > bytes_.size() || bytes_.size() - *start < *length) {
      return std::nullopt;
    }
    return bytes_.substr(*start, *length);
  }

 private:
  std::string_view bytes_;
  bool bigEndian_ = false;
};

// The number of plural forms that the catalog's header states, 0 where it states none.
int PluralForms(std::string_view header) {
  const std::size_t at = header.find("nplurals=");
  if (at == std::string_view::npos) return 0;
  const std::size_t digit = at + std::strlen("nplurals=");
  return digit < header.size() && header[digit] >= '0' && header[digit] <= '9' ? header[digit] - '0'
                                                                               : -1;
}

std::optional<Catalog>& ActiveCatalog() {
  static std::optional<Catalog> catalog;
  return catalog;
}

}  // namespace

std::optional<Catalog> Catalog::FromMo(std::string mo) {
  Catalog catalog;
  catalog.bytes_ = std::make_unique<const std::string>(std::move(mo));
  MoWords words(*catalog.bytes_);
  if (!words.ReadByteOrder()) return std::nullopt;
  const auto count = words.At(8);
  const auto originals = words.At(12);
  const auto translations = words.At(16);
  if (!count || !originals || !translations) return std::nullopt;
  for (std::uint32_t i = 0; i < *count; ++i) {
    const auto original = words.String(*originals + std::size_t{8} * i);
    const auto translation = words.String(*translations + std::size_t{8} * i);
    if (!original || !translation) return std::nullopt;
    // A plural entry's original is its singular, a NUL and its plural.
    catalog.entries_.emplace(original->substr(0, original->find('\0')), *translation);
  }
  const auto header = catalog.entries_.find("");
  const int forms = PluralForms(header == catalog.entries_.end() ? "" : header->second);
  if (forms > 2 || forms < 0) return std::nullopt;
  catalog.twoForms_ = forms == 2;
  return catalog;
}

std::optional<std::string_view> Catalog::Find(std::string_view message) const {
  const auto entry = entries_.find(message);
  if (entry == entries_.end() || message.empty()) return std::nullopt;
  return entry->second.substr(0, entry->second.find('\0'));
}

std::optional<std::string_view> Catalog::FindPlural(std::string_view singular,
                                                    std::uint64_t n) const {
  const auto entry = entries_.find(singular);
  if (entry == entries_.end() || singular.empty()) return std::nullopt;
  std::string_view forms = entry->second;
  if (twoForms_ && n != 1) {
    const std::size_t end = forms.find('\0');
    if (end == std::string_view::npos) return std::nullopt;
    forms.remove_prefix(end + 1);
  }
  return forms.substr(0, forms.find('\0'));
}

std::string SystemErrorText(int error) {
  // The C library's own words for the errors that files and fonts meet, as
  // messages of the catalog.
  static constexpr std::string_view kKnown[] = {
      Marked("No such file or directory"),
      Marked("Permission denied"),
      Marked("Is a directory"),
      Marked("Not a directory"),
      Marked("No space left on device"),
      Marked("Read-only file system"),
      Marked("File exists"),
      Marked("Input/output error"),
      Marked("Operation not permitted"),
      Marked("Too many open files"),
      Marked("File too large"),
      Marked("File name too long"),
      Marked("Too many levels of symbolic links"),
  };
  const std::string text = std::generic_category().message(error);
  if (std::find(std::begin(kKnown), std::end(kKnown), text) == std::end(kKnown)) return text;
  return std::string(Tr(text));
}

void UseCatalog(std::optional<Catalog> catalog) { ActiveCatalog() = std::move(catalog); }

std::string_view Tr(std::string_view message) {
  const auto& catalog = ActiveCatalog();
  if (!catalog) return message;
  return catalog->Find(message).value_or(message);
}

std::string_view TrN(std::string_view singular, std::string_view plural, std::uint64_t n) {
  const std::string_view english = n == 1 ? singular : plural;
  const auto& catalog = ActiveCatalog();
  if (!catalog) return english;
  return catalog->FindPlural(singular, n).value_or(english);
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> arguments) {
  return Fill(pattern, std::span<const std::string_view>(arguments.begin(), arguments.size()));
}

std::string Fill(std::string_view pattern, std::span<const std::string_view> arguments) {
  std::string text;
  std::size_t next = 0;
  for (std::size_t at = 0; at < pattern.size(); ++at) {
    if (pattern[at] != '%') {
      text += pattern[at];
      continue;
    }
    if (pattern.substr(at, 2) == "%%") {
      text += '%';
      ++at;
      continue;
    }
    // %s, or %N$s with N from 1.
    std::size_t end = at + 1;
    std::size_t number = 0;
    while (end < pattern.size() && pattern[end] >= '0' && pattern[end] <= '9') {
      number = number * 10 + static_cast<std::size_t>(pattern[end++] - '0');
    }
    const bool numbered = end > at + 1;
    if (numbered && end < pattern.size() && pattern[end] == '$') ++end;
    const bool placeholder = end < pattern.size() && pattern[end] == 's' &&
                             (numbered ? number > 0 && pattern[end - 1] == '$' : true);
    const std::size_t index = numbered ? number - 1 : next;
    if (!placeholder || index >= arguments.size()) {
      text += '%';
      continue;
    }
    text += arguments[index];
    if (!numbered) ++next;
    at = end;
  }
  return text;
}

}  // namespace gbkhex::i18n
