#include "window/qt/main_window.h"

#include <QButtonGroup>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextDocument>
#include <QUrl>
#include <QWindow>
#include <stdexcept>
#include <string_view>

#include "convert/code_format.h"
#include "window/qt/output_box.h"

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

// The widget class that stands for each kind of control.
template <ControlKind>
struct WidgetOfKind;
template <>
struct WidgetOfKind<ControlKind::GroupFrame> {
  using Type = QGroupBox;
};
template <>
struct WidgetOfKind<ControlKind::TextBox> {
  using Type = QPlainTextEdit;
};
template <>
struct WidgetOfKind<ControlKind::OptionButton> {
  using Type = QRadioButton;
};
template <>
struct WidgetOfKind<ControlKind::Label> {
  using Type = QLabel;
};
template <>
struct WidgetOfKind<ControlKind::PushButton> {
  using Type = QPushButton;
};

// The control at `kIndex` of the table as the widget that was made for its kind.
template <std::size_t kIndex>
auto* WidgetAt(const std::array<QWidget*, layout::kControls.size()>& controls) {
  using Widget = typename WidgetOfKind<layout::kControls[kIndex].kind>::Type;
  return static_cast<Widget*>(controls[kIndex]);
}

// A CJK face whose Latin letters are half as wide as its Chinese ones, 6 px at
// 9 pt and 96 dpi as in the boxes the layout was drawn for: an 80-character
// line of the C format takes 480 px and shows as one line of Text2. Without
// shaping, as for the rest of the window, which Qt would otherwise do here
// too: at 100,000 characters of input, a keystroke would take half as long again.
QFont TextBoxFont() {
  QFont font(QStringLiteral("Noto Sans Mono CJK SC"), layout::kFontPointSize);
  font.setStyleHint(QFont::Monospace);
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

// Both boxes wrap their lines at their width and let Tab move the focus on.
void SetUpTextBox(QAbstractScrollArea& box) {
  box.setFont(TextBoxFont());
  box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void SetUpInputBox(QPlainTextEdit& box) {
  SetUpTextBox(box);
  box.document()->setDocumentMargin(kTextBoxMargin);
  box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
  box.setTabChangesFocus(true);
}

QWidget* CreateControl(std::size_t index, QWidget* container) {
  const Control& control = layout::kControls[index];
  const QString caption = FromUtf8(control.caption);
  switch (control.kind) {
    case ControlKind::GroupFrame:
      return new QGroupBox(caption, container);
    case ControlKind::TextBox: {
      if (index == layout::kText2) {
        auto* const box = new OutputBox(container);
        SetUpTextBox(*box);
        return box;
      }
      auto* const box = new QPlainTextEdit(container);
      SetUpInputBox(*box);
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

std::u16string_view Units(QStringView text) {
  return {text.utf16(), static_cast<std::size_t>(text.size())};
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
  for (std::size_t i = 0; i < layout::kControls.size(); ++i) {
    const std::size_t container = layout::kContainerOf[i];
    QWidget* const widget =
        CreateControl(i, container == layout::kOnForm ? this : controls_[container]);
    widget->setObjectName(FromUtf8(layout::kControls[i].name));
    widget->setGeometry(PixelRect(layout::kControls[i]));
    if (widget->focusPolicy() != Qt::NoFocus) {
      if (previousInTabOrder != nullptr) setTabOrder(previousInTabOrder, widget);
      previousInTabOrder = widget;
    }
    controls_[i] = widget;
  }

  text1_ = WidgetAt<layout::kText1>(controls_);
  // CreateControl makes Text2 an OutputBox.
  text2_ = static_cast<OutputBox*>(controls_[layout::kText2]);
  option1_ = WidgetAt<layout::kOption1>(controls_);
  option2_ = WidgetAt<layout::kOption2>(controls_);
  command1_ = WidgetAt<layout::kCommand1>(controls_);
  formatButtons_ = new QButtonGroup(this);
  formatButtons_->addButton(option1_);
  formatButtons_->addButton(option2_);

  // A benchmark blocks Text1's signals to time Text1 alone.
  connect(text1_, &QPlainTextEdit::textChanged, this, &Form1::Refresh);
  connect(text2_, &OutputBox::editedElsewhere, this, [this] { model_.Text2Edited(); });
  // `buttonClicked` also comes when the arrow keys move the selection.
  connect(formatButtons_, &QButtonGroup::buttonClicked, this, &Form1::Refresh);
  connect(command1_, &QPushButton::clicked, this, &Form1::OpenHomePage);
  text1_->setFocus();
}

// The window manager puts its frame around the window only after the window
// first shows, and tells of it by no event of its own (here it came before the
// first paint): the window is centred as soon as it shows, and once more on
// the first event that finds its frame there, so that the whole frame, not
// the client area, sits in the middle of the screen. With no window manager,
// or one that draws no frames, the first centring stands.
void Form1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (centring_ != Centring::NotYet) return;
  CentreOnScreen();
  centring_ = HasFrame() ? Centring::Done : Centring::AwaitingFrame;
}

bool Form1::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (centring_ == Centring::AwaitingFrame && HasFrame()) {
    centring_ = Centring::Done;
    CentreOnScreen();
  }
  return handled;
}

// The frame as the window system tells of it now: QWidget::frameGeometry()
// may still give what was known before the frame turned up. Margins that do not
// add up to a frame come from one that the window manager is still building.
QMargins Form1::FrameMargins() const {
  const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  const bool whole =
      margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 && margins.bottom() >= 0;
  return whole ? margins : QMargins();
}

bool Form1::HasFrame() const { return !FrameMargins().isNull(); }

void Form1::CentreOnScreen() {
  const QMargins frame = FrameMargins();
  QRect whole(QPoint(), size().grownBy(frame));
  whole.moveCenter(screen()->availableGeometry().center());
  // The client area's own place, which the window manager keeps as it is.
  setGeometry(QRect(whole.topLeft() + QPoint(frame.left(), frame.top()), size()));
}

void Form1::Load() {
  option1_->setChecked(true);
  Refresh();
}

QString Form1::NumToStrHex(std::int32_t num, std::int16_t bytLen) {
  return QString::fromStdString(gbkhex::NumToStrHex(num, bytLen));
}

OutputFormat Form1::Format() const {
  return option1_->isChecked() ? OutputFormat::Hexadecimal : OutputFormat::C;
}

void Form1::FormatNameToMac(QStringView val, std::u16string& out) const {
  model_.FormatNameToMac(Units(val), Format(), out);
}

// The raw text of Text1, because toPlainText() would also turn no-break spaces
// into blanks, which have a different code. Text2 ends up holding exactly the
// new result, as if it had been emptied and then set; it is not emptied as a
// step of its own, which would only cost a second layout of the whole text.
// Text1's copy goes before Text2 takes the new output.
void Form1::Refresh() {
  const Text2Update& update = [this]() -> const Text2Update& {
    const QString text1 = text1_->document()->toRawText();
    return model_.Refresh(Units(text1), Format());
  }();
  text2_->Apply(update);
}

void Form1::OpenHomePage() const { QDesktopServices::openUrl(QUrl(FromUtf8(layout::kHomePage))); }

}  // namespace gbkhex
