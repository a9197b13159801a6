#include "lynstd/xformbase.h"

#include <cmath>
#include <typeinfo>

namespace {

/// Registration of the concrete transforms' factories for loading from archives.
sg_Instantiator regLinear(typeid(sg2XformLinear), &sg2XformLinear::make);
sg_Instantiator regRigid(typeid(sg2Rigid), &sg2Rigid::make);

/// cos and sin of an angle in degrees, exact for multiples of 90 degrees: the angle is reduced
/// exactly (fmod) to the nearest quarter turn plus a remainder of at most 45 degrees, so that
/// sg2Rigid(90 degrees) maps (1, 0) to exactly (0, 1). The reduction is odd-symmetric, so the
/// rotation by -a is exactly the transpose of the rotation by a.
struct CosSin {
  double c, s;
};
CosSin cosSinDegrees(double deg) {
  const double a = std::fmod(deg, 360.0);  // exact, sign of deg; NaN for NaN or infinite deg
  if (std::isnan(a)) return {a, a};
  const double n = std::nearbyint(a / 90.0);                   // -4 .. 4
  const double rem = a - 90.0 * n;                             // exact (Sterbenz), |rem| <= 45
  const double r = rem * 0.017453292519943295769236907684886;  // pi / 180
  const double c0 = std::cos(r), s0 = std::sin(r);
  switch (((static_cast<int>(n) % 4) + 4) % 4) {
    case 1:
      return {-s0, c0};
    case 2:
      return {-c0, -s0};
    case 3:
      return {s0, -c0};
    default:
      return {c0, s0};
  }
}

sgMatrix<2> rotationDegrees(const sgDegree& d) {
  const CosSin cs = cosSinDegrees(d.toDouble());
  return {cs.c, -cs.s, cs.s, cs.c};
}

}  // namespace

// ---- sg2XformBase ------------------------------------------------------------------------------

sg2XformBase::~sg2XformBase() = default;

void sg2XformBase::dispatchSerialize(sgArchive& ar) {
  if (haveVisited(ar, this, sizeof(sg2XformBase))) return;
  unsigned char v = 0;
  ar || v;
  if (v != 0) throw sgArchive::UnknownVersion("sg2XformBase", v);
  sgPersistent::dispatchSerialize(ar);
  setVisited(ar, this, sizeof(sg2XformBase));
}

// ---- sg2XformLinear ----------------------------------------------------------------------------

sg2XformLinear::~sg2XformLinear() = default;

sg2XformBase* sg2XformLinear::inverseBase() const { return new sg2XformLinear(x_.inverse()); }

sg2XformBase* sg2XformLinear::clone() const { return new sg2XformLinear(*this); }

sgPersistent* sg2XformLinear::make() { return new sg2XformLinear; }

void sg2XformLinear::dispatchSerialize(sgArchive& ar) {
  if (haveVisited(ar, this, sizeof(sg2XformLinear))) return;
  unsigned char v = 0;
  ar || v;
  if (v != 0) throw sgArchive::UnknownVersion("sg2XformLinear", v);
  sg2XformBase::dispatchSerialize(ar);
  ar || x_;
  setVisited(ar, this, sizeof(sg2XformLinear));
}

// ---- sg2Rigid ----------------------------------------------------------------------------------

sg2Rigid::~sg2Rigid() = default;

sgVector<2> sg2Rigid::mapPoint(const sgVector<2>& p) const { return rotationDegrees(rot_) * p + t_; }

sg2XformBase* sg2Rigid::inverseBase() const {
  // p = R(a) q + t  =>  q = R(-a) p - R(-a) t: again a rigid transform.
  const sgDegree back(-rot_.toDouble());
  return new sg2Rigid(back, -(rotationDegrees(back) * t_));
}

sg2XformBase* sg2Rigid::clone() const { return new sg2Rigid(*this); }

sgXform<2> sg2Rigid::xform() const { return {rotationDegrees(rot_), t_}; }

sgPersistent* sg2Rigid::make() { return new sg2Rigid; }

void sg2Rigid::dispatchSerialize(sgArchive& ar) {
  if (haveVisited(ar, this, sizeof(sg2Rigid))) return;
  unsigned char v = 0;
  ar || v;
  if (v != 0) throw sgArchive::UnknownVersion("sg2Rigid", v);
  sg2XformBase::dispatchSerialize(ar);
  double degrees = rot_.toDouble();
  ar || degrees;
  if (ar.isLoading()) rot_ = sgDegree(degrees);
  ar || t_;
  setVisited(ar, this, sizeof(sg2Rigid));
}
