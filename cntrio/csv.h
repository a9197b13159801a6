#pragma once
#include <string>
#include <vector>

namespace cntr {

/// One CSV row (RFC 4180): fields holding a comma, a quote or a line break are quoted, with
/// quotes doubled; the row ends with a line break.
std::string formatCsvRow(const std::vector<std::string>& fields);

}  // namespace cntr
