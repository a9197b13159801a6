#include "json_lexer.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "errors.h"

namespace cntr {

namespace {

// Longer number tokens are refused rather than held: no coordinate needs a thousand digits.
constexpr std::size_t kMaxNumberLength = 1000;

void appendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The number of continuation bytes a UTF-8 lead byte announces and the smallest code point it
// may encode (overlong forms are refused), or false for a byte that cannot lead.
bool describeLeadByte(int c, int& continuations, unsigned& code, unsigned& minimum) {
  if (c >= 0xC2 && c <= 0xDF) return continuations = 1, code = c & 0x1F, minimum = 0x80, true;
  if (c >= 0xE0 && c <= 0xEF) return continuations = 2, code = c & 0x0F, minimum = 0x800, true;
  if (c >= 0xF0 && c <= 0xF4) return continuations = 3, code = c & 0x07, minimum = 0x10000, true;
  return false;
}

}  // namespace

const JsonToken& JsonLexer::peek() {
  if (!hasNext_) {
    next_ = scan();
    hasNext_ = true;
  }
  return next_;
}

JsonToken JsonLexer::take() {
  peek();
  hasNext_ = false;
  return std::move(next_);
}

JsonToken JsonLexer::expect(JsonToken::Kind kind, const char* what) {
  JsonToken token = take();
  if (token.kind != kind) fail(token.at, concat({"expected ", what}));
  return token;
}

void JsonLexer::enter(Position at) {
  if (++depth_ > kMaxDepth) fail(at, "JSON nested too deeply");
}

void JsonLexer::skipValue() {
  const JsonToken token = take();
  const bool object = token.kind == JsonToken::BeginObject;
  if (!object && token.kind != JsonToken::BeginArray) {
    if (token.kind == JsonToken::String || token.kind == JsonToken::Number || token.kind == JsonToken::True ||
        token.kind == JsonToken::False || token.kind == JsonToken::Null)
      return;
    fail(token.at, "expected a value");
  }
  enter(token.at);
  const JsonToken::Kind close = object ? JsonToken::EndObject : JsonToken::EndArray;
  if (peek().kind == close) {
    take();
  } else {
    for (;;) {
      if (object) {
        expect(JsonToken::String, "a key string");
        expect(JsonToken::Colon, "':'");
      }
      skipValue();
      const JsonToken separator = take();
      if (separator.kind == close) break;
      if (separator.kind != JsonToken::Comma)
        fail(separator.at, object ? "expected ',' or '}'" : "expected ',' or ']'");
    }
  }
  leave();
}

void JsonLexer::expectEnd() {
  // Not a token: whatever follows (a NUL byte, say) is refused for being there at all.
  const bool more = hasNext_ ? next_.kind != JsonToken::End : in_.skipSpace() >= 0;
  if (more) fail(hasNext_ ? next_.at : in_.position(), "unexpected content after the JSON document");
}

JsonToken JsonLexer::scan() {
  JsonToken token;
  const int c = in_.skipSpace();
  token.at = in_.position();
  switch (c) {
    case -1:
      token.kind = JsonToken::End;
      return token;
    case '{':
    case '}':
    case '[':
    case ']':
    case ':':
    case ',': {
      static constexpr const char* kPunctuation = "{}[]:,";
      token.kind = static_cast<JsonToken::Kind>(std::string_view(kPunctuation).find(static_cast<char>(c)));
      in_.get();
      return token;
    }
    case '"':
      scanString(token);
      return token;
    case 't':
      scanWord(token, "true", JsonToken::True);
      return token;
    case 'f':
      scanWord(token, "false", JsonToken::False);
      return token;
    case 'n':
      scanWord(token, "null", JsonToken::Null);
      return token;
    default:
      if (c == '-' || std::isdigit(c)) {
        scanNumber(token);
        return token;
      }
  }
  if (c >= 0x20 && c < 0x7F)
    fail(token.at, concat({"unexpected character '", std::string(1, static_cast<char>(c)), "'"}));
  fail(token.at, concat({"unexpected byte 0x", [c] {
                           char hex[3];
                           std::to_chars(hex, hex + 2, c, 16);
                           return std::string(hex, c < 16 ? 1 : 2);
                         }()}));
}

void JsonLexer::scanWord(JsonToken& token, const char* word, JsonToken::Kind kind) {
  for (const char* p = word; *p; ++p)
    if (in_.get() != *p) fail(token.at, concat({"expected '", word, "'"}));
  if (std::isalnum(in_.peek())) fail(token.at, "unexpected word");
  token.kind = kind;
}

void JsonLexer::scanNumber(JsonToken& token) {
  token.kind = JsonToken::Number;
  std::string& text = token.text;
  const auto digits = [&] {
    const std::size_t before = text.size();
    while (std::isdigit(in_.peek())) {
      if (text.size() == kMaxNumberLength) fail(token.at, concat({"number too long: ", excerpt(text)}));
      text += static_cast<char>(in_.get());
    }
    return text.size() > before;
  };
  if (in_.peek() == '-') text += static_cast<char>(in_.get());
  const bool leadingZero = in_.peek() == '0';
  if (!digits() || (leadingZero && text.size() - (text[0] == '-') > 1))
    fail(token.at, concat({"malformed number '", excerpt(text), "'"}));
  if (in_.peek() == '.') {
    text += static_cast<char>(in_.get());
    if (!digits()) fail(token.at, concat({"malformed number '", excerpt(text), "'"}));
  }
  if (in_.peek() == 'e' || in_.peek() == 'E') {
    text += static_cast<char>(in_.get());
    if (in_.peek() == '+' || in_.peek() == '-') text += static_cast<char>(in_.get());
    if (!digits()) fail(token.at, concat({"malformed number '", excerpt(text), "'"}));
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), token.number);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(token.number))
    fail(token.at, concat({"number out of range: ", excerpt(text)}));
}

unsigned JsonLexer::readHex4(Position at) {
  unsigned value = 0;
  for (int i = 0; i < 4; ++i) {
    const int c = in_.get();
    if (!std::isxdigit(c)) fail(at, "malformed \\u escape");
    value = value * 16 + static_cast<unsigned>(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
  }
  return value;
}

void JsonLexer::appendEscape(std::string& out, Position at) {
  const int c = in_.get();
  switch (c) {
    case '"':
    case '\\':
    case '/':
      out += static_cast<char>(c);
      return;
    case 'b':
      out += '\b';
      return;
    case 'f':
      out += '\f';
      return;
    case 'n':
      out += '\n';
      return;
    case 'r':
      out += '\r';
      return;
    case 't':
      out += '\t';
      return;
    case 'u':
      break;
    default:
      fail(at, "malformed escape in a string");
  }
  unsigned code = readHex4(at);
  if (code >= 0xDC00 && code <= 0xDFFF) fail(at, "unpaired surrogate in a \\u escape");
  if (code >= 0xD800 && code <= 0xDBFF) {
    if (in_.get() != '\\' || in_.get() != 'u') fail(at, "unpaired surrogate in a \\u escape");
    const unsigned low = readHex4(at);
    if (low < 0xDC00 || low > 0xDFFF) fail(at, "unpaired surrogate in a \\u escape");
    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
  }
  appendUtf8(out, code);
}

void JsonLexer::scanString(JsonToken& token) {
  token.kind = JsonToken::String;
  in_.get();
  for (;;) {
    const Position at = in_.position();
    const int c = in_.get();
    if (c < 0) fail(token.at, "unterminated string");
    if (c == '"') return;
    if (c == '\\') {
      appendEscape(token.text, at);
    } else if (c < 0x20) {
      fail(at, "control character in a string");
    } else if (c < 0x80) {
      token.text += static_cast<char>(c);
    } else {
      int continuations = 0;
      unsigned code = 0, minimum = 0;
      if (!describeLeadByte(c, continuations, code, minimum)) fail(at, "a string is not valid UTF-8");
      std::string bytes(1, static_cast<char>(c));
      for (int i = 0; i < continuations; ++i) {
        const int next = in_.get();
        if (next < 0x80 || next > 0xBF) fail(at, "a string is not valid UTF-8");
        code = (code << 6) | static_cast<unsigned>(next & 0x3F);
        bytes += static_cast<char>(next);
      }
      if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        fail(at, "a string is not valid UTF-8");
      token.text += bytes;
    }
  }
}

bool isWholeNumber(const std::string& text, unsigned long limit, unsigned long& value) {
  if (text.find_first_not_of("0123456789") != std::string::npos) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value <= limit;
}

}  // namespace cntr
