#pragma once
// Data checks over a project's datasets: what is likely wrong before an
// estimate is run. Each check gives a level, a count and the names of what it
// found, in the order of the datasets.
#include <cstddef>
#include <string>
#include <vector>

#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "project/quarlex_settings.h"

namespace qx {

enum class CheckLevel { Error, Warning, Info };
const char* checkLevelName(CheckLevel level);  // "error", "warning", "info"

struct DataCheck {
  std::string name;
  CheckLevel level = CheckLevel::Warning;
  std::size_t count = 0;
  std::vector<std::string> items;  // one per finding (count of them), raw names
};

struct DataCheckInput {
  const CompositeSet& composites;
  const QuarlexSettings& settings;
  const EnvelopeSet& envelopes;
  const FigureSet& figures;
  const CPolygonSet& polygons;
};

inline constexpr double kDefaultCheckTolerance = 0.01;

// The percentiles beyond which a value is listed, in percent.
struct CheckPercentiles {
  double low = 1.0;
  double high = 99.0;
};

// Composites within `tolerance` of an earlier one in plan (x, y), co-located
// ones included; each later composite is one item "name (near first)". Runs on
// a grid of tolerance-sized cells, so it stays near linear.
DataCheck checkNearDuplicates(const CompositeSet& composites, double tolerance);
// Two segments of the same envelope, in one contour or in two, that cross
// where neither ends; each such envelope is one item.
DataCheck checkCrossingEnvelopes(const EnvelopeSet& envelopes);

// Every check in a fixed order: near-duplicate composites (error), crossing
// envelopes (error), composites outside every envelope (warning, only when
// there are envelopes), one "missing <variable>" per loaded variable (warning:
// values equal to the variable's missing indicator), one "beyond percentiles
// <variable>" per loaded variable (info: values below the low or above the
// high percentile of the variable's values, missing ones left out, each item
// "name (value)"; the percentile p is the value of rank ceil(p/100 n) of the n
// sorted values), figures that no polygon overlaps (warning, only when there
// are polygons), polygons emptied by clipping (warning: area 0).
std::vector<DataCheck> runDataChecks(const DataCheckInput& in, double tolerance = kDefaultCheckTolerance,
                                     CheckPercentiles percentiles = {});

// True when a check at error level found something.
bool dataChecksFailed(const std::vector<DataCheck>& checks);

}  // namespace qx
