// Where fonts come only as files' bytes (the browser, which hands a page the
// file that the user picked, never a list of installed fonts): no font is
// found by family name.

#include <string>

#include "glyphs/font_source.h"
#include "i18n/messages.h"

namespace gbkhex::glyphs {

FontSource FindInstalledFont(std::string_view request) {
  throw FontError(i18n::Fill(
      i18n::Tr("fonts are not looked up by name here, only read from a file: '%s'"), {request}));
}

std::vector<std::string> InstalledFamilies() { return {}; }

}  // namespace gbkhex::glyphs
