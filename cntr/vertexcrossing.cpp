#include "vertexcrossing.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "lynstd/orientation.h"
#include "turnorder.h"

namespace sgcntr {

namespace {

constexpr double kSamePoint = 1e-6;

/// Whether the outline turns right back at b: a, b and c on one line, c back toward a.
bool turnsBack(const sgVector<2>& a, const sgVector<2>& b, const sgVector<2>& c) {
  return sfOrientation(a, b, c) == 0 && (c - b) * (b - a) < 0.0;
}

/// The outline as far as crossings go: each run of vertices within the tolerance of each other
/// kept as one, and every spike (a stretch run out and straight back) folded away, since a strand
/// of no width crosses nothing by touching. What remains are the passes. An open outline's end
/// vertices have one direction only and are no passes.
class Passes {
 public:
  Passes(const std::vector<sgVector<2>>& points, bool closed) : closed_(closed) {
    const auto same = [](const sgVector<2>& p, const sgVector<2>& q) { return p.distance(q) <= kSamePoint; };
    for (const sgVector<2>& p : points) {
      while (kept_.size() > 1 && turnsBack(kept_[kept_.size() - 2], kept_.back(), p)) kept_.pop_back();
      if (kept_.empty() || !same(kept_.back(), p)) kept_.push_back(p);
    }
    // Where the outline closes, the same folding across its first vertex.
    for (bool folded = closed; folded && kept_.size() > 2;) {
      const std::size_t m = kept_.size();
      folded = true;
      if (same(kept_[m - 1], kept_[0]) || turnsBack(kept_[m - 2], kept_[m - 1], kept_[0]))
        kept_.pop_back();
      else if (turnsBack(kept_[m - 1], kept_[0], kept_[1]))
        kept_.erase(kept_.begin());
      else
        folded = false;
    }
  }

  /// The passes, by their position in the kept outline.
  std::vector<long> all() const {
    std::vector<long> passes;
    const long m = size();
    if (m < 3) return passes;
    for (long k = closed_ ? 0 : 1; k < (closed_ ? m : m - 1); ++k) passes.push_back(k);
    return passes;
  }
  const sgVector<2>& at(long k) const { return kept_[static_cast<std::size_t>(k)]; }

  /// Whether the strands through passes a and b, at one point, cross. Where they share a
  /// direction in opposite senses they fold onto each other: the fold is followed to its far end,
  /// and the strands cross when they come to it and leave it on different sides.
  bool cross(long a, long b) const;

 private:
  long size() const { return static_cast<long>(kept_.size()); }
  /// The direction from pass k to the vertex `step` (+1 or -1) along the outline; the zero vector
  /// past the end of an open outline.
  sgVector<2> toward(long k, int step) const {
    const long next = k + step;
    if (!closed_ && (next < 0 || next >= size())) return sgVector<2>(0.0, 0.0);
    return at((next + size()) % size()) - at(k);
  }
  /// Whether turning counter-clockwise from `shared` the strand of a reaches its own direction
  /// before b's: on which side of a shared run the strand of a lies.
  static bool firstSide(const sgVector<2>& shared, const sgVector<2>& ofA, const sgVector<2>& ofB) {
    return turnsBefore(shared, ofA, ofB);
  }

  std::vector<sgVector<2>> kept_;
  bool closed_;
};

bool Passes::cross(long a, long b) const {
  const sgVector<2> aDir[2] = {toward(a, -1), toward(a, 1)}, bDir[2] = {toward(b, -1), toward(b, 1)};
  int sharedA = -1, sharedB = -1, sharedCount = 0;
  bool sameSense = false;
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      if (!sameDirection(aDir[i], bDir[j])) continue;
      sharedA = i, sharedB = j, ++sharedCount;
      sameSense = sameSense || i == j;
    }
  }
  if (sharedCount == 0) {
    // Exactly one of b's directions inside the turn from a's way back to its way on.
    return turnsBefore(aDir[0], bDir[0], aDir[1]) != turnsBefore(aDir[0], bDir[1], aDir[1]);
  }
  // Two strands leaving (or arriving) the same way overlap in the same sense: across the shared
  // edge the winding number jumps by two, which no outline that only touches itself does.
  if (sameSense) return true;
  // Both directions shared in opposite senses: inside a fold, judged at its ends.
  if (sharedCount > 1) return false;
  const int stepA = sharedA == 0 ? -1 : 1, stepB = -stepA;
  const bool startSide = firstSide(aDir[sharedA], aDir[1 - sharedA], bDir[1 - sharedB]);
  // Follow the fold while both strands reach the same vertex and go on along each other.
  long i = a, j = b;
  for (long steps = 0; steps < size(); ++steps) {
    i = (i + stepA + size()) % size();
    j = (j + stepB + size()) % size();
    if (at(i).distance(at(j)) > kSamePoint) return false;  // a run that splits between vertices
    const sgVector<2> onA = toward(i, stepA), onB = toward(j, stepB);
    if (onA == sgVector<2>(0.0, 0.0) || onB == sgVector<2>(0.0, 0.0)) return false;
    if (sameDirection(onA, onB)) continue;
    const sgVector<2> back = toward(i, -stepA);
    if (sameDirection(onA, back) || sameDirection(onB, back)) return false;
    return startSide == firstSide(back, onA, onB);
  }
  return false;  // the outline goes out and back along itself all the way: it encloses nothing
}

}  // namespace

bool strandsCrossAtRepeatedVertex(const std::vector<sgVector<2>>& points, bool closed) {
  // A coordinate that is not finite places no vertex anywhere; the edge tests have spoken.
  for (const sgVector<2>& p : points)
    if (!std::isfinite(p.x()) || !std::isfinite(p.y())) return false;
  const Passes outline(points, closed);
  // Passes filed by grid cells of the tolerance's size; points within the tolerance lie in
  // neighbouring cells. Sorting keeps this n log n whatever the layout.
  using Cell = std::tuple<double, double, long>;
  std::vector<Cell> cells;
  const auto cellOf = [](double v) { return std::floor(v / kSamePoint); };
  for (const long k : outline.all())
    cells.emplace_back(cellOf(outline.at(k).x()), cellOf(outline.at(k).y()), k);
  std::sort(cells.begin(), cells.end());
  for (const auto& [cx, cy, k] : cells) {
    for (const double dx : {0.0, 1.0}) {
      for (const double dy : {-1.0, 0.0, 1.0}) {
        // Each pair once: the other pass in a later cell, or later in the same cell.
        if (dx == 0.0 && dy < 0.0) continue;
        auto it = std::lower_bound(cells.begin(), cells.end(),
                                   Cell{cx + dx, cy + dy, dx == 0.0 && dy == 0.0 ? k + 1 : 0});
        for (; it != cells.end() && std::get<0>(*it) == cx + dx && std::get<1>(*it) == cy + dy; ++it) {
          const long other = std::get<2>(*it);
          if (outline.at(k).distance(outline.at(other)) <= kSamePoint && outline.cross(k, other)) return true;
        }
      }
    }
  }
  return false;
}

}  // namespace sgcntr
