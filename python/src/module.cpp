#include <pybind11/pybind11.h>

#include "batch.h"
#include "errors.h"
#include "files.h"
#include "pickle.h"
#include "shapes.h"

PYBIND11_MODULE(_lyncntr, m) {
  m.doc() = "Plane contours, regions and region sets for machine vision.";
  lyncntr_py::bindErrors(m);
  lyncntr_py::bindContour(m);
  lyncntr_py::bindRegion(m);
  lyncntr_py::bindRegionSet(m);
  lyncntr_py::bindPickle(m);
  lyncntr_py::bindBatch(m);
  lyncntr_py::bindFiles(m);
}
