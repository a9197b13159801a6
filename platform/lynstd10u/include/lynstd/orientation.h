#pragma once
// The exact orientation predicate: on which side of the line through a and b the point c lies.
#include "lynstd/export.h"
#include "lynstd/vector.h"

/// Sign of (b - a) x (c - a), exactly for any finite input: 1 when a, b, c turn left
/// (counter-clockwise), -1 when they turn right, 0 when they are collinear.
LYNSTD_API int sfOrientation(const sgVector<2>& a, const sgVector<2>& b, const sgVector<2>& c);
