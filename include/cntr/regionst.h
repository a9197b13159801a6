#pragma once
#include <map>
#include <memory>
#include <vector>

#include "cntr/region.h"

/// An ordered list of shared regions treated as one figure: measures add up region by region
/// (overlaps count twice until the set is regularized).
///
/// Regions are held through handles to const regions; one region may belong to several sets.
/// Results are cached until the list changes. A set, and the regions it shares, must be used by
/// one thread at a time.
class LYNCNTR_API sgRegionSet : public virtual sgPersistent, public virtual sgRepBase {
 public:
  /// Holds the regions as given (nothing is checked; empty handles are allowed), then applies the
  /// mode: eOuterHull replaces the set by its outer hull, eRegularize by its regularization.
  sgRegionSet(
      const std::vector<sgPtrHandle_const<sgRegion>>& regions = std::vector<sgPtrHandle_const<sgRegion>>(),
      sgContourDefs::IntersectionMode mode = sgContourDefs::eIgnore);
  sgRegionSet(const std::vector<sgPtrHandle<sgRegion>>& regions, sgContourDefs::IntersectionMode mode);
  /// Shares the regions and the cached repaired sets; copies the other caches.
  sgRegionSet(const sgRegionSet& other);
  sgRegionSet& operator=(const sgRegionSet& other);
  ~sgRegionSet() override;

 protected:
  /// The archive record of the region-set level (versions 0 and 1 are read, 1 is written).
  virtual void serialize_(sgArchive& ar, unsigned char version);
  /// Called after the region list was replaced; default: cleanCacheInfo().
  virtual void makeDataConsistentWithPoints();
  /// Called by derived classes after their own lists were replaced; default: cleanCacheInfo().
  virtual void makePointsConsistentWithData();
  /// Discards every cache (and notifies the persistence base first).
  virtual void cleanCacheInfo();

 public:
  /// A copy of the region handles.
  std::vector<sgPtrHandle_const<sgRegion>> regions() const { return regions_; }
  /// Replaces the list, clears the caches, then applies the mode as the constructor does.
  void regions(const std::vector<sgPtrHandle_const<sgRegion>>& regions, sgContourDefs::IntersectionMode mode);
  void regions(const std::vector<sgPtrHandle<sgRegion>>& regions, sgContourDefs::IntersectionMode mode);
  /// Appends a region, clears the caches, then applies the mode.
  void add(const sgPtrHandle_const<sgRegion>& region, sgContourDefs::IntersectionMode mode);
  /// Bound of the rectangle cache (it grows to cachedVectorSize + 1 entries, then replaces a
  /// random entry). Negative values throw BadParams and change nothing.
  long cachedVectorSize() const { return cachedVectorSize_; }
  void cachedVectorSize(long size);

  /// Sum of the regions' areas; 0.0 for an empty set.
  double area(bool considerHoles) const;
  /// Area-weighted mean of the regions' centres; (0, 0) when the total area is within 1e-15 of 0.
  /// Throws EmptyRegionSet.
  sgVector<2> centerOfMass(bool considerHoles) const;
  /// Central second moments of the set about its centre of mass: the regions' records (with their
  /// holes taken out when considerHoles) combined by sg_InertiaData addition, overlaps counted
  /// twice. Throws EmptyRegionSet, and what a region's measures throw.
  sgMatrix<2> inertiaMatrix(bool considerHoles) const;
  /// Whether some region contains the point; false for an empty set.
  bool inside(const sgVector<2>& point, bool considerHoles) const;
  /// Whether an outer boundary crosses itself or another region's outer boundary.
  bool isSelfIntersecting() const;
  /// Smallest distance from the point to any region. Throws EmptyRegionSet.
  double distToPoint(const sgVector<2>& point, bool vertexOnly, bool considerHoles, bool fillInterior) const;
  /// Same number of regions, equal region by region (outer contours only).
  bool operator==(const sgRegionSet& other) const;
  /// Bounding rectangle of every outer boundary mapped by the transform; cached per transform.
  /// Throws EmptyRegionSet.
  sgRect encloseRect(const sgXform<2>& xform) const;
  /// Calls each region's draw(tablet, color, layer) in list order.
  void draw(sgUITablet& tablet, const sgColor& color, const sgUITablet::Layers& layer) const;

  /// Regions whose outer boundaries meet (touching counts) are spliced into one, until no two
  /// meet, then every region is regularized: overlapping regions become the outer boundary of
  /// their union. A region inside another whose boundary it does not meet stays apart. A set that
  /// is not self-intersecting gives a copy. Cached. `result` may be this set.
  void regularize(sgRegionSet& result) const;
  /// As regularize, with each region replaced by its outer hull.
  void outerHull(sgRegionSet& result) const;

 protected:
  /// Replaces the list and nothing else (no cache clearing, no hook, no mode).
  void setRegions(const std::vector<sgPtrHandle_const<sgRegion>>& regions);
  /// Throws EmptyRegionSet (empty message) when the set has no region.
  void checkEmptyRegionSet() const;
  /// Calls mutating_() when the persistence base's notification flag is set.
  void notifyMutation();
  void dispatchSerialize(sgArchive& ar) override;

 private:
  using RectCache = std::map<sgXform<2>, sgRect, sgXformKeyLess>;

  void outerHullRegularize(sgRegionSet& result, bool outerHullOnly) const;
  void applyMode(sgContourDefs::IntersectionMode mode);

  static sgPersistent* make();
  static sg_Instantiator sExemplar;

  std::vector<sgPtrHandle_const<sgRegion>> regions_;
  long cachedVectorSize_ = 3;
  mutable bool centerOfMassHolesValid_ = false;
  mutable sgVector<2> centerOfMassHoles_;
  mutable bool centerOfMassOuterValid_ = false;
  mutable sgVector<2> centerOfMassOuter_;
  mutable bool areaHolesValid_ = false;
  mutable double areaHoles_ = 0.0;
  mutable bool areaOuterValid_ = false;
  mutable double areaOuter_ = 0.0;
  mutable std::unique_ptr<RectCache> encloseRectCache_;
  mutable bool inertiaHolesValid_ = false;
  mutable sgMatrix<2> inertiaHoles_;
  mutable bool inertiaOuterValid_ = false;
  mutable sgMatrix<2> inertiaOuter_;
  mutable bool selfIntersecting_ = false;
  mutable bool selfIntersectingValid_ = false;
  mutable bool regularizedCacheValid_ = false;
  mutable sgPtrHandle_const<sgRegionSet> regularizedCache_;
  mutable bool outerHullCacheValid_ = false;
  mutable sgPtrHandle_const<sgRegionSet> outerHullCache_;
};
