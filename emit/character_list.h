#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>


namespace gbkhex {

// What --list writes: the distinct characters of a text in order of first
// appearance, one tab-separated line each after a header line:
//
//   char    unicode  utf8      gbk    quwei  count
//   十      U+5341   E5 8D 81  CA AE  4214   3
//
// The character itself, or, for one that would break the line or not show
// (a control, a zero-width or reordering mark, a line separator), "\n", "\r",
// "\t" or "\u" and four digits; its code point; its UTF-8 bytes; its code page
// 936 bytes; its GB 2312 zone and position (区位码), four digits, empty where
// GB 2312 has no such character (ASCII included); how often it appears. The
// words of the header line are one word each, for awk and spreadsheets.
// Memory grows with the number of distinct characters only.

class CharacterList {
 public:
  // The code page 936 bytes of a character, as the conversion writes them.
  using BytesOf = std::function<std::string(char32_t)>;

  CharacterList();

  // Counts the characters of `units`; a surrogate pair is one character, even
  // when a call ends between its halves.
  void Count(std::u16string_view units);

  std::size_t DistinctCount() const noexcept { return characters_.size(); }

  // Appends the header line and a line for each character, each ending in LF.
  void Write(std::string& out, const BytesOf& bytesOf);

  // The code page 936 bytes of each UTF-16 unit of the character.
  static std::string CodePage936Bytes(char32_t character);

 private:
  void Add(char32_t character);

  struct Seen {
    char32_t character;
    std::uint64_t count;
  };
  std::vector<Seen> characters_;
  // Index + 1 into characters_ for each unit value, 0 where not seen yet.
  std::unique_ptr<std::uint32_t[]> basicIndex_;
  std::unordered_map<char32_t, std::size_t> supplementaryIndex_;
  char16_t pendingHigh_ = 0;
};

}  // namespace gbkhex
