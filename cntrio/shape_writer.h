#pragma once
#include <cstdint>
#include <memory>

#include "formats.h"
#include "output_file.h"
#include "shape.h"

namespace cntr {

/// Writes shapes one at a time in one of the file forms, into an output that the caller
/// commits after finish().
class ShapeWriter {
 public:
  virtual ~ShapeWriter() = default;
  /// Writes a built shape.
  virtual void write(const Shape& shape) = 0;
  /// Writes what closes the file (the JSON list's end, the archive's shape count).
  virtual void finish() = 0;
};

/// Whether the form writes over its beginning when it is finished (the OutputFile must then
/// be rewritable).
bool needsRewrite(Format format);

/// A writer of `format` (not Auto) into `out`. `rightHand` turns GeoJSON rings as RFC 7946 asks.
std::unique_ptr<ShapeWriter> openShapeWriter(OutputFile& out, Format format, bool rightHand);

/// The requested form, else the one the output file's extension names, else JSON.
Format chooseOutputFormat(Format requested, const std::string& path);

}  // namespace cntr
