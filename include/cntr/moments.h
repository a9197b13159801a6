#pragma once
#include <vector>

#include "cntr/contourdefs.h"
#include "lynip/edgelet.h"
#include "lynstd/matrix.h"
#include "lynstd/shapes.h"

/// Area, centre of mass and central second moments of a plane figure.
///
/// The area is signed: positive for a counter-clockwise boundary (y up), negative for a
/// clockwise one. The matrix holds unnormalised central moments (integrals over the area, not
/// divided by it): (0,0) the integral of (x-cx)^2, (0,1) = (1,0) of (x-cx)(y-cy), (1,1) of (y-cy)^2.
class LYNCNTR_API sg_InertiaData {
 public:
  /// Defaults: area 0, centre (0, 0), the all-zero matrix.
  sg_InertiaData(double area = 0.0, const sgVector<2>& centerOfMass = sgVector<2>(),
                 const sgMatrix<2>& inertiaMatrix = sgMatrix<2>(0.0, 0.0, 0.0, 0.0))
      : area_(area), centerOfMass_(centerOfMass), inertiaMatrix_(inertiaMatrix) {}
  double area() const { return area_; }
  const sgVector<2>& centerOfMass() const { return centerOfMass_; }
  const sgMatrix<2>& inertiaMatrix() const { return inertiaMatrix_; }
  /// The record of the union of both figures (moments moved to the common centre). An operand
  /// of area exactly 0 leaves the other unchanged; opposite signs subtract the negative figure.
  sg_InertiaData operator+(const sg_InertiaData& other) const;

 private:
  double area_;
  sgVector<2> centerOfMass_;
  sgMatrix<2> inertiaMatrix_;
};

/// Moments of the closed polygon (last point joined to the first), by Green's theorem about the
/// centre of the polygon's box: signed area (negative when clockwise), centroid and central
/// moments, the same for either orientation and any start vertex. Fewer than 3 points, or an
/// area at most 1e-12 of the squared box extent, give the zero record.
LYNCNTR_API sg_InertiaData sf_InertiaDataPolygon(const std::vector<sgVector<2>>& points);
/// Unsigned area of the closed polygon (shoelace about the first vertex); 0.0 for fewer than 3
/// points.
LYNCNTR_API double sf_Area(const std::vector<sgVector<2>>& points);
LYNCNTR_API double sf_Area(const std::vector<sgEdgelet>& edgelets);
/// Centroid of the closed polygon; (0, 0) for fewer than 3 points, a non-finite sum, or an area
/// at most 1e-12 of the squared box extent.
LYNCNTR_API sgVector<2> sf_CenterOfMass(const std::vector<sgVector<2>>& points);
LYNCNTR_API sgVector<2> sf_CenterOfMass(const std::vector<sgEdgelet>& edgelets);

namespace snContour {
/// Centroid of the closed polygon, as sf_CenterOfMass.
LYNCNTR_API sgVector<2> centerOfMass(const std::vector<sgVector<2>>& points);
LYNCNTR_API sgVector<2> centerOfMass(const std::vector<sgEdgelet>& edgelets);
}  // namespace snContour

/// The solid ellipse with the record's centre and second moments. Throws sgMathError::Singular
/// when a principal moment is at most 1e-12 in magnitude.
LYNCNTR_API sgEllipse sf_EllipseFromInertiaData(const sg_InertiaData& data);
/// Least-squares ellipse through the points, else a circle fit, else the default ellipse with
/// error -1.0. Never throws a foundation exception.
LYNCNTR_API void sf_FitEllipse(const std::vector<sgVector<2>>& points, sgEllipse& ellipse, double& error);
LYNCNTR_API void sf_FitEllipse(const std::vector<sgEdgelet>& edgelets, sgEllipse& ellipse, double& error);
/// Population standard deviation (divides by n); NaN for an empty list.
LYNCNTR_API double sf_StdDev(const std::vector<double>& values);
