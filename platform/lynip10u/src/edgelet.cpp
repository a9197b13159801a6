#include "lynip/edgelet.h"

#include <cmath>
#include <stdexcept>

sgAngle8 sgAngle8::fromRadian(const sgRadian& a) {
  if (!std::isfinite(a.toDouble())) throw std::invalid_argument("sgAngle8::fromRadian: angle is not finite");
  // norm() gives [0, 2*pi), so the rounded code lies in 0..256, and 256 is a full turn: code 0.
  const double codes = a.norm().toDouble() * (256.0 / sgRadian::kTwoPi);
  return sgAngle8(static_cast<unsigned char>(static_cast<unsigned>(std::lround(codes)) % 256u));
}

sgArchive& operator||(sgArchive& ar, sgEdgelet& e) {
  sgVector<2> position = e.position();
  unsigned short magnitude = e.magnitude();
  unsigned char code = e.angle().code();
  ar || position || magnitude || code;
  if (ar.isLoading()) e = sgEdgelet(position, magnitude, sgAngle8(code));
  return ar;
}
