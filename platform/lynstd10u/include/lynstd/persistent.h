#pragma once
#include <cstddef>
#include <functional>
#include <typeinfo>

#include "lynstd/export.h"

class sgArchive;

/// Base of every object that can be written to and read from an sgArchive.
///
/// A class level writes its record in `dispatchSerialize`, calling its base levels explicitly;
/// `haveVisited`/`setVisited` let a level reached twice through a virtual-base diamond run once
/// per pass. Objects behind pointers go through `serializePointer`, which writes each object
/// once per archive and rebuilds loaded objects through the factories registered with
/// sg_Instantiator.
class LYNSTD_API sgPersistent {
 public:
  virtual ~sgPersistent();

  /// Stores or loads this object's whole record (one pass).
  void serialize(sgArchive& ar);

  /// Stores `obj` (null allowed) or, when loading, sets `loaded` to the object read (null, an
  /// object read earlier from the same archive, or a new object made by its registered factory).
  /// A loaded object that derives from sgRepBase is kept alive by the archive until the archive
  /// is destroyed; hold a handle to keep it longer. Other loaded objects belong to the caller.
  static void serializePointer(sgArchive& ar, sgPersistent* obj, sgPersistent*& loaded);
  /// Gives back an object that `serializePointer` just loaded from `ar` as a new object and the
  /// caller does not keep (one of an unexpected class, say): later references to it in `ar` are
  /// refused as Corrupt, and one that is not reference-counted is deleted. An object `ar` did not
  /// load, or handed out more than once, is left alone.
  static void discardLoaded(sgArchive& ar, sgPersistent* obj);

  /// Change notification: while the flag is set, `mutating_()` calls the observer (if any).
  void notifyOnChange(bool on) { notify_ = on; }
  bool notifyOnChange() const { return notify_; }
  using ChangeObserver = std::function<void(const sgPersistent&)>;
  void changeObserver(ChangeObserver observer) { observer_ = std::move(observer); }

 protected:
  sgPersistent() = default;
  // Identity (notification flag and observer) is not copied with the value.
  sgPersistent(const sgPersistent&) {}
  sgPersistent& operator=(const sgPersistent&) { return *this; }

  /// The sgPersistent level's own record: a version byte 0.
  virtual void dispatchSerialize(sgArchive& ar);
  /// Called on an object made by a factory before its record is loaded; default: nothing.
  virtual void reInit();
  /// Loads this object's record; default: `dispatchSerialize`.
  virtual void loadSimple(sgArchive& ar);

  /// Whether the class level at `level` of `size` bytes was handled in the current pass.
  static bool haveVisited(sgArchive& ar, const void* level, std::size_t size);
  static void setVisited(sgArchive& ar, const void* level, std::size_t size);

  /// Reports a change to the observer while the notification flag is set.
  void mutating_();

 private:
  friend class sgArchive;
  static void storePointer(sgArchive& ar, sgPersistent* obj);
  static sgPersistent* loadPointer(sgArchive& ar);
  static sgPersistent* loadNewObject(sgArchive& ar);
  bool notify_ = false;
  ChangeObserver observer_;
};

/// Registers a factory for a persistent class, keyed by its run-time type. Registration is
/// meant for static initialisers (any library, any order); it and `find` are thread-safe. The
/// first factory registered under a name is kept.
class LYNSTD_API sg_Instantiator {
 public:
  using Factory = sgPersistent* (*)();
  sg_Instantiator(const std::type_info& type, Factory factory);
  /// The factory registered under a type name, or null.
  static Factory find(const char* typeName);
};
