#pragma once

#include <cstddef>
#include <string_view>

namespace gbkhex {

// A value of an enum as a user writes it: one word of a choice on the command
// line (--charset gb2312), which --help, the man page and the output's own
// comments repeat. Each enum that a user chooses keeps its words beside it.
template <typename Enum>
struct ChoiceWord {
  Enum value;
  std::string_view word;
};

// The entry of `words` for `value`; every value of an enum has one.
template <typename Enum, std::size_t N>
constexpr ChoiceWord<Enum> Word(const ChoiceWord<Enum> (&words)[N], Enum value) noexcept {
  for (const ChoiceWord<Enum>& entry : words) {
    if (entry.value == value) return entry;
  }
  return {value, {}};
}

template <typename Enum, std::size_t N>
constexpr std::string_view WordOf(const ChoiceWord<Enum> (&words)[N], Enum value) noexcept {
  return Word(words, value).word;
}

}  // namespace gbkhex
