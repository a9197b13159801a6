#pragma once
#include <string>

#include "lynstd/exceptions.h"
#include "lynstd/persistent.h"

// The library is built with hidden visibility; what callers may use is marked LYNCNTR_API.
#define LYNCNTR_API __attribute__((visibility("default")))

/// Scope of the library's enumerations and error classes; it holds no data.
class LYNCNTR_API sgContourDefs {
 public:
  /// Copies nothing.
  sgContourDefs& operator=(const sgContourDefs&) { return *this; }

  /// What a region or region-set constructor does with a boundary that crosses itself.
  /// Values other than these act as eIgnore.
  /// The three enumerations have a fixed underlying type so that every int is a value of them:
  /// callers may pass values beyond the named ones, which the library checks for.
  enum IntersectionMode : int { eIgnore = 0, eOuterHull = 1, eRegularize = 2 };
  /// How encloseCircle and diameter measure: the farthest vertex pair, or a quick bound about
  /// the first vertex. Any other value is refused with BadParams.
  enum DiameterMode : int { eExact = 0, eApproximate = 1 };
  /// Passed to contour drawing, which draws the same whatever the value.
  enum DrawMode : int { eDrawOutline = 0, eDrawHighlighted = 1 };

  /// Base of the library's errors; catch it to catch them all.
  class LYNCNTR_API Errors : public sgExceptionWithString {
   public:
    Errors(const Errors&) = default;
    Errors& operator=(const Errors&) = default;
    ~Errors() override;
    long errorNumber() const override = 0;
    void suicideAndRethrow() override = 0;

   protected:
    explicit Errors(const std::wstring& message) : sgExceptionWithString(message) {}
    void dispatchSerialize(sgArchive& ar) override;
    void serialize_(sgArchive& ar, unsigned char version);
  };

  /// A contour with fewer than 2 points (a region: fewer than 3) was asked a question.
  class LYNCNTR_API EmptyContour : public Errors {
   public:
    EmptyContour(const std::wstring& message = std::wstring()) : Errors(message) {}  // NOLINT
    EmptyContour(const EmptyContour&) = default;
    EmptyContour& operator=(const EmptyContour&) = default;
    ~EmptyContour() override;
    /// 0x10004680.
    long errorNumber() const override;
    void suicideAndRethrow() override;

   protected:
    void dispatchSerialize(sgArchive& ar) override;
    void serialize_(sgArchive& ar, unsigned char version);

   private:
    static sgPersistent* make();
    static sg_Instantiator sExemplar;
  };

  /// A region set without regions was asked a question that needs one.
  class LYNCNTR_API EmptyRegionSet : public Errors {
   public:
    EmptyRegionSet(const std::wstring& message = std::wstring()) : Errors(message) {}  // NOLINT
    EmptyRegionSet(const EmptyRegionSet&) = default;
    EmptyRegionSet& operator=(const EmptyRegionSet&) = default;
    ~EmptyRegionSet() override;
    /// 0x10004682.
    long errorNumber() const override;
    void suicideAndRethrow() override;

   protected:
    void dispatchSerialize(sgArchive& ar) override;
    void serialize_(sgArchive& ar, unsigned char version);

   private:
    static sgPersistent* make();
    static sg_Instantiator sExemplar;
  };

  /// An argument or an input the operation cannot work with.
  class LYNCNTR_API BadParams : public Errors {
   public:
    BadParams(const std::wstring& message = std::wstring()) : Errors(message) {}  // NOLINT
    BadParams(const BadParams&) = default;
    BadParams& operator=(const BadParams&) = default;
    ~BadParams() override;
    /// 0x10004683.
    long errorNumber() const override;
    void suicideAndRethrow() override;

   protected:
    void dispatchSerialize(sgArchive& ar) override;
    void serialize_(sgArchive& ar, unsigned char version);

   private:
    static sgPersistent* make();
    static sg_Instantiator sExemplar;
  };

  /// A region was asked to become an open contour.
  class LYNCNTR_API RegionCannotBeSetOpen : public Errors {
   public:
    RegionCannotBeSetOpen(const std::wstring& message = std::wstring()) : Errors(message) {}  // NOLINT
    RegionCannotBeSetOpen(const RegionCannotBeSetOpen&) = default;
    RegionCannotBeSetOpen& operator=(const RegionCannotBeSetOpen&) = default;
    ~RegionCannotBeSetOpen() override;
    /// 0x10004684.
    long errorNumber() const override;
    void suicideAndRethrow() override;

   protected:
    void dispatchSerialize(sgArchive& ar) override;
    void serialize_(sgArchive& ar, unsigned char version);

   private:
    static sgPersistent* make();
    static sg_Instantiator sExemplar;
  };
};
