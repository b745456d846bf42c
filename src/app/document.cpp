#include "app/document.h"

#include <atomic>
#include <exception>
#include <filesystem>
#include <memory>

#include "app/atomic_file.h"
#include "app/project_file.h"
#include "app/project_setup.h"
#include "app/version.h"
#include "datasets/composite_envelope_page.h"
#include "datasets/composite_export.h"
#include "datasets/composite_import.h"
#include "datasets/envelope_export.h"
#include "datasets/envelope_import.h"
#include "datasets/surface_import.h"
#include "engine/figure_calculation.h"
#include "engine/figure_import.h"
#include "engine/reports.h"
#include "engine/result_export.h"
#include "gis/gis_export_dialog.h"
#include "graphics/scene_tree.h"
#include "io/archive.h"
#include "port/progress.h"
#include "scene/composites_drawing.h"
#include "scene/envelopes_drawing.h"
#include "scene/figures_drawing.h"
#include "scene/polygons_drawing.h"
#include "scene/surfaces_drawing.h"
#include "sections/rotation_dialog.h"

namespace qx {

namespace {

// Widens the project's data extents by a dataset's, coordinate by coordinate:
// a minimum is taken only when smaller, a maximum only when larger.
void widenDataExtents(QuarlexSettings& settings, const DataExtents& e) {
  widenBox(settings.extentsMin, settings.extentsMax, e.min, e.max);
}

// The import rotation, edited in the "Rotation Parameters" dialog.
bool editImportRotation(UiPort& port, CParamsRotation& rotation) {
  CDialogRotationParams dialog(rotation);
  return port.runDialog(dialog);
}

}  // namespace

std::string aboutText() { return std::string("Marneth Version ") + kVersionString; }

CWQuarlexDoc::CWQuarlexDoc(ProjectObjects& objects, UiPort& port) : objects_(objects), port_(port) {}

void CWQuarlexDoc::changed() {
  if (listener_) listener_();
}

void CWQuarlexDoc::setModifiedFlag(bool modified) {
  if (modified_ == modified) return;
  modified_ = modified;
  changed();
}

void CWQuarlexDoc::setTitle(std::string title) {
  title_ = std::move(title);
  changed();
}

void CWQuarlexDoc::setPathName(std::string path) {
  pathName_ = std::move(path);
  changed();
}

bool CWQuarlexDoc::onNewDocument() {
  pathName_.clear();
  modified_ = false;
  changed();
  return true;
}

CommandResult CWQuarlexDoc::onFileNew() {
  ProjectSetupSheet sheet(objects_.settings);
  if (!port_.runSheet(sheet)) return CommandResult::cancelled();
  setUpProject(sheet.values());
  return CommandResult::done();
}

void CWQuarlexDoc::setUpProject(const ProjectSetupValues& values) {
  // 1. A new, untitled document.
  onNewDocument();
  setTitle("[Untitled]");

  // 2. Every project object back to its new-project state, in this order:
  //    colour tables, composites, settings, sections, envelopes, figures,
  //    polygons, surfaces, reference grid data.
  QuarlexSettings& settings = objects_.settings;
  objects_.colorTable.reset();
  objects_.composites.reset();
  settings.reset();
  objects_.sections.reset();
  objects_.envelopes.reset();
  objects_.figures.reset();
  objects_.polygons.reset();
  objects_.surfaces.reset();
  objects_.viewGrid.reset();

  // 3. The scene is reset and rebuilt for the view's window, then the default sections.
  if (scene_ != nullptr) {
    SceneBuilder scene(*scene_, sceneProject());
    scene.resetScene();
    scene.buildScene();
  } else {
    objects_.sceneModel.reset();
  }
  if (view_ != nullptr) view_->rebuildScene();
  objects_.sections.createStandardSections();

  // 4. The variables entered on the first page, in the order entered.
  settings.replaceVariables(values.loaded, values.calculated);

  // 5. The model parameters of the second page.
  values.parameters.applyToSettings(settings, /*withProjectType=*/true);

  // 6.
  setModifiedFlag(true);
  if (scene_ != nullptr) {
    SceneBuilder scene(*scene_, sceneProject());
    scene.applySelectionMode();
    scene.setViewFromSection();
    scene.buildGrid();
  }
  if (view_ != nullptr) view_->updateAllViews();
}

CommandResult CWQuarlexDoc::onSaveDocument(const std::string& path) {
  const std::vector<std::uint8_t> bytes = storeProject(objects_, port_);
  const std::string error = writeFileAtomically(path, bytes);
  if (view_ != nullptr) view_->updateAllViews();
  if (!error.empty()) {
    port_.message("Unable to save the project " + path + ":\n" + error, MessageButtons::Ok, MessageIcon::Error);
    return CommandResult::failed();
  }
  pathName_ = path;
  title_ = std::filesystem::path(path).filename().string();
  modified_ = false;
  changed();
  return CommandResult::done();
}

CommandResult CWQuarlexDoc::onOpenDocument(const std::string& path) {
  std::string error;
  const std::vector<std::uint8_t> bytes = readWholeFile(path, error);
  if (!error.empty()) {
    port_.message("Unable to open the project " + path + ":\n" + error, MessageButtons::Ok, MessageIcon::Error);
    return CommandResult::failed();
  }
  auto fresh = std::make_unique<ProjectObjects>();
  // Not part of the file: kept from the open project.
  fresh->settings.fixedRecovery = objects_.settings.fixedRecovery;
  for (DelimitedChoice QuarlexSettings::*choice : kFileFormatChoices)
    fresh->settings.*choice = objects_.settings.*choice;
  fresh->colorTable.currentTable = objects_.colorTable.currentTable;
  fresh->sceneModel.initialised = objects_.sceneModel.initialised;
  try {
    loadProject(bytes, *fresh, port_);
  } catch (const ArchiveError& e) {
    port_.message("Unable to open the project " + path + ":\n" + e.what(), MessageButtons::Ok, MessageIcon::Error);
    return CommandResult::failed();
  }
  objects_ = std::move(*fresh);
  pathName_ = path;
  title_ = std::filesystem::path(path).filename().string();
  modified_ = false;
  changed();
  drawLoadedProject();
  if (view_ != nullptr) {
    view_->rebuildScene();
    view_->zoomExtents();
    view_->updateAllViews();
  }
  return CommandResult::done();
}

SceneProject CWQuarlexDoc::sceneProject() {
  ProjectObjects& o = objects_;
  return SceneProject{o.sceneModel, o.sections, o.settings, o.viewGrid, o.colorTable,
                      o.envelopes,  o.surfaces, o.figures,  o.polygons};
}

void CWQuarlexDoc::drawLoadedProject() {
  if (scene_ == nullptr) return;
  ProjectObjects& o = objects_;
  HoopsModel& model = o.sceneModel;
  SceneBuilder scene(*scene_, sceneProject());
  // The marker style read from the file is applied by the build.
  scene.buildScene();
  drawEnvelopes(*scene_, o.envelopes, model.envelopeKeys);
  drawSurfaces(*scene_, o.surfaces, model.surfaceKeys);
  drawFigures(*scene_, o.figures, model, o.colorTable);
  drawPolygons(*scene_, o.polygons, model, o.colorTable);
  applyCompositeBinColours(*scene_, o.colorTable);
  if (o.composites.count() > 0) processComposites(port_, o.composites, o.settings, o.colorTable, *scene_);
  recomputeDataExtents(o);
  scene.applyBinVisibility();
  scene.applyDatasetVisibility();
  scene.applySelectionMode();
  scene.setViewFromSection();
  scene.buildGrid();
}

CommandResult CWQuarlexDoc::onEditProjectSettings() {
  CSpecGravPage page;
  page.loadFromSettings(objects_.settings);
  SheetModel sheet("Project Settings", /*wizard=*/false);
  sheet.addPage(&page);
  const bool ok = port_.runSheet(sheet);
  if (ok) {
    page.applyToSettings(objects_.settings, /*withProjectType=*/false);
    if (view_ != nullptr) view_->displayChanged();
    setModifiedFlag(true);
  }
  if (view_ != nullptr) view_->updateAllViews();
  return CommandResult::doneOrCancelled(ok);
}

void CWQuarlexDoc::afterImport() {
  if (scene_ != nullptr) {
    SceneBuilder scene(*scene_, sceneProject());
    scene.zoomExtents();
    scene.buildGrid();
  }
  if (view_ == nullptr) return;
  view_->zoomExtents();
  view_->updateAllViews();
}

CommandResult CWQuarlexDoc::onImportComposites() {
  CompositeLoadHooks hooks;
  hooks.editRotation = editImportRotation;
  if (scene_ != nullptr) {
    hooks.process = [this] {
      processComposites(port_, objects_.composites, objects_.settings, objects_.colorTable, *scene_);
    };
  }
  const int count = loadComposites(port_, objects_.composites, objects_.settings, hooks);
  if (count > 0) {
    if (view_ != nullptr) view_->datasetChanged(DatasetChange::CompositesLoaded);
    widenDataExtents(objects_.settings, objects_.composites.extents());
    HoopsModel& model = objects_.sceneModel;
    model.compositesShown = 1;
    model.selectionMode = 0;
    if (scene_ != nullptr) {
      if (model.compositesKey != gfx::kNoKey)
        scene_->openSegmentByKey(model.compositesKey);
      else
        scene_->openSegment(kCompositesSegment);
      scene_->setVisibility("cutting planes=on, markers=on");
      scene_->setSelectability("markers=on");
      scene_->closeSegment();
      applyCompositeBinColours(*scene_, objects_.colorTable);
      SceneBuilder scene(*scene_, sceneProject());
      scene.applyBinVisibility();
      scene_->updateDisplay();
    }
    port_.message(std::to_string(count) + " Composites Loaded", MessageButtons::Ok, MessageIcon::Information);
    setModifiedFlag(true);
  }
  afterImport();
  return CommandResult::doneOrCancelled(count > 0, count);
}

CommandResult CWQuarlexDoc::onImportEnvelopes() {
  const EnvelopeLoadResult result = loadEnvelopes(port_, objects_.envelopes, objects_.settings, editImportRotation);
  int count = 0;
  if (result == EnvelopeLoadResult::Loaded) {
    if (scene_ != nullptr) {
      showLoadedEnvelopes(*scene_, objects_.sceneModel, objects_.envelopes);
      SceneBuilder(*scene_, sceneProject()).refreshEnvelopes();
    } else {
      objects_.sceneModel.envelopesShown = 1;
    }
    widenDataExtents(objects_.settings, objects_.envelopes.extents());
    count = objects_.envelopes.count();
    port_.message(std::to_string(count) + " Envelopes Loaded", MessageButtons::Ok, MessageIcon::Information);
    setModifiedFlag(true);
  }
  afterImport();
  if (result == EnvelopeLoadResult::NoEnvelopes) return CommandResult::failed();
  return CommandResult::doneOrCancelled(count > 0, count);
}

CommandResult CWQuarlexDoc::onImportSurfaces() {
  SurfaceSet& surfaces = objects_.surfaces;
  const int count = loadSurface(surfaces, port_, objects_.settings.lastSurfaceFile, &objects_.settings.surfaceFormat);
  if (count > 0) {
    if (scene_ != nullptr) {
      drawSurface(*scene_, surfaces, surfaces.count() - 1, objects_.sceneModel.surfaceKeys);
      SceneBuilder(*scene_, sceneProject()).refreshSurfaces();
    }
    widenDataExtents(objects_.settings, surfaces.extents());
    port_.message(std::to_string(count) + " Surfaces Loaded", MessageButtons::Ok, MessageIcon::Information);
    setModifiedFlag(true);
  }
  afterImport();
  return CommandResult::doneOrCancelled(count > 0, count);
}

CommandResult CWQuarlexDoc::onImportFigures() {
  const FigureLoadOutcome outcome = loadFigures(port_, objects_.figures, objects_.settings, editImportRotation);
  if (outcome.result == FigureLoadResult::Cancelled) return CommandResult::cancelled();
  if (outcome.result != FigureLoadResult::Loaded) return CommandResult::failed();
  if (view_ != nullptr) view_->datasetChanged(DatasetChange::FiguresLoaded);
  recomputeDataExtents(objects_);
  objects_.figures.updateColours(objects_.colorTable, objects_.settings);
  if (scene_ != nullptr) drawFigures(*scene_, objects_.figures, objects_.sceneModel, objects_.colorTable);
  port_.message(std::to_string(outcome.added) + " Figures Loaded", MessageButtons::Ok, MessageIcon::Information);
  setModifiedFlag(true);
  afterImport();
  return CommandResult::done(outcome.added);
}

CommandResult CWQuarlexDoc::onRecalculateFigures() {
  try {
    if (!recalculateAllFigures(port_, objects_.figures, objects_.polygons, objects_.composites, objects_.settings))
      return objects_.polygons.count() == 0 ? CommandResult::failed() : CommandResult::cancelled();
  } catch (const std::exception& e) {
    // The figures are calculated on a copy: they are as they were.
    port_.message(std::string("The figures could not be calculated: ") + e.what(), MessageButtons::Ok,
                  MessageIcon::Error);
    return CommandResult::failed();
  }
  objects_.figures.updateColours(objects_.colorTable, objects_.settings);
  if (scene_ != nullptr) drawFigures(*scene_, objects_.figures, objects_.sceneModel, objects_.colorTable);
  if (view_ != nullptr) view_->updateAllViews();
  return CommandResult::done(objects_.figures.count());
}

namespace {

CommandResult resultOf(ReportOutcome o) {
  return o == ReportOutcome::Written     ? CommandResult::done(1)
         : o == ReportOutcome::FileError ? CommandResult::failed()
                                         : CommandResult::cancelled();
}

CommandResult resultOf(ResultExportOutcome o) {
  return o == ResultExportOutcome::Written     ? CommandResult::done(1)
         : o == ResultExportOutcome::FileError ? CommandResult::failed()
                                               : CommandResult::cancelled();
}

}  // namespace

CommandResult CWQuarlexDoc::onReportPolygons() {
  return resultOf(
      reportPolygons(port_, reportProjectName(), objects_.polygons, objects_.composites, objects_.settings));
}

CommandResult CWQuarlexDoc::onReportFigures() {
  return resultOf(reportFigures(port_, reportProjectName(), objects_.figures, objects_.polygons, objects_.composites,
                                objects_.settings));
}

CommandResult CWQuarlexDoc::onExportPolygons() {
  return resultOf(exportPolygons(port_, objects_.polygons, objects_.composites, objects_.settings));
}

CommandResult CWQuarlexDoc::onExportGis() {
  const GisProject project{objects_.settings, objects_.composites, objects_.envelopes, objects_.figures,
                           objects_.polygons};
  const GisCommandOutcome outcome = exportGisCommand(port_, project);
  if (outcome.status == GisCommandOutcome::Status::Failed) return CommandResult::failed();
  return CommandResult::doneOrCancelled(outcome.status == GisCommandOutcome::Status::Written, outcome.features);
}

CommandResult CWQuarlexDoc::onExportFigures() {
  return resultOf(exportFigures(port_, objects_.figures, objects_.settings));
}

CommandResult CWQuarlexDoc::onExportComposites() {
  CompositeExportHooks hooks = compositeExportEnvelopeHooks(objects_.envelopes);
  hooks.editRotation = editImportRotation;
  const EnvelopeSet& envelopes = objects_.envelopes;
  const EnvelopeLocator locate = [&envelopes](const DPoint3D& p) {
    EnvelopeHit hit;
    hit.envelope = envelopes.findContaining(p.x, p.y, &hit.contour);
    return hit;
  };
  const int written =
      exportComposites(port_, objects_.composites, objects_.settings, objects_.envelopes, locate, hooks);
  if (written == kCompositeExportFailed) return CommandResult::failed();
  return CommandResult::doneOrCancelled(written >= 0, written);
}

CommandResult CWQuarlexDoc::onExportEnvelopes() {
  return CommandResult::doneOrCancelled(
      exportEnvelopes(port_, objects_.envelopes, objects_.settings.projectType == kProject3D), 1);
}

CommandResult CWQuarlexDoc::onGeneratePolygons() {
  port_.beginWaitCursor();
  struct EndWait {
    UiPort& port;
    ~EndWait() { port.endWaitCursor(); }
  } endWait{port_};
  if (view_ != nullptr) view_->datasetChanged(DatasetChange::PolygonsChanged);
  std::string failure;
  int result = 0;
  {
    CProgressBar bar(port_);
    bar.setTitle(kGeneratingPolygonsTitle);
    bar.enableCancel();
    std::atomic<bool> cancel{false};
    GenerateOptions options;
    options.cancel = &cancel;
    int stage = 0;
    const auto progress = [&](int done, int bands) {
      // five stages fill the bar
      while (stage < 5 && done * 5 >= (stage + 1) * bands) {
        bar.stepIt();
        ++stage;
      }
      bar.setText(bandsLeftText(bands - done));
      if (bar.cancelRequested()) cancel = true;
    };
    // A band that cannot be built, or memory that runs out, fails the
    // command; the polygons stay as they were.
    try {
      result =
          objects_.polygons.generate(objects_.composites, objects_.settings, objects_.envelopes, progress, options);
    } catch (const std::bad_alloc&) {
      failure = "not enough memory";
    } catch (const std::exception& e) {
      failure = e.what();
    }
  }
  if (!failure.empty() || result == kGenerateCancelled) {
    port_.message(failure.empty() ? std::string(kGenerationCancelled) : kGenerationFailed + failure, MessageButtons::Ok,
                  failure.empty() ? MessageIcon::Information : MessageIcon::Error);
    if (view_ != nullptr) view_->updateAllViews();
    return failure.empty() ? CommandResult::cancelled() : CommandResult::failed();
  }
  if (scene_ != nullptr) clearPolygonItems(*scene_, objects_.sceneModel);
  objects_.polygons.updateColours(objects_.composites, objects_.colorTable, objects_.settings);
  if (scene_ != nullptr) drawPolygons(*scene_, objects_.polygons, objects_.sceneModel, objects_.colorTable);
  setModifiedFlag(true);
  if (view_ != nullptr) view_->updateAllViews();
  return CommandResult::done(objects_.polygons.count());
}

CommandResult CWQuarlexDoc::onClearPolygons() {
  if (view_ != nullptr) view_->datasetChanged(DatasetChange::PolygonsChanged);
  objects_.polygons.clear();
  if (scene_ != nullptr) {
    clearPolygonItems(*scene_, objects_.sceneModel);
    scene_->updateDisplay();
  }
  if (view_ != nullptr) view_->updateAllViews();
  return CommandResult::done();
}

std::string bandsLeftText(int bands) { return std::to_string(bands) + " Bands Left To Process"; }

CommandContext CWQuarlexDoc::commandContext() const {
  CommandContext c;
  c.loadedVariables = objects_.settings.loadedCount();
  c.composites = objects_.composites.count();
  c.envelopes = objects_.envelopes.count();
  c.surfaces = objects_.surfaces.count();
  c.figures = objects_.figures.count();
  c.polygons = objects_.polygons.count();
  c.mapProfiles = objects_.mapOutput.count();
  const HoopsModel& m = objects_.sceneModel;
  c.shown = {m.compositesShown != 0, m.polygonsShown != 0, m.envelopesShown != 0,
             m.figuresShown != 0,    m.surfacesShown != 0, m.gridShown != 0};
  c.selectionMode = m.selectionMode;
  c.undoDepth = static_cast<int>(objects_.sections.back.size());
  c.redoDepth = static_cast<int>(objects_.sections.forward.size());
  c.digitizing = editTools_ != nullptr && editTools_->digitizing();
  return c;
}

std::string CWQuarlexDoc::reportProjectName() const { return title_.empty() ? "Unnamed Project" : title_; }

}  // namespace qx
