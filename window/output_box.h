#pragma once

#include <QPlainTextEdit>
#include <string>

namespace gbkhex {

// The output box: a plain text box that shows a conversion result, each line
// break as "\n", and that the user may still edit.
//
// A result usually differs from the one before it only around the place where
// the input changed, so a new result replaces only the span that differs: the
// rest of the document, and the layout of every paragraph outside that span,
// stays as it was.
class OutputBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit OutputBox(QWidget* parent = nullptr);

  // Makes the box hold `output`. Takes the text and leaves in `output` the
  // buffer of the output shown before, for the caller to write the next into.
  void ShowOutput(std::u16string& output);

 private:
  void ReplaceChangedSpan(std::u16string_view next);

  // What the box holds while `inSync_`: no one else has changed its text
  // (the user, or a program through setPlainText) since the last result.
  std::u16string shown_;
  bool inSync_ = false;
  bool showing_ = false;
};

}  // namespace gbkhex
