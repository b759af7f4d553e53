#pragma once

// A multi-line plain text box, free of any toolkit: its text, the lines that
// the text wraps into at the box's width, the caret and the selection, the
// user's editing and its undo. A front end measures characters, paints the
// lines it shows and turns its toolkit's events into the calls below.
//
// An edit lays out again only the lines from the one it touches on, until the
// lines after it start where they started before: a key typed at the end of a
// long text lays out one line, whatever the length of the text. Where every
// later line moves (one long paragraph, changed in the middle), each line is
// still found by one pass over its own characters.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gbkhex {

// Widths, in 1/64 of a pixel, so that fractional advances add up exactly.
using Advance = std::int64_t;

class TextBoxModel {
 public:
  static constexpr std::size_t npos = std::u16string_view::npos;

  // The advance of a character: one unit, or a surrogate pair.
  using Measure = std::function<Advance(std::u16string_view character)>;

  // How the caret moves for a key.
  enum class Move {
    Left,
    Right,
    WordLeft,
    WordRight,
    Up,
    Down,
    PageUp,
    PageDown,
    LineStart,
    LineEnd,
    TextStart,
    TextEnd,
  };

  // A place in the text as the caret stands there: where a line wraps, the end
  // of the line above and the start of the line below are the same position,
  // and `afterWrap` says which of the two the caret shows at.
  struct Place {
    std::size_t position = 0;
    bool afterWrap = false;
  };

  // A change of the text: `removed` units from `start` gave way to `inserted`.
  struct Change {
    std::size_t start = 0;
    std::u16string removed;
    std::size_t inserted = 0;
  };

  // `lineBreak`: how the text writes a line break, "\n" or "\r\n".
  explicit TextBoxModel(std::u16string_view lineBreak);

  // Lays the text out again for lines `width` wide (0: as wide as they come)
  // with `measure`.
  void SetLayout(Advance width, Measure measure);
  Advance Width() const noexcept { return width_; }

  std::u16string_view Text() const noexcept { return text_; }
  std::u16string_view LineBreak() const noexcept { return lineBreak_; }

  // Changes the text as a program does: there is nothing to undo afterwards,
  // and the caret and the selection keep their places in the text around the
  // change.
  void Replace(std::size_t start, std::size_t removed, std::u16string_view inserted);
  // The same with ASCII text, which is the same characters in either width.
  void Replace(std::size_t start, std::size_t removed, std::string_view asciiInserted);
  // All of the text, with the caret at its start.
  void SetText(std::u16string_view text);

  // The lines the text wraps into; there is always at least one.
  std::size_t LineCount() const noexcept { return lineStarts_.size(); }
  std::size_t LineStart(std::size_t line) const noexcept { return lineStarts_[line]; }
  // Where the characters of `line` end: before its line break, if it has one.
  std::size_t LineTextEnd(std::size_t line) const noexcept;
  // Whether `line` wraps into the next rather than ending in a line break.
  bool Wraps(std::size_t line) const noexcept;
  std::size_t LineOf(Place place) const noexcept;
  // Calls `paint(start, run)` for each run of `line`'s characters between its
  // tabs, which take their room from the layout and are not painted.
  template <class Paint>
  void ForEachRunBetweenTabs(std::size_t line, Paint paint) const;
  // Line breaks plus one.
  std::size_t ParagraphCount() const noexcept { return lineBreaks_ + 1; }

  // From the start of the line that `place` is on.
  Advance XOf(Place place) const;
  // The place on `line` nearest to `x`.
  Place PlaceAt(std::size_t line, Advance x) const;

  Place Caret() const noexcept { return caret_; }
  std::size_t Anchor() const noexcept { return anchor_; }
  std::size_t SelectionStart() const noexcept { return std::min(anchor_, caret_.position); }
  std::size_t SelectionEnd() const noexcept { return std::max(anchor_, caret_.position); }
  bool HasSelection() const noexcept { return anchor_ != caret_.position; }
  std::u16string_view SelectedText() const noexcept;

  // The selected part of a line, as it is painted: from `from` to `to`, and
  // with `lineBreak` the line break after it too.
  struct LineSelection {
    std::size_t from = 0;
    Place to;
    bool lineBreak = false;
  };
  // Nothing where the selection leaves `line` unmarked.
  std::optional<LineSelection> SelectionOn(std::size_t line) const noexcept;

  // The first line a box `visibleLines` high shows, `topLine` now, so that
  // the caret's line is in sight and the box scrolls no further than that.
  std::size_t TopLineShowingCaret(std::size_t topLine, std::size_t visibleLines) const noexcept;

  // `pageLines`: how many lines the box shows, for PageUp and PageDown.
  void MoveCaret(Move move, bool extend, std::size_t pageLines = 1);
  void SetCaret(Place place, bool extend);
  void Select(std::size_t anchor, std::size_t caret);
  void SelectAll();
  // The word, the run of blanks or the punctuation at `position`.
  void SelectWordAt(std::size_t position);

  // The user's edits: each replaces the selection, can be undone, and returns
  // what it changed, or nothing when there was nothing to change. Typed text
  // may bring line breaks in any form (CR LF, CR, LF, U+2028, U+2029); they
  // go into the text in the box's own.
  std::optional<Change> Type(std::u16string_view text);
  std::optional<Change> DeleteBackward(bool word);
  std::optional<Change> DeleteForward(bool word);
  std::optional<Change> Undo();
  std::optional<Change> Redo();
  bool CanUndo() const noexcept { return !undo_.empty(); }
  void ForgetEdits() noexcept {
    undo_.clear();
    redo_.clear();
  }
  bool CanRedo() const noexcept { return !redo_.empty(); }

 private:
  struct Edit {
    std::size_t start;
    std::u16string removed;
    std::u16string inserted;
    std::size_t anchorBefore;
    Place caretBefore;
    // A run of typing that the next key may extend.
    bool typing;
  };

  template <class Unit>
  void ReplaceText(std::size_t start, std::size_t removed, std::basic_string_view<Unit> inserted);
  template <class Unit>
  void ChangeText(std::size_t start, std::size_t removed, std::basic_string_view<Unit> inserted);
  void LayOutFrom(std::size_t start, std::size_t removed, std::size_t inserted);
  void LayOutAll();
  // Where the line after the one that starts at `start` starts, or npos if
  // that line is the last.
  std::size_t NextLineStart(std::size_t start) const;
  // Of the character at `position`, `length` units long; a tab takes the
  // room of eight blanks.
  Advance AdvanceAt(std::size_t position, std::size_t length) const;
  Advance AdvanceOfUnit(char16_t unit) const;
  Advance MeasuredAdvance(std::u16string_view character) const;
  std::size_t CharacterLength(std::size_t position) const noexcept;
  std::size_t NextPosition(std::size_t position) const noexcept;
  std::size_t PreviousPosition(std::size_t position) const noexcept;
  std::size_t WordEnd(std::size_t position) const noexcept;
  std::size_t WordStart(std::size_t position) const noexcept;
  bool IsLineBreakAt(std::size_t position) const noexcept;
  std::size_t CountLineBreaks(std::u16string_view text) const noexcept;
  std::u16string InBoxLineBreaks(std::u16string_view text) const;
  std::optional<Change> UserEdit(std::size_t start, std::size_t removed, std::u16string inserted,
                                 bool typing);
  std::optional<Change> Reapply(std::vector<Edit>& from, std::vector<Edit>& to, bool undo);

  std::u16string lineBreak_;
  std::u16string text_;
  std::size_t lineBreaks_ = 0;
  std::vector<std::size_t> lineStarts_{0};
  Advance width_ = 0;
  Measure measure_;
  // Advances of the units measured so far, -1 where not yet.
  mutable std::vector<Advance> advances_ = std::vector<Advance>(0x10000, -1);
  std::array<Advance, 0x80> asciiAdvances_{};

  std::size_t anchor_ = 0;
  Place caret_;
  // Where Up and Down keep the caret, from the line's start; -1: where it is.
  Advance goalX_ = -1;
  std::vector<Edit> undo_;
  std::vector<Edit> redo_;
};

template <class Paint>
void TextBoxModel::ForEachRunBetweenTabs(std::size_t line, Paint paint) const {
  const std::size_t end = LineTextEnd(line);
  for (std::size_t start = LineStart(line); start < end;) {
    const std::u16string_view run = std::u16string_view(text_).substr(start, end - start);
    const std::size_t length = std::min(run.find(u'\t'), run.size());
    paint(start, run.substr(0, length));
    start += length + 1;
  }
}

}  // namespace gbkhex
