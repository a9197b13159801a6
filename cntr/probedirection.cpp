// The first wide gap is found without computing and sorting every angle. The angles below a
// threshold T are exactly the first entries of the fully sorted list, so the gaps between them
// are the list's first gaps; a wide one among them is the answer. Otherwise T grows until it
// covers every angle, and the last round is the full sort with the wrap-around gap.
//
// Finding the angles below T cheaply: every vertex gets a pseudo-angle q in [0, 4], computed
// with one division, that increases strictly with the true direction angle t and grows at a rate
// between 1/2 and 1 (in the first quadrant q = sin t / (sin t + cos t); the others are turned
// copies). The exact angle A (atan2, then normalised) lies within a few 1e-16 of t, except that a
// direction just below a full turn may normalise to A = 0. So every vertex with A < T has
// q < q(T) + 1e-15 or q close to 4, and the slack of 1e-9 below covers those bounds and the
// rounding of q many times over. The exact angles are computed only for the vertices passing
// that filter, once each, and compared with T exactly. The first threshold is placed just above
// the smallest pseudo-angle, so one round usually settles the query.
//
// Per query the work is two passes over the vertices: one computing the pseudo-angles, which the
// compiler vectorises, and one finding the smallest and listing the vertices near it, which
// serve the first rounds.
#include "probedirection.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <numbers>

#include "lynstd/basics.h"

namespace sgcntr {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kPseudoSlack = 1e-9;
constexpr double kFullPseudoTurn = 4.0;
// The key of the vertices that need a closer look or must pass every filter: below every
// pseudo-angle.
constexpr double kSpecialKey = -1.0;
// The first threshold lies this many gap widths above the smallest angle; each further round
// doubles the increment.
constexpr double kFirstSpanInSteps = 8.0;
// The vertices listed with the smallest key serve the first two rounds, whose thresholds end
// 1 + 2 spans above the smallest angle; a pseudo-angle grows no faster than the angle.
constexpr double kListedSpans = 4.0;

// The pass over every vertex dominates a query on a long outline; where the processor has AVX2
// it runs four vertices at a time rather than two. Both versions compute the same keys. Not in
// sanitizer builds: their runtimes are not ready when the loader resolves the choice, and crash.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define LYNCNTR_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LYNCNTR_SANITIZED 1
#endif
#if defined(__x86_64__) && defined(__ELF__) && !defined(LYNCNTR_SANITIZED)
#define LYNCNTR_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define LYNCNTR_VECTOR_CLONES
#endif

/// Per-thread buffers: the inside test runs once per query point, and nothing called while
/// these are in use runs another probe search.
struct ProbeBuffers {
  std::vector<double> keys;         // fillKeys' key of each vertex
  std::vector<std::size_t> listed;  // the special vertices, and those of keys near the smallest
  std::vector<double> candidates;   // exact angles of the vertices that passed a filter so far
  std::vector<double> sorted;
};

// Out of line so that the caller binds the buffers once: inlined, GCC fetches the address of a
// thread_local again inside loops, which in a shared library is a call each time.
[[gnu::noinline]] ProbeBuffers& probeBuffers() {
  thread_local ProbeBuffers buffers;
  return buffers;
}

/// NaN for a direction whose coordinates overflow or are NaN. With c = dx / (|dx| + |dy|): 1 - c
/// in the upper half, 3 + c in the lower one; a -0 dy counts as lower, where c = 1 gives 4, so
/// (dx, -0) is taken like a direction just below a full turn. Without comparisons, so that the
/// loop over the vertices vectorises.
double pseudoAngle(double dx, double dy) {
  const double sum = std::fabs(dx) + std::fabs(dy);
  const double cosLike = dx / sum + (sum - sum);  // sum - sum: 0, or NaN once the sum overflows
  return 2.0 - std::copysign(1.0 + cosLike, dy);
}

/// The filters' key of every vertex: its pseudo-angle, or kSpecialKey where the vertex needs a
/// closer look (within reach of the on-vertex test, or a NaN difference) or must pass every
/// filter (a direction just below a full turn may have the exact angle 0, and an overflowing one
/// has no pseudo-angle). A length within the tolerance gives |dx| + |dy| at most sqrt(2) times
/// the tolerance, so the exact length is left to the few vertices below that.
LYNCNTR_VECTOR_CLONES void fillKeys(const std::vector<sgVector<2>>& vertices, const sgVector<2>& point,
                                    double onVertex, double* keys) {
  const double nearSum = std::numbers::sqrt2 * onVertex * (1.0 + 1e-6);
  const std::size_t n = vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    const double dx = vertices[i].x() - point.x(), dy = vertices[i].y() - point.y();
    const double pseudo = pseudoAngle(dx, dy);
    // & rather than &&: no branch in the loop.
    const bool ordinary =
        (std::fabs(dx) + std::fabs(dy) > nearSum) & (pseudo <= kFullPseudoTurn - kPseudoSlack);
    keys[i] = ordinary ? pseudo : kSpecialKey;
  }
}

struct Lowest {
  std::size_t vertex;  // of the smallest key; the vertex count when every key is special
  double reach;        // every vertex of a key below this is listed
};

/// Lists the special vertices and those whose key lies below the smallest key plus `width`, in
/// one pass with a running minimum (a vertex below the final bound was below the running one
/// when scanned).
Lowest listNearLowest(const std::vector<double>& keys, double width, std::vector<std::size_t>& listed) {
  const std::size_t n = keys.size();
  const double* const key = keys.data();  // held locally: the stores of push_back might alias keys
  Lowest lowest{n, kInfinity};
  double lowestKey = kInfinity;
  for (std::size_t i = 0; i < n; ++i) {
    if (key[i] >= lowest.reach) continue;
    listed.push_back(i);
    if (key[i] < lowestKey && key[i] != kSpecialKey) {
      lowestKey = key[i];
      lowest = {i, key[i] + width};
    }
  }
  return lowest;
}

/// sgRadian(r).norm() for |r| < 2 pi, where the fmod inside norm() returns r itself: its exact
/// result without the call.
double normaliseWithinATurn(double r) {
  if (r < 0.0) r += sgRadian::kTwoPi;
  return r >= sgRadian::kTwoPi ? 0.0 : r;
}

/// d.angle().norm(): atan2 lies within [-pi, pi].
double exactAngle(const sgVector<2>& d) { return normaliseWithinATurn(std::atan2(d.y(), d.x())); }

enum class SpecialVertices { kOrdinary, kOnVertex, kNaNDirection };

/// Examines the listed special vertices, and takes the exact angles of the ordinary ones among
/// them as candidates of every round. A vertex on the point decides, whatever else.
SpecialVertices examineSpecials(const std::vector<sgVector<2>>& vertices, const sgVector<2>& point,
                                double onVertex, ProbeBuffers& buffers) {
  SpecialVertices found = SpecialVertices::kOrdinary;
  for (const std::size_t i : buffers.listed) {
    if (buffers.keys[i] != kSpecialKey) continue;
    const sgVector<2> d = vertices[i] - point;
    if (d.len() <= onVertex) return SpecialVertices::kOnVertex;
    if (std::isnan(d.x()) || std::isnan(d.y()))
      found = SpecialVertices::kNaNDirection;
    else
      buffers.candidates.push_back(exactAngle(d));
  }
  return found;
}

/// Appends the exact angles of the vertices whose key lies in [from, to): from the listed ones
/// when the band ends below their reach, else from all.
void appendInBand(const std::vector<sgVector<2>>& vertices, const sgVector<2>& point, const Lowest& lowest,
                  double from, double to, ProbeBuffers& buffers) {
  const auto take = [&](std::size_t i) {
    const double key = buffers.keys[i];
    if (key >= from && key < to) buffers.candidates.push_back(exactAngle(vertices[i] - point));
  };
  if (to <= lowest.reach) {
    for (const std::size_t i : buffers.listed) take(i);
  } else {
    for (std::size_t i = 0; i < vertices.size(); ++i) take(i);
  }
}

/// The probe direction through the first gap wider than step between sorted neighbours, the
/// last one wrapping to the first when `wrap`.
std::optional<sgVector<2>> throughFirstWideGap(const std::vector<double>& sorted, double step, bool wrap) {
  const std::size_t m = sorted.size();
  const std::size_t pairs = wrap ? m : (m == 0 ? 0 : m - 1);
  for (std::size_t i = 0; i < pairs; ++i) {
    const std::size_t j = (i + 1 == m) ? 0 : i + 1;
    const double gap = normaliseWithinATurn(sorted[j] - sorted[i]);  // both in [0, 2 pi) or NaN
    if (gap > step) return sgVector<2>(1.0, sgRadian(sorted[i] + 0.5 * gap));
  }
  return std::nullopt;
}

/// The candidates below the threshold, sorted, and the first wide gap between them.
std::optional<sgVector<2>> throughFirstWideGapBelow(double threshold, double step, ProbeBuffers& buffers) {
  std::vector<double>& sorted = buffers.sorted;
  sorted.clear();
  std::copy_if(buffers.candidates.begin(), buffers.candidates.end(), std::back_inserter(sorted),
               [threshold](double angle) { return angle < threshold; });
  std::sort(sorted.begin(), sorted.end());
  return throughFirstWideGap(sorted, step, false);
}

/// The rounds of growing thresholds, after the special vertices' angles were taken; empty when
/// the threshold reached a full turn first.
std::optional<sgVector<2>> searchBelowThresholds(const std::vector<sgVector<2>>& vertices,
                                                 const sgVector<2>& point, double step, const Lowest& lowest,
                                                 ProbeBuffers& buffers) {
  const std::size_t first = lowest.vertex;
  const double span = kFirstSpanInSteps * step;
  double threshold = (first < vertices.size() ? exactAngle(vertices[first] - point) : 0.0) + span;
  double covered = 0.0;  // the pseudo-angles below this have been taken
  for (double increment = span; threshold < sgRadian::kTwoPi; increment *= 2.0, threshold += increment) {
    const double limit =
        std::max(covered, pseudoAngle(std::cos(threshold), std::sin(threshold)) + kPseudoSlack);
    appendInBand(vertices, point, lowest, covered, limit, buffers);
    covered = limit;
    if (const auto direction = throughFirstWideGapBelow(threshold, step, buffers)) return direction;
  }
  return std::nullopt;
}

sgVector<2> throughFirstWideGapOfAll(const std::vector<sgVector<2>>& vertices, const sgVector<2>& point,
                                     double step, std::vector<double>& sorted) {
  sorted.clear();
  for (const sgVector<2>& v : vertices) sorted.push_back(exactAngle(v - point));
  std::sort(sorted.begin(), sorted.end());
  return throughFirstWideGap(sorted, step, true).value_or(sgVector<2>(1.0, 0.0));
}

}  // namespace

std::optional<sgVector<2>> probeDirection(const std::vector<sgVector<2>>& vertices, const sgVector<2>& point,
                                          double onVertex) {
  const double step = std::numbers::pi / static_cast<double>(vertices.size());
  ProbeBuffers& buffers = probeBuffers();
  buffers.keys.resize(vertices.size());
  fillKeys(vertices, point, onVertex, buffers.keys.data());
  buffers.listed.clear();
  const Lowest lowest = listNearLowest(buffers.keys, kListedSpans * kFirstSpanInSteps * step, buffers.listed);
  buffers.candidates.clear();
  const SpecialVertices specials = examineSpecials(vertices, point, onVertex, buffers);
  if (specials == SpecialVertices::kOnVertex) return std::nullopt;
  // NaN angles have no order that a partial search could reproduce: those go the full way.
  if (specials == SpecialVertices::kOrdinary) {
    if (const auto direction = searchBelowThresholds(vertices, point, step, lowest, buffers))
      return direction;
  }
  return throughFirstWideGapOfAll(vertices, point, step, buffers.sorted);
}

}  // namespace sgcntr
