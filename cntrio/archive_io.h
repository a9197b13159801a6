#pragma once
#include <string>

#include "char_source.h"
#include "shape.h"

namespace cntr {

/// Receives the shapes of an input one at a time, built and numbered.
using ShapeSink = std::function<void(Shape&&)>;

/// Reads an archive file: the tool's own (a header with the shape count, then one framed
/// record per shape, read one at a time) or a plain sequence of pointer records (read whole).
/// Shapes are named by position. Throws InputError for bytes that are not such an archive, and
/// for an archive of the tool's that ends before its count or goes on after it.
void readArchiveShapes(CharSource& in, const ShapeSink& sink);

/// The header of an archive of `count` shapes; written first with a count of 0 and written
/// again over it once the count is known.
std::string formatArchiveHeader(std::uint64_t count);

/// One shape's framed record (an edgelet chain is stored as the edgelet contour it is made of).
std::string formatArchiveRecord(const Shape& shape);

}  // namespace cntr
