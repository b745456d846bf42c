#include "app/document.h"

#include <filesystem>
#include <memory>

#include "app/atomic_file.h"
#include "app/project_file.h"
#include "app/project_setup.h"
#include "app/version.h"
#include "io/archive.h"

namespace qx {

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

bool CWQuarlexDoc::onFileNew() {
  ProjectSetupSheet sheet(objects_.settings);
  if (!port_.runSheet(sheet)) return false;
  setUpProject(sheet.values());
  return true;
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

  // 3. The scene is rebuilt for the view's window, then the default sections.
  if (view_ != nullptr) view_->rebuildScene();
  objects_.sections.createStandardSections();

  // 4. The variables entered on the first page, in the order entered.
  settings.replaceVariables(values.loaded, values.calculated);

  // 5. The model parameters of the second page.
  values.parameters.applyToSettings(settings, /*withProjectType=*/true);

  // 6.
  setModifiedFlag(true);
  if (view_ != nullptr) view_->updateAllViews();
}

bool CWQuarlexDoc::onSaveDocument(const std::string& path) {
  const std::vector<std::uint8_t> bytes = storeProject(objects_, port_);
  const std::string error = writeFileAtomically(path, bytes);
  if (view_ != nullptr) view_->updateAllViews();
  if (!error.empty()) {
    port_.message("Unable to save the project " + path + ":\n" + error, MessageButtons::Ok, MessageIcon::Error);
    return false;
  }
  pathName_ = path;
  title_ = std::filesystem::path(path).filename().string();
  modified_ = false;
  changed();
  return true;
}

bool CWQuarlexDoc::onOpenDocument(const std::string& path) {
  std::string error;
  const std::vector<std::uint8_t> bytes = readWholeFile(path, error);
  if (!error.empty()) {
    port_.message("Unable to open the project " + path + ":\n" + error, MessageButtons::Ok, MessageIcon::Error);
    return false;
  }
  auto fresh = std::make_unique<ProjectObjects>();
  // Not part of the file: kept from the open project.
  fresh->settings.fixedRecovery = objects_.settings.fixedRecovery;
  try {
    loadProject(bytes, *fresh, port_);
  } catch (const ArchiveError& e) {
    port_.message("Unable to open the project " + path + ":\n" + e.what(), MessageButtons::Ok, MessageIcon::Error);
    return false;
  }
  objects_ = std::move(*fresh);
  pathName_ = path;
  title_ = std::filesystem::path(path).filename().string();
  modified_ = false;
  changed();
  if (view_ != nullptr) {
    view_->rebuildScene();
    view_->zoomExtents();
    view_->updateAllViews();
  }
  return true;
}

bool CWQuarlexDoc::onEditProjectSettings() {
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
  return ok;
}

CommandContext CWQuarlexDoc::commandContext() const {
  CommandContext c;
  c.loadedVariables = objects_.settings.loadedCount();
  c.composites = objects_.composites.count();
  c.envelopes = objects_.envelopes.count();
  c.surfaces = objects_.surfaces.count();
  c.figures = objects_.figures.count();
  c.polygons = objects_.polygons.count();
  c.mapProfiles = objects_.mapOutput.count();
  c.undoDepth = static_cast<int>(objects_.sections.back.size());
  c.redoDepth = static_cast<int>(objects_.sections.forward.size());
  return c;
}

std::string CWQuarlexDoc::reportProjectName() const { return title_.empty() ? "Unnamed Project" : title_; }

}  // namespace qx
