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
  for (const voronoi::CellRing::Vertex& v : ring_.vertices()) {
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

bool FastVoronoi::clipCell(int i) {
  ring_.start(points_[i], i, sides_, n_);
  for (const int j : neighbours_)
    if (!ring_.cut(points_[j], j)) return false;
  return ring_.finish();
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
  return ring_.list(cell);
}

}  // namespace qx
