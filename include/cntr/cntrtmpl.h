#pragma once
#include <vector>

#include "cntr/region.h"
#include "cntr/regionst.h"
#include "lynip/edgelet.h"
#include "lynstd/xformbase.h"

template <class T>
class LYNCNTR_API sgRegionT;  // clang takes the visibility of type info from the first declaration

/// A contour whose every vertex carries a datum (an edgelet). The data live in their own frame:
/// `dataFromPointsXform` maps a contour point to its datum's position, its inverse maps back.
/// Replacing the data rebuilds the points; replacing the points rebuilds the data (magnitude 0,
/// direction code 0). Every measure is the contour's. Provided for sgEdgelet.
template <class T>
class LYNCNTR_API sgContourT : public virtual sgContour {
 public:
  /// No points, closed, label 0, no data, its own identity transform.
  sgContourT();
  /// Data as given, identity transform; the points are the data's positions.
  explicit sgContourT(const std::vector<T>& data);
  /// Data as given with a clone of `xform` (the identity when the handle is empty); point i is
  /// the inverse transform applied to datum i's position.
  sgContourT(const std::vector<T>& data, const sgPtrHandle_const<sg2XformBase>& xform);
  /// Shares the transform and its cached inverse; copies the data.
  sgContourT(const sgContourT& other);
  sgContourT& operator=(const sgContourT& other);
  ~sgContourT() override;

  /// The data, one per point.
  const std::vector<T>& data() const { return data_; }
  /// Replaces the data and rebuilds the points from them.
  void data(const std::vector<T>& data);
  /// The transform from points to data (shared).
  sgPtrHandle_const<sg2XformBase> dataFromPointsXform() const;
  /// The datum standing for a contour point: mapped position, magnitude 0, direction code 0.
  /// Throws sgBadPointer when the transform handle is empty.
  T datum(const sgVector<2>& point) const;
  /// The contour point standing for a datum (fills the cached inverse transform).
  /// Throws sgBadPointer when the transform handle is empty.
  sgVector<2> point(const T& datum);
  /// Same points (exact) and the same transform object; data, closed flag and label are not compared.
  bool operator==(const sgContourT& other) const;
  /// Not available: always throws sgPel::BadWindow (map the points through sgContour::map).
  void mapT(const sgXform<2>& xform, sgContourT& result) const;
  /// Not available: always throws sgPel::BadWindow (use sgContour::convexHull).
  void convexHullT(sgRegionT<T>& hull) const;

  static sgPersistent* make();
  /// Registers this instantiation's factory when constructed.
  class Instantiator {
   public:
    Instantiator();
  };

 protected:
  void serialize_(sgArchive& ar, unsigned char version) override;
  void dispatchSerialize(sgArchive& ar) override;
  /// Rebuilds the data from the points.
  void makeDataConsistentWithPoints() override;
  /// Rebuilds the points from the data.
  void makePointsConsistentWithData() override;

 private:
  template <class>
  friend class sgRegionT;
  static Instantiator sExemplar;

  struct DeferPoints {};
  /// Sets the transform and the data but not the points: the most-derived constructor makes
  /// them consistent once every base is built.
  sgContourT(const std::vector<T>& data, const sgPtrHandle_const<sg2XformBase>& xform, DeferPoints);

  sgPtrHandle<sg2XformBase> dataFromPointsXform_;
  std::vector<T> data_;
  bool pointsFromDataXformValid_ = false;
  sgPtrHandle<sg2XformBase> pointsFromDataXform_;
};

/// A region whose outer boundary carries one datum per point and draws itself as one tick per
/// datum. Keeps its own typed hole list beside the region's holes. Provided for sgEdgelet.
template <class T>
class LYNCNTR_API sgRegionT : public sgContourT<T>, public sgRegion {
 public:
  /// No points, no data, no holes, its own identity transform.
  sgRegionT();
  /// The region of the data's positions (identity transform), no holes, with the label.
  sgRegionT(const std::vector<T>& data, unsigned long label);
  /// As above with a clone of the transform (the identity when the handle is empty).
  sgRegionT(const std::vector<T>& data, sgPtrHandle_const<sg2XformBase>& xform, unsigned long label);
  /// The region of a datum contour (points, data and transform shared), with the label.
  sgRegionT(const sgContourT<T>& contour, unsigned long label);
  sgRegionT(const sgRegionT& other);
  sgRegionT& operator=(const sgRegionT& other);
  ~sgRegionT() override;

  /// The typed holes (a list of their own, beside the region's holes).
  const std::vector<sgPtrHandle_const<sgRegionT<T>>>& holes() const { return typedHoles_; }
  /// Replaces the typed holes (no intersection test; the region's holes are not changed).
  void holes(const std::vector<sgPtrHandle_const<sgRegionT<T>>>& holes);
  /// Always true.
  bool isClosed() const override;
  /// true changes nothing; false throws RegionCannotBeSetOpen.
  void isClosed(bool closed) override;
  /// One tick of length 1 per datum, centred on its position, a quarter turn from its direction.
  void draw(sgUITablet& tablet, const sgColor& color, const sgUITablet::Layers& layer) const override;
  using sgContour::draw;
  /// Same points and the same transform object; holes are not compared.
  bool operator==(const sgRegionT& other) const;
  /// Not available: always throw sgPel::BadWindow.
  void mapT(const sgXform<2>& xform, sgRegionT& result) const;
  void regularizeT(sgRegionT& result) const;

  static sgPersistent* make();
  class Instantiator {
   public:
    Instantiator();
  };

  void makeDataConsistentWithPoints() override;
  void makePointsConsistentWithData() override;
  void cleanCacheInfo() override;

 protected:
  void serialize_(sgArchive& ar, unsigned char version) override;
  void dispatchSerialize(sgArchive& ar) override;

 private:
  static Instantiator sExemplar;
  std::vector<sgPtrHandle_const<sgRegionT<T>>> typedHoles_;
};

/// A region set that keeps, beside its regions, the same regions as datum-carrying regions.
/// Provided for sgEdgelet.
template <class T>
class LYNCNTR_API sgRegionSetT : public sgRegionSet {
 public:
  sgRegionSetT();
  /// The typed regions, shared; the set's regions are the same objects.
  explicit sgRegionSetT(const std::vector<sgPtrHandle_const<sgRegionT<T>>>& regions);
  explicit sgRegionSetT(std::vector<sgPtrHandle<sgRegionT<T>>> regions);
  sgRegionSetT(const sgRegionSetT& other);
  sgRegionSetT& operator=(const sgRegionSetT& other);
  ~sgRegionSetT() override;

  /// A copy of the typed region handles.
  std::vector<sgPtrHandle_const<sgRegionT<T>>> regionsT() const { return typedRegions_; }
  /// The region sets' equality; typed regions are not compared.
  bool operator==(const sgRegionSetT& other) const;
  /// Not available: always throw sgPel::BadWindow.
  void mapT(const sgXform<2>& xform, sgRegionSetT& result) const;
  void regularizeT(sgRegionSetT& result) const;

  static sgPersistent* make();
  class Instantiator {
   public:
    Instantiator();
  };

 protected:
  void serialize_(sgArchive& ar, unsigned char version) override;
  void dispatchSerialize(sgArchive& ar) override;
  /// Rebuilds the typed regions from the regions' outer points.
  void makeDataConsistentWithPoints() override;
  /// Gives the set the typed regions as its regions.
  void makePointsConsistentWithData() override;
  void cleanCacheInfo() override;

 private:
  static Instantiator sExemplar;
  std::vector<sgPtrHandle_const<sgRegionT<T>>> typedRegions_;
};

// The registration objects are defined, in their fixed order, with the library's other ones.
// Declared before the instantiations below, which would otherwise claim them; the classes carry
// their export attribute themselves, so the instantiations need none.
template <>
sgContourT<sgEdgelet>::Instantiator sgContourT<sgEdgelet>::sExemplar;
template <>
sgRegionT<sgEdgelet>::Instantiator sgRegionT<sgEdgelet>::sExemplar;
template <>
sgRegionSetT<sgEdgelet>::Instantiator sgRegionSetT<sgEdgelet>::sExemplar;

extern template class sgContourT<sgEdgelet>;
extern template class sgRegionT<sgEdgelet>;
extern template class sgRegionSetT<sgEdgelet>;
