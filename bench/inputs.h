#pragma once
// The inputs every benchmark pair shares: generated from fixed seeds, with coordinates on a 1/64
// grid so that OpenCV's float points hold exactly the vertices the other libraries see.
#include <vector>

#include "lynstd/shapes.h"

namespace bench {

using Points = std::vector<sgVector<2>>;

/// A simple counter-clockwise polygon of n vertices: a star about the origin with random radii
/// at increasing angles, simple by construction.
Points starPolygon(int n);
/// A simple counter-clockwise polygon of n vertices with short edges: a circle of radius 6000
/// whose radii vary by about one vertex spacing.
Points noisyCircle(int n);
/// starPolygon (long edges, kind 0) or noisyCircle (short edges, kind 1).
Points outline(int kind, int n);
/// The name of an outline kind in benchmark names.
const char* outlineName(int kind);
/// The star polygon with some vertices exchanged with their next-but-one neighbour, so that the
/// outline crosses itself in about n / 100 places.
Points crossingPolygon(int n);
/// `count` points spread over the bounding box of the star polygons, inside and outside.
Points queryPoints(int count);
/// `count` segments through the star polygons, each crossing the outline at least twice.
std::vector<sgLineSeg> chords(int count);
/// `count` axis-aligned squares in rows and columns, none touching another.
std::vector<Points> disjointSquares(int count);
/// `count` rotated squares scattered so densely that most overlap some others.
std::vector<Points> overlappingSquares(int count);

}  // namespace bench
