#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace gbkhex {

// The output box: a plain text box that shows a conversion result, each CR LF
// as a line break, and that the user may still edit.
//
// A result usually differs from the one before it only around the place where
// the input changed, so a new result replaces only the span that differs: the
// rest of the document, and the layout of every paragraph outside that span,
// stays as it was.
class OutputBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit OutputBox(QWidget* parent = nullptr);

  // Makes the box hold `output`, with "\n" in the place of each CR LF.
  void ShowOutput(const QString& output);

 private:
  void ReplaceChangedSpan(const QString& shown);

  // What the box holds while `inSync_`: no one else has changed its text
  // (the user, or a program through setPlainText) since the last result.
  QString shown_;
  bool inSync_ = false;
  bool showing_ = false;
};

}  // namespace gbkhex
