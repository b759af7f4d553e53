#include "emit/header_writer.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <utility>

#include "convert/code_format.h"
#include "convert/gbk_codec.h"
#include "emit/c_names.h"
#include "emit/string_literal.h"
#include "i18n/messages.h"
#include "text/character_classes.h"
#include "text/characters.h"
#include "text/utf8.h"

namespace gbkhex {
namespace {

using i18n::Tr;

constexpr std::string_view kLinkageMacroPrefix = "GBKHEX_LINKAGE ";

std::string Line(std::string_view text) {
  std::string line(text);
  return line.append(kHeaderLineBreak);
}

// Why `text` cannot stand in a declaration, checked character by character.
std::string ForbiddenCharacter(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const std::string_view next = text.substr(i + 1, 1);
    if (c == '\n' || c == '\r') return std::string(Tr("holds a line break"));
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return std::string(Tr("holds a control character"));
    switch (c) {
      case ';':
        return std::string(Tr("holds ';', which would end the declaration"));
      case '{':
      case '}':
        return std::string(Tr("holds a brace, which would open or close the initialiser"));
      case '=':
        return std::string(Tr("holds '=', which would start the initialiser"));
      case '#':
        return std::string(Tr("holds '#', which would start a preprocessor directive"));
      case '\\':
        return std::string(Tr("holds a backslash, which could join the line to the next"));
      default:
        break;
    }
    if ((c == '/' && (next == "*" || next == "/")) || (c == '*' && next == "/")) {
      return std::string(Tr("holds a comment"));
    }
    if (c == '?' && next == "?" && i + 2 < text.size() &&
        std::string_view("=(/)'<!>-").find(text[i + 2]) != std::string_view::npos) {
      return std::string(Tr("holds a trigraph, which C99 reads as another character"));
    }
    if ((c == '<' && next == "%") || (c == '%' && (next == ">" || next == ":"))) {
      return std::string(Tr("holds a digraph (<% %> %:), which C reads as a brace or '#'"));
    }
  }
  return "";
}

std::string DeclarationTextProblem(std::string_view text) {
  if (std::string problem = ForbiddenCharacter(text); !problem.empty()) return problem;
  char quote = 0;
  long depth = 0;
  for (const char c : text) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(' || c == ')') {
      depth += c == '(' ? 1 : -1;
      if (depth < 0) break;
    }
  }
  if (quote != 0) return std::string(Tr("holds an unterminated string or character literal"));
  if (depth != 0) return std::string(Tr("holds unbalanced parentheses"));
  return "";
}

constexpr std::uint64_t kHashMultiplier = 0x9E3779B97F4A7C15u;

// Mixes one word into a 64-bit hash: no two different tables of one program
// are likely to meet, and none is an attack.
std::uint64_t Mix(std::uint64_t hash, std::uint64_t word) noexcept {
  hash = (hash ^ word) * kHashMultiplier;
  return hash ^ (hash >> 29);
}

}  // namespace

std::string_view DefaultType(ValueForm form) noexcept {
  return form == ValueForm::Constants ? "const unsigned char" : "const char";
}

std::string TypeProblem(std::string_view text) {
  if (text.find_first_not_of(" \t") == std::string_view::npos) return std::string(Tr("is empty"));
  return DeclarationTextProblem(text);
}

std::string AttributeProblem(std::string_view text) { return DeclarationTextProblem(text); }

std::string IncludeProblem(std::string_view text) {
  const bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
  const std::string_view name = quoted ? text.substr(1, text.size() - 2) : text;
  if (name.find_first_not_of(" \t") == std::string_view::npos) return std::string(Tr("is empty"));
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const std::string_view next = name.substr(i + 1, 1);
    if (c == '\n' || c == '\r') return std::string(Tr("holds a line break"));
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return std::string(Tr("holds a control character"));
    if (c == '>' && !quoted) {
      return std::string(
          Tr("holds '>', which would end the name (give it without angle brackets)"));
    }
    if (c == '"') {
      return std::string(
          quoted ? Tr("holds '\"' inside the quotes, which would end the name")
                 : Tr("holds '\"' (give the whole name in double quotes for #include \"...\")"));
    }
    if (c == '\'')
      return std::string(Tr("holds a quote, which C leaves undefined in a header's name"));
    if (c == '\\')
      return std::string(
          Tr("holds a backslash, which C leaves undefined in a header's name (use /)"));
    if (c == '/' && (next == "*" || next == "/")) return std::string(Tr("holds a comment"));
    if (c == '?' && next == "?")
      return std::string(Tr("holds two question marks in a row, which C99 may read as a trigraph"));
  }
  return "";
}

std::string IncludeDirective(std::string_view text) {
  const bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
  std::string line = "#include ";
  return quoted ? line.append(text) : line.append("<").append(text).append(">");
}

bool NeedsStdint(std::string_view type) {
  for (std::size_t at = 0; at < type.size();) {
    std::size_t end = at;
    while (end < type.size() && IsIdentifierCharacter(type[end])) ++end;
    if (end > at && IsStdintType(type.substr(at, end - at))) return true;
    at = end + 1;
  }
  return false;
}

namespace header {

std::string Opening(std::string_view comment, std::string_view guard,
                    const DeclarationStyle& style) {
  std::string text = Line(comment);
  text.append(Line(std::string("#ifndef ").append(guard)));
  text.append(Line(std::string("#define ").append(guard)));
  if (NeedsStdint(style.type)) text.append(Line("#include <stdint.h>"));
  for (const std::string& include : style.includes) text.append(Line(IncludeDirective(include)));
  return text;
}

std::string Closing() { return Line("#endif"); }

std::string LinkageLines() {
  return Line(kInlineCondition) + Line("inline") + Line("#else") + Line("static") + Line("#endif");
}

std::string LinkageMacroDefinition() {
  const std::string define = "#define " + std::string(kLinkageMacro);
  return Line(kInlineCondition) + Line(define + " inline") + Line("#else") +
         Line(define + " static") + Line("#endif");
}

std::string LinkageMacroEnd() { return Line("#undef " + std::string(kLinkageMacro)); }

std::string CLinkageOpening() {
  return Line("#ifdef __cplusplus") + Line("extern \"C\" {") + Line("#endif");
}

std::string CLinkageClosing() { return Line("#ifdef __cplusplus") + Line("}") + Line("#endif"); }

std::string SourceOpening(std::string_view comment, std::string_view headerName) {
  return Line(comment) + Line(std::string("#include \"").append(headerName).append("\""));
}

void AppendExternDeclaration(std::string& out, const DeclarationStyle& style, std::string_view name,
                             std::uint64_t size, std::string_view dimensions) {
  out.append("extern ").append(style.type.empty() ? DefaultType(style.form) : style.type);
  out.append(" ").append(name).append("[").append(std::to_string(size)).append("]");
  out.append(dimensions);
  if (!style.attribute.empty()) out.append(" ").append(style.attribute);
  out.append(";").append(kHeaderLineBreak);
}

void AppendDeclarationHead(std::string& out, std::string_view linkage,
                           const DeclarationStyle& style, std::string_view name,
                           std::string_view dimensions) {
  out.append(linkage);
  out.append(style.type.empty() ? DefaultType(style.form) : style.type);
  out.append(" ").append(name).append("[]").append(dimensions);
  if (!style.attribute.empty()) out.append(" ").append(style.attribute);
  out.append(style.form == ValueForm::Constants ? " = {" : " =").append(kHeaderLineBreak);
}

void AppendDeclarationTail(std::string& out, ValueForm form, bool constantLineIsOpen) {
  if (form == ValueForm::Literal) {
    out.append(";").append(kHeaderLineBreak);
    return;
  }
  if (constantLineIsOpen) out.append(kHeaderLineBreak);
  out.append("};").append(kHeaderLineBreak);
}

void AppendUnsignedMacro(std::string& out, std::string_view name, std::uint64_t value) {
  std::array<char, 20> digits{};
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  out.append("#define ").append(name).append(" ").append(digits.data(), end);
  const std::string_view suffix = value <= 0xFFFF ? "u" : value <= 0xFFFFFFFF ? "UL" : "ULL";
  out.append(suffix).append(kHeaderLineBreak);
}

void AppendTextComment(std::string& out, std::string_view utf8Text) {
  out.append(kCommentOpening);
  AppendCommentText(out, utf8Text);
  out.append(kCommentClosing).append(kHeaderLineBreak);
}

void AppendCommentText(std::string& out, std::string_view utf8Text) {
  // The bytes that may need an escape: ASCII controls and \ " / * ?, and the
  // lead bytes of the characters to escape (C1 controls, the zero-width,
  // reordering and separator marks, U+FEFF) or of sequences that may be
  // ill-formed. Runs of any other bytes go in whole.
  static constexpr auto kAttention = [] {
    std::array<bool, 256> attention{};
    for (unsigned c = 0; c < 0x20; ++c) attention[c] = true;
    for (const unsigned char c :
         std::string_view("\x7F\\\"/*?\xC0\xC1\xC2\xE0\xE2\xED\xEF\xF0\xF4")) {
      attention[c] = true;
    }
    for (unsigned c = 0xF5; c <= 0xFF; ++c) attention[c] = true;
    return attention;
  }();
  const auto byte = [&utf8Text](std::size_t i) { return static_cast<unsigned char>(utf8Text[i]); };
  for (std::size_t at = 0; at < utf8Text.size();) {
    std::size_t run = at;
    // Eight bytes at a time while none needs attention: one test for eight.
    while (run + 8 <= utf8Text.size()) {
      bool any = false;
      for (std::size_t i = 0; i < 8; ++i) any |= kAttention[byte(run + i)];
      if (any) break;
      run += 8;
    }
    while (run < utf8Text.size() && !kAttention[byte(run)]) ++run;
    out.append(utf8Text.substr(at, run - at));
    at = run;
    if (at == utf8Text.size()) break;
    // ASCII, most of what needs attention in usual text, is its own code.
    const auto [code, size] =
        byte(at) < 0x80
            ? Utf8Character{byte(at), 1}
            : DecodeUtf8Character({reinterpret_cast<const std::uint8_t*>(utf8Text.data()) + at,
                                   utf8Text.size() - at});
    const char previous = out.back();
    if (size == 0) {
      // The byte and the continuation bytes that it leads.
      do {
        out.append("\\x");
        AppendHexDigits(out, byte(at), 2);
        ++at;
      } while (at < utf8Text.size() && (byte(at) & 0xC0) == 0x80);
      continue;
    }
    switch (code) {
      case '\\':
        out.append("\\\\");
        break;
      case '"':
        out.append("\\\"");
        break;
      case '\n':
        out.append("\\n");
        break;
      case '\r':
        out.append("\\r");
        break;
      case '\t':
        out.append("\\t");
        break;
      default:
        if (code < 0x20 || code == 0x7F) {
          out.append("\\x");
          AppendHexDigits(out, code, 2);
        } else if (IsHiddenOrReordering(code)) {
          out.append("\\u");
          AppendHexDigits(out, code, 4);
        } else if ((code == '/' && previous == '*') || (code == '*' && previous == '/') ||
                   (code == '?' && previous == '?')) {
          out.append("\\").append(1, static_cast<char>(code));
        } else {
          out.append(utf8Text.substr(at, size));
        }
    }
    at += size;
  }
}

}  // namespace header

namespace {

constexpr std::string_view kSingleComment =
    "/* The code page 936 (GBK) bytes of a text, written by gbkhex-cli. */";

std::string SingleGuard(std::string_view name) { return std::string("GBKHEX_ARRAY_").append(name); }

void AppendLengthMacro(std::string& out, std::string_view name, std::uint64_t length) {
  header::AppendUnsignedMacro(out, std::string(name).append(kLengthSuffix), length);
}

}  // namespace

std::string SingleHeaderOpening(std::string_view name, const DeclarationStyle& style) {
  std::string text = header::Opening(kSingleComment, SingleGuard(name), style);
  header::AppendDeclarationHead(text, header::LinkageLines(), style, name);
  return text;
}

std::string SingleHeaderClosing(std::string_view name, const DeclarationStyle& style,
                                std::uint64_t length, bool constantLineIsOpen) {
  std::string text;
  header::AppendDeclarationTail(text, style.form, constantLineIsOpen);
  AppendLengthMacro(text, name, length);
  return text.append(header::Closing());
}

std::string SingleSourceOpening(std::string_view name, const DeclarationStyle& style,
                                std::string_view headerName) {
  std::string text = header::SourceOpening(
      "/* The code page 936 (GBK) bytes of a text, written by gbkhex-cli: the one definition "
      "of the array that its header declares. */",
      headerName);
  header::AppendDeclarationHead(text, "", style, name);
  return text;
}

std::string SingleDeclarationHeader(std::string_view name, const DeclarationStyle& style,
                                    std::uint64_t length, bool hasTerminator) {
  std::string text = header::Opening(kSingleComment, SingleGuard(name), style);
  text.append(header::CLinkageOpening());
  header::AppendExternDeclaration(text, style, name, length + (hasTerminator ? 1 : 0));
  text.append(header::CLinkageClosing());
  AppendLengthMacro(text, name, length);
  return text.append(header::Closing());
}

void TableGuard::Add(std::string_view bytes) noexcept {
  size_ += bytes.size();
  const auto mixWord = [this](std::uint64_t word) {
    std::uint64_t& lane = lanes_[words_++ % lanes_.size()];
    lane = Mix(lane, word);
  };
  // Little-endian words, on every processor.
  const auto wordAt = [](const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
  };
  const auto take = [&](char c) {
    pending_ |= std::uint64_t{static_cast<unsigned char>(c)} << (8 * pendingSize_);
    if (++pendingSize_ == 8) {
      mixWord(pending_);
      pending_ = 0;
      pendingSize_ = 0;
    }
  };
  while (pendingSize_ != 0 && !bytes.empty()) {
    take(bytes.front());
    bytes.remove_prefix(1);
  }
  while (bytes.size() >= 8 && words_ % lanes_.size() != 0) {
    mixWord(wordAt(bytes.data()));
    bytes.remove_prefix(8);
  }
  for (; bytes.size() >= 8 * lanes_.size(); bytes.remove_prefix(8 * lanes_.size())) {
    for (std::size_t lane = 0; lane < lanes_.size(); ++lane) {
      lanes_[lane] = Mix(lanes_[lane], wordAt(bytes.data() + 8 * lane));
    }
    words_ += lanes_.size();
  }
  for (; bytes.size() >= 8; bytes.remove_prefix(8)) mixWord(wordAt(bytes.data()));
  for (const char c : bytes) take(c);
}

std::string TableGuard::Name() const {
  std::uint64_t hash = 0;
  for (const std::uint64_t lane : lanes_) hash = Mix(hash, lane);
  hash = Mix(Mix(hash, pending_), size_);
  std::string name = "GBKHEX_TABLE_";
  AppendHexDigits(name, static_cast<unsigned>(hash >> 32), 8);
  AppendHexDigits(name, static_cast<unsigned>(hash), 8);
  return name;
}

TableHeaderWriter::TableHeaderWriter(DeclarationStyle style, bool nul, std::string headerName)
    : style_(std::move(style)), nul_(nul), headerName_(std::move(headerName)) {
  // What AppendDeclarationHead writes around a name (here "\x01", which it
  // never writes), cut there.
  constexpr std::string_view kName = "\x01";
  std::string head = std::string(header::kCommentClosing).append(kHeaderLineBreak);
  header::AppendDeclarationHead(head, headerName_.empty() ? kLinkageMacroPrefix : "", style_,
                                kName);
  const std::size_t name = head.find(kName);
  head_.assign(head, 0, name);
  afterName_.assign(head, name + kName.size());
}

std::string TableHeaderWriter::EntryProblem(std::string_view bytes) const {
  if (bytes.empty() && style_.form == ValueForm::Constants && !nul_) {
    return std::string(
        Tr("the text is empty, and a C array needs at least one byte (a string literal or "
           "--nul can hold an empty text)"));
  }
  return "";
}

std::string TableHeaderWriter::Opening(std::string_view guard) const {
  std::string text = header::Opening(
      "/* The code page 936 (GBK) bytes of a string table, written by gbkhex-cli. */", guard,
      style_);
  return text.append(headerName_.empty() ? header::LinkageMacroDefinition()
                                         : header::CLinkageOpening());
}

std::string TableHeaderWriter::SourceOpening() const {
  return header::SourceOpening(
      "/* The code page 936 (GBK) bytes of a string table, written by gbkhex-cli: the one "
      "definition of each array that its header declares. */",
      headerName_);
}

std::uint64_t TableHeaderWriter::AppendEntry(std::string& header, std::string_view name,
                                             std::string_view utf8Text,
                                             std::u16string_view units) const {
  return AppendEntry(header, header, name, utf8Text, units);
}

std::uint64_t TableHeaderWriter::AppendEntry(std::string& header, std::string& out,
                                             std::string_view name, std::string_view utf8Text,
                                             std::u16string_view units) const {
  // The same lines as AppendTextComment and AppendDeclarationHead write, from
  // pieces made once: a table has thousands.
  out.append(header::kCommentOpening);
  header::AppendCommentText(out, utf8Text);
  out.append(head_).append(name).append(afterName_);
  std::uint64_t length = 0;
  bool lineIsOpen = false;
  if (style_.form == ValueForm::Constants) {
    CodeWriter constants(OutputFormat::C);
    constants.Append(units, out);
    length = constants.BytesWritten();
    if (nul_) constants.AppendBytes(std::string_view("\0", 1), out);
    lineIsOpen = constants.LineIsOpen();
  } else {
    bytes_.clear();
    GbkEncoder().Append(units, bytes_);
    length = bytes_.size();
    StringLiteralWriter literal(1);
    literal.Append(bytes_, out);
    literal.Finish(out);
  }
  header::AppendDeclarationTail(out, style_.form, lineIsOpen);
  if (!headerName_.empty()) {
    header::AppendTextComment(header, utf8Text);
    const bool terminated = nul_ || style_.form == ValueForm::Literal;
    header::AppendExternDeclaration(header, style_, name, length + (terminated ? 1 : 0));
  }
  AppendLengthMacro(header, name, length);
  return length;
}

std::string TableHeaderWriter::Closing() const {
  return (headerName_.empty() ? header::LinkageMacroEnd() : header::CLinkageClosing()) +
         header::Closing();
}

}  // namespace gbkhex
