#pragma once

#include <cstddef>
#include <cstdint>

#include "convert/charset.h"

namespace gbkhex {

// The code space of a charset as a font image lays it out in external flash,
// so that firmware finds a glyph by arithmetic on its code alone: a grid of
// two-byte codes, row by lead byte and column by trail byte, every cell kept
// whether or not a character stands there, then the printable ASCII bytes.
//
// Gb2312: 94 zones x 94 positions, lead and trail bytes A1..FE (zone Q and
// position W at bytes A0+Q, A0+W). Gbk: lead bytes 81..FE x trail bytes
// 40..FE without 7F, code page 936's two-byte codes. What a cell holds is
// GbkDecoder's reading of its code (convert/gbk_codec.h).
struct CodeGrid {
  unsigned firstLead = 0;
  unsigned rows = 0;
  unsigned firstTrail = 0;
  unsigned columns = 0;
  bool skipsDelete = false;  // whether trail byte 7F is left out of the columns

  std::size_t Cells() const noexcept { return std::size_t{rows} * columns; }
  unsigned LastLead() const noexcept { return firstLead + rows - 1; }
  unsigned LastTrail() const noexcept { return firstTrail + columns - (skipsDelete ? 0 : 1); }
};

CodeGrid GridOf(Charset charset) noexcept;

// The code (lead byte * 256 + trail byte) of cell `index` of the grid, in code order.
std::uint16_t CodeOfCell(const CodeGrid& grid, std::size_t index) noexcept;

// The one-byte codes after the grid: 20..7E.
inline constexpr unsigned kFirstNarrowCode = 0x20;
inline constexpr unsigned kNarrowCells = 0x7F - kFirstNarrowCode;

}  // namespace gbkhex
