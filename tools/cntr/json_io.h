#pragma once
#include <string>
#include <vector>

#include "shape.h"

namespace cntr {

/// Reads the JSON form: {"shapes": [shape, ...]}, a bare array of shapes, or one shape object.
/// Throws InputError naming `source` and the line and column of a syntax error or of the value
/// that is not what the form expects.
std::vector<ShapeData> parseJsonShapes(const std::string& text, const std::string& source);

/// Writes {"shapes": [...]}, one shape per line; numbers read back exactly.
std::string formatJsonShapes(const std::vector<ShapeData>& shapeDataList);

/// Finds where the value at `path` (object keys and array indices, outermost first) starts in
/// the valid JSON `text`. Returns false when it cannot be found.
bool locateJsonValue(const std::string& text, const std::vector<std::string>& path, std::size_t& offset);

}  // namespace cntr
