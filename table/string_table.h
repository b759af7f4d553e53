#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gbkhex {

// A string table is UTF-8 text, one entry a line:
//
//   # a comment: the line's first non-blank character is '#'
//   menu_main = 主菜单
//   greeting  = "  Hello, \"world\"\n"
//
// Blank lines and comments are ignored. An entry is NAME = text: blanks
// around NAME and '=' are not part of the text, nor are the blanks that end
// the line. Or the text is in double quotes: then it is exactly what stands
// between them, with the escapes \" \\ \n \r \t, and only blanks may follow.
// Blanks are spaces and tabs; any other character (U+3000 too) is text. A
// line ends at LF; a CR just before the LF belongs to the line break (a table
// saved on Windows), any other CR is an error, so that a table of old Mac
// line breaks is not read as one line.
struct TableLine {
  enum class Kind { Ignored, Entry, Fault };
  Kind kind = Kind::Ignored;

  // Entry: the name (a view into the line) and where it starts.
  std::string_view name;
  std::size_t nameOffset = 0;
  // Entry: the text, its escapes resolved, and where it starts in the line
  // (after the opening '"' of a quoted text). The text is a view into the
  // line but where a quoted text holds escapes.
  std::string_view Text() const noexcept { return escaped ? std::string_view(resolved) : plain; }
  std::size_t textOffset = 0;
  bool quoted = false;
  std::string_view plain;
  std::string resolved;  // of a quoted text with escapes
  bool escaped = false;

  // Fault: the byte offset in the line of what is wrong, and what it is.
  std::size_t faultOffset = 0;
  std::string fault;
};

// Reads one line, given without its LF. The name must be fit for an array
// (ArrayNameProblem). The second form reuses `into`, whose resolved text
// keeps its memory from line to line.
TableLine ReadTableLine(std::string_view line);
void ReadTableLine(std::string_view line, TableLine& into);

// The names of a table's entries so far, to find a name given twice and a
// name that another entry's NAME_len takes.
class TableNames {
 public:
  struct Clash {
    std::uint64_t otherLine = 0;
    std::string what;  // names both lines
  };

  // Records the name of the entry on `line`, unless it clashes.
  std::optional<Clash> Add(std::string_view name, std::uint64_t line);

  // The names after this come from the input `name`: a clash with a name of
  // an earlier input names that input.
  void StartInput(std::string_view name);

 private:
  struct Name {
    std::uint64_t offset = 0;  // in text_, where the next name (or the text) ends it
    std::uint64_t line = 0;
  };
  // A slot of the open-addressing table: the name's index + 1 (0 for none)
  // and its hash's low half, so that probing and growing read slots alone.
  struct Slot {
    std::uint32_t index = 0;
    std::uint32_t hash = 0;
  };

  std::string_view NameAt(std::size_t index) const noexcept;
  // The index in names_ of `name`, whose hash is `hash`.
  std::optional<std::size_t> Find(std::string_view name, std::uint64_t hash) const;
  void Insert(std::string_view name, std::uint64_t hash, std::uint64_t line);
  void Place(Slot slot) noexcept;

  // An open-addressing table over one text of all names: a table of 10,000
  // entries asks it three times an entry, and allocates nothing per name.
  std::string text_;
  std::vector<Name> names_;
  std::vector<Slot> slots_;  // a power of two long
  // Each input: its name, and the index of its first name.
  std::vector<std::pair<std::string, std::size_t>> inputs_;
  std::string lengthName_;  // kept, as every entry needs one
  std::size_t namesEndingInLen_ = 0;
};

}  // namespace gbkhex
