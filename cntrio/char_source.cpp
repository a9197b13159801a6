#include "char_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "errors.h"

namespace cntr {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

[[noreturn]] void failOpen(const std::string& source, const char* what) {
  throw InputError(source, 0, 0, concat({"cannot read: ", what}));
}

}  // namespace

CharSource::CharSource(const std::string& path)
    : source_(path == "-" ? "<stdin>" : path), buffer_(kBufferSize) {
  if (path != "-") {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) failOpen(source_, std::strerror(errno));
  }
  struct stat info {};
  if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
    if (fd_ != 0) ::close(fd_);
    failOpen(source_, "it is a directory");
  }
}

CharSource::CharSource(std::string source, std::string text)
    : source_(std::move(source)), fd_(-1), buffer_(text.begin(), text.end()), end_(buffer_.size()) {}

CharSource::~CharSource() {
  if (fd_ > 0) ::close(fd_);
}

bool CharSource::refill() {
  if (fd_ < 0) return false;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failOpen(source_, std::strerror(errno));
    begin_ = 0;
    end_ = static_cast<std::size_t>(n);
    return n > 0;
  }
}

int CharSource::get() {
  const int c = peek();
  if (c < 0) return c;
  ++begin_;
  if (c == '\n') {
    ++position_.line;
    position_.column = 1;
  } else {
    ++position_.column;
  }
  return c;
}

int CharSource::skipSpace() {
  int c = peek();
  while (c >= 0 && std::isspace(c)) {
    get();
    c = peek();
  }
  return c;
}

std::size_t CharSource::read(unsigned char* out, std::size_t n) {
  std::size_t done = 0;
  while (done < n && peek() >= 0) {
    const std::size_t chunk = std::min(n - done, end_ - begin_);
    std::memcpy(out + done, buffer_.data() + begin_, chunk);
    begin_ += chunk;
    done += chunk;
  }
  return done;
}

void CharSource::fail(Position at, const std::string& message) const {
  throw InputError(source_, at.line, at.column, message);
}

}  // namespace cntr
