#pragma once
#include "lynstd/archive.h"
#include "lynstd/handle.h"
#include "lynstd/xform.h"

/// A polymorphic, persistent, shareable plane transform.
class LYNSTD_API sg2XformBase : public virtual sgPersistent, public virtual sgRepBase {
 public:
  ~sg2XformBase() override;
  virtual sgVector<2> mapPoint(const sgVector<2>& p) const = 0;
  /// A new object holding the inverse transform (caller owns; wrap it in a handle).
  /// Throws sgMathError::Singular when there is none.
  virtual sg2XformBase* inverseBase() const = 0;
  /// A new copy of this transform (caller owns).
  virtual sg2XformBase* clone() const = 0;
  /// The transform as a matrix and translation.
  virtual sgXform<2> xform() const = 0;

 protected:
  sg2XformBase() = default;
  sg2XformBase(const sg2XformBase&) = default;
  void dispatchSerialize(sgArchive& ar) override;
};

/// A general affine transform; the default is the identity.
class LYNSTD_API sg2XformLinear : public sg2XformBase {
 public:
  sg2XformLinear() = default;
  explicit sg2XformLinear(const sgXform<2>& x) : x_(x) {}
  ~sg2XformLinear() override;
  sgVector<2> mapPoint(const sgVector<2>& p) const override { return x_ * p; }
  sg2XformBase* inverseBase() const override;
  sg2XformBase* clone() const override;
  sgXform<2> xform() const override { return x_; }
  static sgPersistent* make();

 protected:
  void dispatchSerialize(sgArchive& ar) override;

 private:
  sgXform<2> x_;
};

/// A rotation (counter-clockwise, in degrees) followed by a translation.
class LYNSTD_API sg2Rigid : public sg2XformBase {
 public:
  sg2Rigid() = default;
  sg2Rigid(const sgDegree& rotation, const sgVector<2>& translation) : rot_(rotation), t_(translation) {}
  ~sg2Rigid() override;
  const sgDegree& rotation() const { return rot_; }
  const sgVector<2>& translation() const { return t_; }
  sgVector<2> mapPoint(const sgVector<2>& p) const override;
  sg2XformBase* inverseBase() const override;
  sg2XformBase* clone() const override;
  sgXform<2> xform() const override;
  static sgPersistent* make();

 protected:
  void dispatchSerialize(sgArchive& ar) override;

 private:
  sgDegree rot_;
  sgVector<2> t_;
};
