// Region splicing: two regions whose outer boundaries cross become one boundary that runs once
// around each, joined at their first crossing; the region set regularizes the result next.
#include <vector>

#include "cntr/region.h"
#include "cyclicrange.h"

void sgRegion::splice(const sgRegion& other, sgRegion& result) const {
  const std::vector<sgLineSeg>& segments = lineSegs();
  const std::vector<bool>& valid = validLine();
  std::vector<int> otherEdges;
  for (std::size_t k = 0; k < segments.size(); ++k) {
    // Zero-length edges have no direction to intersect along.
    if (!valid[k]) continue;
    const std::vector<sgVector<2>> crossings = other.sgContour::intersections(segments[k], otherEdges, true);
    if (crossings.empty()) continue;
    // Segment k ends at point k, so the walk around this boundary starts there and comes back to
    // the crossing along segment k itself; the same holds for the other boundary's segment.
    const sgVector<2>& joint = crossings.front();
    std::vector<sgVector<2>> joined{joint};
    sgcntr::appendCyclicRange(joined, points(), k, points().size());
    joined.push_back(joint);
    sgcntr::appendCyclicRange(joined, other.points(), otherEdges.front(), other.points().size());
    result = sgRegion(joined, sgContourDefs::eIgnore);
    return;
  }
  throw sgContourDefs::BadParams(L"spliced regions do not intersect");
}
