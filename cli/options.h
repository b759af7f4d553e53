#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "convert/charset.h"
#include "convert/choice_word.h"
#include "convert/glyph_layout_words.h"
#include "emit/convert_options.h"
#include "emit/header_options.h"
#include "emit/output_choice.h"

namespace gbkhex::cli {

// Every option of gbkhex-cli. A new option is a name here and rows in
// kOptionRows; the parser, --help and the man page follow from the rows.
enum class Option : std::size_t {
  Format,
  Array,
  Table,
  Nul,
  Type,
  Attribute,
  Include,
  Source,
  Charset,
  From,
  Lossy,
  List,
  Output,
  Decode,
  Glyphs,
  Font,
  Face,
  NarrowFont,
  NarrowFace,
  Size,
  Em,
  NarrowEm,
  Fit,
  BitsPerPixel,
  Baseline,
  Clip,
  Scan,
  BitOrder,
  Invert,
  Whole,
  Image,
  Preview,
  Help,
  Version,
};
inline constexpr std::size_t kOptionCount = static_cast<std::size_t>(Option::Version) + 1;

using OptionSet = std::bitset<kOptionCount>;

// What follows an option's name.
enum class ValueKind {
  None,    // a switch: --lossy
  Choice,  // one of the words of its rows, in any case: --format hex, --format C
  Text,    // free text, kept as given: --array NAME
};

// Which synopsis line an option belongs to.
enum class Usage {
  Convert,  // the text's bytes: the first line
  Glyphs,   // the glyphs of its characters, with the options of the first that go with them
  Decode,   // the way back
  Any,      // goes with both of them: -o FILE
  Alone,    // --help, --version: nothing else happens
};

// The value of a row of an option that takes a choice: its word and what the
// word means, for every enum that an option chooses from.
using ChoiceValue =
    std::variant<std::monostate, ChoiceWord<Format>, ChoiceWord<Charset>, ChoiceWord<InputText>,
                 ChoiceWord<glyphs::Scan>, ChoiceWord<glyphs::BitOrder>, ChoiceWord<glyphs::Depth>>;

// One row of the option table: an option, or one value of an option that takes
// a choice (each choice is a row of its own, so that --help and the man page
// can say what each does).
struct OptionRow {
  Option option{};
  std::string_view name{};  // the long name, without "--"
  char shortName = 0;       // '\0', or the letter of "-x"
  ValueKind kind = ValueKind::None;
  // The choice itself, from the words beside its enum (Choice).
  ChoiceValue choice{};
  // The placeholder that --help shows (Text).
  std::string_view placeholder{};
  // A line or two for --help, written as plain text; the man page starts the
  // option's entry with it.
  std::string_view summary{};
  // Further paragraphs for the man page, separated by blank lines; "" for none.
  std::string_view details{};
  Usage usage = Usage::Convert;
  bool isDefault = false;  // a choice that applies when the option is not given
  // The options that cannot go with this one, and those of which at least one
  // must be given with it. Taken from every row of an option, so one row of
  // each option is enough.
  OptionSet conflicts{};
  OptionSet requiresAnyOf{};
  bool repeatable = false;  // may be given many times, each value kept (Text)
};

// The table itself, in the order of --help and the man page.
std::span<const OptionRow> OptionRows() noexcept;

// What follows the option's name in --help: the choice's word, or the placeholder.
std::string_view ValueText(const OptionRow& row) noexcept;

// A bad command line: the message says what is wrong, for exit status 2.
using UsageError = OptionError;

// What the command line says, option by option.
struct ParsedArguments {
  // Per option: absent, or its value ("" for a switch; a choice in lower case,
  // as its row writes it).
  std::array<std::optional<std::string>, kOptionCount> values;
  // Per option that takes a choice: the one given, or else its default row's.
  std::array<ChoiceValue, kOptionCount> choices;
  // Per repeatable option: every value, in the order given.
  std::array<std::vector<std::string>, kOptionCount> repeated;
  // Every argument that is no option: the inputs, "-" for standard input.
  std::vector<std::string> operands;

  bool Has(Option option) const noexcept {
    return values[static_cast<std::size_t>(option)].has_value();
  }
  const std::optional<std::string>& Value(Option option) const noexcept {
    return values[static_cast<std::size_t>(option)];
  }
  // The choice of an option whose rows choose from `Enum`.
  template <typename Enum>
  Enum Choice(Option option) const {
    return std::get<ChoiceWord<Enum>>(choices[static_cast<std::size_t>(option)]).value;
  }
};

// Reads "--name value", "--name=value", "-x value", "-xvalue", and "--" after
// which every argument is an operand. Throws UsageError for an unknown option,
// a missing or unknown value, one option that is not repeatable given twice
// with different values,
// options that conflict, and an option given without one that it needs.
// `rows` is the option table, or in a test another one.
ParsedArguments ParseOptions(std::span<const std::string_view> args,
                             std::span<const OptionRow> rows = OptionRows());

// "--name", as --help and messages write an option.
std::string OptionName(Option option);

// "--a, --b or --c", the last two joined by `lastJoin` ("%s and %s" in the
// user's language, or by default "%s or %s"), in the order of Option.
std::string OptionNames(const OptionSet& options, std::string_view lastJoin = {});

}  // namespace gbkhex::cli
