#pragma once
#include <string>

#include "char_source.h"

namespace cntr {

struct JsonToken {
  enum Kind {
    BeginObject,
    EndObject,
    BeginArray,
    EndArray,
    Colon,
    Comma,
    String,
    Number,
    True,
    False,
    Null,
    End
  };
  Kind kind = End;
  Position at;
  /// A string's decoded contents (UTF-8), or a number as written.
  std::string text;
  double number = 0.0;
};

/// Splits a JSON text into tokens as it is read (RFC 8259, strictly: no comments, no trailing
/// commas, no NaN). Refuses with the line and column: malformed tokens, strings that are not
/// UTF-8, numbers a double cannot hold (quoting a short excerpt), and nesting deeper than
/// kMaxDepth (see enter()).
class JsonLexer {
 public:
  static constexpr int kMaxDepth = 256;

  explicit JsonLexer(CharSource& in) : in_(in) {}

  const JsonToken& peek();
  JsonToken take();
  /// Takes the next token and refuses it unless it is of `kind`; `what` names what was expected.
  JsonToken expect(JsonToken::Kind kind, const char* what);
  /// Skips one whole value (of any kind).
  void skipValue();
  /// Counts one more level of nesting; refuses too deep a document.
  void enter(Position at);
  void leave() { --depth_; }
  /// Refuses anything but white space after the document.
  void expectEnd();
  [[noreturn]] void fail(Position at, const std::string& message) const { in_.fail(at, message); }
  CharSource& input() { return in_; }

 private:
  JsonToken scan();
  void scanString(JsonToken& token);
  void scanNumber(JsonToken& token);
  void scanWord(JsonToken& token, const char* word, JsonToken::Kind kind);
  void appendEscape(std::string& out, Position at);
  unsigned readHex4(Position at);

  CharSource& in_;
  JsonToken next_;
  bool hasNext_ = false;
  int depth_ = 0;
};

/// Whether `text` (a number token as written) is a whole number from 0 to `limit`.
bool isWholeNumber(const std::string& text, unsigned long limit, unsigned long& value);

}  // namespace cntr
