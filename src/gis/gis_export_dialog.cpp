#include "gis/gis_export_dialog.h"

#include <charconv>
#include <numeric>

#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "port/ui_port.h"

namespace qx {

GisExportDialog::GisExportDialog(const std::array<int, kGisLayerCount>& counts) : counts_(counts) {
  for (std::size_t i = 0; i < kGisLayerCount; ++i) layers[i] = counts_[i] > 0;
}

bool GisExportDialog::onOk(UiPort& port) {
  bool any = false;
  for (std::size_t i = 0; i < kGisLayerCount; ++i) any = any || (layers[i] && layerEnabled(i));
  if (!any) {
    port.message(kNoDatasetMessage, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  const auto first = epsgText.find_first_not_of(' ');
  if (first == std::string::npos) {
    epsg_.reset();
    return true;
  }
  const auto last = epsgText.find_last_not_of(' ');
  int code = 0;
  const char* end = epsgText.data() + last + 1;
  const auto r = std::from_chars(epsgText.data() + first, end, code);
  if (r.ec != std::errc() || r.ptr != end || code <= 0) {
    port.message(kEpsgMessage, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  epsg_ = code;
  return true;
}

GisCommandOutcome exportGisCommand(UiPort& port, const GisProject& project) {
  GisExportDialog dialog(
      {project.composites.count(), project.envelopes.count(), project.figures.count(), project.polygons.count()});
  GisCommandOutcome out;
  if (!port.runDialog(dialog)) return out;
  std::optional<std::string> path;
  if (dialog.format == GisFormat::GeoPackage) {
    FileDialogSpec spec;
    spec.save = true;
    spec.title = "Save GIS Layers";
    spec.filter = "GeoPackage Files (*.gpkg)|*.gpkg|All Files (*.*)|*.*||";
    spec.defaultExtension = "gpkg";
    path = port.chooseFile(spec);
  } else {
    path = port.browseFolder("Folder for the Shapefiles", "");
  }
  if (!path) return out;
  GisExportRequest request{*path, dialog.format, {}, dialog.epsg()};
  for (std::size_t i = 0; i < kGisLayerCount; ++i) request.layers[i] = dialog.layers[i] && dialog.layerEnabled(i);
  const GisExportResult result = exportGis(request, project);
  out.path = *path;
  if (!result.error.empty()) {
    port.message(result.error, MessageButtons::Ok, MessageIcon::Error);
    out.status = GisCommandOutcome::Status::Failed;
    return out;
  }
  out.status = GisCommandOutcome::Status::Written;
  out.features = std::accumulate(result.features.begin(), result.features.end(), 0);
  return out;
}

}  // namespace qx
