#pragma once
#include <cstdint>
#include <random>

#include "lynstd/export.h"

/// One pointer-sized value per thread (a POSIX thread-specific key). A new thread sees null.
class LYNSTD_API sg_ThreadLocal {
 public:
  using OSValue = void*;
  sg_ThreadLocal();
  ~sg_ThreadLocal();
  sg_ThreadLocal(const sg_ThreadLocal&) = delete;
  sg_ThreadLocal& operator=(const sg_ThreadLocal&) = delete;
  OSValue get() const;
  void set(OSValue v);

 private:
  unsigned key_;
};

/// The identity of a thread.
class LYNSTD_API sgThreadID {
 public:
  using Callback = void (*)(const sgThreadID& thread, void* data);
  sgThreadID() = default;
  explicit sgThreadID(std::uint64_t id) : id_(id) {}
  std::uint64_t value() const { return id_; }
  bool operator==(const sgThreadID&) const = default;
  /// Calls `callback(thread, data)` when `thread` ends (callbacks of one thread run in the
  /// order registered). Only the calling thread may be given.
  static void atexit(const sgThreadID& thread, Callback callback, void* data);

 private:
  std::uint64_t id_ = 0;
};

LYNSTD_API sgThreadID sfGetCurrentThreadID();

/// Uniform pseudo-random doubles: the 64-bit Mersenne Twister (std::mt19937_64, whose output
/// sequence the C++ standard fixes) seeded with `seed`; `next(lo, hi)` maps its top 53 bits to
/// [lo, hi), hi excluded. A plain copyable value.
class LYNSTD_API sgRandomUniform {
 public:
  explicit sgRandomUniform(long seed = 1) : engine_(static_cast<std::uint64_t>(seed)) {}
  double next(double lo, double hi);

 private:
  std::mt19937_64 engine_;
};
