#include "text/text_check.h"

#include <utility>

#include "gbkhex/product.h"
#include "i18n/messages.h"

namespace gbkhex {
namespace {

using i18n::Fill;
using i18n::Tr;
using i18n::TrN;

// `character` (DescribeCharacter's) that the charset lacks.
std::string NotHeldText(Charset charset, const std::string& character) {
  if (charset == Charset::Gb2312) return Fill(Tr("%s is not in GB2312"), {character});
  return Fill(Tr("%s has no exact code in GBK (code page 936)"), {character});
}

// `count` characters that the charset lacks, written as the window writes them.
std::string SubstitutedText(Charset charset, std::uint64_t count) {
  const std::string number = std::to_string(count);
  if (charset == Charset::Gb2312) {
    return Fill(TrN("%s character is not in GB2312 and was written as the %s window writes it",
                    "%s characters are not in GB2312 and were written as the %s window writes "
                    "them",
                    count),
                {number, product::kProductName});
  }
  return Fill(TrN("%s character has no exact code in GBK (code page 936) and was written as "
                  "the %s window writes it",
                  "%s characters have no exact code in GBK (code page 936) and were written as "
                  "the %s window writes them",
                  count),
              {number, product::kProductName});
}

}  // namespace

void TextCheck::StartInput(std::string_view name, InputEncoding encoding) {
  name_ = std::string(name);
  encoding_ = encoding;
  hinted_ = false;
}

Fault TextCheck::At(FaultKind kind, const TextPosition& position) const {
  return Fault{.kind = kind, .input = name_, .line = position.line, .column = position.column};
}

void TextCheck::Report(Fault fault) {
  if (fault.severity == Severity::Error) failed_ = true;
  if (fault.input.empty()) fault.input = name_;
  faults_.Add(fault);
}

void TextCheck::Counted(FaultKind kind) { Report(Fault{.kind = kind}); }

void TextCheck::IllFormed(const TextPosition& position, std::uint64_t byteOffset,
                          std::span<const std::uint8_t> bytes, bool cutShort,
                          std::span<const std::uint8_t> following) {
  if (!faults_.ListsNextError()) return Counted(FaultKind::IllFormed);  // spare the words
  Fault fault = At(FaultKind::IllFormed, position);
  fault.byteOffset = byteOffset;
  fault.what = DescribeIllFormed(encoding_, bytes);
  if (cutShort) fault.hint = Tr("the input ends inside a character");
  if (encoding_ == InputEncoding::Utf8 && !hinted_ && LooksLikeCodePage936(following)) {
    const std::string_view looksLikeGbk = Tr("the file looks like GBK already: use --from gbk");
    // TRANSLATORS: two pieces of advice after a fault, one after the other.
    fault.hint = fault.hint.empty() ? std::string(looksLikeGbk)
                                    : Fill(Tr("%s; %s"), {fault.hint, looksLikeGbk});
    hinted_ = true;
  }
  Report(std::move(fault));
}

void TextCheck::Nul(const TextPosition& position) {
  if (!faults_.ListsNextError()) return Counted(FaultKind::Nul);
  Fault fault = At(FaultKind::Nul, position);
  fault.what = Tr("U+0000 (NUL), which would end a C string early");
  if (!IsUtf16(encoding_) && !std::exchange(hinted_, true)) {
    fault.hint = Tr("the input looks like UTF-16 without a byte-order mark");
  }
  Report(std::move(fault));
}

void TextCheck::NotHeld(char32_t c, const TextPosition& position) {
  Fault fault = At(FaultKind::NotInCharset, position);
  fault.what = NotHeldText(charset_, DescribeCharacter(c));
  Report(std::move(fault));
}

void TextCheck::Substituted(char32_t c, const TextPosition& position) {
  firstSubstitution_ = At(FaultKind::Substituted, position);
  firstSubstitution_->hint = Fill(Tr("the first is %s"), {DescribeCharacter(c)});
}

std::optional<Fault> TextCheck::SubstitutionWarning() const {
  if (substitutions_ == 0) return std::nullopt;
  Fault warning = *firstSubstitution_;
  warning.severity = Severity::Warning;
  warning.what = SubstitutedText(charset_, substitutions_);
  return warning;
}

}  // namespace gbkhex
