#pragma once
// What the scene model draws from, each empty, with the view controller and
// its scene builder over them: the base of the scene tests' fixtures.
#include "datasets/color_table.h"
#include "datasets/envelopes.h"
#include "datasets/surfaces.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "graphics/scene_tree.h"
#include "project/quarlex_settings.h"
#include "scene/scene_builder.h"
#include "scene/scene_model.h"
#include "scene/view_controller.h"
#include "scene/view_grid_data.h"
#include "sections/sections.h"

namespace qx::test {

struct SceneObjects {
  gfx::SceneTree tree;
  HoopsModel model;
  SectionSet sections;
  QuarlexSettings settings;
  CViewGridData grid;
  CColorTable colours;
  EnvelopeSet envelopes;
  SurfaceSet surfaces;
  FigureSet figures;
  CPolygonSet polygons;
  ViewController view{tree, {model, sections, settings, grid, colours, envelopes, surfaces, figures, polygons}};
  SceneBuilder& builder = view.builder();
};

}  // namespace qx::test
