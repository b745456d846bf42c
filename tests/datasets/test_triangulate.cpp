#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <vector>

#include "datasets/triangulate.h"

using namespace qx;

namespace {

double cross(const FPoint3D& o, const FPoint3D& a, const FPoint3D& b) {
  return (double(a.x) - o.x) * (double(b.y) - o.y) - (double(a.y) - o.y) * (double(b.x) - o.x);
}

// Twice the signed area of each triangle, corners as listed.
std::vector<double> doubledAreas(const Triangulate& t, const std::vector<FPoint3D>& p) {
  std::vector<double> out;
  const auto& c = t.corners();
  for (std::size_t i = 0; i + 2 < c.size(); i += 3) out.push_back(cross(p[c[i]], p[c[i + 1]], p[c[i + 2]]));
  return out;
}

// Monotone chain; strictly convex corners only.
std::vector<FPoint3D> convexHull(std::vector<FPoint3D> p) {
  std::sort(p.begin(), p.end(),
            [](const FPoint3D& a, const FPoint3D& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
  std::vector<FPoint3D> h(2 * p.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  for (std::size_t i = p.size() - 1, lo = k + 1; i-- > 0;) {
    while (k >= lo && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  h.resize(k - 1);
  return h;
}

// Twice the area of the hull: a fan of triangles from its first corner.
double doubledPolygonArea(const std::vector<FPoint3D>& h) {
  double a = 0;
  for (std::size_t i = 2; i < h.size(); ++i) a += cross(h[0], h[i - 1], h[i]);
  return a;
}

// > 0 when d lies strictly inside the circle through a, b, c (counter-clockwise).
long double inCircle(const FPoint3D& a, const FPoint3D& b, const FPoint3D& c, const FPoint3D& d) {
  const long double adx = (long double)a.x - d.x, ady = (long double)a.y - d.y;
  const long double bdx = (long double)b.x - d.x, bdy = (long double)b.y - d.y;
  const long double cdx = (long double)c.x - d.x, cdy = (long double)c.y - d.y;
  return (adx * adx + ady * ady) * (bdx * cdy - cdx * bdy) - (bdx * bdx + bdy * bdy) * (adx * cdy - cdx * ady) +
         (cdx * cdx + cdy * cdy) * (adx * bdy - bdx * ady);
}

}  // namespace

TEST(Triangulate, SmallInputs) {
  Triangulate t;
  const std::vector<FPoint3D> three = {{0, 0, 5}, {4, 0, 6}, {0, 3, 7}};
  ASSERT_EQ(t.run(3, three.data()), 1);
  std::vector<int> c = t.corners();
  EXPECT_GT(doubledAreas(t, three)[0], 0.0) << "counter-clockwise";
  std::sort(c.begin(), c.end());
  EXPECT_EQ(c, (std::vector<int>{0, 1, 2}));

  const std::vector<FPoint3D> collinear = {{0, 0, 0}, {1, 1, 0}, {2, 2, 0}, {5, 5, 1}, {-3, -3, 2}};
  EXPECT_EQ(t.run(collinear), 0);
  EXPECT_TRUE(t.corners().empty()) << "a run replaces the previous result";

  EXPECT_EQ(t.run(0, nullptr), 0);
  EXPECT_EQ(t.run(2, three.data()), 0);
  EXPECT_EQ(t.run(-4, three.data()), 0);
}

TEST(Triangulate, SharedPlanPositionsCollapse) {
  Triangulate t;
  // Point 3 repeats point 0 in plan with another elevation; point 4 repeats point 1.
  const std::vector<FPoint3D> p = {{0, 0, 1}, {10, 0, 2}, {0, 10, 3}, {0, 0, 99}, {10, 0, -1}};
  ASSERT_EQ(t.run(p), 1);
  const std::set<int> used(t.corners().begin(), t.corners().end());
  EXPECT_EQ(used.size(), 3u) << "one vertex for (0, 0) and one for (10, 0)";

  // Three copies of one point and one other: no triangle.
  const std::vector<FPoint3D> q = {{1, 1, 0}, {1, 1, 1}, {1, 1, 2}, {2, 2, 0}};
  EXPECT_EQ(t.run(q), 0);
}

TEST(Triangulate, SquareAndNonFinitePoints) {
  Triangulate t;
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<FPoint3D> p = {{0, 0, 0}, {inf, 0, 0}, {2, 0, 0}, {2, 2, 0}, {nan, 1, 0}, {0, 2, 0}};
  ASSERT_EQ(t.run(p), 2);
  double sum = 0;
  for (double a : doubledAreas(t, p)) {
    EXPECT_GT(a, 0.0);
    sum += a;
  }
  EXPECT_DOUBLE_EQ(sum / 2, 4.0);
  for (int c : t.corners()) EXPECT_TRUE(c == 0 || c == 2 || c == 3 || c == 5) << c;
}

TEST(Triangulate, RandomCloudIsDelaunayOverTheHull) {
  std::mt19937 rng(20261205);
  std::uniform_real_distribution<float> coord(-500.0f, 1500.0f);
  std::vector<FPoint3D> p(1000);
  for (auto& q : p) q = {coord(rng), coord(rng), coord(rng)};

  Triangulate t;
  const int n = t.run(p);
  const auto hull = convexHull(p);
  // Euler for points in general position: 2n - 2 - (hull corners).
  EXPECT_EQ(n, 2 * 1000 - 2 - static_cast<int>(hull.size()));

  double sum = 0;
  for (double a : doubledAreas(t, p)) {
    ASSERT_GT(a, 0.0) << "every triangle counter-clockwise";
    sum += a;
  }
  const double hullArea = doubledPolygonArea(hull);
  EXPECT_NEAR(sum, hullArea, hullArea * 1e-12);

  const std::set<int> used(t.corners().begin(), t.corners().end());
  EXPECT_EQ(used.size(), p.size()) << "every point is a vertex";

  // Empty circles: every 7th triangle against every point.
  const auto& c = t.corners();
  for (std::size_t i = 0; i + 2 < c.size(); i += 21) {
    const FPoint3D &a = p[c[i]], &b = p[c[i + 1]], &d = p[c[i + 2]];
    for (std::size_t k = 0; k < p.size(); ++k) {
      if (int(k) == c[i] || int(k) == c[i + 1] || int(k) == c[i + 2]) continue;
      ASSERT_LE(inCircle(a, b, d, p[k]), 1e-6L) << "point " << k << " inside triangle " << i / 3 << "'s circle";
    }
  }
}
