#pragma once
// Figures: named closed outlines, usually mining blocks, over which the parts
// of the polygons they cover are totalled into ore and waste, with weighted
// averages of the variables.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/types.h"
#include "datasets/envelopes.h"
#include "io/archive.h"
#include "project/quarlex_settings.h"
#include "sections/rotation.h"

namespace qx {

class CColorTable;

class Figure {
 public:
  std::string name;         // unique within the set
  std::string secondText;   // stored and archived; nothing else reads it yet
  std::int32_t colour = 0;  // colour index from the colour table
  std::int32_t renderingMethod = 2;
  std::int32_t visible = 1;
  std::int32_t attributeD = 0;  // stored and archived; nothing else reads it yet
  // Number of outline vertices the bounding box and the scene use; stored
  // apart from the outline's own count.
  std::int32_t pointCount = 0;
  double specificGravity = 2.0;
  double area = 0.0;
  double volume = 0.0;
  double oreFraction = 100.0;  // until first calculated
  double oreTonnage = 0.0;
  double wasteTonnage = 0.0;
  double thickness = 0.0;
  DPoint3D minCorner{kItemExtent, kItemExtent, kItemExtent};
  DPoint3D maxCorner{-kItemExtent, -kItemExtent, -kItemExtent};
  std::vector<DPoint3D> outline;         // closed, first vertex not repeated
  std::vector<double> loadedValues;      // one weighted average per loaded variable
  std::vector<double> calculatedValues;  // one per calculated variable

  // The box over the first pointCount vertices (at most the whole outline),
  // from +-1e37.
  void recomputeBoundingBox();
  // area = the outline's area in its own plane (outlineArea, as for polygons).
  void computeArea();
  // Walking from the last vertex back to the second, a vertex whose
  // |dx| + |dy| + |dz| to its predecessor is below radius x 1e-9 is removed.
  // The first and last vertices are not compared with each other. Returns
  // how many went; pointCount is left to the caller.
  int removeRepeatedVertices(double radiusOfInfluence);

  // name; secondText; colour, renderingMethod, visible, attributeD,
  // pointCount; specificGravity, area, volume, oreFraction, oreTonnage,
  // wasteTonnage, thickness (doubles); outline count and points (3 doubles);
  // loaded-values count and doubles; calculated-values count and doubles.
  // A load recomputes the box.
  void serialize(Archive& ar);
  static constexpr std::size_t kMinRecordBytes = 1 + 1 + 5 * 4 + 7 * 8 + 3 * 4;

  friend bool operator==(const Figure&, const Figure&) = default;
};

class FigureSet {
 public:
  FigureSet();
  // New project: every field back to its construction default.
  void reset() { *this = FigureSet(); }

  std::vector<Figure> figures;
  // 0: figures are diluted (waste is calculated); any other value: not diluted.
  std::int32_t dilution = 0;
  // Export columns: "Name", "X Coordinate", "Y Coordinate", "Z Coordinate",
  // "Surface Area", "Thickness", "Volume", "Ore Tonnage", "Waste Tonnage",
  // "Coverage (% Ore)", each at position 0, width 0, 2 decimals. A load takes
  // as many columns as the record holds.
  std::vector<ColumnField> columns;
  DPoint3D minCorner{kItemExtent, kItemExtent, kItemExtent};  // box of all figures
  DPoint3D maxCorner{-kItemExtent, -kItemExtent, -kItemExtent};
  CParamsRotation importRotation;
  CParamsRotation exportRotation;

  int count() const { return static_cast<int>(figures.size()); }
  // The index of the figure named exactly `name` (case-sensitive), or -1.
  int findByName(std::string_view name) const;

  // Each figure's colour index: the bin of its loaded values followed by its
  // calculated values in the current colour table (25 when no bin holds them).
  void updateColours(const CColorTable& colours, const QuarlexSettings& settings);

  // The box over every figure's first pointCount vertices; +-1e37 when there
  // is none.
  DataExtents extents() const;
  // Recomputes each figure's box, then the set's.
  void recomputeBoundingBox();

  // figure count; dilution; the figures; column count; per column name,
  // position, width, decimals; importRotation; exportRotation. A load
  // replaces the set and recomputes the boxes.
  void serialize(Archive& ar);

  friend bool operator==(const FigureSet&, const FigureSet&) = default;
};

// The figures as a sink of variable edits of one kind. A new variable's
// default goes in at its place in every figure; a deleted variable's value
// stays until the figures are next calculated, which realigns the loaded
// averages and the calculated values with the settings.
class FigureValueSink : public VariableValueSink {
 public:
  // `loadedCount`: the number of loaded variables when the edit is applied
  // (the first calculated variable's combined number).
  FigureValueSink(FigureSet& set, VariableKind kind, int loadedCount)
      : set_(set), kind_(kind), loadedCount_(loadedCount) {}
  void removeValue(int index) override;
  void insertValue(int index, double defaultValue) override;
  bool realignsOnRemoval() const override { return false; }

 private:
  std::vector<double>& values(Figure& f) const {
    return kind_ == VariableKind::Loaded ? f.loadedValues : f.calculatedValues;
  }
  int position(int index) const { return kind_ == VariableKind::Loaded ? index : index - loadedCount_; }
  FigureSet& set_;
  VariableKind kind_;
  int loadedCount_;
};

// The value of variable n of a figure in combined numbering: its loaded
// average when n < loadedCount, else its calculated value n - loadedCount;
// 0 when the figure holds none (n < 0 or beyond its arrays).
double figureVariableValue(const Figure& f, int n, int loadedCount);

}  // namespace qx
