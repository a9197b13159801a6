#include "values.h"

#include "arrays.h"

namespace lyncntr_py {

sgContourDefs::IntersectionMode modeFrom(const py::object& repair) {
  if (repair.is_none()) return sgContourDefs::eIgnore;
  const auto name = repair.cast<std::string>();
  if (name == "regularize") return sgContourDefs::eRegularize;
  if (name == "outer_hull") return sgContourDefs::eOuterHull;
  throw sgContourDefs::BadParams(L"repair must be None, \"regularize\" or \"outer_hull\"");
}

py::tuple rectTuple(const sgRect& r) { return py::make_tuple(r.x(), r.y(), r.width(), r.height()); }

py::array_t<double> matrixArray(const sgMatrix<2>& m) {
  py::array_t<double> a({py::ssize_t{2}, py::ssize_t{2}});
  auto out = a.mutable_unchecked<2>();
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c) out(r, c) = m(r, c);
  return a;
}

py::tuple ellipseTuple(const sgEllipse& e, double error) {
  return py::make_tuple(toArray(e.center()), py::make_tuple(e.r1(), e.r2()), e.rotation().toDouble(), error);
}

sgVector<2> pointFrom(py::handle point) {
  bool single = false;
  auto q = toQueryPoints(point, single);
  if (!single) throw sgContourDefs::BadParams(L"a point must be a pair (x, y)");
  return sgVector<2>(q.at(0, 0), q.at(0, 1));
}

sgLineSeg segmentFrom(py::handle obj) {
  const auto ends = toPoints(obj);
  if (ends.size() != 2) throw sgContourDefs::BadParams(L"a segment must be two points ((x0, y0), (x1, y1))");
  return sgLineSeg(ends[0], ends[1]);
}

}  // namespace lyncntr_py
