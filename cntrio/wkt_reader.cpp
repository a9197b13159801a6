#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "errors.h"
#include "text.h"
#include "wkt_io.h"

namespace cntr {

namespace {

struct Token {
  enum Kind { Word, Number, Open, Close, Comma, Separator, End } kind = End;
  std::string text;
  double value = 0.0;
  std::size_t line = 1, column = 1;
};

class WktLexer {
 public:
  explicit WktLexer(CharSource& in) : in_(in) { advance(); }

  const Token& peek() const { return current_; }
  Token take() {
    Token t = current_;
    advance();
    return t;
  }
  [[noreturn]] void fail(const Token& at, const std::string& message) const {
    in_.fail({at.line, at.column}, message);
  }

 private:
  void advance() {
    const int c = in_.skipSpace();
    current_ = Token{};
    current_.line = in_.position().line;
    current_.column = in_.position().column;
    if (c < 0) return;
    if (std::isalpha(c)) {
      current_.kind = Token::Word;
      while (std::isalnum(in_.peek())) {
        if (current_.text.size() == kMaxTokenLength)
          fail(current_, concat({"word too long: ", excerpt(current_.text)}));
        current_.text += static_cast<char>(std::toupper(in_.get()));
      }
    } else if (std::isdigit(c) || c == '-' || c == '+' || c == '.') {
      readNumber();
    } else {
      const std::string punctuation = "(),;";
      const auto found = punctuation.find(static_cast<char>(c));
      if (found == std::string::npos)
        fail(current_, c >= 0x20 && c < 0x7F
                           ? concat({"unexpected character '", std::string(1, static_cast<char>(c)), "'"})
                           : std::string("unexpected byte (not WKT text)"));
      current_.kind = static_cast<Token::Kind>(Token::Open + found);
      current_.text = static_cast<char>(in_.get());
    }
  }

  void readNumber() {
    current_.kind = Token::Number;
    for (int c = in_.peek(); std::isalnum(c) || c == '.' || c == '-' || c == '+'; c = in_.peek()) {
      if (current_.text.size() == kMaxTokenLength)
        fail(current_, concat({"number too long: ", excerpt(current_.text)}));
      current_.text += static_cast<char>(in_.get());
    }
    // from_chars takes no leading '+'.
    const std::size_t skip =
        current_.text[0] == '+' && current_.text.size() > 1 && current_.text[1] != '-' ? 1 : 0;
    const char* first = current_.text.data() + skip;
    const char* last = current_.text.data() + current_.text.size();
    const auto [end, error] = std::from_chars(first, last, current_.value, std::chars_format::general);
    if (error == std::errc::result_out_of_range || (error == std::errc() && !std::isfinite(current_.value)))
      fail(current_, concat({"number out of range: ", excerpt(current_.text)}));
    if (error != std::errc() || end != last)
      fail(current_, concat({"malformed number '", excerpt(current_.text), "'"}));
  }

  // Longer words and numbers are refused rather than held.
  static constexpr std::size_t kMaxTokenLength = 1000;

  CharSource& in_;
  Token current_;
};

class WktParser {
 public:
  explicit WktParser(CharSource& in) : lexer_(in) {}

  void parseAll(const ShapeDataSink& sink) {
    if (lexer_.peek().kind == Token::End) lexer_.fail(lexer_.peek(), "empty input (no shapes)");
    while (lexer_.peek().kind != Token::End) {
      sink(parseGeometry());
      while (lexer_.peek().kind == Token::Separator) lexer_.take();
    }
  }

 private:
  ShapeData parseGeometry() {
    const Token keyword = lexer_.take();
    if (keyword.kind != Token::Word)
      lexer_.fail(keyword, concat({"expected POLYGON, MULTIPOLYGON or LINESTRING, found '",
                                   excerpt(keyword.text), "'"}));
    rejectExtraDimensions();
    ShapeData shapeData;
    if (keyword.text == "POLYGON") {
      shapeData.kind = ShapeKind::Region;
      RegionRings rings = parsePolygonText();
      shapeData.points = std::move(rings.outer);
      shapeData.holes = std::move(rings.holes);
    } else if (keyword.text == "MULTIPOLYGON") {
      shapeData.kind = ShapeKind::RegionSet;
      if (!takeEmpty()) shapeData.regions = parseList<RegionRings>([this] { return parsePolygonText(); });
    } else if (keyword.text == "LINESTRING") {
      shapeData.kind = ShapeKind::Contour;
      if (!takeEmpty()) shapeData.points = parsePointList();
      shapeData.closed = shapeData.points.size() >= 3 && shapeData.points.front() == shapeData.points.back();
      if (shapeData.closed) shapeData.points.pop_back();
    } else {
      lexer_.fail(keyword, concat({"unsupported geometry ", excerpt(keyword.text),
                                   " (expected POLYGON, MULTIPOLYGON or LINESTRING)"}));
    }
    return shapeData;
  }

  void rejectExtraDimensions() {
    const Token& t = lexer_.peek();
    if (t.kind == Token::Word && (t.text == "Z" || t.text == "M" || t.text == "ZM"))
      lexer_.fail(t, "only 2-D coordinates (x y) are supported");
  }

  bool takeEmpty() {
    if (lexer_.peek().kind != Token::Word || lexer_.peek().text != "EMPTY") return false;
    lexer_.take();
    return true;
  }

  void expect(Token::Kind kind, const char* what) {
    const Token t = lexer_.take();
    if (t.kind != kind)
      lexer_.fail(
          t, concat({"expected ", what, t.kind == Token::End ? ", found the end of the input" : ", found '",
                     t.kind == Token::End ? "" : excerpt(t.text), t.kind == Token::End ? "" : "'"}));
  }

  // '(' item {',' item} ')'
  template <class T, class ParseItem>
  std::vector<T> parseList(ParseItem parseItem) {
    expect(Token::Open, "'('");
    std::vector<T> items{parseItem()};
    while (lexer_.peek().kind == Token::Comma) {
      lexer_.take();
      items.push_back(parseItem());
    }
    expect(Token::Close, "',' or ')'");
    return items;
  }

  double parseNumber() {
    const Token t = lexer_.take();
    if (t.kind != Token::Number)
      lexer_.fail(t, t.kind == Token::End ? std::string("expected a number")
                                          : concat({"expected a number, found '", excerpt(t.text), "'"}));
    return t.value;
  }

  sgVector<2> parsePoint() {
    const double x = parseNumber();
    const double y = parseNumber();
    if (lexer_.peek().kind == Token::Number)
      lexer_.fail(lexer_.peek(), "only 2-D coordinates (x y) are supported");
    return {x, y};
  }

  Ring parsePointList() {
    return parseList<sgVector<2>>([this] { return parsePoint(); });
  }

  Ring parseRing() {
    Ring ring = parsePointList();
    if (ring.size() > 1 && ring.front() == ring.back()) ring.pop_back();
    return ring;
  }

  RegionRings parsePolygonText() {
    if (takeEmpty()) return {};
    std::vector<Ring> rings = parseList<Ring>([this] { return parseRing(); });
    RegionRings region{std::move(rings.front()), {}};
    region.holes.assign(std::make_move_iterator(rings.begin() + 1), std::make_move_iterator(rings.end()));
    return region;
  }

  WktLexer lexer_;
};

}  // namespace

void readWktShapes(CharSource& in, const ShapeDataSink& sink) { WktParser(in).parseAll(sink); }

}  // namespace cntr
