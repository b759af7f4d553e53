#include "window/changed_span.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

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

}  // namespace
}  // namespace gbkhex
