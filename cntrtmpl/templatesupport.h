#pragma once
// Pieces shared by the definitions of the edgelet templates.
#include <typeinfo>
#include <vector>

#include "lynstd/exceptions.h"
#include "lynstd/handle.h"
#include "lynstd/persistent.h"

namespace sgcntr {

/// Registers the factory of one template instantiation with the foundation; called by the
/// instantiations' registration objects while the library is being loaded.
template <class Class>
void registerFactory() {
  sg_Instantiator(typeid(Class), &Class::make);
}

/// The typed forms of mapping, hulls and regularization would have to invent data for new
/// vertices, so they are refused; the point-based forms of the base classes do the work.
[[noreturn]] inline void refuseTypedOperation() { throw sgPel::BadWindow(); }

/// Const handles to the objects of `handles`, in order (an empty handle stays empty).
template <class To, class Handle>
std::vector<sgPtrHandle_const<To>> toConstHandles(const std::vector<Handle>& handles) {
  return std::vector<sgPtrHandle_const<To>>(handles.begin(), handles.end());
}

}  // namespace sgcntr
