// The library's error classes: numbers, rethrowing as the true type, and archive records.
#include "cntr/contourdefs.h"

#include "archiverecords.h"

namespace {

// Lets code holding only a base pointer to a heap-allocated error (one just loaded from an
// archive, say) throw it as its own type: the copy outlives the object it was taken from.
template <class E>
[[noreturn]] void rethrowAsOwnType(E* self) {
  E copy(*self);
  delete self;
  throw copy;
}

// The version check every error level's serialize_ makes before handing on to its base level.
void refuseUnlessVersionZero(unsigned char version, const char* className) {
  if (version != 0) throw sgArchive::UnknownVersion(className, 0);
}

}  // namespace

sgContourDefs::Errors::~Errors() = default;

// The message lives in memory only: the record holds the plain exception level, so that records
// written elsewhere, without a message, read here and the other way round.
void sgContourDefs::Errors::dispatchSerialize(sgArchive& ar) {
  sgcntr::serializeFixedVersionLevel(ar, this, sizeof(Errors), "sgContourDefs::Errors", 0,
                                     [&] { sgException::dispatchSerialize(ar); });
}

void sgContourDefs::Errors::serialize_(sgArchive& ar, unsigned char version) {
  refuseUnlessVersionZero(version, "sgContourDefs::Errors");
  sgException::dispatchSerialize(ar);
}

// The four leaf classes differ only in their name and number; their members are defined once
// here. Each level's record is a version byte 0 followed by the Errors level.
#define LYNCNTR_DEFINE_ERROR_LEAF(Leaf, number)                                            \
  sgContourDefs::Leaf::~Leaf() = default;                                                  \
  long sgContourDefs::Leaf::errorNumber() const { return number; }                         \
  void sgContourDefs::Leaf::suicideAndRethrow() { rethrowAsOwnType(this); }                \
  sgPersistent* sgContourDefs::Leaf::make() { return new Leaf(); }                         \
  void sgContourDefs::Leaf::dispatchSerialize(sgArchive& ar) {                             \
    sgcntr::serializeFixedVersionLevel(ar, this, sizeof(Leaf), "sgContourDefs::" #Leaf, 0, \
                                       [&] { Errors::dispatchSerialize(ar); });            \
  }                                                                                        \
  void sgContourDefs::Leaf::serialize_(sgArchive& ar, unsigned char version) {             \
    refuseUnlessVersionZero(version, "sgContourDefs::" #Leaf);                             \
    Errors::dispatchSerialize(ar);                                                         \
  }

// 0x10004681 belongs to no class of the library.
LYNCNTR_DEFINE_ERROR_LEAF(EmptyContour, 0x10004680)
LYNCNTR_DEFINE_ERROR_LEAF(EmptyRegionSet, 0x10004682)
LYNCNTR_DEFINE_ERROR_LEAF(BadParams, 0x10004683)
LYNCNTR_DEFINE_ERROR_LEAF(RegionCannotBeSetOpen, 0x10004684)

#undef LYNCNTR_DEFINE_ERROR_LEAF
