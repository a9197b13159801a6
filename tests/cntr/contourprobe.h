#pragma once
// Test access to sgContour's protected members. A vertex moved behind the contour's back leaves
// the caches in place, so that a cached answer and a recomputed one differ.
#include <vector>

#include "cntr/contour.h"

class ContourProbe : public sgContour {
 public:
  using sgContour::sgContour;
  ContourProbe(const sgContour& other) : sgContour(other) {}  // NOLINT(google-explicit-constructor)
  using sgContour::candidateEdges, sgContour::intersections, sgContour::medianFeatureSize,
      sgContour::setPoints;

  /// Moves vertex i without clearing any cache.
  void moveVertexUnnoticed(std::size_t i, const sgVector<2>& to) {
    const_cast<std::vector<sgVector<2>>&>(points())[i] = to;
  }
  int hookCalls = 0;

 protected:
  void makeDataConsistentWithPoints() override {
    ++hookCalls;
    sgContour::makeDataConsistentWithPoints();
  }
};

inline std::vector<sgVector<2>> square2() { return {{0, 0}, {2, 0}, {2, 2}, {0, 2}}; }
