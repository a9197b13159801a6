#include "edgetree.h"

#include <algorithm>
#include <limits>

#include "edgewalk.h"

namespace sgcntr {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr Box kEmpty{kInfinity, kInfinity, -kInfinity, -kInfinity};

bool isFinite(const sgVector<2>& v) { return std::isfinite(v.x()) && std::isfinite(v.y()); }

Box enclose(const Box& a, const Box& b) {
  return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

}  // namespace

std::shared_ptr<const EdgeTree> EdgeTree::build(const std::vector<sgVector<2>>& points, bool closed) {
  const std::size_t edgeCount = closed ? points.size() : (points.empty() ? 0 : points.size() - 1);
  if (edgeCount < kMinEdges) return nullptr;
  auto tree = std::make_shared<EdgeTree>();
  std::vector<Box> edges;
  edges.reserve(edgeCount);
  forEachEdge(points, closed, [&](const sgVector<2>& a, const sgVector<2>& b) {
    if (!isFinite(a) || !isFinite(b)) {
      tree->unboxed_.push_back(static_cast<int>(edges.size()));
      edges.push_back(kEmpty);
      return;
    }
    edges.push_back(
        {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()), std::max(a.y(), b.y())});
    tree->magnitude_ =
        std::max({tree->magnitude_, std::fabs(a.x()), std::fabs(a.y()), std::fabs(b.x()), std::fabs(b.y())});
  });
  tree->levels_.push_back(std::move(edges));
  while (tree->levels_.back().size() > 1) {
    const std::vector<Box>& below = tree->levels_.back();
    std::vector<Box> above((below.size() + kFanOut - 1) / kFanOut, kEmpty);
    for (std::size_t i = 0; i < below.size(); ++i) above[i / kFanOut] = enclose(above[i / kFanOut], below[i]);
    tree->levels_.push_back(std::move(above));
  }
  return tree;
}

}  // namespace sgcntr
