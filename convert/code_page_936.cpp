#include "code_page_936.h"

#include "code_page_936_table.h"

namespace gbkhex {

std::int16_t CharacterCode(char16_t unit) {
  return static_cast<std::int16_t>(detail::CodePage936Code(unit));
}

}  // namespace gbkhex
