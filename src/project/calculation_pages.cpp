#include "project/calculation_pages.h"

#include "project/field_range.h"
#include "variables/variable_rules.h"

namespace qx {

CPropPageCalcGeneral::CPropPageCalcGeneral(const QuarlexSettings& s)
    : sides(s.sidesPerPolygon),
      polygonSize(s.defaultPolygonSize),
      firstVertexAngle(s.firstVertexAngle),
      useDilution(s.useDilution != 0),
      overwritePolygons(s.overwriteExistingPolygons != 0) {}

bool CPropPageCalcGeneral::onOk(UiPort& port) {
  namespace lim = settings_limits;
  return checkRange(port, sides, lim::kMinSides, lim::kMaxSides) &&
         checkRange(port, polygonSize, 0.0, lim::kMaxPolygonSize) &&
         checkRange(port, firstVertexAngle, lim::kMinFirstVertexAngle, lim::kMaxFirstVertexAngle);
}

void CPropPageCalcGeneral::applyTo(QuarlexSettings& s) const {
  s.sidesPerPolygon = sides;
  s.defaultPolygonSize = polygonSize;
  s.firstVertexAngle = firstVertexAngle;
  s.useDilution = useDilution ? 1 : 0;
  s.overwriteExistingPolygons = overwritePolygons ? 1 : 0;
}

CPropPageCalcVariables::CPropPageCalcVariables(const QuarlexSettings& s) {
  for (const auto& v : s.loaded) rows_.push_back({v.name, v.minCutoff, v.maxCutoff, v.defaultValue, v.missingValue});
  if (!rows_.empty()) show(0);
}

std::vector<ListColumn> CPropPageCalcVariables::columns() {
  return {{"Variable Name", 90},
          {"Minimum Cutoff", 90},
          {"Maximum Cutoff", 90},
          {"Default Value", 90},
          {"Missing Value", 90}};
}

std::vector<std::vector<std::string>> CPropPageCalcVariables::lines() const {
  std::vector<std::vector<std::string>> out;
  for (const Row& r : rows_)
    out.push_back({r.name, formatFixed(r.minCutoff, 3), formatFixed(r.maxCutoff, 3), formatFixed(r.defaultValue, 3),
                   formatFixed(r.missingValue, 3)});
  return out;
}

void CPropPageCalcVariables::show(int row) {
  chosen_ = row;
  const Row& r = rows_[static_cast<std::size_t>(row)];
  minCutoff = r.minCutoff;
  maxCutoff = r.maxCutoff;
  defaultValue = r.defaultValue;
  missingValue = r.missingValue;
}

void CPropPageCalcVariables::update() {
  if (chosen_ < 0) return;
  rows_[static_cast<std::size_t>(chosen_)] = {rows_[static_cast<std::size_t>(chosen_)].name, minCutoff, maxCutoff,
                                              defaultValue, missingValue};
}

void CPropPageCalcVariables::choose(int row) {
  update();
  if (row >= 0 && row < static_cast<int>(rows_.size())) show(row);
}

void CPropPageCalcVariables::applyTo(QuarlexSettings& s) const {
  for (std::size_t i = 0; i < rows_.size() && i < s.loaded.size(); ++i) {
    VariableInfo& v = s.loaded[i];
    v.minCutoff = rows_[i].minCutoff;
    v.maxCutoff = rows_[i].maxCutoff;
    v.defaultValue = rows_[i].defaultValue;
    v.missingValue = rows_[i].missingValue;
  }
}

}  // namespace qx
