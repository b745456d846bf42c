// One Voronoi cell cut from the rectangle by bisectors, shared by the
// constructions that find the bisectors from a triangulation.
#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/voronoi.h"

namespace qx::voronoi {

namespace {

// Where two lines cross (Cramer's rule).
inline void crossing(double a1, double b1, double c1, double a2, double b2, double c2, double& x, double& y) {
  const double det = a1 * b2 - a2 * b1;
  x = (c1 * b2 - c2 * b1) / det;
  y = (a1 * c2 - a2 * c1) / det;
}

// The centre of the circle through three points, where the bisectors of
// the first with the other two cross, relative to the first. Worked out from
// the corner opposite the longest side, whose two sides are the least
// parallel: from the far corner of a long thin triangle (a near-repeated
// pair seen from afar) the two bisectors are nearly parallel and their
// crossing would wander along them. The corner is chosen from the three
// points alone, so every cell around the corner gets the same point.
inline void circumcentre(const DPoint2D* p[3], const int id[3], double& x, double& y) {
  const auto len2 = [&](int u, int v) {
    const double dx = p[u]->x - p[v]->x, dy = p[u]->y - p[v]->y;
    return dx * dx + dy * dy;
  };
  const double opposite[3] = {len2(1, 2), len2(0, 2), len2(0, 1)};
  int a = 0;
  for (int k = 1; k < 3; ++k)
    if (opposite[k] > opposite[a] || (opposite[k] == opposite[a] && id[k] < id[a])) a = k;
  const DPoint2D& A = *p[a];
  const DPoint2D& B = *p[(a + 1) % 3];
  const DPoint2D& C = *p[(a + 2) % 3];
  const double bx = B.x - A.x, by = B.y - A.y, cx = C.x - A.x, cy = C.y - A.y;
  const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
  const double d = 2 * (bx * cy - by * cx);
  x = (A.x - p[0]->x) + (cy * b2 - by * c2) / d;
  y = (A.y - p[0]->y) + (bx * c2 - cx * b2) / d;
}

}  // namespace

void Buckets::build(const std::vector<DPoint2D>& points, const std::vector<int>& which) {
  start_.clear();
  points_.clear();
  where_.clear();
  if (which.empty()) {
    start_.assign(2, 0);
    columns_ = rows_ = 1;
    return;
  }
  double xmin = points[which[0]].x, xmax = xmin, ymin = points[which[0]].y, ymax = ymin;
  for (int k : which) {
    const DPoint2D& p = points[k];
    xmin = std::min(xmin, p.x);
    xmax = std::max(xmax, p.x);
    ymin = std::min(ymin, p.y);
    ymax = std::max(ymax, p.y);
  }
  const double w = xmax - xmin, h = ymax - ymin;
  const double target = std::max<double>(1, static_cast<double>(which.size() / 2));
  // Square buckets; along a line of points (no height or no width) the
  // buckets cut the line into about target pieces.
  double size = std::max(std::sqrt(w * h / target), std::max(w, h) / target);
  if (!(size > 0) || !std::isfinite(size)) size = 1;
  x0_ = xmin;
  y0_ = ymin;
  size_ = size;
  columns_ = static_cast<int>(w / size) + 1;
  rows_ = static_cast<int>(h / size) + 1;
  const auto bucketOf = [&](const DPoint2D& p) {
    const int c = std::min(static_cast<int>((p.x - x0_) / size_), columns_ - 1);
    const int r = std::min(static_cast<int>((p.y - y0_) / size_), rows_ - 1);
    return r * columns_ + c;
  };
  start_.assign(static_cast<std::size_t>(columns_) * rows_ + 1, 0);
  for (int k : which) ++start_[bucketOf(points[k]) + 1];
  for (std::size_t b = 1; b < start_.size(); ++b) start_[b] += start_[b - 1];
  points_.resize(which.size());
  where_.resize(which.size());
  std::vector<int> fill(start_.begin(), start_.end() - 1);
  for (int k : which) {
    const int at = fill[bucketOf(points[k])]++;
    points_[at] = k;
    where_[at] = points[k];
  }
}

void CellRing::start(const DPoint2D& p, int self, const Segment sides[4], int sideBase) {
  p_ = p;
  self_ = self;
  sideBase_ = sideBase;
  const double x0 = p.x, y0 = p.y;
  // The rectangle's sides as seen from the point, counter-clockwise: bottom,
  // right, top, left. Each vertex starts the edge it carries.
  Line side[4];
  const int ring[4] = {0, 2, 3, 1};
  for (int k = 0; k < 4; ++k) {
    const Segment& s = sides[ring[k]];
    const double sx = s.start.x - x0, sy = s.start.y - y0;
    double a = s.start.y - s.end.y, b = s.end.x - s.start.x, c = a * sx + b * sy;
    if (c < 0) a = -a, b = -b, c = -c;
    side[k] = {a, b, c, sideBase + ring[k], {}};
  }
  poly_.clear();
  for (int k = 0; k < 4; ++k) {
    const Line& p = side[(k + 3) % 4];
    const Line& q = side[k];
    Vertex v{0, 0, q};
    crossing(p.a, p.b, p.c, q.a, q.b, q.c, v.x, v.y);
    poly_.push_back(v);
  }
}

bool CellRing::cut(const DPoint2D& q, int j) {
  // The bisector keeps the point's side: with (a, b) the step to the
  // neighbour, it is a x + b y = (a^2 + b^2) / 2.
  const double a = q.x - p_.x, b = q.y - p_.y;
  const Line cut{a, b, (a * a + b * b) / 2, j, q};
  const auto inside = [&](const Vertex& v) { return a * v.x + b * v.y <= cut.c; };
  next_.clear();
  const std::size_t k = poly_.size();
  for (std::size_t t = 0; t < k; ++t) {
    const Vertex& cur = poly_[t];
    const Vertex& nxt = poly_[t + 1 == k ? 0 : t + 1];
    const bool curIn = inside(cur), nxtIn = inside(nxt);
    if (curIn) next_.push_back(cur);
    if (curIn != nxtIn) {
      // The crossing on this edge starts the bisector's edge when the ring
      // leaves the half-plane here, the rest of this edge when it comes back.
      Vertex v{0, 0, curIn ? cut : cur.edge};
      if (cur.edge.id < sideBase_) {
        const DPoint2D* corner[3] = {&p_, &cur.edge.q, &q};
        const int id[3] = {self_, cur.edge.id, j};
        circumcentre(corner, id, v.x, v.y);
      } else {
        crossing(cur.edge.a, cur.edge.b, cur.edge.c, a, b, cut.c, v.x, v.y);
      }
      next_.push_back(v);
    }
  }
  std::swap(poly_, next_);
  return poly_.size() >= 3;
}

bool CellRing::finish() {
  std::size_t k = poly_.size();
  for (std::size_t t = 0; t < k && k > 3;) {
    const std::size_t prev = t == 0 ? k - 1 : t - 1;
    if (poly_[prev].edge.id == poly_[t].edge.id) {
      poly_.erase(poly_.begin() + static_cast<std::ptrdiff_t>(t));
      --k;
    } else {
      ++t;
    }
  }
  for (const Vertex& v : poly_)
    if (!std::isfinite(v.x) || !std::isfinite(v.y)) return false;
  return true;
}

std::size_t CellRing::firstEdge() const {
  // The direct construction sorts the edges by the polar angle of their
  // midpoints around the point (equal angles by line id) and lists each
  // edge's counter-clockwise end; around a convex cell that is the cell's own
  // order from the counter-clockwise end of the first edge of the sort. The
  // cell's own order is kept from there even where the sort departs from it
  // (midpoints within 0.0001 in Y of the point all take angle 0 or pi).
  //
  // The angle is a rising function of a key made of the cosine the angle is
  // taken from: 1 - c above the X axis (0 to pi), 3 + c below it (pi to
  // 2 pi), 0 or 2 on it; the angle rises at least as fast as the key. So an
  // edge whose key is more than kKeySlack above the least key has a larger
  // angle even after the rounding of the key and of acos (a few units in the
  // last place, 1e-15 at most), and only the edges within kKeySlack of the
  // least key need their angle, which is then the same call as always.
  constexpr double kKeySlack = 1e-12;
  const std::size_t k = poly_.size();
  double keys[64];
  const bool keep = k <= 64;
  double least = 0;
  bool all = !keep;  // more edges than keys, or a key that is not a number: every angle
  for (std::size_t t = 0; t < k; ++t) {
    const Vertex& a = poly_[t];
    const Vertex& b = poly_[t + 1 == k ? 0 : t + 1];
    const double dx = (a.x + b.x) / 2, dy = (a.y + b.y) / 2;
    double key;
    if (std::fabs(dy) >= 0.0001) {
      // The cosine exactly as polarAngle works it out.
      double c = dx / std::sqrt(dx * dx + dy * dy);
      if (c > 1) c = 1;
      if (c < -1) c = -1;
      key = dy < 0 ? 3 + c : 1 - c;
    } else {
      key = dx >= 0 ? 0.0 : 2.0;
    }
    if (!(key >= 0 && key <= 4)) all = true;
    if (keep) keys[t] = key;
    if (t == 0 || key < least) least = key;
  }
  std::size_t first = 0;
  double firstAngle = 0;
  int firstLine = 0;
  bool any = false;
  for (std::size_t t = 0; t < k; ++t) {
    if (!all && keys[t] > least + kKeySlack) continue;
    const Vertex& a = poly_[t];
    const Vertex& b = poly_[t + 1 == k ? 0 : t + 1];
    const double angle = polarAngle((a.x + b.x) / 2, (a.y + b.y) / 2);
    if (!any || angle < firstAngle || (angle == firstAngle && a.edge.id < firstLine)) {
      first = t;
      firstAngle = angle;
      firstLine = a.edge.id;
      any = true;
    }
  }
  return first;
}

int CellRing::list(std::vector<DPoint3D>& cell) const {
  cell.clear();
  const std::size_t k = poly_.size();
  const std::size_t first = firstEdge();
  cell.reserve(k);
  for (std::size_t t = 1; t <= k; ++t) {
    const Vertex& v = poly_[(first + t) % k];
    cell.push_back({v.x + p_.x, v.y + p_.y, 0.0});
  }
  return static_cast<int>(k);
}

}  // namespace qx::voronoi
