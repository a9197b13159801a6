#include "lyndispc/tablet.h"

sgUITablet::~sgUITablet() = default;

void sgRecordingTablet::drawLineSeg(const sgPair<double>& from, const sgPair<double>& to,
                                    const sgColor& color, Layers layer) {
  segs_.push_back({from, to, color, layer});
}
