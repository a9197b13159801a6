// Archives as rows of tests/data/archives.cases: the committed golden files, records loaded into
// new and used objects, refused and hostile input with their exact errors, the value encodings.
#include <unistd.h>

#include <charconv>
#include <filesystem>

#include "cntr/archivesamples.h"
#include "support/casetable.h"

namespace {

using namespace archivesamples;
using casetable::Case;
using Ids = std::map<const void*, std::size_t>;

Bytes readFile(const std::string& name) {
  return std::unique_ptr<sgArchive>(sgArchive::openForLoading(LYNCNTR_TEST_DATA_DIR "/archives/" + name))
      ->bytes();
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
const T& as(const sgPersistent& o) {
  return dynamic_cast<const T&>(o);
}

// Entries numbered by first appearance in the tree (`ids` holds the owner as 0, and null), '-' an
// empty handle, own holes in brackets: "1 1 2[3]" is a shared hole and one with an island.
std::string tree(const std::vector<sgPtrHandle_const<sgRegion>>& list, Ids& ids) {
  std::string out;
  for (const auto& h : list) {
    const auto [it, isNew] = ids.emplace(h.get(), ids.size() - 1);
    out += (out.empty() ? "" : " ") + (h ? std::to_string(it->second) : "-");
    if (h && isNew && !h->holes().empty()) out += "[" + tree(h->holes(), ids) + "]";
  }
  return out;
}

// One named property of an object, as text; `a` is the probe's argument (after ':').
std::string probe(const sgPersistent& o, const std::string& key, const std::string& a) {
  std::string s;
  if (key == "pts")
    for (const V& p : as<sgContour>(o).points()) s += (s.empty() ? "" : ",") + num(p.x()) + " " + num(p.y());
  if (key == "data")
    for (const sgEdgelet& e : as<sgContourT<sgEdgelet>>(o).data())
      s += (s.empty() ? "" : ",") + num(e.position().x()) + " " + num(e.position().y()) + " " +
           num(e.magnitude()) + " " + num(e.angle().code());
  if (key == "pts" || key == "data") return s;
  if (key == "closed") return num(as<sgContour>(o).isClosed());
  if (key == "flag") return num(as<sgContour>(o).sgContour::isClosed());  // the stored flag a region ignores
  if (key == "label") return num(double(as<sgContour>(o).label()));
  if (key == "length") return num(as<sgContour>(o).length());
  if (key == "extremal") return num(double(as<sgContour>(o).extremalVertexIndex(sgRadian(std::stod(a)))));
  if (key == "msg") return narrow(as<sgContourDefs::Errors>(o).string());
  if (key == "number") return num(double(as<sgContourDefs::Errors>(o).errorNumber()));
  Ids ids{{&o, 0}, {nullptr, 0}};
  if (key == "holes") return tree(as<sgRegion>(o).holes(), ids);
  if (key == "regions") return tree(as<sgRegionSet>(o).regions(), ids);
  const auto* contour = dynamic_cast<const sgContour*>(&o);
  const auto* region = dynamic_cast<const sgRegion*>(&o);
  if (key == "cache")
    return num(double(contour ? contour->cachedVectorSize() : as<sgRegionSet>(o).cachedVectorSize()));
  if (key == "area") return num(region ? region->area(a != "outer") : as<sgRegionSet>(o).area(a != "outer"));
  if (key == "inside")
    return num(as<sgRegion>(o).inside(V(std::stod(a), std::stod(a.substr(a.find(' ')))), true));
  if (key == "xform") {
    const auto x = as<sgContourT<sgEdgelet>>(o).dataFromPointsXform();
    return x ? num(x->mapPoint(V(0, 0)).x()) + " " + num(x->mapPoint(V(0, 0)).y()) : "null";
  }
  throw std::invalid_argument("unknown probe " + key);
}

// Checks "key=value; key:arg=value; ..." on `object` ("-": nothing); `warmUpOnly` only asks.
void expectProbes(const sgPersistent& object, const std::string& checks, bool warmUpOnly = false) {
  std::istringstream in(checks == "-" ? "" : checks);
  for (std::string item; std::getline(in, item, ';');) {
    item = item.substr(item.find_first_not_of(' '));
    const std::size_t eq = item.find('='), colon = item.find(':');
    const std::string arg = colon < eq ? item.substr(colon + 1, eq - colon - 1) : "";
    const std::string actual = probe(object, item.substr(0, std::min(eq, colon)), arg);
    EXPECT_TRUE(warmUpOnly || actual == item.substr(eq + 1)) << item << ", but it is " << actual;
  }
}

// "Class": made by its factory; "Class:WKT": that shape, if `used` with label 99 and bound 7.
std::unique_ptr<sgPersistent> makeObject(const std::string& what, bool used) {
  const std::size_t colon = what.find(':');
  const std::string cls = what.substr(0, colon), wkt = colon < what.size() ? what.substr(colon + 1) : "";
  const sg_Instantiator::Factory factory = sg_Instantiator::find(classNamed(cls).name());
  std::unique_ptr<sgPersistent> made(wkt.empty() && factory ? factory() : nullptr);
  if (cls == "sgContour" && !wkt.empty()) made = std::make_unique<sgContour>(casetable::contourOf(wkt));
  if (cls == "sgRegion" && !wkt.empty()) made = std::make_unique<sgRegion>(*casetable::regionOf(wkt));
  if (cls == "sgRegionSet" && !wkt.empty()) made = std::make_unique<sgRegionSet>(casetable::regionSetOf(wkt));
  if (auto* c = dynamic_cast<sgContour*>(made.get()); c && used) c->label(99), c->cachedVectorSize(7);
  if (auto* s = dynamic_cast<sgRegionSet*>(made.get()); s && used) s->cachedVectorSize(7);
  return made;
}

// Runs `call`; "-" expects it to succeed, anything else is the archive error "Type: message".
template <class Call>
void expectOutcome(const std::string& outcome, Call call) {
  try {
    call();
    EXPECT_EQ(outcome, "-") << "nothing was thrown";
  } catch (const sgArchive::Error& e) {
    const char* type = dynamic_cast<const sgArchive::UnknownVersion*>(&e) ? "UnknownVersion: "
                       : dynamic_cast<const sgArchive::EndOfData*>(&e)    ? "EndOfData: "
                       : dynamic_cast<const sgArchive::Corrupt*>(&e)      ? "Corrupt: "
                                                                          : "Error: ";
    EXPECT_EQ(type + narrow(e.string()), outcome);
  }
}

// load | input | target | error or - | probes of the last object loaded (or of the target after
// the error). The input is assembled, or the in-place record of a WKT shape of the target's class.
void checkLoad(const Case& c) {
  sgArchive out;
  const bool wkt = c.arg(0).find("POLYGON") != std::string::npos || c.arg(0).find("LINESTRING") == 0;
  if (wkt) makeObject(c.arg(1).substr(0, c.arg(1).find(':')) + ":" + c.arg(0), false)->serialize(out);
  sgArchive in(wkt ? out.bytes() : assemble(c.arg(0), readFile));
  std::vector<std::unique_ptr<sgPersistent>> owned;  // what no handle holds belongs to the loader
  sgPersistent* last = nullptr;
  expectOutcome(c.arg(2), [&] {
    std::istringstream steps(c.arg(1));
    for (std::string step; std::getline(steps, step, '+');) {
      if (step == "pointer") {
        sgPersistent::serializePointer(in, nullptr, last);
        if (last && !dynamic_cast<sgRepBase*>(last)) owned.emplace_back(last);
        continue;
      }
      owned.push_back(makeObject(step, true));
      last = owned.back().get();
      expectProbes(*last, c.arg(3), true);  // fills the caches that loading must drop
      last->serialize(in);
    }
    EXPECT_EQ(in.remaining(), 0u);
  });
  if (last) expectProbes(*last, c.arg(3));
}

// value | type | bytes [| error]: the bytes load into a default value and store again, or are refused.
template <class T>
void checkValue(const Case& c) {
  const Bytes bytes = assemble(c.arg(1));
  T loaded{};
  sgArchive in(bytes);
  expectOutcome(c.args.size() > 2 ? c.arg(2) : "-", [&] { in || loaded; });
  if (c.args.size() > 2) return;
  EXPECT_EQ(in.remaining(), 0u);
  sgArchive again;
  again || loaded;
  EXPECT_EQ(again.bytes(), bytes);
  if constexpr (std::is_same_v<T, sgMatrix<2>>) {  // a loaded matrix must not keep the old determinant
    EXPECT_EQ(loaded.determinant(), loaded(0, 0) * loaded(1, 1) - loaded(0, 1) * loaded(1, 0));
  }
}

const std::map<std::string, void (*)(const Case&)> kValueTypes = {
    {"bool", checkValue<bool>},          {"int", checkValue<int>},
    {"long", checkValue<long>},          {"double", checkValue<double>},
    {"matrix", checkValue<sgMatrix<2>>}, {"xform", checkValue<sgXform<2>>},
    {"string", checkValue<std::string>}, {"wstring", checkValue<std::wstring>},
};

const std::map<std::string, void (*)(const Case&)> kOps = {
    // golden | file | what the loaded object stores as ("same": the file); shorter files are refused
    {"golden",
     [](const Case& c) {
       const Bytes file = readFile(c.arg(0));
       EXPECT_EQ(makeGoldenArchives().at(c.arg(0)), file);
       sgArchive in(file);
       sgPersistent* loaded = nullptr;
       sgPersistent::serializePointer(in, nullptr, loaded);
       ASSERT_NE(loaded, nullptr);
       const std::unique_ptr<sgPersistent> owned(dynamic_cast<sgRepBase*>(loaded) ? nullptr : loaded);
       EXPECT_EQ(storeThroughPointer(*loaded), c.arg(1) == "same" ? file : assemble(c.arg(1)));
       for (std::size_t cut = 0; cut < file.size(); ++cut) {
         sgArchive part(Bytes(file.begin(), file.begin() + static_cast<long>(cut)));
         EXPECT_THROW(sgPersistent::serializePointer(part, nullptr, loaded), sgArchive::Error) << cut;
       }
     }},
    {"load", checkLoad},
    // made | class | probes: the factory registered for loading makes the class in this state
    {"made",
     [](const Case& c) {
       const auto made = makeObject(c.arg(0), false);
       ASSERT_NE(made, nullptr) << "no factory";
       EXPECT_EQ(typeid(*made), classNamed(c.arg(0)));
       expectProbes(*made, c.arg(1));
     }},
    {"value", [](const Case& c) { kValueTypes.at(c.arg(0))(c); }},
};

class Archives : public testing::TestWithParam<Case> {};

TEST_P(Archives, Row) {
  const auto op = kOps.find(GetParam().op);
  ASSERT_NE(op, kOps.end()) << GetParam().where << ": unknown op " << GetParam().op;
  op->second(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Rows, Archives, testing::ValuesIn(casetable::readCases("archives")),
                         casetable::caseName);

// A back-reference loads as the same object, held by the archive; a shared hole is held by the
// archive and each handle; a serialize is one pass; nesting is capped both ways.
TEST(ArchivePointers, SharingCountsPassesAndNesting) {
  sgArchive in(assemble("@region.bin ref:0", readFile));
  sgPersistent *first = nullptr, *second = nullptr;
  sgPersistent::serializePointer(in, nullptr, first);
  sgPersistent::serializePointer(in, nullptr, second);
  const auto* loaded = dynamic_cast<const sgRegion*>(first);
  ASSERT_TRUE(loaded && first == second);
  EXPECT_EQ(loaded->refCount(), 1) << "the archive's reference";
  EXPECT_EQ(loaded->holes().at(1)->refCount(), 3) << "the archive's and both handles";

  sgRegion plain(rectangle(0, 0, 4, 4));
  sgArchive once, twice;
  for (sgArchive* out : {&once, &twice, &twice}) plain.serialize(*out);  // a new pass: no visited marks left
  EXPECT_EQ(twice.bytes().size(), 2 * once.bytes().size());

  const auto storeChain = [](int n) {  // n regions, each the only hole of the next
    sgPtrHandle<sgRegion> head(new sgRegion(rectangle(0, 0, 1, 1)));
    for (int i = 1; i < n; ++i) {
      sgPtrHandle<sgRegion> next(new sgRegion(rectangle(0, 0, 1, 1)));
      sgRegionTestAccess::listHolesUnchecked(*next, {head});
      head = next;
    }
    return storeThroughPointer(*head);
  };
  const Bytes deepest = storeChain(sgArchive::kMaxDepth);
  Bytes deeper = assemble("new:sgRegion b1 b1 b0 q0 b1 P:0,0,1,0,1,1,0,1 q3 b0 q1");
  deeper.insert(deeper.end(), deepest.begin(), deepest.end());
  sgArchive atTheCap(deepest), beyond(deeper);
  EXPECT_NO_THROW(sgPersistent::serializePointer(atTheCap, nullptr, first));
  expectOutcome("Corrupt: objects nested deeper than 256 levels",
                [&] { sgPersistent::serializePointer(beyond, nullptr, first); });
  expectOutcome("Error: objects nested deeper than 256 levels cannot be stored",
                [&] { storeChain(sgArchive::kMaxDepth + 1); });
}

TEST(ArchiveFiles, WrittenWholeReplacedAndRefusedWithThePath) {
  const auto dir = std::filesystem::temp_directory_path() / ("archives_test." + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "a.bin").string(), missing = (dir / "no" / "a.bin").string();
  sgArchive out;
  std::wstring text = L"file \u20ac", beyond(1, wchar_t(0x110000));
  out || text;
  out.writeFile(path);
  out.writeFile(path);  // replacing an existing file works too
  EXPECT_EQ(std::unique_ptr<sgArchive>(sgArchive::openForLoading(path))->bytes(), out.bytes());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "a temporary file left";
  expectOutcome("Error: cannot open archive file '" + missing + "': No such file or directory",
                [&] { delete sgArchive::openForLoading(missing); });
  EXPECT_THROW(out.writeFile(missing), sgArchive::Error);
  EXPECT_THROW(delete sgArchive::openForLoading(dir.string()), sgArchive::Error);
  expectOutcome("Error: wide character 1114112 is not a code point", [&] { out || beyond; });
  std::filesystem::remove_all(dir);
}

// Found by the geometry fuzzer: a mode outside its enumeration was a load of an invalid value.
// With int as their fixed type every int is a value the library may test and refuse.
static_assert(std::is_same_v<std::underlying_type_t<sgContourDefs::DiameterMode>, int>);
static_assert(std::is_same_v<std::underlying_type_t<sgContourDefs::IntersectionMode>, int>);
static_assert(std::is_same_v<std::underlying_type_t<sgContourDefs::DrawMode>, int>);

}  // namespace
