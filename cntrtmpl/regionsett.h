#pragma once
// sgRegionSetT: a region set that keeps its regions also as datum-carrying regions, in step
// with the region list through the two consistency hooks.
#include <cstddef>

#include "regiont.h"

template <class T>
sgRegionSetT<T>::sgRegionSetT() : sgRegionSet() {}

// Qualified: no override can run during construction. The typed list is the source here.
template <class T>
sgRegionSetT<T>::sgRegionSetT(const std::vector<sgPtrHandle_const<sgRegionT<T>>>& regions)
    : sgRegionSet(), typedRegions_(regions) {
  sgRegionSetT::makePointsConsistentWithData();
}

template <class T>
sgRegionSetT<T>::sgRegionSetT(std::vector<sgPtrHandle<sgRegionT<T>>> regions)
    : sgRegionSetT(sgcntr::toConstHandles<sgRegionT<T>>(regions)) {}

template <class T>
sgRegionSetT<T>::sgRegionSetT(const sgRegionSetT& other)
    : sgPersistent(), sgRepBase(), sgRegionSet(other), typedRegions_(other.typedRegions_) {}

template <class T>
sgRegionSetT<T>& sgRegionSetT<T>::operator=(const sgRegionSetT& other) {
  sgRegionSet::operator=(other);
  typedRegions_ = other.typedRegions_;
  return *this;
}

template <class T>
sgRegionSetT<T>::~sgRegionSetT() = default;

template <class T>
bool sgRegionSetT<T>::operator==(const sgRegionSetT& other) const {
  return sgRegionSet::operator==(other);
}

template <class T>
void sgRegionSetT<T>::mapT(const sgXform<2>&, sgRegionSetT&) const {
  sgcntr::refuseTypedOperation();
}

template <class T>
void sgRegionSetT<T>::regularizeT(sgRegionSetT&) const {
  sgcntr::refuseTypedOperation();
}

template <class T>
sgPersistent* sgRegionSetT<T>::make() {
  return new sgRegionSetT<T>();
}

template <class T>
sgRegionSetT<T>::Instantiator::Instantiator() {
  sgcntr::registerFactory<sgRegionSetT<T>>();
}

// A region of the list need not carry data, and one that does may live in another frame, so
// each typed region is made anew from the outer points alone (the region's holes, label and data
// are not carried over). An empty handle throws sgBadPointer with the earlier entries replaced.
template <class T>
void sgRegionSetT<T>::makeDataConsistentWithPoints() {
  cleanCacheInfo();
  const std::vector<sgPtrHandle_const<sgRegion>> sources = regions();
  typedRegions_.resize(sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) {
    sgPtrHandle<sgRegionT<T>> typed(new sgRegionT<T>());
    typed->points(sources[i]->points());
    typedRegions_[i] = typed;
  }
}

template <class T>
void sgRegionSetT<T>::makePointsConsistentWithData() {
  cleanCacheInfo();
  setRegions(sgcntr::toConstHandles<sgRegion>(typedRegions_));
}

template <class T>
void sgRegionSetT<T>::cleanCacheInfo() {
  sgRegionSet::cleanCacheInfo();
}
