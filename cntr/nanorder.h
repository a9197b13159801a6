#pragma once
// A strict weak order on doubles that admits NaN. Plain `<` is no such order once a NaN appears,
// and a sort or an ordered map built on it loses its invariants.
#include <cmath>

namespace sgcntr {

/// `a < b` for numbers; every NaN is one value above all numbers.
inline bool lessNaNLast(double a, double b) {
  if (std::isnan(a)) return false;
  return std::isnan(b) || a < b;
}

}  // namespace sgcntr
