#pragma once
// The polygon set: one polygon of influence per composite that takes part in
// the calculation, with its Voronoi cell, its clipped outline and the values
// derived from them (area, thickness, volume, specific gravity, tonnage).
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/types.h"
#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "io/archive.h"
#include "project/quarlex_settings.h"
#include "sections/rotation.h"

namespace qx {

class CColorTable;

// The value of variable n (combined numbering: the loaded variables, then the
// calculated ones) of composite c; 0 when it has none.
double compositeVariableValue(const CComposite& c, int n, int loadedCount);
// "poly%05d": padded to five digits, never cut.
std::string polygonName(int compositeIndex);
// The area of an outline in its own plane: half the length of the sum of the
// cross products of consecutive points (the last with the first); 0 below
// three points.
double outlineArea(const std::vector<DPoint3D>& outline);

// Where generation takes the Voronoi cells from; every way gives the same
// cells to the bit (docs/voronoi.md). Plan: one triangulation of all the
// composites that take part, each band cutting its cells from the
// neighbours it lists. BandLocal: each band triangulates its own composites
// and, cell by cell, the others a cell needs. BandWhole: each band
// triangulates every composite it holds first. Automatic (the default):
// Plan when the bands' margins hold many times their own composites (thin
// bands: many composites), else BandLocal. Tests and the benchmark compare
// them.
enum class CellSource { Automatic, Plan, BandLocal, BandWhole };

// How CPolygonSet::generate goes about its work. None of these changes the
// polygons it makes.
struct GenerateOptions {
  int threads = 0;  // bands at a time; 0: every core
  CellSource cells = CellSource::Automatic;
  // Clipping skips the intersection routine where the two outlines cannot
  // meet. Tests switch it off to compare both ways.
  bool clipShortcuts = true;
  // Read between the steps of the work and between bands; once it is set,
  // generation stops and returns kGenerateCancelled.
  const std::atomic<bool>* cancel = nullptr;
};

// What CPolygonSet::generate returns when it was cancelled.
inline constexpr int kGenerateCancelled = -1;

class CPolygon {
 public:
  std::string name;         // "poly%05d" with the composite index
  std::int32_t colour = 0;  // colour index of the composite's bin
  double specificGravity = 2.0;
  double area = 0.0;  // of the clipped outline
  double volume = 0.0;
  double tonnage = 0.0;
  double thickness = 0.0;
  DPoint3D minCorner{kItemExtent, kItemExtent, kItemExtent};  // box of the outline
  DPoint3D maxCorner{-kItemExtent, -kItemExtent, -kItemExtent};
  std::vector<DPoint3D> cell;     // the Voronoi cell, counter-clockwise, not closed
  std::vector<DPoint3D> outline;  // the clipped outline; may be empty
  std::int32_t compositeIndex = -1;

  int cellCount() const { return static_cast<int>(cell.size()); }
  int outlineCount() const { return static_cast<int>(outline.size()); }

  // The box of the outline, from +-1e37.
  void recomputeBoundingBox();

  // Takes composite c: its index, "poly%05d", the specific gravity and the
  // thickness with their fallbacks, then volume and tonnage from the area.
  void setComposite(int c, const CComposite& composite, const QuarlexSettings& settings);
  // The outline changed: its point count, box, area, volume and tonnage.
  void outlineChanged();
  // For k from the second-to-last cell vertex down to the first, removes the
  // vertex after k when |dx| + |dy| + |dz| to vertex k is below 0.01.
  // Returns how many went.
  int removeRepeatedCellVertices();

  // compositeIndex; name; colour; cell count; outline count; specific gravity,
  // area, volume, tonnage, thickness (doubles); the cell points; the outline
  // points (3 doubles each). A load recomputes the box.
  void serialize(Archive& ar);
  static constexpr std::size_t kMinRecordBytes = 4 + 1 + 4 + 4 + 4 + 5 * 8;

  friend bool operator==(const CPolygon&, const CPolygon&) = default;
};

class CPolygonSet {
 public:
  CPolygonSet();
  // New project: every field back to its construction default.
  void reset() { *this = CPolygonSet(); }

  // Export columns: "Name", "X Coordinate", "Y Coordinate", "Z Coordinate",
  // "Surface Area", "Thickness", "Volume", "Tonnage", each at position 0,
  // width 0, 2 decimals until the export's column page sets them. A load
  // takes as many columns as the record holds.
  std::vector<ColumnField> columns;
  std::vector<CPolygon> polygons;
  std::int32_t displayMode = 2;  // the five display modes of the scene
  std::int32_t shown = 1;        // the polygons' visible flag
  // A third display option that the scene reads; its meaning is the scene's.
  std::int32_t displayOption = 0;
  double displayThicknessFactor = 1.0;                        // one of 0, 0.1, 0.25, 0.5, 1, 2, 5, 10
  DPoint3D minCorner{kItemExtent, kItemExtent, kItemExtent};  // box of all outlines
  DPoint3D maxCorner{-kItemExtent, -kItemExtent, -kItemExtent};
  CParamsRotation exportRotation;

  int count() const { return static_cast<int>(polygons.size()); }

  // Rebuilds the whole set from the composites: bands of N/500 + 1 along Y,
  // the Voronoi cells of each band's composites (with a margin of three radii
  // of influence), cut to the influence polygon, then to the envelope that
  // owns the composite when that envelope clips. Bands run on `threads`
  // threads (0: every core) and are appended in band order, so the result is
  // the same as a run on one thread. `progress` is called on the calling
  // thread with the bands done so far and the band count. The caller draws
  // the polygons and updates the views.
  //
  // Returns 0 when there are no composites (the set is left alone), 1 when
  // the set was rebuilt, kGenerateCancelled when `options.cancel` was set
  // before the work was done. A cancelled run, or one that throws (from a
  // band on any thread, or from `progress`: the exception reaches the caller
  // once every thread has stopped), leaves the set exactly as it was.
  using BandProgress = std::function<void(int done, int bands)>;
  int generate(CompositeSet& composites, const QuarlexSettings& settings, const EnvelopeSet& envelopes,
               const BandProgress& progress = {}, int threads = 0);
  // The same with the thread count, the cell source, the clip shortcuts and
  // the cancel flag of `options`.
  int generate(CompositeSet& composites, const QuarlexSettings& settings, const EnvelopeSet& envelopes,
               const BandProgress& progress, const GenerateOptions& options);

  // Cuts each polygon (mode 0: its cell; mode 1: its current outline) by the
  // influence polygon centred on its composite. Returns how many were cut.
  // `clipShortcuts` as in GenerateOptions.
  int clipToInfluencePolygons(int mode, const CompositeSet& composites, const QuarlexSettings& settings,
                              bool clipShortcuts = true);
  // Cuts each outline by the contour of the envelope that owns its composite,
  // when that envelope clips; the others lose their outline (their area,
  // volume and tonnage stay). Nothing happens when no envelope clips.
  // Returns how many were cut.
  int clipToEnvelopes(CompositeSet& composites, const QuarlexSettings& settings, const EnvelopeSet& envelopes,
                      bool clipShortcuts = true);
  // Name, specific gravity, thickness, volume and tonnage again from each
  // polygon's composite (settings or variables changed).
  void recalculateValues(const CompositeSet& composites, const QuarlexSettings& settings);
  // Each polygon's colour: the bin of its composite's values in the current
  // colour table (25 when no bin holds it).
  void updateColours(const CompositeSet& composites, const CColorTable& colours, const QuarlexSettings& settings);
  // The index of the polygon of composite c, or -1.
  int findByComposite(int c) const;
  // No polygons.
  void clear();

  // Totals over the set, for summaries.
  struct Totals {
    int count = 0;
    double area = 0.0;
    double volume = 0.0;
    double tonnage = 0.0;
  };
  Totals totals() const;

  // The box over all outline points; +-1e37 when there is none.
  DataExtents extents() const;
  // Recomputes each polygon's box, then the set's.
  void recomputeBoundingBox();
  // The set's box from the polygons' boxes as they stand.
  void widenBoxByPolygons();

  // polygon count; displayMode, shown, displayOption; displayThicknessFactor;
  // column count; per column name, position, width, decimals; exportRotation;
  // the polygons. A load replaces the set and recomputes the boxes.
  void serialize(Archive& ar);

  friend bool operator==(const CPolygonSet&, const CPolygonSet&) = default;
};

}  // namespace qx
