#pragma once
// The pairs of rectangles that overlap, found by sorting them along x and sweeping: each
// rectangle is compared only with those whose x ranges reach it, instead of with every other.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

#include "lynstd/shapes.h"
#include "segmentreach.h"

namespace sgcntr {

/// The pairs (i, j), i < j, whose rectangles overlap when both are widened by `margin`
/// (rectsOverlap: touching counts, a NaN coordinate never separates), in ascending order of i,
/// then j: the order of the double loop over every pair.
inline std::vector<std::pair<std::size_t, std::size_t>> overlappingPairs(const std::vector<sgRect>& rects,
                                                                         double margin = 0.0) {
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  // Rectangles with a non-finite bound take part in every comparison, outside the sweep.
  std::vector<std::size_t> swept, unbounded;
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const sgRect& r = rects[i];
    const bool finite = std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.x() + r.width()) &&
                        std::isfinite(r.y() + r.height());
    (finite ? swept : unbounded).push_back(i);
  }
  std::sort(swept.begin(), swept.end(),
            [&](std::size_t a, std::size_t b) { return rects[a].x() < rects[b].x(); });
  for (std::size_t s = 0; s < swept.size(); ++s) {
    const sgRect& a = rects[swept[s]];
    // Sorted by their left side, the rectangles after this one that start beyond its widened right
    // side cannot overlap it, nor can any later one.
    const double reach = a.x() + a.width() + margin;
    for (std::size_t t = s + 1; t < swept.size() && !(reach < rects[swept[t]].x()); ++t)
      if (rectsOverlap(a, rects[swept[t]], margin))
        pairs.emplace_back(std::min(swept[s], swept[t]), std::max(swept[s], swept[t]));
  }
  for (const std::size_t u : unbounded)
    for (std::size_t i = 0; i < rects.size(); ++i)
      if (i != u && rectsOverlap(rects[u], rects[i], margin))
        pairs.emplace_back(std::min(u, i), std::max(u, i));
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
  return pairs;
}

/// Calls visit(i, j) for every pair of overlappingPairs(rects, margin), in that order. When visit
/// returns a bool, true stops the walk.
template <class Visit>
void forEachOverlappingPair(const std::vector<sgRect>& rects, Visit visit, double margin = 0.0) {
  for (const auto& [i, j] : overlappingPairs(rects, margin)) {
    if constexpr (std::is_same_v<std::invoke_result_t<Visit&, std::size_t, std::size_t>, bool>) {
      if (visit(i, j)) return;
    } else {
      visit(i, j);
    }
  }
}

}  // namespace sgcntr
