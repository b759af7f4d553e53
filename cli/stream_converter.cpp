#include "cli/stream_converter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "cli/characters.h"
#include "cli/file_input.h"
#include "cli/utf8.h"

namespace gbkhex::cli {
namespace {

constexpr char16_t kByteOrderMark = u'\uFEFF';
constexpr std::string_view kLineBreak = "\r\n";

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
      "/* The code page 936 (GBK) bytes of a text, written by gbkhex-cli. */",
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

bool IsLowSurrogate(char16_t unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

// How many units of `units` `matches` accepts, counted in 16-bit lanes that
// the compiler can vectorise: every chunk passes through here.
template <typename Match>
std::uint64_t CountUnits(std::u16string_view units, Match matches) noexcept {
  constexpr std::size_t kBlock = 0xFFFF;  // what a 16-bit count can hold
  std::uint64_t total = 0;
  for (std::size_t start = 0; start < units.size(); start += kBlock) {
    std::uint16_t count = 0;
    for (const char16_t unit : units.substr(start, kBlock)) count += matches(unit) ? 1 : 0;
    total += count;
  }
  return total;
}

}  // namespace

std::string ErrnoReason(int error) {
  return error == 0 ? std::string() : ": " + std::generic_category().message(error);
}

void WriteOutput(std::ostream& out, std::string_view text) {
  errno = 0;
  if (!out.write(text.data(), static_cast<std::streamsize>(text.size()))) {
    throw OutputError("cannot write the output" + ErrnoReason(errno));
  }
}

void FlushOutput(std::ostream& out) {
  errno = 0;
  if (!out.flush()) throw OutputError("cannot write the output" + ErrnoReason(errno));
}

void Advance(TextPosition& position, std::u16string_view units) noexcept {
  const std::size_t lastBreak = units.rfind(u'\n');
  if (lastBreak != std::u16string_view::npos) {
    position.line +=
        CountUnits(units.substr(0, lastBreak + 1), [](char16_t u) { return u == u'\n'; });
    position.column = 1;
    units.remove_prefix(lastBreak + 1);
  }
  position.column += units.size() - CountUnits(units, IsLowSurrogate);
}

StreamConverter::StreamConverter(ConvertOptions options, std::ostream& out)
    : options_(Normalized(std::move(options))), out_(out), writer_(options_.format) {
  input_.resize(kMaxUtf8Carry + options_.chunkSize);
  // A chunk never decodes to more units than it has bytes.
  units_.resize(input_.size());
}

std::uint64_t StreamConverter::ByteCount() const noexcept { return writer_.BytesWritten(); }

void StreamConverter::Convert(std::istream& in, std::string_view name) {
  const auto fail = [name](std::string_view what) {
    return InputError(std::string(name) + ": " + std::string(what));
  };
  std::size_t carry = 0;     // bytes of a cut-off sequence kept for the next chunk
  std::uint64_t offset = 0;  // offset in the input of input_[0]
  position_ = TextPosition{};
  for (;;) {
    const ReadResult read =
        ReadInput(*in.rdbuf(), reinterpret_cast<char*>(input_.data() + carry), options_.chunkSize);
    // A read delivers less than asked for only at the end of the input, or
    // where it fails.
    const bool atEnd = read.size < options_.chunkSize;
    const std::size_t held = carry + read.size;

    const Utf8Result decoded = DecodeUtf8({input_.data(), held}, units_.data());
    std::u16string_view units(units_.data(), decoded.unitsWritten);
    if (offset == 0 && !units.empty() && units.front() == kByteOrderMark) {
      units.remove_prefix(1);
    }
    Emit(units, name);
    offset += decoded.bytesRead;

    if (decoded.status == Utf8Status::Invalid) {
      throw fail("invalid UTF-8 at byte offset " + std::to_string(offset));
    }
    if (!read.failure.empty()) throw fail(read.failure);
    carry = held - decoded.bytesRead;
    std::memmove(input_.data(), input_.data() + decoded.bytesRead, carry);
    if (atEnd) {
      if (carry != 0) {
        throw fail("invalid UTF-8 at byte offset " + std::to_string(offset) +
                   ": the input ends inside a character");
      }
      return;
    }
  }
}

void StreamConverter::Emit(std::u16string_view units, std::string_view name) {
  if (units.empty()) return;
  const std::size_t held = FindFirstNotHeld(units, options_.charset);
  if (held < units.size()) {
    if (!options_.lossy) {
      const std::string place = PlaceOf(units, held, name);
      Emit(units.substr(0, held), name);
      throw CharacterError(place + ": error: " + DescribeCharacter(CodePointAt(units, held)) + " " +
                           WhatTheCharsetLacks(options_.charset));
    }
    CountSubstitutions(units, held, name);
  }
  output_.clear();
  // The declaration opens with the first byte, so that an empty input, which
  // no C array can hold, leaves no half-written declaration behind.
  if (!options_.arrayName.empty() && ByteCount() == 0) {
    output_.append(ArrayOpening(options_.arrayName));
  }
  writer_.Append(units, output_);
  Write(output_);
  Advance(position_, units);
}

void StreamConverter::CountSubstitutions(std::u16string_view units, std::size_t first,
                                         std::string_view name) {
  for (std::size_t at = first; at < units.size();) {
    if (substitutions_ == 0) {
      firstSubstitutionPlace_ = PlaceOf(units, at, name);
      firstSubstitution_ = DescribeCharacter(CodePointAt(units, at));
    }
    ++substitutions_;
    at += UnitsOfCharacterAt(units, at);
    at += FindFirstNotHeld(units.substr(at), options_.charset);
  }
}

std::string StreamConverter::SubstitutionWarning() const {
  if (substitutions_ == 0) return "";
  const bool many = substitutions_ > 1;
  return firstSubstitutionPlace_ + ": warning: " + std::to_string(substitutions_) +
         (many ? " characters " : " character ") + WhatTheCharsetLacks(options_.charset, many) +
         (many ? " and were written as the gbkhex window writes them"
               : " and was written as the gbkhex window writes it") +
         "; the first is " + firstSubstitution_;
}

std::string StreamConverter::PlaceOf(std::u16string_view units, std::size_t at,
                                     std::string_view name) const {
  TextPosition position = position_;
  Advance(position, units.substr(0, at));
  return std::string(name) + ":" + std::to_string(position.line) + ":" +
         std::to_string(position.column);
}

void StreamConverter::Finish() {
  if (!options_.arrayName.empty()) WriteArrayEnd();
  FlushOutput(out_);
}

void StreamConverter::WriteArrayEnd() {
  if (ByteCount() == 0) {
    throw InputError("the input is empty, and a C array needs at least one byte");
  }
  std::string end;
  if (writer_.LineIsOpen()) end.append(kLineBreak);
  end.append("};").append(kLineBreak);
  end.append("static const unsigned long ").append(options_.arrayName).append("_len = ");
  end.append(std::to_string(ByteCount())).append(";").append(kLineBreak);
  end.append("#endif").append(kLineBreak);
  Write(end);
}

void StreamConverter::Write(std::string_view text) { WriteOutput(out_, text); }

}  // namespace gbkhex::cli
