#pragma once
#include <string>
#include <vector>

#include "cntrio/shape.h"

namespace cntr {

/// An SVG picture of shapes, scaled so that its long side is `width` pixels: a white
/// background, regions filled (even-odd, so holes stay empty), names as labels, and a legend
/// that also lists the shapes that could not be drawn. Strokes and edgelet ticks have sizes in
/// pixels, whatever the scale of the shapes.
class Picture {
 public:
  /// Coordinates beyond this size (in either direction) are refused: a picture of them would
  /// lose the shapes to rounding.
  static constexpr double kMaxCoordinate = 1e12;

  /// `width`: pixels on the long side; `stroke`: pixels across an outline.
  Picture(double width, double stroke) : width_(width), stroke_(stroke) {}

  /// Adds an input shape; with `underRepair` it is drawn thin and grey, to be covered by its
  /// repair. Throws ShapeError for coordinates beyond kMaxCoordinate.
  void addInput(const ShapeData& shape, bool underRepair);
  /// Adds a repaired shape: filled with a translucent colour over its input.
  void addRepair(const ShapeData& shape, const std::string& what);
  /// Lists a shape that could not be drawn in the legend.
  void addRefused(const std::string& title, const std::string& error);

  std::string render() const;

 private:
  enum class Role { Input, InputUnderRepair, Repair };
  struct Item {
    ShapeData shape;
    Role role;
  };

  double width_;
  double stroke_;
  std::vector<Item> items_;
  std::vector<std::string> refused_;
  std::string repairName_;
};

}  // namespace cntr
