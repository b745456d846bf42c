// Cells bounded by the bisectors of Delaunay neighbours only. The only file of
// the engine that sees the triangulation library: the header stays plain.
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>
#include <CGAL/property_map.h>
#include <CGAL/spatial_sort.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

#include "engine/voronoi.h"

namespace qx {

namespace {
using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using VertexBase = CGAL::Triangulation_vertex_base_with_info_2<int, Kernel>;
using FaceBase = CGAL::Triangulation_face_base_2<Kernel>;
using DataStructure = CGAL::Triangulation_data_structure_2<VertexBase, FaceBase>;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel, DataStructure>;
using Input = std::pair<Kernel::Point_2, int>;

// How far around the wanted points the first triangulation reaches, in
// average spacings of the points (1 and 0.5 were slower: more cells go
// back for points).
constexpr double kSeedSpacings = 2.0;

}  // namespace

struct FastVoronoi::Triangulation {
  Delaunay dt;
  std::vector<Delaunay::Vertex_handle> handle;  // per point; null until it is in
  std::vector<Input> batch;
};

FastVoronoi::FastVoronoi() : dt_(std::make_unique<Triangulation>()) {}
FastVoronoi::~FastVoronoi() = default;

bool FastVoronoi::prepare(const std::vector<DPoint3D>& points, double maxRadius) {
  n_ = 0;
  safeLo_ = std::numeric_limits<double>::infinity();
  safeHi_ = -safeLo_;
  inserted_ = 0;
  coincidence_ = false;
  fallback_.reset();
  dt_->dt.clear();
  bucketStart_.clear();
  const int n = static_cast<int>(points.size());
  if (n == 0) return false;

  points_.resize(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    points_[k] = voronoi::sheared(points[k], k);
    if (!std::isfinite(points_[k].x) || !std::isfinite(points_[k].y)) return false;
  }
  box_ = voronoi::enlargedBox(points_, maxRadius);
  for (int s = 0; s < 4; ++s) sides_[s] = voronoi::side(box_, s);
  dt_->handle.assign(static_cast<std::size_t>(n), Delaunay::Vertex_handle());
  input_.assign(points.begin(), points.end());
  radius_ = maxRadius;
  n_ = n;
  return true;
}

bool FastVoronoi::insert(std::vector<int>& which, int near) {
  // Sorted along a space-filling curve and inserted in that order, each
  // located from the last vertex, the first from point near's when given.
  Triangulation& t = *dt_;
  t.batch.clear();
  for (int k : which) t.batch.emplace_back(Kernel::Point_2(points_[k].x, points_[k].y), k);
  if (t.batch.size() > 2) {
    using Traits = CGAL::Spatial_sort_traits_adapter_2<Kernel, CGAL::First_of_pair_property_map<Input>>;
    CGAL::spatial_sort(t.batch.begin(), t.batch.end(), Traits());
  }
  Delaunay::Vertex_handle hint;
  if (near >= 0) hint = t.handle[static_cast<std::size_t>(near)];
  for (const auto& [point, index] : t.batch) {
    const auto before = t.dt.number_of_vertices();
    hint = t.dt.insert(point, hint == Delaunay::Vertex_handle() ? Delaunay::Face_handle() : hint->face());
    if (t.dt.number_of_vertices() == before) return false;  // coincides with an earlier point
    hint->info() = index;
    t.handle[static_cast<std::size_t>(index)] = hint;
    ++inserted_;
  }
  return true;
}

bool FastVoronoi::compute(const std::vector<DPoint3D>& points, double maxRadius) {
  if (!prepare(points, maxRadius)) return false;
  found_.resize(static_cast<std::size_t>(n_));
  for (int k = 0; k < n_; ++k) found_[k] = k;
  if (!insert(found_)) {
    n_ = 0;
    return false;
  }
  return true;
}

bool FastVoronoi::compute(const std::vector<DPoint3D>& points, double maxRadius, double wantLo, double wantHi) {
  if (!prepare(points, maxRadius)) return false;
  // The wanted points and those within a few spacings of them: most cells
  // then need nothing more.
  double xmin = points_[0].x, xmax = xmin, ymin = points_[0].y, ymax = ymin;
  for (const DPoint2D& p : points_) {
    xmin = std::min(xmin, p.x);
    xmax = std::max(xmax, p.x);
    ymin = std::min(ymin, p.y);
    ymax = std::max(ymax, p.y);
  }
  const double spacing = std::sqrt((xmax - xmin) * (ymax - ymin) / n_);
  const double margin = kSeedSpacings * spacing;
  const double lo = wantLo - margin, hi = wantHi + margin;
  found_.clear();
  for (int k = 0; k < n_; ++k) {
    const double y = points[static_cast<std::size_t>(k)].y;
    if (y >= lo && y < hi) found_.push_back(k);
  }
  // Every point left out lies below safeLo_ or above safeHi_ once sheared
  // (the shear lifts Y by at most n * 1e-6).
  safeLo_ = lo + 1e-6 * n_ + 1e-12 * (std::fabs(lo) + 1);
  safeHi_ = hi - 1e-12 * (std::fabs(hi) + 1);
  if (!insert(found_)) {
    n_ = 0;
    return false;
  }
  return true;
}

void FastVoronoi::buildGrid() {
  // Buckets of about two points each over the box of the points still out.
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  int out = 0;
  for (int k = 0; k < n_; ++k) {
    if (dt_->handle[static_cast<std::size_t>(k)] != Delaunay::Vertex_handle()) continue;
    const DPoint2D& p = points_[k];
    if (out++ == 0) {
      xmin = xmax = p.x;
      ymin = ymax = p.y;
    }
    xmin = std::min(xmin, p.x);
    xmax = std::max(xmax, p.x);
    ymin = std::min(ymin, p.y);
    ymax = std::max(ymax, p.y);
  }
  const double w = xmax - xmin, h = ymax - ymin;
  const double target = std::max(1, out / 2);
  double size = std::max(std::sqrt(w * h / target), std::max(w, h) / target);
  if (!(size > 0) || !std::isfinite(size)) size = 1;
  gridX_ = xmin;
  gridY_ = ymin;
  cellW_ = cellH_ = size;
  columns_ = static_cast<int>(w / size) + 1;
  rows_ = static_cast<int>(h / size) + 1;
  const auto bucketOf = [&](const DPoint2D& p) {
    const int c = std::min(static_cast<int>((p.x - gridX_) / cellW_), columns_ - 1);
    const int r = std::min(static_cast<int>((p.y - gridY_) / cellH_), rows_ - 1);
    return r * columns_ + c;
  };
  bucketStart_.assign(static_cast<std::size_t>(columns_) * rows_ + 1, 0);
  for (int k = 0; k < n_; ++k)
    if (dt_->handle[static_cast<std::size_t>(k)] == Delaunay::Vertex_handle()) ++bucketStart_[bucketOf(points_[k]) + 1];
  for (std::size_t b = 1; b < bucketStart_.size(); ++b) bucketStart_[b] += bucketStart_[b - 1];
  bucketPoints_.resize(static_cast<std::size_t>(out));
  std::vector<int> fill(bucketStart_.begin(), bucketStart_.end() - 1);
  for (int k = 0; k < n_; ++k)
    if (dt_->handle[static_cast<std::size_t>(k)] == Delaunay::Vertex_handle())
      bucketPoints_[fill[bucketOf(points_[k])]++] = k;
}

void FastVoronoi::findIntruders(int i) {
  found_.clear();
  if (bucketStart_.empty()) buildGrid();
  const auto& handle = dt_->handle;
  const double x0 = points_[i].x, y0 = points_[i].y;
  // A bucket range along one axis, clamped to the grid (the far vertices of
  // a cell cut only by the rectangle lie well outside it).
  const auto span = [](double lo, double hi, double origin, double size, int count, int& first, int& last) {
    const double a = std::floor((lo - origin) / size), b = std::floor((hi - origin) / size);
    if (!(b >= 0) || !(a <= count - 1)) return false;
    first = a < 0 ? 0 : static_cast<int>(a);
    last = b > count - 1 ? count - 1 : static_cast<int>(b);
    return true;
  };
  for (const Vertex& v : poly_) {
    const double vx = x0 + v.x, vy = y0 + v.y;
    // A point on the circle through the cell's point is taken too: it
    // cannot change the cell, and rounding must not hide one just inside.
    const double d2 = (v.x * v.x + v.y * v.y) * (1 + 1e-9);
    const double d = std::sqrt(d2) + 1e-9 * (std::fabs(vx) + std::fabs(vy));
    if (vy - d > safeLo_ && vy + d < safeHi_) continue;  // its circle holds no point left out
    int c0, c1;
    if (!span(vx - d, vx + d, gridX_, cellW_, columns_, c0, c1)) continue;
    for (int c = c0; c <= c1; ++c) {
      // Only the rows the circle reaches in this column.
      const double left = gridX_ + c * cellW_, right = left + cellW_;
      const double dx = vx < left ? left - vx : (vx > right ? vx - right : 0.0);
      if (dx > d) continue;
      const double half = std::sqrt(d * d - dx * dx);
      int r0, r1;
      if (!span(vy - half, vy + half, gridY_, cellH_, rows_, r0, r1)) continue;
      for (int r = r0; r <= r1; ++r) {
        const int b = r * columns_ + c;
        for (int at = bucketStart_[b]; at < bucketStart_[b + 1]; ++at) {
          const int j = bucketPoints_[at];
          if (handle[static_cast<std::size_t>(j)] != Delaunay::Vertex_handle()) continue;
          const double ex = points_[j].x - vx, ey = points_[j].y - vy;
          if (ex * ex + ey * ey > d2) continue;
          if (std::find(found_.begin(), found_.end(), j) == found_.end()) found_.push_back(j);
        }
      }
    }
  }
}

void FastVoronoi::gatherNeighbours(int i) {
  neighbours_.clear();
  const Delaunay& dt = dt_->dt;
  if (dt.dimension() < 1) return;
  auto around = dt.incident_vertices(dt_->handle[static_cast<std::size_t>(i)]);
  const auto done = around;
  do {
    if (!dt.is_infinite(around)) neighbours_.push_back(around->info());
  } while (++around != done);
}

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

bool FastVoronoi::clipCell(int i) {
  const double x0 = points_[i].x, y0 = points_[i].y;

  // The rectangle's sides as seen from the point, counter-clockwise: bottom,
  // right, top, left. Each vertex starts the edge it carries.
  CutLine side[4];
  const int ring[4] = {0, 2, 3, 1};
  for (int k = 0; k < 4; ++k) {
    const voronoi::Segment& s = sides_[ring[k]];
    const double sx = s.start.x - x0, sy = s.start.y - y0;
    double a = s.start.y - s.end.y, b = s.end.x - s.start.x, c = a * sx + b * sy;
    if (c < 0) a = -a, b = -b, c = -c;
    side[k] = {a, b, c, n_ + ring[k]};
  }
  poly_.clear();
  for (int k = 0; k < 4; ++k) {
    const CutLine& p = side[(k + 3) % 4];
    const CutLine& q = side[k];
    Vertex v{0, 0, q};
    crossing(p.a, p.b, p.c, q.a, q.b, q.c, v.x, v.y);
    poly_.push_back(v);
  }

  // Each neighbour's bisector keeps the point's side: with (a, b) the step
  // to the neighbour, the bisector is a x + b y = (a^2 + b^2) / 2.
  for (const int j : neighbours_) {
    const double a = points_[j].x - x0, b = points_[j].y - y0;
    const CutLine cut{a, b, (a * a + b * b) / 2, j};
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
        if (cur.edge.id < n_) {
          const DPoint2D* corner[3] = {&points_[i], &points_[cur.edge.id], &points_[j]};
          const int id[3] = {i, cur.edge.id, j};
          circumcentre(corner, id, v.x, v.y);
        } else {
          crossing(cur.edge.a, cur.edge.b, cur.edge.c, a, b, cut.c, v.x, v.y);
        }
        next_.push_back(v);
      }
    }
    std::swap(poly_, next_);
    if (poly_.size() < 3) return false;
  }

  // Two edges in a row on one line (rounding at a vertex on the cut) make one.
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

std::size_t FastVoronoi::firstEdge() const {
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
      // The cosine exactly as voronoi::polarAngle works it out.
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
    const double angle = voronoi::polarAngle((a.x + b.x) / 2, (a.y + b.y) / 2);
    if (!any || angle < firstAngle || (angle == firstAngle && a.edge.id < firstLine)) {
      first = t;
      firstAngle = angle;
      firstLine = a.edge.id;
      any = true;
    }
  }
  return first;
}

int FastVoronoi::fromFallback(int i, std::vector<DPoint3D>& cell) {
  if (!fallback_) {
    fallback_ = std::make_unique<CVoronoi>(n_);
    fallback_->setPoints(input_, radius_);
    fallback_->compute();
  }
  return fallback_->buildCell(i, cell);
}

int FastVoronoi::buildCell(int i, std::vector<DPoint3D>& cell) {
  cell.clear();
  if (i < 0 || i >= n_) return -1;
  if (coincidence_) return fromFallback(i, cell);
  if (dt_->handle[static_cast<std::size_t>(i)] == Delaunay::Vertex_handle())
    found_.assign(1, i);
  else
    found_.clear();
  // Until no point outside the triangulation lies closer to a vertex of the
  // cell than its own point: every vertex is then a vertex of the cell the
  // whole triangulation gives, and so, the cell being convex, is the cell.
  for (;;) {
    if (!found_.empty() && !insert(found_, inserted_ > 0 && found_[0] != i ? i : -1)) {
      coincidence_ = true;
      return fromFallback(i, cell);
    }
    gatherNeighbours(i);
    if (!clipCell(i)) return fromFallback(i, cell);
    if (inserted_ == n_) break;
    findIntruders(i);
    if (found_.empty()) break;
  }
  const double x0 = points_[i].x, y0 = points_[i].y;
  const std::size_t k = poly_.size();
  const std::size_t first = firstEdge();
  cell.reserve(k);
  for (std::size_t t = 1; t <= k; ++t) {
    const Vertex& p = poly_[(first + t) % k];
    cell.push_back({p.x + x0, p.y + y0, 0.0});
  }
  return static_cast<int>(k);
}

}  // namespace qx
