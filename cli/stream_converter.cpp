#include "cli/stream_converter.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "cli/characters.h"
#include "cli/file_input.h"
#include "gbkhex/product.h"

namespace gbkhex::cli {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
// Enough bytes to tell a byte-order mark, whatever the chunk size.
constexpr std::size_t kStartBytes = 3;

// An array holds C constants whatever format was asked for, and a chunk size
// of 0 would never make progress.
ConvertOptions Normalized(ConvertOptions options) {
  if (!options.arrayName.empty()) options.format = OutputFormat::C;
  if (options.chunkSize == 0) options.chunkSize = kDefaultChunkSize;
  return options;
}

// What the charset does to one character, or `many` of them.
std::string WhatTheCharsetLacks(Charset charset, bool many = false) {
  if (charset == Charset::Gb2312) return many ? "are not in GB2312" : "is not in GB2312";
  return std::string(many ? "have" : "has") + " no exact code in GBK (code page 936)";
}

// The declaration compiles as C and as C++, included any number of times from
// any number of files of one program. C++17 shares one copy of the bytes among
// all files; C, which has no inline variables, keeps one in each file that
// uses the array, and its compilers drop the copy from files that do not.
std::string ArrayOpening(const std::string& name) {
  const std::string guard = "GBKHEX_ARRAY_" + name;
  const std::string lines[] = {
      "/* The code page 936 (GBK) bytes of a text, written by " + std::string(product::kCliName) +
          ". */",
      "#ifndef " + guard,
      "#define " + guard,
      "#if (defined(__cplusplus) && __cplusplus >= 201703L) || "
      "(defined(_MSVC_LANG) && _MSVC_LANG >= 201703L)",
      "inline",
      "#else",
      "static",
      "#endif",
      "const unsigned char " + name + "[] = {",
  };
  std::string text;
  for (const std::string& line : lines) text.append(line).append(kLineBreak);
  return text;
}

bool IsUtf16(InputEncoding encoding) noexcept {
  return encoding == InputEncoding::Utf16Le || encoding == InputEncoding::Utf16Be;
}

}  // namespace

StreamConverter::StreamConverter(ConvertOptions options, OutputSink& out, FaultReport& faults,
                                 CharacterTaker* taker)
    : options_(Normalized(std::move(options))),
      out_(out),
      faults_(faults),
      taker_(taker),
      writer_(options_.format) {
  input_.resize(kMaxCharacterBytes + std::max(options_.chunkSize, kStartBytes));
  // A chunk never decodes to more units than it has bytes.
  units_.resize(input_.size());
}

std::uint64_t StreamConverter::ByteCount() const noexcept { return writer_.BytesWritten(); }

void StreamConverter::Convert(std::istream& in, std::string_view name) {
  name_ = std::string(name);
  position_ = TextPosition{};
  offset_ = 0;
  hinted_ = false;
  std::size_t held = 0;  // bytes in input_: a cut-off character, then what was read
  for (bool first = true;; first = false) {
    const std::size_t asked =
        first ? std::max(options_.chunkSize, kStartBytes) : options_.chunkSize;
    const ReadResult read =
        ReadInput(*in.rdbuf(), reinterpret_cast<char*>(input_.data() + held), asked);
    held += read.size;
    std::size_t start = 0;
    if (first) {
      const InputStart detected = DetectEncoding({input_.data(), std::min(held, kStartBytes)},
                                                 options_.from == InputText::CodePage936);
      encoding_ = detected.encoding;
      start = detected.byteOrderMarkSize;
      offset_ = start;
    }
    // A read delivers less than asked for only at the end of the input, or
    // where it fails; a character that a failed read cuts short is the
    // failure's fault, not one of its own.
    const bool atEnd = read.size < asked;
    const std::size_t consumed = Decode(start, held, atEnd && read.failure.empty());
    if (!read.failure.empty()) {
      Report(Fault{.kind = FaultKind::Read, .input = name_, .what = read.failure});
      return;
    }
    if (atEnd) return;
    held -= consumed;
    std::memmove(input_.data(), input_.data() + consumed, held);
  }
}

// Decodes input_[begin, end) and checks its characters, one run of
// well-formed text at a time, reporting the ill-formed bytes between runs.
// Returns where the bytes end that wait for more input.
std::size_t StreamConverter::Decode(std::size_t begin, std::size_t end, bool atEnd) {
  std::size_t at = begin;
  for (;;) {
    const std::span<const std::uint8_t> bytes(input_.data() + at, end - at);
    const DecodeStep step = DecodeInput(encoding_, bytes, units_.data(), atEnd);
    // A 00 byte is U+0000 in UTF-8 and code page 936, and never part of
    // another character: most chunks have none, which memchr sees at once.
    const bool mayHoldNul =
        IsUtf16(encoding_) || std::memchr(bytes.data(), 0, step.bytesRead) != nullptr;
    Check({units_.data(), step.unitsWritten}, mayHoldNul);
    at += step.bytesRead;
    offset_ += step.bytesRead;
    if (step.illFormed == 0) return at;
    // Faults are judged with a byte after them at hand, wherever a chunk ends:
    // the next read brings it.
    if (!atEnd && at + step.illFormed == end) return at;
    ReportIllFormed(
        bytes.subspan(step.bytesRead, step.illFormed), step.cutShort,
        bytes.subspan(step.bytesRead, std::min<std::size_t>(2, bytes.size() - step.bytesRead)));
    at += step.illFormed;
    offset_ += step.illFormed;
    // An editor shows one replacement character there.
    AdvanceColumn(position_, U'\uFFFD');
  }
}

// Characters that the charset checks passed: their bytes go out, or they go
// to the taker, whose refusals are faults. `placeOf(i)` is the place of
// units[i], asked for in increasing order.
template <typename PlaceOf>
void StreamConverter::Pass(std::u16string_view units, const PlaceOf& placeOf) {
  if (taker_ == nullptr) {
    Emit(units);
    return;
  }
  for (std::size_t at = 0; at < units.size();) {
    const std::size_t refused = at + taker_->Take(units.substr(at));
    if (refused >= units.size()) return;
    if (!faults_.ListsNextError()) {
      Report(Fault{.kind = FaultKind::Undrawable});
    } else {
      Fault fault = FaultAt(FaultKind::Undrawable, placeOf(refused));
      fault.what = taker_->Refusal(units[refused]);
      Report(std::move(fault));
    }
    at = refused + 1;
  }
}

// Every character of every input passes here once, in input order.
void StreamConverter::Check(std::u16string_view units, bool mayHoldNul) {
  if (units.empty()) return;
  // Places are worked out only for the faults that need one, moving forward.
  TextPosition place = position_;
  std::size_t placeAt = 0;
  const auto placeOf = [&](std::size_t at) {
    Advance(place, units.substr(placeAt, at - placeAt));
    placeAt = at;
    return place;
  };
  std::size_t nul = mayHoldNul ? units.find(u'\0') : std::u16string_view::npos;
  std::size_t done = 0;  // the units before it are passed on, or dropped after a fault
  const auto passUpTo = [&](std::size_t end) {
    Pass(units.substr(done, end - done), [&](std::size_t i) { return placeOf(done + i); });
  };
  std::size_t at = 0;
  for (;;) {
    const std::size_t next =
        std::min(at + FindFirstNotHeld(units.substr(at), options_.charset), nul);
    if (next >= units.size()) break;
    const std::size_t length = UnitsOfCharacterAt(units, next);
    const char32_t c = CodePointAt(units, next);
    if (c == 0) {
      nul = units.find(u'\0', next + 1);
    } else if (options_.lossy) {
      // The taker's faults before the substitute come before its place is taken.
      if (taker_ != nullptr) {
        passUpTo(next);
        done = next;
      }
      if (substitutions_++ == 0) {
        firstSubstitution_ = FaultAt(FaultKind::Substituted, placeOf(next));
        firstSubstitution_->hint = "the first is " + DescribeCharacter(c);
      }
      at = next + length;
      continue;
    }
    passUpTo(next);
    if (!faults_.ListsNextError()) {
      Report(Fault{.kind = c == 0 ? FaultKind::Nul : FaultKind::NotInCharset});
    } else if (c == 0) {
      Fault fault = FaultAt(FaultKind::Nul, placeOf(next));
      fault.what = "U+0000 (NUL), which would end a C string early";
      if (!IsUtf16(encoding_) && !std::exchange(hinted_, true)) {
        fault.hint = "the input looks like UTF-16 without a byte-order mark";
      }
      Report(std::move(fault));
    } else {
      Fault fault = FaultAt(FaultKind::NotInCharset, placeOf(next));
      fault.what = DescribeCharacter(c) + " " + WhatTheCharsetLacks(options_.charset);
      Report(std::move(fault));
    }
    at = next + length;
    done = at;
  }
  passUpTo(units.size());
  Advance(place, units.substr(placeAt));
  position_ = place;
}

void StreamConverter::Emit(std::u16string_view units) {
  if (!writing_ || units.empty()) return;
  output_.clear();
  // The declaration opens with the first byte, so that an empty input, which
  // no C array can hold, leaves no half-written declaration behind.
  if (!options_.arrayName.empty() && ByteCount() == 0) {
    output_.append(ArrayOpening(options_.arrayName));
  }
  if (options_.charset == Charset::Gb2312 &&
      units.find_first_of(u"\u2015\u30FB") != std::u16string_view::npos) {
    written_.assign(units);
    for (char16_t& unit : written_) unit = UnitToWrite(options_.charset, unit);
    units = written_;
  }
  writer_.Append(units, output_);
  out_.Write(output_);
}

void StreamConverter::ReportIllFormed(std::span<const std::uint8_t> bytes, bool cutShort,
                                      std::span<const std::uint8_t> following) {
  if (!faults_.ListsNextError()) {
    Report(Fault{.kind = FaultKind::IllFormed});  // counted only: spare the words
    return;
  }
  Fault fault = FaultAt(FaultKind::IllFormed, position_);
  fault.byteOffset = offset_;
  fault.what = DescribeIllFormed(encoding_, bytes);
  if (cutShort) fault.hint = "the input ends inside a character";
  if (encoding_ == InputEncoding::Utf8 && !hinted_ && LooksLikeCodePage936(following)) {
    fault.hint += (fault.hint.empty() ? "" : "; ");
    fault.hint += "the file looks like GBK already: use --from gbk";
    hinted_ = true;
  }
  Report(std::move(fault));
}

void StreamConverter::Refuse(const Fault& fault) { Report(fault); }

void StreamConverter::Report(Fault fault) {
  writing_ = false;
  faults_.Add(fault);
}

Fault StreamConverter::FaultAt(FaultKind kind, const TextPosition& position) const {
  return Fault{.kind = kind, .input = name_, .line = position.line, .column = position.column};
}

std::optional<Fault> StreamConverter::SubstitutionWarning() const {
  if (substitutions_ == 0) return std::nullopt;
  const bool many = substitutions_ > 1;
  Fault warning = *firstSubstitution_;
  warning.severity = Severity::Warning;
  warning.what = std::to_string(substitutions_) + (many ? " characters " : " character ") +
                 WhatTheCharsetLacks(options_.charset, many) +
                 (many ? " and were written as the " : " and was written as the ") +
                 std::string(product::kProductName) +
                 (many ? " window writes them" : " window writes it");
  return warning;
}

void StreamConverter::Finish() {
  if (writing_ && !options_.arrayName.empty()) WriteArrayEnd();
  out_.Flush();
}

void StreamConverter::WriteArrayEnd() {
  if (ByteCount() == 0) {
    Report(Fault{.kind = FaultKind::EmptyArray,
                 .what = "the input is empty, and a C array needs at least one byte"});
    return;
  }
  std::string end;
  if (writer_.LineIsOpen()) end.append(kLineBreak);
  end.append("};").append(kLineBreak);
  end.append("static const unsigned long ").append(options_.arrayName).append("_len = ");
  end.append(std::to_string(ByteCount())).append(";").append(kLineBreak);
  end.append("#endif").append(kLineBreak);
  out_.Write(end);
}

}  // namespace gbkhex::cli
