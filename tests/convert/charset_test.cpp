// The decoding direction, exactness and the GB2312 set, each checked over its
// whole domain: against the encoding table, glibc iconv's CP936 and its EUC-CN.

#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "convert/gbk_codec.h"

namespace gbkhex {
namespace {

// What glibc makes of one or two bytes in `charset`: the one UTF-16 unit they
// decode to, or nothing when it does not decode them to exactly one unit.
class IconvDecoder {
 public:
  explicit IconvDecoder(const char* charset) : cd_(iconv_open("UTF-16LE", charset)) {}
  ~IconvDecoder() {
    if (valid()) iconv_close(cd_);
  }
  IconvDecoder(const IconvDecoder&) = delete;
  IconvDecoder& operator=(const IconvDecoder&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  std::optional<char16_t> Decode(std::uint16_t code) {
    std::array<char, 2> in{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    std::array<char, 8> out{};
    char* inPtr = code > 0xFF ? in.data() : in.data() + 1;
    char* outPtr = out.data();
    std::size_t inLeft = code > 0xFF ? 2 : 1;
    std::size_t outLeft = out.size();
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        out.size() - outLeft != 2) {
      return std::nullopt;
    }
    return static_cast<char16_t>(static_cast<std::uint8_t>(out[0]) |
                                 static_cast<std::uint8_t>(out[1]) << 8);
  }

 private:
  iconv_t cd_;
};

std::uint16_t CodeOf(char16_t unit) { return GbkEncoder::CodeOf(unit); }

TEST(CodePage936Decoding, AgreesWithIconvAndInvertsTheEncodingOnEveryCode) {
  IconvDecoder iconv("CP936");
  ASSERT_TRUE(iconv.valid()) << "glibc has no CP936 converter";
  int defined = 0;
  int comparedWithIconv = 0;
  int failures = 0;
  for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
    const auto lead = static_cast<std::uint8_t>(code >> 8);
    if (code > 0xFF && !IsGbkLeadByte(lead)) continue;  // not a code at all
    const std::optional<char16_t> unit = GbkDecoder().Decode(static_cast<std::uint16_t>(code));
    const std::optional<char16_t> expected = iconv.Decode(static_cast<std::uint16_t>(code));
    if (unit) {
      ++defined;
      // Every code names a unit that encodes back to that code.
      if (CodeOf(*unit) != code && ++failures <= 10) {
        ADD_FAILURE() << std::hex << code << " decodes to U+" << unsigned{*unit};
      }
    }
    if (expected) {
      ++comparedWithIconv;
      if (unit != expected && ++failures <= 10) {
        ADD_FAILURE() << std::hex << code << ": iconv gives U+" << unsigned{*expected};
      }
    }
  }
  EXPECT_EQ(failures, 0);
  // 128 ASCII bytes, 0x80, 0xFF and every trail byte 40..7E, 80..FE of every lead byte.
  EXPECT_EQ(defined, 130 + 126 * 190);
  EXPECT_GE(comparedWithIconv, 21000);
  for (const std::uint16_t undefined : {0x81, 0xFE, 0x8120, 0x817F, 0x81FF, 0xFE3F}) {
    EXPECT_FALSE(GbkDecoder().Decode(undefined)) << std::hex << undefined;
  }
}

TEST(CodePage936Exactness, EveryUnitAgainstTheTableBothWays) {
  int exact = 0;
  for (std::uint32_t u = 0; u <= 0xFFFF; ++u) {
    const auto unit = static_cast<char16_t>(u);
    const bool roundTrips = GbkDecoder().Decode(CodeOf(unit)) == unit;
    EXPECT_EQ(GbkEncoder().Holds(unit), roundTrips) << std::hex << u;
    exact += roundTrips ? 1 : 0;
  }
  // 24,482 units encode to something; the 412 best fits among them do not come back.
  EXPECT_EQ(exact, 24070);
  struct Case {
    char16_t unit;
    bool exact;
  };
  constexpr Case cases[] = {
      {u'?', true},       {u'\u20AC', true},  {u'\uE000', true},         {u'\uE765', true},
      {u'\uF8F5', true},  {u'\u00B5', false}, {u'\u00FE', false},        {u'\u00A2', false},
      {u'\u00A0', false}, {u'\uFFFF', false}, {char16_t{0xD800}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GbkEncoder().Holds(c.unit), c.exact) << std::hex << unsigned{c.unit};
  }
}

// EUC-CN is GB2312 in the same bytes as code page 936, so membership is read
// from the bytes: the two map a few of those bytes to different units (A1A4,
// A1AA), and a unit-by-unit comparison would count those as differences.
TEST(Gb2312, EveryCodeAgainstIconvEucCn) {
  IconvDecoder eucCn("EUC-CN");
  ASSERT_TRUE(eucCn.valid()) << "glibc has no EUC-CN converter";
  int members = 0;
  for (std::uint32_t code = 0x8000; code <= 0xFFFF; ++code) {
    const bool expected = eucCn.Decode(static_cast<std::uint16_t>(code)).has_value();
    EXPECT_EQ(IsGb2312Code(static_cast<std::uint16_t>(code)), expected) << std::hex << code;
    members += expected ? 1 : 0;
  }
  EXPECT_EQ(members, 7445);  // 682 signs and 6,763 hanzi
  for (std::uint32_t u = 0; u <= 0xFFFF; ++u) {
    const auto unit = static_cast<char16_t>(u);
    const char16_t written = UnitToWrite(Charset::Gb2312, unit);
    const std::uint16_t code = CodeOf(written);
    const bool expected =
        GbkEncoder().Holds(written) && (code < 0x80 || eucCn.Decode(code).has_value());
    EXPECT_EQ(GbkEncoder(Charset::Gb2312).Holds(unit), expected) << std::hex << u;
    // GB 2312's own readings: its decoder gives the unit back from the bytes written.
    if (written != unit) {
      EXPECT_EQ(eucCn.Decode(code), unit) << std::hex << u;
    }
  }
}

TEST(GbkEncoder, FindUnmappableStopsAtTheFirstUnitTheCharsetLacks) {
  struct Case {
    std::u16string_view units;
    std::size_t gbk;
    std::size_t gb2312;
  };
  constexpr Case cases[] = {
      {u"", 0, 0},
      {u"十六进制ABC\r\n", 9, 9},
      {u"AB\u00B5C", 2, 2},     // best fit
      {u"中啰文", 3, 1},        // GBK, not GB2312
      {u"—·", 2, 2},            // A1AA and A1A4: GB2312 codes
      {u"―・", 1, 2},           // GB 2312's readings of A1AA and A1A4
      {u"€", 1, 0},             // one byte, but not ASCII
      {u"a\U0001F600", 1, 1},   // a surrogate pair
      {u"\uE000\u00FE", 1, 0},  // user-defined area, then a best fit
  };
  // Every unit at places in and after whole blocks of eight, among units that
  // pass: it stops there exactly when the unit is not exact.
  for (std::uint32_t u = 0; u <= 0xFFFF; ++u) {
    for (const std::size_t at : {0, 5, 8, 15, 17}) {
      std::u16string text(19, u'中');
      text[at] = static_cast<char16_t>(u);
      const std::size_t expected = GbkEncoder().Holds(text[at]) ? text.size() : at;
      ASSERT_EQ(GbkEncoder().FindUnmappable(text), expected) << std::hex << u << " at " << at;
    }
  }
  for (const Case& c : cases) {
    EXPECT_EQ(GbkEncoder().FindUnmappable(c.units), c.gbk) << testing::PrintToString(c.units);
    EXPECT_EQ(GbkEncoder(Charset::Gb2312).FindUnmappable(c.units), c.gb2312)
        << testing::PrintToString(c.units);
  }
}

}  // namespace
}  // namespace gbkhex
