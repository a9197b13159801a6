#pragma once
// The per-thread random index source of the bounded result caches (internal to the library).
#include "lynstd/thread.h"

namespace sgcntr {

/// The calling thread's generator, created from seed 1 on the thread's first request and freed
/// when the thread ends.
sgRandomUniform& threadRandomUniform();

/// An index drawn uniformly from 0 .. n-1 with the calling thread's generator; n must be > 0.
int randomIndex(int n);

/// Creates the thread-local slot (once); called by the library's static initialisation.
void initializeRandomSource();

}  // namespace sgcntr
