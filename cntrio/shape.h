#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "cntr/cntrtmpl.h"
#include "cntr/contour.h"
#include "cntr/region.h"
#include "cntr/regionst.h"
#include "lynip/edgelet.h"
#include "lynstd/handle.h"

namespace cntr {

using Ring = std::vector<sgVector<2>>;
using EdgeletRegion = sgRegionT<sgEdgelet>;

enum class ShapeKind { Contour, Region, RegionSet, Edgelets };

/// The kind's name as used in the JSON form and in reports: contour, region, regionset, edgelets.
const char* nameKind(ShapeKind kind);

/// An outer boundary and its holes, as plain numbers (no closing point repeated).
struct RegionRings {
  Ring outer;
  std::vector<Ring> holes;
};

/// A shape as plain data, the common ground of the text formats: readers produce it, writers
/// consume it, and the library objects are built from it. Which fields count depends on `kind`:
/// a contour uses `points` and `closed`; a region `points` and `holes`; a region set `regions`;
/// an edgelet chain `edgelets` (a closed outline of edge points). Holes of holes are not kept.
struct ShapeData {
  ShapeKind kind = ShapeKind::Contour;
  std::string name;
  unsigned long label = 0;
  bool closed = true;
  Ring points;
  std::vector<Ring> holes;
  std::vector<RegionRings> regions;
  std::vector<sgEdgelet> edgelets;
};

/// Receives the shapes a reader reads, one at a time.
using ShapeDataSink = std::function<void(ShapeData&&)>;

/// The positions of an edgelet chain, as an outline.
Ring collectPositions(const std::vector<sgEdgelet>& edgelets);

/// One named shape of a batch, held as the library object it stands for.
struct Shape {
  using Object = std::variant<sgPtrHandle<sgContour>, sgPtrHandle<sgRegion>, sgPtrHandle<sgRegionSet>,
                              sgPtrHandle<EdgeletRegion>>;

  std::string source;     ///< the file it was read from
  std::size_t index = 0;  ///< 1-based position in that file
  std::string name;
  Object object;
  /// Why the library refused to build it from the input (empty when built); such a shape
  /// fails every operation and the rest of the batch goes on.
  std::string buildError;

  ShapeKind kind() const { return static_cast<ShapeKind>(object.index()); }
  /// "'name' (file #index)" for messages.
  std::string title() const;
};

/// The library object for the shapeData, named `shapeData.name` or else "#index". What the
/// library refuses, while building (holes crossing the outline, say) or when measuring (too few
/// vertices), is kept in `buildError`, as is a coordinate that is not finite: every command
/// refuses such a shape alike.
Shape buildShape(const ShapeData& shapeData, const std::string& source, std::size_t index);

/// A shape read from an archive, named by its position, checked as buildShape checks.
Shape wrapLoadedShape(Shape::Object object, const std::string& source, std::size_t index);

/// The plain-data form of a built shape (inverse of buildShape, up to holes of holes).
ShapeData describeShape(const Shape& shape);

/// The shape as a region when it bounds an area: a region or an edgelet chain as is, a closed
/// contour as the region it outlines. Throws ShapeError for an open contour and a region set.
sgPtrHandle<sgRegion> viewAsRegion(const Shape& shape);

/// Throws ShapeError when the shape was not built (carrying its build error).
void requireBuilt(const Shape& shape);

enum class RepairMode { Regularize, OuterHull };

/// The shape's regularization or outer hull, as computed by the library, under the same name:
/// a region for a region, an edgelet chain or a closed contour, a region set for a region set.
/// Throws ShapeError for an open contour, and the library's errors.
Shape repairShape(const Shape& shape, RepairMode mode);

}  // namespace cntr
