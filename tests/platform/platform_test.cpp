// Known answers of the foundation stand-ins, read from data/platform.cases, and the few behaviours
// that are no single value: stale caches, exact equality, bounds. An op answers numbers or a text;
// expected numbers may be `*` (any), `>x`, true or false, WKT points stand for their coordinates,
// the last tolerance serves the numbers after it, and a list shorter than the answer repeats. An
// error is its type and message: "Singular", "sgFitError: ...", "invalid_argument: ...".
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <sstream>
#include <typeinfo>
#include <variant>

#include "lyndispc/tablet.h"
#include "lynip/edgelet.h"
#include "lynstd/lynstd.h"
#include "support/casetable.h"

namespace {

using casetable::Case, casetable::numberOf, casetable::numbersOf, casetable::pointsOf;
using V = sgVector<2>;
using Points = std::vector<V>;
using Numbers = std::vector<double>;
using Handle = sgPtrHandle<sg2XformBase>;

sgMatrix<2> matrixOf(const Numbers& n) { return sgMatrix<2>(n.at(0), n.at(1), n.at(2), n.at(3)); }
sgXform<2> xformOf(const Numbers& n) { return sgXform<2>(matrixOf(n), V(n.at(4), n.at(5))); }
sgRect rectOf(const Numbers& n) { return sgRect(V(n.at(0), n.at(1)), V(n.at(2), n.at(3))); }
Numbers flat(const Points& points) {
  Numbers out;
  for (const V& p : points) out.insert(out.end(), {p.x(), p.y()});
  return out;
}
Numbers flat(const sgMatrix<2>& m) { return {m(0, 0), m(0, 1), m(1, 0), m(1, 1)}; }
Numbers join(std::initializer_list<Numbers> parts) {
  Numbers out;
  for (const Numbers& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// A sampled ellipse "cx cy ra rb rotation count" (a circle "cx cy r count", or "-") followed by the
// row's extra points.
Points fitInput(const Case& c, bool circle) {
  Numbers e = c.arg(0) == "-" ? Numbers{0, 0, 0, 0, 0, 0} : numbersOf(c.arg(0));
  if (circle) e = {e.at(0), e.at(1), e.at(2), e[2], 0.0, e.at(3)};
  Points pts = pointsOf(c.arg(1));
  for (int i = 0, n = static_cast<int>(e.at(5)); i < n; ++i) {
    const double t = 2 * std::numbers::pi * i / n, x = e[2] * std::cos(t), y = e[3] * std::sin(t);
    pts.push_back(
        V(e[0] + std::cos(e[4]) * x - std::sin(e[4]) * y, e[1] + std::sin(e[4]) * x + std::cos(e[4]) * y));
  }
  return pts;
}

// The viewBox, the number of lines and the first line of an SVG drawing of the row's segments
// "x1 y1 x2 y2 r g b a layer" split at ";".
std::string svgSummary(const Case& c) {
  sgSvgTablet t(numberOf(c.arg(0)));
  std::istringstream segments(c.arg(1) == "-" ? "" : c.arg(1));
  for (std::string s; std::getline(segments, s, ';');) {
    const Numbers n = numbersOf(s);
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(n.at(i)); };
    t.drawLineSeg({n.at(0), n.at(1)}, {n.at(2), n.at(3)}, sgColor(byte(4), byte(5), byte(6), byte(7)),
                  static_cast<sgUITablet::Layers>(n.at(8)));
  }
  std::ostringstream os;
  t.write(os);
  const std::string svg = os.str();
  EXPECT_TRUE(svg.starts_with("<?xml") && svg.ends_with("</svg>\n")) << svg;
  const auto box = svg.find("viewBox=\"") + 9, line = svg.find("<line ");
  std::size_t lines = 0;
  for (auto at = line; at != std::string::npos; at = svg.find("<line ", at + 1)) ++lines;
  return svg.substr(box, svg.find('"', box) - box) + "; " + std::to_string(lines) + "; " +
         (line == std::string::npos ? "-" : svg.substr(line, svg.find('>', line) + 1 - line));
}

using Sample = sgPersistent*;
Sample sampleOf(const std::string& name) {
  static const std::map<std::string, Sample (*)()> make = {
      {"sgException", []() -> Sample { return new sgException(); }},
      {"sgBadPointer", []() -> Sample { return new sgBadPointer(); }},
      {"sgMathError::Singular", []() -> Sample { return new sgMathError::Singular(); }},
      {"sgPel::BadWindow", []() -> Sample { return new sgPel::BadWindow(); }},
      {"sgFitError", []() -> Sample { return new sgFitError(L"sample \u00e9"); }},
      {"sgArchive::Error", []() -> Sample { return new sgArchive::Error(L"sample \u00e9"); }},
      {"sgArchive::UnknownVersion",
       []() -> Sample { return new sgArchive::UnknownVersion("cntr/sample", 31); }},
      {"sgArchive::EndOfData", []() -> Sample { return new sgArchive::EndOfData(); }},
      {"sgArchive::Corrupt", []() -> Sample { return new sgArchive::Corrupt(L"sample \u00e9"); }},
      {"sg2XformLinear",
       []() -> Sample {
         return new sg2XformLinear(xformOf({1.5, -0.25, 0.125, 3.0, -7.0, 0.1}));
       }},
      {"sg2Rigid", []() -> Sample { return new sg2Rigid(sgDegree(-123.456), V(0.3, 1e10)); }}};
  return make.at(name)();
}

/// Owns a sample or a loaded object, whichever kind it is.
struct Owned {
  explicit Owned(sgPersistent* p)
      : exception(dynamic_cast<sgException*>(p)), xform(dynamic_cast<sg2XformBase*>(p)) {}
  sgPersistent* get() const { return exception ? static_cast<sgPersistent*>(exception.get()) : xform.get(); }
  std::unique_ptr<sgException> exception;
  Handle xform;
};

/// Stores `p` through a pointer record and loads it back, held before the archive drops its own
/// reference.
Owned roundTrip(sgPersistent* p) {
  sgArchive out;
  sgPersistent* loaded = nullptr;
  sgPersistent::serializePointer(out, p, loaded);
  sgArchive in(out.bytes());
  sgPersistent::serializePointer(in, nullptr, loaded);
  EXPECT_EQ(in.remaining(), 0u);
  return Owned(loaded);
}

// A transform answers its loaded matrix, translation, determinant (a cache the loader must set)
// and a rigid one its angle; an exception its error number and message, rethrown as its own type.
std::variant<Numbers, std::string> reloaded(const std::string& name) {
  const Owned sample(sampleOf(name));
  Owned back = roundTrip(sample.get());
  if (!back.get() || typeid(*back.get()) != typeid(*sample.get())) return "loaded as another class";
  if (back.xform) {  // answered by a clone: a new, uncounted object of the class that outlives it
    const Handle copy(back.xform->clone());
    back.xform.reset();
    EXPECT_TRUE(copy->refCount() == 1 && typeid(*copy) == typeid(*sample.get()));
    const sgXform<2> x = copy->xform();
    const auto* rigid = dynamic_cast<const sg2Rigid*>(copy.get());
    const double angle = rigid ? rigid->rotation().toDouble() : NAN;
    return join({flat(x.matrix()), flat({x.trans(), V(x.matrix().determinant(), angle)})});
  }
  EXPECT_STREQ(back.exception->what(), sample.exception->what());
  try {
    back.exception.release()->suicideAndRethrow();  // frees itself: a leak fails the sanitized run
    ADD_FAILURE() << "returned";
  } catch (const sgException& e) {
    EXPECT_EQ(typeid(e), typeid(*sample.exception));
  }
  char number[16];
  std::snprintf(number, sizeof number, "0x%lx", sample.exception->errorNumber());
  return number + (*sample.exception->what() ? " " + std::string(sample.exception->what()) : "");
}

/// The class that refuses the sample's record with its byte `at`, a version, set to 1.
std::string refuserOf(const std::string& name, std::size_t at) {
  const Owned sample(sampleOf(name)), fresh(sampleOf(name));
  sgArchive out;
  sample.get()->serialize(out);
  std::vector<unsigned char> bytes = out.bytes();
  if (bytes.at(at) != 0) return "a byte that is not a version";
  bytes[at] = 1;
  sgArchive in(bytes);
  try {
    fresh.get()->serialize(in);
  } catch (const sgArchive::UnknownVersion& e) {
    return e.source();
  }
  return "nobody";
}

std::variant<Numbers, std::string> answer(const Case& c) {
  const std::string& op = c.op;
  const auto point = [&](std::size_t i) { return pointsOf(c.arg(i)).at(0); };
  const auto numbers = [&](std::size_t i) { return numbersOf(c.arg(i)); };
  const auto number = [&](std::size_t i) { return numberOf(c.arg(i)); };
  const auto line = [&](std::size_t i) { return sgLine(point(i), pointsOf(c.arg(i)).at(1)); };
  if (op == "vector") {
    const V p = point(0), q = point(1);
    return Numbers{p.len(), p.unit().x(), p.unit().y(), p.angle().toDouble(), p.distance(q), p * q};
  }
  if (op == "vector_polar") return flat({V(numbers(0).at(0), sgRadian(numbers(0).at(1)))});
  if (op == "matrix_polar") {
    const Numbers n = numbers(0);
    return flat(sgMatrix<2>(sgRadian(n.at(0)), sgRadian(n.at(1)), n.at(2), n.at(3)));
  }
  if (op == "matrix") {
    const sgMatrix<2> m = matrixOf(numbers(0)), product = m * matrixOf(numbers(1));
    return join({flat(product), {product.determinant()}, flat(m.transpose()), flat(m.inverse())});
  }
  if (op == "xform") {
    const sgXform<2> x = xformOf(numbers(0));
    const Handle inverse(sg2XformLinear(x).inverseBase());
    EXPECT_NE(dynamic_cast<const sg2XformLinear*>(inverse.get()), nullptr);
    const V p = point(2);
    return flat({x * p, sg2XformLinear(x).mapPoint(p), (x * xformOf(numbers(1))) * p, x.inverse() * p,
                 inverse->mapPoint(p)});
  }
  if (op == "line") return join({flat({line(0).proj(point(1)).position()}), {line(0).distToPoint(point(1))}});
  if (op == "line_parallel")
    return Numbers{double(line(0).isParallel(line(1))), double(line(1).isParallel(line(0)))};
  if (op == "line_intersect")
    return flat({line(0).intersect(line(1)).position(), line(1).intersect(line(0)).position()});
  if (op == "seg") {
    const sgLineSeg s(point(0), pointsOf(c.arg(0)).at(1)), back(s.p2(), s.p1());
    return Numbers{s.distToPoint(point(1)), back.distToPoint(point(1)), s.length()};
  }
  if (op == "rect") {
    const sgRect r = rectOf(numbers(0)), s = rectOf(numbers(1)), a = r.enclose(s), b = s.enclose(r);
    return join({flat({V(a.x(), a.y()), a.size(), V(b.x(), b.y()), b.size()}), {double(r.within(point(2)))}});
  }
  if (op == "rect_holds_points") {
    const Points pts = pointsOf(c.arg(0));
    sgRect r(pts.at(0), V());
    for (const V& p : pts) r = r.enclose(sgRect(p, V()));
    return Numbers{double(std::count_if(pts.begin(), pts.end(), [&](const V& p) { return !r.within(p); }))};
  }
  if (op == "angle")
    return Numbers{sgRadian(number(0)).norm().toDouble(), sgRadian(sgDegree(number(0))).toDouble(),
                   sgDegree(sgRadian(sgDegree(number(0)))).toDouble()};
  if (op == "ifloor") return std::to_string(sfIFloor(number(0)));
  if (op == "real_eq") {
    const double a = number(0), b = number(1), tol = number(2);
    return Numbers{double(sfRealEq(a, b, tol)), double(sfRealEq(V(a, 2.0), V(b, 2.0), tol)),
                   double(sfRealEq(sgMatrix<2>(1.0, 2.0, 3.0, a), sgMatrix<2>(1.0, 2.0, 3.0, b), tol))};
  }
  if (op == "rigid") {
    const sg2Rigid r(sgDegree(number(0)), V(numbers(1).at(0), numbers(1).at(1)));
    const Handle inverse(r.inverseBase());
    const auto* rigid = dynamic_cast<const sg2Rigid*>(inverse.get());
    const V p = r.mapPoint(point(2)), q = inverse->mapPoint(point(2));
    return join(
        {{p.x(), p.y(), rigid ? rigid->rotation().toDouble() : NAN, q.x(), q.y()}, flat(r.xform().matrix())});
  }
  if (op == "convex_hull") {
    Points h = {V(9, 9), V(8, 8)};  // replaced, not appended to
    sfConvexHull(pointsOf(c.arg(0)), h);
    return flat(h);
  }
  if (op == "ellipse_fit" || op == "circle_fit") {
    const Numbers p = numbers(2);
    const sgFitMode mode = static_cast<sgFitMode>(p.at(0));
    const auto passes = static_cast<unsigned long>(p.at(2));
    if (op == "circle_fit") {
      sgCircleFitResults r;
      sfCircleFit({mode, p.at(1), passes, p.at(3)}, fitInput(c, true), r);
      return Numbers{r.circle.center().x(), r.circle.center().y(), r.circle.radius(), r.error};
    }
    sgEllipseFitResults r;
    sfEllipseFit({mode, sgRadian(p.at(1)), passes, p.at(3)}, fitInput(c, false), r);
    const sgEllipse& e = r.ellipse;
    EXPECT_TRUE(std::isfinite(e.center().x() + e.center().y() + e.r1()) && e.r1() >= e.r2() && e.r2() > 0);
    return Numbers{e.center().x(), e.center().y(), e.r1(), e.r2(), e.rotation().toDouble(), r.error};
  }
  if (op == "angle8")
    return Numbers{double(sgAngle8::fromRadian(sgRadian(number(0) * sgRadian::kTwoPi / 256)).code())};
  if (op == "random_uniform") return Numbers{sgRandomUniform().next(numbers(0).at(0), numbers(0).at(1))};
  if (op == "svg") return svgSummary(c);
  if (op == "round_trip") return reloaded(c.arg(0));
  if (op == "refuses") return refuserOf(c.arg(0), static_cast<std::size_t>(number(1)));
  if (op == "record") {
    sgArchive out;
    Owned(sampleOf(c.arg(0))).get()->serialize(out);
    return Numbers(out.bytes().begin(), out.bytes().end());
  }
  throw std::runtime_error("unknown op " + op);
}

/// The op's answer, or the type and message of what it threw.
std::variant<Numbers, std::string> outcomeOf(const Case& c) {
  try {
    return answer(c);
  } catch (const sgMathError::Singular&) {
    return std::string("Singular");
  } catch (const sgFitError& e) {
    return "sgFitError: " + std::string(e.what());
  } catch (const std::invalid_argument& e) {
    return "invalid_argument: " + std::string(e.what());
  }
}

void expectMatches(const Numbers& got, std::string expected, const Numbers& tol) {
  std::replace_if(
      expected.begin(), expected.end(), [](char ch) { return ch == '(' || ch == ')' || ch == ','; }, ' ');
  std::istringstream in(expected);
  std::vector<std::string> want;
  for (std::string w; in >> w;)
    if (!std::isupper(static_cast<unsigned char>(w[0]))) want.push_back(w);  // WKT words go, numbers stay
  ASSERT_TRUE(want.empty() ? got.empty() : got.size() % want.size() == 0) << got.size() << " numbers";
  for (std::size_t i = 0; i < got.size(); ++i) {
    const std::string& w = want[i % want.size()];
    const double v = w == "true"    ? 1.0
                     : w == "false" ? 0.0
                     : w == "*"     ? got[i]
                                    : numberOf(w.substr(w[0] == '>'));
    if (w[0] == '>') {
      EXPECT_GT(got[i], v) << "number " << i;
    } else if (std::isnan(v)) {
      EXPECT_TRUE(std::isnan(got[i])) << "number " << i << ": " << got[i];
    } else if (got[i] != v) {
      EXPECT_NEAR(got[i], v, tol.at(std::min(i % want.size(), tol.size() - 1))) << "number " << i;
    }
  }
}

class Platform : public testing::TestWithParam<Case> {};

TEST_P(Platform, Row) {
  const Case& c = GetParam();
  SCOPED_TRACE(c.where + " " + c.catches);
  const auto got = outcomeOf(c);
  if (const auto* text = std::get_if<std::string>(&got)) {
    EXPECT_EQ(*text, c.args.back());
  } else {
    ASSERT_GE(c.args.size(), 2u);
    expectMatches(std::get<Numbers>(got), c.args[c.args.size() - 2], numbersOf(c.args.back()));
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, Platform, testing::ValuesIn(casetable::readCases("platform")),
                         casetable::caseName);

TEST(Platform, StaleCachesExactEqualityAndBounds) {
  sgMatrix<2> m(2.0, 1.0, 1.0, 1.0);
  m.set(0, 0, 5.0);
  EXPECT_TRUE(m.element(0, 0) == 5.0 && m.determinant() == 1.0);  // stale until setdt, by contract
  m.setdt();
  EXPECT_EQ(m.determinant(), 4.0);
  for (int i = 0; i < 4; ++i) m.set(i / 2, i % 2, 0.0);
  EXPECT_THROW(m.inverse(), sgMathError::Singular);  // the stale determinant does not hide it
  EXPECT_TRUE(V(0.1 + 0.2, 0.0) != V(0.3, 0.0) && V(NAN, 0.0) != V(NAN, 0.0) && V(0.0, -0.0) == V(-0.0, 0.0));
  const sgPolygon poly({V(0, 0), V(1, 0), V(0, 1)}, sgPolygon::eNonZeroWinding);
  EXPECT_EQ(poly[2], V(0, 1));
  EXPECT_THROW(poly[3], std::out_of_range);
  EXPECT_THROW(poly[-1], std::out_of_range);
  for (int code = 0; code < 256; ++code)
    EXPECT_EQ(sgAngle8::fromRadian(sgAngle8(static_cast<unsigned char>(code)).toRadian()).code(), code);
  EXPECT_STREQ(sgFitError(L"\u03c0 \u2248 3 \U0001D11E").what(), "\xcf\x80 \xe2\x89\x88 3 \xf0\x9d\x84\x9e");
  EXPECT_STREQ(sgFitError(std::wstring(1, wchar_t(0xD800))).what(), "\xef\xbf\xbd");  // not a character
  EXPECT_TRUE(sg2XformLinear().mapPoint(V(-3.5, 2.25)) == V(-3.5, 2.25) &&
              sg2Rigid().mapPoint(V(1, 2)) == V(1, 2));
}

}  // namespace
