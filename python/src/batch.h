#pragma once
#include <pybind11/pybind11.h>

namespace lyncntr_py {

/// lyncntr._measure and lyncntr.regularize_all: one region per item, measured or repaired on
/// all cores with the GIL released.
void bindBatch(pybind11::module_& m);

}  // namespace lyncntr_py
