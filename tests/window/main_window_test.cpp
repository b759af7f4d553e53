// Drives the shown main window with real key, mouse and input-method events
// and reads the controls through their object names.

#include "window/qt/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QUrl>
#include <memory>
#include <string>

#include "convert/code_format.h"
#include "harness/sample_text.h"
#include "window/model/form_layout.h"
#include "window/qt/output_box.h"

namespace {

using gbkhex::layout::ControlKind;
using gbkhex::layout::TwipsToPixels;

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// What Text2 shows for `input` typed into Text1: the conversion with CR LF for
// each line break, then each CR LF shown as a line break.
QString Expected(const QString& input, gbkhex::OutputFormat format) {
  QString withCrLf = input;
  withCrLf.replace(u'\n', QStringLiteral("\r\n"));
  const std::u16string_view units(QStringView(withCrLf).utf16(),
                                  static_cast<std::size_t>(withCrLf.size()));
  return QString::fromLatin1(gbkhex::FormatNameToMac(units, format)).replace("\r\n", "\n");
}

// Records what the window asks the desktop to open.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void Open(const QUrl& url) { opened.append(url); }
};

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void startsWithHexSelectedText1FocusedAndBothBoxesEmpty();
  void typingAndClickingFormatsRefreshesTheOutput();
  void arrowKeysChangingTheSelectionRefreshTheOutput();
  void formatClicksOnEmptyInputLeaveTheOutputEmpty();
  void deletionAndUndoRefreshTheOutput();
  void lineBreaksReachTheConversionAsCrLf();
  void noBreakSpaceKeepsItsOwnCode();
  void cFormatLinesShowAsLineBreaks();
  void eachCLineLaysOutAsOneLineAndHexWrapsBetweenTokens();
  void textTypedIntoText2StaysUntilTheNextRefresh();
  void editsAnywhereKeepTheOutputExact();
  void pasting100000CharactersConvertsThemAll();
  void command1OpensExactlyTheHomePage();
  void controlsSitWhereTheTableSays();
  void tabVisitsTheControlsInTableOrder();
  void captionsAndLabelShowWhole();

 private:
  template <typename T>
  T* Control(const char* name) const {
    T* const control = form_->findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) qFatal("no control %s", name);
    return control;
  }
  QPlainTextEdit* Text1() const { return Control<QPlainTextEdit>("Text1"); }
  gbkhex::OutputBox* Text2() const { return Control<gbkhex::OutputBox>("Text2"); }
  // What Text2 reports, as a QPlainTextEdit reports its text.
  QString Output() const { return Text2()->property("plainText").toString(); }
  void Click(const char* name) const {
    QTest::mouseClick(Control<QAbstractButton>(name), Qt::LeftButton);
  }
  // Typing through an input method, as Chinese is typed.
  void Commit(QWidget* target, const QString& text) const {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(target, &event);
  }

  std::unique_ptr<gbkhex::Form1> form_;
};

void MainWindowTest::init() {
  form_ = std::make_unique<gbkhex::Form1>();
  form_->show();
  QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

void MainWindowTest::cleanup() { form_.reset(); }

void MainWindowTest::startsWithHexSelectedText1FocusedAndBothBoxesEmpty() {
  QVERIFY(Control<QRadioButton>("Option1")->isChecked());
  QVERIFY(!Control<QRadioButton>("Option2")->isChecked());
  QCOMPARE(QApplication::focusWidget(), Text1());
  QCOMPARE(Text1()->toPlainText(), QString());
  QCOMPARE(Output(), QString());

  QCOMPARE(form_->windowTitle(), FromUtf8(gbkhex::layout::kWindowCaption));
  QVERIFY(!form_->windowIcon().isNull());
  QCOMPARE(form_->windowIcon().availableSizes().value(0), QSize(48, 47));
  QCOMPARE(form_->size(), QSize(553, 451));
  const QPoint offCentre =
      form_->frameGeometry().center() - form_->screen()->availableGeometry().center();
  QVERIFY2(offCentre.manhattanLength() <= 1, qPrintable(QString::number(offCentre.x())));
  // Centred once: a window the user moves stays where it was put.
  const QPoint moved = form_->pos() + QPoint(40, 30);
  form_->move(moved);
  QApplication::processEvents();
  QCOMPARE(form_->pos(), moved);
  QCOMPARE(form_->minimumSize(), form_->maximumSize());
  QVERIFY(!(form_->windowFlags() & Qt::WindowMaximizeButtonHint));
  QCOMPARE(form_->font().pointSize(), 9);
  QCOMPARE(Text2()->font().pointSize(), 9);

  const auto checkBox = [](const auto& box) {
    QCOMPARE(box.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(box.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(box.lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QVERIFY(!box.isReadOnly());
  };
  checkBox(*Text1());
  checkBox(*Text2());
}

void MainWindowTest::typingAndClickingFormatsRefreshesTheOutput() {
  QTest::keyClicks(Text1(), "A");
  QCOMPARE(Output(), QStringLiteral("41 "));
  Click("Option2");
  QCOMPARE(Output(), QStringLiteral("0X41,"));
  // Clicking the button already selected converts again, too.
  Text2()->clear();
  Click("Option2");
  QCOMPARE(Output(), QStringLiteral("0X41,"));
  Click("Option1");
  QCOMPARE(Output(), QStringLiteral("41 "));

  Commit(Text1(), QStringLiteral(u"十六进制"));
  QCOMPARE(Output(), QStringLiteral("41 CA AE C1 F9 BD F8 D6 C6 "));
  // Form1's own conversion reads the buttons at the moment of the call.
  std::u16string out = u"stale";
  form_->FormatNameToMac(u"十", out);
  QCOMPARE(out, u"CA AE ");
  Click("Option2");
  form_->FormatNameToMac(u"十 ", out);
  QCOMPARE(out, u"0XCA,0XAE,0X0D,0X0A,");
  QCOMPARE(gbkhex::Form1::NumToStrHex(-10544, 2), QStringLiteral("D6D0"));
}

void MainWindowTest::arrowKeysChangingTheSelectionRefreshTheOutput() {
  QTest::keyClicks(Text1(), "A");
  auto* const option1 = Control<QRadioButton>("Option1");
  option1->setFocus();
  QTest::keyClick(option1, Qt::Key_Right);
  QVERIFY(Control<QRadioButton>("Option2")->isChecked());
  QCOMPARE(Output(), QStringLiteral("0X41,"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
  QVERIFY(option1->isChecked());
  QCOMPARE(Output(), QStringLiteral("41 "));
}

void MainWindowTest::formatClicksOnEmptyInputLeaveTheOutputEmpty() {
  Click("Option2");
  QCOMPARE(Output(), QString());
  Click("Option1");
  QCOMPARE(Output(), QString());
}

void MainWindowTest::deletionAndUndoRefreshTheOutput() {
  QTest::keyClicks(Text1(), "AB");
  QCOMPARE(Output(), QStringLiteral("41 42 "));
  QTest::keyClick(Text1(), Qt::Key_Backspace);
  QCOMPARE(Output(), QStringLiteral("41 "));
  QTest::keyClick(Text1(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Text1()->toPlainText(), QStringLiteral("AB"));
  QCOMPARE(Output(), QStringLiteral("41 42 "));

  Commit(Text1(), QStringLiteral(u"十"));
  QTest::keyClick(Text1(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(Text1(), Qt::Key_Delete);
  QCOMPARE(Text1()->toPlainText(), QString());
  QCOMPARE(Output(), QString());
}

void MainWindowTest::lineBreaksReachTheConversionAsCrLf() {
  QTest::keyClick(Text1(), Qt::Key_Return);
  QCOMPARE(Output(), QStringLiteral("0D 0A "));
  QTest::keyClicks(Text1(), "A");
  // Shift+Enter breaks the line inside the paragraph; it is a line break all the same.
  QTest::keyClick(Text1(), Qt::Key_Return, Qt::ShiftModifier);
  QTest::keyClicks(Text1(), "B");
  QCOMPARE(Output(), QStringLiteral("0D 0A 41 0D 0A 42 "));
  Click("Option2");
  QCOMPARE(Output(), QStringLiteral("0X0D,0X0A,0X41,0X0D,0X0A,0X42,"));
}

void MainWindowTest::noBreakSpaceKeepsItsOwnCode() {
  Commit(Text1(), QStringLiteral(u"\u00A0 "));
  QCOMPARE(Output(), QStringLiteral("3F 20 "));
}

void MainWindowTest::cFormatLinesShowAsLineBreaks() {
  Click("Option2");
  QTest::keyClicks(Text1(), "ABCDEFGHIJKLMNOP");
  const QString fullLine = Output().left(80);
  QCOMPARE(Output(), fullLine + "\n");
  QCOMPARE(Text2()->blockCount(), 2);
  QVERIFY(fullLine.endsWith("0X50,"));

  QTest::keyClicks(Text1(), "Q");
  QCOMPARE(Output(), fullLine + "\n0X51,");
  QTest::keyClick(Text1(), Qt::Key_Backspace);
  QCOMPARE(Output(), fullLine + "\n");

  // Eight two-byte characters fill a line as well.
  Text1()->clear();
  Commit(Text1(), QStringLiteral(u"十六进制十六进制"));
  QCOMPARE(Output(),
           QStringLiteral("0XCA,0XAE,0XC1,0XF9,0XBD,0XF8,0XD6,0XC6,0XCA,0XAE,0XC1,0XF9,0XBD,0XF8,"
                          "0XD6,0XC6,\n"));
  Click("Option1");
  QCOMPARE(Text2()->blockCount(), 1);
}

// Checked by the layout Qt makes of each paragraph, at whatever scale the test
// runs (CTest runs it again at 144 dpi).
void MainWindowTest::eachCLineLaysOutAsOneLineAndHexWrapsBetweenTokens() {
  QCOMPARE(QFontInfo(Text2()->font()).family(), QStringLiteral("Noto Sans Mono CJK SC"));
  Click("Option2");
  const QString input =
      QStringLiteral(u"十六进制 LCD 液晶显示屏 GBK\n0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ 汉字");
  Commit(Text1(), input);
  QCOMPARE(Output(), Expected(input, gbkhex::OutputFormat::C));
  QCOMPARE(Text2()->blockCount(), 5);  // 71 bytes: four full lines and one of 7
  // Each paragraph lays out as one line.
  QCOMPARE(Text2()->lineCount(), Text2()->blockCount());

  Click("Option1");
  QVERIFY(Text2()->lineCount() > 2);
  for (int i = 0; i < Text2()->lineCount(); ++i) {
    QVERIFY2(Text2()->lineStart(i) % 3 == 0, qPrintable(QString::number(i)));
  }
}

void MainWindowTest::textTypedIntoText2StaysUntilTheNextRefresh() {
  QTest::keyClicks(Text1(), "A");
  QTest::mouseClick(Text2()->viewport(), Qt::LeftButton);
  QTest::keyClick(Text2(), Qt::Key_End);
  QTest::keyClicks(Text2(), "xyz");
  QCOMPARE(Output(), QStringLiteral("41 xyz"));
  QCOMPARE(Text1()->toPlainText(), QStringLiteral("A"));

  QTest::keyClicks(Text1(), "B");
  QCOMPARE(Output(), QStringLiteral("41 42 "));

  // An output the user has cut down is rebuilt whole by the next format click.
  QTest::keyClick(Text2(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(Text2(), Qt::Key_Delete);
  QCOMPARE(Output(), QString());
  Click("Option1");
  QCOMPARE(Output(), QStringLiteral("41 42 "));

  // Undoing the user's edit of Text2 brings back exactly the output that was shown.
  QTest::keyClicks(Text2(), "!");
  QTest::keyClick(Text2(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Output(), QStringLiteral("41 42 "));
  QTest::keyClicks(Text1(), "C");
  QCOMPARE(Output(), QStringLiteral("41 42 43 "));
  // A refresh leaves nothing for the user to undo in Text2.
  QVERIFY(!Text2()->isUndoAvailable());
}

void MainWindowTest::editsAnywhereKeepTheOutputExact() {
  Click("Option2");
  const QString start = QStringLiteral(u"ABCDEFGH十六进制IJKLMNOPQRSTUVWXYZ\n一二三四五六七八九十");
  Commit(Text1(), start);
  QCOMPARE(Output(), Expected(start, gbkhex::OutputFormat::C));

  // An edit near the start shifts every later token across the 80-character lines.
  QTextCursor cursor = Text1()->textCursor();
  cursor.setPosition(1);
  Text1()->setTextCursor(cursor);
  QTest::keyClicks(Text1(), "z");
  QCOMPARE(Output(), Expected(Text1()->toPlainText(), gbkhex::OutputFormat::C));
  Commit(Text1(), QStringLiteral(u"中"));
  QCOMPARE(Output(), Expected(Text1()->toPlainText(), gbkhex::OutputFormat::C));
  QTest::keyClick(Text1(), Qt::Key_Backspace);
  QTest::keyClick(Text1(), Qt::Key_Backspace);
  QCOMPARE(Output(), Expected(start, gbkhex::OutputFormat::C));

  // Removing the line break joins the lines; typing one where a token repeats
  // must still land in the right place.
  cursor.setPosition(static_cast<int>(start.indexOf(u'\n')) + 1);
  Text1()->setTextCursor(cursor);
  QTest::keyClick(Text1(), Qt::Key_Backspace);
  QCOMPARE(Output(), Expected(Text1()->toPlainText(), gbkhex::OutputFormat::C));
  Click("Option1");
  QTest::keyClicks(Text1(), "ZZ");
  QCOMPARE(Output(), Expected(Text1()->toPlainText(), gbkhex::OutputFormat::Hexadecimal));
}

void MainWindowTest::pasting100000CharactersConvertsThemAll() {
  const std::u16string sample =
      gbkhex::harness::SampleText<char16_t>(100'000, gbkhex::harness::SampleShape::Lines, u"\n");
  const QString input = QString::fromUtf16(sample.data(), static_cast<qsizetype>(sample.size()));
  QApplication::clipboard()->setText(input);
  QTest::keyClick(Text1(), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(Text1()->toPlainText(), input);
  QCOMPARE(Output(), Expected(input, gbkhex::OutputFormat::Hexadecimal));
  Click("Option2");
  QCOMPARE(Output(), Expected(input, gbkhex::OutputFormat::C));
}

void MainWindowTest::command1OpensExactlyTheHomePage() {
  UrlRecorder recorder;
  QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "Open");
  Click("Command1");
  QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  QCOMPARE(recorder.opened, QList<QUrl>{QUrl(FromUtf8(gbkhex::layout::kHomePage))});
}

void MainWindowTest::controlsSitWhereTheTableSays() {
  for (const auto& entry : gbkhex::layout::kControls) {
    const QString name = FromUtf8(entry.name);
    const auto* const control = form_->findChild<QWidget*>(name);
    QVERIFY2(control != nullptr, qPrintable(name));
    QCOMPARE(control->parentWidget()->objectName(), FromUtf8(entry.container));
    const QRect expected(TwipsToPixels(entry.left), TwipsToPixels(entry.top),
                         TwipsToPixels(entry.width), TwipsToPixels(entry.height));
    QCOMPARE(control->geometry(), expected);
  }
  QCOMPARE(Control<QWidget>("Command1")->geometry(), QRect(441, 420, 89, 23));
  QCOMPARE(Control<QRadioButton>("Option2")->parentWidget(), Control<QGroupBox>("Frame3"));
}

void MainWindowTest::tabVisitsTheControlsInTableOrder() {
  QStringList visited{QApplication::focusWidget()->objectName()};
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  // One stop in the pair of format buttons: the selected one.
  QCOMPARE(visited, (QStringList{"Text1", "Text2", "Option1", "Command1", "Text1", "Text2"}));
  QCOMPARE(Text1()->toPlainText(), QString());

  Click("Option2");
  Text1()->setFocus();
  QTest::keyClick(Text1(), Qt::Key_Tab, Qt::ShiftModifier);
  QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command1"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
  QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Option2"));
}

void MainWindowTest::captionsAndLabelShowWhole() {
  for (const auto& entry : gbkhex::layout::kControls) {
    const QString name = FromUtf8(entry.name);
    const QString caption = FromUtf8(entry.caption);
    auto* const control = form_->findChild<QWidget*>(name);
    QRect room;
    switch (entry.kind) {
      case ControlKind::TextBox:
        continue;
      case ControlKind::GroupFrame: {
        auto* const frame = static_cast<QGroupBox*>(control);
        QCOMPARE(frame->title(), caption);
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        room = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                              QStyle::SC_GroupBoxLabel, frame);
        break;
      }
      case ControlKind::OptionButton:
      case ControlKind::PushButton: {
        auto* const button = static_cast<QAbstractButton*>(control);
        QCOMPARE(button->text(), caption);
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        room = button->style()->subElementRect(entry.kind == ControlKind::PushButton
                                                   ? QStyle::SE_PushButtonContents
                                                   : QStyle::SE_RadioButtonContents,
                                               &option, button);
        break;
      }
      case ControlKind::Label: {
        auto* const label = static_cast<QLabel*>(control);
        QCOMPARE(label->text(), caption);
        room = label->contentsRect();
        break;
      }
    }
    const QFontMetrics metrics = control->fontMetrics();
    QVERIFY2(metrics.horizontalAdvance(caption) <= room.width(), qPrintable(name));
    QVERIFY2(metrics.tightBoundingRect(caption).height() <= room.height(), qPrintable(name));
    QVERIFY2(control->rect().contains(room), qPrintable(name));
  }
  QCOMPARE(Control<QLabel>("Label1")->text(), FromUtf8(gbkhex::layout::kWelcome));
}

}  // namespace

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
