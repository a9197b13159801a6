#include "archive_io.h"

#include "errors.h"
#include "lynstd/archive.h"

namespace cntr {

namespace {

using EdgeletContour = sgContourT<sgEdgelet>;

// The most derived kind first: an edgelet chain is also a region, and a region a contour.
Shape::Object classifyLoaded(sgPersistent* loaded) {
  if (auto* chain = dynamic_cast<EdgeletRegion*>(loaded)) return sgPtrHandle<EdgeletRegion>(chain);
  if (auto* chain = dynamic_cast<EdgeletContour*>(loaded))
    return sgPtrHandle<EdgeletRegion>(new EdgeletRegion(*chain, chain->label()));
  if (auto* region = dynamic_cast<sgRegion*>(loaded)) return sgPtrHandle<sgRegion>(region);
  if (auto* set = dynamic_cast<sgRegionSet*>(loaded)) return sgPtrHandle<sgRegionSet>(set);
  if (auto* contour = dynamic_cast<sgContour*>(loaded)) return sgPtrHandle<sgContour>(contour);
  return sgPtrHandle<sgContour>();
}

// The edgelet region's own record leaves its edgelets out, so a chain is stored as the edgelet
// contour it is made of (and made a region again when read). `keep` holds such stand-ins until
// the archive is complete: the archive tells objects apart by address.
sgPersistent* persistentOf(const Shape& shape, std::vector<sgPtrHandle<EdgeletContour>>& keep) {
  if (shape.kind() == ShapeKind::Edgelets) {
    const EdgeletRegion& chain = *std::get<sgPtrHandle<EdgeletRegion>>(shape.object);
    keep.emplace_back(new EdgeletContour(chain.data()));
    keep.back()->label(chain.label());
    return keep.back().get();
  }
  return std::visit([](const auto& handle) -> sgPersistent* { return handle.get(); }, shape.object);
}

}  // namespace

std::vector<Shape> parseArchiveShapes(std::vector<unsigned char> bytes, const std::string& source) {
  sgArchive archive(std::move(bytes));
  std::vector<Shape> shapes;
  try {
    while (archive.remaining() > 0) {
      sgPersistent* loaded = nullptr;
      sgPersistent::serializePointer(archive, nullptr, loaded);
      Shape::Object object = classifyLoaded(loaded);
      const bool known = std::visit([](const auto& handle) { return !handle.isNull(); }, object);
      if (!known) {
        // Objects that are not reference counted belong to the reader (the archive keeps the rest).
        if (loaded && !dynamic_cast<sgRepBase*>(loaded)) delete loaded;
        throw InputError(
            source, 0, 0,
            "record " + std::to_string(shapes.size() + 1) + " is not a contour, region or region set");
      }
      shapes.push_back(wrapLoadedShape(std::move(object), source, shapes.size() + 1));
    }
  } catch (const sgException& e) {
    throw InputError(
        source, 0, 0,
        "unreadable archive at record " + std::to_string(shapes.size() + 1) + ": " + describeLibraryError(e));
  }
  return shapes;
}

std::vector<unsigned char> formatArchiveShapes(const std::vector<Shape>& shapes) {
  std::vector<sgPtrHandle<EdgeletContour>> standIns;
  sgArchive archive;
  for (const Shape& shape : shapes) {
    requireBuilt(shape);
    sgPersistent* unused = nullptr;
    sgPersistent::serializePointer(archive, persistentOf(shape, standIns), unused);
  }
  return archive.bytes();
}

}  // namespace cntr
