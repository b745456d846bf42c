#include "engine/grade_tonnage.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "datasets/envelopes.h"
#include "engine/polygons.h"
#include "project/quarlex_settings.h"
#include "variables/formula_evaluator.h"

namespace qx {

namespace {

struct Piece {
  double grade, tonnage, weight;
};

}  // namespace

void appendCsvNumber(std::string& out, double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 10);
  out.append(buf, r.ptr);
}

std::vector<GradeTonnageRow> gradeTonnage(const CPolygonSet& polygons, const CompositeSet& composites,
                                          const QuarlexSettings& settings, int variable,
                                          const std::vector<double>& cutoffs, const std::vector<int>& envelopes,
                                          const std::vector<std::vector<DPoint3D>>& figures) {
  Envelope within;  // the figures' outlines, tested as an envelope's contours are
  within.contours = figures;
  const int loadedCount = settings.loadedCount();
  const VariableInfo& info = settings.variable(variable);
  const bool calculated = variable >= loadedCount;
  const int weighting = variable == settings.findThicknessVariable() ? kWeightSurface
                        : variable == settings.findSGVariable()      ? kWeightVolume
                                                                     : info.weightingType;

  std::vector<Piece> pieces;
  std::vector<double> values(static_cast<std::size_t>(settings.variableCount()), 0.0);
  for (const CPolygon& p : polygons.polygons) {
    if (p.compositeIndex < 0 || p.compositeIndex >= composites.count()) continue;
    const CComposite& c = composites.composites[static_cast<std::size_t>(p.compositeIndex)];
    if (!envelopes.empty() && std::find(envelopes.begin(), envelopes.end(), c.envelopeIndex) == envelopes.end())
      continue;
    if (!figures.empty() && !within.contains(c.position.x, c.position.y)) continue;
    double grade;
    if (calculated) {
      std::fill(values.begin(), values.end(), 0.0);
      for (int j = 0; j < loadedCount; ++j)
        values[static_cast<std::size_t>(j)] = compositeVariableValue(c, j, loadedCount);
      SpecialQuantities q;
      q.surface = p.area;
      q.volume = p.volume;
      q.tonnage = p.tonnage;
      evaluateCalculatedVariables(settings.calculated, values, loadedCount, q);
      grade = values[static_cast<std::size_t>(variable)];
    } else {
      grade = compositeVariableValue(c, variable, loadedCount);
      if (grade == info.missingValue) grade = 0.0;
    }
    const double weight = weighting == kWeightSurface ? p.area : weighting == kWeightVolume ? p.volume : p.tonnage;
    pieces.push_back({grade, p.tonnage, weight});
  }

  std::vector<GradeTonnageRow> rows;
  rows.reserve(cutoffs.size());
  for (const double cutoff : cutoffs) {
    GradeTonnageRow r;
    r.cutoff = cutoff;
    double weights = 0.0, weighted = 0.0;
    for (const Piece& piece : pieces) {
      if (!(piece.grade >= cutoff)) continue;
      r.tonnage += piece.tonnage;
      weights += piece.weight;
      weighted += piece.weight * piece.grade;
    }
    r.grade = weights > 0.0 ? weighted / weights : 0.0;
    r.metal = r.tonnage * r.grade;
    rows.push_back(r);
  }
  return rows;
}

std::vector<double> cutoffSteps(double from, double to, double step) {
  std::vector<double> out;
  if (!(step > 0.0) || !(from <= to) || !std::isfinite(from) || !std::isfinite(to)) return out;
  const double n = std::floor((to - from) / step + 1e-6);
  for (double i = 0.0; i <= n; i += 1.0) out.push_back(from + i * step);
  return out;
}

std::string gradeTonnageCsv(const std::vector<GradeTonnageRow>& rows) {
  std::string out = "cutoff,tonnage,grade,metal\n";
  for (const GradeTonnageRow& r : rows) {
    appendCsvNumber(out, r.cutoff);
    out += ',';
    appendCsvNumber(out, r.tonnage);
    out += ',';
    appendCsvNumber(out, r.grade);
    out += ',';
    appendCsvNumber(out, r.metal);
    out += '\n';
  }
  return out;
}

}  // namespace qx
