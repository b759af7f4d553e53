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

// Where the control called `name` is in kControls, or kControls.size() if it is
// not there. Code that reaches a control uses the constants below instead.
constexpr std::size_t PositionOf(std::string_view name) {
  std::size_t i = 0;
  while (i < kControls.size() && kControls[i].name != name) ++i;
  return i;
}

// The table's own rules, which every front end builds on.
constexpr bool NamesAreUnique() {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (PositionOf(kControls[i].name) != i || kControls[i].name == kFormName) return false;
  }
  return true;
}
// A front end creates the controls in table order, each inside its container.
constexpr bool ContainersComeFirst() {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    const std::string_view container = kControls[i].container;
    if (container == kFormName) continue;
    const std::size_t at = PositionOf(container);
    if (at >= i || kControls[at].kind != ControlKind::GroupFrame) return false;
  }
  return true;
}
// Table order is tab order.
constexpr bool TabIndexIsPosition() {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (kControls[i].tabIndex != static_cast<int>(i)) return false;
  }
  return true;
}
static_assert(NamesAreUnique(), "every control has a name of its own");
static_assert(ContainersComeFirst(), "a control's container is the form or a frame before it");
static_assert(TabIndexIsPosition(), "the table is in tab order");

// The place of the control called `name` in kControls; a name that is not in
// the table does not compile.
consteval std::size_t IndexOf(std::string_view name) {
  if (PositionOf(name) == kControls.size()) throw std::out_of_range("no control of that name");
  return PositionOf(name);
}

// Each control's place in kControls.
inline constexpr std::size_t kFrame1 = IndexOf("Frame1");
inline constexpr std::size_t kText1 = IndexOf("Text1");
inline constexpr std::size_t kFrame2 = IndexOf("Frame2");
inline constexpr std::size_t kText2 = IndexOf("Text2");
inline constexpr std::size_t kFrame3 = IndexOf("Frame3");
inline constexpr std::size_t kOption1 = IndexOf("Option1");
inline constexpr std::size_t kOption2 = IndexOf("Option2");
inline constexpr std::size_t kLabel1 = IndexOf("Label1");
inline constexpr std::size_t kCommand1 = IndexOf("Command1");

// The place in kControls of each control's container; kOnForm for the form.
inline constexpr std::size_t kOnForm = kControls.size();
inline constexpr auto kContainerOf = [] {
  std::array<std::size_t, kControls.size()> containers{};
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    containers[i] = PositionOf(kControls[i].container);
  }
  return containers;
}();

// Twips to device pixels at `dpi`, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi = 96) {
  return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

static_assert(TwipsToPixels(kClientWidth) == 553 && TwipsToPixels(kClientHeight) == 451);
static_assert(kControls[kCommand1].tabIndex == 8 && kContainerOf[kOption2] == kFrame3 &&
              kContainerOf[kLabel1] == kOnForm);

}  // namespace gbkhex::layout
