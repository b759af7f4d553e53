#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Lines of text for a terminal or a page set by roff, broken where the text's
// language allows: at blanks, and between Chinese ideographs, which need no
// blank to part them, but never before closing punctuation (，。）) or after
// opening punctuation (（「).
namespace gbkhex {

// Joins two words that no line break may part; written as a blank.
inline constexpr char kWordJoiner = '\x01';

// The columns that UTF-8 `text` takes on a terminal.
std::size_t TextColumns(std::string_view text);

// `text` cut into lines of at most `width` columns, the first starting at
// `firstColumn` of a line that the caller has begun, the others indented by
// `indent`; every line ends in a line break. A word wider than a line is not
// cut.
std::string WrappedLines(std::string_view text, std::size_t firstColumn, std::size_t indent,
                         std::size_t width = 80);

// `text` with `mark` at every place between wide characters where a line may
// break: for a typesetter that breaks only at blanks.
std::string WithBreakMarks(std::string_view text, std::string_view mark);

}  // namespace gbkhex
