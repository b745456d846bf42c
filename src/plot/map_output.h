#pragma once
// Map output: the map profiles (named sets of plotting instructions for
// section plots) and the choices of the last plot generation.
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/types.h"
#include "io/archive.h"

namespace qx {

// One annotation field of a map profile (composites, polygons or figures).
struct MapVariablesDef {
  std::int32_t plot = 0;  // whether the field is plotted
  std::int32_t row = 1;   // plotting position
  std::int32_t column = 1;
  std::int32_t searchTable = 0;   // colour table of the field's value
  std::int32_t width = 5;         // 0 to 50
  std::int32_t decimals = 2;      // 0 to 10
  std::int32_t variableType = 0;  // index in the variable-type list
  // As the record gives them: the minimum cutoff starts above the maximum.
  double minimumCutoff = 100.0;
  double maximumCutoff = 0.0;
  double textSize = 0.05;
  double angle = 90.0;           // degrees, clockwise from north
  std::string name = "unnamed";  // the variable or fixed quantity annotated

  // Seven int32 (plot, row, column, searchTable, width, decimals,
  // variableType), four doubles (the cutoffs, textSize, angle), name.
  void serialize(Archive& ar);
  static constexpr std::size_t kRecordMinBytes = 7 * 4 + 4 * 8 + 1;

  friend bool operator==(const MapVariablesDef&, const MapVariablesDef&) = default;
};

// Per envelope of the project: whether its polygons and composites are plotted.
struct MapEnvelopeFlags {
  std::int32_t plotPolygons = 0;
  std::int32_t plotComposites = 0;
  friend bool operator==(const MapEnvelopeFlags&, const MapEnvelopeFlags&) = default;
};

// Graduations along one axis (East, North or Elevation).
struct MapGraduation {
  double interval = 0.0;         // 0 to 1e20
  double value = 0.0;            // the value of one graduation
  std::string positiveNotation;  // at most 3 characters
  std::string negativeNotation;
  std::int32_t axis = 0;  // index in the "Graduations along:" list
  friend bool operator==(const MapGraduation&, const MapGraduation&) = default;
};

class MapProfileDef {
 public:
  static constexpr const char* kNewName = "New Profile";

  std::string name = kNewName;
  std::vector<MapVariablesDef> compositeLabels;
  std::vector<MapVariablesDef> polygonLabels;
  std::vector<MapVariablesDef> figureLabels;

  // Frame.
  std::int32_t frameStyle = 0;  // 0, 1 or 2
  std::int32_t plotNorthArrow = 1;
  std::int32_t plotFrame = 1;
  std::int32_t plotScaleRuler = 1;
  double northArrowBearing = 0.0;        // -180 to 360
  std::string mainTitle;                 // at most 30 characters
  std::array<std::string, 4> subTitles;  // at most 40 characters each
  std::string drawingNumber;             // at most 12 characters

  // Presentation, with the colour-table, alignment, filling and hatch choices
  // of the annotation pages. The record fixes their count (15) and that the
  // first defaults to 1; the order below is this program's.
  std::string patternFile;  // at most 256 characters
  std::int32_t plotComposites = 1;
  std::int32_t plotPolygons = 0;
  std::int32_t plotFigures = 0;
  std::int32_t plotEnvelopes = 0;
  std::int32_t plotLegend = 0;
  std::int32_t unitSystem = 0;  // 0 "Imperial", 1 "Metric"
  std::int32_t compositeColorTable = 0;
  std::int32_t polygonColorTable = 0;
  std::int32_t polygonAlignment = 0;
  std::int32_t polygonFilling = 0;
  std::int32_t polygonHatch = 0;
  std::int32_t figureColorTable = 0;
  std::int32_t figureAlignment = 0;
  std::int32_t figureFilling = 0;
  std::int32_t figureHatch = 0;
  double mapScale = 1000.0;       // the denominator of "1:"
  double characterHeight = 0.05;  // inches
  double compositeTextSize = 0.05;
  double polygonTextSize = 0.05;
  double figureTextSize = 0.05;

  // Graduations: East, North, Elevation.
  std::array<MapGraduation, 3> graduations;

  // Extent.
  DPoint3D boxMin;  // East, North, Elevation
  DPoint3D boxMax;
  std::int32_t extentMode = 0;  // 0 "Use Project Extent", 1 "Use Coordinate Box"
  std::int32_t doNotLimitPolygons = 0;
  std::int32_t doNotLimitComposites = 0;
  std::vector<MapEnvelopeFlags> envelopeFlags;  // one per envelope of the project

  // name; the composite, polygon and figure annotation lists (count, records);
  // frame: frameStyle, plotNorthArrow, plotFrame, plotScaleRuler, bearing,
  // six titles; presentation: patternFile, 15 int32, mapScale and four text
  // heights; graduations: three intervals, six notations (positive then
  // negative per axis), three values, three axes; extent: box minimum and
  // maximum, extentMode and the two switches, envelope count and two int32
  // per envelope.
  void serialize(Archive& ar);
  static constexpr std::size_t kRecordMinBytes =
      1 + 3 * 4 + (4 * 4 + 8 + 6) + (1 + 15 * 4 + 5 * 8) + (3 * 8 + 6 + 3 * 8 + 3 * 4) + (6 * 8 + 3 * 4 + 4);

  friend bool operator==(const MapProfileDef&, const MapProfileDef&) = default;
};

class MapOutputData {
 public:
  MapOutputData() = default;
  // The construction state. Creating a new project does not reset the map
  // output: its profiles and choices stay until a project is opened.
  void reset() { *this = MapOutputData(); }

  std::string destinationDirectory;
  std::int32_t profileIndex = 0;          // into profiles
  std::int32_t outputKind = 0;            // 0 Marneth PLT (".plt"), otherwise DXF (".dxf")
  std::int32_t worldCoordinates = 1;      // 1: DXF coordinates are world coordinates
  std::vector<std::string> sectionNames;  // chosen sections, kept between runs
  std::vector<MapProfileDef> profiles;    // in insertion order

  int count() const { return static_cast<int>(profiles.size()); }

  // The list's edits. Names need not be unique. Remove, rename and copy do
  // nothing (false) for an index outside the list.
  void add(MapProfileDef profile) { profiles.push_back(std::move(profile)); }
  bool remove(int index);
  // The profile is replaced, at its place, by a copy with the new name.
  bool rename(int index, std::string name);
  // A copy with the new name joins the end of the list.
  bool copy(int index, std::string name);

  // destinationDirectory; profileIndex, outputKind, worldCoordinates; count
  // and section names; count and profiles. A load replaces the names and the
  // profiles.
  void serialize(Archive& ar);

  friend bool operator==(const MapOutputData&, const MapOutputData&) = default;
};

}  // namespace qx
