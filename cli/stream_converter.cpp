#include "cli/stream_converter.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

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

}  // namespace

std::string ErrnoReason(int error) {
  return error == 0 ? std::string() : ": " + std::generic_category().message(error);
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
  for (;;) {
    errno = 0;
    in.read(reinterpret_cast<char*>(input_.data() + carry),
            static_cast<std::streamsize>(options_.chunkSize));
    if (in.bad()) throw fail("read error" + ErrnoReason(errno));
    const auto got = static_cast<std::size_t>(in.gcount());
    // read() delivers less than asked for only at the end of the input.
    const bool atEnd = got < options_.chunkSize;
    const std::size_t held = carry + got;

    const Utf8Result decoded = DecodeUtf8({input_.data(), held}, units_.data());
    std::u16string_view units(units_.data(), decoded.unitsWritten);
    if (offset == 0 && !units.empty() && units.front() == kByteOrderMark) {
      units.remove_prefix(1);
    }
    Emit(units);
    offset += decoded.bytesRead;

    if (decoded.status == Utf8Status::Invalid) {
      throw fail("invalid UTF-8 at byte offset " + std::to_string(offset));
    }
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

void StreamConverter::Emit(std::u16string_view units) {
  if (units.empty()) return;
  output_.clear();
  // The declaration opens with the first byte, so that an empty input, which
  // no C array can hold, leaves no half-written declaration behind.
  if (!options_.arrayName.empty() && ByteCount() == 0) {
    output_.append("const unsigned char ").append(options_.arrayName).append("[] = {");
    output_.append(kLineBreak);
  }
  writer_.Append(units, output_);
  Write(output_);
}

void StreamConverter::Finish() {
  if (!options_.arrayName.empty()) WriteArrayEnd();
  errno = 0;
  if (!out_.flush()) throw OutputError("cannot write the output" + ErrnoReason(errno));
}

void StreamConverter::WriteArrayEnd() {
  if (ByteCount() == 0) {
    throw InputError("the input is empty, and a C array needs at least one byte");
  }
  std::string end;
  if (writer_.LineIsOpen()) end.append(kLineBreak);
  end.append("};").append(kLineBreak);
  end.append("const unsigned long ").append(options_.arrayName).append("_len = ");
  end.append(std::to_string(ByteCount())).append(";").append(kLineBreak);
  Write(end);
}

void StreamConverter::Write(std::string_view text) {
  errno = 0;
  if (!out_.write(text.data(), static_cast<std::streamsize>(text.size()))) {
    throw OutputError("cannot write the output" + ErrnoReason(errno));
  }
}

}  // namespace gbkhex::cli
