#include "table/string_table.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "emit/c_names.h"
#include "i18n/messages.h"
#include "text/character_classes.h"

namespace gbkhex {
namespace {

using i18n::Fill;
using i18n::Tr;

std::size_t SkipBlanks(std::string_view line, std::size_t at) noexcept {
  while (at < line.size() && IsSpaceOrTab(line[at])) ++at;
  return at;
}

void Fault(TableLine& line, std::size_t offset, std::string what) {
  line.kind = TableLine::Kind::Fault;
  line.faultOffset = offset;
  line.fault = std::move(what);
}

// The byte of the escape whose second character is `c`.
std::optional<char> QuotedEscape(char c) noexcept {
  switch (c) {
    case '"':
    case '\\':
      return c;
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    default:
      return std::nullopt;
  }
}

// Reads the quoted text whose opening '"' is line[open] into `entry`.
void ReadQuoted(std::string_view line, std::size_t open, TableLine& entry) {
  entry.quoted = true;
  entry.textOffset = open + 1;
  for (std::size_t at = open + 1; at < line.size();) {
    // What lies before the next quote or backslash is text as it stands.
    const std::size_t special = std::min(line.find_first_of("\"\\", at), line.size());
    if (entry.escaped) entry.resolved.append(line.substr(at, special - at));
    at = special;
    if (at == line.size()) break;
    if (line[at] == '"') {
      if (!entry.escaped) entry.plain = line.substr(open + 1, at - open - 1);
      const std::size_t after = SkipBlanks(line, at + 1);
      if (after < line.size()) {
        Fault(entry, after,
              std::string(Tr("only blanks may follow the closing '\"' of a quoted text")));
      }
      return;
    }
    if (at + 1 == line.size()) break;
    const std::optional<char> escaped = QuotedEscape(line[at + 1]);
    if (!escaped) {
      Fault(entry, at,
            std::string(Tr("unknown escape in a quoted text (it knows \\\" \\\\ \\n \\r \\t)")));
      return;
    }
    if (!entry.escaped) entry.resolved.assign(line.substr(open + 1, at - open - 1));
    entry.escaped = true;
    entry.resolved += *escaped;
    at += 2;
  }
  Fault(entry, open, std::string(Tr("the quoted text has no closing '\"'")));
}

}  // namespace

TableLine ReadTableLine(std::string_view line) {
  TableLine read;
  ReadTableLine(line, read);
  return read;
}

void ReadTableLine(std::string_view line, TableLine& into) {
  into.kind = TableLine::Kind::Ignored;
  into.name = {};
  into.plain = {};
  into.resolved.clear();
  into.escaped = false;
  into.quoted = false;
  into.fault.clear();
  if (line.ends_with('\r')) line.remove_suffix(1);
  if (const std::size_t cr = line.find('\r'); cr != std::string_view::npos) {
    return Fault(into, cr,
                 std::string(Tr(
                     "a CR that is not part of a CR LF line break (line breaks are LF or CR LF)")));
  }
  const std::size_t start = SkipBlanks(line, 0);
  if (start == line.size() || line[start] == '#') return;

  std::size_t nameEnd = start;
  while (nameEnd < line.size() && IsIdentifierCharacter(line[nameEnd])) ++nameEnd;
  if (nameEnd == start) {
    return Fault(into, start,
                 std::string(Tr(
                     "expected NAME = text, a comment (#) or a blank line; NAME is ASCII letters, "
                     "digits and _")));
  }
  const std::string_view name = line.substr(start, nameEnd - start);
  const std::size_t equals = SkipBlanks(line, nameEnd);
  if (equals == line.size() || line[equals] != '=') {
    return Fault(into, equals, Fill(Tr("expected '=' after the name '%s'"), {name}));
  }
  if (const std::string problem = ArrayNameProblem(name); !problem.empty()) {
    // TRANSLATORS: the second %s is a reason such as "is a keyword of C or C++".
    return Fault(into, start, Fill(Tr("the name '%s' %s"), {name, problem}));
  }
  into.kind = TableLine::Kind::Entry;
  into.name = name;
  into.nameOffset = start;
  const std::size_t text = SkipBlanks(line, equals + 1);
  if (text < line.size() && line[text] == '"') return ReadQuoted(line, text, into);
  std::size_t end = line.size();
  while (end > text && IsSpaceOrTab(line[end - 1])) --end;
  into.textOffset = text;
  into.plain = line.substr(text, end - text);
}

std::string_view TableNames::NameAt(std::size_t index) const noexcept {
  const std::uint64_t end = index + 1 < names_.size() ? names_[index + 1].offset : text_.size();
  return std::string_view(text_).substr(names_[index].offset, end - names_[index].offset);
}

std::optional<std::size_t> TableNames::Find(std::string_view name, std::uint64_t hash) const {
  if (slots_.empty()) return std::nullopt;
  const std::size_t mask = slots_.size() - 1;
  const auto low = static_cast<std::uint32_t>(hash);
  for (std::size_t slot = low & mask;; slot = (slot + 1) & mask) {
    const Slot& held = slots_[slot];
    if (held.index == 0) return std::nullopt;
    if (held.hash == low && NameAt(held.index - 1) == name) return held.index - 1;
  }
}

void TableNames::Place(Slot slot) noexcept {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = slot.hash & mask;
  while (slots_[at].index != 0) at = (at + 1) & mask;
  slots_[at] = slot;
}

void TableNames::Insert(std::string_view name, std::uint64_t hash, std::uint64_t line) {
  if (names_.size() >= std::numeric_limits<std::uint32_t>::max() - 1) {
    throw std::length_error(std::string(Tr("a string table of more than 4,294,967,294 names")));
  }
  names_.push_back({text_.size(), line});
  text_.append(name);
  const Slot slot{static_cast<std::uint32_t>(names_.size()), static_cast<std::uint32_t>(hash)};
  // At most three quarters full, so that probes stay short.
  if (names_.size() * 4 > slots_.size() * 3) {
    std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2));
    old.swap(slots_);
    for (const Slot& held : old) {
      if (held.index != 0) Place(held);
    }
  }
  Place(slot);
}

void TableNames::StartInput(std::string_view name) { inputs_.emplace_back(name, names_.size()); }

std::optional<TableNames::Clash> TableNames::Add(std::string_view name, std::uint64_t line) {
  // " (lines 3 and 9)", or where the other name is in an earlier input,
  // " (a.txt:3 and line 9)".
  const auto lines = [this, line](std::size_t other) {
    const std::string otherLine = std::to_string(names_[other].line);
    const auto after =
        std::upper_bound(inputs_.begin(), inputs_.end(), other,
                         [](std::size_t index, const auto& input) { return index < input.second; });
    if (after == inputs_.end() || after == inputs_.begin()) {
      return Fill(Tr(" (lines %s and %s)"), {otherLine, std::to_string(line)});
    }
    return Fill(Tr(" (%s:%s and line %s)"),
                {std::prev(after)->first, otherLine, std::to_string(line)});
  };
  const std::uint64_t hash = NameHash(name);
  if (const auto other = Find(name, hash)) {
    return Clash{names_[*other].line,
                 Fill(Tr("the name '%s' is given twice%s"), {name, lines(*other)})};
  }
  if (const std::string_view owner = LengthNameOwner(name); !owner.empty()) {
    if (const auto other = Find(owner, NameHash(owner))) {
      return Clash{names_[*other].line, Fill(Tr("the name '%s' is the length constant of '%s'%s"),
                                             {name, owner, lines(*other)})};
    }
  }
  // Only a name that ends in "_len" can be another's length constant.
  if (namesEndingInLen_ > 0) {
    lengthName_.assign(name).append(kLengthSuffix);
    if (const auto other = Find(lengthName_, NameHash(lengthName_))) {
      return Clash{names_[*other].line,
                   Fill(Tr("the length constant of '%s', %s, is the name of another entry%s"),
                        {name, lengthName_, lines(*other)})};
    }
  }
  Insert(name, hash, line);
  if (name.ends_with(kLengthSuffix)) ++namesEndingInLen_;
  return std::nullopt;
}

}  // namespace gbkhex
