#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

namespace cntr {

/// The parts joined into one string. Messages are built with it rather than with chains of
/// `"literal" + std::string`, which g++ 12 flags with false -Wrestrict warnings.
std::string concat(std::initializer_list<std::string_view> parts);

/// Shortest decimal text that reads back as the same double.
std::string formatNumber(double value);

/// At most the first 24 bytes of `text`, with "..." when it was longer: an excerpt of input
/// that may be huge, for messages.
std::string excerpt(std::string_view text);

}  // namespace cntr
