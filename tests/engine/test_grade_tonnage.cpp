// Grade-tonnage curves: the table against hand-worked sums, the CSV text and
// the chart files.
#include "engine/grade_tonnage.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "datasets/composites.h"
#include "engine/polygons.h"
#include "plot/chart.h"
#include "project/quarlex_settings.h"
#include "result_records.h"
#include "test_files.h"
#include "variables/formula_compiler.h"

using namespace qx;

namespace {

struct Case {
  const char* variable;
  std::vector<int> envelopes;
  std::vector<std::vector<DPoint3D>> figures;
  double cutoff, tonnage, grade;
};

TEST(GradeTonnage, TonnageAndWeightedGradeAboveEachCutoff) {
  QuarlexSettings settings;
  settings.loaded = {VariableInfo("Au"), VariableInfo("Cu")};
  settings.loaded[0].missingValue = -99.0;
  settings.loaded[1].weightingType = kWeightVolume;
  VariableInfoCalc thick("Thick");  // volume / surface
  thick.compiled = compileFormula("V#S/").block;
  settings.calculated = {thick};
  CompositeSet composites;
  for (auto [au, cu, envelope] : {std::tuple{1.0, 4.0, 1}, {3.0, 2.0, 0}, {-99.0, 1.0, -1}}) {
    CComposite& c = composites.composites.emplace_back();
    c.position = {10.0 * static_cast<double>(composites.count() - 1), 0.0, 0.0};
    c.values = {au, cu};
    c.envelopeIndex = envelope;
  }
  CPolygonSet polygons;
  using test::makePolygon;
  // The last polygon has no composite: it adds nothing.
  polygons.polygons = {makePolygon(0, 10, 2, 20, 50), makePolygon(1, 10, 1, 10, 30), makePolygon(2, 5, 1, 5, 20),
                       makePolygon(7, 10, 1, 10, 1000)};

  const Case cases[] = {
      // At cut-off 0, every polygon: Au by tonnage, the missing value as 0.
      {"Au", {}, {}, 0.0, 100.0, 140.0 / 100.0},
      {"Au", {}, {}, 2.0, 30.0, 3.0},
      // Above the highest grade: nothing, and no division by zero.
      {"Au", {}, {}, 3.5, 0.0, 0.0},
      {"Cu", {}, {}, 0.0, 100.0, 105.0 / 35.0},  // by volume
      {"Cu", {}, {}, 2.0, 80.0, 100.0 / 30.0},
      {"Thick", {}, {}, 0.0, 100.0, 150.0 / 100.0},
      {"Thick", {}, {}, 1.5, 50.0, 2.0},
      {"Au", {1}, {}, 0.0, 50.0, 1.0},
      {"Cu", {0, -1}, {}, 0.0, 50.0, 25.0 / 15.0},
      // Composites inside a figure's outline (the second only), then also in envelope 1 (none).
      {"Au", {}, {{{5, -5, 0}, {15, -5, 0}, {15, 5, 0}, {5, 5, 0}}}, 0.0, 30.0, 3.0},
      {"Au", {1}, {{{5, -5, 0}, {15, -5, 0}, {15, 5, 0}, {5, 5, 0}}}, 0.0, 0.0, 0.0},
  };
  for (const Case& c : cases) {
    const auto rows = gradeTonnage(polygons, composites, settings, settings.findVariable(c.variable), {c.cutoff},
                                   c.envelopes, c.figures);
    SCOPED_TRACE(std::string(c.variable) + " at " + std::to_string(c.cutoff));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].tonnage, c.tonnage);
    EXPECT_DOUBLE_EQ(rows[0].grade, c.grade);
    EXPECT_DOUBLE_EQ(rows[0].metal, c.tonnage * c.grade);
  }
}

TEST(GradeTonnage, CutoffStepsAndCsvText) {
  EXPECT_EQ(cutoffSteps(0.0, 0.3, 0.1).size(), 4u);  // 0.3 / 0.1 falls just short of 3
  EXPECT_EQ(cutoffSteps(1.0, 2.0, 0.25), (std::vector<double>{1.0, 1.25, 1.5, 1.75, 2.0}));
  EXPECT_TRUE(cutoffSteps(1.0, 2.0, 0.0).empty());
  EXPECT_TRUE(cutoffSteps(2.0, 1.0, 0.5).empty());
  test::LocaleGuard locale("de_DE.UTF-8");  // a decimal comma
  EXPECT_EQ(gradeTonnageCsv({{0.1 + 0.2, 1234567.5, 2.5, 3086418.75}, {4.0, 0.0, 0.0, 0.0}}),
            "cutoff,tonnage,grade,metal\n0.3,1234567.5,2.5,3086418.75\n4,0,0,0\n");
}

TEST(GradeTonnage, ChartFiles) {
  const std::vector<GradeTonnageRow> rows = {{0.0, 1000.0, 1.2, 1200.0}, {1.0, 400.0, 2.0, 800.0}, {2.0, 0, 0, 0}};
  test::TempDir dir;
  const std::string png = (dir.path() / "gt.png").string(), pdf = (dir.path() / "gt.pdf").string();
  ASSERT_EQ(writeGradeTonnageChart(rows, "Au", png), "");
  ASSERT_EQ(writeGradeTonnageChart(rows, "Au", pdf), "");
  const auto bytes = test::readBytes(png);
  ASSERT_GT(bytes.size(), 24u);
  const auto be32 = [&](std::size_t i) {
    return bytes[i] << 24 | bytes[i + 1] << 16 | bytes[i + 2] << 8 | bytes[i + 3];
  };
  EXPECT_EQ(be32(16), kChartWidth);
  EXPECT_EQ(be32(20), kChartHeight);
  EXPECT_EQ(std::system(("pdfinfo " + pdf + " > /dev/null 2>&1").c_str()), 0);
  EXPECT_NE(writeGradeTonnageChart(rows, "Au", (dir.path() / "gt.txt").string()), "");
  // Round ticks cover the range: 0 to 1234 in steps of 200 ends at 1400.
  const ChartAxis a = chartAxis(0.0, 1234.0, 6);
  EXPECT_EQ(std::tuple(a.first, a.step, a.last), std::tuple(0.0, 200.0, 1400.0));
}

}  // namespace
