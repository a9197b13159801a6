#pragma once
#include <map>
#include <string>

namespace cntr {

/// The file forms the tool reads and writes. Auto picks by file extension, and for input
/// without a known extension (standard input among them) by the first bytes. JSON and GeoJSON
/// are read by one reader, which tells them apart by their "type" values.
enum class Format { Auto, Json, GeoJson, Wkt, Archive };

/// Names accepted by --from and --to.
inline const std::map<std::string, Format>& formatNames() {
  static const std::map<std::string, Format> names{{"auto", Format::Auto},
                                                   {"json", Format::Json},
                                                   {"geojson", Format::GeoJson},
                                                   {"wkt", Format::Wkt},
                                                   {"archive", Format::Archive}};
  return names;
}

/// .json, .geojson, .wkt, .arc; Auto for anything else.
Format guessFormatFromPath(const std::string& path);

}  // namespace cntr
