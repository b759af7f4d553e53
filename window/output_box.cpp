#include "window/output_box.h"

#include <QScopedValueRollback>
#include <QTextCursor>
#include <QTextDocument>

#include "window/changed_span.h"

namespace gbkhex {
namespace {

QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

OutputBox::OutputBox(QWidget* parent) : QPlainTextEdit(parent) {
  connect(this, &QPlainTextEdit::textChanged, this, [this] { inSync_ = inSync_ && showing_; });
}

void OutputBox::ShowOutput(std::u16string& output) {
  const QScopedValueRollback showing(showing_, true);
  if (inSync_) {
    ReplaceChangedSpan(output);
  } else {
    setPlainText(ToQString(output));
  }
  shown_.swap(output);
  inSync_ = true;
}

void OutputBox::ReplaceChangedSpan(std::u16string_view next) {
  const ChangedSpan span = FindChangedSpan(std::u16string_view(shown_), next);
  if (span.IsEmpty()) return;

  // A refresh is not an edit of the user's: like setPlainText, it leaves
  // nothing to undo.
  QTextDocument& doc = *document();
  doc.setUndoRedoEnabled(false);
  QTextCursor cursor(&doc);
  // Inside an edit block the cursor does not work out its x position in the
  // changed paragraph, a second pass over all of it that nothing here needs.
  cursor.beginEditBlock();
  cursor.setPosition(static_cast<int>(span.start));
  cursor.setPosition(static_cast<int>(span.start + span.removed), QTextCursor::KeepAnchor);
  cursor.insertText(ToQString(next.substr(span.start, span.inserted)));
  cursor.endEditBlock();
  doc.setUndoRedoEnabled(true);
}

}  // namespace gbkhex
