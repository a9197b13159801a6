#pragma once
#include <cstddef>
#include <stdexcept>
#include <string>

#include "text.h"

class sgException;

namespace cntr {

/// Input that cannot be read: a syntax error or a value of the wrong kind. Exit code 2.
/// `line` and `column` are 1-based; 0 means the position is not known (an archive, or a
/// JSON value named by its path inside `message`).
class InputError : public std::runtime_error {
 public:
  InputError(std::string file, std::size_t line, std::size_t column, const std::string& message);
  const std::string& file() const { return file_; }
  std::size_t line() const { return line_; }
  std::size_t column() const { return column_; }
  /// "file:line:column: message", or "file: message" without a position.
  std::string describe() const;

 private:
  std::string file_;
  std::size_t line_;
  std::size_t column_;
};

/// A command line that asks for something impossible (beyond what the parser checks). Exit code 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// One shape cannot undergo the operation asked for (say, an open contour has no inside).
/// Counted like a library failure: the batch goes on.
class ShapeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// An output file that could not be written. Exit code 1.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The class, number and message of a library error, e.g.
/// "sgContourDefs::EmptyContour (error 0x10004680): (no message)".
std::string describeLibraryError(const sgException& error);

/// Describes the exception being handled (library, tool or standard), for per-shape reports.
/// Must be called inside a catch block.
std::string describeCurrentException();

}  // namespace cntr
