#include "plot/map_output.h"

namespace qx {

void MapVariablesDef::serialize(Archive& ar) {
  for (std::int32_t* v : {&plot, &row, &column, &searchTable, &width, &decimals, &variableType}) ar.io(*v);
  ar.io(minimumCutoff);
  ar.io(maximumCutoff);
  ar.io(textSize);
  ar.io(angle);
  ar.io(name);
}

namespace {
void ioLabels(Archive& ar, std::vector<MapVariablesDef>& labels) {
  const std::int32_t n =
      ar.ioInt32Count(static_cast<std::int32_t>(labels.size()), MapVariablesDef::kRecordMinBytes, "annotation fields");
  if (ar.isLoading()) labels.assign(static_cast<std::size_t>(n), MapVariablesDef());
  for (auto& l : labels) l.serialize(ar);
}
}  // namespace

void MapProfileDef::serialize(Archive& ar) {
  ar.io(name);
  ioLabels(ar, compositeLabels);
  ioLabels(ar, polygonLabels);
  ioLabels(ar, figureLabels);

  for (std::int32_t* v : {&frameStyle, &plotNorthArrow, &plotFrame, &plotScaleRuler}) ar.io(*v);
  ar.io(northArrowBearing);
  ar.io(mainTitle);
  for (auto& t : subTitles) ar.io(t);
  ar.io(drawingNumber);

  ar.io(patternFile);
  for (std::int32_t* v : {&plotComposites, &plotPolygons, &plotFigures, &plotEnvelopes, &plotLegend, &unitSystem,
                          &compositeColorTable, &polygonColorTable, &polygonAlignment, &polygonFilling, &polygonHatch,
                          &figureColorTable, &figureAlignment, &figureFilling, &figureHatch})
    ar.io(*v);
  for (double* v : {&mapScale, &characterHeight, &compositeTextSize, &polygonTextSize, &figureTextSize}) ar.io(*v);

  for (auto& g : graduations) ar.io(g.interval);
  for (auto& g : graduations) {
    ar.io(g.positiveNotation);
    ar.io(g.negativeNotation);
  }
  for (auto& g : graduations) ar.io(g.value);
  for (auto& g : graduations) ar.io(g.axis);

  for (double* v : {&boxMin.x, &boxMin.y, &boxMin.z, &boxMax.x, &boxMax.y, &boxMax.z}) ar.io(*v);
  for (std::int32_t* v : {&extentMode, &doNotLimitPolygons, &doNotLimitComposites}) ar.io(*v);
  const std::int32_t n = ar.ioInt32Count(static_cast<std::int32_t>(envelopeFlags.size()), 2 * 4, "envelope switches");
  if (ar.isLoading()) envelopeFlags.assign(static_cast<std::size_t>(n), MapEnvelopeFlags());
  for (auto& f : envelopeFlags) {
    ar.io(f.plotPolygons);
    ar.io(f.plotComposites);
  }
}

bool MapOutputData::remove(int index) {
  if (index < 0 || index >= count()) return false;
  profiles.erase(profiles.begin() + index);
  return true;
}

bool MapOutputData::rename(int index, std::string name) {
  if (index < 0 || index >= count()) return false;
  MapProfileDef renamed = profiles[static_cast<std::size_t>(index)];
  renamed.name = std::move(name);
  profiles[static_cast<std::size_t>(index)] = std::move(renamed);
  return true;
}

bool MapOutputData::copy(int index, std::string name) {
  if (index < 0 || index >= count()) return false;
  MapProfileDef copied = profiles[static_cast<std::size_t>(index)];
  copied.name = std::move(name);
  profiles.push_back(std::move(copied));
  return true;
}

void MapOutputData::serialize(Archive& ar) {
  ar.setContext("the map output data");
  ar.io(destinationDirectory);
  ar.io(profileIndex);
  ar.io(outputKind);
  ar.io(worldCoordinates);
  const std::int32_t ns = ar.ioInt32Count(static_cast<std::int32_t>(sectionNames.size()), 1, "section names");
  if (ar.isLoading()) sectionNames.assign(static_cast<std::size_t>(ns), std::string());
  for (auto& s : sectionNames) ar.io(s);
  const std::int32_t np =
      ar.ioInt32Count(static_cast<std::int32_t>(profiles.size()), MapProfileDef::kRecordMinBytes, "map profiles");
  if (ar.isLoading()) profiles.assign(static_cast<std::size_t>(np), MapProfileDef());
  for (auto& p : profiles) p.serialize(ar);
}

}  // namespace qx
