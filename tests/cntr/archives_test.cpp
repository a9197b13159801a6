// Archives as rows of tests/data/archives.cases: the committed golden files, records loaded into
// new and used objects, refused and hostile input with their exact errors, the value encodings.
// Archives outlive library versions, so a changed byte or message fails here.
#include <charconv>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <sstream>

#include "cntr/archivesamples.h"
#include "cntr/edgeletshapes.h"
#include "support/casetable.h"

namespace {

using namespace archivesamples;
using casetable::Case;
using Handles = std::vector<sgPtrHandle_const<sgRegion>>;

Bytes readFile(const std::string& name) {
  const std::unique_ptr<sgArchive> in(sgArchive::openForLoading(LYNCNTR_TEST_DATA_DIR "/archives/" + name));
  return in->bytes();
}

std::string num(double v) {
  char buf[32];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

std::string narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += c >= 32 && c < 128 ? static_cast<char>(c) : '?';
  return s;
}

template <class T>
const T& as(const sgPersistent& object) {
  if (const auto* t = dynamic_cast<const T*>(&object)) return *t;
  throw std::runtime_error(std::string("not a ") + typeid(T).name());
}

// Entries numbered by first appearance in the whole tree (the owner is 0), '-' for an empty
// handle, an entry's own holes in brackets: "1 1 2[3]" is a shared hole and one with an island.
void describeTree(const Handles& list, std::map<const void*, std::size_t>& ids, std::string& out) {
  for (const auto& h : list) {
    if (!out.empty() && out.back() != '[') out += ' ';
    if (!h) {
      out += '-';
      continue;
    }
    const auto [it, isNew] = ids.emplace(h.get(), ids.size());
    out += std::to_string(it->second);
    if (!isNew || h->holes().empty()) continue;
    out += '[';
    describeTree(h->holes(), ids, out);
    out += ']';
  }
}

std::string tree(const sgPersistent& owner, const Handles& list) {
  std::map<const void*, std::size_t> ids{{&owner, 0}};
  std::string out;
  describeTree(list, ids, out);
  return out;
}

// One named property of a loaded object, as text; `a` is the probe's argument (after ':').
std::string probe(const sgPersistent& o, const std::string& key, const std::string& a) {
  using ContourT = sgContourT<sgEdgelet>;
  std::string s;
  if (key == "class")
    for (std::size_t i = 0; i < std::size(kClassNames); ++i)
      if (typeid(o) == *kPersistentClasses[i]) return kClassNames[i];
  if (key == "pts")
    for (const V& p : as<sgContour>(o).points()) s += (s.empty() ? "" : ",") + num(p.x()) + " " + num(p.y());
  if (key == "data")
    for (const sgEdgelet& e : as<ContourT>(o).data())
      s += (s.empty() ? "" : ",") + num(e.position().x()) + " " + num(e.position().y()) + " " +
           num(e.magnitude()) + " " + num(e.angle().code());
  if (key == "pts" || key == "data") return s;
  if (key == "closed") return num(as<sgContour>(o).isClosed());
  if (key == "flag") return num(as<sgContour>(o).sgContour::isClosed());  // the stored flag a region ignores
  if (key == "label") return num(double(as<sgContour>(o).label()));
  if (key == "length") return num(as<sgContour>(o).length());
  if (key == "extremal") return num(double(as<sgContour>(o).extremalVertexIndex(sgRadian(std::stod(a)))));
  if (key == "holes") return tree(o, as<sgRegion>(o).holes());
  if (key == "regions") return tree(o, as<sgRegionSet>(o).regions());
  if (key == "msg") return narrow(as<sgContourDefs::Errors>(o).string());
  if (key == "errno") {
    char b[24];
    return "0x" +
           std::string(b, std::to_chars(b, b + sizeof b, as<sgContourDefs::Errors>(o).errorNumber(), 16).ptr);
  }
  const auto* contour = dynamic_cast<const sgContour*>(&o);
  const auto* region = dynamic_cast<const sgRegion*>(&o);
  if (key == "cache")
    return num(double(contour ? contour->cachedVectorSize() : as<sgRegionSet>(o).cachedVectorSize()));
  if (key == "area") return num(region ? region->area(a != "outer") : as<sgRegionSet>(o).area(a != "outer"));
  if (key == "inside")
    return num(as<sgRegion>(o).inside(V(casetable::numbersOf(a).at(0), casetable::numbersOf(a).at(1)), true));
  if (key == "xform") {
    const auto x = as<ContourT>(o).dataFromPointsXform();
    return x ? num(x->mapPoint(V(0, 0)).x()) + " " + num(x->mapPoint(V(0, 0)).y()) : "null";
  }
  if (key == "typed" && region) return num(double(as<sgRegionT<sgEdgelet>>(o).holes().size()));
  if (key == "typed") {  // whether the typed list holds the very regions of the plain one
    const auto& set = as<sgRegionSetT<sgEdgelet>>(o);
    std::vector<const sgRegion*> typed;
    for (const auto& r : set.regionsT()) typed.push_back(r.get());
    for (const auto& r : set.regions()) s += typed.at(s.size()) == r.get() ? "s" : "d";
    return typed.size() == s.size() ? s : s + "d";
  }
  throw std::invalid_argument("unknown probe " + key);
}

// Checks "key=value; key:arg=value; ..." on `object`; "-" checks nothing.
void expectProbes(const sgPersistent& object, const std::string& spec, bool warmUpOnly = false) {
  std::istringstream in(spec == "-" ? "" : spec);
  for (std::string item; std::getline(in, item, ';');) {
    item = item.substr(item.find_first_not_of(' '));
    const std::size_t eq = item.find('='), colon = item.find(':');
    const std::string key = item.substr(0, std::min(eq, colon));
    const std::string arg = colon < eq ? item.substr(colon + 1, eq - colon - 1) : "";
    const std::string actual = probe(object, key, arg);
    EXPECT_TRUE(warmUpOnly || actual == item.substr(eq + 1)) << item << " but " << key << " is " << actual;
  }
}

// "sgRegion" is a new object; "sgRegion:WKT" the shape, with label 99 and cachedVectorSize 7
// when `used`, so that a loader which keeps an old field shows.
std::unique_ptr<sgPersistent> makeObject(const std::string& spec, bool used) {
  const std::size_t colon = spec.find(':');
  const std::string cls = spec.substr(0, colon),
                    wkt = colon == std::string::npos ? "" : spec.substr(colon + 1);
  std::unique_ptr<sgPersistent> made(sg_Instantiator::find(classNamed(cls).name())());
  if (wkt.empty()) return made;
  if (cls == "sgContour") made = std::make_unique<sgContour>(casetable::contourOf(wkt));
  if (cls == "sgRegion") made = std::make_unique<sgRegion>(*casetable::regionOf(wkt));
  if (cls == "sgRegionSet") made = std::make_unique<sgRegionSet>(casetable::regionSetOf(wkt));
  if (auto* c = dynamic_cast<sgContour*>(made.get()); c && used) c->label(99), c->cachedVectorSize(7);
  if (auto* s = dynamic_cast<sgRegionSet*>(made.get()); s && used) s->cachedVectorSize(7);
  return made;
}

// Assembled bytes, or the in-place record of the shape when the text is WKT (stored as `cls`).
Bytes inputBytes(const std::string& text, const std::string& cls) {
  if (text.find('(') == std::string::npos && text.find("EMPTY") == std::string::npos)
    return assemble(text, readFile);
  sgArchive out;
  makeObject(cls + ":" + text, false)->serialize(out);
  return out.bytes();
}

std::string describeError(const sgArchive::Error& e) {
  const char* type = dynamic_cast<const sgArchive::UnknownVersion*>(&e) ? "UnknownVersion"
                     : dynamic_cast<const sgArchive::EndOfData*>(&e)    ? "EndOfData"
                     : dynamic_cast<const sgArchive::Corrupt*>(&e)      ? "Corrupt"
                                                                        : "Error";
  return std::string(type) + ": " + narrow(e.string());
}

// Runs `call`; "-" expects it to succeed, anything else is the archive error "Type: message".
template <class Call>
void expectOutcome(const std::string& outcome, Call call) {
  try {
    call();
    EXPECT_EQ(outcome, "-") << "nothing was thrown";
  } catch (const sgArchive::Error& e) {
    EXPECT_EQ(describeError(e), outcome);
  }
}

// Loads `bytes` by the steps of `spec` ("pointer" or an object as makeObject takes, joined by
// '+') from one archive; returns the last object, checked against `probes`. Objects that are
// not reference-counted belong to the loader and are freed after the checks.
void loadAndCheck(const Bytes& bytes, const std::string& spec, const std::string& outcome,
                  const std::string& probes) {
  sgArchive in(bytes);
  std::vector<std::unique_ptr<sgPersistent>> owned;
  sgPersistent* last = nullptr;
  expectOutcome(outcome, [&] {
    std::istringstream steps(spec);
    for (std::string step; std::getline(steps, step, '+');) {
      if (step == "pointer") {
        sgPersistent::serializePointer(in, nullptr, last);
        if (last && !dynamic_cast<sgRepBase*>(last)) owned.emplace_back(last);
        continue;
      }
      owned.push_back(makeObject(step, true));
      last = owned.back().get();
      expectProbes(*last, probes, true);  // fills the caches that loading must drop
      last->serialize(in);
    }
    EXPECT_EQ(in.remaining(), 0u);
  });
  if (last) expectProbes(*last, probes);
}

template <class T>
T valueOf(const std::string& text) {
  if constexpr (std::is_same_v<T, std::string>) {
    return text;
  } else if constexpr (std::is_same_v<T, std::wstring>) {  // code points in hex
    std::wstring w;
    std::istringstream in(text);
    for (unsigned long c; in >> std::hex >> c;) w += static_cast<wchar_t>(c);
    return w;
  } else if constexpr (std::is_integral_v<T>) {
    return text[0] == '-' ? T(std::stoll(text)) : T(std::stoull(text, nullptr, 0));
  } else {
    const auto n = casetable::numbersOf(text);
    if constexpr (std::is_same_v<T, double>) return n.at(0);
    if constexpr (std::is_same_v<T, V>) return V(n.at(0), n.at(1));
    if constexpr (std::is_same_v<T, sgMatrix<2>>) return sgMatrix<2>(n.at(0), n.at(1), n.at(2), n.at(3));
    if constexpr (std::is_same_v<T, sgXform<2>>)
      return sgXform<2>(sgMatrix<2>(n.at(0), n.at(1), n.at(2), n.at(3)), V(n.at(4), n.at(5)));
  }
}

// value | type | text | bytes: the value stores as the bytes, which load (into a variable holding
// something else) to a value that stores as them again; text "-" only loads.
// value | type | text | Type: message: the value cannot be stored.
// decode | type | bytes | Type: message: loading the bytes is refused.
template <class T>
void checkValue(const Case& c) {
  const bool decode = c.op == "decode", refused = c.arg(2).find(": ") != std::string::npos;
  const Bytes bytes = assemble(decode ? c.arg(1) : refused ? "" : c.arg(2));
  if (!decode && c.arg(1) != "-") {
    sgArchive out;
    T value = valueOf<T>(c.arg(1));
    expectOutcome(refused ? c.arg(2) : "-", [&] { out || value; });
    if (refused) return;
    EXPECT_EQ(out.bytes(), bytes);
  }
  sgArchive in(bytes);
  T loaded = valueOf<T>(std::is_same_v<T, std::wstring> ? "41" : "7 7 7 7 7 7");
  expectOutcome(decode ? c.arg(2) : "-", [&] { in || loaded; });
  if (decode) return;
  EXPECT_EQ(in.remaining(), 0u);
  sgArchive again;
  again || loaded;
  EXPECT_EQ(again.bytes(), bytes);
  if constexpr (std::is_same_v<T, sgMatrix<2>>) {  // a loaded matrix must not keep the old determinant
    EXPECT_EQ(loaded.determinant(), loaded(0, 0) * loaded(1, 1) - loaded(0, 1) * loaded(1, 0));
  }
}

const std::map<std::string, void (*)(const Case&)> kValueTypes = {
    {"uchar", checkValue<unsigned char>},
    {"bool", checkValue<bool>},
    {"ushort", checkValue<unsigned short>},
    {"int", checkValue<int>},
    {"long", checkValue<long>},
    {"ulong", checkValue<unsigned long>},
    {"double", checkValue<double>},
    {"vector", checkValue<V>},
    {"matrix", checkValue<sgMatrix<2>>},
    {"xform", checkValue<sgXform<2>>},
    {"string", checkValue<std::string>},
    {"wstring", checkValue<std::wstring>},
};

const std::map<std::string, std::function<void(const Case&)>> kOps = {
    // golden | file | bytes the loaded object stores again ("same": the file itself); every
    // shorter file is refused
    {"golden",
     [](const Case& c) {
       const Bytes file = readFile(c.arg(0));
       bool made = false;
       for (const auto& [name, bytes] : makeGoldenArchives())
         if (name == c.arg(0)) {
           made = true;
           EXPECT_EQ(bytes, file);
         }
       EXPECT_TRUE(made) << "make_golden does not write " << c.arg(0);
       sgArchive in(file);
       sgPersistent* loaded = nullptr;
       sgPersistent::serializePointer(in, nullptr, loaded);
       ASSERT_NE(loaded, nullptr);
       const std::unique_ptr<sgPersistent> owned(dynamic_cast<sgRepBase*>(loaded) ? nullptr : loaded);
       EXPECT_EQ(storeThroughPointer(*loaded), c.arg(1) == "same" ? file : assemble(c.arg(1)));
       for (std::size_t cut = 0; cut < file.size(); ++cut) {
         sgArchive part(Bytes(file.begin(), file.begin() + static_cast<long>(cut)));
         EXPECT_THROW(sgPersistent::serializePointer(part, nullptr, loaded), sgArchive::Error)
             << "cut " << cut;
       }
     }},
    // load | input | target | error or - | probes of the loaded object (or of the target after the error)
    {"load",
     [](const Case& c) {
       loadAndCheck(inputBytes(c.arg(0), c.arg(1).substr(0, c.arg(1).find(':'))), c.arg(1), c.arg(2),
                    c.arg(3));
     }},
    // made | class | probes: the factory registered for loading makes the class in this state
    {"made",
     [](const Case& c) {
       const auto factory = sg_Instantiator::find(classNamed(c.arg(0)).name());
       ASSERT_NE(factory, nullptr);
       const std::unique_ptr<sgPersistent> made(factory());
       EXPECT_EQ(typeid(*made), classNamed(c.arg(0)));
       expectProbes(*made, c.arg(1));
     }},
    {"value", [](const Case& c) { kValueTypes.at(c.arg(0))(c); }},
    {"decode", [](const Case& c) { kValueTypes.at(c.arg(0))(c); }},
};

class Archives : public testing::TestWithParam<Case> {};

TEST_P(Archives, Row) {
  const Case& c = GetParam();
  const auto op = kOps.find(c.op);
  ASSERT_NE(op, kOps.end()) << c.where << ": unknown op " << c.op;
  op->second(c);
}

INSTANTIATE_TEST_SUITE_P(Rows, Archives, testing::ValuesIn(casetable::readCases("archives")),
                         casetable::caseName);

}  // namespace
