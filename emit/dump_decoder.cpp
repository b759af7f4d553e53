#include "emit/dump_decoder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "convert/code_format.h"
#include "convert/gbk_codec.h"
#include "emit/string_literal.h"
#include "i18n/messages.h"
#include "text/character_classes.h"
#include "text/characters.h"

namespace gbkhex {
namespace {

bool IsSeparator(char c) { return IsCWhiteSpace(c) || c == ','; }

bool StartsComment(std::string_view text, std::size_t at) {
  return text[at] == '/' && at + 1 < text.size() && (text[at + 1] == '*' || text[at + 1] == '/');
}

// The offset just past the comment that starts at `at`; an unclosed one runs
// to the end.
std::size_t SkipComment(std::string_view text, std::size_t at) {
  const bool block = text[at + 1] == '*';
  const std::size_t end = text.find(block ? "*/" : "\n", at + 2);
  if (end == std::string_view::npos) return text.size();
  return end + (block ? 2 : 1);
}

// Past the string literal or character constant that starts at `at`.
std::size_t SkipQuoted(std::string_view text, std::size_t at) {
  const char quote = text[at];
  for (++at; at < text.size() && text[at] != quote && text[at] != '\n'; ++at) {
    if (text[at] == '\\') ++at;
  }
  return std::min(at + 1, text.size());
}

// Whether a brace stands outside comments and quotes: a literal may hold one.
bool HasBraces(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    if (StartsComment(text, at)) {
      at = SkipComment(text, at);
    } else if (text[at] == '"' || text[at] == '\'') {
      at = SkipQuoted(text, at);
    } else if (text[at++] == '{') {
      return true;
    }
  }
  return false;
}

// Whether the brace at `at` opens a block of C linkage (extern "C" {), as a
// header with a source file of its own has around its declarations: it holds
// no initialiser.
bool OpensLinkageBlock(std::string_view text, std::size_t at) {
  const auto skipBlanksBack = [&text](std::size_t end) {
    while (end > 0 && std::string_view(" \t\r\n").find(text[end - 1]) != std::string_view::npos) {
      --end;
    }
    return end;
  };
  std::size_t end = skipBlanksBack(at);
  constexpr std::string_view kLanguage = "\"C\"";
  constexpr std::string_view kExtern = "extern";
  if (end < kLanguage.size() ||
      text.substr(end - kLanguage.size(), kLanguage.size()) != kLanguage) {
    return false;
  }
  end = skipBlanksBack(end - kLanguage.size());
  return end >= kExtern.size() && text.substr(end - kExtern.size(), kExtern.size()) == kExtern &&
         (end == kExtern.size() || !IsIdentifierCharacter(text[end - kExtern.size() - 1]));
}

// A C integer constant (hexadecimal, octal or decimal, with an optional
// u/l suffix) of 0 to 255.
std::optional<std::uint8_t> ByteConstant(std::string_view token) {
  std::size_t at = 0;
  unsigned base = 10;
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
    base = 16;
    at = 2;
  } else if (token.size() > 1 && token[0] == '0') {
    base = 8;
    at = 1;
  }
  unsigned value = 0;
  const std::size_t digitsStart = at;
  for (; at < token.size(); ++at) {
    if (!IsHexDigit(token[at])) break;
    const unsigned digit = HexDigitValue(token[at]);
    if (digit >= base) break;
    value = value * base + digit;
    if (value > 0xFF) return std::nullopt;
  }
  if (at == digitsStart) return std::nullopt;
  const std::string_view suffix = token.substr(at);
  if (suffix.size() > 3 || suffix.find_first_not_of("uUlL") != std::string_view::npos) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(value);
}

// "malformed number 'TOKEN'", the token cut short where it is long and left
// out where it would not show.
std::string MalformedNumber(std::string_view token, bool oddDigits = false) {
  constexpr std::size_t kLongest = 24;
  const bool shows =
      std::all_of(token.begin(), token.end(), [](char c) { return c >= 0x21 && c <= 0x7E; });
  if (!shows) return std::string(i18n::Tr("malformed number"));
  const std::string shown =
      token.size() > kLongest ? std::string(token.substr(0, kLongest)) + "..." : std::string(token);
  return i18n::Fill(oddDigits ? i18n::Tr("malformed number '%s' (an odd number of digits)")
                              : i18n::Tr("malformed number '%s'"),
                    {shown});
}

class Decoder {
 public:
  // False once a fault is found.
  bool Add(std::uint8_t byte, std::size_t offset) {
    if (!lead_) leadOffset_ = offset;
    const std::array<std::uint8_t, 2> pair{lead_.value_or(byte), byte};
    const std::span<const std::uint8_t> bytes(pair.data(), lead_ ? 2 : 1);
    char16_t unit = 0;
    const GbkDecodeStep step = codec_.Decode(bytes, &unit, false);
    if (step.undefined != 0) {
      return Fail(i18n::Fill(i18n::Tr("the bytes %s %s are no character of code page 936"),
                             {NumToStrHex(pair[0], 1), NumToStrHex(pair[1], 1)}),
                  leadOffset_);
    }
    if (step.unitsWritten == 0) {
      lead_ = byte;  // a lead byte, whose trail byte comes next
      return true;
    }
    AppendUtf8(unit, result_.text);
    lead_.reset();
    return true;
  }

  bool Fail(const std::string& what, std::size_t offset) {
    result_.fault = Fault{.kind = FaultKind::Dump, .byteOffset = offset, .what = what};
    return false;
  }

  DecodedDump Finish() {
    if (lead_ && !result_.fault) {
      Fail(i18n::Fill(i18n::Tr("the dump ends inside a character, after the lead byte %s"),
                      {NumToStrHex(*lead_, 1)}),
           leadOffset_);
    }
    return std::move(result_);
  }

 private:
  GbkDecoder codec_;
  DecodedDump result_;
  std::optional<std::uint8_t> lead_;
  std::size_t leadOffset_ = 0;
};

// Hexadecimal pairs, or one C constant: what a token outside any declaration holds.
bool AddLooseToken(Decoder& decoder, std::string_view token, std::size_t offset) {
  const bool constant = token.size() > 1 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X');
  if (constant) {
    const std::optional<std::uint8_t> byte = ByteConstant(token);
    if (!byte) return decoder.Fail(MalformedNumber(token), offset);
    return decoder.Add(*byte, offset);
  }
  if (!std::all_of(token.begin(), token.end(), IsHexDigit<char>)) {
    return decoder.Fail(MalformedNumber(token), offset);
  }
  if (token.size() % 2 != 0) {
    return decoder.Fail(MalformedNumber(token, true), offset);
  }
  for (std::size_t at = 0; at < token.size(); at += 2) {
    const auto byte =
        static_cast<std::uint8_t>(HexDigitValue(token[at]) << 4 | HexDigitValue(token[at + 1]));
    if (!decoder.Add(byte, offset + at)) return false;
  }
  return true;
}

std::size_t SkipBlanksAndComments(std::string_view text, std::size_t at) {
  while (at < text.size()) {
    if (StartsComment(text, at)) {
      at = SkipComment(text, at);
    } else if (IsCWhiteSpace(text[at])) {
      ++at;
    } else {
      break;
    }
  }
  return at;
}

bool HoldsStringLiteral(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    if (StartsComment(text, at)) {
      at = SkipComment(text, at);
    } else if (text[at++] == '"') {
      return true;
    }
  }
  return false;
}

// Hands the bytes of `literal` to the decoder, each with the offset of what
// wrote it, then the literal's own fault; false once there is a fault.
bool AddLiteral(Decoder& decoder, const LiteralBytes& literal,
                const std::vector<std::size_t>& offsets) {
  for (std::size_t i = 0; i < literal.bytes.size(); ++i) {
    if (!decoder.Add(static_cast<std::uint8_t>(literal.bytes[i]), offsets[i])) return false;
  }
  return !literal.fault || decoder.Fail(literal.fault->what, literal.fault->offset);
}

// String literals: the whole dump, as --format string writes them, or in
// declarations (--array or --table with --format string), the literals after
// each '='. An attribute's literal stands before the '=', and counts nowhere.
DecodedDump DecodeLiterals(std::string_view dump) {
  Decoder decoder;
  std::vector<std::size_t> offsets;
  const std::size_t first = SkipBlanksAndComments(dump, 0);
  if (first < dump.size() && dump[first] == '"') {
    AddLiteral(decoder, DecodeStringLiterals(dump, &offsets), offsets);
    return decoder.Finish();
  }
  bool any = false;
  for (std::size_t at = 0; at < dump.size();) {
    if (StartsComment(dump, at)) {
      at = SkipComment(dump, at);
      continue;
    }
    if (dump[at] == '"' || dump[at] == '\'') {
      at = SkipQuoted(dump, at);
      continue;
    }
    const std::size_t value = dump[at] == '=' ? SkipBlanksAndComments(dump, at + 1) : at;
    if (value == at || value >= dump.size() || dump[value] != '"') {
      ++at;
      continue;
    }
    offsets.clear();
    const LiteralBytes literal = ReadStringLiterals(dump, value, &offsets);
    any = true;
    if (!AddLiteral(decoder, literal, offsets)) break;
    at = literal.end;
  }
  if (!any) {
    decoder.Fail(std::string(i18n::Tr("expected a string literal after the = of a declaration")),
                 0);
  }
  return decoder.Finish();
}

DecodedDump DecodeWithoutByteOrderMark(std::string_view dump) {
  const bool declaration = HasBraces(dump);
  if (!declaration && HoldsStringLiteral(dump)) return DecodeLiterals(dump);
  Decoder decoder;
  std::size_t depth = 0;  // of braces
  for (std::size_t at = 0; at < dump.size();) {
    const char c = dump[at];
    if (StartsComment(dump, at)) {
      at = SkipComment(dump, at);
      continue;
    }
    if (IsSeparator(c) || (declaration && (c == '{' || c == '}'))) {
      if (c == '{' && (depth > 0 || !OpensLinkageBlock(dump, at))) ++depth;
      if (c == '}' && depth > 0) --depth;
      ++at;
      continue;
    }
    if (declaration && depth == 0) {
      // Outside the braces: the type, the name, an attribute, the length, the
      // preprocessor.
      at = c == '"' || c == '\'' ? SkipQuoted(dump, at) : at + 1;
      continue;
    }
    // A token ends before a separator, a comment, or in a declaration a brace;
    // it holds at least the character at `at`, which none of these is.
    std::size_t end = at + 1;
    while (end < dump.size() && !IsSeparator(dump[end]) && !StartsComment(dump, end) &&
           !(declaration && (dump[end] == '{' || dump[end] == '}'))) {
      ++end;
    }
    const std::string_view token = dump.substr(at, end - at);
    if (declaration) {
      const std::optional<std::uint8_t> byte = ByteConstant(token);
      if (!byte) {
        decoder.Fail(MalformedNumber(token), at);
        break;
      }
      if (!decoder.Add(*byte, at)) break;
    } else if (!AddLooseToken(decoder, token, at)) {
      break;
    }
    at = end;
  }
  return decoder.Finish();
}

}  // namespace

// An editor may save a dump with a UTF-8 byte-order mark, whatever it holds.
DecodedDump DecodeDump(std::string_view dump) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (!dump.starts_with(kByteOrderMark)) return DecodeWithoutByteOrderMark(dump);
  DecodedDump decoded = DecodeWithoutByteOrderMark(dump.substr(kByteOrderMark.size()));
  if (decoded.fault && decoded.fault->byteOffset)
    *decoded.fault->byteOffset += kByteOrderMark.size();
  return decoded;
}

}  // namespace gbkhex
