#pragma once
// The project's objects, one aggregate per open project. Members are declared
// in construction order, so they are destroyed in reverse.
#include "datasets/color_table.h"
#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "datasets/surfaces.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "plot/map_output.h"
#include "project/quarlex_settings.h"
#include "scene/scene_model.h"
#include "scene/view_grid_data.h"
#include "sections/sections.h"

namespace qx {

struct ProjectObjects {
  CompositeSet composites;   // 1
  QuarlexSettings settings;  // 2: with the variable definitions
  CColorTable colorTable;    // 3
  HoopsModel sceneModel;     // 4: the scene model's display state
  SectionSet sections;       // 5: sections and the view history
  EnvelopeSet envelopes;     // 6
  FigureSet figures;         // 7
  CPolygonSet polygons;      // 8
  SurfaceSet surfaces;       // 9
  CViewGridData viewGrid;    // 10: reference grid data
  MapOutputData mapOutput;   // 11: map profiles and plot settings
};

}  // namespace qx
