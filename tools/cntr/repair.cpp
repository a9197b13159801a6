#include "repair.h"

namespace cntr {

Shape repairShape(const Shape& shape, RepairMode mode) {
  Shape repaired;
  repaired.source = shape.source;
  repaired.index = shape.index;
  repaired.name = shape.name;
  if (shape.kind() == ShapeKind::RegionSet) {
    const sgRegionSet& set = *std::get<sgPtrHandle<sgRegionSet>>(shape.object);
    sgPtrHandle<sgRegionSet> result(new sgRegionSet);
    if (mode == RepairMode::Regularize)
      set.regularize(*result);
    else
      set.outerHull(*result);
    repaired.object = result;
    return repaired;
  }
  const sgPtrHandle<sgRegion> region = viewAsRegion(shape);
  sgPtrHandle<sgRegion> result(new sgRegion);
  if (mode == RepairMode::Regularize)
    region->regularize(*result);
  else
    region->outerHull(*result);
  // The library's repaired region starts with label 0; the user's tag belongs to the shape.
  result->label(region->label());
  repaired.object = result;
  return repaired;
}

}  // namespace cntr
