// sgContour's archive record: version 1 is written; versions 0 (the legacy layout) and 1 are read.
#include "archiverecords.h"
#include "cntr/contour.h"

namespace {

// Stands for the base class that contours had in the version 0 layout.
class sgContourBase : public sgcntr::LegacyBaseReader {
 public:
  sgContourBase() : LegacyBaseReader("cntr/contour", 890) {}
};

// Created on the first legacy load, destroyed at unload.
sgContourBase& legacyContourBase() {
  static sgContourBase reader;
  return reader;
}

}  // namespace

void sgContour::dispatchSerialize(sgArchive& ar) {
  sgcntr::serializeVersionedLevel(ar, this, sizeof(sgContour), 1,
                                  [&](unsigned char version) { sgContour::serialize_(ar, version); });
}

void sgContour::serialize_(sgArchive& ar, unsigned char version) {
  if (version > 1) throw sgArchive::UnknownVersion("cntr/contour", 900);
  // The caches describe the old vertices: they go whether loading succeeds or not.
  try {
    long cacheSize = cachedVectorSize_;
    if (version == 1) {
      sgPersistent::dispatchSerialize(ar);
      ar || label_ || closed_;
      sgcntr::serializeVector(ar, points_, sgcntr::kPointRecordBytes);
      ar || cacheSize;
    } else {
      legacyContourBase().dispatchSerialize(ar);
      sgcntr::serializeVector(ar, points_, sgcntr::kPointRecordBytes);
      unsigned char unused = 0;
      ar || unused;
      ar || cacheSize || closed_;
      if (ar.isLoading()) label_ = 0;
    }
    // A negative bound could never hold an entry; cachedVectorSize(long) refuses it likewise.
    if (cacheSize < 0) throw sgArchive::Corrupt(L"contour record with a negative cachedVectorSize");
    cachedVectorSize_ = cacheSize;
  } catch (...) {
    if (ar.isLoading()) cleanCacheInfo();
    throw;
  }
  if (ar.isLoading()) cleanCacheInfo();
}
