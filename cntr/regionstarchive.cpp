// The archive record of the region-set level: the regions as persistent references (a region
// shared by several sets is stored once) and, from version 1 on, the rectangle cache bound.
#include "archiverecords.h"
#include "cntr/regionst.h"

void sgRegionSet::dispatchSerialize(sgArchive& ar) {
  sgcntr::serializeVersionedLevel(ar, static_cast<const sgRegionSet*>(this), sizeof(sgRegionSet), 1,
                                  [&](unsigned char version) { sgRegionSet::serialize_(ar, version); });
}

void sgRegionSet::serialize_(sgArchive& ar, unsigned char version) {
  if (version > 1) throw sgArchive::UnknownVersion("cntr/regionst", 480);
  sgPersistent::dispatchSerialize(ar);
  sgcntr::serializeHandleVector(ar, regions_);
  // A version 0 record has no bound; the object keeps the one it has.
  if (version == 1) {
    long cacheSize = cachedVectorSize_;
    ar || cacheSize;
    if (cacheSize < 0) throw sgArchive::Corrupt(L"negative cachedVectorSize in a region set record");
    cachedVectorSize_ = cacheSize;
  }
  // Nothing derived is stored: every cache is recomputed on demand from the loaded regions.
  if (ar.isLoading()) cleanCacheInfo();
}
