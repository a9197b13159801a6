#pragma once
// The edgelet forms of the free functions measure the polygon of the edgelet positions; they all
// go through this one conversion and then call the point forms (internal to the library).
#include <vector>

#include "lynip/edgelet.h"

namespace sgcntr {

/// The position of every edgelet, in order.
inline std::vector<sgVector<2>> positionsOf(const std::vector<sgEdgelet>& edgelets) {
  std::vector<sgVector<2>> points;
  points.reserve(edgelets.size());
  for (const sgEdgelet& e : edgelets) points.push_back(e.position());
  return points;
}

}  // namespace sgcntr
