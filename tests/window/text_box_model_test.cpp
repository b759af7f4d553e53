#include "window/model/text_box_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gbkhex {
namespace {

// A CJK face at 96 dpi: Latin letters 6 px, Chinese characters 12.
constexpr Advance kNarrow = 6 * 64;
Advance Measure(std::u16string_view character) {
  return character.size() == 2 || character.front() >= 0x2E80 ? 2 * kNarrow : kNarrow;
}

TextBoxModel Box(std::u16string_view text, Advance width, std::u16string_view lineBreak = u"\n") {
  TextBoxModel box(lineBreak);
  box.SetText(text);
  box.SetLayout(width, Measure);
  return box;
}

std::vector<std::size_t> LineStarts(const TextBoxModel& box) {
  std::vector<std::size_t> starts;
  for (std::size_t line = 0; line < box.LineCount(); ++line) starts.push_back(box.LineStart(line));
  return starts;
}

TEST(TextBoxModel, WrapsBetweenWordsAndChineseCharactersAndAtLineBreaks) {
  struct Case {
    std::u16string_view text;
    int columns;  // of narrow characters
    std::u16string_view lineBreak;
    std::vector<std::size_t> lineStarts;
  };
  const Case kCases[] = {
      // Hexadecimal tokens: a token's blank hangs past the edge, so 2 fit in 5 columns.
      {u"CA AE C1 F9 BD ", 5, u"\n", {0, 6, 12}},
      {u"0X41,0X42,", 10, u"\n", {0}},          // a C line exactly as wide as the box
      {u"ABCDEFGHIJKL", 5, u"\n", {0, 5, 10}},  // a word wider than the box, by characters
      {u"\u5341\u516D\u8FDB\u5236", 5, u"\n", {0, 2}},
      {u"ab \u5341\u516D", 5, u"\n", {0, 4}},  // Chinese breaks before itself too
      {u"ab\ncd\n", 5, u"\n", {0, 3, 6}},      // a line break at the end opens an empty line
      {u"ab\r\ncd", 5, u"\r\n", {0, 4}},
      {u"ab\rcd\nef", 2, u"\r\n", {0, 2, 4, 6}},              // only CR LF breaks a line there
      {u"\U0001F600\U0001F600\U0001F600", 5, u"\n", {0, 4}},  // surrogate pairs stay whole
      {u"", 5, u"\n", {0}},
  };
  for (const Case& c : kCases) {
    const TextBoxModel box = Box(c.text, c.columns * kNarrow, c.lineBreak);
    EXPECT_EQ(LineStarts(box), c.lineStarts) << std::string(c.text.begin(), c.text.end());
  }
}

// However the text is edited, the lines are those that laying all of it out
// afresh gives.
TEST(TextBoxModel, AnEditLaysOutAsTheWholeTextWould) {
  const std::u16string pieces[] = {u"a",  u"bc ",        u" ",  u"\u5341", u"\n",
                                   u"\r", u"\U0001F600", u"\t", u"\r\n",   u"0XCA,0XAE,"};
  for (const std::u16string_view lineBreak : {u"\n", u"\r\n"}) {
    TextBoxModel box = Box(u"", 7 * kNarrow, lineBreak);
    std::uint32_t random = 36;
    const auto next = [&](std::size_t n) {
      random = random * 1103515245u + 12345u;
      return static_cast<std::size_t>((random >> 8) % n);
    };
    for (int step = 0; step < 1500; ++step) {
      const std::size_t start = next(box.Text().size() + 1);
      const std::size_t removed = next(4) == 0 ? next(30) : 0;
      std::u16string inserted;
      for (std::size_t n = next(6); n > 0; --n) inserted += pieces[next(std::size(pieces))];
      box.Replace(start, removed, inserted);
      const TextBoxModel fresh = Box(box.Text(), 7 * kNarrow, lineBreak);
      ASSERT_EQ(LineStarts(box), LineStarts(fresh)) << "step " << step;
      ASSERT_EQ(box.ParagraphCount(), fresh.ParagraphCount());
    }
  }
}

TEST(TextBoxModel, EditsUndoAndTheCaretKeepToCharactersAndLines) {
  TextBoxModel box = Box(u"", 10 * kNarrow, u"\r\n");
  box.Type(u"AB");
  box.Type(u"C");
  box.Type(u"\nD\u2029");  // line breaks of any form come in as the box's
  EXPECT_EQ(box.Text(), u"ABC\r\nD\r\n");
  ASSERT_TRUE(box.Undo());  // keys typed in a row undo together
  EXPECT_EQ(box.Text(), u"");
  ASSERT_TRUE(box.Redo());
  EXPECT_EQ(box.Text(), u"ABC\r\nD\r\n");

  box.MoveCaret(TextBoxModel::Move::Left, false);  // over CR LF in one step
  EXPECT_EQ(box.Caret().position, 6u);
  const auto change = box.DeleteBackward(false);
  ASSERT_TRUE(change);
  EXPECT_EQ(change->removed, u"D");
  box.MoveCaret(TextBoxModel::Move::Left, false);
  box.DeleteForward(false);  // the whole line break
  EXPECT_EQ(box.Text(), u"ABC\r\n");
  box.SetCaret({4, false}, false);  // between CR and LF: before them
  EXPECT_EQ(box.Caret().position, 3u);

  // Up and Down keep the column; End stays on a wrapped line's end.
  box.SetText(u"0123456789abcdefghij\r\nxy");
  box.SetCaret({13, false}, false);
  box.MoveCaret(TextBoxModel::Move::Up, false);
  EXPECT_EQ(box.Caret().position, 3u);
  box.MoveCaret(TextBoxModel::Move::Down, true);
  box.MoveCaret(TextBoxModel::Move::Down, true);
  EXPECT_EQ(box.Caret().position, 24u);  // the short last line's end
  EXPECT_EQ(box.SelectedText(), u"3456789abcdefghij\r\nxy");
  box.SetCaret({0, false}, false);
  box.MoveCaret(TextBoxModel::Move::LineEnd, false);
  EXPECT_EQ(box.Caret().position, 10u);
  EXPECT_EQ(box.LineOf(box.Caret()), 0u);
  box.MoveCaret(TextBoxModel::Move::WordRight, false);
  EXPECT_EQ(box.Caret().position, 20u);  // to the word's end, where the paragraph ends
  box.MoveCaret(TextBoxModel::Move::WordRight, false);
  EXPECT_EQ(box.Caret().position, 22u);  // and over the line break

  box.SelectWordAt(5);
  EXPECT_EQ(box.SelectedText(), u"0123456789abcdefghij");
  // A program's change moves the caret with the text and leaves nothing to undo.
  box.Replace(22, 1, u"++");
  box.Replace(1, 1, u"");
  EXPECT_EQ(box.SelectedText(), u"023456789abcdefghij");
  EXPECT_EQ(box.Text(), u"023456789abcdefghij\r\n++y");
  EXPECT_FALSE(box.CanUndo());
  EXPECT_EQ(box.PlaceAt(0, 4 * kNarrow + 1).position, 4u);
  EXPECT_EQ(box.XOf({4, false}), 4 * kNarrow);
}

// What a front end paints and scrolls to: each line's selected part (with
// "+" for its line break, "w" for an end at a wrap), the runs between tabs,
// and the first line that keeps the caret in sight.
TEST(TextBoxModel, GivesEachLineItsSelectionAndRunsAndTheCaretItsTopLine) {
  // Lines "0123456789" (wrapped), "abc" and its line break, "x\ty".
  TextBoxModel box = Box(u"0123456789abc\nx\ty", 10 * kNarrow);
  const auto marked = [&box](std::size_t anchor, std::size_t caret) {
    box.Select(anchor, caret);
    std::string lines;
    for (std::size_t line = 0; line < box.LineCount(); ++line) {
      const auto selection = box.SelectionOn(line);
      if (line > 0) lines += '|';
      if (!selection) continue;
      lines += std::to_string(selection->from) + '-' + std::to_string(selection->to.position);
      if (selection->to.afterWrap) lines += 'w';
      if (selection->lineBreak) lines += '+';
    }
    return lines;
  };
  EXPECT_EQ(marked(3, 3), "||");
  EXPECT_EQ(marked(2, 5), "2-5||");
  EXPECT_EQ(marked(12, 5), "5-10w|10-12|");
  EXPECT_EQ(marked(10, 12), "|10-12|");  // nothing of the line that wraps there
  EXPECT_EQ(marked(11, 15), "|11-13+|14-15");
  EXPECT_EQ(marked(13, 14), "|13-13+|");  // the line break alone
  EXPECT_EQ(marked(0, 17), "0-10w|10-13+|14-17");

  std::string runs;
  box.ForEachRunBetweenTabs(2, [&](std::size_t start, std::u16string_view run) {
    runs += std::to_string(start) + ':' + std::string(run.begin(), run.end()) + ' ';
  });
  EXPECT_EQ(runs, "14:x 16:y ");

  box.SetCaret({15, false}, false);  // on the last line
  EXPECT_EQ(box.TopLineShowingCaret(0, 2), 1u);
  EXPECT_EQ(box.TopLineShowingCaret(1, 2), 1u);
  EXPECT_EQ(box.TopLineShowingCaret(0, 3), 0u);
  box.SetCaret({10, true}, false);  // at the end of the wrapped first line
  EXPECT_EQ(box.TopLineShowingCaret(2, 1), 0u);
}

}  // namespace
}  // namespace gbkhex
