#include "csv.h"

namespace cntr {

std::string formatCsvRow(const std::vector<std::string>& fields) {
  std::string row;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) row += ',';
    const std::string& field = fields[i];
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
      row += field;
      continue;
    }
    row += '"';
    for (const char c : field) {
      if (c == '"') row += '"';
      row += c;
    }
    row += '"';
  }
  row += '\n';
  return row;
}

}  // namespace cntr
