// Generating the polygon set: bands, the influence polygon, the clipping to
// envelopes, the calculation of each polygon and the parallel run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

#include "engine/parallel.h"
#include "engine/polygons.h"

using namespace qx;

namespace {

struct Project {
  CompositeSet composites;
  QuarlexSettings settings;
  EnvelopeSet envelopes;

  Project() {
    settings.loaded = {VariableInfo("Au"), VariableInfo("Thick"), VariableInfo("SG")};
    composites.setVariableCounts(3, 0);
    settings.useFixedThickness = 1;
    settings.fixedThickness = 2.0;
    settings.defaultSG = 2.5;
    settings.sidesPerPolygon = 50;
    settings.defaultPolygonSize = 100.0;
  }
  void add(double x, double y, double z = 0.0, std::vector<double> values = {1.0, 3.0, 2.7}) {
    CComposite c;
    c.name = "C" + std::to_string(composites.count());
    c.position = {x, y, z};
    c.values = std::move(values);
    composites.composites.push_back(c);
  }
  void addEnvelope(std::vector<DPoint3D> contour, bool clip = true) {
    Envelope e;
    e.name = "E" + std::to_string(envelopes.count());
    e.contours.push_back(std::move(contour));
    e.contourCount = 1;
    e.clipPolygons = clip ? 1 : 0;
    e.recomputeBoundingBox();
    envelopes.envelopes.push_back(e);
  }
  CPolygonSet generate(int threads = 0) {
    GenerateOptions options;
    options.threads = threads;
    return generate(options);
  }
  CPolygonSet generate(const GenerateOptions& options) {
    CPolygonSet set;
    set.generate(composites, settings, envelopes, {}, options);
    return set;
  }
};

double sumAreas(const CPolygonSet& set) {
  double a = 0.0;
  for (const auto& p : set.polygons) a += p.area;
  return a;
}

}  // namespace

TEST(PolygonGeneration, NoCompositesGivesZeroAndAnEmptySet) {
  Project p;
  CPolygonSet set;
  set.polygons.resize(3);
  EXPECT_EQ(set.generate(p.composites, p.settings, p.envelopes), 0);
  EXPECT_EQ(set.count(), 3) << "nothing happens without composites";
}

TEST(PolygonGeneration, TheSquareInfluencePolygonBoundsALoneComposite) {
  // r = 10, s = 4, rho = 0: the square with corners at (+-10, +-10).
  Project p;
  p.settings.sidesPerPolygon = 4;
  p.settings.defaultPolygonSize = 10.0;
  p.settings.firstVertexAngle = 0.0;
  p.add(1000.0, 2000.0, 55.0);
  p.add(1000.0, 2100.0, 55.0);  // far enough not to cut the square
  const CPolygonSet set = p.generate();
  ASSERT_EQ(set.count(), 2);
  const CPolygon& poly = set.polygons[0];
  EXPECT_EQ(poly.compositeIndex, 0);
  EXPECT_EQ(poly.name, "poly00000");
  EXPECT_NEAR(poly.area, 400.0, 1e-3);
  EXPECT_NEAR(poly.minCorner.x, 990.0, 1e-4);
  EXPECT_NEAR(poly.maxCorner.x, 1010.0, 1e-4);
  EXPECT_NEAR(poly.minCorner.y, 1990.0, 1e-4);
  EXPECT_NEAR(poly.maxCorner.y, 2010.0, 1e-4);
  for (const auto& v : poly.outline) {
    EXPECT_NEAR(std::abs(v.x - 1000.0), 10.0, 1e-4);
    EXPECT_NEAR(std::abs(v.y - 2000.0), 10.0, 1e-4);
    EXPECT_EQ(v.z, 55.0) << "outline points take the cell's Z";
  }
  for (const auto& v : poly.cell) EXPECT_EQ(v.z, 55.0);
  EXPECT_DOUBLE_EQ(poly.volume, poly.area * 2.0);
  EXPECT_DOUBLE_EQ(poly.tonnage, poly.volume * 2.5);
}

TEST(PolygonGeneration, AGridWithAMatchingSquareGivesEveryPolygonTheGridCell) {
  // Composites at the centres of 2000 x 2000 cells, sharing X in columns and
  // Y in rows, with the square influence polygon of the cell: every polygon
  // is the cell, whatever the band it was built in (600 composites: two
  // bands). The shear of 1e-6 per point index moves the cell edges by up to
  // a few 1e-4, which is what keeps the areas from being exact.
  Project p;
  p.settings.sidesPerPolygon = 4;
  p.settings.defaultPolygonSize = 1000.0;
  for (int j = 0; j < 20; ++j)
    for (int i = 0; i < 30; ++i) p.add(500000.0 + 1000.0 + 2000.0 * i, 7000000.0 + 1000.0 + 2000.0 * j);
  const CPolygonSet set = p.generate();
  ASSERT_GE(set.count(), 600);
  std::vector<int> seen(600, 0);
  for (const auto& poly : set.polygons) {
    EXPECT_NEAR(poly.area, 4e6, 4e6 * 1e-6) << poly.name;
    ++seen[static_cast<std::size_t>(poly.compositeIndex)];
  }
  for (int i = 0; i < 600; ++i) EXPECT_GE(seen[static_cast<std::size_t>(i)], 1) << "composite " << i;
}

TEST(PolygonGeneration, PolygonsClippedByOneEnvelopeSumToItsArea) {
  // An L-shaped (concave) envelope along the cell edges of the grid: the
  // composites inside it own exactly the cells that tile it.
  Project p;
  p.settings.defaultPolygonSize = 5000.0;  // the influence polygon cuts nothing
  for (int j = 0; j < 12; ++j)
    for (int i = 0; i < 12; ++i) p.add(500.0 + 1000.0 * i, 500.0 + 1000.0 * j);
  p.addEnvelope(
      {{2000, 2000, 0}, {9000, 2000, 0}, {9000, 5000, 0}, {5000, 5000, 0}, {5000, 10000, 0}, {2000, 10000, 0}});
  const CPolygonSet set = p.generate();
  const double lArea = 7000.0 * 3000.0 + 3000.0 * 5000.0;
  double inside = 0.0;
  int clipped = 0;
  for (const auto& poly : set.polygons) {
    if (poly.outline.empty()) continue;
    ++clipped;
    inside += poly.area;
  }
  EXPECT_EQ(clipped, 7 * 3 + 3 * 5);
  EXPECT_NEAR(inside, lArea, lArea * 1e-6);
}

TEST(PolygonGeneration, ACompositeOutsideEveryClippingEnvelopeKeepsItsAreaButNoOutline) {
  Project p;
  p.settings.sidesPerPolygon = 4;
  p.settings.defaultPolygonSize = 10.0;
  p.add(0.0, 0.0);
  p.add(100.0, 0.0);
  p.addEnvelope({{90, -50, 0}, {150, -50, 0}, {150, 50, 0}, {90, 50, 0}});
  const CPolygonSet set = p.generate();
  ASSERT_EQ(set.count(), 2);
  EXPECT_TRUE(set.polygons[0].outline.empty());
  EXPECT_NEAR(set.polygons[0].area, 400.0, 1e-3) << "the area of the influence-clipped cell stays";
  EXPECT_GT(set.polygons[0].tonnage, 0.0);
  EXPECT_FALSE(set.polygons[1].outline.empty());
  EXPECT_NEAR(set.polygons[1].area, 400.0, 1e-3);
  EXPECT_FALSE(set.polygons[0].minCorner.x < set.polygons[0].maxCorner.x) << "an empty outline has no box";
}

TEST(PolygonGeneration, AnEnvelopeThatDoesNotClipEmptiesTheOutlinesOfItsComposites) {
  Project p;
  p.settings.sidesPerPolygon = 4;
  p.settings.defaultPolygonSize = 10.0;
  p.add(0.0, 0.0);
  p.add(100.0, 0.0);
  p.addEnvelope({{-50, -50, 0}, {50, -50, 0}, {50, 50, 0}, {-50, 50, 0}}, /*clip=*/false);
  p.addEnvelope({{90, -5, 0}, {150, -5, 0}, {150, 5, 0}, {90, 5, 0}}, /*clip=*/true);
  const CPolygonSet set = p.generate();
  ASSERT_EQ(set.count(), 2);
  EXPECT_TRUE(set.polygons[0].outline.empty());
  EXPECT_NEAR(set.polygons[1].area, 20.0 * 10.0, 1e-3) << "cut to the clipping envelope's strip";
}

TEST(PolygonGeneration, WithoutAnyClippingEnvelopeOutlinesStayCutToTheInfluencePolygon) {
  Project p;
  p.settings.sidesPerPolygon = 4;
  p.settings.defaultPolygonSize = 10.0;
  p.add(0.0, 0.0);
  p.add(100.0, 0.0);
  p.addEnvelope({{-50, -50, 0}, {50, -50, 0}, {50, 50, 0}, {-50, 50, 0}}, /*clip=*/false);
  CPolygonSet set = p.generate();
  EXPECT_FALSE(set.polygons[0].outline.empty());
  EXPECT_EQ(set.clipToEnvelopes(p.composites, p.settings, p.envelopes), 0);
  EXPECT_FALSE(set.polygons[0].outline.empty());
}

TEST(PolygonGeneration, CompositesOutsideTheCutoffsOrUnusedEnvelopesGetNoPolygon) {
  Project p;
  p.settings.loaded[0].minCutoff = 0.5;
  p.settings.loaded[0].maxCutoff = 2.0;
  p.add(0, 0, 0, {1.0, 3.0, 2.7});
  p.add(50, 0, 0, {2.5, 3.0, 2.7});  // above the cutoff
  p.add(0, 50, 0, {1.0, 3.0, 2.7});
  p.addEnvelope({{-10, 40, 0}, {10, 40, 0}, {10, 60, 0}, {-10, 60, 0}});
  p.envelopes.envelopes[0].useComposites = 0;
  const CPolygonSet set = p.generate();
  ASSERT_EQ(set.count(), 1);
  EXPECT_EQ(set.polygons[0].compositeIndex, 0);
  EXPECT_EQ(set.findByComposite(0), 0);
  EXPECT_EQ(set.findByComposite(1), -1);
}

TEST(PolygonGeneration, ThicknessAndSpecificGravityFallBack) {
  Project p;
  p.settings.useFixedThickness = 0;
  p.settings.setThicknessVariable(1);
  p.settings.useVariableSG = 1;
  p.settings.setSGVariable(2);
  p.settings.sidesPerPolygon = 4;
  p.settings.defaultPolygonSize = 10.0;
  p.add(0, 0, 0, {1.0, 0.0, 0.0});    // thickness 0, SG 0
  p.add(100, 0, 0, {1.0, 4.0, 3.0});  // from the variables
  p.add(200, 0, 0, {1.0, -1.0, -2.0});
  const CPolygonSet set = p.generate();
  ASSERT_EQ(set.count(), 3);
  EXPECT_EQ(set.polygons[0].thickness, 0.00001);
  EXPECT_EQ(set.polygons[0].specificGravity, 2.5) << "the fixed specific gravity";
  EXPECT_GT(set.polygons[0].volume, 0.0);
  EXPECT_NEAR(set.polygons[0].volume, 400.0 * 0.00001, 1e-9);
  EXPECT_EQ(set.polygons[1].thickness, 4.0);
  EXPECT_EQ(set.polygons[1].specificGravity, 3.0);
  EXPECT_NEAR(set.polygons[1].tonnage, 400.0 * 4.0 * 3.0, 1e-2);
  EXPECT_EQ(set.polygons[2].thickness, 0.00001);
  EXPECT_EQ(set.polygons[2].specificGravity, 2.5);

  // Fixed thickness switched on: the variable is no longer read.
  p.settings.useFixedThickness = 1;
  CPolygonSet again = set;
  again.recalculateValues(p.composites, p.settings);
  EXPECT_EQ(again.polygons[1].thickness, 2.0);
  EXPECT_NEAR(again.polygons[1].volume, set.polygons[1].area * 2.0, 1e-9);
}

TEST(PolygonGeneration, NamesArePaddedToFiveDigitsAndNeverCut) {
  EXPECT_EQ(polygonName(17), "poly00017");
  EXPECT_EQ(polygonName(0), "poly00000");
  EXPECT_EQ(polygonName(99999), "poly99999");
  EXPECT_EQ(polygonName(123456), "poly123456");
}

TEST(PolygonGeneration, BandsGiveOnePolygonPerCompositeExceptOnInnerEdges) {
  // 1200 composites from y = 0 to 100: three bands of 100/3. A composite on
  // an inner band edge (within 0.001) gets a polygon in both bands; the
  // others exactly one. Bands are appended in order, composites in index
  // order within a band.
  Project p;
  p.settings.defaultPolygonSize = 3.0;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(1.0, 99.0);
  p.add(50.0, 0.0);
  p.add(50.0, 100.0);
  const double edge = 0.0 + 100.0 / 3;
  p.add(20.0, edge);
  p.add(80.0, edge + 0.0005);
  for (int i = 4; i < 1200; ++i) {
    double y = u(rng);
    while (std::abs(y - edge) < 0.01 || std::abs(y - 2 * edge) < 0.01) y = u(rng);
    p.add(u(rng), y);
  }
  const CPolygonSet set = p.generate();
  std::vector<int> seen(1200, 0);
  for (const auto& poly : set.polygons) ++seen[static_cast<std::size_t>(poly.compositeIndex)];
  EXPECT_EQ(seen[2], 2);
  EXPECT_EQ(seen[3], 2);
  for (int i = 0; i < 1200; ++i)
    if (i != 2 && i != 3) EXPECT_EQ(seen[static_cast<std::size_t>(i)], 1) << "composite " << i;
  EXPECT_EQ(set.count(), 1202);
  // Within a band the composites come in index order, so each drop in the
  // index starts the next band; every polygon's Y lies in its band.
  int band = 0;
  for (std::size_t k = 0; k < set.polygons.size(); ++k) {
    if (k > 0 && set.polygons[k].compositeIndex < set.polygons[k - 1].compositeIndex) ++band;
    const double y = p.composites.composites[static_cast<std::size_t>(set.polygons[k].compositeIndex)].position.y;
    EXPECT_GE(y, band * edge - 0.001) << "band " << band;
    EXPECT_LT(y, (band + 1) * edge + 0.001) << "band " << band;
  }
  EXPECT_EQ(band, 2);
  // The two cells of an edge composite differ only by the shear (its index
  // in each band differs) and the neighbours each band sees.
  std::vector<const CPolygon*> twice;
  for (const auto& poly : set.polygons)
    if (poly.compositeIndex == 2) twice.push_back(&poly);
  ASSERT_EQ(twice.size(), 2u);
  EXPECT_NEAR(twice[0]->area, twice[1]->area, 1e-3 * twice[0]->area);
}

TEST(PolygonGeneration, AParallelRunEqualsASequentialOne) {
  Project p;
  p.settings.defaultPolygonSize = 4.0;
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(0.0, 200.0);
  for (int i = 0; i < 2600; ++i) p.add(u(rng), u(rng), u(rng));
  p.addEnvelope({{10, 10, 0}, {190, 10, 0}, {190, 120, 0}, {100, 80, 0}, {10, 120, 0}});
  p.addEnvelope({{50, 50, 0}, {150, 50, 0}, {150, 190, 0}, {50, 190, 0}});
  const CPolygonSet one = p.generate(1);
  const CPolygonSet four = p.generate(4);
  ASSERT_EQ(one.count(), four.count());
  EXPECT_TRUE(one == four);
  EXPECT_GT(sumAreas(one), 0.0);
}

TEST(PolygonGeneration, OutlineAreaIsTheAreaInTheOutlinesOwnPlane) {
  EXPECT_EQ(outlineArea({}), 0.0);
  EXPECT_EQ(outlineArea({{0, 0, 0}, {1, 1, 0}}), 0.0);
  // Clockwise or counter-clockwise, the same area.
  EXPECT_DOUBLE_EQ(outlineArea({{0, 0, 5}, {4, 0, 5}, {4, 3, 5}, {0, 3, 5}}), 12.0);
  EXPECT_DOUBLE_EQ(outlineArea({{0, 0, 5}, {0, 3, 5}, {4, 3, 5}, {4, 0, 5}}), 12.0);
  // A vertical rectangle 4 by 3 in the plane x = 1.
  EXPECT_DOUBLE_EQ(outlineArea({{1, 0, 0}, {1, 4, 0}, {1, 4, 3}, {1, 0, 3}}), 12.0);
  // Far from the origin the area keeps its digits.
  EXPECT_DOUBLE_EQ(
      outlineArea(
          {{600000.5, 7000000.25, 0}, {600010.5, 7000000.25, 0}, {600010.5, 7000010.25, 0}, {600000.5, 7000010.25, 0}}),
      100.0);
}

TEST(PolygonGeneration, RepeatedCellVerticesWithinOneHundredthGo) {
  CPolygon poly;
  poly.cell = {{0, 0, 0}, {0.004, 0.004, 0}, {5, 0, 0}, {5, 5, 0}, {5.003, 5.003, 0.003}, {0, 5, 0}};
  EXPECT_EQ(poly.removeRepeatedCellVertices(), 2);
  ASSERT_EQ(poly.cellCount(), 4);
  EXPECT_EQ(poly.cell[1], (DPoint3D{5, 0, 0}));
  EXPECT_EQ(poly.cell[2], (DPoint3D{5, 5, 0}));
  // 0.01 exactly stays.
  CPolygon edge;
  edge.cell = {{0, 0, 0}, {0.01, 0, 0}, {1, 1, 0}};
  EXPECT_EQ(edge.removeRepeatedCellVertices(), 0);
}

TEST(PolygonGeneration, ClearEmptiesTheSetAndTotalsAddUp) {
  Project p;
  p.settings.sidesPerPolygon = 4;
  p.settings.defaultPolygonSize = 10.0;
  p.add(0, 0);
  p.add(100, 0);
  CPolygonSet set = p.generate();
  const auto t = set.totals();
  EXPECT_EQ(t.count, 2);
  EXPECT_NEAR(t.area, 800.0, 1e-3);
  EXPECT_NEAR(t.volume, 1600.0, 1e-2);
  EXPECT_NEAR(t.tonnage, 4000.0, 1e-2);
  set.clear();
  EXPECT_EQ(set.count(), 0);
  EXPECT_EQ(set.totals().area, 0.0);
}

namespace {
// How many polygons of two sets differ in anything (a set of another size:
// all of the larger).
int differingPolygons(const CPolygonSet& a, const CPolygonSet& b) {
  if (a.count() != b.count()) return std::max(a.count(), b.count());
  int differ = 0;
  for (std::size_t i = 0; i < a.polygons.size(); ++i)
    if (!(a.polygons[i] == b.polygons[i])) ++differ;
  return differ;
}
}  // namespace

TEST(PolygonGeneration, EveryCellSourceGivesWhatTheWholeBandGives) {
  // The plan's one triangulation, and each band triangulating its own
  // composites and what their cells need, must give the polygons of each band
  // triangulating every composite it holds (its 3r margins included) to the
  // last bit: scattered composites, drill lines sharing X values, a sparse
  // edge whose cells reach the rectangle.
  Project p;
  p.settings.defaultPolygonSize = 9.0;
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> u(0.0, 400.0);
  for (int i = 0; i < 1800; ++i) p.add(650000.0 + u(rng), 7100000.0 + u(rng), 400.0);
  for (int i = 0; i < 30; ++i)
    for (int k = 0; k < 40; ++k) p.add(650020.0 + 12.0 * i, 7100010.0 + 2.5 * k, 380.0);  // vertical holes
  for (int i = 0; i < 12; ++i) p.add(649200.0 + 70.0 * i, 7100000.0 + 33.0 * i, 300.0);   // far and sparse
  p.addEnvelope({{650000, 7100000, 0}, {650250, 7100000, 0}, {650250, 7100400, 0}, {650000, 7100400, 0}});
  const CPolygonSet whole = p.generate({.cells = CellSource::BandWhole});
  ASSERT_GT(whole.count(), 3000);
  for (const CellSource source : {CellSource::BandLocal, CellSource::Plan, CellSource::Automatic}) {
    const CPolygonSet other = p.generate({.cells = source});
    EXPECT_EQ(differingPolygons(whole, other), 0) << static_cast<int>(source);
  }
}

TEST(PolygonGeneration, TheClipShortcutsGiveWhatTheRoutineGives) {
  // Cells well inside their influence polygon and outlines well inside
  // their contour skip the routine: the polygons must come out the same to
  // the last bit, also far from the origin and with concave contours.
  Project p;
  p.settings.defaultPolygonSize = 6.0;
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(0.0, 300.0);
  for (int i = 0; i < 1500; ++i) p.add(650000.0 + u(rng), 7100000.0 + u(rng), 400.0);
  for (int i = 0; i < 20; ++i)
    for (int k = 0; k < 25; ++k) p.add(650010.0 + 14.0 * i, 7100020.0 + 1.5 * k + 0.3 * i, 400.0);  // drill lines
  std::vector<DPoint3D> star;
  for (int k = 0; k < 40; ++k) {
    const double a = 2 * 3.14159265358979 * k / 40, rad = k % 2 ? 90.0 : 140.0;
    star.push_back({650150.0 + rad * std::cos(a), 7100150.0 + rad * std::sin(a), 0.0});
  }
  p.addEnvelope(star);
  p.addEnvelope({{650000, 7100000, 0}, {650120, 7100000, 0}, {650120, 7100300, 0}, {650000, 7100300, 0}});
  const CPolygonSet routine = p.generate({.clipShortcuts = false});
  const CPolygonSet shortcut = p.generate({.clipShortcuts = true});
  EXPECT_EQ(differingPolygons(routine, shortcut), 0);
}

TEST(ParallelFor, EachItemOnceCancelStopsBetweenItemsAndAnExceptionReachesTheCaller) {
  for (const int threads : {1, 4}) {
    std::vector<std::atomic<int>> runs(50);
    std::vector<int> reports;
    EXPECT_EQ(
        parallelFor(
            50, threads, nullptr, [&](int i, int worker) { runs[i] += worker >= 0 && worker < threads ? 1 : 100; },
            [&](int done) { reports.push_back(done); }),
        ParallelOutcome::Done);
    for (const auto& r : runs) EXPECT_EQ(r.load(), 1);
    ASSERT_EQ(reports.size(), 50u);
    EXPECT_EQ(reports.back(), 50);

    std::atomic<bool> cancel{false};
    std::atomic<int> ran{0};
    EXPECT_EQ(parallelFor(50, threads, &cancel,
                          [&](int i, int) {
                            ++ran;
                            if (i == 3) cancel = true;
                          }),
              ParallelOutcome::Cancelled);
    if (threads == 1) EXPECT_EQ(ran.load(), 4) << "no item starts once the flag is set";
    // Set after the last item: the run still counts as cancelled.
    cancel = false;
    EXPECT_EQ(parallelFor(5, threads, &cancel, [&](int i, int) { cancel = cancel || i == 4; }),
              ParallelOutcome::Cancelled);

    // A job's exception, and one from the report, come back to the caller
    // after every thread has stopped.
    ran = 0;
    try {
      parallelFor(50, threads, nullptr, [&](int i, int) {
        ++ran;
        if (i == 5) throw std::runtime_error("item 5");
      });
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "item 5");
    }
    if (threads == 1) EXPECT_EQ(ran.load(), 6);
    EXPECT_THROW(parallelFor(
                     50, threads, nullptr, [](int, int) {},
                     [](int done) {
                       if (done == 2) throw std::logic_error("report");
                     }),
                 std::logic_error);
  }
}

TEST(PolygonGeneration, ACancelledOrFailingRunLeavesTheSetAsItWas) {
  Project p;
  p.settings.defaultPolygonSize = 4.0;
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(0.0, 150.0);
  for (int i = 0; i < 1600; ++i) p.add(u(rng), u(rng));  // four bands
  p.addEnvelope({{10, 10, 0}, {140, 10, 0}, {140, 90, 0}, {10, 90, 0}});
  CPolygonSet set;
  set.generate(p.composites, p.settings, p.envelopes, {}, 1);
  set.polygons.pop_back();  // not what a generation would give
  const CPolygonSet before = set;
  for (const int threads : {1, 4}) {
    std::atomic<bool> cancel{true};
    int reports = 0;
    const auto count = [&](int, int) { ++reports; };
    EXPECT_EQ(set.generate(p.composites, p.settings, p.envelopes, count, {.threads = threads, .cancel = &cancel}),
              kGenerateCancelled);
    EXPECT_EQ(reports, 0) << "cancelled before the first band";
    EXPECT_TRUE(set == before);

    cancel = false;
    const auto stopAtFirst = [&](int, int) {
      ++reports;
      cancel = true;
    };
    EXPECT_EQ(set.generate(p.composites, p.settings, p.envelopes, stopAtFirst, {.threads = threads, .cancel = &cancel}),
              kGenerateCancelled);
    if (threads == 1) EXPECT_EQ(reports, 1) << "no band after the cancel";
    EXPECT_TRUE(set == before);

    const auto fail = [](int, int) { throw std::runtime_error("progress"); };
    EXPECT_THROW(set.generate(p.composites, p.settings, p.envelopes, fail, threads), std::runtime_error);
    EXPECT_TRUE(set == before);
  }
  EXPECT_EQ(set.generate(p.composites, p.settings, p.envelopes, {}, 4), 1);
  EXPECT_EQ(set.count(), before.count() + 1);
}
