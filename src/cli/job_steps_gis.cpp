// The "export_gis" step: the datasets as GeoPackage or Shapefile layers.
#include <algorithm>
#include <cmath>
#include <ostream>

#include "app/project_objects.h"
#include "cli/cli_port.h"
#include "cli/job.h"
#include "cli/job_steps.h"
#include "gis/gis_export.h"

namespace qx::cli {

Step parseExportGis(JobObject& o, const std::filesystem::path& baseDir) {
  ExportGisStep s;
  const auto file = o.string("file");
  if (!file) throw JobError(o.keyPath("file"), "missing");
  if (file->empty()) throw JobError(o.keyPath("file"), "empty file name");
  std::filesystem::path path(*file);
  if (!path.is_absolute()) path = baseDir / path;
  const auto dir = path.parent_path();
  if (!dir.empty() && !std::filesystem::is_directory(dir))
    throw JobError(o.keyPath("file"), "no folder " + dir.string());
  s.request.path = path.string();
  const auto format = o.choice("format", {std::string(kGisFormatNames[0]), std::string(kGisFormatNames[1])});
  s.request.format = format == kGisFormatNames[1] ? GisFormat::Shapefile : GisFormat::GeoPackage;
  if (const nlohmann::json* list = o.find("datasets")) {
    const std::string expected = "expected a list of \"composites\", \"envelopes\", \"figures\", \"polygons\"";
    if (!list->is_array() || list->empty()) throw JobError(o.keyPath("datasets"), expected);
    s.request.layers.fill(false);
    for (const auto& v : *list) {
      const auto* name = v.get_ptr<const std::string*>();
      const auto* it = name == nullptr ? std::end(kGisLayerNames)
                                       : std::find(std::begin(kGisLayerNames), std::end(kGisLayerNames), *name);
      if (it == std::end(kGisLayerNames)) throw JobError(o.keyPath("datasets"), expected);
      s.request.layers[static_cast<std::size_t>(it - std::begin(kGisLayerNames))] = true;
    }
  }
  if (const auto epsg = o.number("epsg")) {
    if (!(*epsg >= 1 && *epsg <= 999999999) || *epsg != std::floor(*epsg))
      throw JobError(o.keyPath("epsg"), "expected a whole number above 0");
    s.request.epsg = static_cast<int>(*epsg);
  }
  return s;
}

void runExportGis(const ExportGisStep& s, const ProjectObjects& objects, std::ostream& out) {
  const GisProject project{objects.settings, objects.composites, objects.envelopes, objects.figures, objects.polygons};
  const GisExportResult result = exportGis(s.request, project);
  if (!result.error.empty()) throw PageRefused(result.error);
  out << "Exported GIS layers to " << s.request.path << ':';
  const char* separator = " ";
  for (std::size_t i = 0; i < kGisLayerCount; ++i) {
    if (!s.request.layers[i]) continue;
    out << separator << kGisLayerNames[i] << ' ' << result.features[i];
    separator = ", ";
  }
  out << '\n';
}

}  // namespace qx::cli
