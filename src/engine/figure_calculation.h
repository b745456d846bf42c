#pragma once
// Calculating figures against the polygon set: each polygon whose box
// overlaps the figure's is intersected with the figure's outline, and the
// covered pieces are totalled into ore volume and tonnage, weighted averages
// of the loaded variables and, when figures are diluted, waste for the part
// of the figure that no polygon covers.
//
// Sums are accumulated in polygon order, so a figure's results do not depend
// on how its candidate polygons were found: the spatial index and the scan of
// every polygon give the same bits.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/types.h"

namespace qx {

class CompositeSet;
class CPolygon;
class CPolygonSet;
class Figure;
class FigureSet;
class QuarlexSettings;
class UiPort;

inline constexpr std::string_view kNoPolygonsForFigures = "There are no polygons present, figures cannot be calculated";
inline constexpr std::string_view kRecalculateFiguresQuestion =
    "This operation will recalculate the values of all the figures\nClick OK to proceed, Cancel to abandon";

// The polygons' outline boxes in plan (X, Y) and an R-tree over them, built
// once per recalculation. A polygon without outline points has an empty box
// and is never a candidate.
class PolygonIndex {
 public:
  explicit PolygonIndex(const CPolygonSet& polygons);
  ~PolygonIndex();
  PolygonIndex(const PolygonIndex&) = delete;
  PolygonIndex& operator=(const PolygonIndex&) = delete;

  int size() const { return static_cast<int>(boxes_.size()); }

  // The polygons whose box overlaps [lo, hi] in X and Y, in ascending index:
  // p.min <= f.max and p.max > f.min in both coordinates (a polygon whose box
  // only touches the figure's on its low side is not taken).
  void overlapping(const DPoint3D& lo, const DPoint3D& hi, std::vector<int>& out) const;
  // The same found by testing every polygon in order.
  void overlappingByScan(const DPoint3D& lo, const DPoint3D& hi, std::vector<int>& out) const;
  // The same test over a polygon set without an index (one figure alone).
  static void scan(const CPolygonSet& polygons, const DPoint3D& lo, const DPoint3D& hi, std::vector<int>& out);

 private:
  struct Box {
    double minX, minY, maxX, maxY;
  };
  // The outline's box in plan; empty (min above max) without points.
  static Box boxOf(const CPolygon& poly);
  static bool overlaps(const Box& p, const DPoint3D& lo, const DPoint3D& hi) {
    return p.minX <= hi.x && p.maxX > lo.x && p.minY <= hi.y && p.maxY > lo.y;
  }
  struct Tree;
  std::vector<Box> boxes_;
  std::unique_ptr<Tree> tree_;
};

// What a figure is calculated against.
struct FigureCalculationInputs {
  const CPolygonSet& polygons;
  const CompositeSet& composites;
  const QuarlexSettings& settings;
  // Candidates from this index when given (built on `polygons` as they
  // stand; an index of another size is not used); otherwise every polygon is
  // tested.
  const PolygonIndex* index = nullptr;
  // With an index: test every polygon's box in order instead of asking the
  // tree (the reference the tree is measured and checked against).
  bool scanAll = false;
};

// Calculates figure `i` of the set. False for an index outside the set; with
// no polygons true, and the figure is left as it was.
//
// A polygon whose composite index lies outside the composites is skipped (it
// has no values to give). When the figures are diluted and the volume comes
// out 0 (no polygon covered and no waste counted), the ore fraction is 0 and
// the specific gravity, unless a variable gives it, is the fixed one.
bool calculateFigure(FigureSet& set, int i, const FigureCalculationInputs& in);

// How calculateAllFigures goes about its work.
struct FigureRunOptions {
  int threads = 0;  // figures calculated at a time; 0: every core
  // Read between figures; once it is set no further figure is calculated
  // and the call returns false.
  const std::atomic<bool>* cancel = nullptr;
  // Called on the calling thread with the figures done so far and the count.
  std::function<void(int done, int figures)> progress;
};

// Calculates every figure in order, the candidates found through one spatial
// index built for the call. `threads` figures are calculated at a time (0:
// every core); each figure's result is the same whatever the count. Does
// nothing when there are no polygons.
//
// True when done; false when cancelled. A cancelled call, or one that throws
// (from a figure on any thread, or from `progress`: the exception reaches the
// caller once every thread has stopped), leaves the figures exactly as they
// were: the figures are calculated on a copy that replaces the set's at the
// end.
bool calculateAllFigures(FigureSet& set, const CPolygonSet& polygons, const CompositeSet& composites,
                         const QuarlexSettings& settings, int threads = 0);
bool calculateAllFigures(FigureSet& set, const CPolygonSet& polygons, const CompositeSet& composites,
                         const QuarlexSettings& settings, const FigureRunOptions& options);

// The "Recalculate All Figures" command: with no polygons, the message
// kNoPolygonsForFigures and false; otherwise the question
// kRecalculateFiguresQuestion (OK/Cancel), and on OK every figure is
// recalculated and true returned. The modified flag is the caller's to leave
// alone; redrawing the figures and their colours is the caller's.
//
// The calculation shows a bar ("Calculating Figures", "%d Figures Left To
// Calculate") with Cancel; a cancelled run says so and leaves the figures as
// they were (false).
bool recalculateAllFigures(UiPort& port, FigureSet& set, const CPolygonSet& polygons, const CompositeSet& composites,
                           const QuarlexSettings& settings);
inline constexpr std::string_view kCalculatingFiguresTitle = "Calculating Figures";
inline constexpr std::string_view kFigureCalculationCancelled =
    "The calculation of the figures was cancelled: the figures are as they were.";
std::string figuresLeftText(int figures);

// The figure's outline area and box as step 2 of a calculation computes them
// (the area over the whole outline, the box over its first pointCount
// vertices).
void prepareFigureGeometry(Figure& f);

}  // namespace qx
