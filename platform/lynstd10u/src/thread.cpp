#include "lynstd/thread.h"

#include <pthread.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

static_assert(std::is_same_v<pthread_key_t, unsigned>, "sg_ThreadLocal holds a pthread key");

// ---- sg_ThreadLocal

// No destructor function on the key: users free per-thread values through sgThreadID::atexit,
// which also runs for the main thread.
sg_ThreadLocal::sg_ThreadLocal() {
  if (const int err = pthread_key_create(&key_, nullptr))
    throw std::system_error(err, std::generic_category(), "pthread_key_create");
}

sg_ThreadLocal::~sg_ThreadLocal() { pthread_key_delete(key_); }

sg_ThreadLocal::OSValue sg_ThreadLocal::get() const { return pthread_getspecific(key_); }

void sg_ThreadLocal::set(OSValue v) {
  if (const int err = pthread_setspecific(key_, v))
    throw std::system_error(err, std::generic_category(), "pthread_setspecific");
}

// ---- Thread identity and exit callbacks

sgThreadID sfGetCurrentThreadID() {
  // Numbers are never reused within the process, unlike pthread_t values.
  static std::atomic<std::uint64_t> lastId{0};
  thread_local const std::uint64_t id = ++lastId;
  return sgThreadID(id);
}

namespace {

// The calling thread's exit callbacks; its destructor runs when the thread ends.
class ExitCallbacks {
 public:
  ExitCallbacks() = default;
  ExitCallbacks(const ExitCallbacks&) = delete;
  ExitCallbacks& operator=(const ExitCallbacks&) = delete;
  ~ExitCallbacks() {
    // By index: a callback may register another one, which then runs too.
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      const auto [callback, data] = entries_[i];
      callback(thread_, data);
    }
  }
  void add(sgThreadID::Callback callback, void* data) { entries_.emplace_back(callback, data); }

 private:
  sgThreadID thread_ = sfGetCurrentThreadID();
  std::vector<std::pair<sgThreadID::Callback, void*>> entries_;
};

}  // namespace

void sgThreadID::atexit(const sgThreadID& thread, Callback callback, void* data) {
  if (!(thread == sfGetCurrentThreadID()))
    throw std::invalid_argument("sgThreadID::atexit: only the calling thread can be given");
  if (!callback) throw std::invalid_argument("sgThreadID::atexit: null callback");
  thread_local ExitCallbacks callbacks;
  callbacks.add(callback, data);
}

// ---- sgRandomUniform

double sgRandomUniform::next(double lo, double hi) {
  if (!(std::isfinite(lo) && std::isfinite(hi) && lo < hi))
    throw std::invalid_argument("sgRandomUniform::next: bounds must be finite with lo < hi");
  const double u = static_cast<double>(engine_() >> 11) * 0x1.0p-53;  // [0, 1) in steps of 2^-53
  const double width = hi - lo;
  // A range wider than the largest double is interpolated instead, which cannot overflow.
  double r = std::isfinite(width) ? lo + u * width : lo * (1.0 - u) + hi * u;
  if (r >= hi) r = std::nextafter(hi, -std::numeric_limits<double>::infinity());
  return r < lo ? lo : r;
}
