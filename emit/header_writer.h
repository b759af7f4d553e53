#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gbkhex {

// Every header that gbkhex-cli writes compiles as C (C99 to C23) and C++
// (C++11 to C++23), included any number of times from any number of files of
// one program, and its lines end in CR LF, as the C format's do. A header that
// stands alone defines its arrays: C++17 and later keep one copy of each for
// the whole program (inline); C, which has no inline variables, keeps one in
// each file that uses it (static). A header with a source file of its own
// only declares them, with C linkage, and the source defines each once: the
// one copy that a small ROM can afford, in C as in C++.

inline constexpr std::string_view kHeaderLineBreak = "\r\n";

// How the bytes stand in a declaration: C constants in braces, or a string
// literal whose terminating NUL is the literal's own.
enum class ValueForm { Constants, Literal };

struct DeclarationStyle {
  ValueForm form = ValueForm::Constants;
  // The words before the name; "" for DefaultType(form). Must pass TypeProblem.
  std::string type;
  // The words after "[]", "" for none. Must pass AttributeProblem.
  std::string attribute;
  // The headers that the type and attribute need, as --include gives them
  // ("avr/pgmspace.h", or "\"board.h\"" in quotes); each must pass IncludeProblem.
  std::vector<std::string> includes{};
};

// "const unsigned char" for constants, "const char" for literals, which pass
// to a `const char *` parameter as they are.
std::string_view DefaultType(ValueForm form) noexcept;

// Why TEXT cannot stand as --type or --attribute, or "" when it can: nothing in
// it may end the declaration or break the header out of it (';', '{', '}',
// '=', '#', a comment, a line break or other control character, a backslash,
// a trigraph or digraph that reads as one of those, an unterminated quote,
// unbalanced parentheses). A type may not be empty.
std::string TypeProblem(std::string_view text);
std::string AttributeProblem(std::string_view text);

// Why TEXT cannot stand as --include, or "" when it can: the name goes
// between <> (or, given in double quotes, between those), so it may not hold
// what would end it early ('>', or a '"' inside the quotes), nor a line
// break, a control character, a comment, a backslash, a quote or a trigraph,
// which C leaves undefined or reads as something else there.
std::string IncludeProblem(std::string_view text);

// "#include <TEXT>", or for TEXT in double quotes "#include TEXT".
std::string IncludeDirective(std::string_view text);

// Whether `type` names a type of <stdint.h>, which the header then includes so
// that it compiles on its own.
bool NeedsStdint(std::string_view type);

// The pieces that every header is made of, for any writer of declarations.
namespace header {

// The top comment line, the include guard, <stdint.h> where `style`'s type
// needs it, and the headers of --include in their order.
std::string Opening(std::string_view comment, std::string_view guard,
                    const DeclarationStyle& style);
// The end of the include guard.
std::string Closing();

// The condition under which the declarations are inline rather than static.
inline constexpr std::string_view kInlineCondition =
    "#if (defined(__cplusplus) && __cplusplus >= 201703L) || "
    "(defined(_MSVC_LANG) && _MSVC_LANG >= 201703L)";

// The lines that choose the linkage for the one declaration after them.
std::string LinkageLines();

// For a header of many declarations: a macro that stands for the linkage, the
// lines that define it, and the line that ends it at the header's end.
inline constexpr std::string_view kLinkageMacro = "GBKHEX_LINKAGE";
std::string LinkageMacroDefinition();
std::string LinkageMacroEnd();

// The lines that give the declarations between them C linkage in C++, so
// that C++ files find the definitions that a C file holds.
std::string CLinkageOpening();
std::string CLinkageClosing();

// The first lines of a source file: its comment, and the header it defines
// the arrays of, by the name that `headerName` gives it.
std::string SourceOpening(std::string_view comment, std::string_view headerName);

// "extern TYPE NAME[SIZE]DIMENSIONS ATTRIBUTE;" and its line break: the
// size, so that sizeof works where only the header is seen.
void AppendExternDeclaration(std::string& out, const DeclarationStyle& style, std::string_view name,
                             std::uint64_t size, std::string_view dimensions = {});

// "LINKAGE TYPE NAME[]DIMENSIONS ATTRIBUTE = {" or "... =", and its line
// break; the linkage is LinkageLines() or a macro that stands for it, with its
// blank, or "" for the definition in a source file, and the dimensions are those of an array of
// arrays after the first
// ("[32]"), or none.
void AppendDeclarationHead(std::string& out, std::string_view linkage,
                           const DeclarationStyle& style, std::string_view name,
                           std::string_view dimensions = {});
// "};" (after the line break that an open line of constants needs) or ";".
void AppendDeclarationTail(std::string& out, ValueForm form, bool constantLineIsOpen);
// "#define NAME 6u", "#define NAME 70000UL" above 65535, ULL above 2^32 - 1: a constant
// expression in C and C++ that takes no storage, of a type that holds the value
// where int has 16 bits and stays unsigned int, as cheap as a counter can be
// there, where it can.
void AppendUnsignedMacro(std::string& out, std::string_view name, std::uint64_t value);

// Appends a comment line that shows `utf8Text` between double quotes, whatever
// it holds: '\', '"', control characters and invisible and reordering
// characters are written as escapes, and "*/", "/*" and "??" are broken up, so
// that nothing in the text can end the comment or change what the lines around
// it mean. A text that is not well-formed UTF-8 cannot do so either: the bytes
// of ill-formed sequences are written as \x escapes, where their lead byte
// shows them to be ill-formed, and copied otherwise.
void AppendTextComment(std::string& out, std::string_view utf8Text);
// What stands between the comment's quotes.
void AppendCommentText(std::string& out, std::string_view utf8Text);
inline constexpr std::string_view kCommentOpening = "/* \"";
inline constexpr std::string_view kCommentClosing = "\" */";

}  // namespace header

// The header of --array: one text, its bytes streamed between the opening and
// the closing by a CodeWriter of the C format or a StringLiteralWriter (whose last line
// keeps one column for the ";": StringLiteralWriter(1)), then NAME_len, the
// number of bytes without any terminator, as AppendUnsignedMacro writes it.
std::string SingleHeaderOpening(std::string_view name, const DeclarationStyle& style);
std::string SingleHeaderClosing(std::string_view name, const DeclarationStyle& style,
                                std::uint64_t length, bool constantLineIsOpen);

// --array with a source file: the source's opening and the definition's
// head, its bytes streamed as above, the definition's end (AppendDeclarationTail),
// and the header, written once the length is known. `hasTerminator`: a
// literal's NUL or the 00 byte of --nul follows the bytes.
std::string SingleSourceOpening(std::string_view name, const DeclarationStyle& style,
                                std::string_view headerName);
std::string SingleDeclarationHeader(std::string_view name, const DeclarationStyle& style,
                                    std::uint64_t length, bool hasTerminator);

// The include guard of a string table's header: a hash of the options that
// shape the header and of the table's input, so that two different tables of
// one program never share it, and the same header included twice does. The
// reader of the tables takes it over the bytes it reads (TableReader), so the
// header's entries wait for their opening until the last input is read.
class TableGuard {
 public:
  // Adds the next bytes: first the options, as one line ending in LF, then
  // the input in pieces of any size (the name depends on the bytes alone).
  void Add(std::string_view bytes) noexcept;
  // "GBKHEX_TABLE_" and 16 hexadecimal digits.
  std::string Name() const;

 private:
  // Words go to four hashes in turn, which the processor mixes side by side.
  std::array<std::uint64_t, 4> lanes_{};
  std::uint64_t words_ = 0;
  std::uint64_t pending_ = 0;  // bytes not yet mixed in, up to 7
  unsigned pendingSize_ = 0;
  std::uint64_t size_ = 0;
};

// The header of a string table: after the opening, for each entry in order, a
// comment showing the text, the declaration and NAME_len, then the closing.
// With a source file, the header declares each entry and holds NAME_len, and
// the source, after SourceOpening, holds the comment and the definition.
class TableHeaderWriter {
 public:
  // With `nul`, constants get a 00 byte after each text; a literal has its
  // own. `headerName` is the name by which the source file includes the
  // header, or "" for a header that stands alone.
  TableHeaderWriter(DeclarationStyle style, bool nul, std::string headerName = {});

  // Why `bytes` cannot make an entry, or "": an empty text would make an empty
  // array, which C does not allow.
  std::string EntryProblem(std::string_view bytes) const;

  std::string Opening(std::string_view guard) const;
  std::string SourceOpening() const;
  // `utf8Text` is what the comment shows, `units` the units whose code page
  // 936 bytes the entry holds. Returns the number of those bytes. The header
  // takes the entry whole, or with a source file its declaration, and the
  // source its definition.
  std::uint64_t AppendEntry(std::string& header, std::string_view name, std::string_view utf8Text,
                            std::u16string_view units) const;
  std::uint64_t AppendEntry(std::string& header, std::string& source, std::string_view name,
                            std::string_view utf8Text, std::u16string_view units) const;
  std::string Closing() const;

 private:
  DeclarationStyle style_;
  bool nul_;
  std::string headerName_;
  // What every entry's declaration holds around its name, made once.
  std::string head_;           // the comment's end, "GBKHEX_LINKAGE TYPE "
  std::string afterName_;      // "[] ATTRIBUTE = {" and its line break
  mutable std::string bytes_;  // of a literal, kept from entry to entry
};

}  // namespace gbkhex
