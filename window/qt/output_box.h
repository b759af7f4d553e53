#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QString>

#include "window/model/form1_model.h"
#include "window/model/text_box_model.h"

namespace gbkhex {

// Room between the text and the frame of either text box, in pixels. Qt's
// usual 4 px on either side would leave an 80-character line one pixel to
// spare with the Fusion style, and too little with a style whose scroll bar
// is wider.
inline constexpr int kTextBoxMargin = 2;

// The output box, Text2: to the user and to programs a plain text box as a
// QPlainTextEdit is one (its plainText property, with "\n" for each line
// break; caret, selection, keys, mouse, input methods, clipboard, undo,
// context menu, scroll bar, screen readers), and one that the user may edit.
//
// A QPlainTextEdit lays out a whole paragraph again on every change of it, and
// the hexadecimal output is one paragraph however long it grows. This box
// lays out only the lines that a change touches, and paints only the lines it
// shows, so that a refresh of a long output costs about what a short one does.
class OutputBox : public QAbstractScrollArea {
  Q_OBJECT
  Q_PROPERTY(QString plainText READ toPlainText WRITE setPlainText NOTIFY textChanged USER true)
  Q_PROPERTY(bool readOnly READ isReadOnly WRITE setReadOnly)

 public:
  explicit OutputBox(QWidget* parent = nullptr);

  QString toPlainText() const;
  void setPlainText(const QString& text);
  bool isReadOnly() const noexcept { return readOnly_; }
  void setReadOnly(bool readOnly) noexcept { readOnly_ = readOnly; }
  // It always wraps its lines at its own width.
  QPlainTextEdit::LineWrapMode lineWrapMode() const noexcept { return QPlainTextEdit::WidgetWidth; }
  // Paragraphs, as QPlainTextEdit counts its blocks: line breaks plus one.
  int blockCount() const noexcept;
  // The lines as the box shows them, and where each one starts in the text.
  int lineCount() const noexcept;
  int lineStart(int line) const noexcept;
  bool isUndoAvailable() const noexcept { return box_.CanUndo(); }
  bool isRedoAvailable() const noexcept { return box_.CanRedo(); }

  // Brings the text to the refresh's new output, which leaves nothing for
  // the user to undo, as setPlainText would.
  void Apply(const Text2Update& update);

  // For screen readers.
  const TextBoxModel& model() const noexcept { return box_; }
  QRect CharacterRect(std::size_t position) const;
  std::size_t PositionAt(QPoint point) const;
  void ReplaceAsUser(std::size_t start, std::size_t removed, const QString& text);
  void SelectAsUser(std::size_t anchor, std::size_t caret);

 public slots:
  void clear();
  void selectAll();
  void copy() const;
  void cut();
  void paste();
  void undo();
  void redo();

 signals:
  void textChanged();
  // Someone other than Apply changed the text: the user, or a program.
  void editedElsewhere();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  // What a key does in the box; false for a key it leaves to others.
  bool HandleKey(QKeyEvent* event);
  bool IsEditingKey(QKeyEvent* event) const;
  void LayOut();
  void UpdateScrollBar();
  int VisibleLines() const;
  qreal LineHeight() const;
  qreal LineTop(std::size_t line) const;
  TextBoxModel::Place PlaceAt(QPoint point) const;
  void EnsureCaretVisible();
  // After the caret or the selection moved, and after every change.
  void CaretMoved();
  void UserChanged(const std::optional<TextBoxModel::Change>& change);
  void Changed(bool byApply);
  void RestartBlinking();
  void CopySelectionTo(QClipboard::Mode mode) const;
  void DrawLine(QPainter& painter, std::size_t line, qreal top) const;

  TextBoxModel box_{u"\n"};
  bool readOnly_ = false;
  bool caretShown_ = false;
  bool selecting_ = false;
  QString preedit_;
  QBasicTimer blink_;
  QBasicTimer autoScroll_;
  QPoint lastMousePoint_;
  int laidOutWidth_ = -1;
};

}  // namespace gbkhex
