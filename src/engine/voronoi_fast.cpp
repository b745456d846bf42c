// Cells bounded by the bisectors of Delaunay neighbours only. The only file of
// the engine that sees the triangulation library: the header stays plain.
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>
#include <CGAL/property_map.h>
#include <CGAL/spatial_sort.h>

#include <algorithm>
#include <cmath>
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

}  // namespace

bool FastVoronoi::compute(const std::vector<DPoint3D>& points, double maxRadius) {
  n_ = 0;
  cellStart_.assign(1, 0);
  cellPoints_.clear();
  const int n = static_cast<int>(points.size());
  if (n == 0) return false;

  points_.resize(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    points_[k] = voronoi::sheared(points[k], k);
    if (!std::isfinite(points_[k].x) || !std::isfinite(points_[k].y)) return false;
  }
  box_ = voronoi::enlargedBox(points_, maxRadius);
  for (int s = 0; s < 4; ++s) sides_[s] = voronoi::side(box_, s);

  // The triangulation of the sheared points, sorted along a space-filling
  // curve and inserted in that order, each located from the last vertex.
  std::vector<Input> input;
  input.reserve(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) input.emplace_back(Kernel::Point_2(points_[k].x, points_[k].y), k);
  using Traits = CGAL::Spatial_sort_traits_adapter_2<Kernel, CGAL::First_of_pair_property_map<Input>>;
  CGAL::spatial_sort(input.begin(), input.end(), Traits());
  Delaunay dt;
  Delaunay::Vertex_handle hint;
  for (const auto& [point, index] : input) {
    const auto before = dt.number_of_vertices();
    hint = dt.insert(point, hint == Delaunay::Vertex_handle() ? Delaunay::Face_handle() : hint->face());
    if (dt.number_of_vertices() == before) return false;  // coincides with an earlier point
    hint->info() = index;
  }

  // Neighbour lists, one block per point.
  neighbourStart_.assign(static_cast<std::size_t>(n) + 1, 0);
  for (auto e = dt.finite_edges_begin(); e != dt.finite_edges_end(); ++e) {
    ++neighbourStart_[e->first->vertex(Delaunay::cw(e->second))->info() + 1];
    ++neighbourStart_[e->first->vertex(Delaunay::ccw(e->second))->info() + 1];
  }
  for (int k = 0; k < n; ++k) neighbourStart_[k + 1] += neighbourStart_[k];
  neighbours_.resize(static_cast<std::size_t>(neighbourStart_[n]));
  std::vector<int> fill(neighbourStart_.begin(), neighbourStart_.end() - 1);
  for (auto e = dt.finite_edges_begin(); e != dt.finite_edges_end(); ++e) {
    const int a = e->first->vertex(Delaunay::cw(e->second))->info();
    const int b = e->first->vertex(Delaunay::ccw(e->second))->info();
    neighbours_[fill[a]++] = b;
    neighbours_[fill[b]++] = a;
  }

  n_ = n;
  cellPoints_.reserve(static_cast<std::size_t>(n) * 7);
  cellStart_.reserve(static_cast<std::size_t>(n) + 1);
  for (int i = 0; i < n; ++i) {
    if (!clipCell(i)) {
      n_ = 0;
      cellStart_.assign(1, 0);
      cellPoints_.clear();
      return false;
    }
  }
  return true;
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
  for (int at = neighbourStart_[i]; at < neighbourStart_[i + 1]; ++at) {
    const int j = neighbours_[at];
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

  // The direct construction sorts the edges by the polar angle of their
  // midpoints around the point (equal angles by line id) and lists each
  // edge's counter-clockwise end; around a convex cell that is the cell's own
  // order from the counter-clockwise end of the first edge of the sort. The
  // cell's own order is kept from there even where the sort departs from it
  // (midpoints within 0.0001 in Y of the point all take angle 0 or pi).
  std::size_t first = 0;
  double firstAngle = 0;
  int firstLine = 0;
  for (std::size_t t = 0; t < k; ++t) {
    const Vertex& a = poly_[t];
    const Vertex& b = poly_[t + 1 == k ? 0 : t + 1];
    const double angle = voronoi::polarAngle((a.x + b.x) / 2, (a.y + b.y) / 2);
    if (t == 0 || angle < firstAngle || (angle == firstAngle && a.edge.id < firstLine)) {
      first = t;
      firstAngle = angle;
      firstLine = a.edge.id;
    }
  }
  for (std::size_t t = 1; t <= k; ++t) {
    const Vertex& p = poly_[(first + t) % k];
    cellPoints_.push_back({p.x + x0, p.y + y0, 0.0});
  }
  cellStart_.push_back(static_cast<int>(cellPoints_.size()));
  return true;
}

int FastVoronoi::buildCell(int i, std::vector<DPoint3D>& cell) const {
  cell.clear();
  if (i < 0 || i >= n_) return -1;
  cell.assign(cellPoints_.begin() + cellStart_[i], cellPoints_.begin() + cellStart_[i + 1]);
  return static_cast<int>(cell.size());
}

}  // namespace qx
