#pragma once
// Conversions between the foundation's wide strings and UTF-8 byte strings (internal).
#include <string>

namespace sgdetail {

/// UTF-8 form of a wide string; values that are not Unicode scalar values (surrogates, above
/// U+10FFFF, negative) become U+FFFD so the result is always valid UTF-8.
std::string encodeUtf8(const std::wstring& text);

/// Wide form of a UTF-8 string; each byte that does not start a valid sequence becomes U+FFFD.
std::wstring decodeUtf8(const std::string& text);

}  // namespace sgdetail
