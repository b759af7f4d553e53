#include "text/text_check.h"

#include <utility>

#include "gbkhex/product.h"

namespace gbkhex {
namespace {

// What the charset does to one character, or `many` of them.
std::string WhatTheCharsetLacks(Charset charset, bool many = false) {
  if (charset == Charset::Gb2312) return many ? "are not in GB2312" : "is not in GB2312";
  return std::string(many ? "have" : "has") + " no exact code in GBK (code page 936)";
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
  if (cutShort) fault.hint = "the input ends inside a character";
  if (encoding_ == InputEncoding::Utf8 && !hinted_ && LooksLikeCodePage936(following)) {
    fault.hint += (fault.hint.empty() ? "" : "; ");
    fault.hint += "the file looks like GBK already: use --from gbk";
    hinted_ = true;
  }
  Report(std::move(fault));
}

void TextCheck::Nul(const TextPosition& position) {
  if (!faults_.ListsNextError()) return Counted(FaultKind::Nul);
  Fault fault = At(FaultKind::Nul, position);
  fault.what = "U+0000 (NUL), which would end a C string early";
  if (!IsUtf16(encoding_) && !std::exchange(hinted_, true)) {
    fault.hint = "the input looks like UTF-16 without a byte-order mark";
  }
  Report(std::move(fault));
}

void TextCheck::NotHeld(char32_t c, const TextPosition& position) {
  Fault fault = At(FaultKind::NotInCharset, position);
  fault.what = DescribeCharacter(c) + " " + WhatTheCharsetLacks(charset_);
  Report(std::move(fault));
}

void TextCheck::Substituted(char32_t c, const TextPosition& position) {
  firstSubstitution_ = At(FaultKind::Substituted, position);
  firstSubstitution_->hint = "the first is " + DescribeCharacter(c);
}

std::optional<Fault> TextCheck::SubstitutionWarning() const {
  if (substitutions_ == 0) return std::nullopt;
  const bool many = substitutions_ > 1;
  Fault warning = *firstSubstitution_;
  warning.severity = Severity::Warning;
  warning.what = std::to_string(substitutions_) + (many ? " characters " : " character ") +
                 WhatTheCharsetLacks(charset_, many) +
                 (many ? " and were written as the " : " and was written as the ") +
                 std::string(product::kProductName) +
                 (many ? " window writes them" : " window writes it");
  return warning;
}

}  // namespace gbkhex
