// Where fonts come only as files' bytes (the browser, which hands a page the
// file that the user picked, never a list of installed fonts): no font is
// found by family name.

#include <string>

#include "glyphs/font_source.h"

namespace gbkhex::glyphs {

FontSource FindInstalledFont(std::string_view request) {
  throw FontError("fonts are not looked up by name here, only read from a file: '" +
                  std::string(request) + "'");
}

std::vector<std::string> InstalledFamilies() { return {}; }

}  // namespace gbkhex::glyphs
