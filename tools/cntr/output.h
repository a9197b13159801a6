#pragma once
#include <string>
#include <vector>

#include "formats.h"
#include "shape.h"

namespace cntr {

/// The requested form, else the one the output file's extension names, else JSON.
Format chooseOutputFormat(Format requested, const std::string& path);

/// The shapes in the given form (all of them must be built).
std::string encodeShapes(const std::vector<Shape>& shapes, Format format);

/// Writes the bytes to standard output ("-") or to the file, whole or not at all: they go to a
/// temporary file beside it, renamed over the target once complete. Throws OutputError.
void writeWhole(const std::string& path, const std::string& bytes);

}  // namespace cntr
