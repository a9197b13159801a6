#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "errors.h"

namespace cntr {

namespace {

// The file a chain of symbolic links ends at (the path itself when it is no link).
std::string followLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::vector<char> target(static_cast<std::size_t>(info.st_size) + 256);
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return path;
    std::string next(target.data(), static_cast<std::size_t>(n));
    const auto slash = path.rfind('/');
    if (next[0] != '/' && slash != std::string::npos)
      next = concat({std::string_view(path).substr(0, slash + 1), next});
    path = next;
  }
  return path;
}

// False (errno set) when the bytes could not all be written.
bool writeAll(int fd, const char* data, std::size_t size, std::uint64_t offset, bool positioned) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = positioned ? ::pwrite(fd, data + done, size - done, static_cast<off_t>(offset + done))
                                 : ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

OutputFile::OutputFile(const std::string& path, bool rewritable)
    : name_(path == "-" ? "standard output" : path) {
  if (path == "-") {
    destination_ = STDOUT_FILENO;
  } else {
    target_ = followLinks(path);
    // A device or a pipe cannot be replaced by renaming: it is written in place.
    struct stat info {};
    if (::stat(target_.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
      destination_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
      if (destination_ < 0) fail("open");
    }
  }
  if (destination_ >= 0 && !rewritable) {
    fd_ = destination_;
    return;
  }
  const auto slash = target_.rfind('/');
  const std::string_view directory =
      std::string_view(target_).substr(0, slash == std::string::npos ? 0 : slash + 1);
  temporary_ = destination_ >= 0
                   ? concat({P_tmpdir, "/cntr-output.XXXXXX"})
                   : concat({directory, ".", std::string_view(target_).substr(directory.size()), ".XXXXXX"});
  fd_ = ::mkstemp(temporary_.data());
  if (fd_ < 0) fail("cannot create a temporary file");
  if (destination_ >= 0) {
    // Only a spool for the destination: it needs no name.
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

OutputFile::~OutputFile() {
  if (fd_ >= 0 && fd_ != destination_) ::close(fd_);
  if (destination_ > STDOUT_FILENO) ::close(destination_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

void OutputFile::fail(const char* what) const {
  throw OutputError(concat({"cannot write ", name_, ": ", what, ": ", std::strerror(errno)}));
}

void OutputFile::write(std::string_view bytes) {
  if (!writeAll(fd_, bytes.data(), bytes.size(), 0, false)) fail("write");
}

void OutputFile::rewriteAt(std::uint64_t offset, std::string_view bytes) {
  if (!writeAll(fd_, bytes.data(), bytes.size(), offset, true)) fail("write");
}

void OutputFile::commit() {
  if (fd_ == destination_) {
    committed_ = true;
    return;
  }
  if (destination_ >= 0) {
    // The gathered bytes, copied to the destination.
    std::vector<char> buffer(1 << 16);
    if (::lseek(fd_, 0, SEEK_SET) != 0) fail("rewind");
    for (;;) {
      const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) fail("read back");
      if (n == 0) break;
      if (!writeAll(destination_, buffer.data(), static_cast<std::size_t>(n), 0, false)) fail("write");
    }
    committed_ = true;
    return;
  }
  // mkstemp makes the file private; give it the usual permissions a new file would get.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd_, 0666 & ~mask) != 0) fail("set permissions");
  if (::fsync(fd_) != 0) fail("flush");
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) fail("close");
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) fail("rename");
  committed_ = true;
}

}  // namespace cntr
