#pragma once
// sgContourT: the transform between points and data, its cached inverse, and the two
// consistency hooks that keep one datum per point.

#include "cntr/cntrtmpl.h"
#include "templatesupport.h"

namespace sgcntr {

/// The contour's own transform: a clone of the caller's, so that later changes to the caller's
/// object cannot move the points; the identity when there is none.
inline sgPtrHandle<sg2XformBase> ownTransform(const sgPtrHandle_const<sg2XformBase>& xform) {
  return sgPtrHandle<sg2XformBase>(xform ? xform->clone() : new sg2XformLinear());
}

}  // namespace sgcntr

template <class T>
sgContourT<T>::sgContourT(const std::vector<T>& data, const sgPtrHandle_const<sg2XformBase>& xform,
                          DeferPoints)
    : dataFromPointsXform_(sgcntr::ownTransform(xform)), data_(data) {}

template <class T>
sgContourT<T>::sgContourT()
    : sgContourT(std::vector<T>(), sgPtrHandle_const<sg2XformBase>(), DeferPoints{}) {}

template <class T>
sgContourT<T>::sgContourT(const std::vector<T>& data) : sgContourT(data, sgPtrHandle_const<sg2XformBase>()) {}

// Qualified: while this class is being built no override can run, and the call should not
// suggest otherwise. sgRegionT uses the deferring constructor and runs the step itself.
template <class T>
sgContourT<T>::sgContourT(const std::vector<T>& data, const sgPtrHandle_const<sg2XformBase>& xform)
    : sgContourT(data, xform, DeferPoints{}) {
  sgContourT::makePointsConsistentWithData();
}

// Copies share the transform (it never changes after construction) and so its inverse too.
template <class T>
sgContourT<T>::sgContourT(const sgContourT& other)
    : sgPersistent(),
      sgRepBase(),
      sgContour(other),
      dataFromPointsXform_(other.dataFromPointsXform_),
      data_(other.data_),
      pointsFromDataXformValid_(other.pointsFromDataXformValid_),
      pointsFromDataXform_(other.pointsFromDataXform_) {}

template <class T>
sgContourT<T>& sgContourT<T>::operator=(const sgContourT& other) {
  sgContour::operator=(other);
  dataFromPointsXform_ = other.dataFromPointsXform_;
  data_ = other.data_;
  pointsFromDataXformValid_ = other.pointsFromDataXformValid_;
  pointsFromDataXform_ = other.pointsFromDataXform_;
  return *this;
}

template <class T>
sgContourT<T>::~sgContourT() = default;

template <class T>
void sgContourT<T>::data(const std::vector<T>& data) {
  data_ = data;
  makePointsConsistentWithData();
}

template <class T>
sgPtrHandle_const<sg2XformBase> sgContourT<T>::dataFromPointsXform() const {
  return dataFromPointsXform_;
}

// A point says nothing about gradient strength or direction, so the datum carries neither.
template <class T>
T sgContourT<T>::datum(const sgVector<2>& point) const {
  const sg2XformBase& xform = *dataFromPointsXform_;
  return T(xform.mapPoint(point), 0, sgAngle8(0));
}

// The inverse is made once: the transform cannot change except by assignment or loading, and
// both of those replace or invalidate the cache.
template <class T>
sgVector<2> sgContourT<T>::point(const T& value) {
  if (!pointsFromDataXformValid_) {
    pointsFromDataXform_ = sgPtrHandle<sg2XformBase>(dataFromPointsXform_->inverseBase());
    pointsFromDataXformValid_ = true;
  }
  return pointsFromDataXform_->mapPoint(value.position());
}

// Transforms that are merely equal do not count: data taken from one image frame are only
// comparable through the very same transform object.
template <class T>
bool sgContourT<T>::operator==(const sgContourT& other) const {
  return points() == other.points() && dataFromPointsXform_ == other.dataFromPointsXform_;
}

template <class T>
void sgContourT<T>::mapT(const sgXform<2>&, sgContourT&) const {
  sgcntr::refuseTypedOperation();
}

template <class T>
void sgContourT<T>::convexHullT(sgRegionT<T>&) const {
  sgcntr::refuseTypedOperation();
}

template <class T>
sgPersistent* sgContourT<T>::make() {
  return new sgContourT<T>();
}

template <class T>
sgContourT<T>::Instantiator::Instantiator() {
  sgcntr::registerFactory<sgContourT<T>>();
}

// Nothing is rolled back on a failing transform: the data built so far stay.
template <class T>
void sgContourT<T>::makeDataConsistentWithPoints() {
  cleanCacheInfo();
  data_.clear();
  data_.reserve(points().size());
  for (const sgVector<2>& p : points()) data_.push_back(datum(p));
}

// The new points are complete before any is stored, so a failing transform leaves the old ones.
template <class T>
void sgContourT<T>::makePointsConsistentWithData() {
  std::vector<sgVector<2>> mapped;
  mapped.reserve(data_.size());
  for (const T& value : data_) mapped.push_back(point(value));
  setPoints(mapped);
}
