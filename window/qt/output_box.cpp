#include "window/qt/output_box.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>
#include <QtMath>
#include <string_view>

namespace gbkhex {
namespace {

std::u16string_view Units(QStringView text) {
  return {text.utf16(), static_cast<std::size_t>(text.size())};
}

QString ToQString(std::u16string_view units) {
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

Advance ToAdvance(qreal pixels) { return qRound64(pixels * 64); }
qreal ToPixels(Advance advance) { return static_cast<qreal>(advance) / 64; }

using Move = TextBoxModel::Move;

// The keys that move the caret, and whether they extend the selection.
struct CaretKey {
  QKeySequence::StandardKey key;
  Move move;
  bool extend;
};
constexpr CaretKey kCaretKeys[] = {
    {QKeySequence::MoveToNextChar, Move::Right, false},
    {QKeySequence::MoveToPreviousChar, Move::Left, false},
    {QKeySequence::MoveToNextWord, Move::WordRight, false},
    {QKeySequence::MoveToPreviousWord, Move::WordLeft, false},
    {QKeySequence::MoveToNextLine, Move::Down, false},
    {QKeySequence::MoveToPreviousLine, Move::Up, false},
    {QKeySequence::MoveToNextPage, Move::PageDown, false},
    {QKeySequence::MoveToPreviousPage, Move::PageUp, false},
    {QKeySequence::MoveToStartOfLine, Move::LineStart, false},
    {QKeySequence::MoveToEndOfLine, Move::LineEnd, false},
    {QKeySequence::MoveToStartOfBlock, Move::LineStart, false},
    {QKeySequence::MoveToEndOfBlock, Move::LineEnd, false},
    {QKeySequence::MoveToStartOfDocument, Move::TextStart, false},
    {QKeySequence::MoveToEndOfDocument, Move::TextEnd, false},
    {QKeySequence::SelectNextChar, Move::Right, true},
    {QKeySequence::SelectPreviousChar, Move::Left, true},
    {QKeySequence::SelectNextWord, Move::WordRight, true},
    {QKeySequence::SelectPreviousWord, Move::WordLeft, true},
    {QKeySequence::SelectNextLine, Move::Down, true},
    {QKeySequence::SelectPreviousLine, Move::Up, true},
    {QKeySequence::SelectNextPage, Move::PageDown, true},
    {QKeySequence::SelectPreviousPage, Move::PageUp, true},
    {QKeySequence::SelectStartOfLine, Move::LineStart, true},
    {QKeySequence::SelectEndOfLine, Move::LineEnd, true},
    {QKeySequence::SelectStartOfBlock, Move::LineStart, true},
    {QKeySequence::SelectEndOfBlock, Move::LineEnd, true},
    {QKeySequence::SelectStartOfDocument, Move::TextStart, true},
    {QKeySequence::SelectEndOfDocument, Move::TextEnd, true},
};

// What a screen reader reads and edits: the box as an editable text, with
// the text interfaces that a QPlainTextEdit's accessible object has.
class OutputBoxAccessible : public QAccessibleWidget,
                            public QAccessibleTextInterface,
                            public QAccessibleEditableTextInterface {
 public:
  explicit OutputBoxAccessible(QWidget* widget)
      : QAccessibleWidget(widget, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface) {
      return static_cast<QAccessibleEditableTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Box().toPlainText();
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = !Box().isReadOnly();
    s.readOnly = Box().isReadOnly();
    s.multiLine = true;
    s.selectableText = true;
    return s;
  }

  void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
    const TextBoxModel& m = Model();
    const bool has = selectionIndex == 0 && m.HasSelection();
    *startOffset = has ? static_cast<int>(m.SelectionStart()) : 0;
    *endOffset = has ? static_cast<int>(m.SelectionEnd()) : 0;
  }
  int selectionCount() const override { return Model().HasSelection() ? 1 : 0; }
  void addSelection(int startOffset, int endOffset) override {
    setSelection(0, startOffset, endOffset);
  }
  void removeSelection(int) override {
    Box().SelectAsUser(Model().Caret().position, Model().Caret().position);
  }
  void setSelection(int, int startOffset, int endOffset) override {
    Box().SelectAsUser(Offset(startOffset), Offset(endOffset));
  }
  int cursorPosition() const override { return static_cast<int>(Model().Caret().position); }
  void setCursorPosition(int position) override {
    Box().SelectAsUser(Offset(position), Offset(position));
  }
  QString text(int startOffset, int endOffset) const override {
    const std::size_t start = Offset(startOffset);
    return ToQString(
        Model().Text().substr(start, Offset(endOffset) - std::min(start, Offset(endOffset))));
  }
  int characterCount() const override { return static_cast<int>(Model().Text().size()); }
  QRect characterRect(int offset) const override {
    const QRect local = Box().CharacterRect(Offset(offset));
    return QRect(Box().viewport()->mapToGlobal(local.topLeft()), local.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    return static_cast<int>(Box().PositionAt(Box().viewport()->mapFromGlobal(point)));
  }
  void scrollToSubstring(int startIndex, int) override { setCursorPosition(startIndex); }
  QString attributes(int offset, int* startOffset, int* endOffset) const override {
    *startOffset = offset;
    *endOffset = offset;
    return {};
  }

  void deleteText(int startOffset, int endOffset) override {
    replaceText(startOffset, endOffset, {});
  }
  void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
  void replaceText(int startOffset, int endOffset, const QString& text) override {
    const std::size_t start = Offset(startOffset);
    const std::size_t end = std::max(start, Offset(endOffset));
    Box().ReplaceAsUser(start, end - start, text);
  }

 private:
  OutputBox& Box() const { return *static_cast<OutputBox*>(widget()); }
  const TextBoxModel& Model() const { return Box().model(); }
  std::size_t Offset(int offset) const {
    return std::min(static_cast<std::size_t>(std::max(offset, 0)), Model().Text().size());
  }
};

QAccessibleInterface* AccessibleOutputBox(const QString& key, QObject* object) {
  if (key == QLatin1String(OutputBox::staticMetaObject.className()) && object->isWidgetType()) {
    return new OutputBoxAccessible(static_cast<QWidget*>(object));
  }
  return nullptr;
}

}  // namespace

OutputBox::OutputBox(QWidget* parent) : QAbstractScrollArea(parent) {
  static const bool factoryInstalled = [] {
    QAccessible::installFactory(&AccessibleOutputBox);
    return true;
  }();
  static_cast<void>(factoryInstalled);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  setAttribute(Qt::WA_KeyCompression);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(false);
  LayOut();
}

QString OutputBox::toPlainText() const { return ToQString(box_.Text()); }

void OutputBox::setPlainText(const QString& text) {
  box_.SetText(Units(text));
  verticalScrollBar()->setValue(0);
  Changed(false);
}

void OutputBox::clear() { setPlainText({}); }

int OutputBox::blockCount() const noexcept { return static_cast<int>(box_.ParagraphCount()); }
int OutputBox::lineCount() const noexcept { return static_cast<int>(box_.LineCount()); }
int OutputBox::lineStart(int line) const noexcept {
  return line >= 0 && line < lineCount()
             ? static_cast<int>(box_.LineStart(static_cast<std::size_t>(line)))
             : -1;
}

void OutputBox::Apply(const Text2Update& update) {
  if (update.ChangesNothing()) return;
  const std::size_t start = update.whole ? 0 : update.span.start;
  const std::size_t removed = update.whole ? box_.Text().size() : update.span.removed;
  QString removedText;
  if (QAccessible::isActive()) removedText = ToQString(box_.Text().substr(start, removed));
  // The output is ASCII, so it goes in without a wide copy of it: a whole
  // refresh of a large text would otherwise hold the output twice at once.
  box_.Replace(start, removed, update.text);
  if (update.whole) verticalScrollBar()->setValue(0);
  if (QAccessible::isActive()) {
    QAccessibleTextUpdateEvent event(this, static_cast<int>(start), removedText,
                                     QString::fromLatin1(update.text));
    QAccessible::updateAccessibility(&event);
  }
  Changed(true);
}

void OutputBox::Changed(bool byApply) {
  UpdateScrollBar();
  viewport()->update();
  emit textChanged();
  if (!byApply) emit editedElsewhere();
}

void OutputBox::UserChanged(const std::optional<TextBoxModel::Change>& change) {
  if (!change) return;
  if (QAccessible::isActive()) {
    const auto start = static_cast<int>(change->start);
    if (!change->removed.empty()) {
      QAccessibleTextRemoveEvent event(this, start, ToQString(change->removed));
      QAccessible::updateAccessibility(&event);
    }
    if (change->inserted != 0) {
      QAccessibleTextInsertEvent event(
          this, start, ToQString(box_.Text().substr(change->start, change->inserted)));
      QAccessible::updateAccessibility(&event);
    }
  }
  Changed(false);
  CaretMoved();
}

void OutputBox::ReplaceAsUser(std::size_t start, std::size_t removed, const QString& text) {
  if (readOnly_) return;
  box_.Select(start, start + removed);
  UserChanged(text.isEmpty() ? box_.DeleteForward(false) : box_.Type(Units(text)));
}

void OutputBox::SelectAsUser(std::size_t anchor, std::size_t caret) {
  box_.Select(anchor, caret);
  CaretMoved();
}

void OutputBox::CaretMoved() {
  EnsureCaretVisible();
  RestartBlinking();
  viewport()->update();
  if (QAccessible::isActive()) {
    const TextBoxModel::Place caret = box_.Caret();
    QAccessibleTextCursorEvent cursor(this, static_cast<int>(caret.position));
    QAccessible::updateAccessibility(&cursor);
    if (box_.HasSelection()) {
      QAccessibleTextSelectionEvent selection(this, static_cast<int>(box_.SelectionStart()),
                                              static_cast<int>(box_.SelectionEnd()));
      QAccessible::updateAccessibility(&selection);
    }
  }
  if (QGuiApplication::inputMethod() != nullptr && hasFocus()) {
    QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImCursorPosition |
                                           Qt::ImAnchorPosition | Qt::ImSurroundingText);
  }
}

qreal OutputBox::LineHeight() const { return QFontMetricsF(font()).lineSpacing(); }

qreal OutputBox::LineTop(std::size_t line) const {
  const auto first = static_cast<qreal>(verticalScrollBar()->value());
  return kTextBoxMargin + (static_cast<qreal>(line) - first) * LineHeight();
}

int OutputBox::VisibleLines() const {
  return std::max(1, qFloor((viewport()->height() - kTextBoxMargin) / LineHeight()));
}

void OutputBox::LayOut() {
  const QFontMetricsF metrics(font());
  laidOutWidth_ = viewport()->width();
  box_.SetLayout(ToAdvance(laidOutWidth_ - 2 * kTextBoxMargin),
                 [metrics](std::u16string_view character) {
                   return ToAdvance(metrics.horizontalAdvance(ToQString(character)));
                 });
  UpdateScrollBar();
  viewport()->update();
}

void OutputBox::UpdateScrollBar() {
  QScrollBar& bar = *verticalScrollBar();
  const int visible = VisibleLines();
  bar.setRange(0, std::max(0, lineCount() - visible));
  bar.setPageStep(visible);
  bar.setSingleStep(1);
}

void OutputBox::scrollContentsBy(int, int) { viewport()->update(); }

void OutputBox::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (viewport()->width() != laidOutWidth_) {
    LayOut();
  } else {
    UpdateScrollBar();
  }
}

void OutputBox::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) LayOut();
}

void OutputBox::EnsureCaretVisible() {
  QScrollBar& bar = *verticalScrollBar();
  const auto top = static_cast<int>(box_.TopLineShowingCaret(
      static_cast<std::size_t>(bar.value()), static_cast<std::size_t>(VisibleLines())));
  if (top != bar.value()) bar.setValue(top);
}

TextBoxModel::Place OutputBox::PlaceAt(QPoint point) const {
  const qreal fromTop = (point.y() - kTextBoxMargin) / LineHeight();
  const qreal line = std::max<qreal>(0, verticalScrollBar()->value() + std::floor(fromTop));
  return box_.PlaceAt(static_cast<std::size_t>(line), ToAdvance(point.x() - kTextBoxMargin));
}

std::size_t OutputBox::PositionAt(QPoint point) const { return PlaceAt(point).position; }

QRect OutputBox::CharacterRect(std::size_t position) const {
  const TextBoxModel::Place place{position, false};
  const qreal x = kTextBoxMargin + ToPixels(box_.XOf(place));
  const std::size_t next = std::min(position + 1, box_.Text().size());
  const qreal width =
      next > position
          ? QFontMetricsF(font()).horizontalAdvance(ToQString(box_.Text().substr(position, 1)))
          : 1;
  return QRectF(x, LineTop(box_.LineOf(place)), width, LineHeight()).toAlignedRect();
}

void OutputBox::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.fillRect(event->rect(), palette().base());
  painter.setFont(font());
  const auto first = static_cast<std::size_t>(verticalScrollBar()->value());
  const std::size_t end =
      std::min(box_.LineCount(), first + static_cast<std::size_t>(VisibleLines()) + 2);
  for (std::size_t line = first; line < end; ++line) DrawLine(painter, line, LineTop(line));

  if (hasFocus() && (caretShown_ || !preedit_.isEmpty())) {
    const TextBoxModel::Place caret = box_.Caret();
    const qreal x = kTextBoxMargin + ToPixels(box_.XOf(caret));
    const qreal top = LineTop(box_.LineOf(caret));
    if (!preedit_.isEmpty()) {
      // What an input method has not committed yet, over the text at the caret.
      const QFontMetricsF metrics(font());
      const QRectF room(x, top, metrics.horizontalAdvance(preedit_), LineHeight());
      painter.fillRect(room, palette().base());
      painter.setPen(palette().text().color());
      painter.drawText(QPointF(x, top + metrics.ascent()), preedit_);
      painter.drawLine(room.bottomLeft() - QPointF(0, 1), room.bottomRight() - QPointF(0, 1));
    } else {
      painter.fillRect(QRectF(x, top, 1, LineHeight()), palette().text());
    }
  }
}

// The line's text, and over the selected part of it the same text in the
// selection's colours. Tabs take the room the layout gives them.
void OutputBox::DrawLine(QPainter& painter, std::size_t line, qreal top) const {
  const QFontMetricsF metrics(font());
  const qreal baseline = top + metrics.ascent();
  const auto draw = [&] {
    box_.ForEachRunBetweenTabs(line, [&](std::size_t start, std::u16string_view run) {
      const qreal x = kTextBoxMargin + ToPixels(box_.XOf({start, false}));
      painter.drawText(QPointF(x, baseline), ToQString(run));
    });
  };
  painter.setPen(palette().text().color());
  draw();

  const std::optional<TextBoxModel::LineSelection> selection = box_.SelectionOn(line);
  if (!selection) return;
  const qreal left = kTextBoxMargin + ToPixels(box_.XOf({selection->from, false}));
  qreal right = kTextBoxMargin + ToPixels(box_.XOf(selection->to));
  // A selected line break shows as a blank's width of selection.
  if (selection->lineBreak) right += metrics.horizontalAdvance(QLatin1Char(' '));
  const QRectF selected(left, top, right - left, LineHeight());
  const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
  painter.fillRect(selected, palette().brush(group, QPalette::Highlight));
  painter.save();
  painter.setClipRect(selected);
  painter.setPen(palette().color(group, QPalette::HighlightedText));
  draw();
  painter.restore();
}

bool OutputBox::event(QEvent* event) {
  // Keys the box handles itself are not window shortcuts while it has the focus.
  if (event->type() == QEvent::ShortcutOverride && IsEditingKey(static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  return QAbstractScrollArea::event(event);
}

bool OutputBox::IsEditingKey(QKeyEvent* event) const {
  for (const CaretKey& key : kCaretKeys) {
    if (event->matches(key.key)) return true;
  }
  for (const auto key :
       {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste,
        QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Delete,
        QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord}) {
    if (event->matches(key)) return true;
  }
  const QString text = event->text();
  return !text.isEmpty() && text.front().isPrint() &&
         !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
}

void OutputBox::keyPressEvent(QKeyEvent* event) {
  if (HandleKey(event)) {
    event->accept();
  } else {
    QAbstractScrollArea::keyPressEvent(event);
  }
}

bool OutputBox::HandleKey(QKeyEvent* event) {
  for (const CaretKey& key : kCaretKeys) {
    if (event->matches(key.key)) {
      box_.MoveCaret(key.move, key.extend, static_cast<std::size_t>(VisibleLines()));
      CaretMoved();
      return true;
    }
  }
  if (event->matches(QKeySequence::SelectAll)) {
    selectAll();
    return true;
  }
  if (event->matches(QKeySequence::Copy)) {
    copy();
    return true;
  }
  if (readOnly_) return false;
  if (event->matches(QKeySequence::Cut)) {
    cut();
  } else if (event->matches(QKeySequence::Paste)) {
    paste();
  } else if (event->matches(QKeySequence::Undo)) {
    undo();
  } else if (event->matches(QKeySequence::Redo)) {
    redo();
  } else if (event->matches(QKeySequence::Delete)) {
    UserChanged(box_.DeleteForward(false));
  } else if (event->matches(QKeySequence::DeleteStartOfWord)) {
    UserChanged(box_.DeleteBackward(true));
  } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
    UserChanged(box_.DeleteForward(true));
  } else if (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier)) {
    UserChanged(box_.DeleteBackward(false));
  } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    UserChanged(box_.Type(u"\n"));
  } else if (IsEditingKey(event)) {
    UserChanged(box_.Type(Units(event->text())));
  } else {
    return false;
  }
  return true;
}

void OutputBox::inputMethodEvent(QInputMethodEvent* event) {
  if (readOnly_) {
    event->ignore();
    return;
  }
  if (!event->commitString().isEmpty()) UserChanged(box_.Type(Units(event->commitString())));
  preedit_ = event->preeditString();
  viewport()->update();
  event->accept();
}

QVariant OutputBox::inputMethodQuery(Qt::InputMethodQuery query) const {
  const TextBoxModel::Place caret = box_.Caret();
  const std::size_t line = box_.LineOf(caret);
  std::size_t paragraph = box_.LineStart(line);
  while (paragraph > 0 && box_.Text()[paragraph - 1] != u'\n') --paragraph;
  switch (query) {
    case Qt::ImEnabled:
      return !readOnly_;
    case Qt::ImFont:
      return font();
    case Qt::ImCursorRectangle:
      return QRectF(kTextBoxMargin + ToPixels(box_.XOf(caret)), LineTop(line), 1, LineHeight())
          .translated(viewport()->pos());
    case Qt::ImCursorPosition:
      return static_cast<int>(caret.position - paragraph);
    case Qt::ImAnchorPosition:
      return static_cast<int>(std::max(box_.Anchor(), paragraph) - paragraph);
    case Qt::ImSurroundingText: {
      const std::size_t end = std::min(box_.Text().find(u'\n', caret.position), box_.Text().size());
      return ToQString(box_.Text().substr(paragraph, end - paragraph));
    }
    case Qt::ImCurrentSelection:
      return ToQString(box_.SelectedText());
    case Qt::ImHints:
      return static_cast<int>(Qt::ImhMultiLine);
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}

void OutputBox::mousePressEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    box_.SetCaret(PlaceAt(point), event->modifiers().testFlag(Qt::ShiftModifier));
    selecting_ = true;
    CaretMoved();
  } else if (event->button() == Qt::MiddleButton && !readOnly_ &&
             QGuiApplication::clipboard()->supportsSelection()) {
    box_.SetCaret(PlaceAt(point), false);
    UserChanged(box_.Type(Units(QGuiApplication::clipboard()->text(QClipboard::Selection))));
  }
}

void OutputBox::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_ || !(event->buttons() & Qt::LeftButton)) return;
  lastMousePoint_ = event->position().toPoint();
  // Dragged past the top or the bottom, the box scrolls on its own.
  if (viewport()->rect().contains(lastMousePoint_)) {
    autoScroll_.stop();
  } else if (!autoScroll_.isActive()) {
    autoScroll_.start(50, this);
  }
  box_.SetCaret(PlaceAt(lastMousePoint_), true);
  CaretMoved();
}

void OutputBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  selecting_ = false;
  autoScroll_.stop();
  CopySelectionTo(QClipboard::Selection);
}

void OutputBox::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  box_.SelectWordAt(PositionAt(event->position().toPoint()));
  CaretMoved();
  CopySelectionTo(QClipboard::Selection);
}

void OutputBox::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  const auto add = [&](const QString& text, QKeySequence::StandardKey key, bool enabled,
                       void (OutputBox::*slot)()) {
    QAction* const action = menu.addAction(text, this, slot);
    action->setShortcut(key);
    action->setEnabled(enabled);
  };
  const bool editable = !readOnly_;
  add(tr("&Undo"), QKeySequence::Undo, editable && box_.CanUndo(), &OutputBox::undo);
  add(tr("&Redo"), QKeySequence::Redo, editable && box_.CanRedo(), &OutputBox::redo);
  menu.addSeparator();
  add(tr("Cu&t"), QKeySequence::Cut, editable && box_.HasSelection(), &OutputBox::cut);
  QAction* const copyAction = menu.addAction(tr("&Copy"), this, [this] { copy(); });
  copyAction->setShortcut(QKeySequence::Copy);
  copyAction->setEnabled(box_.HasSelection());
  add(tr("&Paste"), QKeySequence::Paste,
      editable && !QGuiApplication::clipboard()->text().isEmpty(), &OutputBox::paste);
  QAction* const remove =
      menu.addAction(tr("Delete"), this, [this] { UserChanged(box_.DeleteForward(false)); });
  remove->setEnabled(editable && box_.HasSelection());
  menu.addSeparator();
  add(tr("Select All"), QKeySequence::SelectAll, !box_.Text().empty(), &OutputBox::selectAll);
  menu.exec(event->globalPos());
}

void OutputBox::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  RestartBlinking();
  viewport()->update();
}

void OutputBox::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  blink_.stop();
  caretShown_ = false;
  preedit_.clear();
  viewport()->update();
}

void OutputBox::RestartBlinking() {
  caretShown_ = true;
  const int period = QGuiApplication::styleHints()->cursorFlashTime();
  if (hasFocus() && period > 0) {
    blink_.start(period / 2, this);
  } else {
    blink_.stop();
  }
}

void OutputBox::timerEvent(QTimerEvent* event) {
  if (event->timerId() == blink_.timerId()) {
    caretShown_ = !caretShown_;
    viewport()->update();
  } else if (event->timerId() == autoScroll_.timerId()) {
    QScrollBar& bar = *verticalScrollBar();
    bar.setValue(bar.value() + (lastMousePoint_.y() < 0 ? -1 : 1));
    box_.SetCaret(PlaceAt(lastMousePoint_), true);
    viewport()->update();
  } else {
    QAbstractScrollArea::timerEvent(event);
  }
}

void OutputBox::selectAll() {
  box_.SelectAll();
  CaretMoved();
  CopySelectionTo(QClipboard::Selection);
}

void OutputBox::CopySelectionTo(QClipboard::Mode mode) const {
  QClipboard& clipboard = *QGuiApplication::clipboard();
  if (!box_.HasSelection() || (mode == QClipboard::Selection && !clipboard.supportsSelection())) {
    return;
  }
  clipboard.setText(ToQString(box_.SelectedText()), mode);
}

void OutputBox::copy() const { CopySelectionTo(QClipboard::Clipboard); }

void OutputBox::cut() {
  if (readOnly_ || !box_.HasSelection()) return;
  copy();
  UserChanged(box_.DeleteForward(false));
}

void OutputBox::paste() {
  if (readOnly_) return;
  const QString text = QGuiApplication::clipboard()->text();
  if (!text.isEmpty()) UserChanged(box_.Type(Units(text)));
}

void OutputBox::undo() {
  if (!readOnly_) UserChanged(box_.Undo());
}

void OutputBox::redo() {
  if (!readOnly_) UserChanged(box_.Redo());
}

}  // namespace gbkhex
