// Calculating figures against polygons: covered pieces, weighting, defaults,
// dilution, calculated variables and the spatial index against the scan.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "datasets/color_table.h"
#include "datasets/composites.h"
#include "engine/figure_calculation.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "project/quarlex_settings.h"
#include "support/result_records.h"
#include "variables/formula_compiler.h"

using namespace qx;
using qx::test::rectangle;

namespace {

// Each polygon is a rectangle with its own composite, thickness and SG.
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
    VariableInfo& v = settings.loaded.emplace_back(name);
    std::tie(v.weightingType, v.missingValue, v.defaultValue) = std::tuple(weighting, missing, def);
    return v;
  }
  VariableInfoCalc& addCalculated(const std::string& name, std::string_view code) {
    VariableInfoCalc& v = settings.calculated.emplace_back(name);
    v.formulaCode = std::string(code);
    v.compiled = compileFormula(code).block;
    return v;
  }
  void addPolygon(double x0, double y0, double x1, double y1, double thickness, double sg,
                  std::vector<double> values = {}) {
    CComposite& c = composites.composites.emplace_back();
    c.position = {(x0 + x1) / 2, (y0 + y1) / 2, 0.0};
    c.values = std::move(values);
    CPolygon& p = polygons.polygons.emplace_back(
        qx::test::makePolygon(composites.count() - 1, 0, thickness, 0, 0, rectangle(x0, y0, x1, y1)));
    p.specificGravity = sg;
    p.outlineChanged();
  }
  int addFigure(std::vector<DPoint3D> outline) {
    Figure& f = figures.figures.emplace_back();
    f.outline = std::move(outline);
    f.pointCount = static_cast<std::int32_t>(f.outline.size());
    return figures.count() - 1;
  }
  bool calculate(int i) { return calculateFigure(figures, i, {polygons, composites, settings}); }
  const Figure& calculated(std::vector<DPoint3D> outline) {
    const int i = addFigure(std::move(outline));
    EXPECT_TRUE(calculate(i));
    return fig(i);
  }
  const Figure& fig(int i) const { return figures.figures[static_cast<std::size_t>(i)]; }
};

}  // namespace

TEST(FigureCalculation, DilutedVolumeWasteAndSpecificGravity) {
  // The polygon [-5,4] x [-5,20] (thickness 5, SG 3) or one far away; fixed
  // SG 2, waste SG 1.5. Over [0,10] x [0,10] with waste thickness 2: ore 40 x
  // 5 = 200 (tonnage 600), waste 60 x 2 = 120, volume 320, fraction 0.625,
  // SG (1.5 x 0.375 x 120 + 2 x 200 x 0.625) / (0.375 x 120 + 200 x 0.625).
  // Waste volumes below 0.01 count as none; with nothing covered and no
  // waste the volume is 0 and 0/0 is taken as 0. A polygon whose composite
  // is not in the set covers nothing.
  enum Polygon { kNear, kFar, kNoComposite };
  struct Case {
    double wasteThickness, figureX1;
    Polygon polygon;
    double volume, fraction, oreTonnage, wasteTonnage, sg;
  };
  const Case cases[] = {
      {2.0, 10.0, kNear, 320.0, 0.625, 600.0, 180.0, 317.5 / 170.0},
      {0.001, 10.0, kNear, 200.06, 200.0 / 200.06, 600.0, 0.09, 0.0},  // 60 x 0.001 = 0.06: kept
      {0.001, 5.1, kNear, 200.011, 200.0 / 200.011, 600.0, 0.0165, 0.0},
      {0.001, 4.9, kNear, 200.0, 1.0, 600.0, 0.0, 2.0},  // 9 x 0.001 = 0.009: none
      {2.0, 4.0, kFar, 80.0, 0.0, 0.0, 120.0, 1.5},      // all waste: the waste SG
      {0.0, 4.0, kFar, 0.0, 0.0, 0.0, 0.0, 2.0},         // nothing at all: the fixed SG
      {2.0, 4.0, kNoComposite, 80.0, 0.0, 0.0, 120.0, 1.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    Project p;
    p.settings.wasteThickness = c.wasteThickness;
    p.addVariable("Au", kWeightTonnage, -99.0, 0.35);
    p.addVariable("Cu", kWeightSurface, -99.0, -1.0);
    if (c.polygon == kFar)
      p.addPolygon(100, 100, 110, 110, 3.0, 2.5, {9.0, 9.0});
    else
      p.addPolygon(-5, -5, 4, 20, 5.0, 3.0, {});
    if (c.polygon == kNoComposite) p.polygons.polygons[0].compositeIndex = 5;
    const Figure& r = p.calculated(rectangle(0, 0, c.figureX1, 10));
    // The covered area comes from float outlines: exact here only for x1 = 10.
    EXPECT_NEAR(r.volume, c.volume, 1e-4);
    EXPECT_NEAR(r.oreFraction, c.fraction, 1e-7);
    EXPECT_NEAR(r.oreTonnage, c.oreTonnage, 1e-4);
    EXPECT_NEAR(r.wasteTonnage, c.wasteTonnage, 1e-9);
    EXPECT_TRUE(c.sg == 0.0 || std::abs(r.specificGravity - c.sg) < 1e-12) << r.specificGravity;
    EXPECT_EQ(r.thickness, 7.0) << "the fixed thickness";
    EXPECT_TRUE(c.polygon == kNear || r.loadedValues == std::vector<double>({0.35, -1.0})) << "the defaults";
    EXPECT_EQ(r.maxCorner, (DPoint3D{c.figureX1, 10, 0})) << "the box is recomputed over the outline";
  }
}

TEST(FigureCalculation, RecoveryCountsOnlyWhenTheModeIsVariable) {
  for (const int mode : {kRecoveryVariable, kRecoveryFixed}) {
    Project p;
    p.addVariable("Au", kWeightTonnage);
    p.addVariable("Rec", kWeightTonnage).recoveryMark = 1;
    p.settings.recoveryMode = mode;
    p.settings.fixedRecovery = 0.5;  // printed by the reports only
    p.addPolygon(0, 0, 10, 10, 4.0, 2.5, {1.75, 0.8});
    const Figure& r = p.calculated(rectangle(2, 3, 4, 6));  // 2 x 3
    // v = 6 x 4 x 0.8 = 19.2, t = 48; fully covered: no waste.
    const double recovery = mode == kRecoveryVariable ? 0.8 : 1.0;
    EXPECT_DOUBLE_EQ(r.volume, 24.0 * recovery);
    EXPECT_DOUBLE_EQ(r.oreTonnage, 60.0 * recovery);
    EXPECT_DOUBLE_EQ(r.specificGravity, 2.0) << "the fixed SG, not the polygon's";
  }
}

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
  p.addVariable("None", kWeightTonnage, -99.0, 3.0);
  p.settings.useFixedThickness = 0;
  p.settings.useVariableSG = 1;
  p.addPolygon(0, 0, 4, 10, 2.0, 3.0, {1.0, 1.0, 1.0, 1.0, 1.0, 4.0, -99.0});
  p.addPolygon(4, 0, 10, 10, 5.0, 2.0, {7.0, 7.0, 7.0, 7.0, 7.0, -99.0, -99.0});
  const Figure& r = p.calculated(rectangle(2, 2, 8, 8));
  const auto& v = r.loadedValues;
  ASSERT_EQ(v.size(), 7u);
  EXPECT_DOUBLE_EQ(v[0], (72 * 1.0 + 240 * 7.0) / 312);  // tonnage
  EXPECT_DOUBLE_EQ(v[1], (24 * 1.0 + 120 * 7.0) / 144);  // volume
  EXPECT_DOUBLE_EQ(v[2], (12 * 1.0 + 24 * 7.0) / 36);    // surface
  EXPECT_DOUBLE_EQ(v[3], (12 * 1.0 + 24 * 7.0) / 36);    // thickness variable: area
  EXPECT_DOUBLE_EQ(v[4], (24 * 1.0 + 120 * 7.0) / 144);  // SG variable: volume
  // A missing value weighs 240 but adds nothing: 72 x 4 / 312, not 4; all
  // missing gives 0, not the default (the weights are positive).
  EXPECT_DOUBLE_EQ(v[5], 72 * 4.0 / 312);
  EXPECT_EQ(v[6], 0.0);
  // Fully covered: no waste; thickness and SG are the figure's own averages.
  EXPECT_DOUBLE_EQ(r.area, 36.0);
  EXPECT_DOUBLE_EQ(r.volume, 144.0);
  EXPECT_DOUBLE_EQ(r.oreTonnage, 312.0);
  EXPECT_DOUBLE_EQ(r.thickness, v[3]);
  EXPECT_DOUBLE_EQ(r.specificGravity, v[4]);
}

TEST(FigureCalculation, UndilutedUsesTheFiguresThicknessAndSpecificGravity) {
  Project p;
  p.figures.dilution = 1;
  p.addVariable("Thk", kWeightTonnage).thicknessMark = 1;
  p.addVariable("SG", kWeightTonnage).sgMark = 1;
  p.addPolygon(0, 0, 10, 10, 4.0, 2.5, {3.0, 2.8});
  const int f = p.addFigure(rectangle(8, 8, 14, 12));  // area 24, only 4 covered
  // Fixed thickness 7 and fixed SG 2 first, then both from the variables.
  for (const bool fixed : {true, false}) {
    p.settings.useFixedThickness = fixed ? 1 : 0;
    p.settings.useVariableSG = fixed ? 0 : 1;
    ASSERT_TRUE(p.calculate(f));
    const Figure& r = p.fig(f);
    const double t = fixed ? 7.0 : 3.0, sg = fixed ? 2.0 : 2.8;
    EXPECT_EQ(
        (std::vector<double>{r.thickness, r.volume, r.oreFraction, r.specificGravity, r.oreTonnage, r.wasteTonnage}),
        (std::vector<double>{t, 24.0 * t, 1.0, sg, 24.0 * t * sg, 0.0}));
  }
}

TEST(FigureCalculation, CalculatedVariablesSeeSurfaceVolumeTonnageAndEachOther) {
  Project p;
  p.addVariable("Au", kWeightTonnage);
  p.addCalculated("S1000", "S#1000*");  // b: 1000 x surface
  p.addCalculated("Vol", "V#");         // c: volume
  p.addCalculated("Ton", "T#");         // d: ore tonnage
  p.addCalculated("Sum", "a#b+");       // e: Au + the first calculated value
  p.addPolygon(0, 0, 10, 10, 4.0, 2.5, {1.5});
  // Area 16, 4 covered: V = 16, T = 40, W = 12 x 2 = 24, volume 40.
  const Figure& r = p.calculated(rectangle(8, 8, 12, 12));
  EXPECT_EQ(r.calculatedValues, (std::vector<double>{16000.0, 40.0, 40.0, 16001.5}));
}

// Far out a float keeps about half a unit: results must equal those near the origin.
TEST(FigureCalculation, FarFromTheOriginTheResultsKeepTheirPrecision) {
  // Hand values: covered 8.15 x 8.3 at 4 x 2.5 and 4.15 x 8.3 at 3 x 2.
  const double t = 8.15 * 8.3 * 10.0 + 4.15 * 8.3 * 6.0;
  for (const auto& [ox, oy] : {std::pair{0.0, 0.0}, std::pair{6123456.0, 4987654.0}}) {
    Project p;
    p.addPolygon(ox, oy, ox + 10.3, oy + 10.7, 4.0, 2.5);
    p.addPolygon(ox + 10.3, oy, ox + 20.9, oy + 10.7, 3.0, 2.0);
    const Figure& r = p.calculated(rectangle(ox + 2.15, oy + 1.35, ox + 14.45, oy + 9.65));
    EXPECT_NEAR(r.oreTonnage, t, t * 1e-5) << ox;
    EXPECT_NEAR(r.oreFraction, 1.0, 1e-6) << ox;
  }
}

// The R-tree path on one thread or several equals the scan of every polygon
// bit for bit: random overlapping polygons (so candidate order matters for
// the sums) and random figures, some far out, some degenerate.
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
    }
    for (int i = 0; i < 150; ++i) {
      const double x = pos(rng), y = pos(rng), w = size(rng) * 2, h = size(rng) * 2;
      std::vector<DPoint3D> o{
          {x, y, 0}, {x + w, y + h * 0.2, 0}, {x + w * 0.8, y + h, 0}, {x - w * 0.1, y + h * 0.7, 0}};
      if (i % 10 == 3) o.resize(2);  // degenerate
      p.addFigure(o);
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
        EXPECT_EQ(a, indexed.figures[static_cast<std::size_t>(i)]) << "figure " << i;  // every double exactly
        covered += a.oreTonnage > 0 ? 1 : 0;
      }
      EXPECT_GT(covered, 50);  // the data exercise the sums
    }
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

// The bin rules are the classifier's (its own tests); here the values' places.
TEST(FigureCalculation, ColoursFromTheBinsOfLoadedAndCalculatedValues) {
  Project p;
  p.addVariable("Au", kWeightTonnage);
  p.addCalculated("Grade", "a#");
  CColorTable colours;
  colours.currentTable = 2;
  colours.bin(2, 4) = ColorBin{"Au", "", 1.0, 2.0, 0};
  colours.bin(2, 9) = ColorBin{"Grade", "", 10.0, 20.0, 0};
  // No loaded value stored yet: the calculated one still stands at its place.
  for (const auto& [loaded, calculated] :
       {std::pair(std::vector{1.5}, std::vector{0.0}), std::pair(std::vector<double>{}, std::vector{15.0})}) {
    p.addFigure(rectangle(0, 0, 1, 1));
    p.figures.figures.back().loadedValues = loaded;
    p.figures.figures.back().calculatedValues = calculated;
  }
  p.figures.updateColours(colours, p.settings);
  EXPECT_EQ(std::pair(p.fig(0).colour, p.fig(1).colour), std::pair(4, 9));
}
