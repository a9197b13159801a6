#include "lynstd/archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <system_error>

#include "exception_level.h"
#include "lynstd/handle.h"
#include "utf8.h"

static_assert(sizeof(int) == 4 && sizeof(long) == 8 && sizeof(double) == 8,
              "the archive's fixed encoding assumes an LP64 platform");
static_assert(sizeof(wchar_t) == 4, "wide characters are stored as 4-byte code points");

using sgdetail::rethrowAsOwnType;

// ---- Errors

sgArchive::Error::~Error() = default;
long sgArchive::Error::errorNumber() const { return sgdetail::kArchiveError; }
void sgArchive::Error::suicideAndRethrow() { rethrowAsOwnType(this); }

namespace {

std::wstring describeVersionRefusal(const char* source, int number) {
  std::wstring where = source ? sgdetail::decodeUtf8(source) + L", " : std::wstring();
  return L"unknown archive version (" + where + std::to_wstring(number) + L")";
}

std::wstring describeSystemError(const std::string& action, const std::string& path, int err) {
  return sgdetail::decodeUtf8(action + " '" + path + "': " + std::generic_category().message(err));
}

}  // namespace

sgArchive::UnknownVersion::UnknownVersion(const char* source, int number)
    : Error(describeVersionRefusal(source, number)), source_(source ? source : ""), number_(number) {}
sgArchive::UnknownVersion::~UnknownVersion() = default;
long sgArchive::UnknownVersion::errorNumber() const { return sgdetail::kUnknownVersion; }
void sgArchive::UnknownVersion::suicideAndRethrow() { rethrowAsOwnType(this); }

void sgArchive::UnknownVersion::dispatchSerialize(sgArchive& ar) {
  sgdetail::serializeExceptionLevel(ar, this, "sgArchive::UnknownVersion", [&] {
    Error::dispatchSerialize(ar);
    ar || source_ || number_;
  });
}

sgArchive::EndOfData::EndOfData() : Error(L"archive ended in the middle of a value") {}
sgArchive::EndOfData::~EndOfData() = default;
long sgArchive::EndOfData::errorNumber() const { return sgdetail::kEndOfData; }
void sgArchive::EndOfData::suicideAndRethrow() { rethrowAsOwnType(this); }

sgArchive::Corrupt::Corrupt(const std::wstring& what) : Error(what) {}
sgArchive::Corrupt::~Corrupt() = default;
long sgArchive::Corrupt::errorNumber() const { return sgdetail::kCorrupt; }
void sgArchive::Corrupt::suicideAndRethrow() { rethrowAsOwnType(this); }

// ---- The archive

sgArchive::sgArchive() : storing_(true) {}
sgArchive::sgArchive(std::vector<unsigned char> bytes) : storing_(false), buf_(std::move(bytes)) {}

sgArchive::~sgArchive() {
  for (auto it = keptAlive_.rbegin(); it != keptAlive_.rend(); ++it) (*it)->release();
}

sgArchive::NestingScope::NestingScope(sgArchive& ar) : ar_(ar) {
  if (ar_.depth_ >= kMaxDepth) {
    const std::wstring what = L"objects nested deeper than " + std::to_wstring(kMaxDepth) + L" levels";
    if (ar_.storing_) throw Error(what + L" cannot be stored");
    throw Corrupt(what);
  }
  ++ar_.depth_;
}

sgArchive::NestingScope::~NestingScope() {
  if (--ar_.depth_ == 0) ar_.visited_.clear();
}

void sgArchive::raw(void* data, std::size_t n) {
  if (n == 0) return;
  auto* bytes = static_cast<unsigned char*>(data);
  if (storing_) {
    buf_.insert(buf_.end(), bytes, bytes + n);
    return;
  }
  if (n > remaining()) throw EndOfData();
  std::memcpy(bytes, buf_.data() + pos_, n);
  pos_ += n;
}

void sgArchive::checkCount(std::uint64_t count, std::size_t minBytes) const {
  if (storing_) return;
  const std::size_t perElement = minBytes ? minBytes : 1;
  if (count > remaining() / perElement)
    throw Corrupt(L"element count " + std::to_wstring(count) + L" exceeds the " +
                  std::to_wstring(remaining()) + L" bytes left");
}

// ---- Files

namespace {

// Closes a descriptor on every path out of a function.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, so that a failing close (a late write error) can be reported.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool writeAll(int fd, const unsigned char* data, std::size_t n) {
  while (n > 0) {
    const ssize_t written = ::write(fd, data, n);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    n -= static_cast<std::size_t>(written);
  }
  return true;
}

// A new file beside `path` that no other writer uses: the name carries the process id and a
// per-process counter, and O_EXCL refuses a leftover of an earlier process.
int createTemporaryBeside(const std::string& path, std::string& tmpPath) {
  static std::atomic<unsigned long> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tmpPath = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
    const int fd = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

sgArchive* sgArchive::openForLoading(const std::string& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) throw Error(describeSystemError("cannot open archive file", path, errno));
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) throw Error(describeSystemError("cannot read", path, errno));
  // Only regular files: a directory or a pipe has no definite end to read up to.
  if (!S_ISREG(info.st_mode))
    throw Error(describeSystemError("cannot read", path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL));

  std::vector<unsigned char> bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  unsigned char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw Error(describeSystemError("cannot read", path, errno));
    if (got == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return new sgArchive(std::move(bytes));
}

void sgArchive::writeFile(const std::string& path) const {
  std::string tmpPath;
  FileDescriptor file(createTemporaryBeside(path, tmpPath));
  if (file.get() < 0) throw Error(describeSystemError("cannot create a file beside", path, errno));
  // The old file is replaced only once the new one is complete and on disk.
  const bool written = writeAll(file.get(), buf_.data(), buf_.size()) && ::fsync(file.get()) == 0;
  const int writeErr = errno;
  if (!file.close() || !written || std::rename(tmpPath.c_str(), path.c_str()) != 0) {
    const int err = written ? errno : writeErr;
    ::unlink(tmpPath.c_str());
    throw Error(describeSystemError("cannot write archive file", path, err));
  }
}

// ---- Value encodings

namespace {

// Stores or loads an unsigned integer as sizeof(U) little-endian bytes.
template <class U>
void transferLittleEndian(sgArchive& ar, U& v) {
  unsigned char bytes[sizeof(U)];
  if (ar.isStoring())
    for (std::size_t i = 0; i < sizeof(U); ++i) bytes[i] = static_cast<unsigned char>(v >> (8 * i));
  ar.raw(bytes, sizeof bytes);
  if (ar.isLoading()) {
    U loaded = 0;
    for (std::size_t i = 0; i < sizeof(U); ++i) loaded = static_cast<U>(loaded | (U(bytes[i]) << (8 * i)));
    v = loaded;
  }
}

// Stores or loads a value through the unsigned wire type W of the same size (two's complement
// for signed types, IEEE 754 bits for doubles, so NaN payloads survive).
template <class W, class T>
void transferAs(sgArchive& ar, T& v) {
  static_assert(sizeof(W) == sizeof(T));
  W wire = std::bit_cast<W>(v);
  transferLittleEndian(ar, wire);
  if (ar.isLoading()) v = std::bit_cast<T>(wire);
}

constexpr std::uint32_t kMaxCodePoint = 0x10FFFF;

}  // namespace

sgArchive& operator||(sgArchive& ar, unsigned char& v) {
  transferLittleEndian(ar, v);
  return ar;
}

sgArchive& operator||(sgArchive& ar, bool& v) {
  unsigned char byte = v ? 1 : 0;
  ar || byte;
  if (ar.isLoading()) {
    if (byte > 1) throw sgArchive::Corrupt(L"bool stored as " + std::to_wstring(byte));
    v = byte == 1;
  }
  return ar;
}

sgArchive& operator||(sgArchive& ar, unsigned short& v) {
  transferLittleEndian(ar, v);
  return ar;
}

sgArchive& operator||(sgArchive& ar, int& v) {
  transferAs<std::uint32_t>(ar, v);
  return ar;
}

sgArchive& operator||(sgArchive& ar, long& v) {
  transferAs<std::uint64_t>(ar, v);
  return ar;
}

sgArchive& operator||(sgArchive& ar, unsigned long& v) {
  transferAs<std::uint64_t>(ar, v);
  return ar;
}

sgArchive& operator||(sgArchive& ar, double& v) {
  transferAs<std::uint64_t>(ar, v);
  return ar;
}

sgArchive& operator||(sgArchive& ar, sgVector<2>& v) { return ar || v[0] || v[1]; }

sgArchive& operator||(sgArchive& ar, sgMatrix<2>& v) {
  double a[4] = {v(0, 0), v(0, 1), v(1, 0), v(1, 1)};
  ar || a[0] || a[1] || a[2] || a[3];
  if (ar.isLoading()) {
    for (int i = 0; i < 4; ++i) v.set(i / 2, i % 2, a[i]);
    v.setdt();
  }
  return ar;
}

sgArchive& operator||(sgArchive& ar, sgXform<2>& v) {
  sgMatrix<2> m = v.matrix();
  sgVector<2> t = v.trans();
  ar || m || t;
  if (ar.isLoading()) v = sgXform<2>(m, t);
  return ar;
}

sgArchive& operator||(sgArchive& ar, std::string& v) {
  unsigned long count = v.size();
  ar || count;
  if (ar.isLoading()) {
    ar.checkCount(count, 1);
    v.resize(count);
  }
  ar.raw(v.data(), v.size());
  return ar;
}

sgArchive& operator||(sgArchive& ar, std::wstring& v) {
  unsigned long count = v.size();
  ar || count;
  if (ar.isStoring()) {
    for (wchar_t c : v) {
      auto code = static_cast<std::uint32_t>(c);
      if (code > kMaxCodePoint)
        throw sgArchive::Error(L"wide character " + std::to_wstring(code) + L" is not a code point");
      transferLittleEndian(ar, code);
    }
    return ar;
  }
  ar.checkCount(count, sizeof(std::uint32_t));
  std::wstring loaded(count, L'\0');
  for (wchar_t& c : loaded) {
    std::uint32_t code = 0;
    transferLittleEndian(ar, code);
    if (code > kMaxCodePoint)
      throw sgArchive::Corrupt(L"wide character " + std::to_wstring(code) + L" is not a code point");
    c = static_cast<wchar_t>(code);
  }
  v.swap(loaded);
  return ar;
}
