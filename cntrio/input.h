#pragma once
#include <string>
#include <vector>

#include "archive_io.h"
#include "formats.h"

namespace cntr {

/// Reads the shapes of the files in order ("-" is standard input), handing each to `sink` as
/// soon as it is read, numbered within its file. Throws InputError for a file that cannot be
/// read, holds no shape at all (in any form) or is malformed; shapes the library refuses come
/// with their build error set.
void readShapes(const std::vector<std::string>& paths, Format format, const ShapeSink& sink);

/// Reads one query point per line ("x y" or "x, y"; blank lines and lines starting with '#'
/// are skipped). Throws InputError with the line and column of a malformed entry.
std::vector<sgVector<2>> readPointFile(const std::string& path);

/// Parses "x,y" as given on the command line. Throws UsageError.
sgVector<2> parsePointArgument(const std::string& text);

}  // namespace cntr
