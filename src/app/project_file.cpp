#include "app/project_file.h"

#include "common/limits.h"
#include "io/archive.h"
#include "io/text_encoding.h"
#include "port/progress.h"
#include "project/settings_record.h"
#include "variables/variable_rules.h"

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

std::string ordinalName(const char* kind, std::size_t i, const std::string& name) {
  return std::string(kind) + " " + std::to_string(i + 1) + " \"" + displayText(name) + "\"";
}

[[noreturn]] void refuseCoordinates(const std::string& item) {
  throw ArchiveError(item + " has a coordinate beyond " + formatGeneral(kMaxCoordinate));
}

// Coordinates and values the imports would refuse are refused in a project
// file too (a file written elsewhere, or damaged).
void checkLoadedNumbers(const ProjectObjects& o) {
  const auto& composites = o.composites.composites;
  for (std::size_t i = 0; i < composites.size(); ++i) {
    const CComposite& c = composites[i];
    if (!pointInRange(c.position)) refuseCoordinates(ordinalName("composite", i, c.name));
    for (const double v : c.values)
      if (!valueInRange(v))
        throw ArchiveError(ordinalName("composite", i, c.name) + " has a value beyond " + formatGeneral(kMaxValue));
  }
  const auto& envelopes = o.envelopes.envelopes;
  for (std::size_t i = 0; i < envelopes.size(); ++i)
    for (const Contour& contour : envelopes[i].contours)
      for (const DPoint3D& p : contour)
        if (!pointInRange(p)) refuseCoordinates(ordinalName("envelope", i, envelopes[i].name));
  const auto& figures = o.figures.figures;
  for (std::size_t i = 0; i < figures.size(); ++i)
    for (const DPoint3D& p : figures[i].outline)
      if (!pointInRange(p)) refuseCoordinates(ordinalName("figure", i, figures[i].name));
  const auto& surfaces = o.surfaces.surfaces;
  for (std::size_t i = 0; i < surfaces.size(); ++i)
    for (const FPoint3D& p : surfaces[i].points)
      if (!pointInRange({p.x, p.y, p.z})) refuseCoordinates(ordinalName("surface", i, surfaces[i].name));
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
  checkLoadedNumbers(o);
  progress.setText("Processing Composites");
  // Calculated values are not stored: every composite's are evaluated again.
  o.composites.computeAllCalculatedValues(o.settings);
  progress.stepIt();
  recomputeDataExtents(o);
  progress.stepIt();
}

}  // namespace qx
