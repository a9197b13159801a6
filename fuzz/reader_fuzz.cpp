// libFuzzer target over the tool's text readers. The first byte chooses the form (even: JSON,
// odd: WKT); the rest is the text. Every input must end in shapes or the tool's InputError. Shapes
// that were read must survive the JSON form unchanged (it carries every field), and each must
// build into a library object or carry the library's refusal: anything else escapes and is
// reported.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "errors.h"
#include "json_io.h"
#include "shape.h"
#include "wkt_io.h"

namespace {

std::vector<cntr::ShapeData> read(bool wkt, const std::string& text) {
  return wkt ? cntr::parseWktShapes(text, "fuzz") : cntr::parseJsonShapes(text, "fuzz");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool wkt = data[0] & 1;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<cntr::ShapeData> shapeDataList;
  try {
    shapeDataList = read(wkt, text);
  } catch (const cntr::InputError&) {
    return 0;
  }
  // What the tool writes it must read back as written.
  const std::string written = cntr::formatJsonShapes(shapeDataList);
  if (cntr::formatJsonShapes(cntr::parseJsonShapes(written, "written")) != written) __builtin_trap();
  (void)cntr::parseWktShapes(cntr::formatWktShapes(shapeDataList), "written");
  for (std::size_t i = 0; i < shapeDataList.size(); ++i)
    (void)cntr::buildShape(shapeDataList[i], "fuzz", i + 1);
  return 0;
}
