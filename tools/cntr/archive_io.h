#pragma once
#include <string>
#include <vector>

#include "shape.h"

namespace cntr {

/// Reads an archive file (a sequence of pointer records, one per shape) from its bytes; the
/// shapes are named by position. Throws InputError when the bytes are not such an archive.
std::vector<Shape> parseArchiveShapes(std::vector<unsigned char> bytes, const std::string& source);

/// The archive bytes of the shapes, one pointer record each (holes of holes and edgelets kept:
/// an edgelet chain is stored as an edgelet contour record).
std::vector<unsigned char> formatArchiveShapes(const std::vector<Shape>& shapes);

}  // namespace cntr
