#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "errors.h"
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
  WktLexer(const std::string& text, const std::string& source) : text_(text), source_(source) { advance(); }

  const Token& peek() const { return current_; }
  Token take() {
    Token t = current_;
    advance();
    return t;
  }
  [[noreturn]] void fail(const Token& at, const std::string& message) const {
    throw InputError(source_, at.line, at.column, message);
  }

 private:
  void advance() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) step();
    current_ = Token{};
    current_.line = line_;
    current_.column = column_;
    if (pos_ >= text_.size()) return;
    const char c = text_[pos_];
    if (std::isalpha(static_cast<unsigned char>(c))) {
      current_.kind = Token::Word;
      while (pos_ < text_.size() && std::isalnum(static_cast<unsigned char>(text_[pos_]))) {
        current_.text += static_cast<char>(std::toupper(static_cast<unsigned char>(text_[pos_])));
        step();
      }
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.') {
      readNumber();
    } else {
      const std::string punctuation = "(),;";
      const auto found = punctuation.find(c);
      if (found == std::string::npos) fail(current_, std::string("unexpected character '") + c + "'");
      current_.kind = static_cast<Token::Kind>(Token::Open + found);
      current_.text = c;
      step();
    }
  }

  void readNumber() {
    current_.kind = Token::Number;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                   text_[pos_] == '.' || text_[pos_] == '-' || text_[pos_] == '+')) {
      current_.text += text_[pos_];
      step();
    }
    // from_chars takes no leading '+'.
    const std::size_t skip =
        current_.text[0] == '+' && current_.text.size() > 1 && current_.text[1] != '-' ? 1 : 0;
    const char* first = current_.text.data() + skip;
    const char* last = current_.text.data() + current_.text.size();
    const auto [end, error] = std::from_chars(first, last, current_.value, std::chars_format::general);
    if (error == std::errc::result_out_of_range || (error == std::errc() && !std::isfinite(current_.value)))
      fail(current_, "number out of range: " + current_.text);
    if (error != std::errc() || end != last) fail(current_, "malformed number '" + current_.text + "'");
  }

  void step() {
    if (text_[pos_] == '\n') {
      ++line_;
      column_ = 1;
    } else {
      ++column_;
    }
    ++pos_;
  }

  const std::string& text_;
  const std::string& source_;
  std::size_t pos_ = 0, line_ = 1, column_ = 1;
  Token current_;
};

class WktParser {
 public:
  WktParser(const std::string& text, const std::string& source) : lexer_(text, source) {}

  std::vector<ShapeData> parseAll() {
    std::vector<ShapeData> shapeDataList;
    while (lexer_.peek().kind != Token::End) {
      shapeDataList.push_back(parseGeometry());
      while (lexer_.peek().kind == Token::Separator) lexer_.take();
    }
    return shapeDataList;
  }

 private:
  ShapeData parseGeometry() {
    const Token keyword = lexer_.take();
    if (keyword.kind != Token::Word)
      lexer_.fail(keyword, "expected POLYGON, MULTIPOLYGON or LINESTRING, found '" + keyword.text + "'");
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
      lexer_.fail(keyword,
                  "unsupported geometry " + keyword.text + " (expected POLYGON, MULTIPOLYGON or LINESTRING)");
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
      lexer_.fail(t,
                  std::string("expected ") + what +
                      (t.kind == Token::End ? ", found the end of the input" : ", found '" + t.text + "'"));
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
      lexer_.fail(t,
                  "expected a number" + (t.kind == Token::End ? std::string() : ", found '" + t.text + "'"));
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

std::vector<ShapeData> parseWktShapes(const std::string& text, const std::string& source) {
  return WktParser(text, source).parseAll();
}

}  // namespace cntr
