#include "gis/gis_export.h"
#include "gis/gis_export_dialog.h"

#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_api.h>

#include <cstdio>
#include <map>

#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "support/result_records.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace qx {
namespace {

using test::makePolygon;

// Au and Thickness loaded (the second clashes with the fixed "thickness"),
// Metal calculated; three composites at mine-grid coordinates, two polygons
// with outlines and one without, one figure, one envelope of two contours.
struct Project {
  QuarlexSettings settings;
  CompositeSet composites;
  EnvelopeSet envelopes;
  FigureSet figures;
  CPolygonSet polygons;
  Project() {
    settings.loaded = {VariableInfo("Au"), VariableInfo("Thickness")};
    settings.calculated = {VariableInfoCalc("Metal")};
    for (int i = 0; i < 3; ++i) {
      CComposite c;
      c.name = "DH-" + std::to_string(i);
      c.position = {512000.0 + 10 * i, 7123000.0 + 7 * i, 0.0};
      c.values = {1.5 * i, 2.0};
      c.calcValues = {3.0 * i};
      composites.composites.push_back(c);
    }
    const std::vector<DPoint3D> skewed{
        {512003.25, 7122990.5, 0}, {512041.125, 7123001.75, 0}, {512030.0625, 7123044.3, 0}, {511998.8, 7123020.9, 0}};
    const auto square = test::rectangle(512100, 7123100, 512150.5, 7123133.25);
    polygons.polygons = {makePolygon(0, outlineArea(skewed), 2, 1, 3, skewed),
                         makePolygon(2, outlineArea(square), 2, 1, 3, square), makePolygon(1, 0, 0, 0, 0)};
    figures.figures = {test::makeFigure("B1", square, {1, 2, 3, 4, 5, 6}, {0.5, 1}, {7})};
    Envelope e;
    e.name = "Main Lens";
    e.contours = {skewed, square};
    envelopes.envelopes = {e};
  }
  GisProject view() const { return {settings, composites, envelopes, figures, polygons}; }
};

std::string run(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  pclose(pipe);
  return out;
}

// "layer: count: field field ..." for every layer ogrinfo lists.
std::map<std::string, std::string> ogrinfoLayers(const std::string& path) {
  std::map<std::string, std::string> layers;
  std::string current;
  for (const auto& line : test::splitLines(run(std::string(QX_OGRINFO) + " -so -al '" + path + "' 2>&1"))) {
    const auto colon = line.find(": ");
    const std::string key = line.substr(0, colon), value = colon == std::string::npos ? "" : line.substr(colon + 2);
    if (key == "Layer name")
      current = value;
    else if (key == "Feature Count")
      layers[current] += value + ":";
    else if (key.find_first_of(" \t") == std::string::npos &&
             (value.starts_with("String") || value.starts_with("Real")))
      layers[current] += " " + key;
  }
  return layers;
}

TEST(GisExport, OgrinfoReadsEveryLayerWithItsCountAndFieldsAndAreasAgree) {
  if (std::string(QX_OGRINFO).empty()) GTEST_SKIP() << "ogrinfo (gdal-bin) not found";
  struct Case {
    GisFormat format;
    const char* target;
    const char* polygonsPath;  // what GDAL opens to read the polygons back
    std::map<std::string, std::string> layers;
  };
  const Case cases[] = {
      {GisFormat::GeoPackage,
       "out.gpkg",
       "out.gpkg",
       {{"composites", "3: name Au Thickness Metal"},
        {"envelopes", "2: name contour density"},
        {"figures", "1: name area thickness volume ore_tonnage waste_tonnage coverage Au Thickness_2 Metal"},
        {"polygons", "3: name area thickness volume tonnage Au Thickness_2 Metal"}}},
      {GisFormat::Shapefile,
       "shp",
       "shp/polygons.shp",
       {{"composites", "3: name Au Thickness Metal"},
        {"envelopes", "2: name contour density"},
        {"figures", "1: name area thickness volume ore_tonnag waste_tonn coverage Au Thicknes_2 Metal"},
        {"polygons", "3: name area thickness volume tonnage Au Thicknes_2 Metal"}}},
  };
  const Project project;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    test::TempDir dir("qx_gis");
    const auto result =
        exportGis({(dir / c.target).string(), c.format, {true, true, true, true}, 32633}, project.view());
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.features, (std::array<int, 4>{3, 2, 1, 3}));
    // Only the target is left: the temporary was renamed.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_EQ(ogrinfoLayers((dir / c.target).string()), c.layers);
    EXPECT_NE(run(std::string(QX_OGRINFO) + " -so '" + (dir / c.polygonsPath).string() + "' polygons")
                  .find("ID[\"EPSG\",32633]"),
              std::string::npos);

    GDALDatasetH ds = GDALOpenEx((dir / c.polygonsPath).c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    ASSERT_NE(ds, nullptr);
    OGRLayerH layer = GDALDatasetGetLayerByName(ds, "polygons");
    ASSERT_NE(layer, nullptr);
    std::size_t k = 0;
    for (OGRFeatureH f; (f = OGR_L_GetNextFeature(layer)) != nullptr; ++k) {
      const CPolygon& ours = project.polygons.polygons.at(k);
      OGRGeometryH g = OGR_F_GetGeometryRef(f);
      EXPECT_EQ(g != nullptr, !ours.outline.empty()) << k;
      if (g != nullptr) {
        EXPECT_NEAR(OGR_G_Area(g), ours.area, 1e-6 * ours.area) << k;
      }
      EXPECT_EQ(OGR_F_GetFieldAsString(f, 0), project.composites.composites[ours.compositeIndex].name);
      EXPECT_EQ(OGR_F_GetFieldAsDouble(f, 7), 3.0 * ours.compositeIndex);  // Metal
      OGR_F_Destroy(f);
    }
    EXPECT_EQ(k, 3u);
    GDALClose(ds);
  }
}

TEST(GisExport, FailuresLeaveNoFileAndSayWhy) {
  const Project project;
  test::TempDir dir("qx_gis");
  const auto target = (dir / "out.gpkg").string();
  const struct {
    GisExportRequest request;
    std::string message;  // the start of it
  } cases[] = {
      {{target, GisFormat::GeoPackage, {true, true, true, true}, 999999}, "unknown EPSG code 999999"},
      {{(dir / "none/out.gpkg").string(), GisFormat::GeoPackage, {true, true, true, true}, {}},
       "could not create " + (dir / "none/out.gpkg").string() + ": "},
  };
  for (const auto& c : cases) {
    const auto result = exportGis(c.request, project.view());
    EXPECT_EQ(result.error.substr(0, c.message.size()), c.message);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << c.message;
  }
}

TEST(GisExport, FieldNamesAreUniqueIgnoringCaseWithinTheLimit) {
  EXPECT_EQ(uniqueFieldNames({"Grade_Au_1", "grade_au_1x", "Grade_Au_1", "Au"}, 10),
            (std::vector<std::string>{"Grade_Au_1", "grade_au_2", "Grade_Au_3", "Au"}));
  EXPECT_EQ(uniqueFieldNames({"tonnage", "Tonnage", "Tonnage_2"}, 0),
            (std::vector<std::string>{"tonnage", "Tonnage_2", "Tonnage_2_2"}));
}

// The dialog refuses until a dataset the project has is ticked and the EPSG
// text is blank or a whole number; then the folder, and only the ticked layer.
TEST(GisExport, TheCommandChecksTheDialogThenWritesTheTickedLayers) {
  Project project;
  project.figures.figures.clear();
  test::TempDir dir("qx_gis");
  test::ScriptedPort port;
  const auto answer = [&](std::array<bool, 4> layers, const char* epsg) {
    port.answerDialog([=](DialogModel& m) {
      auto& d = dynamic_cast<GisExportDialog&>(m);
      d.format = GisFormat::Shapefile;
      d.layers = layers;
      d.epsgText = epsg;
      return true;
    });
  };
  answer({false, false, true, false}, "");  // figures: none in the project
  answer({false, false, false, true}, "12x");
  answer({false, false, false, true}, "0");
  answer({false, false, false, true}, " 32633 ");
  port.answerFolder((dir / "shp").string());
  const auto outcome = exportGisCommand(port, project.view());
  EXPECT_EQ(outcome.status, GisCommandOutcome::Status::Written);
  EXPECT_EQ(outcome.features, 3);
  EXPECT_EQ(port.messages(), (std::vector<std::string>{std::string(GisExportDialog::kNoDatasetMessage),
                                                       std::string(GisExportDialog::kEpsgMessage),
                                                       std::string(GisExportDialog::kEpsgMessage)}));
  EXPECT_TRUE(std::filesystem::exists(dir / "shp/polygons.prj"));
  EXPECT_FALSE(std::filesystem::exists(dir / "shp/composites.shp"));
}

}  // namespace
}  // namespace qx
