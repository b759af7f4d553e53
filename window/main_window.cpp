#include "window/main_window.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QUrl>
#include <stdexcept>
#include <string>
#include <string_view>

#include "convert/code_format.h"
#include "window/form_layout.h"
#include "window/output_box.h"

namespace gbkhex {
namespace {

using layout::Control;
using layout::ControlKind;

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect PixelRect(const Control& control) {
  using layout::TwipsToPixels;
  return {TwipsToPixels(control.left), TwipsToPixels(control.top), TwipsToPixels(control.width),
          TwipsToPixels(control.height)};
}

// Controls are created in table order, so a frame has to come before what it holds.
constexpr bool ContainersComeFirst() {
  for (std::size_t i = 0; i < layout::kControls.size(); ++i) {
    const std::string_view container = layout::kControls[i].container;
    if (container == layout::kFormName) continue;
    bool seen = false;
    for (std::size_t j = 0; j < i; ++j) seen = seen || layout::kControls[j].name == container;
    if (!seen) return false;
  }
  return true;
}
static_assert(ContainersComeFirst());

void SetUpTextBox(QPlainTextEdit& box) {
  box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
  box.setTabChangesFocus(true);
}

QWidget* CreateControl(const Control& control, QWidget* container) {
  const QString caption = FromUtf8(control.caption);
  switch (control.kind) {
    case ControlKind::GroupFrame:
      return new QGroupBox(caption, container);
    case ControlKind::TextBox: {
      QPlainTextEdit* const box =
          control.name == "Text2" ? new OutputBox(container) : new QPlainTextEdit(container);
      SetUpTextBox(*box);
      return box;
    }
    case ControlKind::OptionButton:
      return new QRadioButton(caption, container);
    case ControlKind::Label:
      return new QLabel(caption, container);
    case ControlKind::PushButton:
      return new QPushButton(caption, container);
  }
  throw std::logic_error("a control of unknown kind");
}

// Text1 holds a paragraph separator between its paragraphs, and a line
// separator where Shift+Enter was pressed; both are line breaks to the user.
QString WithCrLfLineBreaks(const QString& raw) {
  QString text;
  text.reserve(raw.size());
  for (const QChar c : raw) {
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
      text.append(u"\r\n");
    } else {
      text.append(c);
    }
  }
  return text;
}

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
  setObjectName(FromUtf8(layout::kFormName));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(FromUtf8(layout::kWindowCaption));
  setWindowIcon(QIcon(QStringLiteral(":/gbkhex/gbkhex.png")));
  QFont uiFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  uiFont.setPointSize(layout::kFontPointSize);
  // Qt lays out a whole paragraph again on every change of it, and the
  // hexadecimal output is always one paragraph, as long input often is.
  // Chinese and Latin text reads the same without shaping, which would take
  // half of that time; scripts that cannot do without it still get it.
  uiFont.setStyleStrategy(QFont::PreferNoShaping);
  setFont(uiFont);

  const QSize client(layout::TwipsToPixels(layout::kClientWidth),
                     layout::TwipsToPixels(layout::kClientHeight));
  setFixedSize(client);

  CreateControls();
  Load();
}

void Form1::CreateControls() {
  QWidget* previousInTabOrder = nullptr;
  for (const Control& control : layout::kControls) {
    QWidget* const container = control.container == layout::kFormName
                                   ? this
                                   : findChild<QWidget*>(FromUtf8(control.container));
    QWidget* const widget = CreateControl(control, container);
    widget->setObjectName(FromUtf8(control.name));
    widget->setGeometry(PixelRect(control));
    if (widget->focusPolicy() != Qt::NoFocus) {
      if (previousInTabOrder != nullptr) setTabOrder(previousInTabOrder, widget);
      previousInTabOrder = widget;
    }
  }

  text1_ = findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
  text2_ = findChild<OutputBox*>(QStringLiteral("Text2"));
  option1_ = findChild<QRadioButton*>(QStringLiteral("Option1"));
  auto* const option2 = findChild<QRadioButton*>(QStringLiteral("Option2"));
  auto* const command1 = findChild<QPushButton*>(QStringLiteral("Command1"));

  connect(text1_, &QPlainTextEdit::textChanged, this, &Form1::Refresh);
  // `clicked` also comes when the arrow keys move the selection.
  connect(option1_, &QRadioButton::clicked, this, &Form1::Refresh);
  connect(option2, &QRadioButton::clicked, this, &Form1::Refresh);
  connect(command1, &QPushButton::clicked, this, &Form1::OpenHomePage);
  text1_->setFocus();
}

// Once, when the window first shows: only then is the size of its frame known.
void Form1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (centred_) return;
  centred_ = true;
  CentreOnScreen();
}

void Form1::CentreOnScreen() {
  const QRect available = screen()->availableGeometry();
  move(pos() + (available.center() - frameGeometry().center()));
}

void Form1::Load() {
  option1_->setChecked(true);
  Refresh();
}

QString Form1::NumToStrHex(std::int32_t num, std::int16_t bytLen) {
  return QString::fromStdString(gbkhex::NumToStrHex(num, bytLen));
}

QString Form1::FormatNameToMac(const QString& val) const {
  const OutputFormat format = option1_->isChecked() ? OutputFormat::Hexadecimal : OutputFormat::C;
  const std::u16string_view units(QStringView(val).utf16(), static_cast<std::size_t>(val.size()));
  const std::string output = gbkhex::FormatNameToMac(units, format);
  return QString::fromLatin1(output.data(), static_cast<qsizetype>(output.size()));
}

QString Form1::InputText() const {
  // The raw text, because toPlainText() would also turn no-break spaces into
  // blanks, which have a different code.
  return WithCrLfLineBreaks(text1_->document()->toRawText());
}

// Text2 ends up holding exactly the new result; emptying it first, as a
// separate step, would only cost a second layout of the whole text.
void Form1::Refresh() { text2_->ShowOutput(FormatNameToMac(InputText())); }

void Form1::OpenHomePage() const { QDesktopServices::openUrl(QUrl(FromUtf8(layout::kHomePage))); }

}  // namespace gbkhex
