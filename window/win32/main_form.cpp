#include "window/win32/main_form.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <utility>

#include "convert/code_format.h"
#include "platform/win32/wide_text.h"
#include "window/win32/control_ids.h"
#include "window/win32/output_box.h"
#include "window/win32/text_box_font.h"

namespace gbkhex::win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFormExStyle = 0;

constexpr bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
// ShellExecuteA takes the address in the narrow code page; ASCII reads the
// same in every code page, so the UTF-8 bytes can be passed as they are.
static_assert(IsAscii(layout::kHomePage));

struct WindowClassAndStyle {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

// An option button opens a radio group unless the control before it in tab
// order is an option button of the same frame.
bool StartsRadioGroup(std::size_t index) {
  if (index == 0) return true;
  const layout::Control& previous = layout::kControls[index - 1];
  const layout::Control& control = layout::kControls[index];
  return previous.kind != layout::ControlKind::OptionButton ||
         previous.container != control.container;
}

WindowClassAndStyle ClassAndStyleOf(std::size_t index) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  switch (layout::kControls[index].kind) {
    case layout::ControlKind::GroupFrame:
      return {WC_BUTTONW, kChild | WS_GROUP | BS_GROUPBOX, 0};
    case layout::ControlKind::TextBox:
      // Text2 answers an edit control's messages with a layout that keeps a
      // long output quick to change.
      return {index == layout::kText2 ? OutputBox::kClassName : WC_EDITW,
              kChild | WS_GROUP | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                  ES_WANTRETURN,
              WS_EX_CLIENTEDGE};
    case layout::ControlKind::OptionButton:
      // Only the first of a group is a tab stop; checking a radio button moves
      // the tab stop to it.
      return {WC_BUTTONW,
              kChild | BS_AUTORADIOBUTTON |
                  (StartsRadioGroup(index) ? static_cast<DWORD>(WS_GROUP | WS_TABSTOP) : 0),
              0};
    case layout::ControlKind::Label:
      return {WC_STATICW, kChild | WS_GROUP | SS_LEFT | SS_NOPREFIX, 0};
    case layout::ControlKind::PushButton:
      return {WC_BUTTONW, kChild | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, 0};
  }
  return {WC_STATICW, kChild, 0};
}

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

// The control's rectangle in Form1's client area: the table gives it relative
// to its container.
TwipsRect FormTwips(std::size_t index) {
  const layout::Control& control = layout::kControls[index];
  TwipsRect rect{control.left, control.top, control.width, control.height};
  for (std::size_t container = layout::kContainerOf[index]; container != layout::kOnForm;
       container = layout::kContainerOf[container]) {
    rect.left += layout::kControls[container].left;
    rect.top += layout::kControls[container].top;
  }
  return rect;
}

int Pixels(int twips, UINT dpi) { return layout::TwipsToPixels(twips, static_cast<int>(dpi)); }

UniqueFont CreateUiFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, dpi)) {
    return nullptr;
  }
  LOGFONTW font = metrics.lfMessageFont;
  font.lfHeight = -MulDiv(layout::kFontPointSize, static_cast<int>(dpi), 72);
  font.lfWidth = 0;
  return UniqueFont(CreateFontIndirectW(&font));
}

// Room between the text and the box's edge, in pixels at 96 dpi. The edit
// control's own choice for the font may be wider and leave Text2 narrower than
// an 80-character line.
constexpr int kTextBoxMargin = 1;

}  // namespace

// SimSun, or what Windows maps it to: a CJK face whose Latin letters are half
// as wide as its Chinese ones, 6 px at 9 pt and 96 dpi, so that an
// 80-character line of the C format takes 480 px and shows as one line of Text2.
UniqueFont CreateTextBoxFont(UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(layout::kFontPointSize, static_cast<int>(dpi), 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = GB2312_CHARSET;
  font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  constexpr std::wstring_view kSimSun = L"\u5B8B\u4F53";  // 宋体
  std::copy(kSimSun.begin(), kSimSun.end(), font.lfFaceName);
  return UniqueFont(CreateFontIndirectW(&font));
}

Form1::~Form1() {
  // Destroying the window calls back into this object (WM_NCDESTROY), so it
  // must go while every member is still whole.
  window_.reset();
}

bool Form1::Create(HINSTANCE instance, FormIcons icons) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Form1::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = icons.icon;
  windowClass.hIconSm = icons.smallIcon;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  if (!OutputBox::Register(instance)) return false;

  const std::wstring caption = WideFromUtf8(layout::kWindowCaption).value();
  // WM_NCCREATE hands the new window to window_.
  if (!CreateWindowExW(kFormExStyle, kClassName, caption.c_str(), kFormStyle, CW_USEDEFAULT,
                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                       this)) {
    return false;
  }
  CreateControls(instance);
  const UINT dpi = GetDpiForWindow(window_.get());
  ApplyDpi(dpi);
  CentreOnScreen();
  Load();
  return true;
}

void Form1::Show(int showCommand) const {
  ShowWindow(window_.get(), showCommand);
  UpdateWindow(window_.get());
}

bool Form1::PreTranslateMessage(MSG& message) const {
  return window_ && IsDialogMessageW(window_.get(), &message);
}

OutputFormat Form1::Format() const {
  return SendMessageW(Control(layout::kOption1), BM_GETCHECK, 0, 0) == BST_CHECKED
             ? OutputFormat::Hexadecimal
             : OutputFormat::C;
}

void Form1::FormatNameToMac(std::wstring_view val, std::wstring& out) const {
  model_.FormatNameToMac(val, Format(), out);
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Form1* form = nullptr;
  if (message == WM_NCCREATE) {
    form = static_cast<Form1*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    form->window_.reset(window);
  } else {
    form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  return form ? form->HandleMessage(message, wParam, lParam)
              : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = window_.get();
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) focusOnActivate_ = focus;
      }
      break;
    case WM_SETFOCUS:
      if (focusOnActivate_) SetFocus(focusOnActivate_);
      return 0;
    case WM_NEXTDLGCTL:
      // Multi-line edits ask their parent to move the focus on Tab, as they
      // would ask a dialog.
      MoveFocus(LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                               : GetNextDlgTabItem(window, GetFocus(), wParam != 0));
      return 0;
    case WM_DPICHANGED: {
      ApplyDpi(HIWORD(wParam));
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested.left, suggested.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      static_cast<void>(window_.release());
      controls_ = {};
      text2_ = nullptr;
      focusOnActivate_ = nullptr;
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Form1::CreateControls(HINSTANCE instance) {
  // Creation order is tab order: the dialog manager walks the children in it.
  for (std::size_t i = 0; i < layout::kControls.size(); ++i) {
    const layout::Control& control = layout::kControls[i];
    const WindowClassAndStyle kind = ClassAndStyleOf(i);
    const std::wstring caption = WideFromUtf8(control.caption).value();
    controls_[i] = CreateWindowExW(
        kind.exStyle, kind.className, caption.c_str(), kind.style, 0, 0, 0, 0, window_.get(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(i))), instance, nullptr);
    if (control.kind == layout::ControlKind::TextBox) {
      // Lifts the 32,767-character limit on typing and pasting, so that a long
      // paste is never cut short without a word.
      SendMessageW(controls_[i], EM_SETLIMITTEXT, 0, 0);
    }
  }
  text2_ = OutputBox::Of(Control(layout::kText2));
  // Named, as an edit control is, by the caption of the frame it sits in.
  if (text2_) {
    text2_->SetAccessibleName(
        WideFromUtf8(layout::kControls[layout::kContainerOf[layout::kText2]].caption).value());
  }
  focusOnActivate_ = Control(layout::kText1);
}

void Form1::ApplyDpi(UINT dpi) {
  UniqueFont uiFont = CreateUiFont(dpi);
  UniqueFont textBoxFont = CreateTextBoxFont(dpi);
  const int margin = MulDiv(kTextBoxMargin, static_cast<int>(dpi), 96);
  for (std::size_t i = 0; i < layout::kControls.size(); ++i) {
    const bool isTextBox = layout::kControls[i].kind == layout::ControlKind::TextBox;
    const HFONT font = isTextBox && textBoxFont ? textBoxFont.get() : uiFont.get();
    if (font) SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // A new font brings the edit control's margins for it; these come after.
    if (isTextBox) {
      SendMessageW(controls_[i], EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                   MAKELPARAM(margin, margin));
    }
  }
  // The controls hold on to the fonts until they have new ones.
  if (uiFont) font_ = std::move(uiFont);
  if (textBoxFont) textBoxFont_ = std::move(textBoxFont);
  for (std::size_t i = 0; i < layout::kControls.size(); ++i) {
    const TwipsRect rect = FormTwips(i);
    SetWindowPos(controls_[i], nullptr, Pixels(rect.left, dpi), Pixels(rect.top, dpi),
                 Pixels(rect.width, dpi), Pixels(rect.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT frame{0, 0, Pixels(layout::kClientWidth, dpi), Pixels(layout::kClientHeight, dpi)};
  AdjustWindowRectExForDpi(&frame, kFormStyle, FALSE, kFormExStyle, dpi);
  SetWindowPos(window_.get(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_.get(), nullptr, TRUE);
}

void Form1::CentreOnScreen() const {
  RECT bounds{};
  GetWindowRect(window_.get(), &bounds);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window_.get(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  SetWindowPos(window_.get(), nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::Load() {
  SendMessageW(Control(layout::kOption1), BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(Control(layout::kOption2), BM_SETCHECK, BST_UNCHECKED, 0);
  // Selecting Option1 counts as a click on it.
  RefreshOutput();
}

void Form1::OnCommand(int controlId, int notification) {
  switch (controlId) {
    case ControlId(layout::kText1):
      if (notification == EN_CHANGE) RefreshOutput();
      break;
    case ControlId(layout::kText2):
      // Text2 tells of every change but the refresh's own.
      if (notification == EN_CHANGE) model_.Text2Edited();
      break;
    case ControlId(layout::kOption1):
    case ControlId(layout::kOption2):
      if (notification == BN_CLICKED) RefreshOutput();
      break;
    case ControlId(layout::kCommand1):
      if (notification == BN_CLICKED) OpenHomePage();
      break;
    default:
      break;
  }
}

void Form1::MoveFocus(HWND control) const {
  if (!control) return;
  // As in a dialog: an edit control reached by the keyboard has its text selected.
  if (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
    SendMessageW(control, EM_SETSEL, 0, -1);
  }
  SetFocus(control);
}

// Text2 ends up holding exactly the new output, as if it had been emptied and
// then set; only the span that differs from what it shows is replaced.
void Form1::RefreshOutput() {
  ReadWindowText(Control(layout::kText1), text1_);
  const Text2Update& update = model_.Refresh(std::wstring_view(text1_), Format());
  if (text2_) text2_->Apply(update);
}

void Form1::OpenHomePage() {
  const std::string address(layout::kHomePage);
  // Nothing is reported when the shell cannot open it.
  ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

HWND Form1::Control(std::size_t index) const { return controls_[index]; }

}  // namespace gbkhex::win32
