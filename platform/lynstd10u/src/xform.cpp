#include "lynstd/xform.h"

// Constant-initialised, so that other libraries' static initialisers may use it safely.
constinit const sgXform<2> sgXform<2>::I{};

sgXform<2> sgXform<2>::inverse() const {
  // p = m q + t  =>  q = m^-1 p - m^-1 t.
  const sgMatrix<2> mi = m_.inverse();
  return {mi, -(mi * t_)};
}
