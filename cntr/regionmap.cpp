// Region mapping through a transform, and the region's own drawing slot.
#include "cntr/region.h"

void sgRegion::map(const sgXform<2>& xform, sgRegion& result) const {
  // Read before assigning: `result` may be this region.
  const unsigned long ownLabel = label();
  std::vector<sgVector<2>> mapped;
  mapped.reserve(points().size());
  for (const sgVector<2>& p : points()) mapped.push_back(xform * p);
  result = sgRegion(mapped, sgContourDefs::eIgnore);
  result.label(ownLabel);
}

// Regions are shown through the inherited contour drawing, which draws the outer boundary.
void sgRegion::draw(sgUITablet& /*tablet*/, const sgColor& /*color*/,
                    const sgUITablet::Layers& /*layer*/) const {}
