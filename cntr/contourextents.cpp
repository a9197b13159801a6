// sgContour's extent queries: the extremal vertex in a direction, the enclosing rectangle under a
// transform (both in bounded keyed caches), and the enclosing circle in its two modes.
#include <cmath>
#include <optional>

#include "cntr/contour.h"
#include "farthestpair.h"
#include "keyedcache.h"

namespace {

// Which projection a direction uses. The axis directions project exactly onto one coordinate:
// cos and sin of a multiple of pi/2 are not exactly 0, and ties between vertices on an axis-
// parallel side must go to the lowest index.
enum class Projection { ePlusX, eMinusX, ePlusY, eMinusY, eGeneral };

Projection projectionFor(const sgVector<2>& direction) {
  if (sfRealEq(direction, sgVector<2>(1.0, 0.0), 1e-15)) return Projection::ePlusX;
  if (sfRealEq(direction, sgVector<2>(-1.0, 0.0), 1e-15)) return Projection::eMinusX;
  if (sfRealEq(direction, sgVector<2>(0.0, 1.0), 1e-15)) return Projection::ePlusY;
  if (sfRealEq(direction, sgVector<2>(0.0, -1.0), 1e-15)) return Projection::eMinusY;
  return Projection::eGeneral;
}

double project(Projection projection, const sgVector<2>& v, const sgVector<2>& direction) {
  switch (projection) {
    case Projection::ePlusX:
      return v.x();
    case Projection::eMinusX:
      return -v.x();
    case Projection::ePlusY:
      return v.y();
    case Projection::eMinusY:
      return -v.y();
    case Projection::eGeneral:
      break;
  }
  return v.x() * direction.x() + v.y() * direction.y();
}

// First index of the largest projection; -1 when none exceeds the most negative finite double
// (all NaN or -infinity).
long farthestVertexAlong(const std::vector<sgVector<2>>& points, const sgRadian& angle) {
  const sgVector<2> direction(cos(angle), sin(angle));
  const Projection projection = projectionFor(direction);
  double best = -1.7976931348623157e308;
  long index = -1;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double value = project(projection, points[i], direction);
    if (value > best) {
      best = value;
      index = static_cast<long>(i);
    }
  }
  return index;
}

bool isIdentity(const sgXform<2>& xform) {
  return sfRealEq(xform.trans(), sgVector<2>(0.0, 0.0), 1e-15) &&
         sfRealEq(xform.matrix(), sgMatrix<2>(), 1e-15);
}

sgCircle exactDiameterCircle(const std::vector<sgVector<2>>& points) {
  // The first farthest ordered pair wins; no pair apart leaves the first vertex with radius 0.
  const std::optional<sgcntr::FarthestPair> pair = sgcntr::firstFarthestPair(points);
  if (!pair) return sgCircle(points.front(), 0.0);
  return sgCircle((points[pair->first] + points[pair->second]) * 0.5, pair->distance * 0.5);
}

sgCircle circleAboutFirstVertex(const std::vector<sgVector<2>>& points) {
  double radius = 0.0;
  for (std::size_t i = 1; i < points.size(); ++i)
    radius = std::fmax(radius, points.front().distance(points[i]));
  return sgCircle(points.front(), radius);
}

}  // namespace

long sgContour::extremalVertexIndex(const sgRadian& angle) const {
  checkEmptyContour();
  const double key = angle.toDouble();
  // A NaN key would break the map's order; its answer (no vertex, -1) is cheap and not cached.
  if (std::isnan(key)) return farthestVertexAlong(points_, angle);
  if (!extremalVertexCache_) extremalVertexCache_ = std::make_unique<AngleCache>();
  if (const auto found = extremalVertexCache_->find(key); found != extremalVertexCache_->end())
    return found->second;
  const long index = farthestVertexAlong(points_, angle);
  sgcntr::storeKeyedResult(*extremalVertexCache_, key, index, cachedVectorSize_);
  return index;
}

sgVector<2> sgContour::extremalVertexPosition(const sgRadian& angle) const {
  const long index = extremalVertexIndex(angle);
  if (index < 0)
    throw sgContourDefs::BadParams(
        L"extremalVertexPosition: no vertex has a finite projection on the direction of the angle");
  return points_[static_cast<std::size_t>(index)];
}

sgRect sgContour::encloseRect(const sgXform<2>& xform) const {
  checkEmptyContour();
  if (!encloseRectCache_) encloseRectCache_ = std::make_unique<RectCache>();
  if (const auto found = encloseRectCache_->find(xform); found != encloseRectCache_->end())
    return found->second;
  // The identity (within rounding) leaves the vertices as they are and saves mapping them.
  const bool identity = isIdentity(xform);
  const auto mapped = [&](const sgVector<2>& p) { return identity ? p : xform * p; };
  const sgVector<2> zero(0.0, 0.0);
  sgRect rect(mapped(points_.front()), zero);
  for (std::size_t i = 1; i < points_.size(); ++i) rect = rect.enclose(sgRect(mapped(points_[i]), zero));
  sgcntr::storeKeyedResult(*encloseRectCache_, xform, rect, cachedVectorSize_);
  return rect;
}

sgCircle sgContour::encloseCircle(sgContourDefs::DiameterMode mode) const {
  if (mode != sgContourDefs::eExact && mode != sgContourDefs::eApproximate)
    throw sgContourDefs::BadParams(L"diameterMode is not one of the valid enums");
  // Neither mode has a vertex to centre on.
  if (points_.empty()) throw sgContourDefs::EmptyContour();
  const std::size_t slot = static_cast<std::size_t>(mode);
  if (encloseCircleValid_.size() <= slot) encloseCircleValid_.resize(slot + 1, false);
  if (encloseCircleCache_.size() <= slot) encloseCircleCache_.resize(slot + 1);
  if (encloseCircleValid_[slot]) return encloseCircleCache_[slot];
  encloseCircleCache_[slot] =
      mode == sgContourDefs::eExact ? exactDiameterCircle(points_) : circleAboutFirstVertex(points_);
  encloseCircleValid_[slot] = true;
  return encloseCircleCache_[slot];
}

double sgContour::diameter(sgContourDefs::DiameterMode mode) const {
  const double radius = encloseCircle(mode).radius();
  return radius + radius;
}
