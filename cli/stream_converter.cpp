#include "cli/stream_converter.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "cli/file_input.h"

namespace gbkhex::cli {
namespace {

// Enough bytes to tell a byte-order mark, whatever the chunk size.
constexpr std::size_t kStartBytes = 3;

// A chunk size of 0 would never make progress.
ConvertOptions Normalized(ConvertOptions options) {
  if (options.chunkSize == 0) options.chunkSize = kDefaultChunkSize;
  return options;
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
      check_(options_.charset, options_.lossy, faults, taker),
      output_(MakeTextOutput(options_.choice, options_.charset, out)) {
  input_.resize(kMaxCharacterBytes + std::max(options_.chunkSize, kStartBytes));
  // A chunk never decodes to more units than it has bytes.
  units_.resize(input_.size());
}

void StreamConverter::Convert(std::istream& in, std::string_view name) {
  position_ = TextPosition{};
  offset_ = 0;
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
      check_.StartInput(name, encoding_);
      start = detected.byteOrderMarkSize;
      offset_ = start;
    }
    // A read delivers less than asked for only at the end of the input, or
    // where it fails; a character that a failed read cuts short is the
    // failure's fault, not one of its own.
    const bool atEnd = read.size < asked;
    const std::size_t consumed = Decode(start, held, atEnd && read.failure.empty());
    if (!read.failure.empty()) {
      check_.Report(Fault{.kind = FaultKind::Read, .what = read.failure});
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
    check_.IllFormed(
        position_, offset_, bytes.subspan(step.bytesRead, step.illFormed), step.cutShort,
        bytes.subspan(step.bytesRead, std::min<std::size_t>(2, bytes.size() - step.bytesRead)));
    at += step.illFormed;
    offset_ += step.illFormed;
    // An editor shows one replacement character there.
    AdvanceColumn(position_, U'\uFFFD');
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
  check_.Check(units, mayHoldNul, placeOf,
               [this](std::u16string_view checked) { output_->Write(checked); });
  Advance(place, units.substr(placeAt));
  position_ = place;
}

void StreamConverter::Refuse(const Fault& fault) { check_.Report(fault); }

std::optional<Fault> StreamConverter::SubstitutionWarning() const {
  return check_.SubstitutionWarning();
}

void StreamConverter::Finish() {
  if (!check_.Failed()) {
    if (const std::optional<Fault> problem = output_->Finish()) faults_.Add(*problem);
  }
  out_.Flush();
}

}  // namespace gbkhex::cli
