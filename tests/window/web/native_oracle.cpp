// What the browser tests hold the page to, from the native build:
//   native_oracle units     the hexadecimal output of each UTF-16 unit alone,
//                           one line per unit, units 0 to FFFF in order
//   native_oracle controls  the window and its controls as JSON, in pixels

#include <iostream>
#include <string>
#include <string_view>

#include "convert/code_format.h"
#include "window/model/form_layout.h"

namespace {

namespace layout = gbkhex::layout;

void WriteUnits() {
  for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
    const char16_t one = static_cast<char16_t>(unit);
    std::cout << gbkhex::FormatNameToMac({&one, 1}, gbkhex::OutputFormat::Hexadecimal) << '\n';
  }
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

std::string_view KindName(layout::ControlKind kind) {
  switch (kind) {
    case layout::ControlKind::GroupFrame:
      return "GroupFrame";
    case layout::ControlKind::TextBox:
      return "TextBox";
    case layout::ControlKind::OptionButton:
      return "OptionButton";
    case layout::ControlKind::Label:
      return "Label";
    case layout::ControlKind::PushButton:
      return "PushButton";
  }
  return "";
}

void WriteControls() {
  using layout::TwipsToPixels;
  std::cout << "{\"caption\": " << Quoted(layout::kWindowCaption)
            << ", \"homePage\": " << Quoted(layout::kHomePage)
            << ", \"width\": " << TwipsToPixels(layout::kClientWidth)
            << ", \"height\": " << TwipsToPixels(layout::kClientHeight) << ", \"controls\": [";
  const char* separator = "\n";
  for (const layout::Control& c : layout::kControls) {
    std::cout << separator << "{\"name\": " << Quoted(c.name)
              << ", \"kind\": " << Quoted(KindName(c.kind))
              << ", \"container\": " << Quoted(c.container)
              << ", \"caption\": " << Quoted(c.caption) << ", \"left\": " << TwipsToPixels(c.left)
              << ", \"top\": " << TwipsToPixels(c.top) << ", \"width\": " << TwipsToPixels(c.width)
              << ", \"height\": " << TwipsToPixels(c.height) << ", \"tabIndex\": " << c.tabIndex
              << "}";
    separator = ",\n";
  }
  std::cout << "]}\n";
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::string_view mode = argc == 2 ? argv[1] : "";
  if (mode == "units") {
    WriteUnits();
  } else if (mode == "controls") {
    WriteControls();
  } else {
    std::cerr << "usage: native_oracle units|controls\n";
    return 2;
  }
  return std::cout ? 0 : 1;
}
