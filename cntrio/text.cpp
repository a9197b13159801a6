#include "text.h"

#include <charconv>

namespace cntr {

std::string concat(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (const std::string_view part : parts) size += part.size();
  std::string out;
  out.reserve(size);
  for (const std::string_view part : parts) out.append(part);
  return out;
}

std::string formatNumber(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string excerpt(std::string_view text) {
  constexpr std::size_t kLimit = 24;
  if (text.size() <= kLimit) return std::string(text);
  return concat({text.substr(0, kLimit), "..."});
}

}  // namespace cntr
