#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace cntr {

/// A place in a text input: 1-based line and column (columns count bytes).
struct Position {
  std::size_t line = 1;
  std::size_t column = 1;
};

/// A file (or standard input) read a buffer at a time, one byte after another, with the line
/// and column of each: readers never hold more of the input than the shape at hand.
class CharSource {
 public:
  /// Opens `path` ("-" is standard input). Throws InputError naming the file when it cannot
  /// be opened or is a directory.
  explicit CharSource(const std::string& path);
  /// Reads `text` from memory, named `source` in messages.
  CharSource(std::string source, std::string text);
  ~CharSource();
  CharSource(const CharSource&) = delete;
  CharSource& operator=(const CharSource&) = delete;

  /// The name used in messages: the path, or "<stdin>".
  const std::string& source() const { return source_; }
  /// The next byte (0-255), or -1 at the end of the input.
  int peek() {
    if (begin_ == end_ && !refill()) return -1;
    return static_cast<unsigned char>(buffer_[begin_]);
  }
  /// Takes the next byte (-1 at the end).
  int get();
  /// Skips white space; returns the next byte as peek() does.
  int skipSpace();
  /// Reads up to `n` bytes into `out`; returns how many were read (fewer only at the end).
  std::size_t read(unsigned char* out, std::size_t n);
  /// Where the next byte stands.
  Position position() const { return position_; }
  /// Throws InputError at `at` in this input.
  [[noreturn]] void fail(Position at, const std::string& message) const;

 private:
  bool refill();

  std::string source_;
  int fd_ = 0;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  Position position_;
};

}  // namespace cntr
