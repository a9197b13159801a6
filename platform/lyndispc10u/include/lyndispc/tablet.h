#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "lynstd/basics.h"

#define LYNDISPC_API __attribute__((visibility("default")))

/// An RGB colour with opacity.
struct LYNDISPC_API sgColor {
  unsigned char r = 0, g = 0, b = 0, a = 255;
  constexpr sgColor() = default;
  constexpr sgColor(unsigned char r, unsigned char g, unsigned char b, unsigned char a = 255)
      : r(r), g(g), b(b), a(a) {}
  constexpr bool operator==(const sgColor&) const = default;
};

/// A drawing surface that accepts line segments.
class LYNDISPC_API sgUITablet {
 public:
  /// Layers drawn bottom to top.
  enum Layers { eBackground = 0, eImage = 1, eGraphics = 2, eOverlay = 3 };
  virtual ~sgUITablet();
  /// Draws the segment from `from` to `to` (x, y pairs).
  virtual void drawLineSeg(const sgPair<double>& from, const sgPair<double>& to, const sgColor& color,
                           Layers layer) = 0;
};

/// A tablet that records every call, in order.
class LYNDISPC_API sgRecordingTablet : public sgUITablet {
 public:
  struct Segment {
    sgPair<double> from, to;
    sgColor color;
    Layers layer;
    bool operator==(const Segment&) const = default;
  };
  void drawLineSeg(const sgPair<double>& from, const sgPair<double>& to, const sgColor& color,
                   Layers layer) override;
  const std::vector<Segment>& segments() const { return segs_; }
  void clear() { segs_.clear(); }

 private:
  std::vector<Segment> segs_;
};

/// A tablet that collects segments and writes them as a standalone SVG document. The view box
/// encloses everything drawn plus a margin; y grows downward, as in image coordinates; layers
/// become groups stacked in layer order.
class LYNDISPC_API sgSvgTablet : public sgRecordingTablet {
 public:
  explicit sgSvgTablet(double strokeWidth = 1.0) : stroke_(strokeWidth) {}
  /// Writes the document. Non-finite coordinates are left out (SVG cannot show them).
  void write(std::ostream& os) const;

 private:
  double stroke_;
};
