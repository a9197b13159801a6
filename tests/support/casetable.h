#pragma once
// Known-answer cases kept as data: one row a case, read from tests/data/<family>.cases.
//
// A row is `op | argument | ... | catches`, fields split at " | ". The first field names what is
// asked, the last says what fault the row would catch; those between are the op's own (inputs in
// WKT, expected values, tolerances). Blank lines and lines starting with '#' are skipped.
//
// Shapes are written in WKT without repeating a ring's first point: LINESTRING is an open
// contour, POLYGON a closed outline with its holes, MULTIPOLYGON a region set, MULTIPOINT a list
// of points. Coordinates may be nan or inf, for the rows about bad input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cntr/regionst.h"

namespace casetable {

using Points = std::vector<sgVector<2>>;

struct Case {
  std::string where;  ///< file:line, for failure messages and test names
  std::string op;
  std::vector<std::string> args;
  std::string catches;
  /// The i-th argument; fails the test (throws) when the row has fewer.
  const std::string& arg(std::size_t i) const;
};

std::vector<Case> readCases(const std::string& family);

/// Test names from the row's line, so a failure points at the data file.
std::string caseName(const testing::TestParamInfo<Case>& info);

/// The rings of every polygon (MULTIPOLYGON, POLYGON), or the one list of points (LINESTRING,
/// MULTIPOINT, POINT); "EMPTY" gives none.
std::vector<std::vector<Points>> parseWkt(const std::string& wkt);

Points pointsOf(const std::string& wkt);
sgContour contourOf(const std::string& wkt);
sgPtrHandle<sgRegion> regionOf(const std::string& wkt);
sgRegionSet regionSetOf(const std::string& wkt);

/// The pieces of `text` between the separators, empty ones included.
std::vector<std::string> split(const std::string& text, const std::string& sep);

/// Numbers split at spaces or commas; nan, inf and -inf allowed.
std::vector<double> numbersOf(const std::string& text);
double numberOf(const std::string& text);

/// Lets GoogleTest print a row by its place in the data file.
inline void PrintTo(const Case& c, std::ostream* os) { *os << c.where << " " << c.op; }

}  // namespace casetable
