#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

class QPlainTextEdit;
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

  // The code page 936 bytes of `val` (line breaks as CR LF) in the format that
  // the option buttons select at the moment of the call.
  QString FormatNameToMac(const QString& val) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void Load();
  void Refresh();
  QString InputText() const;
  void OpenHomePage() const;
  void CentreOnScreen();

  // Owned by their parent widgets.
  QPlainTextEdit* text1_ = nullptr;
  OutputBox* text2_ = nullptr;
  QRadioButton* option1_ = nullptr;
  bool centred_ = false;
};

}  // namespace gbkhex
