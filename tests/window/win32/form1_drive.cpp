// Starts gbkhex.exe and drives its real window from outside, as a user would:
// typing, clicking, tabbing, and reading back what the controls show.
// Prints "N passed, N failed"; exits non-zero on any failure.
//
//   form1_drive            every check (gbkhex.exe is found beside this program)
//   form1_drive --pose     types sample text, leaves the window open and prints
//                          its rectangle as WxH+X+Y for a screenshot

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "harness/win32/gbkhex_process.h"
#include "platform/win32/wide_text.h"
#include "window/model/form_layout.h"

namespace {

using gbkhex::win32::WideFromUtf8;
using gbkhex::win32::drive::Append;
using gbkhex::win32::drive::ExeBesideThisProgram;
using gbkhex::win32::drive::Gbkhex;
using gbkhex::win32::drive::ReplaceAll;
using gbkhex::win32::drive::TextOf;
using gbkhex::win32::drive::WaitFor;
using namespace std::chrono_literals;

// Shows control characters and non-ASCII units as escapes, whatever the
// console's code page.
std::string Escaped(std::wstring_view text) {
  std::string out;
  for (const wchar_t unit : text) {
    if (unit == L'\r') {
      out += "\\r";
    } else if (unit == L'\n') {
      out += "\\n";
    } else if (unit >= 0x20 && unit < 0x7F) {
      out += static_cast<char>(unit);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(unit));
      out += escape;
    }
  }
  return out;
}

class Results {
 public:
  void Check(bool ok, std::string_view what) {
    ok ? ++passed_ : ++failed_;
    if (!ok) std::printf("FAIL: %.*s\n", static_cast<int>(what.size()), what.data());
  }
  void CheckText(std::wstring_view actual, std::wstring_view expected, std::string_view what) {
    const bool ok = actual == expected;
    Check(ok, what);
    if (!ok) {
      std::printf("  expected \"%s\"\n  actual   \"%s\"\n", Escaped(expected).c_str(),
                  Escaped(actual).c_str());
    }
  }
  int Finish() const {
    std::printf("%d passed, %d failed\n", passed_, failed_);
    return failed_ == 0 && passed_ > 0 ? 0 : 1;
  }

 private:
  int passed_ = 0;
  int failed_ = 0;
};

// A key press through the target's message loop, where the dialog manager
// and TranslateMessage see it as they see a real one.
void PressKey(HWND control, WPARAM virtualKey) {
  PostMessageW(control, WM_KEYDOWN, virtualKey, 1);
  PostMessageW(control, WM_KEYUP, virtualKey, 1 | 0xC0000000);
}

bool IsChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

RECT RectInClient(HWND control, HWND form) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string NameOfFocus(const Gbkhex& app) {
  const HWND focus = app.Focus();
  if (!focus) return "no control";
  for (const auto& control : gbkhex::layout::kControls) {
    if (app.Control(control.name) == focus) return std::string(control.name);
  }
  return "another window";
}

// Checks that `name` gets the focus, saying where it is otherwise.
void CheckFocusOn(Results& r, const Gbkhex& app, std::string_view name, std::string_view what) {
  const bool ok = WaitFor([&] { return app.Focus() == app.Control(name); });
  r.Check(ok, what);
  if (!ok) std::printf("  the focus is on %s\n", NameOfFocus(app).c_str());
}

void PressTab(const Gbkhex& app) { PressKey(app.Focus(), VK_TAB); }

void CheckStartUp(Results& r, const Gbkhex& app) {
  const HWND form = app.form();
  const UINT dpi = GetDpiForWindow(form);
  r.CheckText(TextOf(form), WideFromUtf8(gbkhex::layout::kWindowCaption).value(), "window caption");
  for (const auto& control : gbkhex::layout::kControls) {
    const HWND hwnd = app.Control(control.name);
    r.Check(hwnd != nullptr, std::string(control.name) + " exists");
    if (control.kind != gbkhex::layout::ControlKind::TextBox) {
      r.CheckText(TextOf(hwnd), WideFromUtf8(control.caption).value(),
                  std::string(control.name) + " caption");
    }
  }
  r.Check(IsChecked(app.Control("Option1")), "Option1 is selected at start");
  r.Check(!IsChecked(app.Control("Option2")), "Option2 is not selected at start");
  CheckFocusOn(r, app, "Text1", "Text1 has the focus at start");
  r.CheckText(TextOf(app.Control("Text1")), L"", "Text1 is empty at start");
  r.CheckText(TextOf(app.Control("Text2")), L"", "Text2 is empty at start");

  RECT client{};
  GetClientRect(form, &client);
  r.Check(client.right == MulDiv(553, static_cast<int>(dpi), 96) &&
              client.bottom == MulDiv(451, static_cast<int>(dpi), 96),
          "client area is 553 x 451 at 96 dpi, scaled with the dpi");

  RECT bounds{};
  GetWindowRect(form, &bounds);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(form, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  r.Check(std::abs((bounds.left - work.left) - (work.right - bounds.right)) <= 1 &&
              std::abs((bounds.top - work.top) - (work.bottom - bounds.bottom)) <= 1,
          "window is centred on the screen");

  const auto style = static_cast<DWORD>(GetWindowLongPtrW(form, GWL_STYLE));
  r.Check((style & (WS_THICKFRAME | WS_MAXIMIZEBOX)) == 0, "window cannot be resized");

  // At 96 dpi 15 twips make a pixel; controls in a frame sit at the frame's
  // offset plus their own. At other dpi every edge scales, give or take the
  // rounding of one pixel.
  const struct {
    const char* name;
    RECT at96Dpi;
  } places[] = {
      {"Frame1", {16, 16, 16 + 521, 16 + 153}},  {"Text1", {24, 32, 24 + 505, 32 + 129}},
      {"Text2", {24, 264, 24 + 505, 264 + 137}}, {"Option2", {352, 208, 352 + 113, 208 + 17}},
      {"Label1", {27, 426, 27 + 385, 426 + 17}}, {"Command1", {441, 420, 441 + 89, 420 + 23}},
  };
  const int slack = dpi == 96 ? 0 : 1;
  const auto closeTo = [&](LONG actual, LONG at96Dpi) {
    return std::abs(actual - MulDiv(at96Dpi, static_cast<int>(dpi), 96)) <= slack;
  };
  for (const auto& place : places) {
    const RECT actual = RectInClient(app.Control(place.name), form);
    const RECT& expected = place.at96Dpi;
    r.Check(closeTo(actual.left, expected.left) && closeTo(actual.top, expected.top) &&
                closeTo(actual.right, expected.right) && closeTo(actual.bottom, expected.bottom),
            std::string(place.name) + " position and size");
  }
}

void CheckTabOrder(Results& r, const Gbkhex& app) {
  const char* const order[] = {"Text2", "Option1", "Command1", "Text1"};
  for (const char* next : order) {
    PressTab(app);
    CheckFocusOn(r, app, next, std::string("Tab moves the focus on to ") + next);
  }
}

void CheckFormats(Results& r, const Gbkhex& app) {
  const HWND text1 = app.Control("Text1");
  const HWND text2 = app.Control("Text2");
  const HWND option1 = app.Control("Option1");
  const HWND option2 = app.Control("Option2");

  SendMessageW(option2, BM_CLICK, 0, 0);
  r.CheckText(TextOf(text2), L"", "a format click with empty input leaves Text2 empty");
  SendMessageW(option1, BM_CLICK, 0, 0);

  SendMessageW(text1, WM_CHAR, L'A', 1);
  r.CheckText(TextOf(text2), L"41 ", "typing A");
  SendMessageW(option2, BM_CLICK, 0, 0);
  r.CheckText(TextOf(text2), L"0X41,", "Option2 converts the same input to C");
  r.Check(IsChecked(option2) && !IsChecked(option1), "Option1 and Option2 are one group");
  SendMessageW(option1, BM_CLICK, 0, 0);
  r.CheckText(TextOf(text2), L"41 ", "Option1 converts back to hexadecimal");

  ReplaceAll(text1, L"");
  r.CheckText(TextOf(text2), L"", "deleting the whole input empties Text2");

  // Enter as a user presses it: with the focus in Text1, which the option
  // clicks above took away.
  PressTab(app);
  PressTab(app);
  CheckFocusOn(r, app, "Text1", "Tab from Option1 comes round to Text1");
  PressKey(app.Focus(), VK_RETURN);
  r.Check(WaitFor([&] { return !TextOf(text2).empty(); }), "Enter in Text1 changes the output");
  r.CheckText(TextOf(text1), L"\r\n", "Enter puts CR LF into Text1");
  r.CheckText(TextOf(text2), L"0D 0A ", "Enter converts to 0D 0A");

  ReplaceAll(text1, L"十六进制");
  r.CheckText(TextOf(text2), L"CA AE C1 F9 BD F8 D6 C6 ", "Chinese in hexadecimal");
  SendMessageW(option2, BM_CLICK, 0, 0);
  r.CheckText(TextOf(text2), L"0XCA,0XAE,0XC1,0XF9,0XBD,0XF8,0XD6,0XC6,", "Chinese in C");

  ReplaceAll(text1, L"ABCDEFGHIJKLMNOP");
  r.CheckText(TextOf(text2),
              L"0X41,0X42,0X43,0X44,0X45,0X46,0X47,0X48,0X49,0X4A,0X4B,0X4C,0X4D,0X4E,0X4F,0X50,"
              L"\r\n",
              "16 bytes in C fill one line, then CR LF");
  Append(text1, L"Q");
  r.CheckText(TextOf(text2),
              L"0X41,0X42,0X43,0X44,0X45,0X46,0X47,0X48,0X49,0X4A,0X4B,0X4C,0X4D,0X4E,0X4F,0X50,"
              L"\r\n0X51,",
              "the 17th byte in C starts a second line");
  r.Check(SendMessageW(text2, EM_LINEFROMCHAR, 82, 0) >= 1, "Text2 shows CR LF as a line break");

  // A unit outside the 16-bit range arrives as two halves, each converted alone.
  ReplaceAll(text1, L"\U0001F600");
  r.CheckText(TextOf(text2), L"0X3F,0X3F,", "a surrogate pair gives two default characters");
  SendMessageW(option1, BM_CLICK, 0, 0);
}

void CheckText2IsTheUsers(Results& r, const Gbkhex& app) {
  const HWND text1 = app.Control("Text1");
  const HWND text2 = app.Control("Text2");
  ReplaceAll(text1, L"A");
  ReplaceAll(text2, L"note");
  SendMessageW(text2, WM_CHAR, L'!', 1);
  r.CheckText(TextOf(text2), L"note!", "text typed into Text2 stays");
  r.CheckText(TextOf(text1), L"A", "typing into Text2 leaves Text1 alone");
  SendMessageW(app.Control("Option1"), BM_CLICK, 0, 0);
  r.CheckText(TextOf(text2), L"41 ", "a format click overwrites what was typed into Text2");
  ReplaceAll(text2, L"note");
  Append(text1, L"B");
  r.CheckText(TextOf(text2), L"41 42 ", "a change of Text1 overwrites what was typed into Text2");
}

void CheckArrowKeysSwitchFormat(Results& r, const Gbkhex& app) {
  const HWND option1 = app.Control("Option1");
  const HWND option2 = app.Control("Option2");
  ReplaceAll(app.Control("Text1"), L"A");
  SendMessageW(option1, BM_CLICK, 0, 0);
  CheckFocusOn(r, app, "Option1", "a click puts the focus on Option1");
  PressKey(option1, VK_DOWN);
  r.Check(WaitFor([&] { return IsChecked(option2); }), "an arrow key selects Option2");
  CheckFocusOn(r, app, "Option2", "the arrow key moves the focus with the selection");
  r.CheckText(TextOf(app.Control("Text2")), L"0X41,", "selecting by arrow key converts");
  // The group's tab stop follows the selected button.
  for (const char* next : {"Command1", "Text1", "Text2", "Option2"}) {
    PressTab(app);
    CheckFocusOn(r, app, next, std::string("with Option2 selected, Tab goes on to ") + next);
  }
  SendMessageW(option1, BM_CLICK, 0, 0);
}

// Neither box scrolls sideways: a long line wraps at the box's width.
void CheckLongLinesWrap(Results& r, const Gbkhex& app) {
  std::wstring line;
  for (int i = 0; i < 100; ++i) line += L"AB ";
  ReplaceAll(app.Control("Text1"), line);
  r.Check(SendMessageW(app.Control("Text1"), EM_GETLINECOUNT, 0, 0) > 1, "Text1 wraps long lines");
  r.Check(SendMessageW(app.Control("Text2"), EM_GETLINECOUNT, 0, 0) > 1, "Text2 wraps long lines");
  ReplaceAll(app.Control("Text1"), L"");
}

// Each 80-character line of the C format is one line of Text2, and the
// hexadecimal format wraps between its tokens, at whatever dpi the screen has.
void CheckOutputLines(Results& r, const Gbkhex& app) {
  const HWND text2 = app.Control("Text2");
  const auto lineStart = [&](LRESULT line) { return SendMessageW(text2, EM_LINEINDEX, line, 0); };
  SendMessageW(app.Control("Option2"), BM_CLICK, 0, 0);
  // 71 bytes of wide and narrow characters: four full lines and one of seven.
  ReplaceAll(app.Control("Text1"),
             L"十六进制 LCD 液晶显示屏 GBK\r\n0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ 汉字");
  bool oneLineEach = SendMessageW(text2, EM_GETLINECOUNT, 0, 0) == 5;
  for (LRESULT line = 0; line < 5; ++line)
    oneLineEach = oneLineEach && lineStart(line) == 82 * line;
  r.Check(oneLineEach, "each C line shows as one line of Text2");
  if (!oneLineEach) {
    RECT format{};
    SendMessageW(text2, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    std::printf("  %d lines, starting at",
                static_cast<int>(SendMessageW(text2, EM_GETLINECOUNT, 0, 0)));
    for (LRESULT line = 0; line < SendMessageW(text2, EM_GETLINECOUNT, 0, 0); ++line) {
      std::printf(" %d", static_cast<int>(lineStart(line)));
    }
    std::printf("; %ld px for the text\n", format.right - format.left);
  }

  SendMessageW(app.Control("Option1"), BM_CLICK, 0, 0);
  const auto lines = SendMessageW(text2, EM_GETLINECOUNT, 0, 0);
  bool betweenTokens = lines > 2;
  for (LRESULT line = 0; line < lines; ++line)
    betweenTokens = betweenTokens && lineStart(line) % 3 == 0;
  r.Check(betweenTokens, "hexadecimal output wraps between tokens");
  ReplaceAll(app.Control("Text1"), L"");
}

// Each refresh replaces only what changed in Text2; what it holds afterwards
// is the whole output all the same, wherever the input changed, and the
// refresh leaves nothing in Text2 to undo.
void CheckEditsAnywhere(Results& r, const Gbkhex& app) {
  const HWND text1 = app.Control("Text1");
  const HWND text2 = app.Control("Text2");
  const auto typeAt = [&](LRESULT position, const wchar_t* text) {
    SendMessageW(text1, EM_SETSEL, position, position);
    SendMessageW(text1, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
  };
  SendMessageW(app.Control("Option2"), BM_CLICK, 0, 0);
  ReplaceAll(text1, L"ABCDEFGHIJKLMNOP十六Q");
  typeAt(1, L"z");
  r.CheckText(TextOf(text2),
              L"0X41,0X7A,0X42,0X43,0X44,0X45,0X46,0X47,0X48,0X49,0X4A,0X4B,0X4C,0X4D,0X4E,0X4F,"
              L"\r\n0X50,0XCA,0XAE,0XC1,0XF9,0X51,",
              "typing near the start moves every later token across the lines");
  r.Check(SendMessageW(text2, EM_CANUNDO, 0, 0) == FALSE, "a refresh leaves nothing to undo");
  typeAt(17, L"\r\n");
  r.CheckText(TextOf(text2),
              L"0X41,0X7A,0X42,0X43,0X44,0X45,0X46,0X47,0X48,0X49,0X4A,0X4B,0X4C,0X4D,0X4E,0X4F,"
              L"\r\n0X50,0X0D,0X0A,0XCA,0XAE,0XC1,0XF9,0X51,",
              "a line break typed in the middle");
  SendMessageW(text1, EM_SETSEL, 0, 2);
  SendMessageW(text1, WM_CHAR, VK_BACK, 1);
  r.CheckText(TextOf(text2),
              L"0X42,0X43,0X44,0X45,0X46,0X47,0X48,0X49,0X4A,0X4B,0X4C,0X4D,0X4E,0X4F,0X50,0X0D,"
              L"\r\n0X0A,0XCA,0XAE,0XC1,0XF9,0X51,",
              "deleting at the start");
  SendMessageW(app.Control("Option1"), BM_CLICK, 0, 0);
  r.CheckText(TextOf(text2), L"42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 0D 0A CA AE C1 F9 51 ",
              "switching the format rewrites the whole output");
  ReplaceAll(text1, L"");
}

void CheckLongPaste(Results& r, const Gbkhex& app) {
  // Longer than an edit control takes by default (32,767 characters). Short
  // lines, in the C format, keep Wine's edit controls quick to lay out.
  std::wstring text;
  for (int line = 0; line < 550; ++line) text += std::wstring(60, L'A') + L"\r\n";
  SendMessageW(app.Control("Option2"), BM_CLICK, 0, 0);
  ReplaceAll(app.Control("Text1"), text);
  r.Check(TextOf(app.Control("Text1")).size() == text.size(), "a long paste is kept whole");
  const std::size_t characters = 5 * text.size();
  const std::wstring output = TextOf(app.Control("Text2"));
  r.Check(output.size() == characters + 2 * (characters / 80) && output.ends_with(L"0X0A,"),
          "a long paste is converted whole");
  ReplaceAll(app.Control("Text1"), L"");
  SendMessageW(app.Control("Option1"), BM_CLICK, 0, 0);
}

std::string EnvironmentVariable(const char* name) {
  std::string value(32768, '\0');
  const DWORD length =
      GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
  value.resize(length < value.size() ? length : 0);
  return value;
}

std::string FileContent(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

// The recorder that stands in for the browser appends every address it gets;
// only what it gets after the click counts.
void CheckHomePage(Results& r, const Gbkhex& app, const char* browserLog) {
  const std::size_t before = FileContent(browserLog).size();
  SendMessageW(app.Control("Command1"), BM_CLICK, 0, 0);
  std::string received;
  const bool opened = WaitFor(
      [&] {
        const std::string log = FileContent(browserLog);
        received = log.size() > before ? log.substr(before) : "";
        std::istringstream lines(received);
        for (std::string line; std::getline(lines, line);) {
          if (line == gbkhex::layout::kHomePage) return true;
        }
        return false;
      },
      15s);
  r.Check(opened, "Command1 opens the home page in the browser");
  if (!opened) std::printf("  browser got: \"%s\"\n", received.c_str());
  r.Check(IsWindow(app.form()) != FALSE, "the window stays open after Command1");
}

int Pose(Gbkhex& app) {
  SendMessageW(app.Control("Option2"), BM_CLICK, 0, 0);
  ReplaceAll(app.Control("Text1"), L"十六进制转换 GBK\r\n液晶显示屏 LCD 12864\r\n欢迎使用");
  // Painted before the picture is taken.
  RedrawWindow(app.form(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT bounds{};
  GetWindowRect(app.form(), &bounds);
  std::printf("%ldx%ld+%ld+%ld\n", bounds.right - bounds.left, bounds.bottom - bounds.top,
              bounds.left, bounds.top);
  app.Detach();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Every line reaches the log at once, even when a check hangs.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  Gbkhex app;
  if (!app.Start(
          ExeBesideThisProgram(WideFromUtf8(gbkhex::product::kProductName).value() + L".exe"))) {
    std::printf("0 passed, 1 failed\n");
    return 1;
  }
  if (argc > 1 && std::string_view(argv[1]) == "--pose") return Pose(app);

  Results results;
  CheckStartUp(results, app);
  CheckTabOrder(results, app);
  CheckFormats(results, app);
  CheckText2IsTheUsers(results, app);
  CheckArrowKeysSwitchFormat(results, app);
  CheckLongLinesWrap(results, app);
  CheckOutputLines(results, app);
  CheckEditsAnywhere(results, app);
  CheckLongPaste(results, app);
  if (const std::string browserLog = EnvironmentVariable("GBKHEX_BROWSER_LOG");
      !browserLog.empty()) {
    CheckHomePage(results, app, browserLog.c_str());
  } else {
    std::printf("Command1 not clicked: GBKHEX_BROWSER_LOG names no recorder\n");
  }
  DWORD exitCode = 1;
  results.Check(app.Close(exitCode), "closing the window ends the program");
  results.Check(exitCode == 0, "the program exits with code 0");
  return results.Finish();
}
