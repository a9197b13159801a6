#pragma once
// Archive record pieces shared by the library's persistent classes: class-level framing
// (visited marks and version bytes), vector records and handle records.
#include <cstddef>
#include <type_traits>
#include <vector>

#include "lynstd/archive.h"
#include "lynstd/handle.h"

namespace sgcntr {

/// Opens sgPersistent's protected visit marks to the helpers below; never instantiated.
struct VisitMarks : sgPersistent {
  using sgPersistent::haveVisited;
  using sgPersistent::setVisited;
};

/// Stores a version byte 0 or loads one and refuses anything else, before any field of the
/// level is touched.
inline void passVersionZero(sgArchive& ar, const char* source, int number) {
  unsigned char version = 0;
  ar || version;
  if (version != 0) throw sgArchive::UnknownVersion(source, number);
}

/// One class level whose only version is 0: skipped when already handled in this pass, else a
/// version byte 0 followed by what `fields` stores or loads (base levels first).
template <class Fields>
void serializeFixedVersionLevel(sgArchive& ar, const void* level, std::size_t size, const char* source,
                                int number, Fields&& fields) {
  if (VisitMarks::haveVisited(ar, level, size)) return;
  passVersionZero(ar, source, number);
  fields();
  VisitMarks::setVisited(ar, level, size);
}

/// One class level with a current version: skipped when already handled in this pass, else the
/// version byte (`current` when storing, the stored byte when loading) handed to `body`.
template <class Body>
void serializeVersionedLevel(sgArchive& ar, const void* level, std::size_t size, unsigned char current,
                             Body&& body) {
  if (VisitMarks::haveVisited(ar, level, size)) return;
  unsigned char version = current;
  ar || version;
  body(version);
  VisitMarks::setVisited(ar, level, size);
}

/// Consumes the level of the field-less base class that contours and regions had in the version 0
/// layout: a version byte 0 (else UnknownVersion(source, number)) and the sgPersistent level.
/// It sets no visited mark: one reader object serves every legacy record of an archive, and a
/// mark would make the second such record of a pass skip its own base level.
class LegacyBaseReader : public virtual sgPersistent, public virtual sgRepBase {
 public:
  LegacyBaseReader(const char* source, int number) : source_(source), number_(number) {}
  void dispatchSerialize(sgArchive& ar) override {
    passVersionZero(ar, source_, number_);
    sgPersistent::dispatchSerialize(ar);
  }

 private:
  const char* source_;
  int number_;
};

/// Bytes an `sgVector<2>` occupies in an archive (two doubles): the least an element of a point
/// vector record can take, used to refuse impossible counts before allocating.
inline constexpr std::size_t kPointRecordBytes = 16;

/// A vector record: version byte 0 (anything else refused with a null source and number 0), an
/// unsigned long count, then each element through `element`. Loading checks the count against
/// the bytes left (`minElementBytes` each) before resizing.
template <class T, class Element>
void serializeVectorWith(sgArchive& ar, std::vector<T>& values, std::size_t minElementBytes,
                         Element&& element) {
  passVersionZero(ar, nullptr, 0);
  unsigned long count = values.size();
  ar || count;
  if (ar.isLoading()) {
    ar.checkCount(count, minElementBytes);
    values.resize(count);
  }
  for (T& value : values) element(value);
}

/// A vector record of values that have an archive operator `||`.
template <class T>
void serializeVector(sgArchive& ar, std::vector<T>& values, std::size_t minElementBytes = 1) {
  serializeVectorWith(ar, values, minElementBytes, [&ar](T& value) { ar || value; });
}

/// A handle record. Loading releases the present object first; an object of another type than
/// `Pointee` loads as an empty handle. Such an object, when not reference-counted, would belong
/// to nobody: it is given back to the archive, which frees it and refuses later references to it.
template <class Pointee, class Handle>
void serializeHandleOf(sgArchive& ar, Handle& handle) {
  using Object = std::remove_const_t<Pointee>;
  sgPersistent* stored = nullptr;
  if (ar.isLoading())
    handle.reset();
  else if (handle.get())
    stored = const_cast<Object*>(handle.get());
  sgPersistent* loaded = nullptr;
  sgPersistent::serializePointer(ar, stored, loaded);
  if (ar.isStoring()) return;
  Pointee* const typed = dynamic_cast<Pointee*>(loaded);
  if (loaded && !typed && !dynamic_cast<const sgRepBase*>(loaded)) sgPersistent::discardLoaded(ar, loaded);
  handle = Handle(typed);
}

template <class T>
void serializeHandle(sgArchive& ar, sgPtrHandle_const<T>& handle) {
  serializeHandleOf<const T>(ar, handle);
}

template <class T>
void serializeHandle(sgArchive& ar, sgPtrHandle<T>& handle) {
  serializeHandleOf<T>(ar, handle);
}

/// A vector record whose elements are handle records (`sgPtrHandle` or `sgPtrHandle_const`).
template <class Handle>
void serializeHandleVector(sgArchive& ar, std::vector<Handle>& handles) {
  serializeVectorWith(ar, handles, 1, [&ar](Handle& handle) { serializeHandle(ar, handle); });
}

}  // namespace sgcntr
