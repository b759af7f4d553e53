#pragma once

// Form1 on the Win32 API: the program's only window. Every control, caption and
// position comes from window/form_layout.h; the conversion comes from convert/.

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "platform/win32/unique_handles.h"
#include "window/model/form1_model.h"
#include "window/model/form_layout.h"

namespace gbkhex::win32 {

class OutputBox;

struct FormIcons {
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
};

class Form1 {
 public:
  static constexpr const wchar_t* kClassName = L"gbkhex.Form1";

  Form1() = default;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;
  ~Form1();

  // Creates the window and its controls at the dpi of the screen it opens on,
  // centred, and runs the load event; the window stays hidden until Show.
  // False when Windows refuses to create it.
  bool Create(HINSTANCE instance, FormIcons icons);
  void Show(int showCommand) const;

  // Gives the keyboard message to the dialog manager for tab order and focus;
  // true when it was handled there and must not be dispatched again.
  bool PreTranslateMessage(MSG& message) const;

  // Writes over `out` the conversion of `val` in the format that Option1's
  // state chooses.
  void FormatNameToMac(std::wstring_view val, std::wstring& out) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void CreateControls(HINSTANCE instance);
  void ApplyDpi(UINT dpi);
  void CentreOnScreen() const;
  void Load();
  void OnCommand(int controlId, int notification);
  void MoveFocus(HWND control) const;
  void RefreshOutput();
  OutputFormat Format() const;
  static void OpenHomePage();

  // The control at `index` of the table (layout::kText1, ...).
  HWND Control(std::size_t index) const;

  UniqueWindow window_;
  UniqueFont font_;
  UniqueFont textBoxFont_;
  // Children of window_, destroyed with it; in the order of layout::kControls.
  std::array<HWND, layout::kControls.size()> controls_{};
  // The control that gets the focus back when the window is activated again.
  HWND focusOnActivate_ = nullptr;
  // Edit controls hold CR LF for a line break, as the conversion writes it.
  Form1Model model_{InputLineBreak::CrLf, LineBreak::CrLf};
  // What each refresh reads Text1 into.
  std::wstring text1_;
  // The control at layout::kText2, destroyed with the window.
  OutputBox* text2_ = nullptr;
};

}  // namespace gbkhex::win32
