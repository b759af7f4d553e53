#include "window/model/text_box_model.h"

#include <algorithm>
#include <utility>

#include "convert/unicode.h"
#include "text/character_classes.h"

namespace gbkhex {
namespace {

// Chinese, Japanese and Korean text breaks between any two of its characters.
bool IsWide(char16_t unit) noexcept {
  return (unit >= 0x1100 && unit <= 0x115F) || (unit >= 0x2E80 && unit <= 0xA4CF) ||
         (unit >= 0xAC00 && unit <= 0xD7A3) || IsHighSurrogate(unit) ||
         (unit >= 0xF900 && unit <= 0xFAFF) || (unit >= 0xFE30 && unit <= 0xFE4F) ||
         (unit >= 0xFF00 && unit <= 0xFF60) || (unit >= 0xFFE0 && unit <= 0xFFE6);
}

// What a double click selects and a word move skips: runs of one class.
enum class CharacterClass { Blank, Word, Punctuation, LineBreak };

CharacterClass ClassOf(char16_t unit) noexcept {
  if (unit == u'\r' || unit == u'\n') return CharacterClass::LineBreak;
  if (IsWrappingBlank(unit)) return CharacterClass::Blank;
  const bool wideWord =
      unit >= 0x80 && !(unit >= 0x3000 && unit <= 0x303F) && !(unit >= 0xFF00 && unit <= 0xFF0F);
  return IsIdentifierCharacter(unit) || wideWord ? CharacterClass::Word
                                                 : CharacterClass::Punctuation;
}

constexpr Advance kTabStopBlanks = 8;

}  // namespace

TextBoxModel::TextBoxModel(std::u16string_view lineBreak) : lineBreak_(lineBreak) {}

void TextBoxModel::SetLayout(Advance width, Measure measure) {
  width_ = std::max<Advance>(width, 0);
  measure_ = std::move(measure);
  advances_.assign(advances_.size(), -1);
  for (char16_t unit = 0; unit < asciiAdvances_.size(); ++unit) {
    asciiAdvances_[unit] = AdvanceOfUnit(unit);
  }
  LayOutAll();
}

void TextBoxModel::LayOutAll() {
  lineStarts_.assign(1, 0);
  for (std::size_t start = NextLineStart(0); start != npos; start = NextLineStart(start)) {
    lineStarts_.push_back(start);
  }
}

std::u16string_view TextBoxModel::SelectedText() const noexcept {
  return std::u16string_view(text_).substr(SelectionStart(), SelectionEnd() - SelectionStart());
}

std::optional<TextBoxModel::LineSelection> TextBoxModel::SelectionOn(
    std::size_t line) const noexcept {
  const std::size_t end = LineTextEnd(line);
  const std::size_t from = std::max(SelectionStart(), LineStart(line));
  const std::size_t to = std::min(SelectionEnd(), end);
  const bool lineBreak =
      SelectionEnd() > end && SelectionStart() <= end && !Wraps(line) && line + 1 < LineCount();
  if (from > to || (from == to && !lineBreak)) return std::nullopt;
  return LineSelection{from, {to, to == end && Wraps(line)}, lineBreak};
}

std::size_t TextBoxModel::TopLineShowingCaret(std::size_t topLine,
                                              std::size_t visibleLines) const noexcept {
  const std::size_t line = LineOf(caret_);
  if (line < topLine) return line;
  const std::size_t visible = std::max<std::size_t>(visibleLines, 1);
  return line >= topLine + visible ? line - visible + 1 : topLine;
}

template <class Unit>
void TextBoxModel::ReplaceText(std::size_t start, std::size_t removed,
                               std::basic_string_view<Unit> inserted) {
  start = std::min(start, text_.size());
  removed = std::min(removed, text_.size() - start);
  const auto moved = [&](std::size_t position) {
    if (position <= start) return position;
    if (position >= start + removed) return position - removed + inserted.size();
    return start + inserted.size();
  };
  const std::size_t anchor = moved(anchor_);
  const Place caret{moved(caret_.position), caret_.afterWrap};
  ChangeText(start, removed, inserted);
  undo_.clear();
  redo_.clear();
  anchor_ = anchor;
  caret_ = caret;
  goalX_ = -1;
}

void TextBoxModel::Replace(std::size_t start, std::size_t removed, std::u16string_view inserted) {
  ReplaceText(start, removed, inserted);
}

void TextBoxModel::Replace(std::size_t start, std::size_t removed, std::string_view asciiInserted) {
  ReplaceText(start, removed, asciiInserted);
}

void TextBoxModel::SetText(std::u16string_view text) {
  Replace(0, text_.size(), text);
  anchor_ = 0;
  caret_ = {};
}

// A line break of two units may be made or split at either end of the change,
// so the line breaks are counted a unit further out on both sides.
template <class Unit>
void TextBoxModel::ChangeText(std::size_t start, std::size_t removed,
                              std::basic_string_view<Unit> inserted) {
  const std::size_t reach = lineBreak_.size() - 1;
  const std::size_t from = start - std::min(start, reach);
  const auto around = [&](std::size_t length) {
    return std::u16string_view(text_).substr(from, start - from + length + reach);
  };
  lineBreaks_ -= CountLineBreaks(around(removed));
  // Narrow units are widened in place: replacing from iterators of another
  // type would first copy them into a wide string of their own, for a whole
  // refresh a second copy of the output.
  text_.replace(start, removed, inserted.size(), u'\0');
  std::copy(inserted.begin(), inserted.end(), text_.begin() + static_cast<std::ptrdiff_t>(start));
  lineBreaks_ += CountLineBreaks(around(inserted.size()));
  LayOutFrom(start, removed, inserted.size());
}

// The lines before the one the change starts on stay as they were, but for
// the one just before: a shorter first word may now fit at its end. From
// there, lines are laid out anew until one starts, after the change, where a
// line started before it; from that one on, every line is the old one moved.
void TextBoxModel::LayOutFrom(std::size_t start, std::size_t removed, std::size_t inserted) {
  if (start == 0 && inserted == text_.size()) return LayOutAll();
  const auto changed = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), start);
  std::size_t first = static_cast<std::size_t>(changed - lineStarts_.begin()) - 1;
  if (first > 0) --first;
  const std::size_t changeEnd = start + inserted;

  std::vector<std::size_t> fresh;
  std::size_t resume = lineStarts_.size();
  std::size_t old = first + 1;
  for (std::size_t line = NextLineStart(lineStarts_[first]); line != npos;
       line = NextLineStart(line)) {
    if (line >= changeEnd) {
      const std::size_t before = line - inserted + removed;
      while (old < lineStarts_.size() && lineStarts_[old] < before) ++old;
      if (old < lineStarts_.size() && lineStarts_[old] == before) {
        resume = old;
        break;
      }
    }
    fresh.push_back(line);
  }
  for (std::size_t i = resume; i < lineStarts_.size(); ++i) {
    lineStarts_[i] = lineStarts_[i] - removed + inserted;
  }
  const auto from = lineStarts_.begin() + static_cast<std::ptrdiff_t>(first + 1);
  const auto to = lineStarts_.begin() + static_cast<std::ptrdiff_t>(resume);
  const std::size_t kept = std::min(fresh.size(), resume - first - 1);
  std::copy_n(fresh.begin(), kept, from);
  if (kept < fresh.size()) {
    lineStarts_.insert(to, fresh.begin() + static_cast<std::ptrdiff_t>(kept), fresh.end());
  } else {
    lineStarts_.erase(from + static_cast<std::ptrdiff_t>(kept), to);
  }
}

std::size_t TextBoxModel::NextLineStart(std::size_t start) const {
  Advance x = 0;
  // The latest place where the line may end, npos while there is none.
  std::size_t breakAt = npos;
  const std::size_t size = text_.size();
  const char16_t breakUnit = lineBreak_.front();
  const auto overflows = [&](Advance advance, std::size_t i) {
    return width_ > 0 && x + advance > width_ && i > start;
  };
  for (std::size_t i = start; i < size;) {
    const char16_t unit = text_[i];
    if (unit < 0x80) {
      // Most of any output: one unit each, and never wide.
      if (unit == breakUnit && IsLineBreakAt(i)) return i + lineBreak_.size();
      const Advance advance = asciiAdvances_[unit];
      if (IsSpaceOrTab(unit)) {
        x += advance;
        breakAt = ++i;
        continue;
      }
      if (overflows(advance, i)) return breakAt == npos ? i : breakAt;
      x += advance;
      ++i;
      continue;
    }
    if (IsWrappingBlank(unit)) {
      x += AdvanceAt(i, 1);
      breakAt = ++i;
      continue;
    }
    const std::size_t length = CharacterLength(i);
    const Advance advance = AdvanceAt(i, length);
    if (overflows(advance, i)) return IsWide(unit) || breakAt == npos ? i : breakAt;
    x += advance;
    i += length;
    if (IsWide(unit)) breakAt = i;
  }
  return npos;
}

Advance TextBoxModel::AdvanceAt(std::size_t position, std::size_t length) const {
  if (length == 1) return AdvanceOfUnit(text_[position]);
  return MeasuredAdvance(std::u16string_view(text_.data() + position, length));
}

Advance TextBoxModel::AdvanceOfUnit(char16_t unit) const {
  if (unit == u'\t') return kTabStopBlanks * MeasuredAdvance(u" ");
  return MeasuredAdvance(std::u16string_view(&unit, 1));
}

Advance TextBoxModel::MeasuredAdvance(std::u16string_view character) const {
  if (character.size() != 1) return measure_ ? measure_(character) : 0;
  Advance& known = advances_[character.front()];
  if (known < 0) known = measure_ ? measure_(character) : 0;
  return known;
}

std::size_t TextBoxModel::CharacterLength(std::size_t position) const noexcept {
  return position + 1 < text_.size() && IsHighSurrogate(text_[position]) &&
                 IsLowSurrogate(text_[position + 1])
             ? 2
             : 1;
}

bool TextBoxModel::IsLineBreakAt(std::size_t position) const noexcept {
  return std::u16string_view(text_).substr(position, lineBreak_.size()) == lineBreak_;
}

// Each line break ends in its last unit, which no line break holds twice.
std::size_t TextBoxModel::CountLineBreaks(std::u16string_view text) const noexcept {
  const char16_t last = lineBreak_.back();
  const std::size_t head = lineBreak_.size() - 1;
  std::size_t count = 0;
  for (std::size_t i = head; i < text.size(); ++i) {
    if (text[i] == last && text.substr(i - head, lineBreak_.size()) == lineBreak_) ++count;
  }
  return count;
}

std::size_t TextBoxModel::LineTextEnd(std::size_t line) const noexcept {
  if (line + 1 == lineStarts_.size()) return text_.size();
  const std::size_t next = lineStarts_[line + 1];
  return Wraps(line) ? next : next - lineBreak_.size();
}

bool TextBoxModel::Wraps(std::size_t line) const noexcept {
  if (line + 1 >= lineStarts_.size()) return false;
  const std::size_t next = lineStarts_[line + 1];
  return next < lineBreak_.size() || !IsLineBreakAt(next - lineBreak_.size());
}

std::size_t TextBoxModel::LineOf(Place place) const noexcept {
  const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), place.position);
  const auto line = static_cast<std::size_t>(after - lineStarts_.begin()) - 1;
  const bool atWrapEnd = line > 0 && lineStarts_[line] == place.position && Wraps(line - 1);
  return place.afterWrap && atWrapEnd ? line - 1 : line;
}

Advance TextBoxModel::XOf(Place place) const {
  const std::size_t line = LineOf(place);
  const std::size_t end = std::min(place.position, LineTextEnd(line));
  Advance x = 0;
  for (std::size_t i = lineStarts_[line]; i < end;) {
    const std::size_t length = CharacterLength(i);
    x += AdvanceAt(i, length);
    i += length;
  }
  return x;
}

TextBoxModel::Place TextBoxModel::PlaceAt(std::size_t line, Advance x) const {
  line = std::min(line, lineStarts_.size() - 1);
  const std::size_t end = LineTextEnd(line);
  Advance left = 0;
  for (std::size_t i = lineStarts_[line]; i < end;) {
    const std::size_t length = CharacterLength(i);
    const Advance advance = AdvanceAt(i, length);
    if (x < left + advance / 2) return {i, false};
    left += advance;
    i += length;
  }
  return {end, Wraps(line)};
}

std::size_t TextBoxModel::NextPosition(std::size_t position) const noexcept {
  if (position >= text_.size()) return text_.size();
  if (IsLineBreakAt(position)) return position + lineBreak_.size();
  return position + CharacterLength(position);
}

std::size_t TextBoxModel::PreviousPosition(std::size_t position) const noexcept {
  if (position == 0) return 0;
  if (position >= lineBreak_.size() && IsLineBreakAt(position - lineBreak_.size())) {
    return position - lineBreak_.size();
  }
  const bool pair =
      position >= 2 && IsLowSurrogate(text_[position - 1]) && IsHighSurrogate(text_[position - 2]);
  return position - (pair ? 2 : 1);
}

// After the run of one class that starts at `position`, and the blanks after it.
std::size_t TextBoxModel::WordEnd(std::size_t position) const noexcept {
  if (position >= text_.size()) return text_.size();
  if (IsLineBreakAt(position)) return NextPosition(position);
  const CharacterClass run = ClassOf(text_[position]);
  std::size_t end = position;
  while (end < text_.size() && ClassOf(text_[end]) == run) ++end;
  while (end < text_.size() && ClassOf(text_[end]) == CharacterClass::Blank) ++end;
  return end;
}

// At the start of the run before `position`, blanks skipped.
std::size_t TextBoxModel::WordStart(std::size_t position) const noexcept {
  std::size_t start = position;
  while (start > 0 && ClassOf(text_[start - 1]) == CharacterClass::Blank) --start;
  if (start == 0) return 0;
  if (ClassOf(text_[start - 1]) == CharacterClass::LineBreak) return PreviousPosition(start);
  const CharacterClass run = ClassOf(text_[start - 1]);
  while (start > 0 && ClassOf(text_[start - 1]) == run) --start;
  return start;
}

void TextBoxModel::MoveCaret(Move move, bool extend, std::size_t pageLines) {
  const std::size_t line = LineOf(caret_);
  const auto vertical = [&](std::ptrdiff_t lines) {
    if (goalX_ < 0) goalX_ = XOf(caret_);
    const auto target = static_cast<std::ptrdiff_t>(line) + lines;
    const auto last = static_cast<std::ptrdiff_t>(lineStarts_.size()) - 1;
    if (target < 0) return Place{0, false};
    if (target > last) return Place{text_.size(), false};
    return PlaceAt(static_cast<std::size_t>(target), goalX_);
  };
  const auto page = static_cast<std::ptrdiff_t>(std::max<std::size_t>(pageLines, 1));
  // A move that collapses a selection lands at the side it moves towards.
  if (!extend && HasSelection() && (move == Move::Left || move == Move::Right)) {
    const std::size_t side = move == Move::Left ? SelectionStart() : SelectionEnd();
    SetCaret({side, false}, false);
    return;
  }
  Place to = caret_;
  bool keepGoal = false;
  switch (move) {
    case Move::Left:
      to = {PreviousPosition(caret_.position), false};
      break;
    case Move::Right:
      to = {NextPosition(caret_.position), false};
      break;
    case Move::WordLeft:
      to = {WordStart(caret_.position), false};
      break;
    case Move::WordRight:
      to = {WordEnd(caret_.position), false};
      break;
    case Move::Up:
    case Move::Down:
    case Move::PageUp:
    case Move::PageDown: {
      const std::ptrdiff_t step = move == Move::Up || move == Move::Down ? 1 : page;
      to = vertical(move == Move::Up || move == Move::PageUp ? -step : step);
      keepGoal = true;
      break;
    }
    case Move::LineStart:
      to = {lineStarts_[line], false};
      break;
    case Move::LineEnd:
      to = {LineTextEnd(line), Wraps(line)};
      break;
    case Move::TextStart:
      to = {0, false};
      break;
    case Move::TextEnd:
      to = {text_.size(), false};
      break;
  }
  const Advance goal = goalX_;
  SetCaret(to, extend);
  if (keepGoal) goalX_ = goal;
}

void TextBoxModel::SetCaret(Place place, bool extend) {
  place.position = std::min(place.position, text_.size());
  // Never between the units of a line break or of a surrogate pair.
  if (place.position > 0 && place.position < text_.size() &&
      NextPosition(PreviousPosition(place.position)) != place.position) {
    place.position = PreviousPosition(place.position);
  }
  caret_ = place;
  if (!extend) anchor_ = place.position;
  goalX_ = -1;
}

void TextBoxModel::Select(std::size_t anchor, std::size_t caret) {
  SetCaret({anchor, false}, false);
  SetCaret({caret, false}, true);
}

void TextBoxModel::SelectAll() { Select(0, text_.size()); }

void TextBoxModel::SelectWordAt(std::size_t position) {
  position = std::min(position, text_.size());
  std::size_t at = position;
  // At the end of a line, the word before it.
  if (position == text_.size() || ClassOf(text_[position]) == CharacterClass::LineBreak) {
    if (position == 0 || ClassOf(text_[position - 1]) == CharacterClass::LineBreak) {
      return Select(position, position);
    }
    at = position - 1;
  }
  const CharacterClass run = ClassOf(text_[at]);
  std::size_t start = at;
  std::size_t end = at + 1;
  while (start > 0 && ClassOf(text_[start - 1]) == run) --start;
  while (end < text_.size() && ClassOf(text_[end]) == run) ++end;
  Select(start, end);
}

std::u16string TextBoxModel::InBoxLineBreaks(std::u16string_view text) const {
  std::u16string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit == u'\r' || unit == u'\n' || unit == 0x2028 || unit == 0x2029) {
      if (unit == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      result += lineBreak_;
    } else {
      result += unit;
    }
  }
  return result;
}

std::optional<TextBoxModel::Change> TextBoxModel::Type(std::u16string_view text) {
  return UserEdit(SelectionStart(), SelectionEnd() - SelectionStart(), InBoxLineBreaks(text), true);
}

std::optional<TextBoxModel::Change> TextBoxModel::DeleteBackward(bool word) {
  if (HasSelection())
    return UserEdit(SelectionStart(), SelectionEnd() - SelectionStart(), {}, false);
  const std::size_t from = word ? WordStart(caret_.position) : PreviousPosition(caret_.position);
  return UserEdit(from, caret_.position - from, {}, false);
}

std::optional<TextBoxModel::Change> TextBoxModel::DeleteForward(bool word) {
  if (HasSelection())
    return UserEdit(SelectionStart(), SelectionEnd() - SelectionStart(), {}, false);
  const std::size_t to = word ? WordEnd(caret_.position) : NextPosition(caret_.position);
  return UserEdit(caret_.position, to - caret_.position, {}, false);
}

std::optional<TextBoxModel::Change> TextBoxModel::UserEdit(std::size_t start, std::size_t removed,
                                                           std::u16string inserted, bool typing) {
  if (removed == 0 && inserted.empty()) return std::nullopt;
  Edit edit{start, std::u16string(text_, start, removed), std::move(inserted), anchor_, caret_,
            typing};
  Change change{start, edit.removed, edit.inserted.size()};
  ChangeText(start, removed, std::u16string_view(edit.inserted));
  const std::size_t end = start + edit.inserted.size();
  anchor_ = end;
  caret_ = {end, false};
  goalX_ = -1;
  redo_.clear();
  // Keys typed one after another undo together.
  Edit* const last = undo_.empty() ? nullptr : &undo_.back();
  if (typing && removed == 0 && last != nullptr && last->typing &&
      last->start + last->inserted.size() == start) {
    last->inserted += edit.inserted;
  } else {
    undo_.push_back(std::move(edit));
  }
  return change;
}

// The edit at the top of `from` undone or done again, and moved to the top of
// `to`. An edit that has been undone is never extended by typing again.
std::optional<TextBoxModel::Change> TextBoxModel::Reapply(std::vector<Edit>& from,
                                                          std::vector<Edit>& to, bool undo) {
  if (from.empty()) return std::nullopt;
  Edit edit = std::move(from.back());
  from.pop_back();
  const std::u16string& gone = undo ? edit.inserted : edit.removed;
  const std::u16string& back = undo ? edit.removed : edit.inserted;
  Change change{edit.start, gone, back.size()};
  ChangeText(edit.start, gone.size(), std::u16string_view(back));
  if (undo) {
    anchor_ = edit.anchorBefore;
    caret_ = edit.caretBefore;
  } else {
    anchor_ = edit.start + back.size();
    caret_ = {anchor_, false};
  }
  goalX_ = -1;
  edit.typing = false;
  to.push_back(std::move(edit));
  return change;
}

std::optional<TextBoxModel::Change> TextBoxModel::Undo() { return Reapply(undo_, redo_, true); }

std::optional<TextBoxModel::Change> TextBoxModel::Redo() { return Reapply(redo_, undo_, false); }

}  // namespace gbkhex
