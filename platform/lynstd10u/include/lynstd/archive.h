#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "lynstd/exceptions.h"
#include "lynstd/xform.h"

class sgRepBase;

/// A byte-stream archive that either stores or loads. One symmetric operator `||` per value
/// type stores the value when storing and overwrites it when loading, so a record is written
/// once as a sequence of operations.
///
/// Encoding (fixed, little-endian): unsigned char and bool 1 byte (bool 0 or 1, other values
/// refused); int 4 bytes; long and unsigned long 8 bytes two's complement; double 8 bytes IEEE
/// 754; sgVector<2> two doubles; strings as an 8-byte count followed by the characters (wide
/// characters 4 bytes each). Objects behind pointers are written once and referred to by number
/// afterwards (see sgPersistent::serializePointer).
///
/// Loading never trusts the input: a read past the end throws EndOfData, an impossible value or
/// an element count larger than the bytes left throws Corrupt, and nesting of objects deeper
/// than `kMaxDepth` throws Corrupt, before anything is allocated for it.
class LYNSTD_API sgArchive {
 public:
  /// Base of the archive's own errors.
  class LYNSTD_API Error : public sgExceptionWithString {
   public:
    explicit Error(const std::wstring& msg) : sgExceptionWithString(msg) {}
    ~Error() override;
    long errorNumber() const override;
    void suicideAndRethrow() override;
  };
  /// A record carries a version number that the reading class does not know.
  class LYNSTD_API UnknownVersion : public Error {
   public:
    UnknownVersion(const char* source, int number);
    ~UnknownVersion() override;
    long errorNumber() const override;
    void suicideAndRethrow() override;
    /// Where the refusal was made (may be empty for a null source) and its number.
    const std::string& source() const { return source_; }
    int number() const { return number_; }

   protected:
    void dispatchSerialize(sgArchive& ar) override;

   private:
    std::string source_;
    int number_;
  };
  /// The input ended in the middle of a value.
  class LYNSTD_API EndOfData : public Error {
   public:
    EndOfData();
    ~EndOfData() override;
    long errorNumber() const override;
    void suicideAndRethrow() override;
  };
  /// The input holds a value that cannot be what was written (bad tag, count, object number,
  /// unregistered class, nesting too deep).
  class LYNSTD_API Corrupt : public Error {
   public:
    explicit Corrupt(const std::wstring& what);
    ~Corrupt() override;
    long errorNumber() const override;
    void suicideAndRethrow() override;
  };

  static constexpr int kMaxDepth = 256;

  /// A storing archive writing into its own buffer (see `bytes()`).
  sgArchive();
  /// A loading archive reading `bytes`.
  explicit sgArchive(std::vector<unsigned char> bytes);
  sgArchive(const sgArchive&) = delete;
  sgArchive& operator=(const sgArchive&) = delete;
  /// Releases the references it holds to loaded objects.
  ~sgArchive();

  /// Reads a whole file into a loading archive; throws Error when it cannot be read.
  static sgArchive* openForLoading(const std::string& path);
  /// Writes the stored bytes to a file (whole, through a temporary file renamed at the end);
  /// throws Error on failure.
  void writeFile(const std::string& path) const;

  bool isStoring() const { return storing_; }
  bool isLoading() const { return !storing_; }
  /// The bytes written so far (storing) or the whole input (loading).
  const std::vector<unsigned char>& bytes() const { return buf_; }
  /// Bytes not yet read (loading); 0 when storing.
  std::size_t remaining() const { return storing_ ? 0 : buf_.size() - pos_; }

  /// Stores or loads n raw bytes.
  void raw(void* data, std::size_t n);
  /// Loading: throws Corrupt unless `count` elements of at least `minBytes` each can still follow.
  void checkCount(std::uint64_t count, std::size_t minBytes) const;

 private:
  friend class sgPersistent;
  /// One nested object record (used by sgPersistent): refuses nesting deeper than kMaxDepth
  /// and drops the pass's visited marks when the outermost record ends.
  class NestingScope {
   public:
    explicit NestingScope(sgArchive& ar);
    ~NestingScope();
    NestingScope(const NestingScope&) = delete;
    NestingScope& operator=(const NestingScope&) = delete;

   private:
    sgArchive& ar_;
  };
  bool storing_;
  std::vector<unsigned char> buf_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  std::map<const sgPersistent*, std::uint64_t> storedIds_;
  std::vector<sgPersistent*> loaded_;
  // Loaded objects handed out again through a back-reference: not the first holder's alone.
  std::set<const sgPersistent*> referencedAgain_;
  std::vector<const sgRepBase*> keptAlive_;
  std::set<std::pair<const void*, std::size_t>> visited_;
};

LYNSTD_API sgArchive& operator||(sgArchive& ar, unsigned char& v);
LYNSTD_API sgArchive& operator||(sgArchive& ar, bool& v);
LYNSTD_API sgArchive& operator||(sgArchive& ar, unsigned short& v);
LYNSTD_API sgArchive& operator||(sgArchive& ar, int& v);
LYNSTD_API sgArchive& operator||(sgArchive& ar, long& v);
LYNSTD_API sgArchive& operator||(sgArchive& ar, unsigned long& v);
LYNSTD_API sgArchive& operator||(sgArchive& ar, double& v);
LYNSTD_API sgArchive& operator||(sgArchive& ar, sgVector<2>& v);
LYNSTD_API sgArchive& operator||(sgArchive& ar, sgMatrix<2>& v);
LYNSTD_API sgArchive& operator||(sgArchive& ar, sgXform<2>& v);
LYNSTD_API sgArchive& operator||(sgArchive& ar, std::string& v);
LYNSTD_API sgArchive& operator||(sgArchive& ar, std::wstring& v);
