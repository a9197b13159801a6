// sgContour's data model: construction, copying, comparison, mutators, the edge caches and the
// cache invalidation every mutator reaches.
#include "cntr/contour.h"

#include "cntr/region.h"
#include "edgewalk.h"
#include "nanorder.h"

namespace {

// Owned cache objects are copied, never shared: each contour invalidates its own.
template <class T>
void copyOwnedCache(std::unique_ptr<T>& target, const std::unique_ptr<T>& source) {
  if (!source)
    target.reset();
  else if (target)
    *target = *source;
  else
    target = std::make_unique<T>(*source);
}

}  // namespace

// NaN-safe so that a transform with a NaN element cannot break the rectangle cache's map.
bool sgXformKeyLess::operator()(const sgXform<2>& a, const sgXform<2>& b) const {
  const double ka[6] = {a.trans().x(),    a.trans().y(),    a.matrix()(0, 0),
                        a.matrix()(0, 1), a.matrix()(1, 0), a.matrix()(1, 1)};
  const double kb[6] = {b.trans().x(),    b.trans().y(),    b.matrix()(0, 0),
                        b.matrix()(0, 1), b.matrix()(1, 0), b.matrix()(1, 1)};
  for (int i = 0; i < 6; ++i) {
    if (sgcntr::lessNaNLast(ka[i], kb[i])) return true;
    if (sgcntr::lessNaNLast(kb[i], ka[i])) return false;
  }
  return false;
}

sgContour::sgContour(const std::vector<sgVector<2>>& points, bool closed, unsigned long label)
    : label_(label), closed_(closed), points_(points), cachedVectorSize_(3) {
  cleanCacheInfo();
}

sgContour::sgContour(const sgPolygon& polygon, unsigned long label)
    : label_(label), points_(polygon.points()), cachedVectorSize_(3) {
  // Closed exactly when the outline returns to its start; both coinciding vertices are kept.
  closed_ = !points_.empty() && sfRealEq(points_.front(), points_.back(), 1e-15);
  cleanCacheInfo();
}

sgContour::sgContour(const sgContour& other) : sgPersistent(other), sgRepBase(other) { *this = other; }

sgContour& sgContour::operator=(const sgContour& other) {
  if (this == &other) return *this;
  label_ = other.label_;
  closed_ = other.closed_;
  points_ = other.points_;
  cachedVectorSize_ = other.cachedVectorSize_;

  meanPositionValid_ = other.meanPositionValid_;
  meanPositionCache_ = other.meanPositionCache_;
  lengthValid_ = other.lengthValid_;
  lengthCache_ = other.lengthCache_;
  convexHullValid_ = other.convexHullValid_;
  convexHullCache_ = other.convexHullCache_;
  copyOwnedCache(encloseRectCache_, other.encloseRectCache_);
  encloseCircleValid_ = other.encloseCircleValid_;
  encloseCircleCache_ = other.encloseCircleCache_;
  minEnclosingCircleValid_ = other.minEnclosingCircleValid_;
  minEnclosingCircleCache_ = other.minEnclosingCircleCache_;
  copyOwnedCache(extremalVertexCache_, other.extremalVertexCache_);
  fitEllipseValid_ = other.fitEllipseValid_;
  fitEllipseCache_ = other.fitEllipseCache_;
  fitEllipseError_ = other.fitEllipseError_;
  selfIntersectingResult_ = other.selfIntersectingResult_;
  selfIntersectingValid_ = other.selfIntersectingValid_;
  lineSegsValid_ = other.lineSegsValid_;
  lineSegs_ = other.lineSegs_;
  linesValid_ = other.linesValid_;
  lines_ = other.lines_;
  segRectsValid_ = other.segRectsValid_;
  segRects_ = other.segRects_;
  validLine_ = other.validLine_;
  edgeTreeValid_ = other.edgeTreeValid_;
  edgeTree_ = other.edgeTree_;  // immutable, so shared rather than copied
  medianFeatureSizeValid_ = other.medianFeatureSizeValid_;
  medianFeatureSizeCache_ = other.medianFeatureSizeCache_;
  copyOwnedCache(vertexGridCache_, other.vertexGridCache_);
  return *this;
}

sgContour::~sgContour() = default;

bool sgContour::operator==(const sgContour& other) const {
  return isClosed() == other.isClosed() && points_ == other.points_ &&
         cachedVectorSize_ == other.cachedVectorSize_;
}

void sgContour::points(const std::vector<sgVector<2>>& points) {
  cleanCacheInfo();
  points_ = points;
  makeDataConsistentWithPoints();
}

void sgContour::setPoints(const std::vector<sgVector<2>>& points) {
  cleanCacheInfo();
  points_ = points;
}

bool sgContour::isClosed() const { return closed_; }

void sgContour::isClosed(bool closed) {
  closed_ = closed;
  cleanCacheInfo();
}

// The label is no input of any cached value, so the caches stay.
void sgContour::label(unsigned long label) {
  label_ = label;
  notifyMutation();
}

// A smaller bound only stops the keyed caches from growing; nothing is trimmed.
void sgContour::cachedVectorSize(long size) {
  if (size < 0) throw sgContourDefs::BadParams();
  cachedVectorSize_ = size;
  notifyMutation();
}

sgPolygon sgContour::polygon() const {
  std::vector<sgVector<2>> vertices = points_;
  if (isClosed() && !points_.empty()) vertices.push_back(points_.front());
  return sgPolygon(vertices, sgPolygon::eEvenOdd);
}

void sgContour::checkEmptyContour() const {
  if (points_.size() < 2) throw sgContourDefs::EmptyContour();
}

void sgContour::computeLineSegs() const {
  if (lineSegsValid_ && linesValid_ && segRectsValid_) return;
  lineSegs_.clear();
  lines_.clear();
  segRects_.clear();
  validLine_.clear();
  // Reserved at once: growing four vectors edge by edge costs more than filling them.
  lineSegs_.reserve(points_.size());
  lines_.reserve(points_.size());
  segRects_.reserve(points_.size());
  validLine_.reserve(points_.size());
  sgcntr::forEachEdge(points_, isClosed(), [this](const sgVector<2>& p, const sgVector<2>& c) {
    // A zero-length edge has no direction; its entries are placeholders that users skip.
    if (sfRealEq(p, c, 1e-15)) {
      lineSegs_.emplace_back();
      lines_.emplace_back();
      segRects_.emplace_back();
      validLine_.push_back(false);
      return;
    }
    lineSegs_.emplace_back(p, c);
    lines_.push_back(lineSegs_.back().line());
    segRects_.push_back(sgRect(p, sgVector<2>(0.0, 0.0)).enclose(sgRect(c, sgVector<2>(0.0, 0.0))));
    validLine_.push_back(true);
  });
  segRectsValid_ = true;
  linesValid_ = true;
  lineSegsValid_ = true;
}

const std::vector<sgLineSeg>& sgContour::lineSegs() const {
  if (!lineSegsValid_) computeLineSegs();
  return lineSegs_;
}

const std::vector<bool>& sgContour::validLine() const {
  if (!lineSegsValid_) computeLineSegs();
  return validLine_;
}

void sgContour::notifyMutation() {
  if (notifyOnChange()) mutating_();
}

void sgContour::makeDataConsistentWithPoints() { cleanCacheInfo(); }

void sgContour::makePointsConsistentWithData() { cleanCacheInfo(); }

void sgContour::cleanCacheInfo() {
  notifyMutation();

  encloseRectCache_.reset();
  extremalVertexCache_.reset();
  vertexGridCache_.reset();

  lengthCache_ = 0.0;
  meanPositionValid_ = false;
  lengthValid_ = false;
  // The hull handle stays until the next hull computation replaces it.
  convexHullValid_ = false;

  encloseCircleValid_.assign(2, false);
  encloseCircleCache_.resize(2);
  minEnclosingCircleValid_ = false;

  fitEllipseError_ = 0.0;
  medianFeatureSizeCache_ = 0.0;
  fitEllipseValid_ = false;
  selfIntersectingValid_ = false;
  // The edge vectors keep their contents and are rebuilt on next use.
  lineSegsValid_ = false;
  linesValid_ = false;
  segRectsValid_ = false;
  edgeTreeValid_ = false;
  edgeTree_.reset();
  medianFeatureSizeValid_ = false;
}

sgPersistent* sgContour::make() { return new sgContour(); }
