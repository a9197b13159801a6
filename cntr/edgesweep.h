#pragma once
// A plane sweep over a contour's edges that proves, in O(n log n), that no two of them can give a
// crossing: the fast path of the self-intersection test. Where it cannot prove that, it names a
// pair of edges to look at, or gives up; the caller then asks the crossing queries themselves,
// so the sweep never decides an answer the queries would not give.
#include <vector>

#include "lynstd/shapes.h"

namespace sgcntr {

struct SweepVerdict {
  enum Kind {
    /// Every two valid edges either share an end point and meet only there, or stay more than
    /// kSweepClearance apart: no edge can give another a crossing.
    Clear,
    /// Edges `first` and `second` touch, cross or come near each other (other pairs may too).
    Suspect,
    /// Not decided: coordinates beyond the range in which the proof's rounding bounds hold, or
    /// no sweep made.
    Undecided
  };
  Kind kind;
  int first = -1;
  int second = -1;
};

/// A crossing needs a point within 1e-6 of both edges, hence edges within 2e-6 of each other;
/// this clearance leaves a wide margin for rounding.
constexpr double kSweepClearance = 1e-5;

/// Sweeps the valid edges `segs[k]` (`valid[k]` true).
SweepVerdict sweepEdges(const std::vector<sgLineSeg>& segs, const std::vector<bool>& valid);

}  // namespace sgcntr
