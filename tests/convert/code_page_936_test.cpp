#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "convert/gbk_codec.h"

namespace gbkhex {
namespace {

// What glibc's CP936 converter, written independently of our table, makes of one
// unit: one or two bytes, or nothing when it has no mapping.
class IconvCp936 {
 public:
  IconvCp936() : cd_(iconv_open("CP936", "UTF-16LE")) {}
  ~IconvCp936() {
    if (valid()) iconv_close(cd_);
  }
  IconvCp936(const IconvCp936&) = delete;
  IconvCp936& operator=(const IconvCp936&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  std::optional<std::string> Encode(char16_t unit) {
    std::array<char, 2> in{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    std::array<char, 8> out{};
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
      return std::nullopt;
    }
    return std::string(out.data(), out.size() - outLeft);
  }

 private:
  iconv_t cd_;
};

TEST(CodePage936, AgreesWithIconvOnEveryUnitIconvEncodes) {
  IconvCp936 iconv;
  ASSERT_TRUE(iconv.valid()) << "glibc has no CP936 converter";
  int compared = 0;
  int mismatches = 0;
  for (std::uint32_t u = 0; u <= 0xFFFF; ++u) {
    const auto unit = static_cast<char16_t>(u);
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;  // iconv needs pairs; checked below
    const std::optional<std::string> expected = iconv.Encode(unit);
    if (!expected) continue;
    ++compared;
    std::string actual;
    GbkEncoder().Append({&unit, 1}, actual);
    if (actual != *expected && ++mismatches <= 10) {
      ADD_FAILURE() << std::hex << "U+" << u << ": table gives " << std::hex
                    << GbkEncoder::CodeOf(unit);
    }
  }
  EXPECT_EQ(mismatches, 0);
  // ASCII plus the GBK round-trip set: a converter that quietly encoded far
  // fewer units would make this test vacuous.
  EXPECT_GE(compared, 21000);
}

struct Expected {
  char16_t unit;
  std::uint16_t code;
};

TEST(CodePage936, FollowsWindowsWhereIconvHasNoMapping) {
  constexpr std::array<Expected, 12> cases{{
      {u'\u00B5', 0xA6CC},  // micro sign, best fit to Greek mu
      {u'\u00A2', 0xA1E9},  // cent sign, best fit to the full-width cent
      {u'\u00FE', 0x0074},  // thorn, best fit to 't'
      {u'\u20AC', 0x0080},  // euro sign: a single byte
      {u'\uF8F5', 0x00FF},  // a single byte too
      {u'\u007F', 0x007F},
      {u'\uE000', 0xAAA1},  // first unit of the user-defined area
      {u'\uE765', 0xA7A0},  // last unit of the user-defined area
      {u'\u00A0', 0x003F},  // no mapping at all: the default character
      {u'\uFFFF', 0x003F},
      {char16_t{0xD800}, 0x003F},  // lone surrogate halves
      {char16_t{0xDFFF}, 0x003F},
  }};
  for (const auto& c : cases) {
    EXPECT_EQ(GbkEncoder::CodeOf(c.unit), c.code)
        << std::hex << "U+" << static_cast<unsigned>(c.unit);
  }
}

TEST(CodePage936, TwoByteCodesHaveAValidLeadAndTrailByte) {
  int twoByte = 0;
  int convertible = 0;
  for (std::uint32_t u = 0; u <= 0xFFFF; ++u) {
    const std::uint16_t code = GbkEncoder::CodeOf(static_cast<char16_t>(u));
    if (code != 0x3F || u == 0x3F) ++convertible;
    if (code <= 0xFF) continue;
    ++twoByte;
    const unsigned lead = code >> 8;
    const unsigned trail = code & 0xFF;
    EXPECT_TRUE(lead >= 0x81 && lead <= 0xFE) << std::hex << u;
    EXPECT_TRUE(trail >= 0x40 && trail <= 0xFE && trail != 0x7F) << std::hex << u;
  }
  EXPECT_EQ(convertible, 24482);  // every unit the reference table lists
  EXPECT_GT(twoByte, 21000);
}

}  // namespace
}  // namespace gbkhex
