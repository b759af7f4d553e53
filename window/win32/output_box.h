#pragma once

// Text2 on the Win32 API: a window class of its own that answers the edit
// control's messages (WM_GETTEXT, EM_SETSEL, EM_REPLACESEL, EM_LINEINDEX, ...)
// and behaves as a multi-line edit control does for the user: caret,
// selection by keys and mouse, typing, clipboard, undo, its context menu, the
// scroll bar, and a text object for screen readers. Text is kept with CR LF for
// a line break, as an edit control keeps it.
//
// An edit control lays out again every line after a change, and Wine's lays
// out each of them from the rest of its paragraph: the hexadecimal output, one
// paragraph, took seconds there. This box lays out only the lines a change
// touches (text box model) and paints only the lines it shows.

#include <windows.h>

#include <string>

#include "platform/win32/unique_handles.h"
#include "window/model/form1_model.h"
#include "window/model/text_box_model.h"

namespace gbkhex::win32 {

class OutputBox {
 public:
  static constexpr const wchar_t* kClassName = L"gbkhex.OutputBox";

  // Registers the window class once per program; false when Windows refuses.
  static bool Register(HINSTANCE instance);
  // The box that `window` is, or null for any other window.
  static OutputBox* Of(HWND window);

  // Brings the text to the refresh's new output. It leaves nothing to undo
  // and, being the parent's own doing, sends no EN_CHANGE.
  void Apply(const Text2Update& update);

  // What screen readers call the box.
  void SetAccessibleName(std::wstring name) { accessibleName_ = std::move(name); }
  const std::wstring& AccessibleName() const noexcept { return accessibleName_; }
  const TextBoxModel& model() const noexcept { return box_; }
  HWND window() const noexcept { return window_; }
  bool IsReadOnly() const noexcept;
  // An edit as the user's, from a screen reader or another program.
  void ReplaceAll(std::u16string_view text);

  OutputBox(const OutputBox&) = delete;
  OutputBox& operator=(const OutputBox&) = delete;

 private:
  explicit OutputBox(HWND window);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void SetFont(HFONT font);
  void LayOut();
  RECT FormatRect() const;
  int VisibleLines() const;
  void ScrollTo(long line);
  void UpdateScrollBar();
  void EnsureCaretVisible();
  void UpdateCaret();
  void Repaint() const;
  void Paint(HDC dc, const RECT& dirty) const;
  void PaintLine(HDC dc, std::size_t line, int top, COLORREF text, COLORREF selectionText) const;
  int XOf(TextBoxModel::Place place) const;
  int LineTop(std::size_t line) const;
  TextBoxModel::Place PlaceAt(POINT point) const;

  void OnKeyDown(WPARAM key);
  void OnChar(wchar_t unit);
  void OnMouseDown(POINT point, bool extend);
  void OnMouseMove(POINT point);
  void OnContextMenu(POINT screen);
  LRESULT OnVerticalScroll(WORD request);
  void CaretMoved();
  // After any change that is not the refresh's.
  void UserChanged(bool changed);
  void Changed();

  void Copy() const;
  void Cut();
  void Paste();
  void Undo();
  std::size_t Position(LPARAM value) const;
  LRESULT GetText(WPARAM size, LPARAM buffer) const;
  LRESULT GetLine(WPARAM line, LPARAM buffer) const;

  HWND window_;
  TextBoxModel box_{u"\r\n"};
  HFONT font_ = nullptr;
  // A device context with the font selected, for measuring characters.
  UniqueDeviceContext measuring_;
  int lineHeight_ = 16;
  int ascent_ = 12;
  int leftMargin_ = 1;
  int rightMargin_ = 1;
  long firstLine_ = 0;
  int laidOutWidth_ = -1;
  bool modified_ = false;
  bool selecting_ = false;
  bool focused_ = false;
  POINT lastMouse_{};
  // The first half of a character above U+FFFF typed as two WM_CHARs.
  wchar_t highSurrogate_ = 0;
  std::wstring accessibleName_;
};

}  // namespace gbkhex::win32
