#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "convert/gbk_codec.h"
#include "text/characters.h"
#include "text/display_width.h"
#include "text/fault.h"
#include "text/input_decoder.h"

namespace gbkhex {

// What takes the characters of the text in place of an output (the glyphs of
// --glyphs): every character that the checks pass, in input order, substitutes
// of --lossy included, after a fault too. It may refuse characters, each
// refusal a fault at the character's place.
class CharacterTaker {
 public:
  virtual ~CharacterTaker() = default;
  // Takes the units of `units` from its start and returns how many it took:
  // all of them, or those before the first one that it refuses.
  virtual std::size_t Take(std::u16string_view units) = 0;
  // What is wrong with the unit that Take refused last, for its fault.
  virtual std::string Refusal(char16_t unit) const = 0;
};

// What gbkhex-cli holds against the text it reads, for every way of reading
// it, worded here once: bytes that are no text in the input's encoding, U+0000
// (which would end a C string early), and characters that the charset does not
// hold exactly, which are faults or, with --lossy, substitutes that one
// warning counts. Every fault goes to the FaultSink as it is found.
class TextCheck {
 public:
  // With a `taker`, what passes the checks goes to it as well.
  TextCheck(Charset charset, bool lossy, FaultSink& faults,
            CharacterTaker* taker = nullptr) noexcept
      : charset_(charset), lossy_(lossy), faults_(faults), taker_(taker) {}

  // The input whose text comes next, as faults name it, and its encoding: the
  // hints that a fault may carry are given once an input.
  void StartInput(std::string_view name, InputEncoding encoding);

  // Whether the next error is listed: a caller may spare working out the
  // place of one that is only counted.
  bool ListsNextError() const noexcept { return faults_.ListsNextError(); }

  // The ill-formed `bytes` that DecodeInput found at `position`, `byteOffset`
  // bytes into the input; `following` is what starts there, for the hint that
  // the input may be GBK already.
  void IllFormed(const TextPosition& position, std::uint64_t byteOffset,
                 std::span<const std::uint8_t> bytes, bool cutShort,
                 std::span<const std::uint8_t> following);

  // U+0000 at `position`.
  void Nul(const TextPosition& position);

  // Any other fault of the input (one that cannot be opened or read, a line
  // that is no table entry); the input's name is filled in where it has none.
  void Report(Fault fault);

  // Checks every character of `units`. U+0000, when `mayHoldNul`, is a fault
  // whatever the options; a character that the charset lacks is a fault, or
  // with --lossy a substitute. `placeOf(at)` gives the place of units[at], and
  // is called with growing `at` only, for the faults that are listed and the
  // first substitute. The taker, if any, is given every character that passes
  // (after a fault too), each run before the fault that ends it; what it refuses
  // is a fault. `write` is given the units that go into the output: the
  // units before the first fault, once, before that fault is reported (all of
  // them when there is none); never an empty run, and nothing once a fault has
  // stopped the output.
  // Returns whether the units hold no fault.
  template <typename PlaceOf, typename Write>
  bool Check(std::u16string_view units, bool mayHoldNul, PlaceOf&& placeOf, Write&& write);

  // Whether an error has stopped the output.
  bool Failed() const noexcept { return failed_; }

  // After a lossy conversion that wrote substitutes, the warning that says how
  // many and where the first is.
  std::optional<Fault> SubstitutionWarning() const;

 private:
  template <typename PlaceOf>
  bool Take(std::u16string_view units, std::size_t offset, PlaceOf& placeOf);
  void NotHeld(char32_t c, const TextPosition& position);
  void Substituted(char32_t c, const TextPosition& position);
  void Counted(FaultKind kind);
  Fault At(FaultKind kind, const TextPosition& position) const;

  Charset charset_;
  bool lossy_;
  FaultSink& faults_;
  CharacterTaker* taker_;
  bool failed_ = false;
  // Of the current input.
  std::string name_;
  InputEncoding encoding_ = InputEncoding::Utf8;
  bool hinted_ = false;  // whether a fault of this input has given its hint
  std::uint64_t substitutions_ = 0;
  std::optional<Fault> firstSubstitution_;
};

template <typename PlaceOf, typename Write>
bool TextCheck::Check(std::u16string_view units, bool mayHoldNul, PlaceOf&& placeOf,
                      Write&& write) {
  bool writing = !failed_;
  bool clean = true;
  std::size_t taken = 0;  // the units before it went to the taker, or were faults
  const auto takeUpTo = [&](std::size_t end) {
    if (taker_ != nullptr && end > taken) {
      clean &= Take(units.substr(taken, end - taken), taken, placeOf);
    }
  };
  std::size_t nul = mayHoldNul ? units.find(u'\0') : std::u16string_view::npos;
  for (std::size_t at = 0;;) {
    const std::size_t next =
        std::min(at + GbkEncoder(charset_).FindUnmappable(units.substr(at)), nul);
    if (next >= units.size()) break;
    const std::size_t length = UnitsOfCharacterAt(units, next);
    const char32_t c = CodePointAt(units, next);
    at = next + length;
    if (c == 0) {
      nul = units.find(u'\0', at);
    } else if (lossy_) {
      // The taker's faults before the substitute come before its place is taken.
      takeUpTo(next);
      taken = next;
      if (substitutions_++ == 0) Substituted(c, placeOf(next));
      continue;
    }
    takeUpTo(next);
    taken = at;
    if (writing) {
      if (next > 0) write(units.substr(0, next));
      writing = false;
    }
    clean = false;
    if (!faults_.ListsNextError()) {
      Counted(c == 0 ? FaultKind::Nul : FaultKind::NotInCharset);
    } else if (c == 0) {
      Nul(placeOf(next));
    } else {
      NotHeld(c, placeOf(next));
    }
  }
  takeUpTo(units.size());
  if (writing && !units.empty()) write(units);
  return clean;
}

// Hands `units`, which start at units[offset] of the checked text, to the
// taker; returns whether it took them all.
template <typename PlaceOf>
bool TextCheck::Take(std::u16string_view units, std::size_t offset, PlaceOf& placeOf) {
  bool tookAll = true;
  for (std::size_t at = 0; at < units.size();) {
    const std::size_t refused = at + taker_->Take(units.substr(at));
    if (refused >= units.size()) break;
    tookAll = false;
    if (!faults_.ListsNextError()) {
      Counted(FaultKind::Undrawable);
    } else {
      Fault fault = At(FaultKind::Undrawable, placeOf(offset + refused));
      fault.what = taker_->Refusal(units[refused]);
      Report(std::move(fault));
    }
    at = refused + 1;
  }
  return tookAll;
}

}  // namespace gbkhex
