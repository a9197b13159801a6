#pragma once
#include "lynstd/archive.h"
#include "lynstd/vector.h"

#define LYNIP_API __attribute__((visibility("default")))

/// A direction as a one-byte code: 256 codes make a full turn (1.40625 degrees each).
class LYNIP_API sgAngle8 {
 public:
  constexpr sgAngle8() = default;
  constexpr explicit sgAngle8(unsigned char code) : code_(code) {}
  /// The code nearest to an angle, reduced to one turn.
  static sgAngle8 fromRadian(const sgRadian& a);
  constexpr unsigned char code() const { return code_; }
  sgRadian toRadian() const { return sgRadian(code_ * (sgRadian::kTwoPi / 256.0)); }
  constexpr bool operator==(const sgAngle8&) const = default;

 private:
  unsigned char code_ = 0;
};

/// An edge point found in an image: position, gradient magnitude and edge direction.
class LYNIP_API sgEdgelet {
 public:
  sgEdgelet() = default;
  sgEdgelet(const sgVector<2>& position, unsigned short magnitude, const sgAngle8& angle)
      : pos_(position), mag_(magnitude), angle_(angle) {}
  sgVector<2> position() const { return pos_; }
  unsigned short magnitude() const { return mag_; }
  sgAngle8 angle() const { return angle_; }
  bool operator==(const sgEdgelet& o) const { return pos_ == o.pos_ && mag_ == o.mag_ && angle_ == o.angle_; }

 private:
  sgVector<2> pos_;
  unsigned short mag_ = 0;
  sgAngle8 angle_;
};

/// Stores or loads an edgelet: position (two doubles), magnitude (2 bytes), angle code (1 byte).
LYNIP_API sgArchive& operator||(sgArchive& ar, sgEdgelet& e);
