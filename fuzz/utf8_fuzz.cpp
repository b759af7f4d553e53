// Holds every UTF-8 decoder this processor can run to the portable one, on
// arbitrary bytes: same status, same bytes read, same units.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "text/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using gbkhex::Utf8Result;
  const std::span<const std::uint8_t> bytes(data, size);
  const auto decoders = gbkhex::Utf8DecodersForThisCpu();

  std::vector<char16_t> expectedUnits(size + 1);
  const Utf8Result expected = decoders.front().decode(bytes, expectedUnits.data());
  if (expected.bytesRead > size || expected.unitsWritten > expected.bytesRead) std::abort();

  for (const auto& decoder : decoders.subspan(1)) {
    std::vector<char16_t> units(size + 1);
    const Utf8Result actual = decoder.decode(bytes, units.data());
    if (actual.status != expected.status || actual.bytesRead != expected.bytesRead ||
        actual.unitsWritten != expected.unitsWritten) {
      std::abort();
    }
    for (std::size_t i = 0; i < actual.unitsWritten; ++i) {
      if (units[i] != expectedUnits[i]) std::abort();
    }
  }
  return 0;
}
