#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace gbkhex::cli {

// What went wrong. Every fault of a run, whatever found it, travels as a
// Fault and is written by FaultLine alone.
enum class FaultKind {
  Open,          // an input that cannot be opened
  Read,          // a read that failed
  IllFormed,     // bytes that are no text in the input's encoding
  Nul,           // U+0000, which would end a C string early
  NotInCharset,  // a character that the charset does not hold exactly
  Substituted,   // --lossy: characters written as the window writes them
  Dump,          // --decode: no dump of code page 936 bytes
  EmptyArray,    // an array would have no bytes
  Table,         // a string table's line that is no entry, or a name that clashes
  LongLiteral,   // a string literal longer than C99 promises to compile
  Undrawable,    // --glyphs: a character that no glyph is made for
  Output,        // the output cannot be written
};

enum class Severity { Error, Warning };

struct Fault {
  FaultKind kind = FaultKind::IllFormed;
  Severity severity = Severity::Error;
  // The input's name as the user gave it ("standard input" for -), or empty
  // for a fault of no input (the output).
  std::string input{};
  // From 1, columns as display columns; 0 when the fault has no place in a text.
  std::uint64_t line = 0;
  std::uint64_t column = 0;
  std::optional<std::uint64_t> byteOffset{};
  std::string what{};
  // Advice that follows the fault itself, after "; ".
  std::string hint{};
};

// The one line, without its line break, that reports `fault`. One with a place
// is written as compilers write theirs, for editors to jump to:
//   NAME:LINE:COLUMN: error: WHAT at byte offset N; HINT
// one without names the program:
//   gbkhex-cli: NAME: WHAT at byte offset N; HINT
// and a warning without a place says so:
//   gbkhex-cli: warning: WHAT
std::string FaultLine(const Fault& fault);

// ": " and the system's text for errno value `error`, or "" for 0: streams
// keep errno but do not promise to, so an unset one just gives no reason.
std::string SystemReason(int error);

// A fault after which nothing more can be done: the output refused bytes.
class FatalFault : public std::exception {
 public:
  explicit FatalFault(Fault fault) : fault_(std::move(fault)), line_(FaultLine(fault_)) {}
  const Fault& fault() const noexcept { return fault_; }
  const char* what() const noexcept override { return line_.c_str(); }

 private:
  Fault fault_;
  std::string line_;
};

// Where the faults of a run go, as they are found, so that they come in input
// order and memory stays flat: the first kMaxListed errors are written, the
// rest counted and summed up in one line by Finish. Warnings are always written.
class FaultReport {
 public:
  static constexpr std::uint64_t kMaxListed = 100;

  // `beforeWriting` runs before every line written: what the output holds so
  // far must reach the terminal before the message that follows it.
  explicit FaultReport(std::ostream& err, std::function<void()> beforeWriting = {})
      : err_(err), beforeWriting_(std::move(beforeWriting)) {}

  void Add(const Fault& fault);

  // Whether the next error is listed: a caller may spare working out the place
  // of one that is only counted.
  bool ListsNextError() const noexcept { return errors_ < kMaxListed; }

  std::uint64_t Errors() const noexcept { return errors_; }

  // The line that counts the errors not listed, if there were any.
  void Finish();

 private:
  void Write(const std::string& line);

  std::ostream& err_;
  std::function<void()> beforeWriting_;
  std::uint64_t errors_ = 0;
};

}  // namespace gbkhex::cli
