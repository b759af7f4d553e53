#include "emit/text_output.h"

#include <string>

#include "convert/gbk_codec.h"
#include "emit/character_list.h"
#include "emit/header_writer.h"
#include "emit/string_literal.h"
#include "i18n/messages.h"

namespace gbkhex {
namespace {

constexpr std::u16string_view kNul(u"\0", 1);

// Nothing: what is written is no text of the bytes.
class NoOutput final : public TextOutput {
 public:
  void Write(std::u16string_view) override {}
  std::optional<Fault> Finish() override { return std::nullopt; }
};

// Hexadecimal pairs or C constants.
class CodeOutput final : public TextOutput {
 public:
  CodeOutput(const OutputChoice& choice, Charset charset, TextSink& out)
      : writer_(choice.format), encoder_(charset), nul_(choice.nul), out_(out) {}

  void Write(std::u16string_view units) override {
    output_.clear();
    writer_.Append(encoder_.UnitsToWrite(units, written_), output_);
    out_.Write(output_);
  }

  std::optional<Fault> Finish() override {
    if (!nul_) return std::nullopt;
    output_.clear();
    writer_.Append(kNul, output_);
    out_.Write(output_);
    return std::nullopt;
  }

 private:
  CodeWriter writer_;
  GbkEncoder encoder_;
  bool nul_;
  TextSink& out_;
  std::u16string written_;
  std::string output_;
};

// C string literals alone, to paste where a string goes: their NUL is the
// literal's own, so --nul adds nothing.
class LiteralOutput final : public TextOutput {
 public:
  LiteralOutput(Charset charset, TextSink& out) : encoder_(charset), out_(out) {}

  void Write(std::u16string_view units) override {
    bytes_.clear();
    encoder_.Append(units, bytes_);
    output_.clear();
    writer_.Append(bytes_, output_);
    out_.Write(output_);
  }

  std::optional<Fault> Finish() override {
    const std::uint64_t size = writer_.BytesWritten();
    output_.clear();
    writer_.Finish(output_);
    out_.Write(output_);
    return OverlongLiteral(size);
  }

 private:
  StringLiteralWriter writer_;
  GbkEncoder encoder_;
  TextSink& out_;
  std::string bytes_;
  std::string output_;
};

// --array: one declaration of constants or of a literal, opened with the
// first byte, so that a run that fails before any leaves no declaration
// half-written behind. With a source file, the definition streams there and
// the header, which needs the length, is written at the end.
class ArrayOutput final : public TextOutput {
 public:
  ArrayOutput(const OutputChoice& choice, Charset charset, TextSink& out, TextSink* source)
      : name_(choice.name),
        style_(choice.style),
        headerName_(source != nullptr ? choice.headerName : ""),
        encoder_(charset),
        nul_(choice.nul),
        header_(out),
        out_(source != nullptr ? *source : out) {}

  void Write(std::u16string_view units) override {
    output_.clear();
    Open();
    if (style_.form == ValueForm::Constants) {
      constants_.Append(encoder_.UnitsToWrite(units, written_), output_);
      length_ = constants_.BytesWritten();
    } else {
      bytes_.clear();
      encoder_.Append(units, bytes_);
      literal_.Append(bytes_, output_);
      length_ += bytes_.size();
    }
    out_.Write(output_);
  }

  std::optional<Fault> Finish() override {
    const bool constants = style_.form == ValueForm::Constants;
    if (constants && length_ == 0 && !nul_) {
      return Fault{.kind = FaultKind::EmptyArray,
                   .what = std::string(
                       i18n::Tr("the input is empty, and a C array needs at least one byte (a "
                                "string literal or --nul can hold an empty text)"))};
    }
    output_.clear();
    Open();
    if (constants) {
      if (nul_) constants_.Append(kNul, output_);
    } else {
      literal_.Finish(output_);
    }
    const bool lineIsOpen = constants && constants_.LineIsOpen();
    if (headerName_.empty()) {
      output_ += SingleHeaderClosing(name_, style_, length_, lineIsOpen);
      out_.Write(output_);
    } else {
      header::AppendDeclarationTail(output_, style_.form, lineIsOpen);
      out_.Write(output_);
      header_.Write(SingleDeclarationHeader(name_, style_, length_, nul_ || !constants));
    }
    if (constants) return std::nullopt;
    return OverlongLiteral(length_);
  }

 private:
  void Open() {
    if (opened_) return;
    output_ += headerName_.empty() ? SingleHeaderOpening(name_, style_)
                                   : SingleSourceOpening(name_, style_, headerName_);
    opened_ = true;
  }

  std::string name_;
  DeclarationStyle style_;
  std::string headerName_;
  GbkEncoder encoder_;
  bool nul_;
  TextSink& header_;
  TextSink& out_;  // where the array is defined
  CodeWriter constants_{OutputFormat::C};
  StringLiteralWriter literal_{1};  // a column for the ";"
  std::uint64_t length_ = 0;
  bool opened_ = false;
  std::u16string written_;
  std::string bytes_;
  std::string output_;
};

// The bytes that --list shows for a character, as `charset` writes it.
CharacterList::BytesOf ListedBytes(Charset charset) {
  return [charset](char32_t character) {
    if (character > 0xFFFF) return CharacterList::CodePage936Bytes(character);
    std::string bytes;
    const auto unit = static_cast<char16_t>(character);
    GbkEncoder(charset).Append({&unit, 1}, bytes);
    return bytes;
  };
}

// --list: written whole at the end, since a list of the characters before a
// fault would pass for the list of all of them.
class ListOutput final : public TextOutput {
 public:
  ListOutput(Charset charset, TextSink& out) : charset_(charset), out_(out) {}

  void Write(std::u16string_view units) override { list_.Count(units); }

  std::optional<Fault> Finish() override {
    std::string text;
    list_.Write(text, ListedBytes(charset_));
    out_.Write(text);
    return std::nullopt;
  }

 private:
  CharacterList list_;
  Charset charset_;
  TextSink& out_;
};

}  // namespace

std::unique_ptr<TextOutput> MakeTextOutput(const OutputChoice& choice, Charset charset,
                                           TextSink& out, TextSink* source) {
  switch (choice.output) {
    case Output::Bytes:
      return std::make_unique<CodeOutput>(choice, charset, out);
    case Output::Literals:
      return std::make_unique<LiteralOutput>(charset, out);
    case Output::Array:
      return std::make_unique<ArrayOutput>(choice, charset, out, source);
    case Output::List:
      return std::make_unique<ListOutput>(charset, out);
    case Output::Table:
    case Output::Glyphs:
    case Output::Decode:
      break;
  }
  return std::make_unique<NoOutput>();
}

}  // namespace gbkhex
