// The document's commands that edit the settings: "Calculation &Settings"
// and the two variable-editing commands.
#include <algorithm>
#include <map>
#include <memory>

#include "app/document.h"
#include "datasets/composite_envelope_page.h"
#include "project/calculation_pages.h"
#include "scene/envelopes_drawing.h"
#include "variables/variable_edit_dialog.h"

namespace qx {

CommandResult CWQuarlexDoc::onCalculationSettings() {
  QuarlexSettings working = objects_.settings;
  CPropPageCalcGeneral general(working);
  CPropPageCalcVariables variables(working);
  SheetModel sheet("Calculation Settings", /*wizard=*/false);
  sheet.addPage(&general);
  sheet.addPage(&variables);
  std::unique_ptr<CPropPageEnvelopeClipping> clipping;
  std::unique_ptr<CPropPageCompositeEnvelopes> use;
  if (objects_.envelopes.count() > 0) {
    clipping = std::make_unique<CPropPageEnvelopeClipping>(objects_.envelopes);
    use = makeCompositeUsePage(objects_.envelopes, objects_.composites);
    sheet.addPage(clipping.get());
    sheet.addPage(use.get());
  } else {
    // Without envelopes every composite lies outside them all: it takes part.
    objects_.composites.useOutside = 1;
  }
  if (!port_.runSheet(sheet)) return CommandResult::cancelled();

  general.applyTo(working);
  variables.applyTo(working);
  objects_.settings = working;
  if (clipping) {
    // The composites page's lines are in the order the envelopes had when
    // the sheet opened: it is written back before the new order is taken.
    applyCompositeUsePage(*use, objects_.envelopes, objects_.composites);
    clipping->applyTo(objects_.envelopes);
    if (scene_ != nullptr) {
      drawEnvelopes(*scene_, objects_.envelopes, objects_.sceneModel.envelopeKeys);
      scene_->updateDisplay();
    }
  }
  if (view_ != nullptr) view_->displayChanged();
  setModifiedFlag(true);
  if (view_ != nullptr) view_->updateAllViews();
  return CommandResult::done();
}

CommandResult CWQuarlexDoc::onEditVariables(VariableKind kind) {
  const QuarlexSettings& s = objects_.settings;
  DesignatedVariables designated;
  designated.sg = s.findSGVariable();
  designated.thickness = s.findThicknessVariable();
  designated.recovery = s.findRecoveryVariable();
  CVariableEditDialog dialog(kind, s.loaded, s.calculated, designated);
  if (!port_.runDialog(dialog)) return CommandResult::cancelled();
  applyVariableEdit(kind, dialog.loaded(), dialog.calculated(), dialog.deletedNames());
  return CommandResult::done();
}

namespace {

// The names the edit gives the variables it keeps: the survivors of the
// deletions, in order, take the edited list's names at their places.
std::map<std::string, std::string> renamesOf(std::vector<std::string> before, const std::vector<std::string>& after,
                                             const std::vector<std::string>& deletedNames) {
  for (const auto& name : deletedNames)
    if (const auto it = std::find(before.begin(), before.end(), name); it != before.end()) before.erase(it);
  std::map<std::string, std::string> renames;
  for (std::size_t i = 0; i < std::min(before.size(), after.size()); ++i)
    if (before[i] != after[i]) renames[before[i]] = after[i];
  return renames;
}

}  // namespace

void CWQuarlexDoc::applyVariableEdit(VariableKind kind, const std::vector<VariableInfo>& loaded,
                                     const std::vector<VariableInfoCalc>& calculated,
                                     const std::vector<std::string>& deletedNames) {
  QuarlexSettings& s = objects_.settings;
  std::vector<std::string> before, after;
  if (kind == VariableKind::Loaded) {
    for (const auto& v : s.loaded) before.push_back(v.name);
    for (const auto& v : loaded) after.push_back(v.name);
  } else {
    for (const auto& v : s.calculated) before.push_back(v.name);
    for (const auto& v : calculated) after.push_back(v.name);
  }
  // Colour-table bins and plot annotations name their variable: they follow a rename.
  const auto renames = renamesOf(before, after, deletedNames);
  const auto follow = [&renames](std::string& name) {
    if (const auto it = renames.find(name); it != renames.end()) name = it->second;
  };
  for (ColorBin& bin : objects_.colorTable.bins) follow(bin.variableName);
  for (MapProfileDef& profile : objects_.mapOutput.profiles)
    for (auto* labels : {&profile.compositeLabels, &profile.polygonLabels, &profile.figureLabels})
      for (MapVariablesDef& label : *labels) follow(label.name);
  CompositeValueSink composites(objects_.composites, kind);
  FigureValueSink figures(objects_.figures, kind, s.loadedCount());
  VariableValueSink* sinks[] = {&composites, &figures};
  s.applyEditedVariables(kind, loaded, calculated, deletedNames, sinks);
  objects_.composites.computeAllCalculatedValues(s);
  if (view_ != nullptr) view_->displayChanged();
  setModifiedFlag(true);
  if (view_ != nullptr) view_->updateAllViews();
}

}  // namespace qx
