#include "lynstd/persistent.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "lynstd/archive.h"
#include "lynstd/handle.h"
#include "utf8.h"

namespace {

// The first byte of every pointer record.
enum PointerTag : unsigned char { kNullPointer = 0, kBackReference = 1, kNewObject = 2 };

struct FactoryRegistry {
  std::mutex mutex;
  std::map<std::string, sg_Instantiator::Factory, std::less<>> factories;
};

// Created on first use, so static initialisers of any library may register in any order, and
// never destroyed, so a lookup from another library's static destructor still finds it.
FactoryRegistry& factoryRegistry() {
  static auto* registry = new FactoryRegistry;
  return *registry;
}

}  // namespace

// ---- sg_Instantiator

sg_Instantiator::sg_Instantiator(const std::type_info& type, Factory factory) {
  FactoryRegistry& registry = factoryRegistry();
  std::lock_guard lock(registry.mutex);
  registry.factories.emplace(type.name(), factory);
}

sg_Instantiator::Factory sg_Instantiator::find(const char* typeName) {
  if (!typeName) return nullptr;
  FactoryRegistry& registry = factoryRegistry();
  std::lock_guard lock(registry.mutex);
  const auto it = registry.factories.find(std::string_view(typeName));
  return it == registry.factories.end() ? nullptr : it->second;
}

// ---- sgPersistent

sgPersistent::~sgPersistent() = default;

void sgPersistent::serialize(sgArchive& ar) {
  sgArchive::NestingScope scope(ar);
  if (ar.isStoring())
    dispatchSerialize(ar);
  else
    loadSimple(ar);
}

void sgPersistent::dispatchSerialize(sgArchive& ar) {
  unsigned char version = 0;
  ar || version;
  if (version != 0) throw sgArchive::UnknownVersion("sgPersistent", version);
}

void sgPersistent::reInit() {}

void sgPersistent::loadSimple(sgArchive& ar) { dispatchSerialize(ar); }

bool sgPersistent::haveVisited(sgArchive& ar, const void* level, std::size_t size) {
  return ar.visited_.count({level, size}) != 0;
}

void sgPersistent::setVisited(sgArchive& ar, const void* level, std::size_t size) {
  ar.visited_.insert({level, size});
}

void sgPersistent::mutating_() {
  if (notify_ && observer_) observer_(*this);
}

// ---- Pointer records: a tag, then a back-reference number or a class name and a record.

void sgPersistent::serializePointer(sgArchive& ar, sgPersistent* obj, sgPersistent*& loaded) {
  if (ar.isStoring())
    storePointer(ar, obj);
  else
    loaded = loadPointer(ar);
}

void sgPersistent::storePointer(sgArchive& ar, sgPersistent* obj) {
  unsigned char tag = kNullPointer;
  if (!obj) {
    ar || tag;
    return;
  }
  if (const auto it = ar.storedIds_.find(obj); it != ar.storedIds_.end()) {
    tag = kBackReference;
    unsigned long id = it->second;
    ar || tag || id;
    return;
  }
  sgArchive::NestingScope scope(ar);
  // Numbered before its record, so that a path leading back to it inside the record is
  // written as a reference instead of recursing.
  ar.storedIds_.emplace(obj, ar.storedIds_.size());
  tag = kNewObject;
  std::string className = typeid(*obj).name();
  ar || tag || className;
  obj->dispatchSerialize(ar);
}

void sgPersistent::discardLoaded(sgArchive& ar, sgPersistent* obj) {
  if (!obj || ar.referencedAgain_.count(obj) != 0) return;
  // The object given back is nearly always the one loaded last: search from the end.
  const auto it = std::find(ar.loaded_.rbegin(), ar.loaded_.rend(), obj);
  if (it == ar.loaded_.rend()) return;
  *it = nullptr;
  if (!dynamic_cast<const sgRepBase*>(obj)) delete obj;
}

sgPersistent* sgPersistent::loadPointer(sgArchive& ar) {
  unsigned char tag = 0;
  ar || tag;
  switch (tag) {
    case kNullPointer:
      return nullptr;
    case kBackReference: {
      unsigned long id = 0;
      ar || id;
      if (id >= ar.loaded_.size() || !ar.loaded_[id])
        throw sgArchive::Corrupt(L"object number " + std::to_wstring(id) +
                                 L" refers to no object read before");
      ar.referencedAgain_.insert(ar.loaded_[id]);
      return ar.loaded_[id];
    }
    case kNewObject:
      return loadNewObject(ar);
    default:
      throw sgArchive::Corrupt(L"unknown object tag " + std::to_wstring(tag));
  }
}

sgPersistent* sgPersistent::loadNewObject(sgArchive& ar) {
  sgArchive::NestingScope scope(ar);  // refuses too deep a nesting before anything is allocated
  std::string className;
  ar || className;
  const sg_Instantiator::Factory factory =
      className.find('\0') == std::string::npos ? sg_Instantiator::find(className.c_str()) : nullptr;
  if (!factory)
    throw sgArchive::Corrupt(L"no class registered under the name '" + sgdetail::decodeUtf8(className) +
                             L"'");

  std::unique_ptr<sgPersistent> owned(factory());
  if (!owned)
    throw sgArchive::Error(L"the factory of '" + sgdetail::decodeUtf8(className) + L"' made no object");
  owned->reInit();
  sgPersistent* const obj = owned.get();
  const std::size_t id = ar.loaded_.size();
  // Listed before its record is read, so back-references inside the record resolve to it.
  ar.loaded_.push_back(obj);
  try {
    if (const auto* rep = dynamic_cast<const sgRepBase*>(obj)) {
      ar.keptAlive_.push_back(rep);
      rep->addRef();
      owned.release();  // the archive's reference owns it now
    }
    obj->loadSimple(ar);
  } catch (...) {
    // A half-loaded object is never handed out: later references to it are refused, and one
    // that is not reference-counted is deleted here by `owned`.
    ar.loaded_[id] = nullptr;
    throw;
  }
  owned.release();  // a loaded object that is not reference-counted belongs to the caller
  return obj;
}
