#include "shape.h"

#include <cmath>
#include <exception>

#include "errors.h"

namespace cntr {

const char* nameKind(ShapeKind kind) {
  switch (kind) {
    case ShapeKind::Contour:
      return "contour";
    case ShapeKind::Region:
      return "region";
    case ShapeKind::RegionSet:
      return "regionset";
    case ShapeKind::Edgelets:
      return "edgelets";
  }
  return "unknown";
}

std::string Shape::title() const {
  return concat({"'", name, "' (", source, " #", std::to_string(index), ")"});
}

Ring collectPositions(const std::vector<sgEdgelet>& edgelets) {
  Ring points;
  points.reserve(edgelets.size());
  for (const sgEdgelet& e : edgelets) points.push_back(e.position());
  return points;
}

namespace {

sgPtrHandle<sgRegion> buildRegion(const Ring& outer, const std::vector<Ring>& holes, unsigned long label) {
  sgPtrHandle<sgRegion> region(new sgRegion(outer, sgContourDefs::eIgnore));
  region->label(label);
  if (!holes.empty()) {
    std::vector<sgPtrHandle_const<sgRegion>> holeRegions;
    for (const Ring& hole : holes) holeRegions.emplace_back(new sgRegion(hole, sgContourDefs::eIgnore));
    region->holes(holeRegions);
  }
  return region;
}

Shape::Object buildObject(const ShapeData& shapeData) {
  switch (shapeData.kind) {
    case ShapeKind::Contour:
      return sgPtrHandle<sgContour>(new sgContour(shapeData.points, shapeData.closed, shapeData.label));
    case ShapeKind::Region:
      return buildRegion(shapeData.points, shapeData.holes, shapeData.label);
    case ShapeKind::RegionSet: {
      std::vector<sgPtrHandle_const<sgRegion>> regions;
      for (const RegionRings& rings : shapeData.regions)
        regions.emplace_back(buildRegion(rings.outer, rings.holes, 0));
      return sgPtrHandle<sgRegionSet>(new sgRegionSet(regions, sgContourDefs::eIgnore));
    }
    case ShapeKind::Edgelets:
      return sgPtrHandle<EdgeletRegion>(new EdgeletRegion(shapeData.edgelets, shapeData.label));
  }
  throw ShapeError("unknown shape kind");
}

// An empty handle of the kind's alternative, so that a shape that failed to build still
// reports the kind it was given as.
Shape::Object makeEmptyObject(ShapeKind kind) {
  switch (kind) {
    case ShapeKind::Contour:
      return sgPtrHandle<sgContour>();
    case ShapeKind::Region:
      return sgPtrHandle<sgRegion>();
    case ShapeKind::RegionSet:
      return sgPtrHandle<sgRegionSet>();
    case ShapeKind::Edgelets:
      return sgPtrHandle<EdgeletRegion>();
  }
  return sgPtrHandle<sgContour>();
}

std::string nameByPosition(std::size_t index) {
  std::string name = "#";
  name += std::to_string(index);
  return name;
}

// Makes the library refuse now what measure would refuse later (an outline of too few
// vertices, an empty set), with the library's own error: the first measure each kind needs.
void probeMeasurable(const Shape::Object& object) {
  switch (object.index()) {
    case 0:
      (void)std::get<0>(object)->meanPosition();
      break;
    case 1:
      (void)std::get<1>(object)->area(true);
      break;
    case 2:
      (void)std::get<2>(object)->area(true);
      (void)std::get<2>(object)->centerOfMass(true);
      break;
    case 3:
      (void)std::get<3>(object)->area(true);
      break;
  }
}

// Where the first coordinate that is not finite sits, or "" when all are.
std::string findNonFinite(const Ring& ring, const char* what) {
  for (std::size_t i = 0; i < ring.size(); ++i)
    if (!std::isfinite(ring[i].x()) || !std::isfinite(ring[i].y()))
      return concat({"coordinate not finite: vertex ", std::to_string(i + 1), " of ", what, " is (",
                     formatNumber(ring[i].x()), ", ", formatNumber(ring[i].y()), ")"});
  return {};
}

std::string findNonFinite(const RegionRings& rings, const char* outer) {
  std::string problem = findNonFinite(rings.outer, outer);
  for (std::size_t i = 0; problem.empty() && i < rings.holes.size(); ++i)
    problem = findNonFinite(rings.holes[i], "a hole");
  return problem;
}

std::string findNonFinite(const ShapeData& data) {
  switch (data.kind) {
    case ShapeKind::Contour:
    case ShapeKind::Region:
      return findNonFinite(RegionRings{data.points, data.holes}, "the outline");
    case ShapeKind::RegionSet:
      for (const RegionRings& region : data.regions)
        if (std::string problem = findNonFinite(region, "a region's outline"); !problem.empty())
          return problem;
      return {};
    case ShapeKind::Edgelets:
      return findNonFinite(collectPositions(data.edgelets), "the edgelet chain");
  }
  return {};
}

RegionRings describeRegion(const sgRegion& region) {
  RegionRings rings{region.points(), {}};
  for (const sgPtrHandle_const<sgRegion>& hole : region.holes()) rings.holes.push_back(hole->points());
  return rings;
}

}  // namespace

Shape buildShape(const ShapeData& shapeData, const std::string& source, std::size_t index) {
  Shape shape;
  shape.source = source;
  shape.index = index;
  shape.name = shapeData.name.empty() ? nameByPosition(index) : shapeData.name;
  shape.object = makeEmptyObject(shapeData.kind);
  shape.buildError = findNonFinite(shapeData);
  if (!shape.buildError.empty()) return shape;
  try {
    shape.object = buildObject(shapeData);
    probeMeasurable(shape.object);
  } catch (...) {
    shape.buildError = describeCurrentException();
  }
  return shape;
}

Shape wrapLoadedShape(Shape::Object object, const std::string& source, std::size_t index) {
  Shape shape;
  shape.source = source;
  shape.index = index;
  shape.name = nameByPosition(index);
  shape.object = std::move(object);
  try {
    // A record is not checked as the constructors check (holes crossing the outline load
    // unrefused): building the same shape anew makes the library refuse what it would refuse
    // in a text form. The loaded object is kept, with what the text forms cannot carry.
    const ShapeData data = describeShape(shape);
    shape.buildError = findNonFinite(data);
    if (shape.buildError.empty()) {
      (void)buildObject(data);
      probeMeasurable(shape.object);
    }
  } catch (...) {
    shape.buildError = describeCurrentException();
  }
  return shape;
}

void requireBuilt(const Shape& shape) {
  if (!shape.buildError.empty()) throw ShapeError(shape.buildError);
}

ShapeData describeShape(const Shape& shape) {
  requireBuilt(shape);
  ShapeData shapeData;
  shapeData.kind = shape.kind();
  shapeData.name = shape.name;
  switch (shapeData.kind) {
    case ShapeKind::Contour: {
      const sgContour& contour = *std::get<sgPtrHandle<sgContour>>(shape.object);
      shapeData.points = contour.points();
      shapeData.closed = contour.isClosed();
      shapeData.label = contour.label();
      break;
    }
    case ShapeKind::Region: {
      const sgRegion& region = *std::get<sgPtrHandle<sgRegion>>(shape.object);
      RegionRings rings = describeRegion(region);
      shapeData.points = std::move(rings.outer);
      shapeData.holes = std::move(rings.holes);
      shapeData.label = region.label();
      break;
    }
    case ShapeKind::RegionSet:
      for (const sgPtrHandle_const<sgRegion>& region :
           std::get<sgPtrHandle<sgRegionSet>>(shape.object)->regions())
        shapeData.regions.push_back(describeRegion(*region));
      break;
    case ShapeKind::Edgelets: {
      const EdgeletRegion& chain = *std::get<sgPtrHandle<EdgeletRegion>>(shape.object);
      shapeData.edgelets = chain.data();
      shapeData.label = chain.label();
      break;
    }
  }
  return shapeData;
}

sgPtrHandle<sgRegion> viewAsRegion(const Shape& shape) {
  requireBuilt(shape);
  switch (shape.kind()) {
    case ShapeKind::Region:
      return std::get<sgPtrHandle<sgRegion>>(shape.object);
    case ShapeKind::Edgelets:
      return std::get<sgPtrHandle<EdgeletRegion>>(shape.object);
    case ShapeKind::Contour: {
      const sgContour& contour = *std::get<sgPtrHandle<sgContour>>(shape.object);
      if (!contour.isClosed()) throw ShapeError("an open contour bounds no area");
      return sgPtrHandle<sgRegion>(new sgRegion(contour, sgContourDefs::eIgnore));
    }
    case ShapeKind::RegionSet:
      break;
  }
  throw ShapeError("a region set is not a single region");
}

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
