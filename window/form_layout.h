#pragma once

// The main window's controls, captions and the maker's texts, free of any
// toolkit: every front end builds its Form1 from this table and nothing else.
// Strings are UTF-8.

#include <array>
#include <cstddef>
#include <stdexcept>
#include <string_view>

#include "gbkhex/product.h"

namespace gbkhex::layout {

// The maker's texts, the product name and the version have one source, the build.
using product::kCompanyName;
using product::kHomePage;
using product::kProductName;
using product::kVersion;
using product::kWebAddress;
using product::kWelcome;
using product::kWindowCaption;

inline constexpr std::string_view kFormName = "Form1";

// Client area of Form1, in twips.
inline constexpr int kClientWidth = 8295;
inline constexpr int kClientHeight = 6765;
// The layout was drawn at 96 dpi, where 15 twips make one pixel.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kTwipsPerPixelAt96Dpi = 15;
// The typeface size the layout was drawn for.
inline constexpr int kFontPointSize = 9;

enum class ControlKind { GroupFrame, TextBox, OptionButton, Label, PushButton };

struct Control {
  std::string_view name;
  ControlKind kind;
  std::string_view container;  // kFormName or the name of a group frame
  std::string_view caption;    // empty for the text boxes
  // Relative to the client area of the container, in twips.
  int left;
  int top;
  int width;
  int height;
  int tabIndex;
};

// In tab order.
inline constexpr std::array<Control, 9> kControls{{
    {"Frame1", ControlKind::GroupFrame, kFormName, "请输入要转换的字符", 240, 240, 7815, 2295, 0},
    {"Text1", ControlKind::TextBox, "Frame1", "", 120, 240, 7575, 1935, 1},
    {"Frame2", ControlKind::GroupFrame, kFormName, "字符编码转换结果(GBK或ASCII)", 240, 3720, 7815,
     2415, 2},
    {"Text2", ControlKind::TextBox, "Frame2", "", 120, 240, 7575, 2055, 3},
    {"Frame3", ControlKind::GroupFrame, kFormName, "选择输出格式", 240, 2760, 7815, 735, 4},
    {"Option1", ControlKind::OptionButton, "Frame3", "十六进制", 1320, 360, 1335, 255, 5},
    {"Option2", ControlKind::OptionButton, "Frame3", "C语言格式", 5040, 360, 1695, 255, 6},
    {"Label1", ControlKind::Label, kFormName, kWelcome, 405, 6390, 5775, 255, 7},
    {"Command1", ControlKind::PushButton, kFormName, "访 问 官 网", 6615, 6300, 1335, 345, 8},
}};

// The place of the control called `name` in kControls; a name not in the table
// does not compile in a constant expression and throws otherwise.
constexpr std::size_t IndexOf(std::string_view name) {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (kControls[i].name == name) return i;
  }
  throw std::out_of_range("no control of that name");
}

constexpr const Control& ControlNamed(std::string_view name) { return kControls[IndexOf(name)]; }

// Twips to device pixels at `dpi`, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi = 96) {
  return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

static_assert(TwipsToPixels(kClientWidth) == 553 && TwipsToPixels(kClientHeight) == 451);
static_assert(ControlNamed("Command1").tabIndex == 8);

}  // namespace gbkhex::layout
