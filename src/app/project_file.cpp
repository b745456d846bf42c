#include "app/project_file.h"

#include "io/archive.h"
#include "port/progress.h"
#include "project/settings_record.h"

namespace qx {

namespace {

// The records after the settings, in file order, up to the composites.
void serializeHeadRecords(Archive& ar, ProjectObjects& o) {
  ar.setContext("the sections");
  o.sections.serialize(ar);
  o.viewGrid.serialize(ar);
  ar.setContext("the colour tables");
  o.colorTable.serialize(ar);
  ar.setContext("the scene settings");
  o.sceneModel.serialize(ar);
  ar.setContext("the map output data");
  o.mapOutput.serialize(ar);
}

}  // namespace

void recomputeDataExtents(ProjectObjects& o) {
  const DataExtents parts[] = {o.composites.extents(), o.envelopes.extents(), o.figures.extents(),
                               o.polygons.extents()};
  o.settings.recomputeDataExtents(parts);
}

std::vector<std::uint8_t> storeProject(ProjectObjects& o, UiPort& port) {
  CProgressBar progress(port);
  progress.setTitle("Project Save Progress");
  progress.setText("Saving Project Settings");

  ArchiveWriter writer;
  Archive ar(writer);
  o.settings.fileVersion = kProjectFileVersion;
  writer.writeInt32(kProjectFileVersion);
  serializeSettings(ar, o.settings);
  serializeHeadRecords(ar, o);
  progress.stepIt();

  progress.setText("Saving Composites, Envelopes, and Surfaces");
  o.composites.serialize(ar, o.settings.loadedCount(), o.settings.calculatedCount());
  o.envelopes.serialize(ar);
  progress.stepIt();
  o.surfaces.serialize(ar);
  progress.stepIt();

  progress.setText("Saving Figures and Polygons");
  o.figures.serialize(ar);
  progress.stepIt();
  o.polygons.serialize(ar);
  progress.stepIt();
  return writer.take();
}

void loadProject(std::span<const std::uint8_t> bytes, ProjectObjects& o, UiPort& port) {
  CProgressBar progress(port);
  progress.setTitle("Project Load Progress");
  progress.setText("Loading Project Settings");

  ArchiveReader reader(bytes);
  Archive ar(reader);
  ar.setContext("the version word");
  o.settings.fileVersion = reader.readInt32();
  serializeSettings(ar, o.settings);
  recomputeDataExtents(o);
  serializeHeadRecords(ar, o);
  progress.stepIt();

  progress.setText("Loading Composites, Envelopes, and Surfaces");
  ar.setContext("the composites");
  o.composites.serialize(ar, o.settings.loadedCount(), o.settings.calculatedCount());
  ar.setContext("the envelopes");
  o.envelopes.serialize(ar);
  ar.setContext("the surfaces");
  o.surfaces.serialize(ar);
  progress.stepIt();

  progress.setText("Loading Figures and Polygons");
  ar.setContext("the figures");
  o.figures.serialize(ar);
  ar.setContext("the polygons");
  o.polygons.serialize(ar);
  progress.stepIt();
  if (!reader.atEnd()) {
    throw ArchiveError("unexpected data after the polygons (" + std::to_string(reader.remaining()) + " bytes)");
  }

  // The scene is built from the loaded objects once they are the project's
  // (the document rebuilds it after the swap); the stages still show.
  progress.setText("Processing Colour Table");
  progress.stepIt();
  progress.setText("Processing Composites");
  progress.stepIt();
  recomputeDataExtents(o);
  progress.stepIt();
}

}  // namespace qx
