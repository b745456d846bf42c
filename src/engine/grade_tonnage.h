#pragma once
// Grade-tonnage curves: for each cut-off of a variable, the tonnage of the
// polygons whose grade is at or above it, their average grade weighted as
// the variable's weighting type says (as the figure calculation weights it:
// the thickness variable by area, the specific gravity variable by volume)
// and the metal content, tonnage times grade.
#include <string>
#include <vector>

#include "common/types.h"

namespace qx {

class CPolygonSet;
class CompositeSet;
class QuarlexSettings;

struct GradeTonnageRow {
  double cutoff = 0.0;
  double tonnage = 0.0;
  double grade = 0.0;  // 0 when nothing is above the cut-off
  double metal = 0.0;
};

// One row per cut-off, in the order given. `variable` is in the combined
// numbering (loaded, then calculated; calculated ones are evaluated with each
// polygon's surface, volume and tonnage). A loaded value equal to the
// variable's missing value counts as grade 0. A polygon without its
// composite is left out; with `envelopes` non-empty, so is every polygon
// whose composite lies in none of those envelopes (by index); with `figures`
// non-empty, so is every polygon whose composite lies inside none of those
// outlines in plan. A polygon is taken whole or not at all.
std::vector<GradeTonnageRow> gradeTonnage(const CPolygonSet& polygons, const CompositeSet& composites,
                                          const QuarlexSettings& settings, int variable,
                                          const std::vector<double>& cutoffs, const std::vector<int>& envelopes = {},
                                          const std::vector<std::vector<DPoint3D>>& figures = {});

// from, from + step, ... up to `to` (kept when within a millionth of a step);
// empty unless step > 0 and from <= to.
std::vector<double> cutoffSteps(double from, double to, double step);

// "cutoff,tonnage,grade,metal", then one line per row, written in the C
// locale with up to 10 significant digits; every line ends with '\n'.
std::string gradeTonnageCsv(const std::vector<GradeTonnageRow>& rows);

// Appends v in the C locale with up to 10 significant digits, as the result
// tables write their numbers.
void appendCsvNumber(std::string& out, double v);

}  // namespace qx
