#pragma once
// sgRegionT: a region whose outer boundary is a datum contour. sgContour is a virtual base of
// both sgContourT and sgRegion, so the object holds one outline; the most-derived constructor
// builds it, and the data-to-points step runs only once every base is complete.
#include "contourt.h"

namespace sgcntr {

/// 256 codes make a full turn.
inline constexpr double kDegreesPerAngleCode = 1.40625;
/// A quarter turn in codes: the tick runs across the edge direction, along the edge itself.
inline constexpr unsigned char kQuarterTurnCodes = 64;
/// Half the length of a tick.
inline constexpr double kTickHalfLength = 0.5;

}  // namespace sgcntr

template <class T>
sgRegionT<T>::sgRegionT() : sgContour(), sgContourT<T>(), sgRegion() {}

template <class T>
sgRegionT<T>::sgRegionT(const std::vector<T>& data, unsigned long label)
    : sgContour(),
      sgContourT<T>(data, sgPtrHandle_const<sg2XformBase>(), typename sgContourT<T>::DeferPoints{}),
      sgRegion() {
  makePointsConsistentWithData();
  this->label(label);
}

template <class T>
sgRegionT<T>::sgRegionT(const std::vector<T>& data, sgPtrHandle_const<sg2XformBase>& xform,
                        unsigned long label)
    : sgContour(), sgContourT<T>(data, xform, typename sgContourT<T>::DeferPoints{}), sgRegion() {
  makePointsConsistentWithData();
  this->label(label);
}

// The contour's outline and data already agree, so no hook is needed.
template <class T>
sgRegionT<T>::sgRegionT(const sgContourT<T>& contour, unsigned long label)
    : sgContour(contour), sgContourT<T>(contour), sgRegion() {
  this->label(label);
}

// The outline starts empty and is copied once, by sgRegion's copy together with its caches.
template <class T>
sgRegionT<T>::sgRegionT(const sgRegionT& other)
    : sgPersistent(),
      sgRepBase(),
      sgContour(),
      sgContourT<T>(other),
      sgRegion(other),
      typedHoles_(other.typedHoles_) {}

template <class T>
sgRegionT<T>& sgRegionT<T>::operator=(const sgRegionT& other) {
  sgContourT<T>::operator=(other);
  sgRegion::operator=(other);
  typedHoles_ = other.typedHoles_;
  return *this;
}

template <class T>
sgRegionT<T>::~sgRegionT() = default;

// The typed holes are a list of their own: no measure looks at them, so nothing is checked.
template <class T>
void sgRegionT<T>::holes(const std::vector<sgPtrHandle_const<sgRegionT<T>>>& holes) {
  typedHoles_ = holes;
  cleanCacheInfo();
}

template <class T>
bool sgRegionT<T>::isClosed() const {
  return sgRegion::isClosed();
}

template <class T>
void sgRegionT<T>::isClosed(bool closed) {
  sgRegion::isClosed(closed);
}

template <class T>
void sgRegionT<T>::draw(sgUITablet& tablet, const sgColor& color, const sgUITablet::Layers& layer) const {
  for (const T& value : this->data()) {
    const auto code = static_cast<unsigned char>(value.angle().code() - sgcntr::kQuarterTurnCodes);
    const double degrees = code * sgcntr::kDegreesPerAngleCode;
    const sgVector<2> center = value.position();
    const sgVector<2> start = center + sgVector<2>(sgcntr::kTickHalfLength, sgRadian(sgDegree(degrees)));
    const sgVector<2> end =
        center + sgVector<2>(sgcntr::kTickHalfLength, sgRadian(sgDegree(degrees + 180.0)));
    tablet.drawLineSeg(sgPair<double>(start.x(), start.y()), sgPair<double>(end.x(), end.y()), color, layer);
  }
}

template <class T>
bool sgRegionT<T>::operator==(const sgRegionT& other) const {
  return sgContourT<T>::operator==(other);
}

template <class T>
void sgRegionT<T>::mapT(const sgXform<2>&, sgRegionT&) const {
  sgcntr::refuseTypedOperation();
}

template <class T>
void sgRegionT<T>::regularizeT(sgRegionT&) const {
  sgcntr::refuseTypedOperation();
}

template <class T>
sgPersistent* sgRegionT<T>::make() {
  return new sgRegionT<T>();
}

template <class T>
sgRegionT<T>::Instantiator::Instantiator() {
  sgcntr::registerFactory<sgRegionT<T>>();
}

template <class T>
void sgRegionT<T>::makeDataConsistentWithPoints() {
  sgContourT<T>::makeDataConsistentWithPoints();
}

template <class T>
void sgRegionT<T>::makePointsConsistentWithData() {
  sgContourT<T>::makePointsConsistentWithData();
}

template <class T>
void sgRegionT<T>::cleanCacheInfo() {
  sgRegion::cleanCacheInfo();
}
