#include "app/document.h"

#include "app/project_setup.h"
#include "app/version.h"

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
  settings.reset();
  objects_.viewGrid.reset();

  // 3. The scene is rebuilt for the view's window, then the default sections.
  if (view_ != nullptr) view_->rebuildScene();

  // 4. The variables entered on the first page, in the order entered.
  settings.replaceVariables(values.loaded, values.calculated);

  // 5. The model parameters of the second page.
  values.parameters.applyToSettings(settings, /*withProjectType=*/true);

  // 6.
  setModifiedFlag(true);
  if (view_ != nullptr) view_->updateAllViews();
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

std::string CWQuarlexDoc::reportProjectName() const { return title_.empty() ? "Unnamed Project" : title_; }

}  // namespace qx
