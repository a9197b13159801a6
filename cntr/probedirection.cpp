// The first wide gap is found without computing and sorting every angle. The angles below a
// threshold T are exactly the first entries of the fully sorted list, so the gaps between them
// are the list's first gaps; a wide one among them is the answer. Otherwise T grows until it
// covers every angle, and the last round is the full sort with the wrap-around gap.
//
// Finding the angles below T cheaply: every vertex gets a pseudo-angle q in [0, 4), computed
// with one division, that increases strictly with the true direction angle t and grows at a rate
// between 1/2 and 1 (in the first quadrant q = sin t / (sin t + cos t); the others are turned
// copies). The exact angle A (atan2, then normalised) lies within a few 1e-16 of t, except that a
// direction just below a full turn may normalise to A = 0. So every vertex with A < T has
// q < q(T) + 1e-15 or q close to 4, and the slack of 1e-9 below covers those bounds and the
// rounding of q many times over. The exact angles are computed only for the vertices passing
// that filter, and compared with T exactly. The first threshold is placed just above the
// smallest pseudo-angle, so one round usually settles the query.
#include "probedirection.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "lynstd/basics.h"

namespace sgcntr {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPseudoSlack = 1e-9;
constexpr double kFullPseudoTurn = 4.0;
// The first threshold lies this many gap widths above the smallest angle; each further round
// doubles the increment.
constexpr double kFirstSpanInSteps = 8.0;

/// Per-thread buffers: the inside test runs once per query point, and nothing called while
/// these are in use runs another probe search.
struct ProbeBuffers {
  std::vector<double> pseudo;
  std::vector<double> exact;  // NaN until computed
  std::vector<double> sorted;
};

ProbeBuffers& probeBuffers() {
  thread_local ProbeBuffers buffers;
  return buffers;
}

/// NaN for a direction whose coordinates overflow: such a vertex then passes every filter.
double pseudoAngle(double dx, double dy) {
  const double ax = std::fabs(dx), ay = std::fabs(dy), sum = ax + ay;
  if (!std::isfinite(sum)) return kNaN;
  if (dy >= 0.0) return dx >= 0.0 ? ay / sum : 1.0 + ax / sum;
  return dx < 0.0 ? 2.0 + ay / sum : 3.0 + ax / sum;
}

double exactAngle(const sgVector<2>& d) { return d.angle().norm().toDouble(); }

/// The probe direction through the first gap wider than step between sorted neighbours, the
/// last one wrapping to the first when `wrap`.
std::optional<sgVector<2>> throughFirstWideGap(const std::vector<double>& sorted, double step, bool wrap) {
  const std::size_t m = sorted.size();
  const std::size_t pairs = wrap ? m : (m == 0 ? 0 : m - 1);
  for (std::size_t i = 0; i < pairs; ++i) {
    const std::size_t j = (i + 1 == m) ? 0 : i + 1;
    const double gap = sgRadian(sorted[j] - sorted[i]).norm().toDouble();
    if (gap > step) return sgVector<2>(1.0, sgRadian(sorted[i] + 0.5 * gap));
  }
  return std::nullopt;
}

}  // namespace

std::optional<sgVector<2>> probeDirection(const std::vector<sgVector<2>>& vertices, const sgVector<2>& point,
                                          double onVertex) {
  const std::size_t n = vertices.size();
  const double step = std::numbers::pi / static_cast<double>(n);
  ProbeBuffers& buffers = probeBuffers();
  std::vector<double>& pseudo = buffers.pseudo;
  pseudo.resize(n);
  // A squared length this far above the tolerance's square cannot give a length within it, so
  // the exact length is computed only near the tolerance.
  const double clearlyOff = onVertex * onVertex * (1.0 + 1e-6);
  bool anyNaN = false;
  std::size_t lowest = n;
  for (std::size_t i = 0; i < n; ++i) {
    const sgVector<2> d = vertices[i] - point;
    if (!(d.x() * d.x() + d.y() * d.y() > clearlyOff) && d.len() <= onVertex) return std::nullopt;
    anyNaN = anyNaN || std::isnan(d.x()) || std::isnan(d.y());
    pseudo[i] = pseudoAngle(d.x(), d.y());
    if (lowest == n || pseudo[i] < pseudo[lowest]) lowest = i;
  }

  std::vector<double>& exact = buffers.exact;
  exact.assign(n, kNaN);
  const auto angleAt = [&](std::size_t i) {
    if (std::isnan(exact[i])) exact[i] = exactAngle(vertices[i] - point);
    return exact[i];
  };
  std::vector<double>& sorted = buffers.sorted;
  // NaN angles have no order that a partial search could reproduce: those go the full way.
  if (!anyNaN) {
    const double span = kFirstSpanInSteps * step;
    double threshold = (lowest < n ? angleAt(lowest) : 0.0) + span;
    for (double increment = span; threshold < sgRadian::kTwoPi; increment *= 2.0, threshold += increment) {
      const double limit = pseudoAngle(std::cos(threshold), std::sin(threshold)) + kPseudoSlack;
      sorted.clear();
      for (std::size_t i = 0; i < n; ++i) {
        if (pseudo[i] >= limit && pseudo[i] <= kFullPseudoTurn - kPseudoSlack) continue;
        const double angle = angleAt(i);
        if (angle < threshold) sorted.push_back(angle);
      }
      std::sort(sorted.begin(), sorted.end());
      if (const auto direction = throughFirstWideGap(sorted, step, false)) return direction;
    }
  }
  sorted.clear();
  for (std::size_t i = 0; i < n; ++i) sorted.push_back(angleAt(i));
  std::sort(sorted.begin(), sorted.end());
  return throughFirstWideGap(sorted, step, true).value_or(sgVector<2>(1.0, 0.0));
}

}  // namespace sgcntr
