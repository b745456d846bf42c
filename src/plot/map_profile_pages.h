#pragma once
// The seven pages of the profile sheet "Section Map Profile". Every page edits
// the sheet's working copy of the profile in place; leaving a page checks its
// fields and refuses the first one out of its limits with the standard
// message ("Please enter a value between 0.01 and 1e+20.", "Enter no more
// than 30 characters.").
#include <string>
#include <string_view>
#include <vector>

#include "plot/map_output.h"
#include "port/dialog_model.h"

namespace qx {

// What the annotation and limits pages offer from the project.
struct MapProfileContext {
  std::vector<std::string> variableNames;  // loaded, then calculated
  std::vector<std::string> envelopeNames;
  std::vector<std::string> colourTableNames;
};

// "Enter no more than 30 characters."
std::string lengthMessage(std::size_t limit);

// The fixed quantities each annotation page offers before the variables.
enum class MapLabelKind { Composites, Polygons, Figures };
const std::vector<std::string>& fixedLabelNames(MapLabelKind kind);
// The list of one annotation page: its fixed quantities, then the variables;
// each field of `labels` keeps its settings when its name is still offered,
// a name newly offered gets the defaults, a name no longer offered goes.
void rebuildLabels(std::vector<MapVariablesDef>& labels, MapLabelKind kind,
                   const std::vector<std::string>& variableNames);

class MapProfilePage : public PageModel {
 public:
  MapProfilePage(MapProfileDef& profile, std::string title) : profile(profile), title_(std::move(title)) {}
  std::string_view kind() const override { return "map_profile_page"; }
  std::string title() const override { return title_; }
  MapProfileDef& profile;

 protected:
  static bool range(UiPort& port, double value, double lower, double upper);
  static bool length(UiPort& port, const std::string& text, std::size_t limit);

 private:
  std::string title_;
};

// "Map Presentation": switches, "Map Scale     1:" (0.01 to 1e20), "Height
// of Characters on Map (inches):" (0.01 to 100), the unit system, the
// pattern file (at most 256 characters; "Browse..." is browsePatternFile).
class CMapPresentationPage : public MapProfilePage {
 public:
  static constexpr const char* kScaleLabel = "Map Scale     1:";
  static constexpr const char* kHeightLabel = "Height of Characters on Map (inches):";
  explicit CMapPresentationPage(MapProfileDef& p) : MapProfilePage(p, "Map Presentation") {}
  static const std::vector<std::string>& unitSystems();  // "Imperial", "Metric"
  bool onOk(UiPort& port) override;
};

// "Map Frame": titles (30, 40 x 4, 12 characters), switches, the bearing
// of the north arrow (-180 to 360) and the frame style.
class CMapFramePage : public MapProfilePage {
 public:
  explicit CMapFramePage(MapProfileDef& p) : MapProfilePage(p, "Map Frame") {}
  static const std::vector<std::string>& frameStyles();
  bool onOk(UiPort& port) override;
};

// "Graduations": per East, North and Elevation the interval (0 to 1e20),
// the value, the notations (3 characters) and the axis "Graduations along:".
class CMapGraduationsPage : public MapProfilePage {
 public:
  explicit CMapGraduationsPage(MapProfileDef& p) : MapProfilePage(p, "Graduations") {}
  static const std::vector<std::string>& axes();
  bool onOk(UiPort& port) override;
};

// "Plot Limits": the extent mode, the box, the two "Do Not Limit" switches
// and, for the envelope chosen in the list, its two switches. The profile
// holds one pair of switches per envelope of the project.
class CMapLimitsPage : public MapProfilePage {
 public:
  CMapLimitsPage(MapProfileDef& p, std::vector<std::string> envelopeNames);
  static const std::vector<std::string>& extentModes();  // "Use Project Extent", "Use Coordinate Box"
  const std::vector<std::string>& envelopeNames() const { return envelopeNames_; }
  int envelope = -1;  // chosen in the list; -1 none
  MapEnvelopeFlags* chosen();

 private:
  std::vector<std::string> envelopeNames_;
};

// "Composites", "Polygons", "Figures": the colour table, the text size (0.001
// to 100) and per offered variable its annotation: angle 0 to 360
// (composites), row and column 0 to 50 (polygons, figures), width 0 to 50,
// decimals 0 to 10.
class CMapLabelsPage : public MapProfilePage {
 public:
  CMapLabelsPage(MapProfileDef& p, MapLabelKind kind, const MapProfileContext& context);
  MapLabelKind labelKind() const { return kind_; }
  std::vector<MapVariablesDef>& labels();
  double& textSize();
  std::int32_t& colourTable();
  const std::vector<std::string>& colourTables() const { return colourTables_; }
  int variable = 0;  // the field shown
  bool onOk(UiPort& port) override;

 private:
  MapLabelKind kind_;
  std::vector<std::string> colourTables_;
};

}  // namespace qx
