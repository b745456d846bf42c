#include "project/quarlex_settings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qx {

std::vector<std::string> QuarlexSettings::variableNames() const {
  std::vector<std::string> names;
  names.reserve(loaded.size() + calculated.size());
  for (const auto& v : loaded) names.push_back(v.name);
  for (const auto& v : calculated) names.push_back(v.name);
  return names;
}

const VariableInfo& QuarlexSettings::variable(int n) const {
  if (n < loadedCount()) return loaded[n];
  return calculated[n - loadedCount()];
}

VariableInfo& QuarlexSettings::variable(int n) {
  if (n < loadedCount()) return loaded[n];
  return calculated[n - loadedCount()];
}

int QuarlexSettings::findVariable(std::string_view name) const {
  for (int n = 0; n < variableCount(); ++n)
    if (variable(n).name == name) return n;
  return -1;
}

void QuarlexSettings::reset() {
  fileVersion = kFileVersion;
  loaded.clear();
  calculated.clear();
  defaultSG = 2.0;
  defaultWasteSG = 2.0;
  sidesPerPolygon = 50;
  defaultPolygonSize = 100.0;
  firstVertexAngle = 0.0;
  projectType = kProject2D;
  useDilution = 0;
  overwriteExistingPolygons = 1;
  useVariableSG = 0;
  recoveryMode = kRecoveryNone;
  extentsMin = {kNewExtent, kNewExtent, kNewExtent};
  extentsMax = {-kNewExtent, -kNewExtent, -kNewExtent};
  defaultPolygonCentre = {0.0, 0.0, 0.0};
  defaultPolygon.clear();
}

namespace {

using Mark = std::int32_t VariableInfo::*;

int findMarked(const QuarlexSettings& s, Mark mark) {
  for (int n = 0; n < s.variableCount(); ++n)
    if (s.variable(n).*mark != 0) return n;
  return -1;
}

void setMarked(QuarlexSettings& s, Mark mark, int n) {
  for (auto& v : s.loaded) v.*mark = 0;
  for (auto& v : s.calculated) v.*mark = 0;
  if (n >= 0 && n < s.variableCount()) s.variable(n).*mark = 1;
}

}  // namespace

int QuarlexSettings::findSGVariable() const {
  if (useVariableSG == 0) return -1;
  return findMarked(*this, &VariableInfo::sgMark);
}

int QuarlexSettings::findRecoveryVariable() const {
  if (recoveryMode != kRecoveryVariable) return -1;
  return findMarked(*this, &VariableInfo::recoveryMark);
}

int QuarlexSettings::findThicknessVariable() const {
  if (useFixedThickness != 0) return -1;
  return findMarked(*this, &VariableInfo::thicknessMark);
}

void QuarlexSettings::setSGVariable(int n) { setMarked(*this, &VariableInfo::sgMark, n); }
void QuarlexSettings::setRecoveryVariable(int n) { setMarked(*this, &VariableInfo::recoveryMark, n); }
void QuarlexSettings::setThicknessVariable(int n) { setMarked(*this, &VariableInfo::thicknessMark, n); }

void QuarlexSettings::setRecoveryMode(std::int32_t mode) {
  recoveryMode = mode;
  if (mode == kRecoveryNone) fixedRecovery = 1.0;
}

void QuarlexSettings::buildDefaultPolygon() {
  defaultPolygonCentre = {0.0, 0.0, 0.0};
  defaultPolygon.clear();
  const int n = sidesPerPolygon;
  if (n < settings_limits::kMinSides) return;
  const double step = 2.0 * std::numbers::pi / n;
  const double a0 = (firstVertexAngle - 90.0) * std::numbers::pi / 180.0 + step / 2.0;
  const double r = defaultPolygonSize / std::cos(step / 2.0);
  defaultPolygon.reserve(n);
  for (int k = 0; k < n; ++k) {
    const double a = a0 + k * step;
    defaultPolygon.push_back({r * std::cos(a), r * std::sin(a), 0.0});
  }
}

void QuarlexSettings::moveDefaultPolygon(const DPoint3D& p) {
  const DPoint3D d = p - defaultPolygonCentre;
  for (auto& v : defaultPolygon) v = v + d;
  defaultPolygonCentre = p;
}

void QuarlexSettings::recomputeDataExtents(std::span<const DataExtents> datasets) {
  extentsMin = {kRecomputeExtent, kRecomputeExtent, kRecomputeExtent};
  extentsMax = {-kRecomputeExtent, -kRecomputeExtent, -kRecomputeExtent};
  for (const auto& e : datasets) widenBox(extentsMin, extentsMax, e.min, e.max);
}

void QuarlexSettings::replaceVariables(std::vector<VariableInfo> newLoaded,
                                       std::vector<VariableInfoCalc> newCalculated) {
  loaded = std::move(newLoaded);
  calculated = std::move(newCalculated);
}

void QuarlexSettings::applyEditedVariables(VariableKind kind, const std::vector<VariableInfo>& editedLoaded,
                                           const std::vector<VariableInfoCalc>& editedCalculated,
                                           const std::vector<std::string>& deletedNames,
                                           std::span<VariableValueSink* const> sinks) {
  const bool isLoaded = kind == VariableKind::Loaded;
  // Numbers of this kind start after the loaded variables for calculated ones.
  auto offset = [&] { return isLoaded ? 0 : loadedCount(); };
  auto count = [&] { return isLoaded ? loadedCount() : calculatedCount(); };
  auto eraseAt = [&](int i) {
    const int number = offset() + i;
    for (auto* sink : sinks)
      if (sink->realignsOnRemoval()) sink->removeValue(number);
    if (isLoaded)
      loaded.erase(loaded.begin() + i);
    else
      calculated.erase(calculated.begin() + i);
  };

  for (const auto& name : deletedNames) {
    int i = 0;
    while (i < count() && (isLoaded ? loaded[i].name : calculated[i].name) != name) ++i;
    if (i < count()) eraseAt(i);
  }

  const int edited = static_cast<int>(isLoaded ? editedLoaded.size() : editedCalculated.size());
  // A shorter edited list than the survivors means names were left out of
  // the deleted ones: the surplus goes as deletions from the end.
  while (count() > edited) eraseAt(count() - 1);
  for (int i = count(); i < edited; ++i) {
    const double value = isLoaded ? editedLoaded[i].defaultValue : editedCalculated[i].defaultValue;
    for (auto* sink : sinks) sink->insertValue(offset() + i, value);
    if (isLoaded)
      loaded.push_back(editedLoaded[i]);
    else
      calculated.push_back(editedCalculated[i]);
  }

  loaded = editedLoaded;
  calculated = editedCalculated;
}

}  // namespace qx
