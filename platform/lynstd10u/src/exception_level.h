#pragma once
// Shared boilerplate of the foundation's exception classes (internal).
#include <cstddef>

#include "lynstd/archive.h"

namespace sgdetail {

// errorNumber() of the foundation's exceptions. The foundation keeps to 0x10000000..0x100003FF:
// 0x1000000x general, 0x1000001x mathematics, 0x1000002x windows, 0x100001xx the archive.
// Libraries built on it number their own errors above that range.
enum ErrorNumber : long {
  kException = 0x10000000,
  kBadPointer = 0x10000001,
  kSingular = 0x10000010,
  kFitError = 0x10000011,
  kBadWindow = 0x10000020,
  kArchiveError = 0x10000100,
  kUnknownVersion = 0x10000101,
  kEndOfData = 0x10000102,
  kCorrupt = 0x10000103,
};

// Opens sgPersistent's protected visit marks to the helpers below.
struct VisitMarks : sgPersistent {
  using sgPersistent::haveVisited;
  using sgPersistent::setVisited;
};

/// One exception class level of an archive record: skipped when already handled in this pass,
/// otherwise a version byte 0 (anything else is refused before a field is touched) followed by
/// what `fields` stores or loads (the base level first, then the class's own fields).
template <class Level, class Fields>
void serializeExceptionLevel(sgArchive& ar, const Level* level, const char* className, Fields fields) {
  if (VisitMarks::haveVisited(ar, level, sizeof(Level))) return;
  unsigned char version = 0;
  ar || version;
  if (version != 0) throw sgArchive::UnknownVersion(className, 0);
  fields();
  VisitMarks::setVisited(ar, level, sizeof(Level));
}

/// The body of every suicideAndRethrow: the copy outlives the heap object it was taken from.
template <class E>
[[noreturn]] void rethrowAsOwnType(E* self) {
  E copy(*self);
  delete self;
  throw copy;
}

}  // namespace sgdetail
