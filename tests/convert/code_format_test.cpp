#include "convert/code_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "convert/gbk_codec.h"

namespace gbkhex {
namespace {

constexpr auto kHex = OutputFormat::Hexadecimal;
constexpr auto kC = OutputFormat::C;

TEST(NumToStrHex, WorkedValues) {
  EXPECT_EQ(NumToStrHex(65, 1), "41");
  EXPECT_EQ(NumToStrHex(9, 1), "09");
  EXPECT_EQ(NumToStrHex(0, 1), "00");
  EXPECT_EQ(NumToStrHex(65, 2), "0041");
  EXPECT_EQ(NumToStrHex(0x1234, 1), "34");
  EXPECT_EQ(NumToStrHex(-13842, 2), "C9EE");
  EXPECT_EQ(NumToStrHex(-1, 2), "FFFF");
  EXPECT_EQ(NumToStrHex(128, 2), "0080");
  EXPECT_EQ(NumToStrHex(-10544, 2), "D6D0");
}

TEST(NumToStrHex, FullWidthNegativesAndExtremes) {
  EXPECT_EQ(NumToStrHex(-13842, 4), "FFFFC9EE");
  EXPECT_EQ(NumToStrHex(-13842, 6), "0000FFFFC9EE");
  EXPECT_EQ(NumToStrHex(INT32_MIN, 4), "80000000");
  EXPECT_EQ(NumToStrHex(INT32_MAX, 4), "7FFFFFFF");
  EXPECT_EQ(NumToStrHex(INT32_MAX, 1), "FF");
  EXPECT_EQ(NumToStrHex(0xABCDEF, 3), "ABCDEF");
  EXPECT_EQ(NumToStrHex(0, 3), "000000");
}

TEST(NumToStrHex, ZeroNegativeAndHugeWidths) {
  EXPECT_EQ(NumToStrHex(65, 0), "");
  EXPECT_EQ(NumToStrHex(-1, 0), "");
  EXPECT_EQ(NumToStrHex(65, -1), "");
  EXPECT_EQ(NumToStrHex(65, INT16_MIN), "");
  const std::string wide = NumToStrHex(0xAB, INT16_MAX);
  ASSERT_EQ(wide.size(), 2u * INT16_MAX);
  EXPECT_EQ(wide.find_first_not_of('0'), wide.size() - 2);
  EXPECT_EQ(wide.substr(wide.size() - 2), "AB");
}

TEST(FormatNameToMac, WorkedExamples) {
  EXPECT_EQ(FormatNameToMac(u"", kHex), "");
  EXPECT_EQ(FormatNameToMac(u"", kC), "");
  EXPECT_EQ(FormatNameToMac(u"A", kHex), "41 ");
  EXPECT_EQ(FormatNameToMac(u"A", kC), "0X41,");
  EXPECT_EQ(FormatNameToMac(u"十六进制", kHex), "CA AE C1 F9 BD F8 D6 C6 ");
  EXPECT_EQ(FormatNameToMac(u"十六进制", kC), "0XCA,0XAE,0XC1,0XF9,0XBD,0XF8,0XD6,0XC6,");
  EXPECT_EQ(FormatNameToMac(u"\r\n", kHex), "0D 0A ");
  EXPECT_EQ(FormatNameToMac(u"\r\n", kC), "0X0D,0X0A,");
  EXPECT_EQ(FormatNameToMac(u"中", kHex), "D6 D0 ");
  EXPECT_EQ(FormatNameToMac(std::u16string(1, u'\0'), kHex), "00 ");
}

// A unit whose encoding is one byte from 0x7F up is that byte alone: no 00 before it.
TEST(FormatNameToMac, SingleByteCodesAbove7FAreOneByte) {
  EXPECT_EQ(FormatNameToMac(u"\u20AC", kHex), "80 ");
  EXPECT_EQ(FormatNameToMac(u"\u20AC", kC), "0X80,");
  EXPECT_EQ(FormatNameToMac(u"\u007F", kHex), "7F ");
  EXPECT_EQ(FormatNameToMac(u"\uF8F5", kHex), "FF ");
  EXPECT_EQ(FormatNameToMac(u"\u00FE", kHex), "74 ");  // best fit to 't'
  EXPECT_EQ(FormatNameToMac(u"A\u20AC\u4E2D", kC), "0X41,0X80,0XD6,0XD0,");
}

TEST(FormatNameToMac, UnmappableUnitsBecomeQuestionMarks) {
  EXPECT_EQ(FormatNameToMac(u"\u00A0", kHex), "3F ");
  // A character outside the 16-bit range arrives as two units, each converted alone.
  EXPECT_EQ(FormatNameToMac(u"\U0001F600", kHex), "3F 3F ");
  EXPECT_EQ(FormatNameToMac(u"\U0001F600", kC), "0X3F,0X3F,");
}

TEST(FormatNameToMac, CLinesHoldSixteenBytes) {
  const std::string sixteen = FormatNameToMac(u"ABCDEFGHIJKLMNOP", kC);
  ASSERT_EQ(sixteen.size(), 82u);
  EXPECT_EQ(sixteen.substr(0, 10), "0X41,0X42,");
  EXPECT_EQ(sixteen.substr(75), "0X50,\r\n");

  const std::string seventeen = FormatNameToMac(u"ABCDEFGHIJKLMNOPQ", kC);
  EXPECT_EQ(seventeen, sixteen + "0X51,");

  const std::string eightChinese = FormatNameToMac(u"十六进制十六进制", kC);
  EXPECT_EQ(eightChinese,
            "0XCA,0XAE,0XC1,0XF9,0XBD,0XF8,0XD6,0XC6,"
            "0XCA,0XAE,0XC1,0XF9,0XBD,0XF8,0XD6,0XC6,\r\n");

  // A two-byte character straddling the line end: its bytes split across lines,
  // since lines are cut by characters, not by characters of the input.
  const std::string straddle = FormatNameToMac(u"ABCDEFGHIJKLMNO中", kC);
  EXPECT_EQ(straddle.substr(70), "0X4F,0XD6,\r\n0XD0,");
}

TEST(FormatNameToMac, HexNeverBreaksLines) {
  const std::u16string text(5000, u'中');
  const std::string hex = FormatNameToMac(text, kHex);
  EXPECT_EQ(hex.size(), 5000u * 6);
  EXPECT_EQ(hex.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(hex.back(), ' ');
}

// Reads the bytes back out of either format, checking every token's shape on the way.
std::vector<std::uint8_t> ParseOutput(const std::string& text, OutputFormat format) {
  std::vector<std::uint8_t> bytes;
  const std::size_t token = format == kHex ? 3 : 5;
  std::size_t pos = 0;
  std::size_t onLine = 0;
  while (pos < text.size()) {
    if (format == kC && onLine == 80) {
      EXPECT_EQ(text.substr(pos, 2), "\r\n") << "at " << pos;
      pos += 2;
      onLine = 0;
      continue;
    }
    const std::string t = text.substr(pos, token);
    const std::string digits = format == kHex ? t.substr(0, 2) : t.substr(2, 2);
    if (format == kHex) {
      EXPECT_EQ(t[2], ' ') << "at " << pos;
    } else {
      EXPECT_EQ(t.substr(0, 2), "0X") << "at " << pos;
      EXPECT_EQ(t[4], ',') << "at " << pos;
    }
    EXPECT_EQ(digits.find_first_not_of("0123456789ABCDEF"), std::string::npos) << t;
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits, nullptr, 16)));
    pos += token;
    onLine += token;
  }
  return bytes;
}

std::vector<std::uint8_t> ExpectedBytes(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  for (const char16_t unit : text) {
    const auto code = GbkEncoder::CodeOf(unit);
    if (code > 0xFF) bytes.push_back(static_cast<std::uint8_t>(code >> 8));
    bytes.push_back(static_cast<std::uint8_t>(code & 0xFF));
  }
  return bytes;
}

// 70 % CJK, some of it outside GBK, and ASCII, CR LF, the euro sign and surrogates.
std::u16string MixedText(std::size_t length) {
  std::u16string text;
  text.reserve(length);
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < length; ++i) {
    state = state * 1103515245u + 12345u;
    const std::uint32_t r = state >> 8;
    if (r % 10 < 7) {
      text.push_back(static_cast<char16_t>(0x4E00 + r % 0x5200));
    } else if (r % 97 == 0) {
      text.append(u"\r\n\u20AC\U0001F600");
    } else {
      text.push_back(static_cast<char16_t>(0x20 + r % 95));
    }
  }
  return text;
}

TEST(FormatNameToMac, BothFormatsCarryTheBytesOfEveryUnit) {
  for (const std::size_t length : {1u, 15u, 16u, 17u, 1000u, 100000u, 250001u}) {
    const std::u16string text = MixedText(length);
    const std::vector<std::uint8_t> expected = ExpectedBytes(text);
    const std::string hex = FormatNameToMac(text, kHex);
    const std::string c = FormatNameToMac(text, kC);
    EXPECT_EQ(hex.size(), expected.size() * 3);
    EXPECT_EQ(c.size(), expected.size() * 5 + expected.size() / 16 * 2);
    EXPECT_EQ(ParseOutput(hex, kHex), expected) << "length " << length;
    EXPECT_EQ(ParseOutput(c, kC), expected) << "length " << length;
  }
}

TEST(FormatNameToMac, CTextEndsWithLineBreakExactlyWhenFullLines) {
  for (std::size_t bytes = 1; bytes <= 70; ++bytes) {
    const std::string c = FormatNameToMac(std::u16string(bytes, u'x'), kC);
    const bool endsWithBreak = c.size() >= 2 && c.substr(c.size() - 2) == "\r\n";
    EXPECT_EQ(endsWithBreak, bytes % 16 == 0) << bytes;
  }
}

TEST(CodeWriter, PiecesJoinToTheWholeConversion) {
  const std::u16string text = MixedText(700);
  for (const auto format : {kHex, kC}) {
    const std::string whole = FormatNameToMac(text, format);
    for (std::size_t piece = 1; piece <= 41; piece += 4) {
      CodeWriter writer(format);
      std::string joined = "prefix";
      for (std::size_t pos = 0; pos < text.size(); pos += piece) {
        writer.Append(std::u16string_view(text).substr(pos, piece), joined);
      }
      writer.Append(u"", joined);
      EXPECT_EQ(joined, "prefix" + whole) << "pieces of " << piece;
    }
  }
}

// A streaming caller hands each piece's output on and starts the next one afresh.
TEST(CodeWriter, ContinuesTheLineIntoAFreshBuffer) {
  const std::u16string text = MixedText(300);
  const std::string whole = FormatNameToMac(text, kC);
  for (std::size_t piece = 1; piece <= 23; ++piece) {
    CodeWriter writer(kC);
    std::string joined;
    for (std::size_t pos = 0; pos < text.size(); pos += piece) {
      std::string out;
      writer.Append(std::u16string_view(text).substr(pos, piece), out);
      joined += out;
    }
    EXPECT_EQ(joined, whole) << "pieces of " << piece;
  }
}

// Written over a caller's buffer, in its unit type and with LF alone where the
// caller's text box takes that for a line break, the output is the same text.
TEST(FormatNameToMac, IntoTheCallersBufferInItsLineBreakForm) {
  const std::u16string text = MixedText(500);
  for (const auto format : {kHex, kC}) {
    const std::string whole = FormatNameToMac(text, format);
    const std::string withLf = [&] {
      std::string text;
      for (std::size_t i = 0; i < whole.size(); ++i) {
        if (whole.compare(i, 2, "\r\n") != 0) text += whole[i];
      }
      return text;
    }();
    for (const auto& [lineBreak, expected] :
         {std::pair{LineBreak::CrLf, &whole}, std::pair{LineBreak::Lf, &withLf}}) {
      std::u16string out = u"what the buffer held before";
      FormatNameToMac(std::u16string_view(text), format, lineBreak, out);
      EXPECT_EQ(out, std::u16string(expected->begin(), expected->end()));
      // Lines run on across pieces in either form.
      CodeWriter writer(format, lineBreak);
      std::u16string joined;
      for (std::size_t pos = 0; pos < text.size(); pos += 7) {
        writer.Append(std::u16string_view(text).substr(pos, 7), joined);
      }
      EXPECT_EQ(joined, out);
    }
  }
}

// Each toolkit hands over its text box's own line breaks; the conversion
// writes every one of them as CR LF would be written, and a lone CR or LF that
// is no line break of that form as the unit it is.
TEST(CodeWriter, WritesTheInputsLineBreaksAsCrLf) {
  const std::u16string withCrLf = MixedText(600) + u"\r\n";
  const auto replaced = [&](std::u16string_view lineBreak) {
    std::u16string text;
    for (std::size_t i = 0; i < withCrLf.size(); ++i) {
      if (withCrLf.compare(i, 2, u"\r\n") == 0) {
        text += lineBreak;
        ++i;
      } else {
        text += withCrLf[i];
      }
    }
    return text;
  };
  const std::u16string lf = replaced(u"\n");
  const std::u16string separators = replaced(u"\u2029") + u"\u2028";
  for (const auto format : {kHex, kC}) {
    for (const auto lineBreak : {LineBreak::CrLf, LineBreak::Lf}) {
      std::string expected;
      FormatNameToMac(std::u16string_view(withCrLf + u"\r\n"), format, lineBreak, expected);
      for (const auto& [input, text] : {std::pair{InputLineBreak::Lf, lf + u"\n"},
                                        std::pair{InputLineBreak::Separator, separators},
                                        std::pair{InputLineBreak::CrLf, withCrLf + u"\r\n"}}) {
        CodeWriter writer(format, lineBreak, input);
        std::string joined;
        for (std::size_t pos = 0; pos < text.size(); pos += 11) {
          writer.Append(std::u16string_view(text).substr(pos, 11), joined);
        }
        EXPECT_EQ(joined, expected) << static_cast<int>(input);
      }
    }
  }
  std::string out;
  CodeWriter(kHex, LineBreak::CrLf, InputLineBreak::Lf).Append(u"\r\u2029", out);
  EXPECT_EQ(out, "0D 3F ");
  out.clear();
  CodeWriter(kHex, LineBreak::CrLf, InputLineBreak::Separator).Append(u"\n\r\u202A", out);
  EXPECT_EQ(out, "0A 0D 3F ");
}

// Bytes written as they are take the tokens and the lines of the text whose
// codes they are, in any mix of the two, in every format and line break.
TEST(CodeWriter, BytesAsTheyAreRunOnTheTextsLines) {
  const std::u16string text = MixedText(400);
  for (const auto format : {kHex, kC}) {
    for (const auto lineBreak : {LineBreak::CrLf, LineBreak::Lf}) {
      std::string expected;
      FormatNameToMac(std::u16string_view(text), format, lineBreak, expected);
      CodeWriter writer(format, lineBreak);
      std::string joined;
      for (std::size_t pos = 0, piece = 1; pos < text.size();
           pos += piece, piece = piece % 37 + 3) {
        const std::u16string_view units = std::u16string_view(text).substr(pos, piece);
        if (piece % 2 == 0) {
          writer.Append(units, joined);
          continue;
        }
        std::string bytes;
        for (const char16_t unit : units) {
          const auto code = GbkEncoder::CodeOf(unit);
          if (code > 0xFF) bytes += static_cast<char>(code >> 8);
          bytes += static_cast<char>(code & 0xFF);
        }
        writer.AppendBytes(bytes, joined);
      }
      EXPECT_EQ(joined, expected) << static_cast<int>(format) << static_cast<int>(lineBreak);
      CodeWriter whole(format, lineBreak);
      std::string unused;
      whole.Append(text, unused);
      EXPECT_EQ(writer.BytesWritten(), whole.BytesWritten());
    }
  }
}

TEST(CodeWriter, CountsBytesAndKnowsWhenALineIsOpen) {
  CodeWriter writer(kC);
  std::string out;
  writer.Append(u"ABCDEFGHIJKLMNO", out);  // 15 bytes
  EXPECT_EQ(writer.BytesWritten(), 15u);
  EXPECT_TRUE(writer.LineIsOpen());
  writer.Append(u"\u20AC", out);  // one byte closes the line
  EXPECT_EQ(writer.BytesWritten(), 16u);
  EXPECT_FALSE(writer.LineIsOpen());
  writer.Append(u"\u4E2D", out);  // two bytes open the next one
  EXPECT_EQ(writer.BytesWritten(), 18u);
  EXPECT_TRUE(writer.LineIsOpen());
  EXPECT_EQ(out.substr(out.size() - 10), "0XD6,0XD0,");

  CodeWriter hex(kHex);
  std::string hexOut;
  hex.Append(u"A\u4E2D\U0001F600", hexOut);
  EXPECT_EQ(hex.BytesWritten(), 5u);
  EXPECT_EQ(hexOut.size(), 15u);
}

}  // namespace
}  // namespace gbkhex
