#include "gis/gis_export.h"

#include <cpl_string.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <system_error>

#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "io/text_encoding.h"
#include "project/quarlex_settings.h"

namespace qx {

namespace {

namespace fs = std::filesystem;

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// GDAL's messages go to us, not to the terminal; the last one explains a failure.
class QuietErrors {
 public:
  QuietErrors() {
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
  }
  ~QuietErrors() { CPLPopErrorHandler(); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;
  static std::string last() {
    const std::string text = CPLGetLastErrorMsg();
    return text.empty() ? "GDAL gave no reason" : text;
  }
};

struct SrsDeleter {
  void operator()(void* srs) const { OSRRelease(static_cast<OGRSpatialReferenceH>(srs)); }
};
using Srs = std::unique_ptr<void, SrsDeleter>;

struct FeatureDeleter {
  void operator()(void* f) const { OGR_F_Destroy(static_cast<OGRFeatureH>(f)); }
};

struct Field {
  std::string name;
  bool text = false;
};

// One feature's attributes, in field order, and its geometry (owned until written).
struct Row {
  std::string text;  // the first field when it is text
  std::vector<double> numbers;
  OGRGeometryH geometry = nullptr;
};

OGRGeometryH polygonGeometry(const std::vector<DPoint3D>& points, std::size_t count, bool withZ) {
  if (count < 3) return nullptr;
  OGRGeometryH ring = OGR_G_CreateGeometry(wkbLinearRing);
  for (std::size_t i = 0; i < count; ++i) {
    if (withZ)
      OGR_G_AddPoint(ring, points[i].x, points[i].y, points[i].z);
    else
      OGR_G_AddPoint_2D(ring, points[i].x, points[i].y);
  }
  OGRGeometryH polygon = OGR_G_CreateGeometry(withZ ? wkbPolygon25D : wkbPolygon);
  OGR_G_AddGeometryDirectly(polygon, ring);
  OGR_G_CloseRings(polygon);
  return polygon;
}

OGRGeometryH pointGeometry(const DPoint3D& p, bool withZ) {
  OGRGeometryH point = OGR_G_CreateGeometry(withZ ? wkbPoint25D : wkbPoint);
  if (withZ)
    OGR_G_SetPoint(point, 0, p.x, p.y, p.z);
  else
    OGR_G_SetPoint_2D(point, 0, p.x, p.y);
  return point;
}

std::vector<std::string> variableNames(const QuarlexSettings& settings) {
  std::vector<std::string> names;
  for (int n = 0; n < settings.variableCount(); ++n) names.push_back(displayText(settings.variable(n).name));
  return names;
}

struct LayerData {
  OGRwkbGeometryType type = wkbUnknown;
  std::vector<std::string> fields;  // the first is the text "name"
  std::vector<Row> rows;
};

LayerData compositesLayer(const GisProject& p, bool withZ) {
  LayerData d{withZ ? wkbPoint25D : wkbPoint, {"name"}, {}};
  for (auto& v : variableNames(p.settings)) d.fields.push_back(std::move(v));
  for (const CComposite& c : p.composites.composites) {
    Row r{displayText(c.name), {}, pointGeometry(c.position, withZ)};
    for (int n = 0; n < p.settings.variableCount(); ++n)
      r.numbers.push_back(compositeVariableValue(c, n, p.settings.loadedCount()));
    d.rows.push_back(std::move(r));
  }
  return d;
}

LayerData envelopesLayer(const GisProject& p, bool withZ) {
  LayerData d{withZ ? wkbPolygon25D : wkbPolygon, {"name", "contour", "density"}, {}};
  for (const Envelope& e : p.envelopes.envelopes)
    for (std::size_t k = 0; k < e.contours.size(); ++k)
      d.rows.push_back({displayText(e.name),
                        {static_cast<double>(k + 1), e.density},
                        polygonGeometry(e.contours[k], e.contours[k].size(), withZ)});
  return d;
}

LayerData figuresLayer(const GisProject& p, bool withZ) {
  LayerData d{withZ ? wkbPolygon25D : wkbPolygon,
              {"name", "area", "thickness", "volume", "ore_tonnage", "waste_tonnage", "coverage"},
              {}};
  for (auto& v : variableNames(p.settings)) d.fields.push_back(std::move(v));
  for (const Figure& f : p.figures.figures) {
    const std::size_t count = std::min(f.outline.size(), static_cast<std::size_t>(std::max(f.pointCount, 0)));
    Row r{displayText(f.name),
          {f.area, f.thickness, f.volume, f.oreTonnage, f.wasteTonnage, f.oreFraction},
          polygonGeometry(f.outline, count, withZ)};
    for (int n = 0; n < p.settings.variableCount(); ++n)
      r.numbers.push_back(figureVariableValue(f, n, p.settings.loadedCount()));
    d.rows.push_back(std::move(r));
  }
  return d;
}

LayerData polygonsLayer(const GisProject& p, bool withZ) {
  LayerData d{withZ ? wkbPolygon25D : wkbPolygon, {"name", "area", "thickness", "volume", "tonnage"}, {}};
  for (auto& v : variableNames(p.settings)) d.fields.push_back(std::move(v));
  const auto& composites = p.composites.composites;
  for (const CPolygon& poly : p.polygons.polygons) {
    const bool known = poly.compositeIndex >= 0 && poly.compositeIndex < static_cast<int>(composites.size());
    const CComposite* c = known ? &composites[static_cast<std::size_t>(poly.compositeIndex)] : nullptr;
    Row r{c != nullptr ? displayText(c->name) : std::string(),
          {poly.area, poly.thickness, poly.volume, poly.tonnage},
          polygonGeometry(poly.outline, poly.outline.size(), withZ)};
    for (int n = 0; n < p.settings.variableCount(); ++n)
      r.numbers.push_back(c != nullptr ? compositeVariableValue(*c, n, p.settings.loadedCount()) : 0.0);
    d.rows.push_back(std::move(r));
  }
  return d;
}

// Writes one layer; "" when done, else GDAL's reason. Takes the rows' geometries.
std::string writeLayer(GDALDatasetH ds, std::string_view name, LayerData& d, OGRSpatialReferenceH srs, GisFormat format,
                       int& written) {
  char** options = nullptr;
  if (format == GisFormat::Shapefile) options = CSLSetNameValue(options, "ENCODING", "UTF-8");
  OGRLayerH layer = GDALDatasetCreateLayer(ds, std::string(name).c_str(), srs, d.type, options);
  CSLDestroy(options);
  if (layer == nullptr) return QuietErrors::last();
  const std::size_t limit = format == GisFormat::Shapefile ? kShapefileFieldLength : 0;
  const auto names = uniqueFieldNames(d.fields, limit);
  std::size_t nameWidth = 1;
  for (const Row& r : d.rows) nameWidth = std::max(nameWidth, r.text.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    OGRFieldDefnH field = OGR_Fld_Create(names[i].c_str(), i == 0 ? OFTString : OFTReal);
    if (i == 0 && format == GisFormat::Shapefile)
      OGR_Fld_SetWidth(field, static_cast<int>(std::min<std::size_t>(nameWidth, 254)));
    const OGRErr err = OGR_L_CreateField(layer, field, FALSE);
    OGR_Fld_Destroy(field);
    if (err != OGRERR_NONE) return QuietErrors::last();
  }
  for (Row& r : d.rows) {
    std::unique_ptr<void, FeatureDeleter> feature(OGR_F_Create(OGR_L_GetLayerDefn(layer)));
    auto* f = static_cast<OGRFeatureH>(feature.get());
    OGR_F_SetFieldString(f, 0, r.text.c_str());
    for (std::size_t k = 0; k < r.numbers.size(); ++k) OGR_F_SetFieldDouble(f, static_cast<int>(k + 1), r.numbers[k]);
    if (r.geometry != nullptr) OGR_F_SetGeometryDirectly(f, r.geometry);
    r.geometry = nullptr;
    if (OGR_L_CreateFeature(layer, f) != OGRERR_NONE) return QuietErrors::last();
    ++written;
  }
  return {};
}

void destroyGeometries(LayerData& d) {
  for (Row& r : d.rows)
    if (r.geometry != nullptr) OGR_G_DestroyGeometry(r.geometry);
}

std::string randomSuffix() {
  std::random_device device;
  std::uniform_int_distribution<unsigned> digits(0, 0xffffff);
  char text[16];
  std::snprintf(text, sizeof text, "%06x", digits(device));
  return text;
}

// Moves the finished temporary into place; "" when done.
std::string moveIntoPlace(const fs::path& temporary, const fs::path& target, GisFormat format) {
  std::error_code ec;
  if (format == GisFormat::GeoPackage) {
    fs::rename(temporary, target, ec);
  } else {
    fs::create_directories(target, ec);
    for (fs::directory_iterator it(temporary, ec), end; !ec && it != end; it.increment(ec))
      fs::rename(it->path(), target / it->path().filename(), ec);
    if (!ec) fs::remove_all(temporary, ec);
  }
  return ec ? ec.message() : std::string();
}

}  // namespace

std::string unknownEpsgMessage(int code) { return "unknown EPSG code " + std::to_string(code); }

std::vector<std::string> uniqueFieldNames(const std::vector<std::string>& names, std::size_t maxLength) {
  std::vector<std::string> out;
  std::set<std::string> used;
  for (const std::string& name : names) {
    std::string base = maxLength > 0 && name.size() > maxLength ? name.substr(0, maxLength) : name;
    std::string candidate = base;
    for (int n = 2; used.count(lower(candidate)) != 0; ++n) {
      const std::string suffix = "_" + std::to_string(n);
      const std::size_t keep = maxLength > 0 ? std::min(base.size(), maxLength - suffix.size()) : base.size();
      candidate = base.substr(0, keep) + suffix;
    }
    used.insert(lower(candidate));
    out.push_back(candidate);
  }
  return out;
}

GisExportResult exportGis(const GisExportRequest& request, const GisProject& project) {
  static std::once_flag registered;
  std::call_once(registered, [] { GDALAllRegister(); });
  QuietErrors quiet;
  GisExportResult result;

  Srs srs;
  if (request.epsg) {
    srs.reset(OSRNewSpatialReference(nullptr));
    auto* h = static_cast<OGRSpatialReferenceH>(srs.get());
    if (*request.epsg <= 0 || OSRImportFromEPSG(h, *request.epsg) != OGRERR_NONE) {
      result.error = unknownEpsgMessage(*request.epsg);
      return result;
    }
    OSRSetAxisMappingStrategy(h, OAMS_TRADITIONAL_GIS_ORDER);
  }

  const std::string driverName(kGisFormatNames[static_cast<int>(request.format)]);
  GDALDriverH driver = GDALGetDriverByName(driverName.c_str());
  if (driver == nullptr) {
    result.error = "GDAL has no " + driverName + " driver";
    return result;
  }
  const fs::path target(request.path);
  fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".tmp" + randomSuffix());
  if (request.format == GisFormat::GeoPackage) temporary += ".gpkg";
  GDALDatasetH ds = GDALCreate(driver, temporary.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
  if (ds == nullptr) {
    result.error = "could not create " + request.path + ": " + QuietErrors::last();
    return result;
  }

  const bool withZ = project.settings.projectType == kProject3D;
  using Make = LayerData (*)(const GisProject&, bool);
  static constexpr Make kMakers[kGisLayerCount] = {compositesLayer, envelopesLayer, figuresLayer, polygonsLayer};
  std::string failure;
  for (std::size_t i = 0; i < kGisLayerCount && failure.empty(); ++i) {
    if (!request.layers[i]) continue;
    LayerData data = kMakers[i](project, withZ);
    if (auto why = writeLayer(ds, kGisLayerNames[i], data, static_cast<OGRSpatialReferenceH>(srs.get()), request.format,
                              result.features[i]);
        !why.empty())
      failure = "could not write the " + std::string(kGisLayerNames[i]) + " layer of " + request.path + ": " + why;
    destroyGeometries(data);
  }
  CPLErrorReset();
  GDALClose(ds);
  if (failure.empty() && CPLGetLastErrorType() >= CE_Failure)
    failure = "could not write " + request.path + ": " + QuietErrors::last();
  if (failure.empty()) {
    if (auto why = moveIntoPlace(temporary, target, request.format); !why.empty())
      failure = "could not write " + request.path + ": " + why;
  }
  if (!failure.empty()) {
    std::error_code ignored;
    fs::remove_all(temporary, ignored);
    result.error = failure;
    result.features = {};
  }
  return result;
}

}  // namespace qx
