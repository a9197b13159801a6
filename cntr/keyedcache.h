#pragma once
// The bounded, randomly replaced result caches keyed by an argument (contour encloseRect and
// extremalVertexIndex, region-set encloseRect) share this policy.
#include <iterator>
#include <map>

#include "randomsource.h"

namespace sgcntr {

/// Stores (key, value) in a cache that holds at most bound + 1 entries: while the map holds at
/// most `bound` entries the pair is inserted; otherwise the entry at a random position in key
/// order is replaced, so the size stays the same.
template <class K, class V, class Less>
void storeKeyedResult(std::map<K, V, Less>& cache, const K& key, const V& value, long bound) {
  if (static_cast<long>(cache.size()) <= bound) {
    cache.emplace(key, value);
    return;
  }
  const int r = randomIndex(static_cast<int>(cache.size()));
  std::map<K, V, Less> rebuilt;
  int counter = 0;
  for (const auto& entry : cache) {
    if (counter++ == r)
      rebuilt.emplace_hint(rebuilt.end(), key, value);
    else
      rebuilt.emplace_hint(rebuilt.end(), entry);
  }
  cache.swap(rebuilt);
}

}  // namespace sgcntr
