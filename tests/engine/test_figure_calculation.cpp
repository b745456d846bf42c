// Calculating figures against polygons: the covered pieces, the weighting
// rules, missing values and defaults, thickness, the diluted and undiluted
// branches, the calculated variables, the spatial index against the scan,
// and the "Recalculate All Figures" command.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>

#include "datasets/color_table.h"
#include "datasets/composites.h"
#include "engine/figure_calculation.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "project/quarlex_settings.h"
#include "scripted_port.h"
#include "variables/formula_compiler.h"

using namespace qx;
using qx::test::ScriptedPort;

namespace {

std::vector<DPoint3D> rectangle(double x0, double y0, double x1, double y1, double z = 0.0) {
  return {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}};
}

// A project with polygons built directly: each polygon is a rectangle with
// its own composite, thickness and specific gravity.
struct Project {
  QuarlexSettings settings;
  CompositeSet composites;
  CPolygonSet polygons;
  FigureSet figures;

  Project() {
    settings.fixedThickness = 7.0;
    settings.wasteThickness = 2.0;
    settings.defaultSG = 2.0;
    settings.defaultWasteSG = 1.5;
  }

  VariableInfo& addVariable(const std::string& name, int weighting, double missing = -99.0, double def = 0.0) {
    VariableInfo v(name);
    v.weightingType = weighting;
    v.missingValue = missing;
    v.defaultValue = def;
    settings.loaded.push_back(v);
    return settings.loaded.back();
  }

  void addCalculated(const std::string& name, std::string_view code) {
    VariableInfoCalc v(name);
    v.formulaCode = std::string(code);
    v.compiled = compileFormula(code).block;
    ASSERT_EQ(v.compiled.status, 0) << code;
    settings.calculated.push_back(v);
  }

  // A polygon over [x0, x1] x [y0, y1] whose composite holds `values`.
  int addPolygon(double x0, double y0, double x1, double y1, double thickness, double sg, std::vector<double> values) {
    CComposite c;
    c.position = {(x0 + x1) / 2, (y0 + y1) / 2, 0.0};
    c.values = std::move(values);
    composites.composites.push_back(c);
    CPolygon p;
    p.compositeIndex = composites.count() - 1;
    p.outline = rectangle(x0, y0, x1, y1);
    p.thickness = thickness;
    p.specificGravity = sg;
    p.outlineChanged();
    polygons.polygons.push_back(p);
    return polygons.count() - 1;
  }

  int addFigure(std::vector<DPoint3D> outline, std::string name = "F") {
    Figure f;
    f.name = std::move(name);
    f.outline = std::move(outline);
    f.pointCount = static_cast<std::int32_t>(f.outline.size());
    figures.figures.push_back(f);
    return figures.count() - 1;
  }

  bool calculate(int i) { return calculateFigure(figures, i, {polygons, composites, settings}); }
  const Figure& fig(int i) const { return figures.figures[static_cast<std::size_t>(i)]; }
};

}  // namespace

TEST(FigureCalculation, IndexOutsideIsFalseAndNoPolygonsChangesNothing) {
  Project p;
  p.addFigure(rectangle(0, 0, 10, 10));
  EXPECT_FALSE(p.calculate(-1));
  EXPECT_FALSE(p.calculate(1));
  const Figure before = p.fig(0);
  EXPECT_TRUE(p.calculate(0));
  EXPECT_EQ(p.fig(0), before);  // not even the area: nothing was calculated
  EXPECT_EQ(p.fig(0).oreFraction, 100.0);
}

TEST(FigureCalculation, DilutedFigureCoveringNoPolygon) {
  Project p;
  p.addVariable("Au", kWeightTonnage, -99.0, 0.35);
  p.addVariable("Cu", kWeightSurface, -99.0, -1.0);
  p.addPolygon(100, 100, 110, 110, 3.0, 2.5, {9.0, 9.0});
  const int f = p.addFigure(rectangle(0, 0, 4, 5));
  ASSERT_TRUE(p.calculate(f));
  const Figure& r = p.fig(f);
  EXPECT_DOUBLE_EQ(r.area, 20.0);
  EXPECT_DOUBLE_EQ(r.volume, 20.0 * 2.0);  // area x thickness of waste
  EXPECT_EQ(r.oreFraction, 0.0);
  EXPECT_EQ(r.oreTonnage, 0.0);
  EXPECT_DOUBLE_EQ(r.wasteTonnage, 40.0 * 1.5);
  EXPECT_DOUBLE_EQ(r.specificGravity, 1.5);  // all waste: the waste SG
  EXPECT_EQ(r.thickness, 7.0);               // the fixed thickness
  EXPECT_EQ(r.loadedValues, (std::vector<double>{0.35, -1.0}));
  // The box was recomputed over the outline.
  EXPECT_EQ(r.minCorner, (DPoint3D{0, 0, 0}));
  EXPECT_EQ(r.maxCorner, (DPoint3D{4, 5, 0}));
}

TEST(FigureCalculation, DilutedFigureInsideOnePolygonWithRecovery) {
  Project p;
  p.addVariable("Au", kWeightTonnage);
  p.addVariable("Rec", kWeightTonnage).recoveryMark = 1;
  p.settings.recoveryMode = kRecoveryVariable;
  p.addPolygon(0, 0, 10, 10, 4.0, 2.5, {1.75, 0.8});
  const int f = p.addFigure(rectangle(2, 3, 4, 6));  // 2 x 3
  ASSERT_TRUE(p.calculate(f));
  const Figure& r = p.fig(f);
  EXPECT_DOUBLE_EQ(r.area, 6.0);
  // v = 6 x 4 x 0.8 = 19.2; t = 19.2 x 2.5 = 48; no waste.
  EXPECT_DOUBLE_EQ(r.volume, 19.2);
  EXPECT_DOUBLE_EQ(r.oreTonnage, 48.0);
  EXPECT_EQ(r.oreFraction, 1.0);
  EXPECT_EQ(r.wasteTonnage, 0.0);
  // (waste SG x 0 x 0 + fixed SG x V x 1) / (0 + V x 1): the fixed SG, not the polygon's.
  EXPECT_DOUBLE_EQ(r.specificGravity, 2.0);
  EXPECT_DOUBLE_EQ(r.loadedValues[0], 1.75);
  EXPECT_DOUBLE_EQ(r.loadedValues[1], 0.8);
}

TEST(FigureCalculation, RecoveryIsOneUnlessTheModeIsVariable) {
  Project p;
  p.addVariable("Rec", kWeightTonnage).recoveryMark = 1;
  p.settings.recoveryMode = kRecoveryFixed;
  p.settings.fixedRecovery = 0.5;  // printed by the reports only
  p.addPolygon(0, 0, 10, 10, 4.0, 2.5, {0.8});
  const int f = p.addFigure(rectangle(2, 3, 4, 6));
  ASSERT_TRUE(p.calculate(f));
  EXPECT_DOUBLE_EQ(p.fig(f).oreTonnage, 6.0 * 4.0 * 2.5);
}

// Two polygons under one figure, with different areas, thicknesses and
// specific gravities, so that every weighting gives a different average.
//   P0: [0,4] x [0,10], covered [2,4] x [2,8]  a = 12, thickness 2, SG 3 -> v = 24, t = 72
//   P1: [4,10] x [0,10], covered [4,8] x [2,8] a = 24, thickness 5, SG 2 -> v = 120, t = 240
TEST(FigureCalculation, WeightingRulesMissingValuesAndDefaults) {
  Project p;
  p.addVariable("Ton", kWeightTonnage);
  p.addVariable("Vol", kWeightVolume);
  p.addVariable("Sur", kWeightSurface);
  p.addVariable("Thk", kWeightTonnage).thicknessMark = 1;  // weighted by area all the same
  p.addVariable("SG", kWeightTonnage).sgMark = 1;          // weighted by volume
  p.addVariable("Miss", kWeightTonnage, -99.0, 5.0);
  p.settings.useFixedThickness = 0;
  p.settings.useVariableSG = 1;
  p.addPolygon(0, 0, 4, 10, 2.0, 3.0, {1.0, 1.0, 1.0, 1.0, 1.0, 4.0});
  p.addPolygon(4, 0, 10, 10, 5.0, 2.0, {7.0, 7.0, 7.0, 7.0, 7.0, -99.0});
  const int f = p.addFigure(rectangle(2, 2, 8, 8));
  ASSERT_TRUE(p.calculate(f));
  const Figure& r = p.fig(f);
  const auto& v = r.loadedValues;
  ASSERT_EQ(v.size(), 6u);
  EXPECT_DOUBLE_EQ(v[0], (72 * 1.0 + 240 * 7.0) / 312);  // tonnage
  EXPECT_DOUBLE_EQ(v[1], (24 * 1.0 + 120 * 7.0) / 144);  // volume
  EXPECT_DOUBLE_EQ(v[2], (12 * 1.0 + 24 * 7.0) / 36);    // surface
  EXPECT_DOUBLE_EQ(v[3], (12 * 1.0 + 24 * 7.0) / 36);    // thickness variable: area
  EXPECT_DOUBLE_EQ(v[4], (24 * 1.0 + 120 * 7.0) / 144);  // SG variable: volume
  // The missing value weighs 240 but adds nothing: 72 x 4 / 312, not 4.
  EXPECT_DOUBLE_EQ(v[5], 72 * 4.0 / 312);

  // Fully covered: no waste; thickness and SG are the figure's own averages.
  EXPECT_DOUBLE_EQ(r.area, 36.0);
  EXPECT_DOUBLE_EQ(r.volume, 144.0);
  EXPECT_DOUBLE_EQ(r.oreTonnage, 312.0);
  EXPECT_DOUBLE_EQ(r.thickness, v[3]);
  EXPECT_DOUBLE_EQ(r.specificGravity, v[4]);
  EXPECT_EQ(r.oreFraction, 1.0);
}

TEST(FigureCalculation, AllValuesMissingGiveZeroNotTheDefault) {
  Project p;
  p.addVariable("Au", kWeightTonnage, -99.0, 3.0);
  p.addPolygon(0, 0, 10, 10, 1.0, 1.0, {-99.0});
  const int f = p.addFigure(rectangle(1, 1, 2, 2));
  ASSERT_TRUE(p.calculate(f));
  EXPECT_EQ(p.fig(f).loadedValues[0], 0.0);  // weights are positive: no default
}

// Figure [0,10] x [0,10] (area 100); polygon [-5,4] x [-5,20] covers 40 of it
// with thickness 5 and SG 3: V = 200, T = 600. Waste W = 60 x 2 = 120,
// volume 320, f = 0.625, SG = (1.5 x 0.375 x 120 + 2 x 200 x 0.625) /
// (0.375 x 120 + 200 x 0.625) = 317.5 / 170.
TEST(FigureCalculation, DilutedPartialCoverageWasteAndSpecificGravity) {
  Project p;
  p.addPolygon(-5, -5, 4, 20, 5.0, 3.0, {});
  const int f = p.addFigure(rectangle(0, 0, 10, 10));
  ASSERT_TRUE(p.calculate(f));
  const Figure& r = p.fig(f);
  EXPECT_DOUBLE_EQ(r.volume, 320.0);
  EXPECT_DOUBLE_EQ(r.oreFraction, 0.625);
  EXPECT_DOUBLE_EQ(r.oreTonnage, 600.0);
  EXPECT_DOUBLE_EQ(r.wasteTonnage, 180.0);
  EXPECT_NEAR(r.specificGravity, 317.5 / 170.0, 1e-12);
}

TEST(FigureCalculation, WasteBelowOneHundredthCountsAsNone) {
  Project p;
  p.settings.wasteThickness = 0.001;
  p.addPolygon(-5, -5, 4, 20, 5.0, 3.0, {});
  const int f = p.addFigure(rectangle(0, 0, 10, 10));   // W = 60 x 0.001 = 0.06: kept
  const int g = p.addFigure(rectangle(0, 0, 5.1, 10));  // W = 11 x 0.001 = 0.011: kept
  const int h = p.addFigure(rectangle(0, 0, 4.9, 10));  // W = 9 x 0.001 = 0.009: none
  for (int i : {f, g, h}) ASSERT_TRUE(p.calculate(i));
  EXPECT_NEAR(p.fig(f).wasteTonnage, 0.06 * 1.5, 1e-9);
  EXPECT_NEAR(p.fig(g).wasteTonnage, 0.011 * 1.5, 1e-9);
  EXPECT_NEAR(p.fig(g).volume, 0.011 + 200.0, 1e-4);
  EXPECT_EQ(p.fig(h).wasteTonnage, 0.0);
  EXPECT_EQ(p.fig(h).oreFraction, 1.0);
  EXPECT_NEAR(p.fig(h).volume, 40.0 * 5.0, 1e-4);
}

TEST(FigureCalculation, DilutedWithNothingCoveredAndNoWasteThicknessHasZeroVolume) {
  Project p;
  p.settings.wasteThickness = 0.0;
  p.addPolygon(100, 100, 110, 110, 3.0, 2.5, {});
  const int f = p.addFigure(rectangle(0, 0, 4, 5));
  ASSERT_TRUE(p.calculate(f));
  const Figure& r = p.fig(f);
  EXPECT_EQ(r.volume, 0.0);
  EXPECT_EQ(r.oreFraction, 0.0);      // 0/0 is taken as 0
  EXPECT_EQ(r.specificGravity, 2.0);  // the fixed SG
  EXPECT_FALSE(std::isnan(r.specificGravity));
}

TEST(FigureCalculation, UndilutedUsesTheFiguresThicknessAndSpecificGravity) {
  Project p;
  p.figures.dilution = 1;
  p.addVariable("Thk", kWeightTonnage).thicknessMark = 1;
  p.addVariable("SG", kWeightTonnage).sgMark = 1;
  p.addPolygon(0, 0, 10, 10, 4.0, 2.5, {3.0, 2.8});
  const int f = p.addFigure(rectangle(8, 8, 14, 12));  // area 24, only 4 covered
  // Fixed thickness and fixed SG first.
  p.settings.useFixedThickness = 1;
  ASSERT_TRUE(p.calculate(f));
  EXPECT_DOUBLE_EQ(p.fig(f).volume, 24.0 * 7.0);
  EXPECT_EQ(p.fig(f).oreFraction, 1.0);
  EXPECT_EQ(p.fig(f).specificGravity, 2.0);
  EXPECT_DOUBLE_EQ(p.fig(f).oreTonnage, 24.0 * 7.0 * 2.0);
  EXPECT_EQ(p.fig(f).wasteTonnage, 0.0);
  // Then both from the variables (the figure's own averages).
  p.settings.useFixedThickness = 0;
  p.settings.useVariableSG = 1;
  ASSERT_TRUE(p.calculate(f));
  EXPECT_DOUBLE_EQ(p.fig(f).thickness, 3.0);
  EXPECT_DOUBLE_EQ(p.fig(f).volume, 72.0);
  EXPECT_DOUBLE_EQ(p.fig(f).specificGravity, 2.8);
  EXPECT_DOUBLE_EQ(p.fig(f).oreTonnage, 72.0 * 2.8);
  // A negative thickness gives no volume.
  p.settings.loaded[0].defaultValue = -2.0;
  p.figures.figures[static_cast<std::size_t>(f)].outline = rectangle(20, 20, 22, 22);
  ASSERT_TRUE(p.calculate(f));
  EXPECT_EQ(p.fig(f).thickness, -2.0);
  EXPECT_EQ(p.fig(f).volume, 0.0);
}

TEST(FigureCalculation, CalculatedVariablesSeeSurfaceVolumeTonnageAndEachOther) {
  Project p;
  p.addVariable("Au", kWeightTonnage);
  p.addCalculated("S1000", "S#1000*");  // b: 1000 x surface
  p.addCalculated("Vol", "V#");         // c: volume
  p.addCalculated("Ton", "T#");         // d: ore tonnage
  p.addCalculated("Sum", "a#b+");       // e: Au + the first calculated value
  p.addPolygon(0, 0, 10, 10, 4.0, 2.5, {1.5});
  const int f = p.addFigure(rectangle(8, 8, 12, 12));  // area 16, 4 covered
  ASSERT_TRUE(p.calculate(f));
  const Figure& r = p.fig(f);
  // V = 16, T = 40, W = 12 x 2 = 24, volume 40.
  ASSERT_EQ(r.calculatedValues.size(), 4u);
  EXPECT_DOUBLE_EQ(r.calculatedValues[0], 16000.0);
  EXPECT_DOUBLE_EQ(r.calculatedValues[1], 40.0);
  EXPECT_DOUBLE_EQ(r.calculatedValues[2], 40.0);
  EXPECT_DOUBLE_EQ(r.calculatedValues[3], 16001.5);
}

TEST(FigureCalculation, CalculatedThicknessIsThePreviousCalculationsValue) {
  Project p;
  p.figures.dilution = 1;
  p.addCalculated("Thk", "S#");  // the figure's area
  p.settings.calculated[0].thicknessMark = 1;
  p.settings.useFixedThickness = 0;
  p.addPolygon(0, 0, 10, 10, 4.0, 2.5, {});
  const int f = p.addFigure(rectangle(1, 1, 3, 4));  // area 6
  p.figures.figures[0].calculatedValues = {0.5};
  ASSERT_TRUE(p.calculate(f));
  EXPECT_EQ(p.fig(f).thickness, 0.5);  // the value held before this calculation
  EXPECT_DOUBLE_EQ(p.fig(f).volume, 3.0);
  EXPECT_DOUBLE_EQ(p.fig(f).calculatedValues[0], 6.0);
  ASSERT_TRUE(p.calculate(f));
  EXPECT_EQ(p.fig(f).thickness, 6.0);
  EXPECT_DOUBLE_EQ(p.fig(f).volume, 36.0);
}

TEST(FigureCalculation, PolygonWithoutCompositeIsSkipped) {
  Project p;
  p.addPolygon(0, 0, 10, 10, 4.0, 2.5, {});
  p.polygons.polygons[0].compositeIndex = 5;
  const int f = p.addFigure(rectangle(1, 1, 3, 4));
  ASSERT_TRUE(p.calculate(f));
  EXPECT_EQ(p.fig(f).oreTonnage, 0.0);
  EXPECT_EQ(p.fig(f).oreFraction, 0.0);
}

// Far from the origin a float keeps about half a unit of a coordinate: the
// intersection is worked around the figure's centre, so results there equal
// those near the origin.
TEST(FigureCalculation, FarFromTheOriginTheResultsKeepTheirPrecision) {
  Project near, far;
  const double ox = 6123456.0, oy = 4987654.0;
  near.addPolygon(0, 0, 10.3, 10.7, 4.0, 2.5, {});
  near.addPolygon(10.3, 0, 20.9, 10.7, 3.0, 2.0, {});
  far.addPolygon(ox, oy, ox + 10.3, oy + 10.7, 4.0, 2.5, {});
  far.addPolygon(ox + 10.3, oy, ox + 20.9, oy + 10.7, 3.0, 2.0, {});
  near.addFigure(rectangle(2.15, 1.35, 14.45, 9.65));
  far.addFigure(rectangle(ox + 2.15, oy + 1.35, ox + 14.45, oy + 9.65));
  ASSERT_TRUE(near.calculate(0));
  ASSERT_TRUE(far.calculate(0));
  // Hand values: covered 8.15 x 8.3 at 4 x 2.5 and 4.15 x 8.3 at 3 x 2.
  const double t = 8.15 * 8.3 * 10.0 + 4.15 * 8.3 * 6.0;
  EXPECT_NEAR(near.fig(0).oreTonnage, t, t * 1e-5);
  EXPECT_NEAR(far.fig(0).oreTonnage, t, t * 1e-5);
  EXPECT_NEAR(far.fig(0).oreFraction, 1.0, 1e-6);
}

TEST(FigureCalculation, CandidatesOverlapOnTheHighSideButNotTheLow) {
  Project p;
  p.addPolygon(10, 0, 20, 10, 1, 1, {});   // p.min X == f.max X: taken
  p.addPolygon(-10, 0, 0, 10, 1, 1, {});   // p.max X == f.min X: not taken
  p.addPolygon(0, 10, 10, 20, 1, 1, {});   // p.min Y == f.max Y: taken
  p.addPolygon(0, -10, 10, 0, 1, 1, {});   // p.max Y == f.min Y: not taken
  p.addPolygon(2, 2, 3, 3, 1, 1, {});      // inside
  p.addPolygon(30, 30, 40, 40, 1, 1, {});  // apart
  p.polygons.polygons.emplace_back();      // no outline
  const PolygonIndex index(p.polygons);
  std::vector<int> tree, scan, plain;
  const DPoint3D lo{0, 0, 0}, hi{10, 10, 0};
  index.overlapping(lo, hi, tree);
  index.overlappingByScan(lo, hi, scan);
  PolygonIndex::scan(p.polygons, lo, hi, plain);
  EXPECT_EQ(tree, (std::vector<int>{0, 2, 4}));
  EXPECT_EQ(scan, tree);
  EXPECT_EQ(plain, tree);
}

// The R-tree path equals the scan of every polygon bit for bit: random
// overlapping polygons (so candidate order matters for the sums) and random
// figures, some far out, some degenerate.
TEST(FigureCalculation, SpatialIndexEqualsFullScanBitForBit) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> pos(0.0, 500.0), size(1.0, 40.0), val(0.0, 10.0), thick(0.5, 6.0);
  for (int dilution : {0, 1}) {
    Project p;
    p.figures.dilution = dilution;
    p.addVariable("Ton", kWeightTonnage, 5.0);
    p.addVariable("Vol", kWeightVolume);
    p.addVariable("Sur", kWeightSurface);
    p.addCalculated("X", "a#b*");
    for (int i = 0; i < 400; ++i) {
      const double x = pos(rng), y = pos(rng);
      std::vector<double> v{val(rng), val(rng), val(rng)};
      if (i % 7 == 0) v[0] = 5.0;  // missing
      p.addPolygon(x, y, x + size(rng), y + size(rng), thick(rng), 1.0 + val(rng) / 5, v);
      if (i % 5 == 0) {  // a triangle instead
        auto& o = p.polygons.polygons.back();
        o.outline.pop_back();
        o.outlineChanged();
      }
    }
    for (int i = 0; i < 150; ++i) {
      const double x = pos(rng), y = pos(rng), w = size(rng) * 2, h = size(rng) * 2;
      std::vector<DPoint3D> o{
          {x, y, 0}, {x + w, y + h * 0.2, 0}, {x + w * 0.8, y + h, 0}, {x - w * 0.1, y + h * 0.7, 0}};
      if (i % 10 == 3) o.resize(2);  // degenerate
      p.addFigure(o, "F" + std::to_string(i));
    }
    FigureSet scanned = p.figures;
    for (int i = 0; i < scanned.count(); ++i)
      ASSERT_TRUE(calculateFigure(scanned, i, {p.polygons, p.composites, p.settings, nullptr}));
    for (const int threads : {1, 3}) {
      FigureSet indexed = p.figures;
      ASSERT_TRUE(calculateAllFigures(indexed, p.polygons, p.composites, p.settings, threads));
      int covered = 0;
      for (int i = 0; i < scanned.count(); ++i) {
        const Figure& a = scanned.figures[static_cast<std::size_t>(i)];
        const Figure& b = indexed.figures[static_cast<std::size_t>(i)];
        EXPECT_EQ(a, b) << "figure " << i;  // operator== compares every double exactly
        EXPECT_EQ(std::memcmp(&a.oreTonnage, &b.oreTonnage, sizeof(double)), 0);
        if (a.oreTonnage > 0) ++covered;
      }
      EXPECT_GT(covered, 50);  // the data exercise the sums
    }
  }
}

TEST(FigureCalculation, RecalculateAllAsksFirstAndNeedsPolygons) {
  Project p;
  p.addFigure(rectangle(0, 0, 4, 5));
  {
    ScriptedPort port;
    const FigureSet before = p.figures;
    EXPECT_FALSE(recalculateAllFigures(port, p.figures, p.polygons, p.composites, p.settings));
    ASSERT_EQ(port.messages().size(), 1u);
    EXPECT_EQ(port.messages()[0], "There are no polygons present, figures cannot be calculated");
    EXPECT_EQ(p.figures, before);
  }
  p.addPolygon(0, 0, 10, 10, 4.0, 2.5, {});
  {
    ScriptedPort port;
    port.answerMessage(MessageAnswer::Cancel);
    const FigureSet before = p.figures;
    EXPECT_FALSE(recalculateAllFigures(port, p.figures, p.polygons, p.composites, p.settings));
    ASSERT_EQ(port.messages().size(), 1u);
    EXPECT_EQ(port.messages()[0],
              "This operation will recalculate the values of all the figures\nClick OK to proceed, Cancel to abandon");
    EXPECT_EQ(p.figures, before);
  }
  {
    ScriptedPort port;
    port.answerMessage(MessageAnswer::Ok);
    EXPECT_TRUE(recalculateAllFigures(port, p.figures, p.polygons, p.composites, p.settings));
    EXPECT_DOUBLE_EQ(p.fig(0).oreTonnage, 20.0 * 4.0 * 2.5);
    EXPECT_TRUE(port.allAnswersUsed());
  }
}

TEST(FigureCalculation, VariableEditsInsertDefaultsAndTheNextCalculationRealigns) {
  Project p;
  p.addVariable("Au", kWeightTonnage);
  p.addVariable("Ag", kWeightTonnage);
  p.addCalculated("X", "a#");
  p.addPolygon(0, 0, 10, 10, 1.0, 1.0, {2.0, 3.0});
  p.addFigure(rectangle(1, 1, 2, 2));
  p.figures.figures[0].loadedValues = {1.0, 2.0};
  p.figures.figures[0].calculatedValues = {9.0};

  FigureValueSink loaded(p.figures, VariableKind::Loaded, 2);
  EXPECT_FALSE(loaded.realignsOnRemoval());
  loaded.insertValue(1, 0.5);
  EXPECT_EQ(p.fig(0).loadedValues, (std::vector<double>{1.0, 0.5, 2.0}));
  FigureValueSink calculated(p.figures, VariableKind::Calculated, 3);
  calculated.insertValue(3, 7.0);  // the first calculated variable's place
  EXPECT_EQ(p.fig(0).calculatedValues, (std::vector<double>{7.0, 9.0}));
  calculated.removeValue(4);
  EXPECT_EQ(p.fig(0).calculatedValues, (std::vector<double>{7.0}));

  // A deleted loaded variable (Ag) stays in the figure until it is calculated.
  p.settings.loaded.pop_back();
  p.composites.composites[0].values = {2.0};
  ASSERT_TRUE(p.calculate(0));
  EXPECT_EQ(p.fig(0).loadedValues, (std::vector<double>{2.0}));
  EXPECT_EQ(p.fig(0).calculatedValues, (std::vector<double>{2.0}));
}

TEST(FigureCalculation, ColoursFromTheBinsOfLoadedAndCalculatedValues) {
  Project p;
  p.addVariable("Au", kWeightTonnage);
  p.addCalculated("Grade", "a#");
  CColorTable colours;
  colours.currentTable = 2;
  colours.bin(2, 4) = ColorBin{"Au", "", 1.0, 2.0, 0};
  colours.bin(2, 9) = ColorBin{"Grade", "", 10.0, 20.0, 0};  // higher bins win
  for (int i = 0; i < 4; ++i) p.addFigure(rectangle(0, 0, 1, 1), "F" + std::to_string(i));
  p.figures.figures[0].loadedValues = {1.0};  // low end: inside
  p.figures.figures[1].loadedValues = {2.0};  // high end: outside
  p.figures.figures[2].loadedValues = {1.5};
  p.figures.figures[2].calculatedValues = {15.0};
  p.figures.figures[3].loadedValues = {};  // nothing to bin
  p.figures.updateColours(colours, p.settings);
  EXPECT_EQ(p.fig(0).colour, 4);
  EXPECT_EQ(p.fig(1).colour, CColorTable::kUnbinned);
  EXPECT_EQ(p.fig(2).colour, 9);
  EXPECT_EQ(p.fig(3).colour, CColorTable::kUnbinned);
}

TEST(FigureCalculation, ACancelledOrFailingRecalculationLeavesTheFiguresAsTheyWere) {
  Project p;
  p.addVariable("Au", kWeightTonnage);
  for (int i = 0; i < 10; ++i) p.addPolygon(10.0 * i, 0, 10.0 * i + 10, 10, 2.0, 2.5, {1.0 + i});
  for (int i = 0; i < 8; ++i) p.addFigure(rectangle(12.0 * i + 1, 1, 12.0 * i + 9, 9));
  const FigureSet before = p.figures;
  for (const int threads : {1, 3}) {
    std::atomic<bool> cancel{true};
    int reports = 0;
    FigureRunOptions options{.threads = threads, .cancel = &cancel, .progress = [&](int, int) { ++reports; }};
    EXPECT_FALSE(calculateAllFigures(p.figures, p.polygons, p.composites, p.settings, options));
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(p.figures, before);

    cancel = false;
    options.progress = [&](int, int) {
      ++reports;
      cancel = true;
    };
    EXPECT_FALSE(calculateAllFigures(p.figures, p.polygons, p.composites, p.settings, options));
    if (threads == 1) EXPECT_EQ(reports, 1) << "no figure after the cancel";
    EXPECT_EQ(p.figures, before);

    options.cancel = nullptr;
    options.progress = [](int done, int) {
      if (done == 2) throw std::runtime_error("progress");
    };
    EXPECT_THROW(calculateAllFigures(p.figures, p.polygons, p.composites, p.settings, options), std::runtime_error);
    EXPECT_EQ(p.figures, before);
  }
  EXPECT_TRUE(calculateAllFigures(p.figures, p.polygons, p.composites, p.settings, 3));
  EXPECT_DOUBLE_EQ(p.fig(0).oreTonnage, 8 * 8 * 2.0 * 2.5);
}
