#pragma once
// Test access to sgContour's protected members and a way to see whether a query answered from
// its cache: changing a vertex behind the contour's back leaves the caches in place, so a cached
// answer and a recomputed one differ.
#include <vector>

#include "cntr/contour.h"

class ContourProbe : public sgContour {
 public:
  using sgContour::sgContour;
  /// Not explicit, so that a plain contour can be assigned to a probe.
  ContourProbe(const sgContour& other) : sgContour(other) {}  // NOLINT(google-explicit-constructor)

  using sgContour::candidateEdges;
  using sgContour::intersections;
  using sgContour::medianFeatureSize;
  using sgContour::setPoints;

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
