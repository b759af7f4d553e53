#include "emit/string_literal.h"

#include <array>
#include <cstring>
#include <vector>

#include "convert/code_format.h"
#include "i18n/messages.h"
#include "text/character_classes.h"

namespace gbkhex {
namespace {

constexpr std::string_view kLiteralJoint = "\" \"";
constexpr std::string_view kEscapedQuestionMark = "\\?";

// How each byte stands in a literal, but for a '?' after a '?'.
struct Token {
  std::array<char, 4> text{};
  std::uint8_t size = 0;
  bool hexEscape = false;

  std::string_view View() const noexcept { return {text.data(), size}; }
};

constexpr auto kTokens = [] {
  std::array<Token, 256> tokens{};
  for (std::size_t b = 0; b < tokens.size(); ++b) {
    Token& token = tokens[b];
    const auto escape = [&token](char c) {
      token.text = {'\\', c};
      token.size = 2;
    };
    if (b == '\n') {
      escape('n');
    } else if (b == '\r') {
      escape('r');
    } else if (b == '\t') {
      escape('t');
    } else if (b == '"' || b == '\\') {
      escape(static_cast<char>(b));
    } else if (b >= 0x20 && b < 0x7F) {
      token.text = {static_cast<char>(b)};
      token.size = 1;
    } else {
      token.text = {'\\', 'x', kHexDigits[b >> 4], kHexDigits[b & 0xF]};
      token.size = 4;
      token.hexEscape = true;
    }
  }
  return tokens;
}();

constexpr bool IsOctalDigit(char c) noexcept { return c >= '0' && c <= '7'; }

// The byte of a simple escape: the character after the backslash.
std::optional<char> SimpleEscape(char c) noexcept {
  switch (c) {
    case '\'':
    case '"':
    case '?':
    case '\\':
      return c;
    case 'a':
      return '\a';
    case 'b':
      return '\b';
    case 'f':
      return '\f';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    case 'v':
      return '\v';
    default:
      return std::nullopt;
  }
}

// Reads literals and what may stand between them; the first fault stops it.
class LiteralReader {
 public:
  LiteralReader(std::string_view text, std::vector<std::size_t>* sourceOffsets) noexcept
      : text_(text), sourceOffsets_(sourceOffsets) {}

  // Past the blanks and comments from `at` on; on an unterminated comment, a
  // fault and the end of the text.
  std::size_t SkipBlanksAndComments(std::size_t at) {
    while (at < text_.size()) {
      if (IsCWhiteSpace(text_[at])) {
        ++at;
      } else if (text_.substr(at, 2) == "//") {
        at = text_.find('\n', at);
        if (at == std::string_view::npos) return text_.size();
      } else if (text_.substr(at, 2) == "/*") {
        const std::size_t end = text_.find("*/", at + 2);
        if (end == std::string_view::npos) {
          Fail(at, std::string(i18n::Tr("the comment that starts here has no end")));
          return text_.size();
        }
        at = end + 2;
      } else {
        break;
      }
    }
    return at;
  }

  // Reads the literal whose opening '"' is text_[open]; returns the offset
  // past its closing '"'.
  std::size_t ReadLiteral(std::size_t open) {
    std::size_t at = open + 1;
    while (!result_.fault) {
      if (at >= text_.size()) {
        Fail(open,
             std::string(i18n::Tr("the input ends inside the string literal that starts here")));
        break;
      }
      const char c = text_[at];
      if (c == '"') return at + 1;
      if (c == '\n' || c == '\r') {
        Fail(at, std::string(
                     i18n::Tr("a line break inside a string literal (write it as \\n or \\r)")));
        break;
      }
      if (c == '\\') {
        at = ReadEscape(at);
      } else {
        Put(c, at);
        ++at;
      }
    }
    return at;
  }

  // Reads the literals from `start` on; when `whole`, nothing but blanks and
  // comments may follow them.
  LiteralBytes Read(std::size_t start, bool whole) {
    bool any = false;
    std::size_t at = start;
    while (!result_.fault) {
      at = SkipBlanksAndComments(at);
      if (at >= text_.size() || text_[at] != '"') break;
      at = ReadLiteral(at);
      result_.end = at;
      any = true;
    }
    if (IsPrefixedLiteral(at)) {
      Fail(at, std::string(i18n::Tr(
                   "a prefixed literal (L, u, U or u8) holds wide characters, not bytes")));
    } else if (!any) {
      Fail(at, std::string(i18n::Tr("expected a string literal")));
    } else if (whole && at < text_.size()) {
      Fail(at, std::string(i18n::Tr("expected a string literal or the end of the input")));
    }
    return std::move(result_);
  }

  void Fail(std::size_t at, std::string what) {
    if (result_.fault) return;
    result_.fault = LiteralFault{at, std::move(what)};
    result_.end = at;
  }

 private:
  bool IsPrefixedLiteral(std::size_t at) const noexcept {
    for (const std::string_view prefix : {"L\"", "u\"", "U\"", "u8\""}) {
      if (text_.substr(at, prefix.size()) == prefix) return true;
    }
    return false;
  }

  // Reads the escape whose backslash is text_[at]; returns the offset past it.
  std::size_t ReadEscape(std::size_t at) {
    if (at + 1 >= text_.size()) {
      Fail(at, std::string(i18n::Tr("the input ends inside an escape sequence")));
      return at;
    }
    const char c = text_[at + 1];
    if (c == '\n') return at + 2;  // a line joined to the next one
    if (c == '\r' && text_.substr(at + 2, 1) == "\n") return at + 3;
    if (const std::optional<char> simple = SimpleEscape(c)) {
      Put(*simple, at);
      return at + 2;
    }
    if (IsOctalDigit(c)) return ReadOctal(at);
    if (c == 'x') return ReadHex(at);
    if (c == 'u' || c == 'U') {
      Fail(at, std::string(i18n::Tr(
                   "a universal character name (\\u, \\U) names a character, not a byte")));
    } else if (c > 0x20 && c < 0x7F) {
      Fail(at, i18n::Fill(i18n::Tr("unknown escape sequence \\%s"), {std::string(1, c)}));
    } else {
      Fail(at, i18n::Fill(i18n::Tr("unknown escape sequence: a backslash before byte %s"),
                          {std::string{kHexDigits[static_cast<std::uint8_t>(c) >> 4],
                                       kHexDigits[static_cast<std::uint8_t>(c) & 0xF]}}));
    }
    return at;
  }

  std::size_t ReadOctal(std::size_t at) {
    std::size_t end = at + 1;
    unsigned value = 0;
    while (end < text_.size() && end < at + 4 && IsOctalDigit(text_[end])) {
      value = value * 8 + static_cast<unsigned>(text_[end++] - '0');
    }
    if (value > 0xFF) {
      Fail(at, i18n::Fill(i18n::Tr("the octal escape %s is above \\377, the largest byte"),
                          {text_.substr(at, end - at)}));
      return at;
    }
    Put(static_cast<char>(value), at);
    return end;
  }

  std::size_t ReadHex(std::size_t at) {
    std::size_t end = at + 2;
    unsigned value = 0;
    while (end < text_.size() && IsHexDigit(text_[end])) {
      value = value * 16 + HexDigitValue(text_[end++]);
      if (value > 0xFF) {
        Fail(at, i18n::Fill(i18n::Tr("the escape %s... is above \\xFF, the largest byte"),
                            {text_.substr(at, end - at)}));
        return at;
      }
    }
    if (end == at + 2) {
      Fail(at, std::string(i18n::Tr("\\x without a hexadecimal digit")));
      return at;
    }
    Put(static_cast<char>(value), at);
    return end;
  }

  // A byte of the string, which text_[source] starts.
  void Put(char byte, std::size_t source) {
    result_.bytes += byte;
    if (sourceOffsets_ != nullptr) sourceOffsets_->push_back(source);
  }

  std::string_view text_;
  std::vector<std::size_t>* sourceOffsets_;
  LiteralBytes result_;
};

}  // namespace

void StringLiteralWriter::Put(std::string_view text) noexcept {
  std::memcpy(line_.data() + lineSize_, text.data(), text.size());
  lineSize_ += text.size();
}

void StringLiteralWriter::Append(std::string_view bytes, std::string& out) {
  if (lineSize_ == 0) Put("\"");
  // The state lives in locals here, which the compiler keeps in registers.
  std::size_t size = lineSize_;
  std::size_t lastTokenStart = lastTokenStart_;
  bool afterHexEscape = afterHexEscape_;
  bool afterQuestionMark = afterQuestionMark_;
  char* const line = line_.data();
  for (const char c : bytes) {
    const Token& token = kTokens[static_cast<std::uint8_t>(c)];
    // Room for the closing '"' too.
    const bool fits = size + token.size + 1 <= kLiteralLineWidth;
    if ((c == '?' && afterQuestionMark) || (afterHexEscape && IsHexDigit(c)) || !fits) {
      lineSize_ = size;
      afterHexEscape_ = afterHexEscape;
      afterQuestionMark_ = afterQuestionMark;
      AppendSpecial(c, out);
      size = lineSize_;
      lastTokenStart = lastTokenStart_;
      afterHexEscape = afterHexEscape_;
      afterQuestionMark = afterQuestionMark_;
      continue;
    }
    // Every token is copied as four characters, of which its size count: the
    // line keeps room for that.
    lastTokenStart = size;
    std::memcpy(line + size, token.text.data(), token.text.size());
    size += token.size;
    afterHexEscape = token.hexEscape;
    afterQuestionMark = c == '?';
  }
  lineSize_ = size;
  lastTokenStart_ = lastTokenStart;
  afterHexEscape_ = afterHexEscape;
  afterQuestionMark_ = afterQuestionMark;
  bytesWritten_ += bytes.size();
}

void StringLiteralWriter::AppendSpecial(char c, std::string& out) {
  const Token& token = kTokens[static_cast<std::uint8_t>(c)];
  const bool questionMark = c == '?';
  const std::string_view text =
      questionMark && afterQuestionMark_ ? kEscapedQuestionMark : token.View();
  const bool joint = afterHexEscape_ && IsHexDigit(c);
  const std::size_t jointSize = joint ? kLiteralJoint.size() : 0;
  if (lineSize_ + jointSize + text.size() + 1 > kLiteralLineWidth) {
    BreakLine(out);
  } else if (joint) {
    Put(kLiteralJoint);
  }
  lastTokenStart_ = lineSize_;
  Put(text);
  afterHexEscape_ = token.hexEscape;
  afterQuestionMark_ = questionMark;
}

void StringLiteralWriter::BreakLine(std::string& out) {
  out.append(Line()).append("\"").append(kLiteralLineBreak);
  lineSize_ = 0;
  Put("\"");
}

void StringLiteralWriter::Finish(std::string& out) {
  if (lineSize_ == 0) Put("\"");
  // The last token moves to a line of its own where what follows would not fit.
  if (lineSize_ + 1 + lastLineReserve_ > kLiteralLineWidth && lastTokenStart_ > 1) {
    const std::string last(Line().substr(lastTokenStart_));
    lineSize_ = lastTokenStart_;
    if (Line().ends_with(kLiteralJoint)) lineSize_ -= kLiteralJoint.size();
    BreakLine(out);
    Put(last);
  }
  out.append(Line()).append("\"");
  *this = StringLiteralWriter(lastLineReserve_);
}

std::optional<Fault> OverlongLiteral(std::uint64_t size) {
  if (size <= kLongestPortableLiteral) return std::nullopt;
  return Fault{.kind = FaultKind::LongLiteral,
               .severity = Severity::Warning,
               .what = i18n::Fill(
                   i18n::Tr("the string literal holds %s bytes, more than the %s that C99 and "
                            "C11 promise to compile (with -pedantic, GCC and Clang warn: "
                            "-Woverlength-strings); --format c writes constants of any length"),
                   {std::to_string(size), std::to_string(kLongestPortableLiteral)})};
}

LiteralBytes ReadStringLiterals(std::string_view text, std::size_t start,
                                std::vector<std::size_t>* sourceOffsets) {
  return LiteralReader(text, sourceOffsets).Read(start, false);
}

LiteralBytes DecodeStringLiterals(std::string_view text, std::vector<std::size_t>* sourceOffsets) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  return LiteralReader(text, sourceOffsets)
      .Read(text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0, true);
}

}  // namespace gbkhex
