#pragma once
// Archive records of the edgelet templates.
#include "archiverecords.h"
#include "regionsett.h"

template <class T>
void sgContourT<T>::dispatchSerialize(sgArchive& ar) {
  sgcntr::serializeVersionedLevel(ar, static_cast<const sgContourT*>(this), sizeof(sgContourT), 1,
                                  [&](unsigned char version) { sgContourT::serialize_(ar, version); });
}

// Version 0 records carry no transform: the object keeps its own. The inverse is never stored;
// it is dropped before anything is read, so even a record that breaks off cannot leave an
// inverse of a transform the object no longer holds.
template <class T>
void sgContourT<T>::serialize_(sgArchive& ar, unsigned char version) {
  if (version > 1) throw sgArchive::UnknownVersion("cntrtmpl", 98);
  if (ar.isLoading()) pointsFromDataXformValid_ = false;
  sgContour::dispatchSerialize(ar);
  // Every datum holds at least a position, which bounds the count a record can claim.
  sgcntr::serializeVector(ar, data_, sgcntr::kPointRecordBytes);
  if (version >= 1) sgcntr::serializeHandle(ar, dataFromPointsXform_);
}

template <class T>
void sgRegionT<T>::dispatchSerialize(sgArchive& ar) {
  sgcntr::serializeVersionedLevel(ar, static_cast<const sgRegionT*>(this), sizeof(sgRegionT), 0,
                                  [&](unsigned char version) { sgRegionT::serialize_(ar, version); });
}

// The record holds the region level only. A loaded region keeps the data, the transform and the
// typed holes of the object it was loaded into, so its data need not match its new points: they
// are left as they are rather than rebuilt, since rebuilding would replace every datum by one
// without magnitude or direction. Callers that want agreement set the points again.
template <class T>
void sgRegionT<T>::serialize_(sgArchive& ar, unsigned char version) {
  if (version != 0) throw sgArchive::UnknownVersion("cntrtmpl", 186);
  sgRegion::dispatchSerialize(ar);
}

template <class T>
void sgRegionSetT<T>::dispatchSerialize(sgArchive& ar) {
  sgcntr::serializeVersionedLevel(ar, static_cast<const sgRegionSetT*>(this), sizeof(sgRegionSetT), 0,
                                  [&](unsigned char version) { sgRegionSetT::serialize_(ar, version); });
}

template <class T>
void sgRegionSetT<T>::serialize_(sgArchive& ar, unsigned char version) {
  if (version != 0) throw sgArchive::UnknownVersion("cntrtmpl", 286);
  sgRegionSet::dispatchSerialize(ar);
  sgcntr::serializeHandleVector(ar, typedRegions_);
}
