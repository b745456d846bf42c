// The direct construction: every bisector of a pair of points as a segment
// across the rectangle, cut back against every other line around each point.
#include "engine/voronoi.h"

#include <cmath>
#include <numbers>

namespace qx {

namespace voronoi {

DPoint2D sheared(const DPoint3D& p, int k) {
  const double s = static_cast<double>(k) * 1e-6;
  return {p.x - s, p.y + s};
}

Box enlargedBox(const std::vector<DPoint2D>& points, double maxRadius) {
  Box b;
  for (const auto& p : points) {
    if (p.x < b.xmin) b.xmin = p.x;
    if (p.x > b.xmax) b.xmax = p.x;
    if (p.y < b.ymin) b.ymin = p.y;
    if (p.y > b.ymax) b.ymax = p.y;
  }
  if (points.empty()) return b;
  const double w = b.xmax - b.xmin, h = b.ymax - b.ymin;
  double mx = 3 * maxRadius + w, my = 3 * maxRadius + h;
  // Written so that a NaN radius also takes the least margin.
  if (!(mx >= kMinMargin)) mx = kMinMargin;
  if (!(my >= kMinMargin)) my = kMinMargin;
  b.xmin -= mx;
  b.xmax += mx;
  b.ymin -= my;
  b.ymax += my;
  return b;
}

Segment bisector(const DPoint2D& pi, const DPoint2D& pj, const Box& box) {
  const double dx = pj.x - pi.x, dy = pj.y - pi.y;
  double m;
  if (std::fabs(dx) < 0.0001)
    m = 0.0;
  else if (std::fabs(dy) >= 0.0001)
    m = -dx / dy;
  else
    m = 10000.0;  // near-vertical
  const double b = ((pj.y + pi.y) - (pj.x + pi.x) * m) / 2;
  if (m <= -1 || m > 1) return {{(box.ymin - b) / m, box.ymin}, {(box.ymax - b) / m, box.ymax}};
  return {{box.xmin, m * box.xmin + b}, {box.xmax, m * box.xmax + b}};
}

Segment side(const Box& box, int s) {
  switch (s) {
    case 0: return {{box.xmin, box.ymin}, {box.xmax, box.ymin}};
    case 1: return {{box.xmin + 0.1, box.ymin}, {box.xmin, box.ymax}};
    case 2: return {{box.xmax, box.ymin}, {box.xmax - 0.1, box.ymax}};
    default: return {{box.xmin, box.ymax}, {box.xmax, box.ymax}};
  }
}

double polarAngle(double dx, double dy) {
  if (std::fabs(dy) >= 0.0001) {
    double c = dx / std::sqrt(dx * dx + dy * dy);
    // Rounding can put the cosine a hair beyond 1 when dx dwarfs dy.
    if (c > 1) c = 1;
    if (c < -1) c = -1;
    const double t = std::acos(c);
    return dy < 0 ? 2 * std::numbers::pi - t : t;
  }
  return dx >= 0 ? 0.0 : std::numbers::pi;
}

}  // namespace voronoi

using voronoi::Segment;

namespace {
constexpr double kDeleted = -1e37;
constexpr double kPi = std::numbers::pi;
bool alive(const Segment& s) { return s.start.x > kDeleted; }
}  // namespace

CVoronoi::CVoronoi(int n) { resize(n); }

void CVoronoi::resize(int n) {
  n_ = n < 0 ? 0 : n;
  stride_ = n_ + 4;
  points_.assign(static_cast<std::size_t>(n_), DPoint2D{});
  edges_.assign(static_cast<std::size_t>(n_) * static_cast<std::size_t>(stride_), Segment{});
}

int CVoronoi::setPoints(const std::vector<DPoint3D>& points, double maxRadius) {
  resize(static_cast<int>(points.size()));
  for (int k = 0; k < n_; ++k)
    points_[static_cast<std::size_t>(k)] = voronoi::sheared(points[static_cast<std::size_t>(k)], k);
  box_ = voronoi::enlargedBox(points_, maxRadius);
  return n_;
}

int CVoronoi::compute() {
  const int n = n_;
  // Bisectors in the upper triangle, the rectangle's four sides in every row.
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) entry(i, j) = voronoi::bisector(points_[i], points_[j], box_);
    for (int s = 0; s < 4; ++s) entry(i, n + s) = voronoi::side(box_, s);
  }

  // Around point i, every line j cuts the segments i shares with higher
  // points and with the rectangle. A bisector with a lower point was cut to
  // its edge when that point came; if it was deleted then, it cuts nothing.
  for (int i = 0; i < n; ++i) {
    const double x0 = points_[i].x, y0 = points_[i].y;
    for (int j = 0; j < n + 4; ++j) {
      if (j == i) continue;
      const Segment& c = j < i ? entry(j, i) : entry(i, j);
      if (!alive(c)) continue;
      const double m1 = (c.end.y - c.start.y) / (c.end.x - c.start.x);
      const double b1 = c.start.y - m1 * c.start.x;
      const double s0 = m1 * x0 + b1 - y0;
      for (int k = i + 1; k < n + 4; ++k) {
        if (k == j) continue;
        Segment& t = entry(i, k);
        if (!alive(t)) continue;
        const double m2 = (t.end.y - t.start.y) / (t.end.x - t.start.x);
        const double b2 = t.start.y - m2 * t.start.x;
        const bool startFar = (m1 * t.start.x + b1 - t.start.y) * s0 < 0;
        const bool endFar = (m1 * t.end.x + b1 - t.end.y) * s0 < 0;
        if (m1 == m2) {
          // Parallel lines do not cross: a segment wholly on the far side
          // goes, any other stays as it is.
          if (startFar && endFar) t.start.x = kDeleted;
          continue;
        }
        const double X = (b2 - b1) / (m1 - m2);
        const double Y = m1 * X + b1;
        if (startFar) {
          t.start = {X, Y};
          // A piece left with both ends at one X would have no slope.
          if (t.start.x == t.end.x) {
            t.start.x = kDeleted;
            continue;
          }
        }
        if (endFar) {
          if (std::fabs(t.start.x - X) >= 0.0001)
            t.end = {X, Y};
          else
            t.start.x = kDeleted;  // shorter than 0.0001 in X: gone, whatever its length in Y
        }
      }
    }
  }
  return 1;
}

int CVoronoi::buildCell(int i, std::vector<DPoint3D>& cell) const {
  cell.clear();
  if (i < 0 || i >= n_) return -1;
  const int n = n_;
  const double x0 = points_[i].x, y0 = points_[i].y;

  // The live segments around i, sorted by the angle of their midpoints; a
  // segment goes before the first one with a strictly greater angle, so equal
  // angles keep the order of j.
  struct Item {
    double angle;
    const Segment* s;
  };
  std::vector<Item> list;
  list.reserve(16);
  for (int j = 0; j < n + 4; ++j) {
    if (j == i) continue;
    const Segment& s = j < i ? entry(j, i) : entry(i, j);
    if (!alive(s)) continue;
    const double a = voronoi::polarAngle((s.start.x + s.end.x) / 2 - x0, (s.start.y + s.end.y) / 2 - y0);
    std::size_t at = 0;
    while (at < list.size() && !(list[at].angle > a)) ++at;
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), Item{a, &s});
  }

  // Each segment gives its counter-clockwise end.
  for (const Item& item : list) {
    const Segment& s = *item.s;
    const double aS = voronoi::polarAngle(s.start.x - x0, s.start.y - y0);
    const double aE = voronoi::polarAngle(s.end.x - x0, s.end.y - y0);
    double d = aS - aE;
    if (d > kPi) d -= 2 * kPi;
    if (d < -kPi) d += 2 * kPi;
    const DPoint2D& p = d >= 0 ? s.start : s.end;
    cell.push_back({p.x, p.y, 0.0});
  }
  return static_cast<int>(cell.size());
}

}  // namespace qx
