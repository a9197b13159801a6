#include "lynstd/handle.h"

sgRepBase::~sgRepBase() = default;

long sfInterlockedIncrement(std::atomic<long>& v) { return v.fetch_add(1, std::memory_order_relaxed) + 1; }

// Acquire-release, so that every write made through other handles happens before the delete
// that follows the last release.
long sfInterlockedDecrement(std::atomic<long>& v) { return v.fetch_sub(1, std::memory_order_acq_rel) - 1; }
