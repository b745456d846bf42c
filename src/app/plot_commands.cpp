// The plot commands of the document: "&Map Profiles..." and "&Generate Maps...".
#include "app/document.h"
#include "plot/map_profiles_dialog.h"
#include "plot/section_plot.h"

namespace qx {

CommandResult CWQuarlexDoc::onMapProfiles() {
  MapProfileContext context;
  context.variableNames = objects_.settings.variableNames();
  for (const auto& e : objects_.envelopes.envelopes) context.envelopeNames.push_back(e.name);
  for (const auto& n : objects_.colorTable.tableNames) context.colourTableNames.push_back(n);
  CMapProfilesDialog dialog(objects_.mapOutput, std::move(context));
  port_.runDialog(dialog);
  // The list's edits take effect as they are made; closing the dialog, by
  // OK or Cancel, marks the project modified.
  setModifiedFlag();
  return CommandResult::done(objects_.mapOutput.count());
}

CommandResult CWQuarlexDoc::onGenerateMaps() {
  MapOutputData& data = objects_.mapOutput;
  const MapOutputData before = data;
  CDialogPlotMaps dialog(data, objects_.sections);
  if (!port_.runDialog(dialog)) return CommandResult::cancelled();
  if (!(data == before)) setModifiedFlag();
  PlotProject project{objects_.settings,  objects_.composites, objects_.colorTable, objects_.sections,
                      objects_.envelopes, objects_.figures,    objects_.polygons};
  project.binVisibility = &objects_.sceneModel.binVisibility;
  return CommandResult::done(generateMaps(data, project, port_));
}

}  // namespace qx
