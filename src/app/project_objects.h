#pragma once
// The project's objects, one aggregate per open project. Members are declared
// in construction order, so they are destroyed in reverse. Objects whose code
// has not landed yet take their place in this order when it does:
//   1 composites, 2 settings, 3 colour tables, 4 scene model, 5 sections,
//   6 envelopes, 7 figures, 8 polygons, 9 surfaces, 10 reference grid data,
//   11 map output data.
#include "project/quarlex_settings.h"
#include "scene/view_grid_data.h"

namespace qx {

struct ProjectObjects {
  QuarlexSettings settings;   // 2: project settings with the variable definitions
  CViewGridData viewGrid;     // 10: reference grid data
};

}  // namespace qx
