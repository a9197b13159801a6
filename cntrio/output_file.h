#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace cntr {

/// An output written whole or not at all: bytes go to a temporary file beside the target (the
/// target of a symbolic link, so that the link stays), renamed over it by commit(). Standard
/// output ("-"), devices and pipes are written as the bytes come, unless `rewritable`: then
/// the bytes are gathered in a temporary file first, so that rewriteAt() works there too.
/// Every failure throws OutputError naming the path; an output not committed leaves no file
/// behind.
class OutputFile {
 public:
  OutputFile(const std::string& path, bool rewritable);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(std::string_view bytes);
  /// Writes over bytes already written at `offset` (a rewritable output only).
  void rewriteAt(std::uint64_t offset, std::string_view bytes);
  void commit();
  /// "standard output" or the path as given.
  const std::string& name() const { return name_; }

 private:
  [[noreturn]] void fail(const char* what) const;

  std::string name_;
  std::string target_;
  std::string temporary_;
  int fd_ = -1;
  int destination_ = -1;  // written in place (standard output, a device), or -1
  bool committed_ = false;
};

}  // namespace cntr
