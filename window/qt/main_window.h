#pragma once

#include <QMargins>
#include <QString>
#include <QStringView>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "window/model/form1_model.h"
#include "window/model/form_layout.h"

class QButtonGroup;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace gbkhex {

class OutputBox;

// The main window. Its controls carry the names of the control table
// (objectName "Text1", "Option1", ...), which also gives their places.
//
// Qt's text boxes hold "\n" for a line break where the conversion expects
// CR LF: each line break of Text1 reaches the conversion as CR LF, and each
// CR LF of the result shows as a line break in Text2, whose toPlainText()
// therefore holds "\n" where the result holds CR LF.
class Form1 : public QWidget {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);

  // `num` as a field of 2 * bytLen upper-case hexadecimal digits.
  static QString NumToStrHex(std::int32_t num, std::int16_t bytLen);

  // Writes over `out` the code page 936 bytes of `val`, text as Text1 holds it
  // (a paragraph or line separator for each line break, converted as CR LF),
  // in the format that the option buttons select at the moment of the call and
  // with "\n" for each CR LF of the result, as Text2 shows it.
  void FormatNameToMac(QStringView val, std::u16string& out) const;

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Whether the whole window, frame and all, has been centred on the screen.
  enum class Centring { NotYet, AwaitingFrame, Done };

  void CreateControls();
  void Load();
  void Refresh();
  OutputFormat Format() const;
  void OpenHomePage() const;
  QMargins FrameMargins() const;
  bool HasFrame() const;
  void CentreOnScreen();

  // In the order of the table; owned by their parent widgets, as are the
  // typed pointers below and the button group.
  std::array<QWidget*, layout::kControls.size()> controls_{};
  QPlainTextEdit* text1_ = nullptr;
  OutputBox* text2_ = nullptr;
  QRadioButton* option1_ = nullptr;
  QRadioButton* option2_ = nullptr;
  QPushButton* command1_ = nullptr;
  QButtonGroup* formatButtons_ = nullptr;
  // Text1's text as the refresh hands it over: a paragraph or line separator
  // for each line break; Text2's with "\n".
  Form1Model model_{InputLineBreak::Separator, LineBreak::Lf};
  Centring centring_ = Centring::NotYet;
};

}  // namespace gbkhex
