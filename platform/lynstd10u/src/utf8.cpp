#include "utf8.h"

#include <cstdint>

namespace sgdetail {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isScalarValue(std::uint32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

void appendUtf8(std::string& out, std::uint32_t c) {
  if (!isScalarValue(c)) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes the sequence starting at text[i]; returns its length, or 0 when it is not valid
// (overlong forms, surrogates and values above U+10FFFF included).
std::size_t decodeSequence(const std::string& text, std::size_t i, std::uint32_t& c) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t len = 0;
  std::uint32_t min = 0;
  if (lead < 0x80) {
    c = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    len = 2, c = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    len = 3, c = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    len = 4, c = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - i < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  return c >= min && isScalarValue(c) ? len : 0;
}

}  // namespace

std::string encodeUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t w : text) appendUtf8(out, static_cast<std::uint32_t>(w));
  return out;
}

std::wstring decodeUtf8(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t c = 0;
    const std::size_t len = decodeSequence(text, i, c);
    out += static_cast<wchar_t>(len ? c : kReplacement);
    i += len ? len : 1;
  }
  return out;
}

}  // namespace sgdetail
