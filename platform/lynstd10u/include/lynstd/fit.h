#pragma once
#include <limits>
#include <vector>

#include "lynstd/exceptions.h"
#include "lynstd/shapes.h"

/// Convex hull by Andrew's monotone chain, O(n log n): the hull vertices counter-clockwise,
/// starting at the lowest-x (then lowest-y) point, without collinear points. NaN points are
/// ignored. Fewer than 3 distinct points give those points.
LYNSTD_API void sfConvexHull(const std::vector<sgVector<2>>& points, std::vector<sgVector<2>>& hull);

/// How a fit treats its points.
enum sgFitMode {
  /// Least squares over every point, then `refineIterations` passes that drop points farther
  /// than `outlierDistance` from the current fit and fit again.
  eFitLeastSquares = 0
};

/// Parameters of sfEllipseFit. `rotationHint` is kept for modes that fix the orientation;
/// least squares does not use it.
struct LYNSTD_API sgEllipseFitParams {
  sgEllipseFitParams(sgFitMode mode = eFitLeastSquares, sgRadian rotationHint = sgRadian(0.0),
                     unsigned long refineIterations = 0,
                     double outlierDistance = std::numeric_limits<double>::infinity())
      : mode(mode), rotationHint(rotationHint), refineIterations(refineIterations),
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
      : mode(mode), radiusScale(radiusScale), refineIterations(refineIterations),
        outlierDistance(outlierDistance) {}
  sgFitMode mode;
  double radiusScale;
  unsigned long refineIterations;
  double outlierDistance;
};

/// The fitted ellipse and its error: the root mean square of the points' approximate
/// (first-order, Sampson) distances to the ellipse.
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
/// stable form of Halir and Flusser 1998) on centred, scaled points. Throws sgFitError for
/// fewer than 5 usable points, collinear points or a conic that is not an ellipse.
LYNSTD_API void sfEllipseFit(const sgEllipseFitParams& params, const std::vector<sgVector<2>>& points,
                             sgEllipseFitResults& results);

/// Algebraic least-squares circle fit (Kasa), on centred points. Throws sgFitError for fewer
/// than 3 usable points or collinear points.
LYNSTD_API void sfCircleFit(const sgCircleFitParams& params, const std::vector<sgVector<2>>& points,
                            sgCircleFitResults& results);
