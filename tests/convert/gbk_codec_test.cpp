// The codec's streaming: what a buffer-to-buffer call reports where bytes are
// undefined, cut short or split between calls, and where units are unmappable.
// What each code means is checked against iconv in charset_test.cpp.

#include "convert/gbk_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gbkhex {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(GbkDecoder, ReportsUndefinedAndCutShortBytesAsValues) {
  struct Case {
    Charset charset;
    std::string_view bytes;
    bool atEnd;
    std::u16string_view units;  // decoded before the stop
    std::size_t undefined;
    bool cutShort;
  };
  const Case cases[] = {
      {Charset::Gbk, "A\xD6\xD0\x80\xFF", true, u"A中€\uF8F5", 0, false},
      {Charset::Gbk, "A\xD6", false, u"A", 0, false},  // the trail byte may come
      {Charset::Gbk, "A\xD6", true, u"A", 1, true},
      {Charset::Gbk, "\x81\x20Z", true, u"", 1, false},  // 20 cannot trail: a byte of its own
      {Charset::Gbk, "\x81\x7F", true, u"", 1, false},
      {Charset::Gbk, "\xFE\xFF", true, u"", 1, false},
      {Charset::Gb2312, "\xA1\xAA\xA1\xA4", true, u"\u2015\u30FB", 0, false},  // its own readings
      {Charset::Gb2312, "a\x81\x40", true, u"a", 2, false},  // a GBK code, not GB2312's
      {Charset::Gb2312, "\x80", true, u"", 1, false},
      {Charset::Gb2312, "\xA1\x20", true, u"", 1, false},
  };
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> bytes = Bytes(c.bytes);
    std::u16string out(bytes.size(), u'\0');
    const GbkDecodeStep step = GbkDecoder(c.charset).Decode(bytes, out.data(), c.atEnd);
    out.resize(step.unitsWritten);
    const std::string where = testing::PrintToString(c.bytes);
    EXPECT_EQ(out, c.units) << where;
    EXPECT_EQ(step.undefined, c.undefined) << where;
    EXPECT_EQ(step.cutShort, c.cutShort) << where;
    // Bytes read: exactly those of the units written, and never the stop.
    std::string read;
    GbkEncoder(c.charset).Append(out, read);
    EXPECT_EQ(step.bytesRead, read.size()) << where;
  }
}

// Every defined code, one after another, read in pieces of every size from 1
// to 5 bytes with the unread tail carried over: each cut of a pair waits for
// its trail byte, and the units are those of the codes read one by one.
TEST(GbkDecoder, StreamsEveryCodeWhereverTheInputIsCut) {
  const GbkDecoder decoder;
  std::vector<std::uint8_t> bytes;
  std::u16string expected;
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const auto unit = decoder.Decode(static_cast<std::uint16_t>(code));
    if (!unit) continue;
    if (code > 0xFF) bytes.push_back(static_cast<std::uint8_t>(code >> 8));
    bytes.push_back(static_cast<std::uint8_t>(code));
    expected += *unit;
  }
  for (std::size_t piece = 1; piece <= 5; ++piece) {
    std::u16string got(bytes.size(), u'\0');
    std::size_t written = 0;
    std::vector<std::uint8_t> pending;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      const auto end =
          bytes.begin() + static_cast<std::ptrdiff_t>(std::min(at + piece, bytes.size()));
      pending.insert(pending.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at), end);
      const GbkDecodeStep step = decoder.Decode(pending, got.data() + written, end == bytes.end());
      ASSERT_EQ(step.undefined, 0u) << piece << " at " << at;
      written += step.unitsWritten;
      pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(step.bytesRead));
      ASSERT_LE(pending.size(), 1u);
    }
    got.resize(written);
    EXPECT_EQ(got, expected) << "pieces of " << piece;
  }
}

TEST(GbkEncoder, EncodesBestFitOrStopsBeforeTheUnmappable) {
  struct Case {
    Charset charset;
    std::u16string_view units;
    std::string_view bestFit;
    std::size_t heldUnits;  // with Unmappable::Stop
  };
  const Case cases[] = {
      {Charset::Gbk, u"A中€", "A\xD6\xD0\x80", 3},
      {Charset::Gbk, u"a\u00B5b",
       "a\xA6\xCC"
       "b",
       1},                                  // best fit to mu
      {Charset::Gbk, u"\u00A0x", "?x", 0},  // no code: '?'
      {Charset::Gbk, u"\U0001F600", "??", 0},
      {Charset::Gb2312, u"\u2015\u30FB", "\xA1\xAA\xA1\xA4", 2},
      {Charset::Gb2312, u"中啰", "\xD6\xD0\x86\xAA", 1},
      {Charset::Gb2312, u"€", "\x80", 0},
  };
  for (const Case& c : cases) {
    const GbkEncoder encoder(c.charset);
    std::string out(2 * c.units.size(), '\0');
    const EncodeStep all = encoder.Encode(c.units, out.data());
    EXPECT_EQ(out.substr(0, all.bytesWritten), c.bestFit) << testing::PrintToString(c.units);
    EXPECT_EQ(all.unitsRead, c.units.size());
    EXPECT_FALSE(all.unmappable);
    const EncodeStep held = encoder.Encode(c.units, out.data(), Unmappable::Stop);
    EXPECT_EQ(held.unitsRead, c.heldUnits) << testing::PrintToString(c.units);
    EXPECT_EQ(held.unmappable, c.heldUnits < c.units.size());
    std::string prefix;
    encoder.Append(c.units.substr(0, c.heldUnits), prefix);
    EXPECT_EQ(out.substr(0, held.bytesWritten), prefix);
  }
}

}  // namespace
}  // namespace gbkhex
