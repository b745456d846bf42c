#include "engine/declustering.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "engine/grade_tonnage.h"
#include "engine/polygons.h"
#include "project/quarlex_settings.h"

namespace qx {

namespace {

// The values of a variable that take part (a loaded one's missing value left
// out), with their composites' declustering weights.
void variableValues(const CompositeSet& composites, const QuarlexSettings& settings, const DeclusteringWeights& weights,
                    int variable, std::vector<double>& values, std::vector<double>& declustered) {
  const int loadedCount = settings.loadedCount();
  const double missing = settings.variable(variable).missingValue;
  for (std::size_t i = 0; i < composites.composites.size(); ++i) {
    const double v = compositeVariableValue(composites.composites[i], variable, loadedCount);
    if (variable < loadedCount && v == missing) continue;
    values.push_back(v);
    declustered.push_back(i < weights.weight.size() ? weights.weight[i] : 0.0);
  }
}

}  // namespace

DeclusteringWeights declusteringWeights(const CPolygonSet& polygons, const CompositeSet& composites) {
  const std::size_t n = composites.composites.size();
  DeclusteringWeights w;
  w.area.assign(n, 0.0);
  w.weight.assign(n, 0.0);
  w.envelopeWeight.assign(n, 0.0);
  for (const CPolygon& p : polygons.polygons)
    if (p.compositeIndex >= 0 && static_cast<std::size_t>(p.compositeIndex) < n)
      w.area[static_cast<std::size_t>(p.compositeIndex)] += p.area;
  double total = 0.0;
  std::map<int, double> envelopeTotals;
  for (std::size_t i = 0; i < n; ++i) {
    total += w.area[i];
    envelopeTotals[composites.composites[i].envelopeIndex] += w.area[i];
    if (!(w.area[i] > 0.0)) ++w.withoutPolygon;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (!(w.area[i] > 0.0)) continue;
    w.weight[i] = w.area[i] / total;
    w.envelopeWeight[i] = w.area[i] / envelopeTotals[composites.composites[i].envelopeIndex];
  }
  return w;
}

WeightedSummary weightedSummary(const std::vector<double>& values, const std::vector<double>& weights) {
  std::vector<std::pair<double, double>> taken;
  double total = 0.0;
  for (std::size_t i = 0; i < values.size() && i < weights.size(); ++i) {
    if (!(weights[i] > 0.0)) continue;
    taken.emplace_back(values[i], weights[i]);
    total += weights[i];
  }
  WeightedSummary s;
  s.count = static_cast<int>(taken.size());
  if (taken.empty()) return s;
  std::sort(taken.begin(), taken.end());
  for (const auto& [x, w] : taken) s.mean += w * x;
  s.mean /= total;
  for (const auto& [x, w] : taken) s.variance += w * (x - s.mean) * (x - s.mean);
  s.variance /= total;
  for (std::size_t q = 0; q < kDeclusteringQuantiles.size(); ++q) {
    const double reach = kDeclusteringQuantiles[q] * total * (1.0 - 1e-12);
    double cumulative = 0.0;
    std::size_t k = 0;
    while (k + 1 < taken.size() && (cumulative += taken[k].second) < reach) ++k;
    s.quantiles[q] = taken[k].first;
  }
  return s;
}

std::vector<DeclusteringStats> declusteringStats(const CompositeSet& composites, const QuarlexSettings& settings,
                                                 const DeclusteringWeights& weights,
                                                 const std::vector<int>& variables) {
  std::vector<DeclusteringStats> out;
  for (const int variable : variables) {
    std::vector<double> values, declustered;
    variableValues(composites, settings, weights, variable, values, declustered);
    out.push_back({settings.variable(variable).name, weightedSummary(values, std::vector<double>(values.size(), 1.0)),
                   weightedSummary(values, declustered)});
  }
  return out;
}

DeclusteringHistogram declusteringHistogram(const CompositeSet& composites, const QuarlexSettings& settings,
                                            const DeclusteringWeights& weights, int variable, int bins) {
  std::vector<double> values, declustered;
  variableValues(composites, settings, weights, variable, values, declustered);
  DeclusteringHistogram h;
  h.naive.assign(static_cast<std::size_t>(std::max(bins, 1)), 0.0);
  h.declustered = h.naive;
  if (values.empty()) return h;
  const auto [least, greatest] = std::minmax_element(values.begin(), values.end());
  h.low = *least;
  h.high = *greatest;
  double total = 0.0;
  for (const double w : declustered) total += std::max(w, 0.0);
  const double width = h.high - h.low;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double at = width > 0.0 ? std::floor((values[i] - h.low) / width * static_cast<double>(h.naive.size())) : 0.0;
    const auto bin = std::min(static_cast<std::size_t>(at), h.naive.size() - 1);
    h.naive[bin] += 1.0 / static_cast<double>(values.size());
    if (total > 0.0 && declustered[i] > 0.0) h.declustered[bin] += declustered[i] / total;
  }
  return h;
}

std::string declusteringCsv(const std::vector<DeclusteringStats>& stats) {
  std::string out = "variable,method,count,mean,variance,min,p10,p25,p50,p75,p90,max\n";
  for (const DeclusteringStats& s : stats) {
    for (const auto& [method, summary] : {std::pair{"naive", &s.naive}, {"declustered", &s.declustered}}) {
      out += s.variable + ',' + method + ',' + std::to_string(summary->count);
      for (const double v : {summary->mean, summary->variance}) {
        out += ',';
        appendCsvNumber(out, v);
      }
      for (const double v : summary->quantiles) {
        out += ',';
        appendCsvNumber(out, v);
      }
      out += '\n';
    }
  }
  return out;
}

std::string declusteringWeightsCsv(const CompositeSet& composites, const DeclusteringWeights& weights) {
  std::string out = "composite,envelope,area,weight,envelope_weight\n";
  for (std::size_t i = 0; i < composites.composites.size() && i < weights.weight.size(); ++i) {
    out += std::to_string(i) + ',' + std::to_string(composites.composites[i].envelopeIndex);
    for (const double v : {weights.area[i], weights.weight[i], weights.envelopeWeight[i]}) {
      out += ',';
      appendCsvNumber(out, v);
    }
    out += '\n';
  }
  return out;
}

}  // namespace qx
