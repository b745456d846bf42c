#include "plot/map_profile_pages.h"

#include <algorithm>

#include "port/ui_port.h"
#include "project/field_range.h"

namespace qx {

std::string lengthMessage(std::size_t limit) { return "Enter no more than " + std::to_string(limit) + " characters."; }

const std::vector<std::string>& fixedLabelNames(MapLabelKind kind) {
  static const std::vector<std::string> composites{"Composite Name"};
  static const std::vector<std::string> polygons{
      "Polygon Name", "Specific Gravity", "Ore Volume", "Ore Tonnage", "%Ore", "%Waste"};
  static const std::vector<std::string> figures{"Figure Name", "Specific Gravity", "Volume", "Ore Tonnage",
                                                "%Ore",        "Waste Tonnage",    "%Waste"};
  switch (kind) {
    case MapLabelKind::Composites: return composites;
    case MapLabelKind::Polygons: return polygons;
    case MapLabelKind::Figures: break;
  }
  return figures;
}

void rebuildLabels(std::vector<MapVariablesDef>& labels, MapLabelKind kind,
                   const std::vector<std::string>& variableNames) {
  std::vector<std::string> offered = fixedLabelNames(kind);
  offered.insert(offered.end(), variableNames.begin(), variableNames.end());
  std::vector<MapVariablesDef> rebuilt;
  for (const auto& name : offered) {
    const auto it = std::find_if(labels.begin(), labels.end(), [&](const auto& l) { return l.name == name; });
    MapVariablesDef label = it != labels.end() ? *it : MapVariablesDef();
    label.name = name;
    rebuilt.push_back(std::move(label));
  }
  labels = std::move(rebuilt);
}

bool MapProfilePage::range(UiPort& port, double value, double lower, double upper) {
  return checkRange(port, value, lower, upper);
}

bool MapProfilePage::length(UiPort& port, const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return true;
  port.message(lengthMessage(limit), MessageButtons::Ok, MessageIcon::Warning);
  return false;
}

const std::vector<std::string>& CMapPresentationPage::unitSystems() {
  static const std::vector<std::string> units{"Imperial", "Metric"};
  return units;
}

bool CMapPresentationPage::onOk(UiPort& port) {
  return range(port, profile.mapScale, 0.01, 1e20) && range(port, profile.characterHeight, 0.01, 100.0) &&
         length(port, profile.patternFile, 256);
}

const std::vector<std::string>& CMapFramePage::frameStyles() {
  static const std::vector<std::string> styles{"Full Title Block", "Compact Border", "Full Title Block, Narrow"};
  return styles;
}

bool CMapFramePage::onOk(UiPort& port) {
  if (!length(port, profile.mainTitle, 30)) return false;
  for (const auto& t : profile.subTitles)
    if (!length(port, t, 40)) return false;
  return length(port, profile.drawingNumber, 12) && range(port, profile.northArrowBearing, -180.0, 360.0);
}

const std::vector<std::string>& CMapGraduationsPage::axes() {
  static const std::vector<std::string> list{"Horizontal Axis", "Vertical Axis", "Both Axes"};
  return list;
}

bool CMapGraduationsPage::onOk(UiPort& port) {
  for (const auto& g : profile.graduations)
    if (!range(port, g.interval, 0.0, 1e20) || !length(port, g.positiveNotation, 3) ||
        !length(port, g.negativeNotation, 3))
      return false;
  return true;
}

CMapLimitsPage::CMapLimitsPage(MapProfileDef& p, std::vector<std::string> envelopeNames)
    : MapProfilePage(p, "Plot Limits"), envelopeNames_(std::move(envelopeNames)) {
  profile.envelopeFlags.resize(envelopeNames_.size());
  if (!envelopeNames_.empty()) envelope = 0;
}

const std::vector<std::string>& CMapLimitsPage::extentModes() {
  static const std::vector<std::string> modes{"Use Project Extent", "Use Coordinate Box"};
  return modes;
}

MapEnvelopeFlags* CMapLimitsPage::chosen() {
  if (envelope < 0 || envelope >= static_cast<int>(profile.envelopeFlags.size())) return nullptr;
  return &profile.envelopeFlags[static_cast<std::size_t>(envelope)];
}

CMapLabelsPage::CMapLabelsPage(MapProfileDef& p, MapLabelKind kind, const MapProfileContext& context)
    : MapProfilePage(p, kind == MapLabelKind::Composites ? "Composites"
                        : kind == MapLabelKind::Polygons ? "Polygons"
                                                         : "Figures"),
      kind_(kind),
      colourTables_(context.colourTableNames) {
  rebuildLabels(labels(), kind, context.variableNames);
}

std::vector<MapVariablesDef>& CMapLabelsPage::labels() {
  return kind_ == MapLabelKind::Composites ? profile.compositeLabels
         : kind_ == MapLabelKind::Polygons ? profile.polygonLabels
                                           : profile.figureLabels;
}

double& CMapLabelsPage::textSize() {
  return kind_ == MapLabelKind::Composites ? profile.compositeTextSize
         : kind_ == MapLabelKind::Polygons ? profile.polygonTextSize
                                           : profile.figureTextSize;
}

std::int32_t& CMapLabelsPage::colourTable() {
  return kind_ == MapLabelKind::Composites ? profile.compositeColorTable
         : kind_ == MapLabelKind::Polygons ? profile.polygonColorTable
                                           : profile.figureColorTable;
}

bool CMapLabelsPage::onOk(UiPort& port) {
  if (!range(port, textSize(), 0.001, 100.0)) return false;
  for (const auto& l : labels()) {
    const bool placed = kind_ == MapLabelKind::Composites ? range(port, l.angle, 0.0, 360.0)
                                                          : range(port, l.row, 0, 50) && range(port, l.column, 0, 50);
    if (!placed || !range(port, l.width, 0, 50) || !range(port, l.decimals, 0, 10)) return false;
  }
  return true;
}

}  // namespace qx
