#include "arrays.h"

#include <cstdint>

#include "cntr/contourdefs.h"

namespace lyncntr_py {

namespace {

const wchar_t kShapeMessage[] = L"points must be an array of shape (N, 2) or (N, 1, 2)";

// Reads the rows through the array's strides, so views and OpenCV's arrays need no copy first.
template <class T>
std::vector<sgVector<2>> readRows(const py::array& a, py::ssize_t rowStride, py::ssize_t colStride) {
  const auto* base = static_cast<const char*>(a.data());
  const py::ssize_t n = a.shape(0);
  std::vector<sgVector<2>> points;
  points.reserve(static_cast<std::size_t>(n));
  for (py::ssize_t i = 0; i < n; ++i) {
    const char* row = base + i * rowStride;
    points.emplace_back(static_cast<double>(*reinterpret_cast<const T*>(row)),
                        static_cast<double>(*reinterpret_cast<const T*>(row + colStride)));
  }
  return points;
}

}  // namespace

std::vector<sgVector<2>> toPoints(py::handle obj) {
  py::array a = py::isinstance<py::array>(obj)
                    ? py::reinterpret_borrow<py::array>(obj)
                    : py::array(py::array_t<double, py::array::forcecast>::ensure(obj));
  if (!a) {
    PyErr_Clear();
    throw sgContourDefs::BadParams(kShapeMessage);
  }
  if (a.size() == 0) return {};
  const bool plain = a.ndim() == 2 && a.shape(1) == 2;
  const bool opencv = a.ndim() == 3 && a.shape(1) == 1 && a.shape(2) == 2;
  if (!plain && !opencv) throw sgContourDefs::BadParams(kShapeMessage);
  const py::ssize_t colStride = a.strides(a.ndim() - 1);
  const char kind = a.dtype().kind();
  const auto size = a.dtype().itemsize();
  if (kind == 'f' && size == 8) return readRows<double>(a, a.strides(0), colStride);
  if (kind == 'f' && size == 4) return readRows<float>(a, a.strides(0), colStride);
  if (kind == 'i' && size == 4) return readRows<std::int32_t>(a, a.strides(0), colStride);
  if (kind == 'i' && size == 8) return readRows<std::int64_t>(a, a.strides(0), colStride);
  auto converted = py::array_t<double, py::array::forcecast>::ensure(a);
  if (!converted) {
    PyErr_Clear();
    throw sgContourDefs::BadParams(kShapeMessage);
  }
  return readRows<double>(converted, converted.strides(0), converted.strides(converted.ndim() - 1));
}

py::array_t<double> toQueryPoints(py::handle obj, bool& single) {
  auto a = py::array_t<double, py::array::forcecast>::ensure(obj);
  if (!a) {
    PyErr_Clear();
    throw sgContourDefs::BadParams(L"query points must be a pair or an array of shape (M, 2)");
  }
  single = a.ndim() == 1 && a.shape(0) == 2;
  if (single) return a.reshape({1, 2});
  if (a.ndim() == 3 && a.shape(1) == 1 && a.shape(2) == 2) return a.reshape({a.shape(0), py::ssize_t{2}});
  if (a.ndim() == 2 && a.shape(1) == 2) return a;
  if (a.size() == 0) return py::array_t<double>(std::vector<py::ssize_t>{0, 2});
  throw sgContourDefs::BadParams(L"query points must be a pair or an array of shape (M, 2)");
}

py::array_t<double> toArray(const std::vector<sgVector<2>>& points) {
  py::array_t<double> a({static_cast<py::ssize_t>(points.size()), py::ssize_t{2}});
  auto out = a.mutable_unchecked<2>();
  for (std::size_t i = 0; i < points.size(); ++i) {
    out(static_cast<py::ssize_t>(i), 0) = points[i].x();
    out(static_cast<py::ssize_t>(i), 1) = points[i].y();
  }
  return a;
}

py::array_t<double> toArray(const sgVector<2>& point) {
  py::array_t<double> a(py::ssize_t{2});
  a.mutable_at(0) = point.x();
  a.mutable_at(1) = point.y();
  return a;
}

}  // namespace lyncntr_py
