#pragma once
// Writing the composites, envelopes, figures and polygons as GIS layers: one
// GeoPackage file holding a layer per dataset, or a folder of Shapefiles (one
// .shp with its companions per layer). Each layer carries an optional
// coordinate reference system given as an EPSG code.
//
// Layers and their fields, in order (every variable: the loaded ones, then
// the calculated ones, by their names):
//   composites  points (3D in a 3D project): name, every variable
//   envelopes   one polygon per contour: name, contour (1-based), density
//   figures     polygons: name, area, thickness, volume, ore_tonnage,
//               waste_tonnage, coverage, every variable
//   polygons    polygons of influence: name (the composite's), area,
//               thickness, volume, tonnage, every variable (the composite's
//               values); a polygon without an outline has no geometry
// Field names are made unique ignoring case (a later name clashing with an
// earlier one gets "_2", "_3", ...); a Shapefile cuts them to 10 characters
// first, the suffix replacing the last characters.
//
// The file is written under a temporary name beside the target and renamed
// over it once complete, so a failed export leaves no half file.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

class CompositeSet;
class CPolygonSet;
class EnvelopeSet;
class FigureSet;
class QuarlexSettings;

enum class GisFormat { GeoPackage, Shapefile };
// The driver names: "GPKG", "ESRI Shapefile".
inline constexpr std::string_view kGisFormatNames[] = {"GPKG", "ESRI Shapefile"};

enum GisLayer : int { kGisComposites = 0, kGisEnvelopes = 1, kGisFigures = 2, kGisPolygons = 3 };
inline constexpr std::string_view kGisLayerNames[] = {"composites", "envelopes", "figures", "polygons"};
inline constexpr std::size_t kGisLayerCount = std::size(kGisLayerNames);
inline constexpr std::size_t kShapefileFieldLength = 10;

struct GisExportRequest {
  std::string path;  // the .gpkg file, or the Shapefiles' folder
  GisFormat format = GisFormat::GeoPackage;
  std::array<bool, kGisLayerCount> layers{true, true, true, true};
  std::optional<int> epsg;
};

struct GisProject {
  const QuarlexSettings& settings;
  const CompositeSet& composites;
  const EnvelopeSet& envelopes;
  const FigureSet& figures;
  const CPolygonSet& polygons;
};

struct GisExportResult {
  std::string error;                           // empty when written
  std::array<int, kGisLayerCount> features{};  // per layer written
};

// "unknown EPSG code 4"
std::string unknownEpsgMessage(int code);

// Unique names (ignoring case) for `names` in order, each at most
// `maxLength` characters (0: no limit).
std::vector<std::string> uniqueFieldNames(const std::vector<std::string>& names, std::size_t maxLength);

GisExportResult exportGis(const GisExportRequest& request, const GisProject& project);

}  // namespace qx
