#pragma once
#include <string>
#include <vector>

#include "formats.h"
#include "shape.h"

namespace cntr {

/// Reads every shape of the files in order ("-" is standard input). Throws InputError for a
/// file that cannot be read or is malformed; shapes the library refuses to build come back
/// with their build error set.
std::vector<Shape> readShapes(const std::vector<std::string>& paths, Format format);

/// Reads one query point per line ("x y" or "x, y"; blank lines and lines starting with '#'
/// are skipped). Throws InputError with the line and column of a malformed entry.
std::vector<sgVector<2>> readPointFile(const std::string& path);

/// Parses "x,y" as given on the command line. Throws UsageError.
sgVector<2> parsePointArgument(const std::string& text);

}  // namespace cntr
