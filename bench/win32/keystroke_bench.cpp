// Latency of one keystroke in gbkhex.exe: from the key event on Text1 until
// Text2 holds the new output and the window has painted again. Drives the real
// window from another process, as form1_drive does.
//
//   keystroke_bench [--middle] [--reps N]
//
// Text1 holds N characters, 70 % of them Chinese, in lines of 80; one
// character is typed at its end (or, with --middle, in its middle) and taken
// back again, untimed, before the next. Prints the median and the fastest of
// the keystrokes for each size and format.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tests/win32/gbkhex_process.h"

namespace {

using gbkhex::win32::drive::Gbkhex;
using Clock = std::chrono::steady_clock;

std::wstring SampleInput(std::size_t size) {
  constexpr std::size_t kLineLength = 80;
  std::wstring text;
  text.reserve(size);
  std::uint32_t state = 12345;
  for (std::size_t onLine = 0; text.size() < size;) {
    if (onLine == kLineLength && text.size() + 2 <= size) {
      text += L"\r\n";
      onLine = 0;
      continue;
    }
    state = state * 1664525u + 1013904223u;
    const std::uint32_t r = state >> 8;
    text += r % 10 < 7 ? static_cast<wchar_t>(0x4E00 + r % 0x51A6)
                       : static_cast<wchar_t>(L'a' + r % 26);
    ++onLine;
  }
  return text;
}

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

struct Latency {
  double medianMs;
  double fastestMs;
  std::size_t keystrokes;
};

// Types a character at `position` of Text1 and deletes it again, `reps` times
// at least and until a second of typing has been timed.
Latency TimeKeystrokes(const Gbkhex& app, std::size_t position, int reps, bool& changed) {
  const HWND text1 = app.Control("Text1");
  const HWND text2 = app.Control("Text2");
  const auto outputLength = SendMessageW(text2, WM_GETTEXTLENGTH, 0, 0);
  std::vector<double> times;
  Clock::duration total{};
  changed = true;
  while (static_cast<int>(times.size()) < reps ||
         (total < std::chrono::seconds(1) && times.size() < 50)) {
    SendMessageW(text1, EM_SETSEL, position, position);
    const auto start = Clock::now();
    // Handled in gbkhex.exe before SendMessage returns: the edit's EN_CHANGE
    // runs the refresh inside it.
    SendMessageW(text1, WM_CHAR, L'a', 1);
    RedrawWindow(app.form(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const auto elapsed = Clock::now() - start;
    changed = changed && SendMessageW(text2, WM_GETTEXTLENGTH, 0, 0) > outputLength;
    SendMessageW(text1, WM_CHAR, VK_BACK, 1);
    RedrawWindow(app.form(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    times.push_back(Milliseconds(elapsed));
    total += elapsed;
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.front(), times.size()};
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  bool middle = false;
  int reps = 3;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg(argv[i]);
    if (arg == "--middle") {
      middle = true;
    } else if (arg == "--reps" && i + 1 < argc) {
      reps = std::max(1, std::atoi(argv[++i]));
    } else {
      std::printf("usage: keystroke_bench [--middle] [--reps N]\n");
      return 2;
    }
  }

  Gbkhex app;
  if (!app.Start(gbkhex::win32::drive::ExeBesideThisProgram(L"gbkhex.exe"))) return 1;
  std::printf("%8s  %-6s  %-6s  %10s  %10s  %6s  %8s\n", "chars", "format", "typed", "median ms",
              "fastest ms", "keys", "setup s");
  bool allChanged = true;
  for (const char* format : {"hex", "C"}) {
    SendMessageW(app.Control(format == std::string_view("hex") ? "Option1" : "Option2"), BM_CLICK,
                 0, 0);
    for (const std::size_t size : {1'000, 10'000, 30'000}) {
      const std::wstring input = SampleInput(size);
      const auto setupStart = Clock::now();
      gbkhex::win32::drive::ReplaceAll(app.Control("Text1"), input);
      const double setupSeconds = Milliseconds(Clock::now() - setupStart) / 1000;
      bool changed = false;
      std::size_t position = middle ? input.size() / 2 : input.size();
      if (input[position - 1] == L'\r') --position;  // never between CR and LF
      const Latency latency = TimeKeystrokes(app, position, reps, changed);
      allChanged = allChanged && changed;
      std::printf("%8zu  %-6s  %-6s  %10.2f  %10.2f  %6zu  %8.2f%s\n", size, format,
                  middle ? "middle" : "end", latency.medianMs, latency.fastestMs,
                  latency.keystrokes, setupSeconds, changed ? "" : "  Text2 did not change!");
    }
    gbkhex::win32::drive::ReplaceAll(app.Control("Text1"), L"");
  }
  DWORD exitCode = 1;
  app.Close(exitCode);
  return allChanged ? 0 : 1;
}
