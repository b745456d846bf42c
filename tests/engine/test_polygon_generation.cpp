// Generating the polygon set: bands, the influence polygon, envelopes, the
// values of each polygon, the ways to the same cells, the parallel loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <random>
#include <stdexcept>

#include "engine/parallel.h"
#include "engine/polygons.h"
#include "support/result_records.h"

using namespace qx;

namespace {

const auto box = qx::test::rectangle;

struct Project {
  CompositeSet composites;
  QuarlexSettings settings;
  EnvelopeSet envelopes;

  explicit Project(int sides = 50, double r = 100.0) {
    settings.loaded = {VariableInfo("Au"), VariableInfo("Thick"), VariableInfo("SG")};
    composites.setVariableCounts(3, 0);
    settings.useFixedThickness = 1;
    settings.fixedThickness = 2.0;
    settings.defaultSG = 2.5;
    settings.sidesPerPolygon = sides;
    settings.defaultPolygonSize = r;
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
  CPolygonSet generate(const GenerateOptions& options = {}) {
    CPolygonSet set;
    set.generate(composites, settings, envelopes, {}, options);
    return set;
  }
};

// How many polygons of two sets differ (of another size: all of the larger).
int differingPolygons(const CPolygonSet& a, const CPolygonSet& b) {
  if (a.count() != b.count()) return std::max(a.count(), b.count());
  int differ = 0;
  for (std::size_t i = 0; i < a.polygons.size(); ++i) differ += a.polygons[i] == b.polygons[i] ? 0 : 1;
  return differ;
}

}  // namespace

TEST(PolygonGeneration, TheSquareInfluencePolygonBoundsALoneComposite) {
  // r = 10, s = 4, rho = 0: the square with corners at (+-10, +-10).
  Project p(4, 10.0);
  p.settings.firstVertexAngle = 0.0;
  p.add(1000.0, 2000.0, 55.0);
  p.add(1000.0, 2100.0, 55.0);  // far enough not to cut the square
  CPolygonSet set = p.generate();
  ASSERT_EQ(set.count(), 2);
  const CPolygon& poly = set.polygons[0];
  EXPECT_EQ(poly.name, "poly00000");
  EXPECT_NEAR(poly.area, 400.0, 1e-3);
  for (const auto& v : poly.outline) {
    EXPECT_NEAR(std::abs(v.x - 1000.0) + std::abs(v.y - 2000.0), 20.0, 1e-4);
    EXPECT_EQ(v.z, 55.0) << "outline points take the cell's Z";
  }
  EXPECT_DOUBLE_EQ(poly.volume, poly.area * 2.0);
  EXPECT_DOUBLE_EQ(poly.tonnage, poly.volume * 2.5);
}

TEST(PolygonGeneration, EnvelopesCutTheOutlinesOfTheirCompositesOrTakeThemAway) {
  // Two squares of 20 x 20 around (0, 0) and (100, 0). A composite whose
  // envelope does not clip, or that lies outside every clipping envelope,
  // loses its outline but keeps the area of its influence-clipped cell;
  // without any clipping envelope nothing is cut.
  struct Case {
    const char* what;
    std::vector<std::pair<std::vector<DPoint3D>, bool>> envelopes;  // contour, clips
    double outline0, area1;                                         // 0: no outline for composite 0
    int cutAgain;                                                   // clipToEnvelopes on the result
  };
  const Case cases[] = {
      {"composite 0 outside the clipping envelope", {{box(90, -50, 150, 50), true}}, 0.0, 400.0, 1},
      {"composite 0 in an envelope that does not clip",
       {{box(-50, -50, 50, 50), false}, {box(90, -5, 150, 5), true}},
       0.0,
       200.0,
       1},
      {"no envelope clips", {{box(-50, -50, 50, 50), false}}, 400.0, 400.0, 0},
  };
  for (const Case& c : cases) {
    Project p(4, 10.0);
    p.add(0.0, 0.0);
    p.add(100.0, 0.0);
    for (const auto& [contour, clips] : c.envelopes) p.addEnvelope(contour, clips);
    CPolygonSet set = p.generate();
    ASSERT_EQ(set.count(), 2) << c.what;
    const CPolygon& p0 = set.polygons[0];
    EXPECT_NEAR(p0.area, 400.0, 1e-3) << c.what;
    EXPECT_NEAR(outlineArea(p0.outline), c.outline0, 1e-3) << c.what;
    EXPECT_EQ((p0.minCorner.x < p0.maxCorner.x), (c.outline0 > 0)) << c.what << ": an empty outline has no box";
    EXPECT_NEAR(set.polygons[1].area, c.area1, 1e-3) << c.what;
    EXPECT_EQ(set.clipToEnvelopes(p.composites, p.settings, p.envelopes), c.cutAgain) << c.what;
  }
}

TEST(PolygonGeneration, PolygonsClippedByOneEnvelopeSumToItsArea) {
  // An L-shaped (concave) envelope along the cell edges of a grid far out on
  // the mine grid: the composites inside it own exactly the cells that tile it.
  Project p(50, 5000.0);  // the influence polygon cuts nothing
  const double x0 = 500000.0, y0 = 7000000.0;
  for (int j = 0; j < 12; ++j)
    for (int i = 0; i < 12; ++i) p.add(x0 + 500.0 + 1000.0 * i, y0 + 500.0 + 1000.0 * j);
  p.addEnvelope({{x0 + 2000, y0 + 2000, 0},
                 {x0 + 9000, y0 + 2000, 0},
                 {x0 + 9000, y0 + 5000, 0},
                 {x0 + 5000, y0 + 5000, 0},
                 {x0 + 5000, y0 + 10000, 0},
                 {x0 + 2000, y0 + 10000, 0}});
  const CPolygonSet set = p.generate();
  const double lArea = 7000.0 * 3000.0 + 3000.0 * 5000.0;
  double inside = 0.0;
  int clipped = 0;
  for (const auto& poly : set.polygons)
    if (!poly.outline.empty()) ++clipped, inside += poly.area;
  EXPECT_EQ(clipped, 7 * 3 + 3 * 5);
  EXPECT_NEAR(inside, lArea, lArea * 1e-6);
}

TEST(PolygonGeneration, ThicknessAndSpecificGravityFallBack) {
  Project p(4, 10.0);
  p.settings.useFixedThickness = 0;
  p.settings.setThicknessVariable(1);
  p.settings.useVariableSG = 1;
  p.settings.setSGVariable(2);
  p.add(0, 0, 0, {1.0, 0.0, 0.0});  // thickness 0 and SG 0: the floor and the fixed SG
  p.add(100, 0, 0, {1.0, 4.0, 3.0});
  p.add(200, 0, 0, {1.0, -1.0, -2.0});
  const CPolygonSet set = p.generate();
  ASSERT_EQ(set.count(), 3);
  const double thickness[] = {0.00001, 4.0, 0.00001}, sg[] = {2.5, 3.0, 2.5};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(set.polygons[i].thickness, thickness[i]) << i;
    EXPECT_EQ(set.polygons[i].specificGravity, sg[i]) << i;
    EXPECT_NEAR(set.polygons[i].tonnage, 400.0 * thickness[i] * sg[i], 1e-2 * thickness[i]) << i;
  }
  p.settings.useFixedThickness = 1;  // the variable is no longer read
  CPolygonSet again = set;
  again.recalculateValues(p.composites, p.settings);
  EXPECT_NEAR(again.polygons[1].volume, set.polygons[1].area * 2.0, 1e-9);
}

TEST(PolygonGeneration, NamesOutlineAreasAndRepeatedCellVertices) {
  // Clockwise; a vertical rectangle in its own plane; far out.
  EXPECT_DOUBLE_EQ(outlineArea({{0, 0, 5}, {0, 3, 5}, {4, 3, 5}, {4, 0, 5}}), 12.0);
  EXPECT_DOUBLE_EQ(outlineArea({{1, 0, 0}, {1, 4, 0}, {1, 4, 3}, {1, 0, 3}}), 12.0);
  EXPECT_DOUBLE_EQ(
      outlineArea(
          {{600000.5, 7000000.25, 0}, {600010.5, 7000000.25, 0}, {600010.5, 7000010.25, 0}, {600000.5, 7000010.25, 0}}),
      100.0);
  CPolygon poly;
  poly.cell = {{0, 0, 0}, {0.004, 0.004, 0}, {5, 0, 0}, {5, 5, 0}, {5.003, 5.003, 0.003}, {0, 5, 0}};
  EXPECT_EQ(poly.removeRepeatedCellVertices(), 2);
  EXPECT_EQ(poly.cell, (std::vector<DPoint3D>{{0, 0, 0}, {5, 0, 0}, {5, 5, 0}, {0, 5, 0}}));
  poly.cell = {{0, 0, 0}, {0.01, 0, 0}, {1, 1, 0}};
  EXPECT_EQ(poly.removeRepeatedCellVertices(), 0) << "0.01 exactly stays";
}

TEST(PolygonGeneration, BandsGiveOnePolygonPerCompositeExceptOnInnerEdges) {
  // Three bands of 100/3; a composite within 0.001 of an inner edge is in both.
  Project p(50, 3.0);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(1.0, 99.0);
  const double edge = 100.0 / 3;
  p.add(50.0, 0.0);
  p.add(50.0, 100.0);
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
  for (int i = 0; i < 1200; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], i == 2 || i == 3 ? 2 : 1) << i;
  // Each drop in the composite index starts the next band.
  int band = 0;
  for (std::size_t k = 0; k < set.polygons.size(); ++k) {
    if (k > 0 && set.polygons[k].compositeIndex < set.polygons[k - 1].compositeIndex) ++band;
    const double y = p.composites.composites[static_cast<std::size_t>(set.polygons[k].compositeIndex)].position.y;
    EXPECT_GE(y, band * edge - 0.001) << "band " << band;
    EXPECT_LT(y, (band + 1) * edge + 0.001) << "band " << band;
  }
  EXPECT_EQ(band, 2);
}

TEST(PolygonGeneration, EveryWayToTheCellsAndTheClipsGivesTheSamePolygons) {
  // Every cell source, clip shortcut and thread count equals one thread, whole
  // bands and no shortcuts, to the bit: far out, scattered composites, drill
  // holes sharing X, a sparse edge, under a concave contour and a straight one.
  Project p(50, 9.0);
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> u(0.0, 400.0);
  for (int i = 0; i < 1800; ++i) p.add(650000.0 + u(rng), 7100000.0 + u(rng), 400.0);
  for (int i = 0; i < 30; ++i)
    for (int k = 0; k < 40; ++k) p.add(650020.0 + 12.0 * i, 7100010.0 + 2.5 * k, 380.0);
  for (int i = 0; i < 12; ++i) p.add(649200.0 + 70.0 * i, 7100000.0 + 33.0 * i, 300.0);
  std::vector<DPoint3D> star;
  for (int k = 0; k < 40; ++k) {
    const double a = 2 * 3.14159265358979 * k / 40, rad = k % 2 ? 90.0 : 140.0;
    star.push_back({650150.0 + rad * std::cos(a), 7100150.0 + rad * std::sin(a), 0.0});
  }
  p.addEnvelope(star);
  p.addEnvelope(box(650000, 7100000, 650120, 7100300));
  const CPolygonSet reference = p.generate({.threads = 1, .cells = CellSource::BandWhole, .clipShortcuts = false});
  ASSERT_GT(reference.count(), 1900);
  const GenerateOptions ways[] = {
      {.threads = 1, .cells = CellSource::BandLocal, .clipShortcuts = false},
      {.threads = 1, .cells = CellSource::Plan, .clipShortcuts = false},
      {.threads = 1, .cells = CellSource::BandWhole, .clipShortcuts = true},
      {.threads = 4, .cells = CellSource::BandWhole, .clipShortcuts = false},
      {.threads = 4, .cells = CellSource::Automatic, .clipShortcuts = true},  // as the document runs it
  };
  for (const GenerateOptions& way : ways)
    EXPECT_EQ(differingPolygons(reference, p.generate(way)), 0)
        << "threads " << way.threads << ", cells " << static_cast<int>(way.cells) << ", shortcuts "
        << way.clipShortcuts;
}

// A run cancelled at the first report, or whose report throws, leaves the set unchanged().
template <class Run, class Unchanged>
void expectCancelAndFailureLeaveTheSet(const Run& run, const Unchanged& unchanged) {
  for (const int threads : {1, 4}) {
    std::atomic<bool> cancel{false};
    int reports = 0;
    EXPECT_FALSE(run(threads, &cancel, [&] { ++reports, cancel = true; }));
    EXPECT_TRUE(threads > 1 || reports == 1) << "an item after the cancel";
    EXPECT_TRUE(unchanged());
    EXPECT_THROW(run(threads, nullptr, [] { throw std::runtime_error("report"); }), std::runtime_error);
    EXPECT_TRUE(unchanged());
  }
}

TEST(ParallelFor, ACancelledOrFailingGenerationLeavesTheSetAsItWas) {
  Project p(50, 4.0);
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(0.0, 150.0);
  for (int i = 0; i < 1600; ++i) p.add(u(rng), u(rng));  // four bands
  p.addEnvelope(box(10, 10, 140, 90));
  CPolygonSet set = p.generate({.threads = 1});
  set.polygons.pop_back();  // not what a generation gives
  const CPolygonSet before = set;
  expectCancelAndFailureLeaveTheSet(
      [&](int threads, const std::atomic<bool>* cancel, const std::function<void()>& report) {
        const int result = set.generate(p.composites, p.settings, p.envelopes, [&](int, int) { report(); },
                                        {.threads = threads, .cancel = cancel});
        EXPECT_EQ(result, kGenerateCancelled);
        return result == 1;
      },
      [&] { return set == before; });
  EXPECT_EQ(set.generate(p.composites, p.settings, p.envelopes, {}, 4), 1);
  EXPECT_EQ(set.count(), before.count() + 1);
}
