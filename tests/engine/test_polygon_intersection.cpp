#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <thread>

#include "engine/polygon_intersection.h"

using qx::FPoint2D;
using qx::IntersectionStop;
using qx::intersectPolygons;
using qx::pointInPolygon;
using Ring = std::vector<FPoint2D>;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace qx {
void PrintTo(const FPoint2D& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
}  // namespace qx

namespace {

Ring square(float x0, float y0, float x1, float y1) { return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}; }  // ccw

Ring regular(int n, float cx, float cy, float r, bool ccw) {
  Ring out;
  for (int k = 0; k < n; ++k) {
    const double a = 2.0 * M_PI * k / n * (ccw ? 1 : -1);
    out.push_back({float(cx + r * std::cos(a)), float(cy + r * std::sin(a))});
  }
  return out;
}

}  // namespace

// Points on, inside and outside; the 0.001 band around edges and vertices.
TEST(PointInPolygon, ThreeAnswersAndTheToleranceBand) {
  const Ring sq{{0, 0}, {0, 10}, {10, 10}, {10, 0}};
  EXPECT_EQ(pointInPolygon({5, 5}, sq), 1);
  EXPECT_EQ(pointInPolygon({11, 5}, sq), 0);
  EXPECT_EQ(pointInPolygon({5, -3}, sq), 0);
  EXPECT_EQ(pointInPolygon({0, 0}, sq), 2);
  EXPECT_EQ(pointInPolygon({5, 0}, sq), 2);
  EXPECT_EQ(pointInPolygon({5, 0.0009f}, sq), 2);
  EXPECT_EQ(pointInPolygon({5, -0.0009f}, sq), 2);
  EXPECT_EQ(pointInPolygon({5, 0.0012f}, sq), 1);
  EXPECT_EQ(pointInPolygon({5, -0.0012f}, sq), 0);
  // Vertical edges: the widened box alone.
  EXPECT_EQ(pointInPolygon({10.0009f, 5}, sq), 2);
  EXPECT_EQ(pointInPolygon({9.9991f, 5}, sq), 2);
  EXPECT_EQ(pointInPolygon({10.0012f, 5}, sq), 0);
  EXPECT_EQ(pointInPolygon({9.9988f, 5}, sq), 1);
  EXPECT_EQ(pointInPolygon({10, 10.0009f}, sq), 2);  // just past the end of the edge
  EXPECT_EQ(pointInPolygon({10, 10.0012f}, sq), 0);
  EXPECT_EQ(pointInPolygon({0, 7}, sq), 2);
  // Either orientation.
  EXPECT_EQ(pointInPolygon({5, 5}, square(0, 0, 10, 10)), 1);
  EXPECT_EQ(pointInPolygon({10, 3}, square(0, 0, 10, 10)), 2);
}

TEST(PointInPolygon, SlantedEdgeDistanceIsPerpendicular) {
  // Below the diagonal y = x is inside. 0.0012 above the diagonal is 0.00085
  // from it (on), 0.0016 above is 0.00113 from it (outside).
  const Ring tri{{0, 0}, {10, 10}, {10, 0}};
  EXPECT_EQ(pointInPolygon({5, 5.0012f}, tri), 2);
  EXPECT_EQ(pointInPolygon({5, 5.0016f}, tri), 0);
  EXPECT_EQ(pointInPolygon({5, 4.9984f}, tri), 1);
  // Beyond the edge's end along its line: outside the widened box.
  EXPECT_EQ(pointInPolygon({10.002f, 10.002f}, tri), 0);
}

TEST(PointInPolygon, RayThroughVerticesCountsOnce) {
  // The point lies straight below the apex and straight above the bottom
  // vertex of a diamond; the ray is moved off them.
  const Ring tri{{0, 0}, {5, 10}, {10, 0}};
  EXPECT_EQ(pointInPolygon({5, 5}, tri), 1);
  const Ring diamond{{5, 0}, {0, 5}, {5, 10}, {10, 5}};
  EXPECT_EQ(pointInPolygon({5, 5}, diamond), 1);
  EXPECT_EQ(pointInPolygon({5, -1}, diamond), 0);
  EXPECT_EQ(pointInPolygon({5, 11}, diamond), 0);
  // A vertical edge straight above the point does not count.
  const Ring step{{0, 0}, {0, 4}, {2, 4}, {2, 8}, {6, 8}, {6, 0}};
  EXPECT_EQ(pointInPolygon({2.0005f, 1}, step), 1);
  EXPECT_EQ(pointInPolygon({1, 6}, step), 0);
  EXPECT_EQ(pointInPolygon({3, 6}, step), 1);
}

TEST(PolygonIntersection, OverlappingSquares) {
  // Far from the origin: the work is shifted to it and back.
  const auto r = intersectPolygons(square(1000, 2000, 1002, 2002), square(1001, 2001, 1003, 2003));
  EXPECT_FALSE(r.overflow);
  EXPECT_DOUBLE_EQ(r.area, 1.0);
  ASSERT_EQ(r.pieces.size(), 1u);
  // Starts at the last contact point of the subject, clockwise, closed.
  EXPECT_THAT(r.pieces[0], ElementsAre(FPoint2D{1002, 2001}, FPoint2D{1001, 2001}, FPoint2D{1001, 2002},
                                       FPoint2D{1002, 2002}, FPoint2D{1002, 2001}));
}

TEST(PolygonIntersection, TwoTrianglesMakeAHexagon) {
  const auto r = intersectPolygons({{0, 0}, {4, 0}, {2, 4}}, {{0, 3}, {4, 3}, {2, -1}});
  EXPECT_DOUBLE_EQ(r.area, 8.0 - 0.5 - 2 * 1.125);
  ASSERT_EQ(r.pieces.size(), 1u);
  EXPECT_THAT(r.pieces[0], ElementsAre(FPoint2D{1.5f, 0}, FPoint2D{0.75f, 1.5f}, FPoint2D{1.5f, 3}, FPoint2D{2.5f, 3},
                                       FPoint2D{3.25f, 1.5f}, FPoint2D{2.5f, 0}, FPoint2D{1.5f, 0}));
}

TEST(PolygonIntersection, BoxesThatOnlyTouchAreApart) {
  for (const auto& [a, b] : {std::pair{square(0, 0, 1, 1), square(1, 0, 2, 1)},     // in X
                             std::pair{square(0, 0, 1, 1), square(0, 1, 1, 2)},     // in Y
                             std::pair{square(1, 1, 2, 2), square(0, 0, 1, 1)},     // corner
                             std::pair{square(0, 0, 1, 1), square(5, 5, 6, 6)}}) {  // far apart
    const auto r = intersectPolygons(a, b);
    EXPECT_TRUE(r.pieces.empty());
    EXPECT_EQ(r.area, 0.0);
    EXPECT_FALSE(r.overflow);
  }
}

TEST(PolygonIntersection, InsideWithoutContactComesBackWholeEitherWay) {
  const Ring inner{{1, 1}, {1, 2}, {2.5f, 2}, {2, 1}};  // clockwise
  const Ring outer = regular(12, 2, 2, 3, true);
  for (bool innerIsSubject : {true, false}) {
    const auto r = innerIsSubject ? intersectPolygons(inner, outer) : intersectPolygons(outer, inner);
    ASSERT_EQ(r.pieces.size(), 1u) << innerIsSubject;
    EXPECT_THAT(r.pieces[0], ElementsAreArray(inner));  // each vertex once, not closed
    EXPECT_DOUBLE_EQ(r.area, 1.25);
  }
  // Outlines whose boxes overlap but which do not meet.
  const auto apart = intersectPolygons({{0, 0}, {0, 4}, {1, 0}}, {{4, 4}, {4, 0}, {0.5f, 4}});
  EXPECT_TRUE(apart.pieces.empty());
}

TEST(PolygonIntersection, CounterClockwiseOutlineComesBackClockwiseFirstPointFirst) {
  const Ring ccw{{1, 1}, {2, 1}, {2, 2}, {1.5f, 2.5f}, {1, 2}};
  const auto r = intersectPolygons(ccw, square(0, 0, 4, 4));
  ASSERT_EQ(r.pieces.size(), 1u);
  EXPECT_THAT(r.pieces[0],
              ElementsAre(FPoint2D{1, 1}, FPoint2D{1, 2}, FPoint2D{1.5f, 2.5f}, FPoint2D{2, 2}, FPoint2D{2, 1}));
  EXPECT_DOUBLE_EQ(r.area, 1.25);
  // As the clip.
  const auto s = intersectPolygons(square(0, 0, 4, 4), ccw);
  ASSERT_EQ(s.pieces.size(), 1u);
  EXPECT_EQ(s.pieces[0], r.pieces[0]);
}

TEST(PolygonIntersection, SharedEdges) {
  // Half of each square's top and bottom edges are shared.
  const auto r = intersectPolygons(square(0, 0, 2, 2), square(1, 0, 3, 2));
  EXPECT_DOUBLE_EQ(r.area, 2.0);
  ASSERT_EQ(r.pieces.size(), 1u);
  EXPECT_THAT(r.pieces[0], ElementsAre(FPoint2D{1, 0}, FPoint2D{1, 2}, FPoint2D{2, 2}, FPoint2D{2, 0}, FPoint2D{1, 0}));
  // Identical outlines: the whole outline, traced from the subject's last vertex.
  const auto same = intersectPolygons(square(0, 0, 2, 2), square(0, 0, 2, 2));
  EXPECT_DOUBLE_EQ(same.area, 4.0);
  ASSERT_EQ(same.pieces.size(), 1u);
  EXPECT_THAT(same.pieces[0],
              ElementsAre(FPoint2D{2, 0}, FPoint2D{0, 0}, FPoint2D{0, 2}, FPoint2D{2, 2}, FPoint2D{2, 0}));
  // A square in the corner of another, sharing two half edges.
  const auto corner = intersectPolygons(square(0, 0, 2, 2), square(0, 0, 1, 1));
  EXPECT_DOUBLE_EQ(corner.area, 1.0);
  ASSERT_EQ(corner.pieces.size(), 1u);
  EXPECT_THAT(corner.pieces[0],
              ElementsAre(FPoint2D{1, 0}, FPoint2D{0, 0}, FPoint2D{0, 1}, FPoint2D{1, 1}, FPoint2D{1, 0}));
}

TEST(PolygonIntersection, OutlinesThatOnlyTouchGiveAZeroAreaPiece) {
  // Touching at a corner inside overlapping boxes; and along a stretch of
  // edge from outside.
  const auto corner = intersectPolygons(square(0, 0, 2, 2), {{2, 2}, {4, 0}, {4, 4}, {0, 4}});
  EXPECT_EQ(corner.area, 0.0);
  ASSERT_EQ(corner.pieces.size(), 1u);
  EXPECT_THAT(corner.pieces[0], ElementsAre(FPoint2D{2, 2}));
  const Ring hook{{0.5f, 2}, {1.5f, 2}, {1.5f, 3}, {3, 3}, {3, -1}, {2.5f, -1}, {2.5f, 3.5f}, {0.5f, 3.5f}};
  const auto edge = intersectPolygons(square(0, 0, 2, 2), hook);
  EXPECT_EQ(edge.area, 0.0);
  for (const auto& piece : edge.pieces) EXPECT_EQ(qx::pieceArea(piece), 0.0);
}

TEST(PolygonIntersection, ConcaveClipCutsASquareInTwo) {
  const Ring u{{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}};
  const Ring bar = square(-1, 1.5f, 4, 2.5f);
  const auto r = intersectPolygons(bar, u);
  EXPECT_DOUBLE_EQ(r.area, 2.0);
  ASSERT_EQ(r.pieces.size(), 2u);
  EXPECT_THAT(r.pieces[0], ElementsAre(FPoint2D{0, 1.5f}, FPoint2D{0, 2.5f}, FPoint2D{1, 2.5f}, FPoint2D{1, 1.5f},
                                       FPoint2D{0, 1.5f}));
  EXPECT_THAT(r.pieces[1], ElementsAre(FPoint2D{3, 1.5f}, FPoint2D{2, 1.5f}, FPoint2D{2, 2.5f}, FPoint2D{3, 2.5f},
                                       FPoint2D{3, 1.5f}));
  // The U as the subject gives the same two pieces, the other one first.
  const auto s = intersectPolygons(u, bar);
  EXPECT_DOUBLE_EQ(s.area, 2.0);
  ASSERT_EQ(s.pieces.size(), 2u);
  EXPECT_EQ(s.pieces[0], r.pieces[1]);
  EXPECT_EQ(s.pieces[1], r.pieces[0]);
}

TEST(PolygonIntersection, WorkBufferLimit) {
  // A whole outline of m points takes m + 2 pairs of the 50,000.
  const Ring big = square(-10, -10, 10, 10);
  const auto fits = intersectPolygons(regular(49998, 0, 0, 5, true), big);
  EXPECT_FALSE(fits.overflow);
  ASSERT_EQ(fits.pieces.size(), 1u);
  EXPECT_EQ(fits.pieces[0].size(), 49998u);
  EXPECT_NEAR(fits.area, M_PI * 25, 1e-4);
  const auto over = intersectPolygons(regular(49999, 0, 0, 5, true), big);
  EXPECT_TRUE(over.overflow);
  EXPECT_EQ(over.stop, IntersectionStop::WorkBuffer);
  EXPECT_TRUE(over.pieces.empty());
  EXPECT_EQ(over.area, 0.0);
}

TEST(PolygonIntersection, MoreThanOneHundredCrossingsStops) {
  // A comb whose teeth each cross both sides of a bar.
  auto comb = [](int teeth) {
    Ring c{{0, 0}};
    for (int t = 0; t < teeth; ++t) {
      c.push_back({2.0f * t, 10});
      c.push_back({2.0f * t + 1, 10});
      c.push_back({2.0f * t + 1, 1});
      c.push_back({2.0f * t + 2, 1});
    }
    c.back() = {2.0f * teeth, 0};
    return c;
  };
  const Ring bar = square(-1, 5, 200, 6);
  const auto ok = intersectPolygons(comb(25), bar);  // 4 crossings a tooth: 100
  EXPECT_FALSE(ok.overflow);
  EXPECT_EQ(ok.pieces.size(), 25u);
  EXPECT_NEAR(ok.area, 25.0, 1e-9);
  const auto over = intersectPolygons(comb(26), bar);  // 104
  EXPECT_TRUE(over.overflow);
  EXPECT_EQ(over.stop, IntersectionStop::Crossings);
  EXPECT_TRUE(over.pieces.empty());
}

TEST(PolygonIntersection, DegenerateInputNeverCrashes) {
  // Too few points, repeated points, self-crossing outlines, everything on a
  // line, NaN and infinity: the routine returns (the sanitizers watch the
  // memory) with a bounded number of pieces.
  EXPECT_TRUE(intersectPolygons({}, {}).pieces.empty());
  EXPECT_TRUE(intersectPolygons({{0, 0}, {1, 1}}, square(0, 0, 2, 2)).pieces.empty());
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const std::vector<Ring> odd{
      {{0, 0}, {0, 0}, {0, 0}},   {{0, 0}, {1, 1}, {2, 2}, {3, 3}}, {{0, 0}, {2, 2}, {2, 0}, {0, 2}},
      {{0, 0}, {nan, 1}, {2, 0}}, {{0, 0}, {inf, 1}, {2, -inf}},    {{0, 0}, {0, 3}, {0, 3}, {3, 3}, {3, 3}, {3, 0}},
  };
  for (const Ring& a : odd)
    for (const Ring& b : odd) {
      EXPECT_LE(intersectPolygons(a, b).pieces.size(), a.size() + b.size());
      EXPECT_LE(intersectPolygons(a, square(-1, -1, 2.5f, 2.5f)).pieces.size(), a.size() + 4);
      EXPECT_LE(intersectPolygons(square(-1, -1, 2.5f, 2.5f), a).pieces.size(), a.size() + 4);
    }
  // Random self-crossing outlines on a coarse grid (many coincidences).
  std::mt19937 gen(7);
  std::uniform_int_distribution<int> coord(0, 6), count(3, 12);
  for (int t = 0; t < 3000; ++t) {
    Ring a(count(gen)), b(count(gen));
    for (auto& p : a) p = {float(coord(gen)), float(coord(gen))};
    for (auto& p : b) p = {float(coord(gen)) * 0.5f + 1, float(coord(gen)) * 0.5f + 1};
    const auto r = intersectPolygons(a, b);
    ASSERT_TRUE(std::isfinite(r.area)) << t;
    // Every point of a piece is a point of both outlines' boxes.
    for (const auto& piece : r.pieces)
      for (const FPoint2D& p : piece) {
        ASSERT_GE(p.x, 1.0f - 0.001f) << t;
        ASSERT_LE(p.x, 4.0f + 0.001f) << t;
        ASSERT_GE(p.y, 1.0f - 0.001f) << t;
        ASSERT_LE(p.y, 4.0f + 0.001f) << t;
      }
  }
}

TEST(PolygonIntersection, ThreadsGetTheSameAnswers) {
  std::vector<std::pair<Ring, Ring>> cases;
  for (int k = 0; k < 200; ++k)
    cases.push_back({regular(3 + k % 9, 0.01f * k, 0.02f * k, 1 + 0.01f * k, k % 2), regular(50, 0.5f, 0, 1.5f, true)});
  std::vector<double> expected;
  for (const auto& [a, b] : cases) expected.push_back(intersectPolygons(a, b).area);
  std::vector<std::vector<double>> got(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int rep = 0; rep < 5; ++rep)
        for (const auto& [a, b] : cases) got[t].push_back(intersectPolygons(a, b).area);
    });
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4; ++t)
    for (std::size_t k = 0; k < got[t].size(); ++k) ASSERT_EQ(got[t][k], expected[k % cases.size()]);
}

TEST(PolygonIntersection, WorkspaceOverloadReusesAndMatches) {
  qx::IntersectionWorkspace ws;
  qx::IntersectionResult res;
  const Ring u{{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}};
  qx::intersectPolygons(square(-1, 1.5f, 4, 2.5f), u, ws, res);
  EXPECT_EQ(res.pieces.size(), 2u);
  // A second call with fewer pieces leaves no stale ones behind.
  qx::intersectPolygons(square(0, 0, 2, 2), square(1, 1, 3, 3), ws, res);
  const auto fresh = intersectPolygons(square(0, 0, 2, 2), square(1, 1, 3, 3));
  EXPECT_EQ(res.pieces, fresh.pieces);
  EXPECT_EQ(res.area, fresh.area);
  qx::intersectPolygons(square(0, 0, 1, 1), square(1, 0, 2, 1), ws, res);
  EXPECT_TRUE(res.pieces.empty());
  EXPECT_EQ(res.area, 0.0);
}
