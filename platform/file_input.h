#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <istream>
#include <memory>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "i18n/messages.h"
#include "platform/output_file.h"
#include "table/table_run.h"
#include "text/input_reader.h"

namespace gbkhex::platform {

// A read that failed; what() is the system's reason.
class ReadFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Input from a C stream. The standard streams take a failed read for the end
// of the input, which would end a conversion early with exit status 0; this one
// throws ReadFailure instead, out of sgetn and out of istream::read alike.
class FileInputBuffer : public std::streambuf {
 public:
  explicit FileInputBuffer(std::FILE* file) noexcept : file_(file) {}

 protected:
  std::streamsize xsgetn(char* buffer, std::streamsize count) override;
  int_type underflow() override;

 private:
  std::size_t Read(char* buffer, std::size_t count);

  std::FILE* file_;
  int failure_ = 0;  // errno of a failed read, reported by the next one
  char last_ = 0;    // the byte that underflow makes available
};

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file for reading in binary mode by its UTF-8 name (through the wide
// file API on Windows, so that any name works). Null on failure, with errno set.
FilePointer OpenForReading(const std::string& utf8Name);

struct WholeInput {
  std::string text;
  std::string failure;  // as ReadResult's
};

// The whole of `in`, or what came before a failed read.
WholeInput ReadWhole(std::istream& in);

// How faults and messages name standard input.
// The name of standard input in messages, in the user's language.
inline std::string_view StandardInputName() { return i18n::Tr("standard input"); }

// Hands each input in turn to `use(stream, name)` ("-" is standard input; no
// inputs at all means standard input too), opening files as it comes to them.
// One that cannot be opened goes to `refuse` as a fault, and the inputs after
// it are still read, for their faults.
template <typename Use, typename Refuse>
void ForEachInput(const std::vector<std::string>& inputs, std::istream& standardInput, Use use,
                  Refuse refuse) {
  if (inputs.empty()) use(standardInput, StandardInputName());
  for (const std::string& input : inputs) {
    if (input == "-") {
      use(standardInput, StandardInputName());
      continue;
    }
    errno = 0;
    const FilePointer file = OpenForReading(input);
    if (!file) {
      refuse(Fault{.kind = FaultKind::Open,
                   .input = input,
                   .what = i18n::Fill(i18n::Tr("cannot open%s"), {SystemReason(errno)})});
      continue;
    }
    FileInputBuffer buffer(file.get());
    std::istream stream(&buffer);
    use(stream, input);
  }
}

// The inputs of a table run, read as ForEachInput reads them.
inline TableInputs TableInputsOf(std::vector<std::string> inputs, std::istream& standardInput) {
  return [inputs = std::move(inputs), &standardInput](TableReader& reader) {
    ForEachInput(
        inputs, standardInput,
        [&reader](std::istream& in, std::string_view name) { reader.Read(in, name); },
        [&reader](const Fault& fault) { reader.Refuse(fault); });
  };
}

}  // namespace gbkhex::platform
