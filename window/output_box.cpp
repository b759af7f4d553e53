#include "window/output_box.h"

#include <QScopedValueRollback>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace gbkhex {
namespace {

// The output with each CR LF as the "\n" that a Qt text box holds for a line break.
QString ToShownText(QString output) {
  return output.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
}

// Lengths of the longest common prefix and, in what follows it, of the longest
// common suffix of `a` and `b`.
std::pair<qsizetype, qsizetype> CommonEnds(QStringView a, QStringView b) {
  const qsizetype prefix = std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
  const QStringView restA = a.mid(prefix);
  const QStringView restB = b.mid(prefix);
  const qsizetype suffix =
      std::mismatch(restA.rbegin(), restA.rend(), restB.rbegin(), restB.rend()).first -
      restA.rbegin();
  return {prefix, suffix};
}

}  // namespace

OutputBox::OutputBox(QWidget* parent) : QPlainTextEdit(parent) {
  connect(this, &QPlainTextEdit::textChanged, this, [this] { inSync_ = inSync_ && showing_; });
}

void OutputBox::ShowOutput(const QString& output) {
  const QString shown = ToShownText(output);
  const QScopedValueRollback showing(showing_, true);
  if (inSync_) {
    ReplaceChangedSpan(shown);
  } else {
    setPlainText(shown);
  }
  shown_ = shown;
  inSync_ = true;
}

void OutputBox::ReplaceChangedSpan(const QString& shown) {
  const auto [prefix, suffix] = CommonEnds(shown_, shown);
  if (prefix + suffix == shown_.size() && prefix + suffix == shown.size()) return;

  // A refresh is not an edit of the user's: like setPlainText, it leaves
  // nothing to undo.
  QTextDocument& doc = *document();
  doc.setUndoRedoEnabled(false);
  QTextCursor cursor(&doc);
  // Inside an edit block the cursor does not work out its x position in the
  // changed paragraph, a second pass over all of it that nothing here needs.
  cursor.beginEditBlock();
  cursor.setPosition(static_cast<int>(prefix));
  cursor.setPosition(static_cast<int>(shown_.size() - suffix), QTextCursor::KeepAnchor);
  cursor.insertText(QStringView(shown).sliced(prefix, shown.size() - prefix - suffix).toString());
  cursor.endEditBlock();
  doc.setUndoRedoEnabled(true);
}

}  // namespace gbkhex
