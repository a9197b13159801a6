// The archive record of the region level, including the legacy (version 0) layout.
#include <set>
#include <utility>
#include <vector>

#include "archiverecords.h"
#include "cntr/region.h"

namespace {

// Stands for the base class that regions had in the version 0 layout.
class sgContourBase2 : public sgcntr::LegacyBaseReader {
 public:
  sgContourBase2() : LegacyBaseReader("cntr/region", 812) {}
};

// Created on the first legacy load, destroyed when the library is unloaded.
sgContourBase2& legacyRegionBase() {
  static sgContourBase2 reader;
  return reader;
}

struct LegacyFields {
  std::vector<sgVector<2>> points;
  long cachedVectorSize = 0;
};

// Reads the version 0 layout in full before the region takes any of it.
LegacyFields loadLegacyFields(sgArchive& ar) {
  legacyRegionBase().dispatchSerialize(ar);
  LegacyFields fields;
  sgcntr::serializeVector(ar, fields.points, sgcntr::kPointRecordBytes);
  unsigned char unused = 0;
  ar || unused;
  ar || fields.cachedVectorSize;
  if (fields.cachedVectorSize < 0) throw sgArchive::Corrupt(L"negative cachedVectorSize in a region record");
  return fields;
}

// Whether `region` lies among the holes of `start`, at any depth. An archive can describe such a
// cycle (a hole record referring back to a region still being read), which no region can have
// and which reference counting could never free.
bool isAmongHolesOf(const sgRegion& start, const sgRegion* region) {
  std::vector<const sgRegion*> pending{&start};
  std::set<const sgRegion*> seen{&start};
  while (!pending.empty()) {
    const sgRegion* current = pending.back();
    pending.pop_back();
    for (const auto& hole : current->holes()) {
      if (hole.get() == region) return true;
      if (hole.get() && seen.insert(hole.get()).second) pending.push_back(hole.get());
    }
  }
  return false;
}

}  // namespace

void sgRegion::dispatchSerialize(sgArchive& ar) {
  sgcntr::serializeVersionedLevel(ar, static_cast<const sgRegion*>(this), sizeof(sgRegion), 1,
                                  [&](unsigned char version) { sgRegion::serialize_(ar, version); });
}

void sgRegion::serialize_(sgArchive& ar, unsigned char version) {
  if (version > 1) throw sgArchive::UnknownVersion("cntr/region", 822);
  try {
    if (version == 1) {
      sgContour::dispatchSerialize(ar);
      sgcntr::serializeHandleVector(ar, holes_);
      if (ar.isLoading() && isAmongHolesOf(*this, this))
        throw sgArchive::Corrupt(L"a region record lists the region among its own holes");
    } else {
      LegacyFields legacy = loadLegacyFields(ar);
      points_ = std::move(legacy.points);
      cachedVectorSize_ = legacy.cachedVectorSize;
      // The legacy layout has no closed flag and no label; a region reports closed regardless.
      closed_ = false;
      label_ = 0;
    }
  } catch (...) {
    // A record that breaks off may have replaced some fields: no cache may outlive them. Its
    // holes go too, so that no cycle through this half-read region outlives the archive.
    if (ar.isLoading()) {
      holes_.clear();
      cleanCacheInfo();
    }
    throw;
  }
  if (ar.isLoading()) cleanCacheInfo();
}
