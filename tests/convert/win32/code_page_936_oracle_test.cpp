// Checks the code table against a second oracle: Windows' own conversion,
// WideCharToMultiByte(936, 0, ...), one unit at a time, for all 65,536 units.

#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdio>

#include "convert/gbk_codec.h"

namespace {

// The code of `unit` as Windows converts it alone, or -1 (never a valid code,
// since two-byte codes are below -32000 and one-byte codes are 0..255) when the
// conversion fails outright.
int WindowsCode(wchar_t unit) {
  std::array<char, 4> bytes{};
  const int written = WideCharToMultiByte(936, 0, &unit, 1, bytes.data(),
                                          static_cast<int>(bytes.size()), nullptr, nullptr);
  const auto byte = [&bytes](int i) { return static_cast<unsigned char>(bytes[i]); };
  if (written == 1) return byte(0);
  if (written == 2) return static_cast<std::int16_t>(byte(0) << 8 | byte(1));
  return -1;
}

}  // namespace

int main() {
  int compared = 0;
  int differing = 0;
  for (unsigned value = 0; value <= 0xFFFF; ++value) {
    const int expected = WindowsCode(static_cast<wchar_t>(value));
    const int actual =
        static_cast<std::int16_t>(gbkhex::GbkEncoder::CodeOf(static_cast<char16_t>(value)));
    ++compared;
    if (expected != actual) {
      if (++differing <= 20) {
        std::printf("U+%04X: Windows gives %04X, the table %04X\n", value,
                    static_cast<unsigned>(expected) & 0xFFFFu,
                    static_cast<unsigned>(actual) & 0xFFFFu);
      }
    }
  }
  // A conversion that does not know code page 936 at all would fail the same
  // way for every unit, so check that it knows one well-known character.
  const bool knows936 = WindowsCode(L'\u4E00') == static_cast<std::int16_t>(0xD2BB);
  if (!knows936) std::printf("this system does not convert code page 936 (U+4E00 is not D2 BB)\n");
  std::printf("%d units compared, %d differ\n", compared, differing);
  return differing == 0 && knows936 ? 0 : 1;
}
