// Maps a path inside an already parsed JSON text back to a byte offset, so that a value of the
// wrong kind can be reported by line and column like a syntax error.
#include <cctype>
#include <string>
#include <vector>

#include "json_io.h"

namespace cntr {

namespace {

class JsonCursor {
 public:
  explicit JsonCursor(const std::string& text) : text_(text) {}

  std::size_t position() const { return pos_; }
  char peek() {
    skipSpace();
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }
  void advance() { ++pos_; }

  // The raw characters of a string (escapes left as written); the cursor stands on its quote.
  std::string readRawString() {
    std::string raw;
    ++pos_;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) raw += text_[pos_++];
      raw += text_[pos_++];
    }
    ++pos_;
    return raw;
  }

  void skipValue() {
    const char c = peek();
    if (c == '"') {
      readRawString();
    } else if (c == '{' || c == '[') {
      skipNested();
    } else {
      while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_])) &&
             text_[pos_] != ',' && text_[pos_] != ']' && text_[pos_] != '}')
        ++pos_;
    }
  }

  // Moves onto the value named by `step` inside the object or array under the cursor.
  bool enter(const std::string& step) {
    const char open = peek();
    if (open != '{' && open != '[') return false;
    advance();
    for (std::size_t index = 0; peek() != '}' && peek() != ']' && peek() != '\0'; ++index) {
      bool match = open == '[' && step == std::to_string(index);
      if (open == '{') {
        if (peek() != '"') return false;
        match = readRawString() == step;
        if (peek() != ':') return false;
        advance();
      }
      if (match) {
        peek();
        return true;
      }
      skipValue();
      if (peek() == ',') advance();
    }
    return false;
  }

 private:
  void skipSpace() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  void skipNested() {
    int depth = 0;
    do {
      const char c = text_[pos_];
      if (c == '"') {
        readRawString();
        continue;
      }
      if (c == '{' || c == '[') ++depth;
      if (c == '}' || c == ']') --depth;
      ++pos_;
    } while (depth > 0 && pos_ < text_.size());
  }

  const std::string& text_;
  std::size_t pos_ = 0;
};

}  // namespace

bool locateJsonValue(const std::string& text, const std::vector<std::string>& path, std::size_t& offset) {
  JsonCursor cursor(text);
  for (const std::string& step : path)
    if (!cursor.enter(step)) return false;
  cursor.peek();
  offset = cursor.position();
  return true;
}

}  // namespace cntr
