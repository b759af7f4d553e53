// Latency of gbkhex.exe (under Wine here), driven from another process as
// form1_drive drives it: a paste into the empty Text1, and one key typed at
// the end or in the middle of what it holds, each until Text2 holds the new
// output and the window has painted again.
//
// Beside each figure, "Text1 alone": the same edit in a stand-in for Text1
// with no refresh connected, an edit control that this program makes with
// Text1's class, styles, margins, size and typeface. The two are timed in
// turns, so that both see the same machine.
//
//   keystroke_bench [--reps N]
//
// Text1 holds the sample text in lines of 80 (Wine's edit control takes
// seconds to lay out even Text1 alone when it is one long paragraph); the key
// is taken back again, untimed, before the next.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "bench/figures.h"
#include "gbkhex/product.h"
#include "harness/sample_text.h"
#include "harness/win32/gbkhex_process.h"
#include "platform/win32/wide_text.h"
#include "window/win32/text_box_font.h"

namespace {

using gbkhex::bench::Median;
using gbkhex::bench::Thousands;

namespace drive = gbkhex::win32::drive;
using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

// An edit control like Text1, in a window of this program, that nothing
// listens to.
class StandIn {
 public:
  explicit StandIn(HWND text1) {
    RECT client{};
    GetClientRect(text1, &client);
    RECT outer{};
    GetWindowRect(text1, &outer);
    window_.reset(CreateWindowExW(0, L"STATIC", L"Text1 alone", WS_POPUP | WS_VISIBLE, 0, 0,
                                  outer.right - outer.left + 20, outer.bottom - outer.top + 20,
                                  nullptr, nullptr, nullptr, nullptr));
    edit_ = CreateWindowExW(static_cast<DWORD>(GetWindowLongPtrW(text1, GWL_EXSTYLE)), L"EDIT", L"",
                            static_cast<DWORD>(GetWindowLongPtrW(text1, GWL_STYLE)), 10, 10,
                            outer.right - outer.left, outer.bottom - outer.top, window_.get(),
                            nullptr, nullptr, nullptr);
    font_ = gbkhex::win32::CreateTextBoxFont(GetDpiForWindow(edit_));
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    const auto margins = static_cast<DWORD>(SendMessageW(text1, EM_GETMARGINS, 0, 0));
    SendMessageW(edit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, margins);
    SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
  }

  HWND edit() const { return edit_; }
  HWND window() const { return window_.get(); }

 private:
  gbkhex::win32::UniqueWindow window_;
  HWND edit_ = nullptr;
  gbkhex::win32::UniqueFont font_;
};

// Lets the stand-in's own window handle what its edit posted to it.
void PumpMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Times `edit` on `box` until the window that holds it has painted again.
// Sent to gbkhex.exe, it returns only after the refresh that Text1's EN_CHANGE
// runs inside it.
template <class Edit>
double Timed(HWND window, Edit edit) {
  const auto start = Clock::now();
  edit();
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpMessages();
  return Milliseconds(Clock::now() - start);
}

struct Pair {
  double aloneMs;
  double windowMs;
};

struct Target {
  HWND text1;
  HWND window;
};

// One key at `position`, taken back again untimed; `typed` sees the result.
template <class Check>
double TypeAt(Target target, std::size_t position, Check typed) {
  SendMessageW(target.text1, EM_SETSEL, position, position);
  const double ms = Timed(target.window, [&] { SendMessageW(target.text1, WM_CHAR, L'a', 1); });
  typed(target);
  SendMessageW(target.text1, WM_CHAR, VK_BACK, 1);
  RedrawWindow(target.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpMessages();
  return ms;
}

double Paste(Target target, const std::wstring& text) {
  drive::ReplaceAll(target.text1, L"");
  RedrawWindow(target.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return Timed(target.window, [&] { drive::ReplaceAll(target.text1, text); });
}

// Alternately on the stand-in and on gbkhex.exe, each first every other
// round, `reps` times at least and until a second of them has been timed.
template <class Edit>
Pair TimeInTurns(Target alone, Target window, int reps, Edit edit) {
  std::vector<double> aloneMs;
  std::vector<double> windowMs;
  double total = 0;
  for (int round = 0; round < reps || (total < 1000 && round < 50); ++round) {
    for (const bool onWindow : {round % 2 == 0, round % 2 != 0}) {
      const double ms = edit(onWindow ? window : alone);
      (onWindow ? windowMs : aloneMs).push_back(ms);
      total += ms;
    }
  }
  return {Median(aloneMs), Median(windowMs)};
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  int reps = 3;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg(argv[i]);
    if (arg == "--reps" && i + 1 < argc) {
      reps = std::max(1, std::atoi(argv[++i]));
    } else {
      std::printf("usage: keystroke_bench [--reps N]\n");
      return 2;
    }
  }

  drive::Gbkhex app;
  const std::wstring exe =
      gbkhex::win32::WideFromUtf8(gbkhex::product::kProductName).value() + L".exe";
  if (!app.Start(drive::ExeBesideThisProgram(exe))) return 1;
  const HWND text1 = app.Control("Text1");
  const HWND text2 = app.Control("Text2");
  const StandIn standIn(text1);
  const Target alone{standIn.edit(), standIn.window()};
  const Target window{text1, app.form()};

  std::printf(
      "Until Text2 shows the new output and the window has painted, median, ms.\n"
      "Text1 alone: the same edit in an edit control like Text1 that nothing listens to.\n\n"
      "| Text1 holds | edit | format | Text1 alone | gbkhex.exe | ratio | goal |\n"
      "| --- | --- | --- | --- | --- | --- | --- |\n");
  bool followed = true;
  for (const char* format : {"hex", "C"}) {
    SendMessageW(app.Control(format == std::string_view("hex") ? "Option1" : "Option2"), BM_CLICK,
                 0, 0);
    for (const std::size_t size : {1'000, 10'000, 30'000}) {
      const std::wstring input =
          gbkhex::harness::SampleText<wchar_t>(size, gbkhex::harness::SampleShape::Lines, L"\r\n");
      // A long paste shows within a second, a key typed into a long hexadecimal
      // output within a tenth of one.
      const auto print = [&](const char* edit, const Pair& pair, double goalMs) {
        const std::string goal = goalMs == 0
                                     ? std::string()
                                     : "<= " + Thousands(static_cast<long long>(goalMs)) +
                                           " ms: " + (pair.windowMs <= goalMs ? "met" : "MISSED");
        std::printf("| %s, in lines | %s | %s | %.1f | %.1f | %.2f | %s |\n",
                    Thousands(size).c_str(), edit, format, pair.aloneMs, pair.windowMs,
                    pair.windowMs / pair.aloneMs, goal.c_str());
      };
      const bool hex = format == std::string_view("hex");
      // A long paste once each: it takes long enough for one to tell.
      const int pasteReps = size >= 10'000 ? 1 : reps;
      print("paste into the empty box",
            TimeInTurns(alone, window, pasteReps,
                        [&](Target target) {
                          const double ms = Paste(target, input);
                          if (target.text1 == text1) {
                            followed = followed && SendMessageW(text2, WM_GETTEXTLENGTH, 0, 0) > 0;
                          }
                          return ms;
                        }),
            size == 30'000 ? 1000 : 0);
      for (const bool middle : {false, true}) {
        std::size_t position = middle ? input.size() / 2 : input.size();
        if (input[position - 1] == L'\r') --position;  // never between CR and LF
        const auto outputLength = SendMessageW(text2, WM_GETTEXTLENGTH, 0, 0);
        print(middle ? "a key in the middle" : "a key at the end",
              TimeInTurns(alone, window, reps,
                          [&](Target target) {
                            return TypeAt(target, position, [&](Target typedInto) {
                              if (typedInto.text1 != text1) return;
                              followed = followed &&
                                         SendMessageW(text2, WM_GETTEXTLENGTH, 0, 0) > outputLength;
                            });
                          }),
              middle && hex && size == 10'000 ? 100 : 0);
        followed = followed && SendMessageW(text2, WM_GETTEXTLENGTH, 0, 0) == outputLength;
      }
    }
    drive::ReplaceAll(text1, L"");
  }
  DWORD exitCode = 1;
  app.Close(exitCode);
  if (!followed) std::printf("Text2 did not follow!\n");
  return followed ? 0 : 1;
}
