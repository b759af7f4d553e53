// Feeds arbitrary text to the dump decoder of --decode: whatever the dump, the
// text it gives is UTF-8, a fault names an offset inside the dump, and the text
// written out again as hexadecimal pairs decodes to itself.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "convert/code_format.h"
#include "emit/dump_decoder.h"
#include "text/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace gbkhex;
  const gbkhex::DecodedDump decoded =
      gbkhex::DecodeDump(std::string_view(reinterpret_cast<const char*>(data), size));

  const auto* text = reinterpret_cast<const std::uint8_t*>(decoded.text.data());
  std::vector<char16_t> units(decoded.text.size() + 1);
  const gbkhex::Utf8Result utf8 = gbkhex::DecodeUtf8({text, decoded.text.size()}, units.data());
  if (utf8.status != gbkhex::Utf8Status::Complete) std::abort();

  if (decoded.fault && !(decoded.fault->byteOffset && *decoded.fault->byteOffset < size)) {
    std::abort();
  }

  const std::string hex =
      FormatNameToMac({units.data(), utf8.unitsWritten}, OutputFormat::Hexadecimal);
  const gbkhex::DecodedDump again = gbkhex::DecodeDump(hex);
  if (again.fault || again.text != decoded.text) std::abort();
  return 0;
}
