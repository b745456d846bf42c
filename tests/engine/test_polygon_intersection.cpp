#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "engine/polygon_intersection.h"

using qx::FPoint2D;
using qx::intersectPolygons;
using qx::pointInPolygon;
using Ring = std::vector<FPoint2D>;

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

const Ring u{{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}};
const Ring bar = square(-1, 1.5f, 4, 2.5f);

void expectPieces(const char* what, const Ring& a, const Ring& b, double area, const std::vector<Ring>& pieces) {
  const auto r = intersectPolygons(a, b);
  EXPECT_FALSE(r.overflow) << what;
  EXPECT_DOUBLE_EQ(r.area, area) << what;
  EXPECT_EQ(r.pieces, pieces) << what;
}

// The influence polygon of the polygon set around the origin: 50 sides,
// inscribed radius r, first corner at -90 degrees plus half a step.
Ring influence50(double r) {
  Ring out;
  const double step = 2.0 * M_PI / 50, a0 = -M_PI / 2 + step / 2, R = r / std::cos(step / 2);
  for (int k = 0; k < 50; ++k) out.push_back({float(R * std::cos(a0 + k * step)), float(R * std::sin(a0 + k * step))});
  return out;
}

// Signed distance of p from the convex outline's boundary in double: positive
// inside, negative outside (the smallest over the edges' half planes).
double insideBy(FPoint2D p, const Ring& convex) {
  double turn = 0.0;
  for (std::size_t k = 0, m = convex.size() - 1; k < convex.size(); m = k++)
    turn += double(convex[m].x) * convex[k].y - double(convex[m].y) * convex[k].x;
  double d = std::numeric_limits<double>::infinity();
  for (std::size_t k = 0; k < convex.size(); ++k) {
    const FPoint2D a = convex[k], b = convex[(k + 1) % convex.size()];
    const double ex = double(b.x) - a.x, ey = double(b.y) - a.y;
    const double side = (ex * (double(p.y) - a.y) - ey * (double(p.x) - a.x)) / std::hypot(ex, ey);
    d = std::min(d, turn > 0 ? side : -side);
  }
  return d;
}

double perimeterOf(const Ring& r) {
  double s = 0.0;
  for (std::size_t k = 0; k < r.size(); ++k)
    s += std::hypot(double(r[(k + 1) % r.size()].x) - r[k].x, double(r[(k + 1) % r.size()].y) - r[k].y);
  return s;
}

// One real piece of a cell against the 50-sided influence polygon of
// inscribed radius r0. `reference` is Boost.Geometry's area of the same float
// outlines; `slack` how far a point of the piece may stand outside either.
void expectOneRightPiece(const char* what, double r0, double reference, double slack, const std::vector<float>& xy) {
  SCOPED_TRACE(what);
  Ring cell;
  for (std::size_t k = 0; k + 1 < xy.size(); k += 2) cell.push_back({xy[k], xy[k + 1]});
  const Ring clip = influence50(r0);
  const auto r = intersectPolygons(cell, clip);
  EXPECT_FALSE(r.overflow);
  // Within what the tolerance can move: 0.001 along the shorter boundary.
  EXPECT_NEAR(r.area, reference, 0.001 * std::min(perimeterOf(cell), perimeterOf(clip)));
  // One real piece, made of every corner of either outline that lies clearly
  // inside the other, and nothing clearly outside either.
  std::size_t real = 0, at = 0;
  for (std::size_t k = 0; k < r.pieces.size(); ++k)
    if (qx::pieceArea(r.pieces[k]) > 0) ++real, at = k;
  ASSERT_EQ(real, 1u);
  const Ring& piece = r.pieces[at];
  EXPECT_NEAR(qx::pieceArea(piece), r.area, 1e-6 * r.area);  // (summed before the shift back)
  for (const FPoint2D& p : piece)
    EXPECT_GT(std::min(insideBy(p, cell), insideBy(p, clip)), -slack) << p.x << " " << p.y;
  // Corners come back from the shift to the origin within float rounding.
  auto contains = [&](FPoint2D v) {
    return std::any_of(piece.begin(), piece.end(),
                       [&](FPoint2D p) { return std::hypot(double(p.x) - v.x, double(p.y) - v.y) < 1e-5; });
  };
  for (const FPoint2D& v : clip) EXPECT_TRUE(insideBy(v, cell) <= 0.002 || contains(v)) << v.x << " " << v.y;
  for (const FPoint2D& v : cell) EXPECT_TRUE(insideBy(v, clip) <= 0.002 || contains(v)) << v.x << " " << v.y;
}

}  // namespace

// Points on, inside and outside; the 0.001 band around edges and vertices.
TEST(PointInPolygon, ThreeAnswersAndTheToleranceBand) {
  const Ring rings[] = {
      {{0, 0}, {0, 10}, {10, 10}, {10, 0}},  // 0: a square, clockwise
      square(0, 0, 10, 10),                  // 1: the same counter-clockwise
      {{0, 0}, {10, 10}, {10, 0}},  // 2: y = x; 0.0012 above is 0.00085 off (on), 0.0016 above 0.00113 (outside)
      // 3, 4: the ray from below an apex or through a diamond's bottom vertex is moved off them.
      {{0, 0}, {5, 10}, {10, 0}},
      {{5, 0}, {0, 5}, {5, 10}, {10, 5}},
      {{0, 0}, {0, 4}, {2, 4}, {2, 8}, {6, 8}, {6, 0}},  // 5: a vertical edge straight above does not count
  };
  // On vertical edges the widened box alone counts, also just past the end
  // of the edge; beyond a slanted edge's end along its line is outside.
  const std::tuple<int, float, float, int> cases[] = {
      {0, 5, 5, 1},         {0, 11, 5, 0},
      {0, 5, -3, 0},        {0, 0, 0, 2},
      {0, 5, 0, 2},         {0, 5, 0.0009f, 2},
      {0, 5, -0.0009f, 2},  {0, 5, 0.0012f, 1},
      {0, 5, -0.0012f, 0},  {0, 0, 7, 2},
      {0, 10.0009f, 5, 2},  {0, 9.9991f, 5, 2},
      {0, 10.0012f, 5, 0},  {0, 9.9988f, 5, 1},
      {0, 10, 10.0009f, 2}, {0, 10, 10.0012f, 0},
      {1, 5, 5, 1},         {1, 10, 3, 2},
      {2, 5, 5.0012f, 2},   {2, 5, 5.0016f, 0},
      {2, 5, 4.9984f, 1},   {2, 10.002f, 10.002f, 0},
      {3, 5, 5, 1},         {4, 5, 5, 1},
      {4, 5, -1, 0},        {4, 5, 11, 0},
      {5, 2.0005f, 1, 1},   {5, 1, 6, 0},
      {5, 3, 6, 1},
  };
  for (const auto& [ring, x, y, expected] : cases)
    EXPECT_EQ(pointInPolygon({x, y}, rings[ring]), expected) << ring << ": " << x << " " << y;
}

// Exact pieces: clockwise, from the subject's last contact point, closed.
TEST(PolygonIntersection, TracedPiecesPointByPoint) {
  const Ring left{{0, 1.5f}, {0, 2.5f}, {1, 2.5f}, {1, 1.5f}, {0, 1.5f}};
  const Ring right{{3, 1.5f}, {2, 1.5f}, {2, 2.5f}, {3, 2.5f}, {3, 1.5f}};
  const Ring ccw{{1, 1}, {2, 1}, {2, 2}, {1.5f, 2.5f}, {1, 2}};
  const Ring ccwBack{{1, 1}, {1, 2}, {1.5f, 2.5f}, {2, 2}, {2, 1}};
  const Ring cw{{1, 1}, {1, 2}, {2.5f, 2}, {2, 1}};
  // Far from the origin: the work is shifted to it and back.
  expectPieces("overlapping squares", square(1000, 2000, 1002, 2002), square(1001, 2001, 1003, 2003), 1.0,
               {{{1002, 2001}, {1001, 2001}, {1001, 2002}, {1002, 2002}, {1002, 2001}}});
  expectPieces("two triangles make a hexagon", {{0, 0}, {4, 0}, {2, 4}}, {{0, 3}, {4, 3}, {2, -1}},
               8.0 - 0.5 - 2 * 1.125,
               {{{1.5f, 0}, {0.75f, 1.5f}, {1.5f, 3}, {2.5f, 3}, {3.25f, 1.5f}, {2.5f, 0}, {1.5f, 0}}});
  expectPieces("half of the top and bottom edges shared", square(0, 0, 2, 2), square(1, 0, 3, 2), 2.0,
               {{{1, 0}, {1, 2}, {2, 2}, {2, 0}, {1, 0}}});
  expectPieces("identical: traced from the subject's last vertex", square(0, 0, 2, 2), square(0, 0, 2, 2), 4.0,
               {{{2, 0}, {0, 0}, {0, 2}, {2, 2}, {2, 0}}});
  expectPieces("in the corner of another, two half edges shared", square(0, 0, 2, 2), square(0, 0, 1, 1), 1.0,
               {{{1, 0}, {0, 0}, {0, 1}, {1, 1}, {1, 0}}});
  expectPieces("a concave clip cuts a bar in two", bar, u, 2.0, {left, right});
  expectPieces("the U as the subject: the other piece first", u, bar, 2.0, {right, left});
  // Inside without contact: the whole outline, clockwise, first point first, not closed.
  expectPieces("counter-clockwise subject inside", ccw, square(0, 0, 4, 4), 1.25, {ccwBack});
  expectPieces("counter-clockwise clip inside", square(0, 0, 4, 4), ccw, 1.25, {ccwBack});
  expectPieces("clockwise subject inside", cw, regular(12, 2, 2, 3, true), 1.25, {cw});
  expectPieces("clockwise clip inside", regular(12, 2, 2, 3, true), cw, 1.25, {cw});
}

TEST(PolygonIntersection, OutlinesThatOnlyTouchGiveNothingOrAZeroAreaPiece) {
  // Boxes that only touch (in X, in Y, at a corner) or lie apart; outlines
  // whose boxes overlap but which do not meet.
  expectPieces("touching in Y", square(0, 0, 1, 1), square(0, 1, 1, 2), 0.0, {});
  expectPieces("boxes touching at a corner", square(1, 1, 2, 2), square(0, 0, 1, 1), 0.0, {});
  expectPieces("apart", square(0, 0, 1, 1), square(5, 5, 6, 6), 0.0, {});
  expectPieces("boxes overlap", {{0, 0}, {0, 4}, {1, 0}}, {{4, 4}, {4, 0}, {0.5f, 4}}, 0.0, {});
  expectPieces("a corner inside overlapping boxes", square(0, 0, 2, 2), {{2, 2}, {4, 0}, {4, 4}, {0, 4}}, 0.0,
               {{{2, 2}}});
  // Along a stretch of edge from outside.
  const Ring hook{{0.5f, 2}, {1.5f, 2}, {1.5f, 3}, {3, 3}, {3, -1}, {2.5f, -1}, {2.5f, 3.5f}, {0.5f, 3.5f}};
  EXPECT_EQ(intersectPolygons(square(0, 0, 2, 2), hook).area, 0.0);
}

TEST(PolygonIntersection, DegenerateInputNeverCrashes) {
  // Too few points, repeats, self-crossings, all on a line, NaN and infinity:
  // the routine returns (the sanitizers watch) with a bounded number of pieces.
  EXPECT_TRUE(intersectPolygons({}, {}).pieces.empty());
  EXPECT_TRUE(intersectPolygons({{0, 0}, {1, 1}}, square(0, 0, 2, 2)).pieces.empty());
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const Ring box = square(-1, -1, 2.5f, 2.5f);
  const std::vector<Ring> odd{
      {{0, 0}, {0, 0}, {0, 0}},   {{0, 0}, {1, 1}, {2, 2}, {3, 3}}, {{0, 0}, {2, 2}, {2, 0}, {0, 2}},
      {{0, 0}, {nan, 1}, {2, 0}}, {{0, 0}, {inf, 1}, {2, -inf}},    {{0, 0}, {0, 3}, {0, 3}, {3, 3}, {3, 3}, {3, 0}},
  };
  for (const Ring& a : odd) {
    EXPECT_LE(intersectPolygons(a, box).pieces.size(), a.size() + 4);
    EXPECT_LE(intersectPolygons(box, a).pieces.size(), a.size() + 4);
    for (const Ring& b : odd) EXPECT_LE(intersectPolygons(a, b).pieces.size(), a.size() + b.size());
  }
}

TEST(PolygonIntersection, AReusedWorkspaceLeavesNoStalePieces) {
  qx::IntersectionWorkspace ws;
  qx::IntersectionResult res;
  qx::intersectPolygons(bar, u, ws, res);
  EXPECT_EQ(res.pieces.size(), 2u);
  qx::intersectPolygons(square(0, 0, 2, 2), square(1, 1, 3, 3), ws, res);
  EXPECT_EQ(res.pieces, intersectPolygons(square(0, 0, 2, 2), square(1, 1, 3, 3)).pieces);
  qx::intersectPolygons(square(0, 0, 1, 1), square(1, 0, 2, 1), ws, res);
  EXPECT_TRUE(res.pieces.empty() && res.area == 0.0);
}

// Convex cells (relative to their site) against the influence polygon where
// a crossing lies within 0.001 of a corner. These lost most of their area
// (a chord cut across the part behind the corner) or came back empty.
TEST(PolygonIntersection, CellsWhoseCrossingsLieNextToACorner) {
  expectOneRightPiece("corner 0.00105 outside the cell's edge", 10.87, 191.700808, 0.002,
                      {-9.26095581f, 1.14982879f, -12.043313f, 0.277455449f, -10.833251f, -6.39289856f, -2.50146031f,
                       -11.6976223f, 3.59377623f, -11.6967554f, 10.4748125f, -6.24313879f, 2.58946037f, 2.18502164f});
  expectOneRightPiece("corner 0.0011 inside the cell's edge", 10.87, 98.971249, 0.002,
                      {-2.14489818f, -8.79414463f, -2.01513624f, -13.9400158f, -0.45815298f, -14.9699612f, 8.80768681f,
                       -8.78784084f, -1.54444635f, 7.1208601f});
  expectOneRightPiece("narrow cell, corner 0.00101 off its edge", 12.30, 10.493310, 0.002,
                      {-3.66725039f, 0.720698059f, -3.64829659f, 0.547052443f, 9.04569912f, -2.479141f, 11.9459181f,
                       -3.06775188f, 12.4051104f, -2.55236888f, -3.65148926f, 1.18302047f});
  expectOneRightPiece("one edge by two corners, one of them beyond the tolerance", 13.9972855, 364.293790, 0.002,
                      {10.7463827f, 17.8901043f, 5.14825535f, 23.2094212f, -12.4985933f, 16.7693272f, -16.8364124f,
                       11.764205f, 8.64005566f, -15.5509634f});
  expectOneRightPiece("a corner of each within the tolerance of the other's edge", 7.09510452, 95.297767, 0.002,
                      {-1.33198798f, -6.98417807f, -6.50931501f, -9.40526867f, -6.87229109f, -9.34008312f, -11.8607216f,
                       -0.524924994f, -7.46060228f, 5.74290514f, -0.498718232f, 12.667778f, 4.50671864f, 9.03598881f});
  expectOneRightPiece(
      "the same, the pinch being the last contact of the cell", 24.3304917, 1026.950833, 0.002,
      {13.0638037f, -20.5837822f, 15.9760799f, -27.7156811f, 7.84341002f, -34.7472267f, -11.1277561f, -31.0986538f,
       -24.4616222f, -21.4574795f, -38.6114616f, -3.25865412f, -31.1086636f, 26.4804001f, -17.9927616f, 38.4059525f});
  expectOneRightPiece("cell corner 0.0014 outside, both its edges cross next to one corner", 10.0183057, 196.971613,
                      0.002,
                      {17.2097034f, -0.455361664f, 15.7662258f, 4.0209136f, -6.3998313f, 7.73514891f, 0.570459783f,
                       -15.0497103f, 2.68214893f, -14.680583f, 12.5308542f, -9.07361317f});
  expectOneRightPiece("narrow cell corner 0.008 from the polygon's corner", 15.6253693, 103.295464, 0.01,
                      {-4.84007311f, -14.898035f, 1.23794878f, 24.3728657f, 8.31679249f, 19.444809f});
  expectOneRightPiece("cell corner 0.0011 from the polygon's corner, the crossing next to the cell's corner only",
                      17.4236231, 668.864957, 0.002,
                      {5.39384127f, -16.6032391f, 4.06505919f, -21.7883472f, -9.76830006f, -24.5244999f, -21.1785183f,
                       -14.8418703f, -29.5867424f, 9.99054527f, -8.77538204f, 26.605978f, 5.85393381f, 23.2892456f});
  expectOneRightPiece("cell corner next to the polygon's corner, two such crossings", 25.5883615, 1008.501032, 0.002,
                      {4.8043642f, 25.1859531f, 22.3238049f, -23.8740273f, 20.1620255f, -26.6823063f, 5.22845268f,
                       -33.5983849f, -21.2654781f, -24.8142872f});
}
