// The per-thread random index source of the bounded result caches: one generator per thread, so
// no lock is taken, each starting from seed 1, so every thread draws a reproducible sequence.
#include "randomsource.h"

#include <memory>

#include "lynstd/basics.h"

namespace sgcntr {
namespace {

void releaseGenerator(sg_ThreadLocal& slot) {
  delete static_cast<sgRandomUniform*>(slot.get());
  slot.set(nullptr);
}

// Runs when a thread that drew a random index ends.
void releaseEndingThreadGenerator(const sgThreadID&, void* data) {
  auto* slot = static_cast<sg_ThreadLocal*>(data);
  if (slot->get()) releaseGenerator(*slot);
}

// The library-wide slot, built once (the first of static initialisation and first request) and
// destroyed at unload, after freeing the unloading thread's generator.
class RandomSlot {
 public:
  static sg_ThreadLocal& get() {
    static RandomSlot instance;
    return instance.slot_;
  }
  ~RandomSlot() { releaseGenerator(slot_); }

 private:
  RandomSlot() = default;
  sg_ThreadLocal slot_;
};

}  // namespace

sgRandomUniform& threadRandomUniform() {
  sg_ThreadLocal& slot = RandomSlot::get();
  if (!slot.get()) {
    auto generator = std::make_unique<sgRandomUniform>(1);
    // Registered before the generator is installed: if registering fails, the slot keeps its
    // previous (empty) state and nothing leaks.
    sgThreadID::atexit(sfGetCurrentThreadID(), &releaseEndingThreadGenerator, &slot);
    slot.set(generator.release());
  }
  return *static_cast<sgRandomUniform*>(slot.get());
}

// n <= 0 leaves no index to draw; the generator refuses the empty range with std::invalid_argument.
int randomIndex(int n) {
  return static_cast<int>(sfIFloor(threadRandomUniform().next(0.0, static_cast<double>(n))));
}

void initializeRandomSource() { RandomSlot::get(); }

}  // namespace sgcntr
