#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <utility>

namespace gbkhex {

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

// Where the faults of a reading go as they are found. The reader asks
// whether the next error is listed, so that it may spare working out the place
// of one that is only counted.
class FaultSink {
 public:
  virtual void Add(const Fault& fault) = 0;
  virtual bool ListsNextError() const noexcept = 0;

 protected:
  ~FaultSink() = default;
};

// A fault after which nothing more can be done: the output refused bytes.
class FatalFault : public std::exception {
 public:
  explicit FatalFault(Fault fault) : fault_(std::move(fault)) {}
  const Fault& fault() const noexcept { return fault_; }
  const char* what() const noexcept override { return fault_.what.c_str(); }

 private:
  Fault fault_;
};

}  // namespace gbkhex
