// Writes the browser page's Form1 from the control table: its markup into a
// copy of the page template, and the controls' places into a style sheet.
// Run by the build, so the page cannot drift from the other front ends.
//
// Usage: page_generator TEMPLATE PAGE STYLE_SHEET

#include <cstddef>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "window/model/form_layout.h"

namespace {

using gbkhex::layout::Control;
using gbkhex::layout::ControlKind;
using gbkhex::layout::kControls;
using gbkhex::layout::kFormName;

// The page nests each control in its frame and takes the tab order from the
// order of the markup, which is the table's: so the table must be in tab
// order, and a control in a frame must follow the frame or another control of
// the same frame.
constexpr bool MarkupOrderIsTabOrder() {
  for (std::size_t i = 1; i < kControls.size(); ++i) {
    const Control& control = kControls[i];
    const Control& before = kControls[i - 1];
    if (control.tabIndex <= before.tabIndex) return false;
    if (control.container != kFormName && before.name != control.container &&
        before.container != control.container) {
      return false;
    }
  }
  return kControls.front().container == kFormName;
}
static_assert(MarkupOrderIsTabOrder());

// Every refresh edits the output box in place, where only its changed span
// is replaced. A textarea takes any change of its text by a script as a new
// text and lays all of it out again; in an editable block the refresh edits
// the text nodes themselves, and the browser redoes only what they touch.
constexpr std::string_view kOutputBox = "Text2";

bool TakesFocus(ControlKind kind) {
  return kind == ControlKind::TextBox || kind == ControlKind::OptionButton ||
         kind == ControlKind::PushButton;
}

std::string Escaped(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// An option button's element is its radio input; its place is that of the
// label that holds the input and the caption.
std::string Selector(const Control& control) {
  const std::string name(control.name);
  return control.kind == ControlKind::OptionButton ? "label[for=\"" + name + "\"]" : "#" + name;
}

class MarkupWriter {
 public:
  std::string Write() {
    WriteContentsOf(kFormName, 2);
    return out_.str();
  }

 private:
  void WriteContentsOf(std::string_view container, int depth) {
    for (const Control& control : kControls) {
      if (control.container == container) WriteControl(control, depth);
    }
  }

  void WriteControl(const Control& c, int depth) {
    const std::string indent(static_cast<std::size_t>(2 * depth), ' ');
    const std::string name(c.name);
    const std::string caption = Escaped(c.caption);
    // The page opens with the focus on the first control that takes it.
    const char* const focus = TakesFocus(c.kind) && !focusGiven_ ? " autofocus" : "";
    focusGiven_ = focusGiven_ || TakesFocus(c.kind);
    switch (c.kind) {
      case ControlKind::GroupFrame:
        out_ << indent << "<fieldset id=\"" << name << "\">\n"
             << indent << "  <legend id=\"" << name << "-caption\">" << caption << "</legend>\n";
        WriteContentsOf(c.name, depth + 1);
        out_ << indent << "</fieldset>\n";
        break;
      case ControlKind::TextBox:
        if (c.name == kOutputBox) {
          out_ << indent << "<div id=\"" << name << "\"" << focus << LabelledBy(c)
               << " contenteditable=\"plaintext-only\" role=\"textbox\" aria-multiline=\"true\""
                  " spellcheck=\"false\"></div>\n";
          break;
        }
        // The browser must not restore a text from an earlier visit: the
        // boxes start empty.
        out_ << indent << "<textarea id=\"" << name << "\"" << focus << LabelledBy(c)
             << " autocomplete=\"off\" spellcheck=\"false\" autocapitalize=\"off\""
                " autocorrect=\"off\"></textarea>\n";
        break;
      case ControlKind::OptionButton:
        out_ << indent << "<label for=\"" << name << "\"><input type=\"radio\" id=\"" << name
             << "\" name=\"" << c.container << "\"" << focus << " autocomplete=\"off\">" << caption
             << "</label>\n";
        break;
      case ControlKind::Label:
        out_ << indent << "<div id=\"" << name << "\">" << caption << "</div>\n";
        break;
      case ControlKind::PushButton:
        out_ << indent << "<button type=\"button\" id=\"" << name << "\"" << focus << ">" << caption
             << "</button>\n";
        break;
    }
  }

  // A text box is named by the caption of its frame.
  static std::string LabelledBy(const Control& c) {
    if (c.container == kFormName) return {};
    return " aria-labelledby=\"" + std::string(c.container) + "-caption\"";
  }

  std::ostringstream out_;
  bool focusGiven_ = false;
};

std::string StyleSheet() {
  using gbkhex::layout::TwipsToPixels;
  std::ostringstream out;
  out << "/* Written by the build from the control table: 15 twips to the pixel. */\n"
      << "#" << kFormName << " { width: " << TwipsToPixels(gbkhex::layout::kClientWidth)
      << "px; height: " << TwipsToPixels(gbkhex::layout::kClientHeight) << "px; }\n";
  for (const Control& c : kControls) {
    out << Selector(c) << " { left: " << TwipsToPixels(c.left)
        << "px; top: " << TwipsToPixels(c.top) << "px; width: " << TwipsToPixels(c.width)
        << "px; height: " << TwipsToPixels(c.height) << "px; }\n";
  }
  return out.str();
}

void ReplaceAll(std::string& text, std::string_view placeholder, std::string_view value) {
  for (std::size_t at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + value.size())) {
    text.replace(at, placeholder.size(), value);
  }
}

bool WriteFile(const char* path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  file.close();
  if (!file) std::cerr << "page_generator: cannot write " << path << '\n';
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 4) {
    std::cerr << "usage: page_generator TEMPLATE PAGE STYLE_SHEET\n";
    return 2;
  }
  std::ifstream templateFile(argv[1], std::ios::binary);
  std::string page(std::istreambuf_iterator<char>(templateFile), {});
  if (!templateFile) {
    std::cerr << "page_generator: cannot read " << argv[1] << '\n';
    return 1;
  }
  ReplaceAll(page, "@CAPTION@", Escaped(gbkhex::layout::kWindowCaption));
  ReplaceAll(page, "@HOME_PAGE@", Escaped(gbkhex::layout::kHomePage));
  ReplaceAll(page, "@CONTROLS@\n", MarkupWriter().Write());
  return WriteFile(argv[2], page) && WriteFile(argv[3], StyleSheet()) ? 0 : 1;
}
