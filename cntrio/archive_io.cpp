#include "archive_io.h"

#include <cstring>

#include "errors.h"
#include "lynstd/archive.h"

namespace cntr {

namespace {

using EdgeletContour = sgContourT<sgEdgelet>;

// Seven bytes that neither a plain pointer record (a small tag byte first) nor a text form (a
// letter or a bracket first) starts with, then the format's version.
constexpr char kMagic[8] = {'\x89', 'C', 'N', 'T', 'R', 'A', 'R', '\1'};
// Records are read in pieces of this size, so that a corrupt length fails at the end of the
// input instead of asking for memory it does not need.
constexpr std::size_t kReadPiece = 1 << 20;
constexpr std::uint64_t kMaxClassNameLength = 1000;

std::uint64_t decodeCount(const unsigned char* bytes) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

std::string encodeCount(std::uint64_t value) {
  std::string bytes(8, '\0');
  for (int i = 0; i < 8; ++i)
    bytes[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

// The most derived kind first: an edgelet chain is also a region, and a region a contour.
Shape::Object classifyLoaded(sgPersistent* loaded) {
  if (auto* chain = dynamic_cast<EdgeletRegion*>(loaded)) return sgPtrHandle<EdgeletRegion>(chain);
  if (auto* chain = dynamic_cast<EdgeletContour*>(loaded))
    return sgPtrHandle<EdgeletRegion>(new EdgeletRegion(*chain, chain->label()));
  if (auto* region = dynamic_cast<sgRegion*>(loaded)) return sgPtrHandle<sgRegion>(region);
  if (auto* set = dynamic_cast<sgRegionSet*>(loaded)) return sgPtrHandle<sgRegionSet>(set);
  if (auto* contour = dynamic_cast<sgContour*>(loaded)) return sgPtrHandle<sgContour>(contour);
  return sgPtrHandle<sgContour>();
}

// Loads the pointer records of `archive` until it ends (or only one, when `single`).
void loadRecords(sgArchive& archive, const std::string& source, std::size_t& count, const ShapeSink& sink,
                 bool single) {
  try {
    do {
      sgPersistent* loaded = nullptr;
      sgPersistent::serializePointer(archive, nullptr, loaded);
      Shape::Object object = classifyLoaded(loaded);
      if (std::visit([](const auto& handle) { return handle.isNull(); }, object)) {
        // Objects that are not reference counted belong to the reader (the archive keeps the rest).
        if (loaded && !dynamic_cast<sgRepBase*>(loaded)) delete loaded;
        throw InputError(
            source, 0, 0,
            concat({"record ", std::to_string(count + 1), " is not a contour, region or region set"}));
      }
      ++count;
      sink(wrapLoadedShape(std::move(object), source, count));
    } while (!single && archive.remaining() > 0);
  } catch (const sgException& e) {
    throw InputError(
        source, 0, 0,
        concat({"unreadable archive at record ", std::to_string(count + 1), ": ", describeLibraryError(e)}));
  }
  if (archive.remaining() > 0)
    throw InputError(source, 0, 0, concat({"record ", std::to_string(count), " has bytes after its end"}));
}

// Reads up to `n` bytes, in pieces, into `out`; false when the input ends first.
bool readExactly(CharSource& in, std::uint64_t n, std::vector<unsigned char>& out) {
  out.clear();
  while (out.size() < n) {
    const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(n - out.size(), kReadPiece));
    const std::size_t before = out.size();
    out.resize(before + piece);
    if (in.read(out.data() + before, piece) != piece) return false;
  }
  return true;
}

void readFramed(CharSource& in, const ShapeSink& sink) {
  const std::string& source = in.source();
  std::vector<unsigned char> bytes;
  if (!readExactly(in, 8, bytes)) throw InputError(source, 0, 0, "archive header cut short");
  const std::uint64_t total = decodeCount(bytes.data());
  std::size_t count = 0;
  const auto cutShort = [&] {
    return InputError(source, 0, 0,
                      concat({"archive cut short: it ends after ", std::to_string(count), " of ",
                              std::to_string(total), " shapes"}));
  };
  while (count < total) {
    if (!readExactly(in, 8, bytes)) throw cutShort();
    if (!readExactly(in, decodeCount(bytes.data()), bytes)) throw cutShort();
    sgArchive archive(std::move(bytes));
    loadRecords(archive, source, count, sink, true);
    bytes = {};
  }
  if (in.peek() >= 0)
    throw InputError(source, 0, 0,
                     concat({"unexpected bytes after the last of ", std::to_string(total), " shapes"}));
}

}  // namespace

void readArchiveShapes(CharSource& in, const ShapeSink& sink) {
  std::vector<unsigned char> bytes(sizeof kMagic);
  bytes.resize(in.read(bytes.data(), bytes.size()));
  if (bytes.empty()) throw InputError(in.source(), 0, 0, "empty input (no shapes)");
  if (bytes.size() == sizeof kMagic && std::memcmp(bytes.data(), kMagic, sizeof kMagic) == 0)
    return readFramed(in, sink);
  // A plain sequence of records shares objects across records, so it is read whole, but only
  // once its first bytes look like a record of a new object (tag 2, then a class name's length).
  if (bytes.size() == sizeof kMagic) {
    bytes.resize(sizeof kMagic + 1);
    bytes.resize(sizeof kMagic + in.read(bytes.data() + sizeof kMagic, 1));
  }
  if (bytes.size() < 9 || bytes[0] != 2 || decodeCount(bytes.data() + 1) > kMaxClassNameLength)
    throw InputError(in.source(), 0, 0, "not an archive: neither the tool's header nor a shape's record");
  for (std::size_t got = kReadPiece; got == kReadPiece;) {
    const std::size_t before = bytes.size();
    bytes.resize(before + kReadPiece);
    got = in.read(bytes.data() + before, kReadPiece);
    bytes.resize(before + got);
  }
  sgArchive archive(std::move(bytes));
  std::size_t count = 0;
  loadRecords(archive, in.source(), count, sink, false);
}

std::string formatArchiveHeader(std::uint64_t count) {
  return concat({std::string_view(kMagic, sizeof kMagic), encodeCount(count)});
}

std::string formatArchiveRecord(const Shape& shape) {
  requireBuilt(shape);
  sgArchive archive;
  sgPersistent* unused = nullptr;
  if (shape.kind() == ShapeKind::Edgelets) {
    // The edgelet region's own record leaves its edgelets out, so a chain is stored as the
    // edgelet contour it is made of (and made a region again when read).
    const EdgeletRegion& chain = *std::get<sgPtrHandle<EdgeletRegion>>(shape.object);
    sgPtrHandle<EdgeletContour> standIn(new EdgeletContour(chain.data()));
    standIn->label(chain.label());
    sgPersistent::serializePointer(archive, standIn.get(), unused);
  } else {
    sgPersistent::serializePointer(
        archive, std::visit([](const auto& handle) -> sgPersistent* { return handle.get(); }, shape.object),
        unused);
  }
  const std::vector<unsigned char>& bytes = archive.bytes();
  return concat({encodeCount(bytes.size()),
                 std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())});
}

}  // namespace cntr
