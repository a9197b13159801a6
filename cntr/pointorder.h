#pragma once
// The lexicographic order of points: by x, then by y. Sweeps start from its least point, and
// sorts by it bring equal points together.
#include "lynstd/vector.h"

namespace sgcntr {

inline bool lexLess(const sgVector<2>& a, const sgVector<2>& b) {
  return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
}

}  // namespace sgcntr
