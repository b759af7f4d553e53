#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "convert/code_format.h"
#include "window/model/changed_span.h"
#include "window/model/form1_model.h"

namespace gbkhex {
namespace {

// Replacing the span in the shown text must give the next text, whatever the two are.
std::u16string Apply(std::u16string shown, std::u16string_view next, const ChangedSpan& span) {
  shown.replace(span.start, span.removed, next.substr(span.start, span.inserted));
  return shown;
}

TEST(ChangedSpan, IsTheShortestSpanThatTurnsOneTextIntoTheOther) {
  struct Case {
    std::u16string_view shown;
    std::u16string_view next;
    ChangedSpan span;
  };
  constexpr Case kCases[] = {
      {u"", u"", {0, 0, 0}},
      {u"", u"41 ", {0, 0, 3}},
      {u"41 ", u"", {0, 3, 0}},
      {u"41 42 ", u"41 42 ", {6, 0, 0}},
      {u"41 42 ", u"41 43 42 ", {4, 0, 3}},  // typed in the middle
      {u"41 42 43 ", u"41 43 ", {4, 3, 0}},  // deleted in the middle
      {u"41 42 ", u"41 42 43 ", {6, 0, 3}},  // typed at the end
      {u"aa", u"aaa", {2, 0, 1}},            // ends never overlap the start
      {u"aaa", u"aa", {2, 1, 0}},
      {u"0X41,", u"41 ", {0, 5, 3}},  // format switch: nothing in common
      {u"0X41,0X42,\r\n", u"0X41,0X43,\r\n", {8, 1, 1}},
  };
  for (const Case& c : kCases) {
    const ChangedSpan span = FindChangedSpan(c.shown, c.next);
    EXPECT_EQ(span, c.span) << std::string(c.shown.begin(), c.shown.end()) << " -> "
                            << std::string(c.next.begin(), c.next.end());
    EXPECT_EQ(Apply(std::u16string(c.shown), c.next, span), c.next);
  }
  static_assert(FindChangedSpan(std::string_view("ab"), std::string_view("acb")) ==
                ChangedSpan{1, 0, 1});
}

// Whatever Text1 goes through, Text2 with each update applied holds what
// emptying it and setting it to the conversion would: the conversion of Text1
// with CR LF for each of its line breaks, in Text2's line-break form.
TEST(Form1Model, Text2FollowsEveryEditOfText1InEveryLineBreakForm) {
  struct Form {
    InputLineBreak text1;
    std::u16string_view text1Break;
    LineBreak text2;
  };
  constexpr Form kForms[] = {
      {InputLineBreak::Separator, u"\u2029", LineBreak::Lf},  // Qt
      {InputLineBreak::Lf, u"\n", LineBreak::Lf},             // the page
      {InputLineBreak::CrLf, u"\r\n", LineBreak::CrLf},       // Win32
  };
  const std::u16string pieces[] = {u"A", u"\u5341", u"\u20AC", u"\U0001F600", u"ABCDEFGHIJKLMNOPQ"};
  for (const Form& form : kForms) {
    Form1Model model(form.text1, form.text2);
    std::u16string text1;
    std::string text2 = "not yet refreshed";
    OutputFormat format = OutputFormat::Hexadecimal;
    std::uint32_t random = 936;
    const auto next = [&](std::uint32_t n) {
      random = random * 1103515245u + 12345u;
      return (random >> 8) % n;
    };
    for (int step = 0; step < 400; ++step) {
      const std::uint32_t action = next(10);
      const std::size_t at = next(static_cast<std::uint32_t>(text1.size() + 1));
      bool edited = false;
      if (action < 5) {
        text1.insert(at, pieces[next(5)]);
      } else if (action < 7) {
        text1.insert(at, form.text1Break);
      } else if (action == 7) {
        text1.erase(at, next(8));
      } else if (action == 8) {
        format = format == OutputFormat::C ? OutputFormat::Hexadecimal : OutputFormat::C;
      } else {
        text2 += "typed into Text2";
        model.Text2Edited();
        edited = true;
      }
      const bool wasInSync = step > 0 && !edited;
      const Text2Update& update = model.Refresh(std::u16string_view(text1), format);
      ASSERT_EQ(update.whole, !wasInSync) << step;
      if (update.whole) {
        text2 = update.text;
      } else {
        ASSERT_EQ(update.text.size(), update.span.inserted);
        text2.replace(update.span.start, update.span.removed, update.text);
      }

      std::u16string withCrLf;
      for (std::size_t i = 0; i < text1.size(); ++i) {
        if (text1.compare(i, form.text1Break.size(), form.text1Break) == 0) {
          withCrLf += u"\r\n";
          i += form.text1Break.size() - 1;
        } else {
          withCrLf += text1[i];
        }
      }
      std::string expected;
      FormatNameToMac(std::u16string_view(withCrLf), format, form.text2, expected);
      ASSERT_EQ(text2, expected) << "step " << step;
      ASSERT_EQ(model.Output(), expected);
      std::string converted = "stale";
      model.FormatNameToMac(std::u16string_view(text1), format, converted);
      ASSERT_EQ(converted, expected);
    }
  }
}

// A key typed at the end of a long input changes no more of Text2 than its
// own bytes.
TEST(Form1Model, AKeyAtTheEndReplacesOnlyItsOwnBytes) {
  Form1Model model(InputLineBreak::Lf, LineBreak::Lf);
  std::u16string text1(10'000, u'\u5341');
  model.Refresh(std::u16string_view(text1), OutputFormat::C);
  text1 += u'A';
  const Text2Update& update = model.Refresh(std::u16string_view(text1), OutputFormat::C);
  EXPECT_FALSE(update.whole);
  EXPECT_EQ(update.span, (ChangedSpan{20'000 * 5 + 20'000 / 16, 0, 5}));
  EXPECT_EQ(update.text, "0X41,");
  EXPECT_TRUE(model.Refresh(std::u16string_view(text1), OutputFormat::C).ChangesNothing());
}

}  // namespace
}  // namespace gbkhex
