#include "convert/code_space.h"

namespace gbkhex {

CodeGrid GridOf(Charset charset) noexcept {
  if (charset == Charset::Gb2312) {
    return CodeGrid{.firstLead = 0xA1, .rows = 94, .firstTrail = 0xA1, .columns = 94};
  }
  return CodeGrid{
      .firstLead = 0x81, .rows = 126, .firstTrail = 0x40, .columns = 190, .skipsDelete = true};
}

std::uint16_t CodeOfCell(const CodeGrid& grid, std::size_t index) noexcept {
  const auto lead = static_cast<unsigned>(grid.firstLead + index / grid.columns);
  auto trail = static_cast<unsigned>(grid.firstTrail + index % grid.columns);
  if (grid.skipsDelete && trail >= 0x7F) ++trail;
  return static_cast<std::uint16_t>(lead << 8 | trail);
}

}  // namespace gbkhex
