#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

#include "text/display_width.h"
#include "text/utf8.h"

namespace gbkhex {
namespace {

std::string EncodeUtf8(char32_t cp) {
  if (cp < 0x80) return std::string(1, static_cast<char>(cp));
  if (cp < 0x800) return {static_cast<char>(0xC0 | cp >> 6), static_cast<char>(0x80 | (cp & 0x3F))};
  if (cp < 0x10000) {
    return {static_cast<char>(0xE0 | cp >> 12), static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
            static_cast<char>(0x80 | (cp & 0x3F))};
  }
  return {static_cast<char>(0xF0 | cp >> 18), static_cast<char>(0x80 | (cp >> 12 & 0x3F)),
          static_cast<char>(0x80 | (cp >> 6 & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
}

Utf8Result Decode(const std::string& bytes, std::u16string& units) {
  units.assign(bytes.size(), u'\0');
  const Utf8Result result =
      DecodeUtf8({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, units.data());
  units.resize(result.unitsWritten);
  return result;
}

TEST(DecodeUtf8, BoundaryCodePointsAndAsciiRunsAroundThem) {
  const char32_t points[] = {0x0,    0x7F,   0x80,   0x7FF,   0x800,    0xD7FF,
                             0xE000, 0xFFFD, 0xFFFF, 0x10000, 0x10FFFF, 0x4E2D};
  std::u16string units;
  for (const char32_t cp : points) {
    const std::u16string expected =
        cp < 0x10000 ? std::u16string(1, static_cast<char16_t>(cp))
                     : std::u16string{static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
                                      static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
    // The eight-byte ASCII path must hand over at every position.
    for (std::size_t before = 0; before < 18; before += 1) {
      const std::string ascii(before, 'x');
      const Utf8Result r = Decode(ascii + EncodeUtf8(cp) + "yz", units);
      EXPECT_EQ(r.status, Utf8Status::Complete);
      EXPECT_EQ(units, std::u16string(before, u'x') + expected + u"yz")
          << std::hex << static_cast<std::uint32_t>(cp);
    }
  }
}

TEST(DecodeUtf8, IllFormedAndCutShortSequences) {
  struct Case {
    std::string bytes;
    std::size_t bytesRead;
    Utf8Status status;
  };
  const Case cases[] = {
      {"ab\xC0\x80", 2, Utf8Status::Invalid},        // overlong NUL
      {"\xC1\xBF", 0, Utf8Status::Invalid},          // overlong 7F
      {"\xE0\x9F\xBF", 0, Utf8Status::Invalid},      // overlong 7FF
      {"\xF0\x8F\xBF\xBF", 0, Utf8Status::Invalid},  // overlong FFFF
      {"\xED\xA0\x80", 0, Utf8Status::Invalid},      // encoded surrogate D800
      {"\xED\xBF\xBF", 0, Utf8Status::Invalid},      // encoded surrogate DFFF
      {"\xF4\x90\x80\x80", 0, Utf8Status::Invalid},  // U+110000
      {"\xF5\x80\x80\x80", 0, Utf8Status::Invalid},  // lead beyond the range
      {"abcdefghij\xFF", 10, Utf8Status::Invalid},   // never a UTF-8 byte
      {"\x80", 0, Utf8Status::Invalid},              // stray continuation
      {"\xE4\xB8"
       "A",
       0, Utf8Status::Invalid},  // lead, then not a continuation
      {"\xE4\xB8\xAD\xF0\x9F\x98"
       "A",
       3, Utf8Status::Invalid},
      {"a\xE4\xB8", 1, Utf8Status::Truncated},
      {"\xF0\x9F\x98", 0, Utf8Status::Truncated},
      {"\xC3", 0, Utf8Status::Truncated},
      // A cut-off prefix that can never be completed is reported at once.
      {"\xE0\x80", 0, Utf8Status::Invalid},
      {"\xED\xA0", 0, Utf8Status::Invalid},
      {"\xF4\x90", 0, Utf8Status::Invalid},
  };
  std::u16string units;
  for (const Case& c : cases) {
    const Utf8Result r = Decode(c.bytes, units);
    EXPECT_EQ(r.status, c.status) << testing::PrintToString(c.bytes);
    EXPECT_EQ(r.bytesRead, c.bytesRead) << testing::PrintToString(c.bytes);
    if (c.status == Utf8Status::Invalid) {
      // Followed by more text, the sequence is judged by the whole-sequence path.
      const Utf8Result padded = Decode(c.bytes + "abcdefgh", units);
      EXPECT_EQ(padded.status, Utf8Status::Invalid) << testing::PrintToString(c.bytes);
      EXPECT_EQ(padded.bytesRead, c.bytesRead) << testing::PrintToString(c.bytes);
    }
  }
}

// Decoding as the table of well-formed byte sequences reads, one byte at a
// time, for the fast decoders to be held to.
Utf8Result ReferenceDecode(std::string_view bytes, std::u16string& units) {
  units.clear();
  std::size_t at = 0;
  while (at < bytes.size()) {
    const auto lead = static_cast<std::uint8_t>(bytes[at]);
    std::size_t length = 1;
    char32_t cp = lead;
    std::uint8_t low = 0x80;  // range of the second byte
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      cp = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      cp = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else if (lead >= 0x80) {
      return {at, units.size(), Utf8Status::Invalid};
    }
    for (std::size_t i = 1; i < length; ++i) {
      if (at + i == bytes.size()) return {at, units.size(), Utf8Status::Truncated};
      const auto byte = static_cast<std::uint8_t>(bytes[at + i]);
      const bool fits = i == 1 ? byte >= low && byte <= high : byte >= 0x80 && byte <= 0xBF;
      if (!fits) return {at, units.size(), Utf8Status::Invalid};
      cp = cp << 6 | (byte & 0x3F);
    }
    if (cp >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(cp);
    }
    at += length;
  }
  return {at, units.size(), Utf8Status::Complete};
}

std::string Hex(std::string_view bytes) {
  std::string hex;
  for (const char c : bytes) {
    hex += "0123456789ABCDEF"[static_cast<std::uint8_t>(c) >> 4];
    hex += "0123456789ABCDEF"[static_cast<std::uint8_t>(c) & 0xF];
    hex += ' ';
  }
  return hex;
}

// Runs every decoder this processor can run on `bytes`, placed `shift` bytes
// into a buffer that ends where they end and with room for exactly one unit a
// byte, so that reading or writing past either end trips the sanitizers.
testing::AssertionResult AllDecodersMatchTheReference(std::string_view bytes,
                                                      std::size_t shift = 0) {
  std::u16string expectedUnits;
  const Utf8Result expected = ReferenceDecode(bytes, expectedUnits);
  std::vector<std::uint8_t> buffer(shift + bytes.size());
  std::copy(bytes.begin(), bytes.end(), buffer.begin() + static_cast<std::ptrdiff_t>(shift));
  for (const Utf8Decoder& decoder : Utf8DecodersForThisCpu()) {
    std::vector<char16_t> units(bytes.size());
    const Utf8Result r = decoder.decode({buffer.data() + shift, bytes.size()}, units.data());
    if (r.status != expected.status || r.bytesRead != expected.bytesRead ||
        r.unitsWritten != expected.unitsWritten ||
        std::u16string(units.data(), std::min(r.unitsWritten, units.size())) != expectedUnits) {
      return testing::AssertionFailure()
             << decoder.name << " read " << r.bytesRead << " bytes into " << r.unitsWritten
             << " units, status " << static_cast<int>(r.status) << "; expected "
             << expected.bytesRead << ", " << expected.unitsWritten << ", "
             << static_cast<int>(expected.status) << " or other units, for " << Hex(bytes);
    }
  }
  return testing::AssertionSuccess();
}

// Text in which the sequence lengths follow `weights` (one to four bytes), with
// the code points next to each length's limits turning up often.
std::string RandomUtf8(std::mt19937& random, std::size_t chars, const std::vector<int>& weights) {
  constexpr char32_t kLimits[] = {0x0,     0x7F,    0x80,    0x7FF,   0x800,    0xFFF,
                                  0x1000,  0xCFFF,  0xD000,  0xD7FF,  0xE000,   0xFFFF,
                                  0x10000, 0x3FFFF, 0x40000, 0xFFFFF, 0x100000, 0x10FFFF};
  std::discrete_distribution<int> length(weights.begin(), weights.end());
  std::string utf8;
  for (std::size_t i = 0; i < chars; ++i) {
    char32_t cp = 0;
    switch (length(random)) {
      case 0:
        cp = random() % 0x80;
        break;
      case 1:
        cp = 0x80 + random() % (0x800 - 0x80);
        break;
      case 2:
        do {
          cp = 0x800 + random() % (0x10000 - 0x800);
        } while (cp >= 0xD800 && cp <= 0xDFFF);
        break;
      default:
        cp = 0x10000 + random() % 0x100000;
    }
    if (random() % 8 == 0) {
      const char32_t limit = kLimits[random() % std::size(kLimits)];
      if (EncodeUtf8(limit).size() == EncodeUtf8(cp).size()) cp = limit;
    }
    utf8 += EncodeUtf8(cp);
  }
  return utf8;
}

// Mixes of lengths: Chinese and ASCII as in the benchmark, every length, two-byte
// scripts, ASCII with a little of everything, and Chinese with rare emoji.
const std::vector<std::vector<int>> kLengthMixes = {
    {3, 0, 7, 0}, {3, 2, 4, 1}, {1, 8, 1, 0}, {95, 1, 3, 1}, {300, 0, 700, 3}};

TEST(Utf8Decoders, ValidTextAtEveryAlignmentAndCutAtEveryByte) {
  std::mt19937 random(16);
  for (int round = 0; round < 60; ++round) {
    for (const std::vector<int>& mix : kLengthMixes) {
      const std::string text = RandomUtf8(random, 1 + random() % 60, mix);
      for (std::size_t shift = 0; shift < 16; ++shift) {
        EXPECT_TRUE(AllDecodersMatchTheReference(text, shift));
      }
      // A cut-off sequence is Truncated, and only the whole ones before it are read.
      for (std::size_t cut = 0; cut < text.size(); ++cut) {
        EXPECT_TRUE(AllDecodersMatchTheReference(std::string_view(text).substr(0, cut), cut % 16));
      }
    }
  }
}

TEST(Utf8Decoders, EveryIllFormedSequenceAtEveryOffsetOfABlock) {
  const std::string bad[] = {
      "\x80",
      "\xBF",
      "\xC0\x80",  // overlong
      "\xC1\xBF",
      "\xC2"
      "A",  // a lead without its continuation
      "\xDF\xC0",
      "\xE0\x9F\xBF",  // overlong
      "\xE0\x80\x80",
      "\xED\xA0\x80",  // surrogates
      "\xED\xBF\xBF",
      "\xE4\xB8"
      "A",
      "\xE4"
      "AB",
      "\xEF\xBF\xC0",
      "\xE4\xB8\xAD\x80",  // one continuation too many
      "\xF0\x8F\xBF\xBF",  // overlong
      "\xF4\x90\x80\x80",  // above U+10FFFF
      "\xF0\x9F\x98"
      "A",
      "\xF5\x80\x80\x80",
      "\xF8\x88\x80\x80\x80",
      "\xFE",
      "\xFF",
  };
  std::mt19937 random(32);
  for (const std::string& form : bad) {
    for (std::size_t offset = 0; offset < 48; ++offset) {
      // Before the fault: ASCII, or Chinese padded with ASCII on either side.
      const std::string cjk = RandomUtf8(random, offset / 3, {0, 0, 1, 0});
      const std::string pad(offset % 3, 'a');
      for (const std::string& before : {std::string(offset, 'a'), cjk + pad, pad + cjk}) {
        for (const std::size_t after : {0, 1, 2, 40}) {
          const std::string text = before + form + RandomUtf8(random, after, {3, 0, 7, 0});
          std::u16string units;
          const Utf8Result reference = ReferenceDecode(text, units);
          EXPECT_EQ(reference.status, Utf8Status::Invalid) << Hex(text);
          EXPECT_GE(reference.bytesRead, offset) << Hex(text);
          EXPECT_TRUE(AllDecodersMatchTheReference(text, offset % 5));
        }
      }
    }
  }
}

TEST(Utf8Decoders, RandomlyDamagedText) {
  const std::uint8_t telling[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0,
                                  0xC1, 0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
  std::mt19937 random(64);
  for (int round = 0; round < 4000; ++round) {
    std::string text = RandomUtf8(random, 1 + random() % 80, kLengthMixes[round % 5]);
    for (std::uint32_t damage = 1 + random() % 3; damage > 0; --damage) {
      const std::size_t at = random() % text.size();
      text[at] = static_cast<char>(random() % 2 == 0 ? telling[random() % std::size(telling)]
                                                     : random() % 256);
    }
    EXPECT_TRUE(AllDecodersMatchTheReference(text, round % 16));
  }
}

// The first character as the reference reads it: the shortest start of the
// bytes that it decodes whole.
Utf8Character ReferenceFirstCharacter(std::string_view bytes) {
  for (std::size_t length = 1; length <= std::min<std::size_t>(bytes.size(), 4); ++length) {
    std::u16string units;
    const Utf8Result r = ReferenceDecode(bytes.substr(0, length), units);
    if (r.status == Utf8Status::Invalid) return {};
    if (r.status == Utf8Status::Complete) {
      const char32_t code = units.size() == 1
                                ? units[0]
                                : 0x10000 + ((units[0] - 0xD800) << 10) + (units[1] - 0xDC00);
      return {code, length};
    }
  }
  return {};
}

// Every one- and two-byte input, and every lead byte before the bytes that
// tell a tail apart.
TEST(DecodeUtf8Character, ReadsTheFirstCharacterAsTheReferenceDoes) {
  const std::uint8_t telling[] = {0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0};
  std::vector<std::string> inputs;
  for (unsigned lead = 0; lead < 256; ++lead) {
    inputs.push_back({static_cast<char>(lead)});
    for (unsigned second = 0; second < 256; ++second) {
      inputs.push_back({static_cast<char>(lead), static_cast<char>(second)});
    }
    for (const std::uint8_t second : telling) {
      for (const std::uint8_t third : telling) {
        const std::string three = {static_cast<char>(lead), static_cast<char>(second),
                                   static_cast<char>(third)};
        inputs.push_back(three);
        for (const std::uint8_t fourth : telling)
          inputs.push_back(three + static_cast<char>(fourth));
      }
    }
  }
  for (const std::string& bytes : inputs) {
    const Utf8Character expected = ReferenceFirstCharacter(bytes);
    const Utf8Character got =
        DecodeUtf8Character({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    ASSERT_EQ(got.length, expected.length) << Hex(bytes);
    ASSERT_EQ(got.code, expected.code) << Hex(bytes);
  }
}

// Columns as the GNU Coding Standards count them: tab stops every 8, wide
// characters two columns, combining marks none, a pair one character.
TEST(Advance, ColumnsAreDisplayColumns) {
  struct Case {
    std::u16string_view before;
    std::uint64_t line;
    std::uint64_t column;
  };
  const Case cases[] = {
      {u"", 1, 1},
      {u"abc", 1, 4},
      {u"\t", 1, 9},
      {u"abcdefg\t", 1, 9},
      {u"abcdefgh\t", 1, 17},
      {u"十\t", 1, 9},
      {u"十六", 1, 5},
      {u"ＡＢ", 1, 5},           // fullwidth
      {u"e\u0301\u20DD", 1, 2},  // a combining accent and an enclosing circle
      {u"a\U0001F600b", 1, 5},   // a wide character outside the 16-bit range
      {u"\U00020000", 1, 3},     // an ideograph of plane 2
      {u"x\r\n\n\U0001F600", 3, 3},
      {u"\uAC00\u1161\u11A8", 1, 3},  // a Hangul syllable, then jamo that join it
  };
  for (const Case& c : cases) {
    TextPosition position;
    Advance(position, c.before);
    EXPECT_EQ(position.line, c.line) << testing::PrintToString(std::u16string(c.before));
    EXPECT_EQ(position.column, c.column) << testing::PrintToString(std::u16string(c.before));
  }
}

// glibc's wcwidth in a UTF-8 locale is an independent reading of the Unicode
// data. Where the two differ, it is on purpose: wcwidth gives -1 to controls
// and unassigned code points, which still take a column of an editor's line
// (two in the blocks kept for ideographs), and 0 to U+0000; and it follows
// older tables for the hexagrams and the circled numbers on black squares,
// which Unicode calls neutral and ambiguous, one column.
TEST(DisplayWidth, AgreesWithGlibcWcwidthBarTheDeliberateDifferences) {
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  const auto deliberate = [](char32_t c, int ours, int glibc) {
    const bool ideographBlock = (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
                                (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x2FFFD) ||
                                (c >= 0x30000 && c <= 0x3FFFD);
    if (glibc == -1) return ours == (ideographBlock ? 2 : 1);
    return ours == 1 && (c == 0 || (c >= 0x4DC0 && c <= 0x4DFF) || (c >= 0x3248 && c <= 0x324F));
  };
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const int ours = DisplayWidth(c);
    const int glibc = wcwidth(static_cast<wchar_t>(c));
    if (ours != glibc) {
      EXPECT_TRUE(deliberate(c, ours, glibc))
          << std::hex << static_cast<std::uint32_t>(c) << ": ours " << ours << ", glibc " << glibc;
    }
  }
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace gbkhex
