#include "text/input_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <utility>

#include "i18n/messages.h"
#include "text/characters.h"
#include "text/utf8.h"

namespace gbkhex {
namespace {

// Enough bytes to tell a byte-order mark, whatever the chunk size.
constexpr std::size_t kStartBytes = 3;

// Where the first U+000A of `units` is (there is one): four units at a time,
// a lane that is 000A after the exclusive or being a zero lane.
std::size_t FindLineFeed(std::u16string_view units) noexcept {
  constexpr std::uint64_t kLineFeeds = 0x000A000A000A000Au;
  constexpr std::uint64_t kLowBits = 0x0001000100010001u;
  constexpr std::uint64_t kHighBits = 0x8000800080008000u;
  std::size_t at = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; at + 4 <= units.size(); at += 4) {
      std::uint64_t word;
      std::memcpy(&word, units.data() + at, sizeof word);
      const std::uint64_t x = word ^ kLineFeeds;
      const std::uint64_t zeros = (x - kLowBits) & ~x & kHighBits;
      if (zeros != 0) return at + static_cast<std::size_t>(std::countr_zero(zeros)) / 16;
    }
  }
  while (at < units.size() && units[at] != u'\n') ++at;
  return at;
}

const std::uint8_t* BytesOf(const char* text) noexcept {
  return reinterpret_cast<const std::uint8_t*>(text);
}

}  // namespace

ReadResult ReadInput(std::streambuf& in, char* buffer, std::size_t count) {
  ReadResult result;
  try {
    while (result.size < count) {
      const auto got = static_cast<std::size_t>(
          in.sgetn(buffer + result.size, static_cast<std::streamsize>(count - result.size)));
      if (got == 0) break;
      result.size += got;
    }
  } catch (const std::exception& failure) {
    // Whatever the stream buffer throws: a file's says why the system failed.
    result.failure = i18n::Fill(i18n::Tr("read error: %s"), {failure.what()});
  }
  return result;
}

InputReader::InputReader(TextCheck& check, bool codePage936, std::size_t chunkSize)
    : check_(check),
      codePage936_(codePage936),
      chunkSize_(chunkSize == 0 ? kDefaultChunkSize : chunkSize),
      // A cut-off character, then a chunk.
      bytes_(kMaxCharacterBytes + std::max(chunkSize_, kStartBytes)) {}

// Reads a chunk after the bytes that wait for more (a cut-off character, the
// start of a line), which move to the front first. The first chunk of an
// input says its encoding.
InputReader::Piece InputReader::ReadPiece(std::istream& in, std::string_view name, bool first,
                                          LineReceiver* bytesTo) {
  if (first) start_ = end_ = scanned_ = 0;
  if (start_ > 0) {
    std::memmove(bytes_.data(), bytes_.data() + start_, end_ - start_);
    end_ -= start_;
    scanned_ = std::max(scanned_, start_) - start_;
    start_ = 0;
  }
  const std::size_t asked = first ? std::max(chunkSize_, kStartBytes) : chunkSize_;
  if (bytes_.size() < end_ + asked) bytes_.resize(std::max(end_ + asked, 2 * bytes_.size()));
  ReadResult read = ReadInput(*in.rdbuf(), bytes_.data() + end_, asked);
  if (bytesTo != nullptr && read.size > 0) bytesTo->Bytes({bytes_.data() + end_, read.size});
  end_ += read.size;
  if (first) {
    const InputStart detected =
        DetectEncoding({BytesOf(bytes_.data()), std::min(end_, kStartBytes)}, codePage936_);
    encoding_ = detected.encoding;
    check_.StartInput(name, encoding_);
    start_ = scanned_ = detected.byteOrderMarkSize;
    offset_ = start_;
  }
  // A read delivers less than asked for only at the end of the input, or
  // where it fails.
  return {read.size < asked, std::move(read.failure)};
}

// Decodes `bytes`, which start `offset` bytes into the input, to units_ (room
// for as many units as bytes), one run of well-formed text at a time: each goes to `run(first unit,
// units, whether it may hold U+0000)`, then the ill-formed bytes after it are reported at
// `placeAfter(units so far)`, which moves past them.
template <typename Run, typename PlaceAfter>
InputReader::Decoded InputReader::Decode(std::span<const std::uint8_t> bytes, std::uint64_t offset,
                                         bool atEnd, Run&& run, PlaceAfter&& placeAfter) {
  Decoded decoded;
  for (;;) {
    const std::span<const std::uint8_t> rest = bytes.subspan(decoded.bytes);
    const DecodeStep step = DecodeInput(encoding_, rest, units_.data() + decoded.units, atEnd);
    // A 00 byte is U+0000 in UTF-8 and code page 936, and never part of
    // another character: most runs have none, which memchr sees at once.
    const bool mayHoldNul =
        IsUtf16(encoding_) || std::memchr(rest.data(), 0, step.bytesRead) != nullptr;
    run(decoded.units, std::u16string_view(units_.data() + decoded.units, step.unitsWritten),
        mayHoldNul);
    decoded.units += step.unitsWritten;
    decoded.bytes += step.bytesRead;
    if (step.illFormed == 0) return decoded;
    // Faults are judged with a byte after them at hand, wherever a chunk ends:
    // the next read brings it.
    if (!atEnd && decoded.bytes + step.illFormed == bytes.size()) return decoded;
    TextPosition& place = placeAfter(decoded.units);
    check_.IllFormed(
        place, offset + decoded.bytes, rest.subspan(step.bytesRead, step.illFormed), step.cutShort,
        rest.subspan(step.bytesRead, std::min<std::size_t>(2, rest.size() - step.bytesRead)));
    // An editor shows one replacement character there.
    AdvanceColumn(place, U'\uFFFD');
    decoded.bytes += step.illFormed;
    decoded.clean = false;
  }
}

void InputReader::ReadText(std::istream& in, std::string_view name, TextReceiver& receiver) {
  position_ = TextPosition{};
  // The bytes held never decode to more units.
  units_.resize(bytes_.size());
  for (bool first = true;; first = false) {
    const Piece piece = ReadPiece(in, name, first);
    // A character that a failed read cuts short is the failure's fault, not
    // one of its own.
    const Decoded decoded = Decode(
        {BytesOf(bytes_.data()) + start_, end_ - start_}, offset_,
        piece.atEnd && piece.failure.empty(),
        [&](std::size_t, std::u16string_view units, bool mayHoldNul) {
          CheckText(units, mayHoldNul, receiver);
        },
        [this](std::size_t) -> TextPosition& { return position_; });
    start_ += decoded.bytes;
    offset_ += decoded.bytes;
    if (!piece.failure.empty()) {
      return check_.Report(Fault{.kind = FaultKind::Read, .what = piece.failure});
    }
    if (piece.atEnd) return;
  }
}

// Every character of every input read as text passes here once, in input
// order.
void InputReader::CheckText(std::u16string_view units, bool mayHoldNul, TextReceiver& receiver) {
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
               [&receiver](std::u16string_view checked) { receiver.Text(checked); });
  Advance(place, units.substr(placeAt));
  position_ = place;
}

void InputReader::ReadLines(std::istream& in, std::string_view name, LineReceiver& receiver) {
  lineNumber_ = 0;
  for (bool first = true;; first = false) {
    const Piece piece = ReadPiece(in, name, first, &receiver);
    bulk_ = {};
    for (;;) {
      if (encoding_ == InputEncoding::Utf8 && bulk_.bytes == 0) DecodeAhead();
      const std::optional<std::string_view> line = NextLine();
      if (!line) break;
      Line(*line, false, receiver);
    }
    if (!piece.failure.empty()) {
      return check_.Report(Fault{.kind = FaultKind::Read, .what = piece.failure});
    }
    if (piece.atEnd) break;
  }
  bulk_ = {};
  if (start_ == end_) return;
  // The last line, which no line feed ends.
  lineOffset_ = offset_;
  const std::string_view rest(bytes_.data() + start_, end_ - start_);
  start_ = scanned_ = end_;
  Line(rest, true, receiver);
}

// The next whole line of the bytes read, without its line feed: one byte 0A
// (code page 936's trail bytes are never 0A), or a UTF-16 unit at an even
// offset.
std::optional<std::string_view> InputReader::NextLine() {
  const bool utf16 = IsUtf16(encoding_);
  if (!utf16) {
    const auto* found =
        static_cast<const char*>(std::memchr(bytes_.data() + scanned_, '\n', end_ - scanned_));
    scanned_ = found == nullptr ? end_ : static_cast<std::size_t>(found - bytes_.data());
  } else {
    const char* const bytes = bytes_.data();
    const std::size_t high = encoding_ == InputEncoding::Utf16Be ? 0 : 1;
    // scanned_ stays at an even distance from start_.
    std::size_t at = scanned_;
    while (at + 1 < end_ && !(bytes[at + 1 - high] == '\n' && bytes[at + high] == '\0')) at += 2;
    scanned_ = at;
  }
  const std::size_t lineFeedSize = utf16 ? 2 : 1;
  if (scanned_ + lineFeedSize > end_) return std::nullopt;
  const std::size_t lineFeed = scanned_;
  const std::string_view line(bytes_.data() + start_, lineFeed - start_);
  lineOffset_ = offset_;
  offset_ += line.size() + lineFeedSize;
  start_ = scanned_ = lineFeed + lineFeedSize;
  return line;
}

// UTF-8 is decoded many lines at a time, as far as it is well-formed: one call
// of the vector decoder for thousands of short lines rather than one each.
void InputReader::DecodeAhead() {
  const std::string_view unread(bytes_.data() + start_, end_ - start_);
  const std::size_t lastLineFeed = unread.rfind('\n');
  if (lastLineFeed == std::string_view::npos) return;
  const std::string_view lines = unread.substr(0, lastLineFeed + 1);
  if (bulkUnits_.size() < lines.size()) bulkUnits_.resize(lines.size());
  const Utf8Result decoded = DecodeUtf8({BytesOf(lines.data()), lines.size()}, bulkUnits_.data());
  bulk_ = {decoded.bytesRead, 0, decoded.unitsWritten,
           std::memchr(lines.data(), 0, decoded.bytesRead) != nullptr};
}

void InputReader::Line(std::string_view raw, bool last, LineReceiver& receiver) {
  ++lineNumber_;
  // The line and its line feed, decoded ahead already.
  if (raw.size() < bulk_.bytes) {
    const std::u16string_view ahead(bulkUnits_.data() + bulk_.unit, bulk_.units - bulk_.unit);
    const std::u16string_view units = ahead.substr(0, FindLineFeed(ahead));
    bulk_.bytes -= raw.size() + 1;
    bulk_.unit += units.size() + 1;
    if (bulk_.mayHoldNul && std::memchr(raw.data(), 0, raw.size()) != nullptr) {
      return ReportNuls(units);
    }
    return receiver.Line({units, raw, lineNumber_});
  }
  bulk_.bytes = 0;
  const std::optional<std::u16string_view> units = DecodeLine(raw, last);
  if (!units) return;
  if (encoding_ == InputEncoding::Utf8) return receiver.Line({*units, raw, lineNumber_});
  utf8_.clear();
  for (std::size_t at = 0; at < units->size(); at += UnitsOfCharacterAt(*units, at)) {
    AppendUtf8(CodePointAt(*units, at), utf8_);
  }
  receiver.Line({*units, utf8_, lineNumber_});
}

// Decodes the line alone, reporting what is no text in it; nothing if there
// is any. The line feed is decoded with it: a character that the line cuts
// short is ill-formed before it as before any other byte, and only the last
// line can end inside one.
std::optional<std::u16string_view> InputReader::DecodeLine(std::string_view raw, bool last) {
  const std::size_t lineFeedSize = last ? 0 : IsUtf16(encoding_) ? 2 : 1;
  const std::size_t size = raw.size() + lineFeedSize;
  if (units_.size() < size) units_.resize(std::max(size, 2 * units_.size()));
  TextPosition place{lineNumber_, 1};
  std::size_t placed = 0;  // the units that `place` stands after
  const auto placeAfter = [&](std::size_t unit) -> TextPosition& {
    Advance(place, std::u16string_view(units_.data() + placed, unit - placed));
    placed = unit;
    return place;
  };
  bool clean = true;
  const Decoded decoded = Decode(
      {BytesOf(raw.data()), size}, lineOffset_, true,
      [&](std::size_t first, std::u16string_view units, bool mayHoldNul) {
        if (!mayHoldNul) return;
        for (std::size_t nul = units.find(u'\0'); nul != std::u16string_view::npos;
             nul = units.find(u'\0', nul + 1)) {
          clean = false;
          check_.Nul(placeAfter(first + nul));
        }
      },
      placeAfter);
  if (!clean || !decoded.clean) return std::nullopt;
  return std::u16string_view(units_.data(), decoded.units - (last ? 0 : 1));
}

void InputReader::ReportNuls(std::u16string_view units) {
  TextPosition place{lineNumber_, 1};
  std::size_t placed = 0;
  for (std::size_t nul = units.find(u'\0'); nul != std::u16string_view::npos;
       nul = units.find(u'\0', nul + 1)) {
    if (check_.ListsNextError()) {
      Advance(place, units.substr(placed, nul - placed));
      placed = nul;
    }
    check_.Nul(place);
  }
}

}  // namespace gbkhex
