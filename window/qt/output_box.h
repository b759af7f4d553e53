#pragma once

#include <QPlainTextEdit>

#include "window/model/form1_model.h"

namespace gbkhex {

// The output box: a plain text box that shows a conversion result, each line
// break as "\n", and that the user may still edit.
class OutputBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit OutputBox(QWidget* parent = nullptr);

  // Brings the text to the refresh's new output. An update of a span leaves
  // the rest of the document, and the layout of every paragraph outside the
  // span, as it was.
  void Apply(const Text2Update& update);

 signals:
  // Someone other than Apply changed the text: the user, or a program.
  void editedElsewhere();

 private:
  bool applying_ = false;
};

}  // namespace gbkhex
