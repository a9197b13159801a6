#include "pickle.h"

#include <memory>
#include <string>
#include <vector>

#include "shapes.h"

namespace lyncntr_py {

py::bytes archiveBytes(sgPersistent& object) {
  sgArchive archive;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(archive, &object, unused);
  const auto& b = archive.bytes();
  return py::bytes(reinterpret_cast<const char*>(b.data()), b.size());
}

namespace {

// Rebuilds what __reduce__ wrote: the most derived Python class that fits the loaded object.
py::object fromArchive(const py::bytes& data) {
  const std::string raw = data;
  sgArchive archive(std::vector<unsigned char>(raw.begin(), raw.end()));
  sgPersistent* loaded = nullptr;
  sgPersistent::serializePointer(archive, nullptr, loaded);
  if (auto* region = dynamic_cast<sgRegion*>(loaded))
    return py::cast(std::make_unique<PyRegion>(sgPtrHandle<sgRegion>(region)));
  if (auto* set = dynamic_cast<sgRegionSet*>(loaded))
    return py::cast(std::make_unique<PyRegionSet>(sgPtrHandle<sgRegionSet>(set)));
  if (auto* contour = dynamic_cast<sgContour*>(loaded))
    return py::cast(std::make_unique<PyContour>(sgPtrHandle<sgContour>(contour)));
  sgPersistent::discardLoaded(archive, loaded);
  throw sgArchive::Corrupt(L"the bytes hold no contour, region or region set");
}

}  // namespace

void bindPickle(py::module_& m) {
  m.def("_load_archive", &fromArchive, "Rebuilds a shape from the bytes its __reduce__ wrote.");
}

}  // namespace lyncntr_py
