// The document's property sheets: "Display Settings", "Envelope//Surface
// Properties" and "Figure and Polygon Properties". Deleting an item acts on
// the project at once; everything else is written back on OK.
#include <algorithm>
#include <memory>

#include "app/document.h"
#include "datasets/color_table_page.h"
#include "datasets/envelope_dialogs.h"
#include "engine/figure_calculation.h"
#include "engine/figure_dialogs.h"
#include "graphics/scene_tree.h"
#include "scene/composites_drawing.h"
#include "scene/envelopes_drawing.h"
#include "scene/figures_drawing.h"
#include "scene/polygons_drawing.h"
#include "scene/surfaces_drawing.h"

namespace qx {

namespace {

// The segments of a dataset's items go, to be drawn again from the set.
void dropItemSegments(gfx::SceneTree& tree, std::vector<gfx::Key>& keys) {
  for (const gfx::Key key : keys)
    if (key != gfx::kNoKey) tree.deleteByKey(key);
  keys.clear();
}

std::array<std::int32_t*, 5> datasetSwitches(HoopsModel& m) {
  return {&m.compositesShown, &m.envelopesShown, &m.figuresShown, &m.polygonsShown, &m.surfacesShown};
}

}  // namespace

// A deletion on a page: the project changed at once, whatever becomes of the sheet.
void CWQuarlexDoc::itemDeleted() {
  setModifiedFlag(true);
  if (view_ == nullptr) return;
  view_->displayChanged();
  view_->updateAllViews();
}

void CWQuarlexDoc::redrawEnvelopesAndSurfaces() {
  if (scene_ == nullptr) return;
  dropItemSegments(*scene_, objects_.sceneModel.envelopeKeys);
  drawEnvelopes(*scene_, objects_.envelopes, objects_.sceneModel.envelopeKeys);
  dropItemSegments(*scene_, objects_.sceneModel.surfaceKeys);
  drawSurfaces(*scene_, objects_.surfaces, objects_.sceneModel.surfaceKeys);
  scene_->updateDisplay();
}

void CWQuarlexDoc::redrawFiguresAndPolygons(bool polygons) {
  objects_.figures.updateColours(objects_.colorTable, objects_.settings);
  if (scene_ == nullptr) return;
  clearFigureItems(*scene_, objects_.sceneModel);
  drawFigures(*scene_, objects_.figures, objects_.sceneModel, objects_.colorTable);
  if (polygons && objects_.polygons.count() > 0) {
    clearPolygonItems(*scene_, objects_.sceneModel);
    drawPolygons(*scene_, objects_.polygons, objects_.sceneModel, objects_.colorTable);
  } else {
    refreshPolygons(*scene_, objects_.polygons, objects_.sceneModel, objects_.colorTable);
  }
}

// The scene follows the display state the sheet wrote: markers, bins,
// every dataset's refresh and switch, the grid and the axis icon.
void CWQuarlexDoc::afterPropertySheet() {
  if (scene_ != nullptr) {
    SceneBuilder scene(*scene_, sceneProject());
    scene.applyMarkerStyle();
    scene.applyBinVisibility();
    scene.applyDatasetVisibility();  // with every dataset's refresh
    scene.buildGrid();
    scene.setViewFromSection();
    scene_->updateDisplay();
  }
  if (view_ != nullptr) {
    view_->displayChanged();
    view_->updateAllViews();
  }
  setModifiedFlag(true);
}

CommandResult CWQuarlexDoc::onDisplayProperties() {
  HoopsModel& model = objects_.sceneModel;
  const BinVisibilityAccess visibility{[&model](int table) {
                                         BinSwitches s{};
                                         const auto& row = model.binVisibility[static_cast<std::size_t>(table)];
                                         std::copy(row.begin(), row.end(), s.begin());
                                         return s;
                                       },
                                       [&model](int table, const BinSwitches& s) {
                                         std::copy(s.begin(), s.end(),
                                                   model.binVisibility[static_cast<std::size_t>(table)].begin());
                                       }};
  COptionsSearchTable colours(objects_.colorTable, objects_.settings.variableNames(), visibility);
  CReferenceGridPage grid;
  const CViewGridData& data = objects_.viewGrid;
  grid.origin = {data.origin.x, data.origin.y, data.origin.z};
  grid.spacing = {data.spacing.x, data.spacing.y, data.spacing.z};
  grid.gridShown = model.gridShown != 0;
  grid.planes = {model.gridYZ != 0, model.gridXZ != 0, model.gridXY != 0};
  grid.axisIcon = model.axisIconShown != 0;
  const auto switches = datasetSwitches(model);
  for (std::size_t i = 0; i < switches.size(); ++i) grid.datasets[i] = *switches[i] != 0;

  SheetModel sheet("Display Settings", /*wizard=*/false);
  sheet.addPage(&colours);
  sheet.addPage(&grid);
  if (!port_.runSheet(sheet)) return CommandResult::cancelled();

  const bool coloursChanged = colours.changed();
  colours.apply();  // the marker colours follow from the tables below
  CViewGridData& out = objects_.viewGrid;
  out.origin = {static_cast<float>(grid.origin[0]), static_cast<float>(grid.origin[1]),
                static_cast<float>(grid.origin[2])};
  out.spacing = {static_cast<float>(grid.spacing[0]), static_cast<float>(grid.spacing[1]),
                 static_cast<float>(grid.spacing[2])};
  model.gridShown = grid.gridShown ? 1 : 0;
  model.gridYZ = grid.planes[0] ? 1 : 0;
  model.gridXZ = grid.planes[1] ? 1 : 0;
  model.gridXY = grid.planes[2] ? 1 : 0;
  model.axisIconShown = grid.axisIcon ? 1 : 0;
  for (std::size_t i = 0; i < switches.size(); ++i) *switches[i] = grid.datasets[i] ? 1 : 0;
  if (coloursChanged) {
    objects_.polygons.updateColours(objects_.composites, objects_.colorTable, objects_.settings);
    if (scene_ != nullptr) {
      processComposites(port_, objects_.composites, objects_.settings, objects_.colorTable, *scene_);
      applyCompositeBinColours(*scene_, objects_.colorTable);
    }
    redrawFiguresAndPolygons(/*polygons=*/false);
  }
  afterPropertySheet();
  return CommandResult::done();
}

CommandResult CWQuarlexDoc::onEnvelopeCompositeSurfaceProperties() {
  HoopsModel& model = objects_.sceneModel;
  const int compositeCount = objects_.composites.count();
  std::unique_ptr<CCompositesPropertyPage> composites;
  if (compositeCount > 0)
    composites = std::make_unique<CCompositesPropertyPage>(objects_.envelopes, model.markerSymbol, model.markerSize);
  const auto eraseEnvelope = [this, &composites](int i) {
    objects_.envelopes.envelopes.erase(objects_.envelopes.envelopes.begin() + i);
    objects_.envelopes.recomputeBoundingBox();
    if (composites) composites->dropEnvelope(i);
    redrawEnvelopesAndSurfaces();
    itemDeleted();
  };
  const auto eraseSurface = [this](int i) {
    objects_.surfaces.surfaces.erase(objects_.surfaces.surfaces.begin() + i);
    redrawEnvelopesAndSurfaces();
    itemDeleted();
  };
  CEnvelopesPropertyPage envelopes(objects_.envelopes, eraseEnvelope);
  CSurfacesPropertyPage surfaces(objects_.surfaces, eraseSurface);
  SheetModel sheet("Envelope//Surface Properties", /*wizard=*/false);
  if (objects_.envelopes.count() > 0) sheet.addPage(&envelopes);
  if (composites) sheet.addPage(composites.get());
  if (objects_.surfaces.count() > 0) sheet.addPage(&surfaces);
  if (!port_.runSheet(sheet)) return CommandResult::cancelled();

  envelopes.apply(objects_.envelopes);
  surfaces.apply(objects_.surfaces);
  redrawEnvelopesAndSurfaces();
  if (composites) {
    const std::vector<int> marked = composites->marked();
    if (!marked.empty()) {
      const WaitCursor wait(port_);
      const EnvelopeSet& set = objects_.envelopes;
      const EnvelopeLocator locate = [&set](const DPoint3D& p) {
        EnvelopeHit hit;
        hit.envelope = set.findContaining(p.x, p.y, &hit.contour);
        return hit;
      };
      auto& list = objects_.composites.composites;
      for (int i = objects_.composites.count() - 1; i >= 0; --i) {
        const int envelope = objects_.composites.findEnvelope(i, locate).envelope;
        if (std::find(marked.begin(), marked.end(), envelope) == marked.end()) continue;
        list.erase(list.begin() + i);
        if (view_ != nullptr) view_->compositeRemoved(i);
      }
      objects_.composites.recomputeBoundingBox();
    }
    const bool restyled = composites->markerSymbol != model.markerSymbol ||
                          composites->markerSize != model.markerSize || objects_.composites.count() != compositeCount;
    model.markerSymbol = composites->markerSymbol;
    model.markerSize = composites->markerSize;
    if (restyled && scene_ != nullptr)
      processComposites(port_, objects_.composites, objects_.settings, objects_.colorTable, *scene_);
  }
  afterPropertySheet();
  return CommandResult::done();
}

CommandResult CWQuarlexDoc::onFigurePolygonProperties() {
  const auto eraseFigure = [this](int i) {
    objects_.figures.figures.erase(objects_.figures.figures.begin() + i);
    redrawFiguresAndPolygons(/*polygons=*/false);
    itemDeleted();
  };
  const auto recalculate = [this](int i) {
    calculateFigure(objects_.figures, i, {objects_.polygons, objects_.composites, objects_.settings});
  };
  CFiguresPropertyPage figures(objects_.figures, objects_.settings.variableNames(), eraseFigure, recalculate);
  CPolygonsPropertyPage polygons(objects_.polygons);
  SheetModel sheet("Figure and Polygon Properties", /*wizard=*/false);
  if (objects_.figures.count() > 0) sheet.addPage(&figures);
  sheet.addPage(&polygons);
  if (!port_.runSheet(sheet)) return CommandResult::cancelled();
  if (objects_.figures.count() > 0) figures.apply();
  redrawFiguresAndPolygons(polygons.changed());
  afterPropertySheet();
  return CommandResult::done();
}

}  // namespace qx
