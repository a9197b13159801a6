// Builds, copies and compares contours and measures a region through the installed package.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "cntr/contour.h"
#include "cntr/region.h"

int main() {
  const std::vector<sgVector<2>> square{{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  sgContour open(square, false, 7);
  sgContour copy(open);
  copy.label(8);
  if (!(copy == open)) return std::puts("copy differs"), EXIT_FAILURE;
  copy.isClosed(true);
  if (copy == open) return std::puts("closed copy still equal"), EXIT_FAILURE;

  const sgRegion region(square, sgContourDefs::eIgnore);
  std::printf("open length %.1f, closed length %.1f, area %.1f\n", open.length(), copy.length(),
              region.area(true));
  try {
    sgContour().meanPosition();
  } catch (const sgContourDefs::EmptyContour& e) {
    std::printf("empty contour refused (error 0x%lx)\n", e.errorNumber());
    return EXIT_SUCCESS;
  }
  return EXIT_FAILURE;
}
