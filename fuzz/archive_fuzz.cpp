// libFuzzer target over the archive loader. The first byte chooses how the rest is loaded:
// with its high bit set, through sgPersistent::serializePointer (any registered class, named by
// the input); otherwise into a new object of one of the library's ten persistent classes (the
// byte modulo 10), made by its registered factory. Every input must end in a clean load or an
// exception of the family's own (sgException); anything else escapes and is reported. A clean
// load must also store and load again to the same bytes: a record that reads differently from
// what it writes would corrupt archives that users keep.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <typeinfo>
#include <vector>

#include "cntr/cntrtmpl.h"
#include "cntr/contour.h"
#include "cntr/contourdefs.h"
#include "cntr/region.h"
#include "cntr/regionst.h"
#include "lynstd/archive.h"
#include "persistentclasses.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kClassCount = std::size(kPersistentClasses);

// Reference-counted objects die with their last handle; the others belong to whoever made them.
class OwnedObject {
 public:
  explicit OwnedObject(sgPersistent* object) : object_(object) {
    if (const auto* rep = dynamic_cast<const sgRepBase*>(object_)) rep->addRef();
  }
  OwnedObject(const OwnedObject&) = delete;
  OwnedObject& operator=(const OwnedObject&) = delete;
  ~OwnedObject() {
    if (const auto* rep = dynamic_cast<const sgRepBase*>(object_))
      rep->release();
    else
      delete object_;
  }
  sgPersistent* get() const { return object_; }

 private:
  sgPersistent* object_;
};

sgPersistent* makeObjectOf(const std::type_info& type) {
  const sg_Instantiator::Factory factory = sg_Instantiator::find(type.name());
  if (!factory) __builtin_trap();  // a class of the library lost its registration
  return factory();
}

Bytes storeObject(sgPersistent& object) {
  sgArchive out;
  object.serialize(out);
  return out.bytes();
}

Bytes storePointer(sgPersistent* object) {
  sgArchive out;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(out, object, unused);
  return out.bytes();
}

// Stores what was loaded, loads that into a fresh object and stores it again: both stores must
// agree, and the bytes the library itself wrote must load without any error.
void checkObjectRoundTrip(sgPersistent& loaded) {
  const Bytes first = storeObject(loaded);
  const OwnedObject again(makeObjectOf(typeid(loaded)));
  sgArchive in(first);
  again.get()->serialize(in);
  if (in.remaining() != 0 || storeObject(*again.get()) != first) __builtin_trap();
}

void checkPointerRoundTrip(sgPersistent* loaded) {
  const Bytes first = storePointer(loaded);
  sgArchive in(first);
  sgPersistent* again = nullptr;
  sgPersistent::serializePointer(in, nullptr, again);
  const OwnedObject owned(again);
  if (in.remaining() != 0 || storePointer(again) != first) __builtin_trap();
}

void loadIntoFactoryObject(const std::type_info& type, const Bytes& bytes) {
  const OwnedObject object(makeObjectOf(type));
  {
    sgArchive in(bytes);
    try {
      object.get()->serialize(in);
    } catch (const sgException&) {
      return;
    }
  }
  checkObjectRoundTrip(*object.get());
}

void loadThroughPointer(const Bytes& bytes) {
  sgPersistent* loaded = nullptr;
  std::unique_ptr<OwnedObject> owned;
  {
    sgArchive in(bytes);
    try {
      sgPersistent::serializePointer(in, nullptr, loaded);
    } catch (const sgException&) {
      return;
    }
    // Taken before the archive drops its own references to what it loaded.
    owned = std::make_unique<OwnedObject>(loaded);
  }
  checkPointerRoundTrip(loaded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Bytes bytes(data + 1, data + size);
  if (data[0] & 0x80)
    loadThroughPointer(bytes);
  else
    loadIntoFactoryObject(*kPersistentClasses[data[0] % kClassCount], bytes);
  return 0;
}
