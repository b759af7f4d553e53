#include "window/win32/output_box.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <string_view>

#include "convert/unicode.h"
#include "window/win32/output_box_accessible.h"

namespace gbkhex::win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

std::u16string_view Units(std::wstring_view text) {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}
const wchar_t* Wide(const char16_t* units) { return reinterpret_cast<const wchar_t*>(units); }

constexpr UINT_PTR kAutoScrollTimer = 1;

using Move = TextBoxModel::Move;

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// The edit control's context menu, in the window's language.
enum MenuCommand : UINT { kUndo = 1, kCut, kCopy, kPaste, kDelete, kSelectAll };

}  // namespace

bool OutputBox::Register(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = &OutputBox::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
  windowClass.lpszClassName = kClassName;
  return RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

OutputBox* OutputBox::Of(HWND window) {
  wchar_t name[64] = {};
  if (!window || !GetClassNameW(window, name, static_cast<int>(std::size(name))) ||
      std::wstring_view(name) != kClassName) {
    return nullptr;
  }
  return reinterpret_cast<OutputBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

OutputBox::OutputBox(HWND window) : window_(window), measuring_(CreateCompatibleDC(nullptr)) {
  SetFont(nullptr);
}

LRESULT CALLBACK OutputBox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new OutputBox(window)));
  }
  auto* const box = reinterpret_cast<OutputBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!box) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete box;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return box->HandleMessage(message, wParam, lParam);
}

bool OutputBox::IsReadOnly() const noexcept {
  return (GetWindowLongPtrW(window_, GWL_STYLE) & ES_READONLY) != 0;
}

// The text messages as an edit control answers them; positions count CR and
// LF as two units, as there.
LRESULT OutputBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
      // Enter breaks a line here rather than pressing a default button.
      const auto* const msg = reinterpret_cast<const MSG*>(lParam);
      if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_SETFONT:
      SetFont(reinterpret_cast<HFONT>(wParam));
      if (LOWORD(lParam)) Repaint();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SIZE:
      if (FormatRect().right - FormatRect().left != laidOutWidth_) LayOut();
      UpdateScrollBar();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(window_, &paint);
      Paint(dc, paint.rcPaint);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_SETFOCUS:
      focused_ = true;
      CreateCaret(window_, nullptr, std::max(1, MulDiv(1, GetDpiForWindow(window_), 96)),
                  lineHeight_);
      UpdateCaret();
      ShowCaret(window_);
      Repaint();
      SendMessageW(GetParent(window_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window_), EN_SETFOCUS),
                   reinterpret_cast<LPARAM>(window_));
      return 0;
    case WM_KILLFOCUS:
      focused_ = false;
      DestroyCaret();
      Repaint();
      SendMessageW(GetParent(window_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window_), EN_KILLFOCUS),
                   reinterpret_cast<LPARAM>(window_));
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(wParam);
      return 0;
    case WM_CHAR:
      OnChar(static_cast<wchar_t>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      OnMouseDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, (wParam & MK_SHIFT) != 0);
      return 0;
    case WM_LBUTTONDBLCLK:
      box_.SelectWordAt(PlaceAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}).position);
      CaretMoved();
      return 0;
    case WM_MOUSEMOVE:
      if (selecting_) OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (selecting_) {
        selecting_ = false;
        KillTimer(window_, kAutoScrollTimer);
        if (message == WM_LBUTTONUP) ReleaseCapture();
      }
      return 0;
    case WM_TIMER:
      if (wParam == kAutoScrollTimer && selecting_) {
        ScrollTo(firstLine_ + (lastMouse_.y < 0 ? -1 : 1));
        OnMouseMove(lastMouse_);
      }
      return 0;
    case WM_MOUSEWHEEL: {
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      ScrollTo(firstLine_ - notches * static_cast<long>(std::min<UINT>(lines, VisibleLines())));
      return 0;
    }
    case WM_VSCROLL:
      return OnVerticalScroll(LOWORD(wParam));
    case WM_CONTEXTMENU:
      OnContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_GETOBJECT:
      if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
        return AccessibleObjectFor(*this, wParam);
      }
      break;

    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(box_.Text().size());
    case WM_GETTEXT:
      return GetText(wParam, lParam);
    case WM_SETTEXT: {
      const auto* const text = reinterpret_cast<const wchar_t*>(lParam);
      box_.SetText(Units(text ? std::wstring_view(text) : std::wstring_view()));
      firstLine_ = 0;
      modified_ = false;
      Changed();
      return TRUE;
    }
    case EM_GETSEL: {
      const auto start = static_cast<DWORD>(box_.SelectionStart());
      const auto end = static_cast<DWORD>(box_.SelectionEnd());
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = start;
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = end;
      return MAKELRESULT(std::min<DWORD>(start, 0xFFFF), std::min<DWORD>(end, 0xFFFF));
    }
    case EM_SETSEL:
      if (static_cast<int>(wParam) == -1) {
        box_.Select(box_.Caret().position, box_.Caret().position);
      } else {
        box_.Select(Position(static_cast<LPARAM>(wParam)), Position(lParam));
      }
      CaretMoved();
      return 0;
    case EM_REPLACESEL: {
      const auto* const text = reinterpret_cast<const wchar_t*>(lParam);
      const std::u16string_view units = Units(text ? std::wstring_view(text) : std::wstring_view());
      if (wParam) {
        UserChanged(box_.Type(units).has_value());
      } else {
        const std::size_t start = box_.SelectionStart();
        box_.Replace(start, box_.SelectionEnd() - start, units);
        box_.Select(start + units.size(), start + units.size());
        UserChanged(true);
      }
      return 0;
    }
    case EM_GETLINECOUNT:
      return static_cast<LRESULT>(box_.LineCount());
    case EM_LINEINDEX: {
      const auto line = static_cast<long>(wParam);
      if (line == -1) return static_cast<LRESULT>(box_.LineStart(box_.LineOf(box_.Caret())));
      return line >= 0 && static_cast<std::size_t>(line) < box_.LineCount()
                 ? static_cast<LRESULT>(box_.LineStart(static_cast<std::size_t>(line)))
                 : -1;
    }
    case EM_LINEFROMCHAR:
      if (static_cast<long>(wParam) == -1)
        return static_cast<LRESULT>(box_.LineOf({box_.SelectionStart(), false}));
      return static_cast<LRESULT>(box_.LineOf({Position(static_cast<LPARAM>(wParam)), false}));
    case EM_LINELENGTH: {
      const std::size_t line = box_.LineOf({Position(static_cast<LPARAM>(wParam)), false});
      return static_cast<LRESULT>(box_.LineTextEnd(line) - box_.LineStart(line));
    }
    case EM_GETLINE:
      return GetLine(wParam, lParam);
    case EM_GETFIRSTVISIBLELINE:
      return firstLine_;
    case EM_LINESCROLL:
      ScrollTo(firstLine_ + static_cast<long>(lParam));
      return TRUE;
    case EM_SCROLLCARET:
      EnsureCaretVisible();
      return TRUE;
    case EM_POSFROMCHAR: {
      const TextBoxModel::Place place{Position(static_cast<LPARAM>(wParam)), false};
      return MAKELRESULT(static_cast<WORD>(XOf(place)),
                         static_cast<WORD>(LineTop(box_.LineOf(place))));
    }
    case EM_CHARFROMPOS: {
      const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const TextBoxModel::Place place = PlaceAt(point);
      return MAKELRESULT(static_cast<WORD>(std::min<std::size_t>(place.position, 0xFFFF)),
                         static_cast<WORD>(box_.LineOf(place)));
    }
    case EM_GETRECT:
      if (lParam) *reinterpret_cast<RECT*>(lParam) = FormatRect();
      return 0;
    case EM_SETMARGINS:
      if (wParam & EC_LEFTMARGIN) leftMargin_ = LOWORD(lParam);
      if (wParam & EC_RIGHTMARGIN) rightMargin_ = HIWORD(lParam);
      LayOut();
      return 0;
    case EM_GETMARGINS:
      return MAKELRESULT(leftMargin_, rightMargin_);
    case EM_SETLIMITTEXT:
      return 0;
    case EM_GETLIMITTEXT:
      return 0x7FFFFFFE;
    case EM_GETMODIFY:
      return modified_;
    case EM_SETMODIFY:
      modified_ = wParam != 0;
      return 0;
    case EM_SETREADONLY: {
      const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
      SetWindowLongPtrW(window_, GWL_STYLE, wParam ? style | ES_READONLY : style & ~ES_READONLY);
      Repaint();
      return TRUE;
    }
    case EM_CANUNDO:
      return box_.CanUndo();
    case EM_UNDO:
    case WM_UNDO:
      Undo();
      return TRUE;
    case EM_EMPTYUNDOBUFFER:
      box_.ForgetEdits();
      return 0;
    case WM_COPY:
      Copy();
      return 0;
    case WM_CUT:
      Cut();
      return 0;
    case WM_PASTE:
      Paste();
      return 0;
    case WM_CLEAR:
      if (!IsReadOnly()) UserChanged(box_.DeleteForward(false).has_value());
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

std::size_t OutputBox::Position(LPARAM value) const {
  return value < 0 ? box_.Text().size()
                   : std::min(static_cast<std::size_t>(value), box_.Text().size());
}

LRESULT OutputBox::GetText(WPARAM size, LPARAM buffer) const {
  auto* const out = reinterpret_cast<wchar_t*>(buffer);
  if (!out || size == 0) return 0;
  const std::size_t copied = std::min(static_cast<std::size_t>(size) - 1, box_.Text().size());
  std::copy_n(Wide(box_.Text().data()), copied, out);
  out[copied] = L'\0';
  return static_cast<LRESULT>(copied);
}

// The line's characters without its line break, and no terminator, into a
// buffer whose first WORD says how many it takes.
LRESULT OutputBox::GetLine(WPARAM line, LPARAM buffer) const {
  auto* const out = reinterpret_cast<wchar_t*>(buffer);
  if (!out || line >= box_.LineCount()) return 0;
  const std::size_t room = *reinterpret_cast<const WORD*>(out);
  const std::size_t start = box_.LineStart(line);
  const std::size_t copied = std::min(room, box_.LineTextEnd(line) - start);
  std::copy_n(Wide(box_.Text().data() + start), copied, out);
  return static_cast<LRESULT>(copied);
}

void OutputBox::Apply(const Text2Update& update) {
  if (update.ChangesNothing()) return;
  const std::size_t start = update.whole ? 0 : update.span.start;
  const std::size_t removed = update.whole ? box_.Text().size() : update.span.removed;
  box_.Replace(start, removed, update.text);
  if (update.whole) firstLine_ = 0;
  UpdateScrollBar();
  UpdateCaret();
  Repaint();
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
}

void OutputBox::ReplaceAll(std::u16string_view text) {
  if (IsReadOnly()) return;
  box_.SelectAll();
  UserChanged(box_.Type(text).has_value());
}

void OutputBox::Changed() {
  UpdateScrollBar();
  UpdateCaret();
  Repaint();
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
  SendMessageW(GetParent(window_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window_), EN_CHANGE),
               reinterpret_cast<LPARAM>(window_));
}

void OutputBox::UserChanged(bool changed) {
  if (!changed) return;
  modified_ = true;
  EnsureCaretVisible();
  Changed();
}

void OutputBox::CaretMoved() {
  EnsureCaretVisible();
  UpdateCaret();
  Repaint();
}

void OutputBox::SetFont(HFONT font) {
  font_ = font;
  const HGDIOBJ chosen = font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT);
  SelectObject(measuring_.get(), chosen);
  TEXTMETRICW metrics{};
  GetTextMetricsW(measuring_.get(), &metrics);
  lineHeight_ = std::max<int>(1, metrics.tmHeight);
  ascent_ = metrics.tmAscent;
  LayOut();
}

RECT OutputBox::FormatRect() const {
  RECT client{};
  GetClientRect(window_, &client);
  return {client.left + leftMargin_, client.top,
          std::max(client.left + leftMargin_, client.right - rightMargin_), client.bottom};
}

void OutputBox::LayOut() {
  const RECT format = FormatRect();
  laidOutWidth_ = format.right - format.left;
  const HDC dc = measuring_.get();
  box_.SetLayout(static_cast<Advance>(laidOutWidth_) * 64, [dc](std::u16string_view character) {
    SIZE size{};
    GetTextExtentPoint32W(dc, Wide(character.data()), static_cast<int>(character.size()), &size);
    return static_cast<Advance>(size.cx) * 64;
  });
  UpdateScrollBar();
  UpdateCaret();
  Repaint();
}

int OutputBox::VisibleLines() const {
  const RECT format = FormatRect();
  return std::max(1, static_cast<int>((format.bottom - format.top) / lineHeight_));
}

int OutputBox::LineTop(std::size_t line) const {
  return FormatRect().top + (static_cast<int>(line) - static_cast<int>(firstLine_)) * lineHeight_;
}

int OutputBox::XOf(TextBoxModel::Place place) const {
  return FormatRect().left + static_cast<int>(box_.XOf(place) / 64);
}

TextBoxModel::Place OutputBox::PlaceAt(POINT point) const {
  const RECT format = FormatRect();
  const int fromTop = point.y - format.top;
  const long line = std::max<long>(
      0, firstLine_ + (fromTop < 0 ? -1 - (-fromTop - 1) / lineHeight_ : fromTop / lineHeight_));
  return box_.PlaceAt(static_cast<std::size_t>(line),
                      static_cast<Advance>(point.x - format.left) * 64);
}

void OutputBox::UpdateScrollBar() {
  const long lines = static_cast<long>(box_.LineCount());
  firstLine_ = std::clamp<long>(firstLine_, 0, std::max<long>(0, lines - VisibleLines()));
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  // Always there, as an edit control's scroll bar is, and greyed when there
  // is nothing to scroll.
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = static_cast<int>(lines - 1);
  info.nPage = static_cast<UINT>(VisibleLines());
  info.nPos = static_cast<int>(firstLine_);
  SetScrollInfo(window_, SB_VERT, &info, TRUE);
}

void OutputBox::ScrollTo(long line) {
  const long last = std::max<long>(0, static_cast<long>(box_.LineCount()) - VisibleLines());
  line = std::clamp<long>(line, 0, last);
  if (line == firstLine_) return;
  firstLine_ = line;
  UpdateScrollBar();
  UpdateCaret();
  Repaint();
}

LRESULT OutputBox::OnVerticalScroll(WORD request) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_TRACKPOS;
  GetScrollInfo(window_, SB_VERT, &info);
  switch (request) {
    case SB_LINEUP:
      ScrollTo(firstLine_ - 1);
      break;
    case SB_LINEDOWN:
      ScrollTo(firstLine_ + 1);
      break;
    case SB_PAGEUP:
      ScrollTo(firstLine_ - VisibleLines());
      break;
    case SB_PAGEDOWN:
      ScrollTo(firstLine_ + VisibleLines());
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      ScrollTo(info.nTrackPos);
      break;
    case SB_TOP:
      ScrollTo(0);
      break;
    case SB_BOTTOM:
      ScrollTo(static_cast<long>(box_.LineCount()));
      break;
    default:
      break;
  }
  return 0;
}

void OutputBox::EnsureCaretVisible() {
  const auto top = static_cast<long>(box_.TopLineShowingCaret(
      static_cast<std::size_t>(firstLine_), static_cast<std::size_t>(VisibleLines())));
  if (top != firstLine_) ScrollTo(top);
}

void OutputBox::UpdateCaret() {
  if (!focused_) return;
  const TextBoxModel::Place caret = box_.Caret();
  SetCaretPos(XOf(caret), LineTop(box_.LineOf(caret)));
}

void OutputBox::Repaint() const { InvalidateRect(window_, nullptr, FALSE); }

void OutputBox::Paint(HDC dc, const RECT& dirty) const {
  const HWND parent = GetParent(window_);
  const bool readOnly = IsReadOnly() || !IsWindowEnabled(window_);
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(parent, readOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT,
                   reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window_)));
  if (!brush) brush = GetSysColorBrush(readOnly ? COLOR_BTNFACE : COLOR_WINDOW);
  const COLORREF text = GetTextColor(dc);
  FillRect(dc, &dirty, brush);
  const HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(SYSTEM_FONT));
  SetBkMode(dc, TRANSPARENT);
  const RECT format = FormatRect();
  const auto last = std::min<std::size_t>(
      box_.LineCount(), static_cast<std::size_t>(firstLine_ + VisibleLines() + 1));
  const HRGN clip = CreateRectRgn(format.left, format.top, format.right, format.bottom);
  SelectClipRgn(dc, clip);
  for (auto line = static_cast<std::size_t>(firstLine_); line < last; ++line) {
    PaintLine(dc, line, LineTop(line), text, GetSysColor(COLOR_HIGHLIGHTTEXT));
  }
  SelectClipRgn(dc, nullptr);
  DeleteObject(clip);
  SelectObject(dc, oldFont);
}

// The line's text, and over its selected part the same in the selection's
// colours. Tabs take the room the layout gives them.
void OutputBox::PaintLine(HDC dc, std::size_t line, int top, COLORREF text,
                          COLORREF selectionText) const {
  const auto draw = [&] {
    box_.ForEachRunBetweenTabs(line, [&](std::size_t start, std::u16string_view run) {
      ExtTextOutW(dc, XOf({start, false}), top, 0, nullptr, Wide(run.data()),
                  static_cast<UINT>(run.size()), nullptr);
    });
  };
  SetTextColor(dc, text);
  draw();

  const std::optional<TextBoxModel::LineSelection> selection = box_.SelectionOn(line);
  // An unfocused edit control shows no selection.
  if (!focused_ || !selection) return;
  RECT selected{XOf({selection->from, false}), top, XOf(selection->to), top + lineHeight_};
  if (selection->lineBreak) {
    SIZE blank{};
    GetTextExtentPoint32W(dc, L" ", 1, &blank);
    selected.right += blank.cx;
  }
  FillRect(dc, &selected, GetSysColorBrush(COLOR_HIGHLIGHT));
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, selected.left, selected.top, selected.right, selected.bottom);
  SetTextColor(dc, selectionText);
  draw();
  RestoreDC(dc, saved);
}

void OutputBox::OnKeyDown(WPARAM key) {
  const bool shift = KeyDown(VK_SHIFT);
  const bool control = KeyDown(VK_CONTROL);
  const auto move = [&](Move to) {
    box_.MoveCaret(to, shift, static_cast<std::size_t>(VisibleLines()));
    CaretMoved();
  };
  switch (key) {
    case VK_LEFT:
      return move(control ? Move::WordLeft : Move::Left);
    case VK_RIGHT:
      return move(control ? Move::WordRight : Move::Right);
    case VK_UP:
      return move(Move::Up);
    case VK_DOWN:
      return move(Move::Down);
    case VK_PRIOR:
      return move(Move::PageUp);
    case VK_NEXT:
      return move(Move::PageDown);
    case VK_HOME:
      return move(control ? Move::TextStart : Move::LineStart);
    case VK_END:
      return move(control ? Move::TextEnd : Move::LineEnd);
    case VK_DELETE:
      if (shift) return Cut();
      if (!IsReadOnly()) UserChanged(box_.DeleteForward(control).has_value());
      return;
    case VK_INSERT:
      if (control) return Copy();
      if (shift) return Paste();
      return;
    default:
      return;
  }
}

// Typed characters, and the control characters that keys make of Ctrl+A,
// C, V, X, Z and Backspace.
void OutputBox::OnChar(wchar_t unit) {
  switch (unit) {
    case 0x01:
      box_.SelectAll();
      return CaretMoved();
    case 0x03:
      return Copy();
    case 0x16:
      return Paste();
    case 0x18:
      return Cut();
    case 0x1A:
      return Undo();
    default:
      break;
  }
  if (IsReadOnly()) return;
  if (unit == L'\b' || unit == 0x7F) {
    UserChanged(box_.DeleteBackward(unit == 0x7F).has_value());
  } else if (unit == L'\r' || unit == L'\n') {
    UserChanged(box_.Type(u"\r\n").has_value());
  } else if (IsHighSurrogate(static_cast<char16_t>(unit))) {
    highSurrogate_ = unit;
  } else if (IsLowSurrogate(static_cast<char16_t>(unit)) && highSurrogate_ != 0) {
    const char16_t pair[] = {static_cast<char16_t>(highSurrogate_), static_cast<char16_t>(unit)};
    highSurrogate_ = 0;
    UserChanged(box_.Type(std::u16string_view(pair, 2)).has_value());
  } else if (unit >= 0x20 || unit == L'\t') {
    const char16_t typed = static_cast<char16_t>(unit);
    UserChanged(box_.Type(std::u16string_view(&typed, 1)).has_value());
  }
}

void OutputBox::OnMouseDown(POINT point, bool extend) {
  SetFocus(window_);
  box_.SetCaret(PlaceAt(point), extend);
  selecting_ = true;
  SetCapture(window_);
  CaretMoved();
}

void OutputBox::OnMouseMove(POINT point) {
  lastMouse_ = point;
  const RECT format = FormatRect();
  // Dragged past the top or the bottom, the box scrolls on its own.
  if (point.y < format.top || point.y >= format.bottom) {
    SetTimer(window_, kAutoScrollTimer, 50, nullptr);
  } else {
    KillTimer(window_, kAutoScrollTimer);
  }
  box_.SetCaret(PlaceAt(point), true);
  CaretMoved();
}

void OutputBox::OnContextMenu(POINT screen) {
  if (GetFocus() != window_) SetFocus(window_);
  const UniqueMenu menu(CreatePopupMenu());
  const bool editable = !IsReadOnly();
  const bool selected = box_.HasSelection();
  const auto add = [&](UINT command, const wchar_t* text, bool enabled) {
    AppendMenuW(menu.get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), command, text);
  };
  add(kUndo, L"\u64A4\u6D88(&U)", editable && box_.CanUndo());  // 撤消
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  add(kCut, L"\u526A\u5207(&T)", editable && selected);  // 剪切
  add(kCopy, L"\u590D\u5236(&C)", selected);             // 复制
  add(kPaste, L"\u7C98\u8D34(&P)", editable && IsClipboardFormatAvailable(CF_UNICODETEXT));  // 粘贴
  add(kDelete, L"\u5220\u9664(&D)", editable && selected);  // 删除
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  add(kSelectAll, L"\u5168\u9009(&A)", !box_.Text().empty());  // 全选
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: at the caret.
    screen = {XOf(box_.Caret()), LineTop(box_.LineOf(box_.Caret())) + lineHeight_};
    ClientToScreen(window_, &screen);
  }
  const UINT command = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                        screen.x, screen.y, 0, window_, nullptr));
  switch (command) {
    case kUndo:
      return Undo();
    case kCut:
      return Cut();
    case kCopy:
      return Copy();
    case kPaste:
      return Paste();
    case kDelete:
      return UserChanged(box_.DeleteForward(false).has_value());
    case kSelectAll:
      box_.SelectAll();
      return CaretMoved();
    default:
      return;
  }
}

void OutputBox::Copy() const {
  if (!box_.HasSelection() || !OpenClipboard(window_)) return;
  const std::u16string_view selected = box_.SelectedText();
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (selected.size() + 1) * sizeof(wchar_t));
  if (memory) {
    auto* const out = static_cast<wchar_t*>(GlobalLock(memory));
    std::copy_n(Wide(selected.data()), selected.size(), out);
    out[selected.size()] = L'\0';
    GlobalUnlock(memory);
    EmptyClipboard();
    // The clipboard owns the memory from here on, unless it refuses it.
    if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
}

void OutputBox::Cut() {
  if (IsReadOnly() || !box_.HasSelection()) return;
  Copy();
  UserChanged(box_.DeleteForward(false).has_value());
}

void OutputBox::Paste() {
  if (IsReadOnly() || !OpenClipboard(window_)) return;
  std::wstring text;
  if (const HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* const data = static_cast<const wchar_t*>(GlobalLock(memory))) {
      text = data;
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  if (!text.empty()) UserChanged(box_.Type(Units(text)).has_value());
}

void OutputBox::Undo() {
  if (!IsReadOnly()) UserChanged(box_.Undo().has_value());
}

}  // namespace gbkhex::win32
