#pragma once
#include "shape.h"

namespace cntr {

enum class RepairMode { Regularize, OuterHull };

/// The shape's regularization or outer hull, as computed by the library, under the same name:
/// a region for a region, an edgelet chain or a closed contour, a region set for a region set.
/// Throws ShapeError for an open contour, and the library's errors.
Shape repairShape(const Shape& shape, RepairMode mode);

}  // namespace cntr
