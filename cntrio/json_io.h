#pragma once
#include <string>

#include "char_source.h"
#include "shape.h"

namespace cntr {

/// Reads the JSON form ({"shapes": [shape, ...]}, a bare array of shapes, or one shape object)
/// and GeoJSON (a FeatureCollection, a Feature, or a Polygon, MultiPolygon or LineString
/// geometry), handing each shape to `sink` as soon as it is read. Throws InputError with the
/// line and column of what does not fit: malformed JSON, content after the document, a
/// duplicate or unknown key, a value of the wrong kind.
void readJsonShapes(CharSource& in, const ShapeDataSink& sink);

/// One shape in the JSON form, on one line; numbers read back exactly.
std::string formatJsonShape(const ShapeData& shape);

/// One shape as a GeoJSON Feature on one line, its name and label among the properties: a
/// contour is a LineString (closed ones end on their first point), a region or an edgelet
/// chain a Polygon, a region set a MultiPolygon. With `rightHand`, outer rings run
/// counter-clockwise and holes clockwise (RFC 7946); otherwise as stored.
std::string formatGeoJsonFeature(const ShapeData& shape, bool rightHand);

}  // namespace cntr
