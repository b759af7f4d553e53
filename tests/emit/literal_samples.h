#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "convert/gbk_codec.h"

namespace gbkhex::cli {

// The code page 936 bytes of every UTF-16 unit in turn, then every byte before
// every character that a \x escape could take in, then runs of '?' before each
// character that would end a trigraph: what a literal writer must get right.
inline std::string LiteralTestBytes() {
  std::u16string units;
  for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) units += static_cast<char16_t>(unit);
  std::string bytes;
  GbkEncoder().Append(units, bytes);
  for (unsigned byte = 0; byte <= 0xFF; ++byte) {
    for (const char c : std::string_view("0123456789ABCDEFabcdefGg")) {
      bytes += static_cast<char>(byte);
      bytes += c;
    }
  }
  for (const char c : std::string_view("=(/)'<!>-?")) bytes += std::string("a??") + c + "???" + c;
  return bytes;
}

}  // namespace gbkhex::cli
