#pragma once
#include <limits>
#include <vector>

#include "lynstd/exceptions.h"
#include "lynstd/shapes.h"

/// Convex hull by Andrew's monotone chain, O(n log n): the hull vertices counter-clockwise,
/// starting at the lowest-x (then lowest-y) point, without collinear points (decided exactly).
/// Points with a NaN or infinite coordinate are ignored. Fewer than 3 distinct points give those
/// points, in that order; collinear points give the two extreme ones.
LYNSTD_API void sfConvexHull(const std::vector<sgVector<2>>& points, std::vector<sgVector<2>>& hull);

/// How a fit treats its points.
enum sgFitMode {
  /// Least squares over every point, then `refineIterations` passes that drop points farther
  /// than `outlierDistance` from the current fit and fit again (each pass chooses from all points;
  /// passes stop once the kept set no longer changes). The error covers the points of the last
  /// fit; a pass that keeps too few points throws sgFitError.
  eFitLeastSquares = 0
};

/// Parameters of sfEllipseFit. `rotationHint` is kept for modes that fix the orientation;
/// least squares does not use it.
struct LYNSTD_API sgEllipseFitParams {
  sgEllipseFitParams(sgFitMode mode = eFitLeastSquares, sgRadian rotationHint = sgRadian(0.0),
                     unsigned long refineIterations = 0,
                     double outlierDistance = std::numeric_limits<double>::infinity())
      : mode(mode),
        rotationHint(rotationHint),
        refineIterations(refineIterations),
        outlierDistance(outlierDistance) {}
  sgFitMode mode;
  sgRadian rotationHint;
  unsigned long refineIterations;
  double outlierDistance;
};

/// Parameters of sfCircleFit. The fitted radius is multiplied by `radiusScale`.
struct LYNSTD_API sgCircleFitParams {
  sgCircleFitParams(sgFitMode mode = eFitLeastSquares, double radiusScale = 1.0,
                    unsigned long refineIterations = 0,
                    double outlierDistance = std::numeric_limits<double>::infinity())
      : mode(mode),
        radiusScale(radiusScale),
        refineIterations(refineIterations),
        outlierDistance(outlierDistance) {}
  sgFitMode mode;
  double radiusScale;
  unsigned long refineIterations;
  double outlierDistance;
};

/// The fitted ellipse and its error: the root mean square of the points' approximate
/// (first-order, Sampson) distances to the ellipse. `r1` is the major radius, `rotation` its
/// direction in [0, pi).
struct LYNSTD_API sgEllipseFitResults {
  sgEllipse ellipse;
  double error = 0.0;
};

/// The fitted circle and its error: the root mean square of the points' distances to the circle.
struct LYNSTD_API sgCircleFitResults {
  sgCircle circle;
  double error = 0.0;
};

/// Direct least-squares ellipse fit (Fitzgibbon, Pilu and Fisher 1999, in the numerically
/// stable form of Halir and Flusser 1998) on points centred and scaled along their principal axes
/// (the fit is affine-invariant, so this changes only the rounding). Points with a non-finite
/// coordinate are ignored. Throws sgFitError for fewer than 5 distinct usable points, collinear
/// points or a conic that is not an ellipse.
LYNSTD_API void sfEllipseFit(const sgEllipseFitParams& params, const std::vector<sgVector<2>>& points,
                             sgEllipseFitResults& results);

/// Algebraic least-squares circle fit (Kasa), on centred, scaled points. Points with a non-finite
/// coordinate are ignored. The error is measured against the returned circle (radius scaled).
/// Throws sgFitError for fewer than 3 distinct usable points or collinear points.
LYNSTD_API void sfCircleFit(const sgCircleFitParams& params, const std::vector<sgVector<2>>& points,
                            sgCircleFitResults& results);
