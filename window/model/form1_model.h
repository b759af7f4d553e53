#pragma once

// Form1 below its controls, free of any toolkit: the conversion refresh and
// what Text2 shows. Every front end (Qt, Win32, the page) keeps one of these
// and only does what its toolkit needs: it hands over Text1's text as its text
// box holds it, applies the update it gets back to Text2, and says when anyone
// else has changed Text2.

#include <string>
#include <string_view>

#include "convert/code_format.h"
#include "window/model/changed_span.h"

namespace gbkhex {

// What Text2 must do to show the new output: replace all of its text with
// `text`, or, while it still holds what the last refresh gave it, replace
// `span.removed` units from `span.start` with `text`, the `span.inserted` new
// ones. The output is ASCII, so `text` is too, in whatever unit type Text2 holds.
struct Text2Update {
  bool whole = false;
  ChangedSpan span;
  // Valid until the next refresh.
  std::string_view text;

  constexpr bool ChangesNothing() const noexcept { return !whole && span.IsEmpty(); }
};

class Form1Model {
 public:
  // `text1LineBreak`: how Text1's text, as the toolkit hands it over, writes a
  // line break; `text2LineBreak`: how Text2 writes one.
  Form1Model(InputLineBreak text1LineBreak, LineBreak text2LineBreak) noexcept
      : text1LineBreak_(text1LineBreak), text2LineBreak_(text2LineBreak) {}

  // The conversion refresh: Text2 is to hold the conversion of `text1` in
  // `format`, exactly what emptying it and then setting it would leave.
  template <Utf16Unit In>
  const Text2Update& Refresh(std::basic_string_view<In> text1, OutputFormat format);

  // Someone other than the refresh changed Text2 (the user, or another
  // program): the next refresh sets all of it.
  void Text2Edited() noexcept { inSync_ = false; }

  // The conversion of `val` in `format`, as Text2 would show it, written over `out`.
  template <Utf16Unit In, OutputUnit Out>
  void FormatNameToMac(std::basic_string_view<In> val, OutputFormat format,
                       std::basic_string<Out>& out) const;

  // The output of the last refresh.
  std::string_view Output() const noexcept { return shown_; }

 private:
  InputLineBreak text1LineBreak_;
  LineBreak text2LineBreak_;
  // What Text2 holds while inSync_, and the buffer that the next output is
  // written into: the two change places on every refresh.
  std::string shown_;
  std::string next_;
  bool inSync_ = false;
  Text2Update update_;
};

}  // namespace gbkhex
