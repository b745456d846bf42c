#pragma once
// Declustering: each composite weighted by the area of its polygons of
// influence, so that closely spaced samples share the ground they cover
// instead of counting once each. The statistics of every variable with these
// weights next to the plain (naive) ones, and the histogram of both.
#include <array>
#include <string>
#include <vector>

namespace qx {

class CPolygonSet;
class CompositeSet;
class QuarlexSettings;

struct DeclusteringWeights {
  // Per composite: the area of its polygons (summed when it owns more than
  // one) over the area of every polygon that has a composite. 0 for a
  // composite without polygon; the weights sum to 1 unless no polygon has
  // area.
  std::vector<double> weight;
  // Per composite: the same share within the composites of its envelope
  // (those outside every envelope form one group of their own).
  std::vector<double> envelopeWeight;
  std::vector<double> area;  // per composite: its polygons' area
  int withoutPolygon = 0;    // composites with no polygon of positive area
};

DeclusteringWeights declusteringWeights(const CPolygonSet& polygons, const CompositeSet& composites);

// The quantiles reported, as fractions: min, 10, 25, 50, 75, 90 %, max.
inline constexpr std::array<double, 7> kDeclusteringQuantiles = {0.0, 0.1, 0.25, 0.5, 0.75, 0.9, 1.0};

struct WeightedSummary {
  int count = 0;  // values that take part (positive weight)
  double mean = 0.0, variance = 0.0;
  std::array<double, 7> quantiles{};  // at kDeclusteringQuantiles; all 0 when count is 0
};

// The weighted statistics of `values` (weights of 0 or less leave a value
// out; the rest are scaled to sum to 1). The variance is the population one:
// sum of w (x - mean)^2. The quantile at p is the lower inverse of the
// weighted distribution function: the smallest value whose cumulative
// weight, values in ascending order, reaches p (within a relative 1e-12);
// with equal weights this is the inverted empirical distribution function
// (Hyndman and Fan type 1). p = 0 gives the least value, p = 1 the greatest.
WeightedSummary weightedSummary(const std::vector<double>& values, const std::vector<double>& weights);

struct DeclusteringStats {
  std::string variable;
  WeightedSummary naive, declustered;  // naive: every value weight 1
};

// For each variable (combined numbering, loaded then calculated) the naive
// and declustered statistics over the composites. A loaded value equal to
// the variable's missing value is left out of both; calculated values are
// taken as the composites hold them.
std::vector<DeclusteringStats> declusteringStats(const CompositeSet& composites, const QuarlexSettings& settings,
                                                 const DeclusteringWeights& weights, const std::vector<int>& variables);

// Frequencies over `bins` equal bins from the least to the greatest value
// (the last bin closed); each set sums to 1 (or is all 0 without values).
struct DeclusteringHistogram {
  double low = 0.0, high = 1.0;
  std::vector<double> naive, declustered;
};

DeclusteringHistogram declusteringHistogram(const CompositeSet& composites, const QuarlexSettings& settings,
                                            const DeclusteringWeights& weights, int variable, int bins);

// "variable,method,count,mean,variance,min,p10,p25,p50,p75,p90,max", then two
// lines per variable (method "naive", then "declustered"), in the C locale
// with up to 10 significant digits; every line ends with '\n'.
std::string declusteringCsv(const std::vector<DeclusteringStats>& stats);

// "composite,envelope,area,weight,envelope_weight", one line per composite
// (its index, its envelope's index or -1), numbers as above.
std::string declusteringWeightsCsv(const CompositeSet& composites, const DeclusteringWeights& weights);

}  // namespace qx
