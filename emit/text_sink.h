#pragma once

#include <string>
#include <string_view>

namespace gbkhex {

// Where a writer's text goes: a file, standard output, a window's text. A
// writer hands it text a piece at a time (a chunk, an entry, a glyph), never a
// character at a time.
class TextSink {
 public:
  virtual void Write(std::string_view text) = 0;

  // The text gathered so far, for a writer of many small pieces to append to
  // in place (what Write would copy there); Gathered() after appending.
  virtual std::string& Gathering() noexcept = 0;
  virtual void Gathered() = 0;
  // Whether all that is written stays in Gathering() until the sink is done,
  // so that a writer may go back over it (to fill in what it learns last).
  virtual bool HoldsAll() const noexcept { return false; }
  // Hands on what is gathered, where a sink holds text back: once a writer
  // is done, before the messages that follow its output.
  virtual void Flush() {}

 protected:
  ~TextSink() = default;
};

// All of a writer's text in one string: for tests, and for a front end that
// shows or offers the output whole.
class StringSink final : public TextSink {
 public:
  void Write(std::string_view text) override { text_.append(text); }
  std::string& Gathering() noexcept override { return text_; }
  void Gathered() override {}
  const std::string& Text() const noexcept { return text_; }

 private:
  std::string text_;
};

}  // namespace gbkhex
