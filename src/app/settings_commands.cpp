// The document's commands that edit the settings: "Calculation &Settings"
// and the two variable-editing commands.
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

void CWQuarlexDoc::applyVariableEdit(VariableKind kind, const std::vector<VariableInfo>& loaded,
                                     const std::vector<VariableInfoCalc>& calculated,
                                     const std::vector<std::string>& deletedNames) {
  QuarlexSettings& s = objects_.settings;
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
