#include "window/qt/output_box.h"

#include <QScopedValueRollback>
#include <QTextCursor>
#include <QTextDocument>

namespace gbkhex {
namespace {

QString ToQString(std::string_view ascii) {
  return QString::fromLatin1(ascii.data(), static_cast<qsizetype>(ascii.size()));
}

}  // namespace

OutputBox::OutputBox(QWidget* parent) : QPlainTextEdit(parent) {
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!applying_) emit editedElsewhere();
  });
}

void OutputBox::Apply(const Text2Update& update) {
  if (update.ChangesNothing()) return;
  const QScopedValueRollback applying(applying_, true);
  if (update.whole) {
    setPlainText(ToQString(update.text));
    return;
  }
  // A refresh is not an edit of the user's: like setPlainText, it leaves
  // nothing to undo.
  QTextDocument& doc = *document();
  doc.setUndoRedoEnabled(false);
  QTextCursor cursor(&doc);
  // Inside an edit block the cursor does not work out its x position in the
  // changed paragraph, a second pass over all of it that nothing here needs.
  cursor.beginEditBlock();
  cursor.setPosition(static_cast<int>(update.span.start));
  cursor.setPosition(static_cast<int>(update.span.start + update.span.removed),
                     QTextCursor::KeepAnchor);
  cursor.insertText(ToQString(update.text));
  cursor.endEditBlock();
  doc.setUndoRedoEnabled(true);
}

}  // namespace gbkhex
