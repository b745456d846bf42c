// The intersection routine against Boost.Geometry on random pairs from fixed
// seeds. docs/polygon-intersection.md explains the table and the limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/geometry.hpp>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <tuple>

#include "engine/polygon_intersection.h"

namespace bg = boost::geometry;
using qx::FPoint2D;
using Ring = std::vector<FPoint2D>;
using BPoint = bg::model::d2::point_xy<double>;
using BPolygon = bg::model::polygon<BPoint>;

namespace {

// Deterministic across standard libraries: only the raw engine output is used.
struct Rand {
  std::mt19937 gen;
  explicit Rand(unsigned seed) : gen(seed) {}
  double uniform(double lo, double hi) { return lo + (hi - lo) * (gen() / 4294967296.0); }
  int integer(int lo, int hi) { return lo + int(gen() % unsigned(hi - lo + 1)); }
};

BPolygon toBoost(const Ring& r) {
  BPolygon p;
  for (const FPoint2D& q : r) bg::append(p.outer(), BPoint(q.x, q.y));
  bg::correct(p);
  return p;
}

// A convex outline: n points on a circle of random radius at jittered angles.
Ring convex(Rand& rnd, double cx, double cy, double rmin, double rmax, int n) {
  std::vector<double> ang(static_cast<std::size_t>(n));
  for (double& a : ang) a = rnd.uniform(0, 2 * M_PI);
  std::sort(ang.begin(), ang.end());
  Ring out;
  const double r = rnd.uniform(rmin, rmax);
  for (int k = 0; k < n; ++k) {
    const double a = 2 * M_PI * k / n + (ang[std::size_t(k)] - M_PI) / (4.0 * n);
    out.push_back({float(cx + r * std::cos(a)), float(cy + r * std::sin(a))});
  }
  if (rnd.integer(0, 1)) std::reverse(out.begin(), out.end());
  return out;
}

Ring triangle(Rand& rnd, double cx, double cy, double size) {
  Ring t;
  for (int k = 0; k < 3; ++k) t.push_back({float(cx + rnd.uniform(-size, size)), float(cy + rnd.uniform(-size, size))});
  return t;
}

Ring star(Rand& rnd, double cx, double cy, double r) {
  const int spikes = rnd.integer(5, 9);
  const double inner = r * rnd.uniform(0.3, 0.6), rot = rnd.uniform(0, 2 * M_PI);
  Ring s;
  for (int k = 0; k < 2 * spikes; ++k) {
    const double a = rot + M_PI * k / spikes, rk = (k % 2 ? inner : r) * rnd.uniform(0.9, 1.0);
    s.push_back({float(cx + rk * std::cos(a)), float(cy + rk * std::sin(a))});
  }
  return s;
}

// The influence polygon of the polygon set: 50 sides, inscribed radius r.
Ring influence(double cx, double cy, double r) {
  Ring out;
  for (int k = 0; k < 50; ++k) {
    const double a = -M_PI / 2 + M_PI / 50 + 2 * M_PI * k / 50, R = r / std::cos(M_PI / 50);
    out.push_back({float(cx + R * std::cos(a)), float(cy + R * std::sin(a))});
  }
  return out;
}

// A Voronoi-like cell around its site at the origin: the convex hull of 3 to
// 10 points at 0.3 to 1.6 times r from it.
Ring cell(Rand& rnd, double r) {
  bg::model::multi_point<BPoint> points;
  for (int k = 0, n = rnd.integer(3, 10); k < n; ++k) {
    const double a = rnd.uniform(0, 2 * M_PI), d = r * rnd.uniform(0.3, 1.6);
    bg::append(points, BPoint(float(d * std::cos(a)), float(d * std::sin(a))));
  }
  BPolygon hull;
  bg::convex_hull(points, hull);
  Ring out;
  for (std::size_t k = 0; k + 1 < hull.outer().size(); ++k)
    out.push_back({float(bg::get<0>(hull.outer()[k])), float(bg::get<1>(hull.outer()[k]))});
  if (rnd.integer(0, 1)) std::reverse(out.begin(), out.end());
  return out;
}

// Keeps the part of `poly` on the side `keep` (1 left, -1 right) of the line
// through (px, py) in the direction (ux, uy).
template <class T>
void cut(std::vector<std::pair<T, T>>& poly, T px, T py, T ux, T uy, T keep) {
  std::vector<std::pair<T, T>> next;
  auto side = [&](const std::pair<T, T>& q) { return keep * (ux * (q.second - py) - uy * (q.first - px)); };
  for (std::size_t k = 0; k < poly.size(); ++k) {
    const auto& a = poly[k];
    const auto& b = poly[(k + 1) % poly.size()];
    const T sa = side(a), sb = side(b);
    if (sa >= 0) next.push_back(a);
    if ((sa >= 0) != (sb >= 0)) {
      const T t = sa / (sa - sb);
      next.emplace_back(a.first + t * (b.first - a.first), a.second + t * (b.second - a.second));
    }
  }
  poly.swap(next);
}

// Twice the signed area.
template <class T>
T shoelace(const std::vector<std::pair<T, T>>& poly) {
  T s = 0;
  for (std::size_t k = 0, m = poly.size() - 1; k < poly.size(); m = k++)
    s += poly[m].first * poly[k].second - poly[m].second * poly[k].first;
  return s;
}

// A polygon around the origin wholly outside the clip, cut (in double) by one
// or two lines that pass corners of the clip at -0.002 to 0.002 and at 30 to 88
// degrees to it: the crossings there lie within the tolerance of the corner.
Ring cellByCorners(Rand& rnd, const Ring& clip, double r) {
  using P = std::pair<double, double>;
  std::vector<P> poly;
  const int n = rnd.integer(6, 10);
  for (int k = 0; k < n; ++k) {
    const double a = 2 * M_PI * (k + rnd.uniform(-0.2, 0.2)) / n, d = r * rnd.uniform(1.3, 1.8);
    poly.emplace_back(d * std::cos(a), d * std::sin(a));
  }
  for (int c = 0, cuts = rnd.integer(1, 2); c < cuts; ++c) {
    const FPoint2D v = clip[std::size_t(rnd.integer(0, int(clip.size()) - 1))];
    const double slant = rnd.uniform(30, 88) * (rnd.integer(0, 1) ? 1 : -1);
    const double tangent = std::atan2(v.y, v.x) + M_PI / 2 + slant * M_PI / 180;
    const double ux = std::cos(tangent), uy = std::sin(tangent), off = rnd.uniform(-0.002, 0.002);
    const double px = v.x - uy * off, py = v.y + ux * off;          // a point of the line
    cut(poly, px, py, ux, uy, uy * px - ux * py > 0 ? 1.0 : -1.0);  // the origin's side
  }
  Ring out;
  for (const P& q : poly) out.push_back({float(q.first), float(q.second)});
  if (rnd.integer(0, 1)) std::reverse(out.begin(), out.end());
  return out;
}

// A second, independent answer: the subject cut by each half plane of a convex
// clip in turn, in long double (exact in area whatever the subject).
long double convexClipArea(const Ring& subject, const Ring& convexClip) {
  using P = std::pair<long double, long double>;
  std::vector<P> poly, c;
  for (const FPoint2D& q : subject) poly.emplace_back(q.x, q.y);
  for (const FPoint2D& q : convexClip) c.emplace_back(q.x, q.y);
  if (shoelace(c) < 0) std::reverse(c.begin(), c.end());  // counter-clockwise: inside is left
  for (std::size_t k = 0; k < c.size() && !poly.empty(); ++k) {
    const P a = c[k], b = c[(k + 1) % c.size()];
    cut(poly, a.first, a.second, b.first - a.first, b.second - a.second, 1.0L);
  }
  return std::abs(shoelace(poly)) / 2;
}

// The convex outline `b` as the clip (2) or, swapped, as the subject (1).
int eitherOrder(Rand& r, Ring& a, Ring& b) { return r.integer(0, 1) ? (std::swap(a, b), 1) : 2; }

// `make` returns which outline is known to be convex: 0 neither, 1 the subject,
// 2 the clip. Boost.Geometry throwing fails the test.
void run(const char* name, int pairs, unsigned seed, double leastAgree, double leastInBand, int mostOverflows,
         const std::function<int(Rand&, Ring&, Ring&)>& make) {
  int agree = 0, inBand = 0, overflow = 0;
  double maxRel = 0.0;
  Rand rnd(seed);
  Ring a, b;
  for (int k = 0; k < pairs; ++k) {
    const int convex = make(rnd, a, b);
    const auto ours = qx::intersectPolygons(a, b);
    if (ours.overflow) ++overflow;
    const BPolygon ba = toBoost(a), bb = toBoost(b);
    bg::model::multi_polygon<BPolygon> out;
    bg::intersection(ba, bb, out);
    double ref = bg::area(out);
    const double band = 0.001 * std::min(bg::perimeter(ba), bg::perimeter(bb));
    if (convex) {
      const double second = double(convex == 2 ? convexClipArea(a, b) : convexClipArea(b, a));
      if (std::abs(second - ref) > band) ref = second;  // Boost.Geometry failed on nearly collinear edges
    }
    if (std::abs(ours.area - ref) <= band) ++inBand;
    // Floored so that an empty or touching result is judged on an absolute scale.
    const double floor = 1e-4 * std::min(qx::pieceArea(a), qx::pieceArea(b));
    const double rel = std::abs(ours.area - ref) / std::max(ref, floor);
    maxRel = std::max(maxRel, rel);
    if (rel <= 1e-4) ++agree;
  }
  std::printf("%-22s %6d %6d %7.2f%% %10.3g %6d %8d\n", name, pairs, agree, 100.0 * agree / pairs, maxRel, inBand,
              overflow);
  EXPECT_GE(double(agree) / pairs, leastAgree) << name;
  EXPECT_GE(double(inBand) / pairs, leastInBand) << name;
  EXPECT_LE(overflow, mostOverflows) << name;
}

}  // namespace

TEST(PolygonIntersectionCrossCheck, AgainstBoostGeometry) {
  std::printf("%-22s %6s %6s %8s %10s %6s %8s\n", "category", "pairs", "agree", "agree%", "max rel", "band",
              "overflow");
  run("convex x convex", 2000, 11, 0.999, 1.0, 0, [](Rand& r, Ring& a, Ring& b) {
    a = convex(r, r.uniform(0, 20), r.uniform(0, 20), 3, 12, r.integer(3, 12));
    b = convex(r, r.uniform(0, 20), r.uniform(0, 20), 3, 12, r.integer(3, 12));
    return 2;
  });
  run("triangle x triangle", 2000, 12, 0.995, 1.0, 0, [](Rand& r, Ring& a, Ring& b) {
    a = triangle(r, 10, 10, 8);
    b = triangle(r, r.uniform(5, 15), r.uniform(5, 15), 8);
    return 2;
  });
  run("star x convex", 1500, 13, 1.0, 1.0, 0, [](Rand& r, Ring& a, Ring& b) {
    a = star(r, 10, 10, 8);
    b = convex(r, r.uniform(2, 18), r.uniform(2, 18), 2, 8, r.integer(3, 10));
    return eitherOrder(r, a, b);
  });
  run("star x star", 1500, 14, 0.998, 0.999, 1, [](Rand& r, Ring& a, Ring& b) {
    a = star(r, 10, 10, 8);
    b = star(r, r.uniform(4, 16), r.uniform(4, 16), r.uniform(4, 9));
    return 0;
  });
  run("shared vertex", 1000, 15, 1.0, 1.0, 0, [](Rand& r, Ring& a, Ring& b) {
    a = convex(r, 10, 10, 4, 8, r.integer(3, 9));
    b = convex(r, r.uniform(0, 20), r.uniform(0, 20), 3, 8, r.integer(3, 9));
    const FPoint2D v = a[std::size_t(r.integer(0, int(a.size()) - 1))];
    const std::size_t k = std::size_t(r.integer(0, int(b.size()) - 1));
    const float dx = v.x - b[k].x, dy = v.y - b[k].y;
    for (FPoint2D& p : b) p = {p.x + dx, p.y + dy};
    b[k] = v;
    return 2;
  });
  // A triangle on a whole or partial edge, its apex outside (touching) or inside.
  run("shared edge", 1500, 16, 0.85, 1.0, 0, [](Rand& r, Ring& a, Ring& b) {
    a = convex(r, 10, 10, 4, 8, r.integer(3, 9));
    const std::size_t k = std::size_t(r.integer(0, int(a.size()) - 1));
    FPoint2D v1 = a[k], v2 = a[(k + 1) % a.size()];
    auto at = [&](double t) { return FPoint2D{float(v1.x + t * (v2.x - v1.x)), float(v1.y + t * (v2.y - v1.y))}; };
    if (r.integer(0, 1)) std::tie(v1, v2) = std::pair{at(r.uniform(0.0, 0.4)), at(r.uniform(0.6, 1.0))};
    const double dx = v2.x - v1.x, dy = v2.y - v1.y;
    const double h = r.uniform(0.2, 1.5) * (r.integer(0, 1) ? 1 : -1), t = 0.5 + r.uniform(-0.3, 0.3);
    b = {v1, v2, {float(v1.x + t * dx + h * dy), float(v1.y + t * dy - h * dx)}};
    return eitherOrder(r, a, b);
  });
  run("one inside the other", 1000, 17, 1.0, 1.0, 0, [](Rand& r, Ring& a, Ring& b) {
    a = r.integer(0, 1) ? convex(r, 10, 10, 4, 8, r.integer(3, 12)) : star(r, 10, 10, 8);
    const double s = r.uniform(0.1, 0.25);
    b = convex(r, 10 + r.uniform(-0.5, 0.5), 10 + r.uniform(-0.5, 0.5), s * 4, s * 8, r.integer(3, 12));
    return eitherOrder(r, a, b);
  });
  run("cell x 50-gon, radii", 1500, 19, 0.999, 1.0, 0, [](Rand& r, Ring& a, Ring& b) {
    static const double radii[] = {5, 10, 10.87, 12.3, 25, 100};
    const double radius = radii[r.integer(0, 5)];
    a = cell(r, radius);
    b = influence(0, 0, radius);
    return 2;
  });
  run("cell edge by a corner", 1000, 20, 0.99, 1.0, 0, [](Rand& r, Ring& a, Ring& b) {
    const double radius = r.uniform(5, 30);
    b = influence(0, 0, radius);
    a = cellByCorners(r, b, radius);
    return 2;
  });
}
