// Declustering: area weights on generated polygons and on hand-made ones,
// the weighted statistics and histogram against hand-worked values.
#include "engine/declustering.h"

#include <gtest/gtest.h>

#include <cmath>

#include "datasets/composites.h"
#include "engine/polygons.h"
#include "plot/chart.h"
#include "project/quarlex_settings.h"
#include "result_records.h"
#include "test_files.h"

using namespace qx;

namespace {

TEST(Declustering, ClusterOnARegularGridWeighsAsTheGroundItCovers) {
  // A 6 x 6 grid 10 apart of grades i + j + 1 (mean 6), each composite's
  // square influence polygon its own cell; four samples of grade 20 half a
  // unit off the node (20, 20) diagonally.
  QuarlexSettings settings;
  settings.loaded = {VariableInfo("Au")};
  settings.useFixedThickness = 1;
  settings.fixedThickness = 1.0;
  settings.sidesPerPolygon = 4;
  settings.defaultPolygonSize = 5.0;
  settings.firstVertexAngle = 0.0;
  CompositeSet composites;
  composites.setVariableCounts(1, 0);
  const auto add = [&](double x, double y, double au) {
    CComposite& c = composites.composites.emplace_back();
    c.position = {x, y, 0.0};
    c.values = {au};
  };
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 6; ++j) add(10.0 * i, 10.0 * j, i + j + 1);
  for (const auto& [dx, dy] : {std::pair{0.5, 0.5}, {0.5, -0.5}, {-0.5, 0.5}, {-0.5, -0.5}})
    add(20.0 + dx, 20.0 + dy, 20.0);
  CPolygonSet polygons;
  ASSERT_EQ(polygons.generate(composites, settings, EnvelopeSet()), 1);

  const DeclusteringWeights w = declusteringWeights(polygons, composites);
  double weights = 0.0;
  for (const double x : w.weight) weights += x;
  EXPECT_NEAR(weights, 1.0, 1e-12);
  EXPECT_EQ(w.withoutPolygon, 0);
  const auto stats = declusteringStats(composites, settings, w, {0});
  EXPECT_DOUBLE_EQ(stats[0].naive.mean, (36 * 6 + 4 * 20) / 40.0);
  // Oracle: the ground split by nearest composite on a raster of 0.1,
  // each point within its composite's square; the grade averaged over it.
  double covered = 0.0, graded = 0.0;
  for (double x = -4.95; x < 55.0; x += 0.1)
    for (double y = -4.95; y < 55.0; y += 0.1) {
      const CComposite* nearest = nullptr;
      double best = 1e300;
      for (const CComposite& c : composites.composites)
        if (const double d = std::hypot(c.position.x - x, c.position.y - y); d < best) best = d, nearest = &c;
      if (std::max(std::abs(nearest->position.x - x), std::abs(nearest->position.y - y)) > 5.0) continue;
      covered += 1.0;
      graded += nearest->values[0];
    }
  EXPECT_NEAR(stats[0].declustered.mean, graded / covered, 2e-3);
}

TEST(Declustering, HandMadeWeightsStatisticsHistogramAndTables) {
  QuarlexSettings settings;
  settings.loaded = {VariableInfo("Au")};
  settings.loaded[0].missingValue = -99.0;
  CompositeSet composites;
  for (auto [au, envelope] : {std::pair{1.0, 0}, {3.0, 0}, {2.0, 1}, {-99.0, -1}, {7.0, 0}}) {
    CComposite& c = composites.composites.emplace_back();
    c.values = {au};
    c.envelopeIndex = envelope;
  }
  using test::makePolygon;
  // Composite 1 owns two polygons, composite 4 none; composite 9 is not there.
  CPolygonSet polygons;
  polygons.polygons = {makePolygon(0, 30, 1, 30, 30), makePolygon(1, 10, 1, 10, 10), makePolygon(2, 40, 1, 40, 40),
                       makePolygon(3, 10, 1, 10, 10), makePolygon(1, 10, 1, 10, 10), makePolygon(9, 1000, 1, 1, 1)};
  const DeclusteringWeights w = declusteringWeights(polygons, composites);
  EXPECT_EQ(w.withoutPolygon, 1);
  EXPECT_EQ(declusteringWeightsCsv(composites, w),
            "composite,envelope,area,weight,envelope_weight\n0,0,30,0.3,0.6\n1,0,20,0.2,0.4\n2,1,40,0.4,1\n"
            "3,-1,10,0.1,1\n4,0,0,0,0\n");
  // Au without the missing value: naive 1, 3, 2, 7 (lower quantiles: 25 %
  // is reached at 1 exactly); declustered 1, 3, 2 weighted 3 : 2 : 4.
  test::LocaleGuard locale("de_DE.UTF-8");
  EXPECT_EQ(declusteringCsv(declusteringStats(composites, settings, w, {0})),
            "variable,method,count,mean,variance,min,p10,p25,p50,p75,p90,max\n"
            "Au,naive,4,3.25,5.1875,1,1,1,2,3,7,7\n"
            "Au,declustered,3,1.888888889,0.5432098765,1,1,1,2,2,3,3\n");
  // The cumulative 1/12 + 4/12 + 1/12 falls short of 0.5 by a rounding.
  EXPECT_EQ(weightedSummary({1, 2, 3, 4}, {1 / 12.0, 4 / 12.0, 1 / 12.0, 6 / 12.0}).quantiles[3], 3.0);
  const DeclusteringHistogram h = declusteringHistogram(composites, settings, w, 0, 3);
  EXPECT_EQ(std::pair(h.low, h.high), std::pair(1.0, 7.0));
  EXPECT_EQ(h.naive, (std::vector<double>{0.5, 0.25, 0.25}));  // 7 in the closed last bin
  ASSERT_EQ(h.declustered.size(), 3u);
  EXPECT_DOUBLE_EQ(h.declustered[0], 7.0 / 9.0);
  EXPECT_DOUBLE_EQ(h.declustered[1], 2.0 / 9.0);
  EXPECT_EQ(h.declustered[2], 0.0);
  test::TempDir dir;
  const std::string svg = (dir.path() / "h.svg").string();
  ASSERT_EQ(writeDeclusteringHistogram(h, "Au", svg), "");
  EXPECT_NE(test::readFile(svg).find("<svg"), std::string::npos);
}

}  // namespace
