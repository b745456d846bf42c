// Hand cases of the two Voronoi constructions: the cells worked out by hand
// from the rectangle, the shear and the bisector lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "engine/voronoi.h"

namespace {

using qx::CVoronoi;
using qx::DPoint3D;
using qx::FastVoronoi;

std::vector<DPoint3D> directCell(const std::vector<DPoint3D>& points, double r, int i) {
  CVoronoi v(static_cast<int>(points.size()));
  EXPECT_EQ(v.setPoints(points, r), static_cast<int>(points.size()));
  EXPECT_EQ(v.compute(), 1);
  std::vector<DPoint3D> cell;
  const int count = v.buildCell(i, cell);
  EXPECT_EQ(count, static_cast<int>(cell.size()));
  return cell;
}

// The cell's vertices in order, as x, y, x, y, ... (z is 0).
void expectCell(const std::vector<DPoint3D>& cell, std::initializer_list<long double> xy, double tol) {
  ASSERT_EQ(cell.size() * 2, xy.size());
  const long double* v = xy.begin();
  for (std::size_t k = 0; k < cell.size(); ++k, v += 2) {
    EXPECT_NEAR(cell[k].x, static_cast<double>(v[0]), tol) << "vertex " << k;
    EXPECT_NEAR(cell[k].y, static_cast<double>(v[1]), tol) << "vertex " << k;
    EXPECT_EQ(cell[k].z, 0.0) << "vertex " << k;
  }
}

// The same vertices in the same order, to `tol` in x and y.
void expectSameCell(const std::vector<DPoint3D>& cell, const std::vector<DPoint3D>& ref, double tol, int i) {
  ASSERT_EQ(cell.size(), ref.size()) << i;
  for (std::size_t k = 0; k < ref.size(); ++k)
    EXPECT_TRUE(std::fabs(cell[k].x - ref[k].x) <= tol && std::fabs(cell[k].y - ref[k].y) <= tol) << i << " " << k;
}

// The rectangle around the sheared points, enlarged by 3r plus its size.
struct Rect {
  long double xmin, ymin, xmax, ymax;
};
Rect enlarged(long double x0, long double y0, long double x1, long double y1, long double r) {
  const long double w = x1 - x0, h = y1 - y0;
  return {x0 - 3 * r - w, y0 - 3 * r - h, x1 + 3 * r + w, y1 + 3 * r + h};
}
// X of the left and right sides at height y: they lean by 0.1 towards -X
// from bottom to top.
long double leftAt(const Rect& b, long double y) { return b.xmin + 0.1L - 0.1L * (y - b.ymin) / (b.ymax - b.ymin); }
long double rightAt(const Rect& b, long double y) { return b.xmax - 0.1L * (y - b.ymin) / (b.ymax - b.ymin); }

TEST(VoronoiDirect, TwoPointsOnOneRowSplitTheRectangleByASteepBisector) {
  // Sheared: (0, 0) and (10 - 1e-6, 1e-6). dy is under 0.0001, so the
  // bisector has slope 10000 through the midpoint and spans ymin to ymax.
  const std::vector<DPoint3D> pts{{0, 0, 5}, {10, 0, 7}};
  const long double e = 1e-6L;
  const Rect b = enlarged(0, 0, 10 - e, e, 1);
  const long double mx = (10 - e) / 2, my = e / 2;
  const long double xTop = mx + (b.ymax - my) / 10000, xBottom = mx + (b.ymin - my) / 10000;
  // A truly vertical bisector would put both ends at one X.
  ASSERT_GT(xTop - xBottom, 5e-4L);

  const auto c0 = directCell(pts, 1, 0);
  // First the bisector (its midpoint is at angle 0), then on counter-clockwise.
  ASSERT_EQ(c0.size(), 4u);
  expectCell(c0, {xTop, b.ymax, b.xmin, b.ymax, b.xmin + 0.1L, b.ymin, xBottom, b.ymin}, 1e-9);

  const auto c1 = directCell(pts, 1, 1);
  // The right side's midpoint is at angle 0 from the second point.
  ASSERT_EQ(c1.size(), 4u);
  expectCell(c1, {b.xmax - 0.1L, b.ymax, xTop, b.ymax, xBottom, b.ymin, b.xmax, b.ymin}, 1e-9);

  // The neighbour cells list the same corners, but on the true bisector
  // (slope -1e7 after the shear): at the midpoint's X.
  FastVoronoi f;
  ASSERT_TRUE(f.compute(pts, 1));
  for (int i = 0; i < 2; ++i) {
    const auto& ref = i == 0 ? c0 : c1;
    std::vector<DPoint3D> cell;
    ASSERT_EQ(f.buildCell(i, cell), 4) << i;
    for (std::size_t k = 0; k < 4; ++k) {
      const bool onBisector = std::fabs(ref[k].x - static_cast<double>(mx)) < 0.01;
      EXPECT_NEAR(cell[k].x, onBisector ? static_cast<double>(mx) : ref[k].x, 1e-6) << i << " " << k;
    }
  }
}

TEST(VoronoiDirect, AColumnOfPointsGetsFlatBisectorsAfterTheShear) {
  // Sheared: (-k 1e-6, 10k + k 1e-6). dx is under 0.0001: slope 0, so each
  // bisector is the horizontal through the midpoint (unclamped, -dx/dy = 1e-7
  // would tilt it by 6e-6 across the rectangle).
  const std::vector<DPoint3D> pts{{0, 0, 0}, {0, 10, 0}, {0, 20, 0}};
  const long double e = 1e-6L;
  const Rect b = enlarged(-2 * e, 0, 0, 20 + 2 * e, 1);
  const long double lowY = (10 + e) / 2, highY = (10 + e + 20 + 2 * e) / 2;

  const auto mid = directCell(pts, 1, 1);
  ASSERT_EQ(mid.size(), 4u);
  // Right side first (its midpoint is level with the point), then top,
  // left and bottom.
  expectCell(mid, {rightAt(b, highY), highY, leftAt(b, highY), highY, leftAt(b, lowY), lowY, rightAt(b, lowY), lowY},
             1e-9);
  EXPECT_NEAR(mid[0].y - mid[1].y, 0.0, 1e-12);
  EXPECT_NEAR(mid[2].y - mid[3].y, 0.0, 1e-12);

  const auto bottom = directCell(pts, 1, 0);
  ASSERT_EQ(bottom.size(), 4u);
  // From the bottom point the bisector's midpoint is straight up (angle pi/2)
  // and the right side's below the X axis: it comes last.
  expectCell(bottom, {leftAt(b, lowY), lowY, b.xmin + 0.1L, b.ymin, b.xmax, b.ymin, rightAt(b, lowY), lowY}, 1e-9);
}

TEST(VoronoiDirect, APieceUnder0001InXIsDeletedWhenItsEndIsCut) {
  // A and B share a row; C and D sit above and below their midpoint, so the
  // Voronoi edge of A and B runs from y = -0.099 to 0.099 at x = 5: 0.198
  // long in Y but only 2e-5 in X.
  const DPoint3D A{0, 0, 0}, B{10, 0, 0}, C{5, 5.1, 0}, D{5, -5.1, 0};
  const double vy = (5.1 * 5.1 - 25) / (2 * 5.1);  // 0.0990196...
  const auto near = [](const std::vector<DPoint3D>& cell, double x, double y, double tol) {
    for (const auto& p : cell)
      if (std::fabs(p.x - x) < tol && std::fabs(p.y - y) < tol) return true;
    return false;
  };

  // D before C: the start is cut before the end, so the end's cut leaves less
  // than 0.0001 in X and the piece is deleted. A's cell loses (5, 0.099); B's
  // reaches past x = 5 to where the lines of C and D cross, x = 4.9.
  const std::vector<DPoint3D> deleted{A, B, D, C};
  const auto a1 = directCell(deleted, 10, 0), b1 = directCell(deleted, 10, 1);
  EXPECT_EQ(std::pair(a1.size(), b1.size()), std::pair(3ul, 3ul));
  EXPECT_TRUE(near(a1, 5, -vy, 1e-3) && !near(a1, 5, vy, 1e-3));
  EXPECT_TRUE(near(b1, 4.899, 0, 2e-3) && !near(b1, 5, vy, 1e-3));

  // C before D: the end is cut first, while the piece still reaches ymin;
  // cutting the start later deletes nothing, and the short edge stays.
  const std::vector<DPoint3D> kept{A, B, C, D};
  const auto a2 = directCell(kept, 10, 0);
  EXPECT_EQ(a2.size(), 4u);
  EXPECT_TRUE(near(a2, 5, vy, 1e-3) && near(a2, 5, -vy, 1e-3));

  // The neighbour cells keep the edge in both orders.
  for (const auto* set : {&deleted, &kept}) {
    FastVoronoi f;
    ASSERT_TRUE(f.compute(*set, 10));
    std::vector<DPoint3D> cell;
    ASSERT_EQ(f.buildCell(0, cell), 4);
    EXPECT_TRUE(near(cell, 5, vy, 1e-3) && near(cell, 5, -vy, 1e-3));
  }
}

TEST(VoronoiDirect, ASinglePointWithAZeroRadiusStillGetsARectangle) {
  // Each side moves out by the least margin of 1.
  expectCell(directCell({{4, 6, 0}}, 0, 0), {4.9L, 7, 3, 7, 3.1L, 5, 5, 5}, 1e-12);
}

TEST(VoronoiFast, DeclinesOnlyWhatItCannotSeparate) {
  FastVoronoi f;
  std::vector<DPoint3D> cell;
  // The second point lands on the first once sheared. A declined set leaves
  // nothing of the one before.
  for (const auto& bad : {std::vector<DPoint3D>{}, std::vector<DPoint3D>{{0, 0, 0}, {1e-6, -1e-6, 0}, {5, 3, 0}}}) {
    ASSERT_TRUE(f.compute({{1, 1, 0}, {4, 2, 0}, {2, 5, 0}}, 10));
    EXPECT_FALSE(f.compute(bad, 10));
    EXPECT_EQ(f.count(), 0);
    EXPECT_EQ(f.buildCell(0, cell), -1);
  }

  // Equal points are kept apart by the shear.
  ASSERT_TRUE(f.compute({{0, 0, 0}, {0, 0, 0}, {5, 3, 0}}, 10));
  EXPECT_GE(f.buildCell(1, cell), 3);

  // Still on one line after the shear, and a single point: no triangle, but the
  // cells are plain, and with no slope clamped the direct construction agrees.
  for (const auto& pts : {std::vector<DPoint3D>{{0, 0, 0}, {1, 1, 0}, {2, 2, 0}}, std::vector<DPoint3D>{{4, 6, 0}}}) {
    ASSERT_TRUE(f.compute(pts, 10));
    for (int i = 0; i < static_cast<int>(pts.size()); ++i) {
      f.buildCell(i, cell);
      expectSameCell(cell, directCell(pts, 10, i), 1e-9, i);
    }
  }
}

}  // namespace
