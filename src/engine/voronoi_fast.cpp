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
#include <stdexcept>
#include <string>
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

// Inserts the batch, sorted along a space-filling curve first, each point
// located from the last one in, the first from hint when given; keeps each
// vertex's index and handle. Returns how many went in: it stops at a point
// that coincides with one already in.
std::size_t insertBatch(Delaunay& dt, std::vector<Input>& batch, std::vector<Delaunay::Vertex_handle>& handle,
                        Delaunay::Vertex_handle hint) {
  if (batch.size() > 2) {
    using Traits = CGAL::Spatial_sort_traits_adapter_2<Kernel, CGAL::First_of_pair_property_map<Input>>;
    CGAL::spatial_sort(batch.begin(), batch.end(), Traits());
  }
  std::size_t done = 0;
  for (const auto& [point, index] : batch) {
    const auto before = dt.number_of_vertices();
    hint = dt.insert(point, hint == Delaunay::Vertex_handle() ? Delaunay::Face_handle() : hint->face());
    if (dt.number_of_vertices() == before) break;
    hint->info() = index;
    handle[static_cast<std::size_t>(index)] = hint;
    ++done;
  }
  return done;
}

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
  out_.clear();
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
  Triangulation& t = *dt_;
  t.batch.clear();
  for (int k : which) t.batch.emplace_back(Kernel::Point_2(points_[k].x, points_[k].y), k);
  const Delaunay::Vertex_handle hint = near >= 0 ? t.handle[static_cast<std::size_t>(near)] : Delaunay::Vertex_handle();
  const std::size_t done = insertBatch(t.dt, t.batch, t.handle, hint);
  inserted_ += static_cast<int>(done);
  return done == t.batch.size();
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

void FastVoronoi::findIntruders(int i) {
  found_.clear();
  const auto& handle = dt_->handle;
  if (out_.empty()) {
    for (int k = 0; k < n_; ++k)
      if (handle[static_cast<std::size_t>(k)] == Delaunay::Vertex_handle()) found_.push_back(k);
    out_.build(points_, found_);
    found_.clear();
  }
  const double x0 = points_[i].x, y0 = points_[i].y;
  for (const voronoi::CellRing::Vertex& v : ring_.vertices()) {
    const double vx = x0 + v.x, vy = y0 + v.y;
    // A point on the circle through the cell's point is taken too: it
    // cannot change the cell, and rounding must not hide one just inside.
    const double d2 = (v.x * v.x + v.y * v.y) * (1 + 1e-9);
    const double d = std::sqrt(d2) + 1e-9 * (std::fabs(vx) + std::fabs(vy));
    if (vy - d > safeLo_ && vy + d < safeHi_) continue;  // its circle holds no point left out
    out_.visitDisc(vx, vy, d, [&](int j, const DPoint2D& q) {
      const double ex = q.x - vx, ey = q.y - vy;
      if (ex * ex + ey * ey > d2) return;
      if (handle[static_cast<std::size_t>(j)] != Delaunay::Vertex_handle()) return;
      if (std::find(found_.begin(), found_.end(), j) == found_.end()) found_.push_back(j);
    });
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

void refuseDirectConstruction(int points) {
  throw std::runtime_error("the cells of a band of " + std::to_string(points) +
                           " composites cannot be built: some of its composites coincide or lie too far apart");
}

int FastVoronoi::fromFallback(int i, std::vector<DPoint3D>& cell) {
  if (!fallback_) {
    if (n_ > kMaxDirectPoints) refuseDirectConstruction(n_);
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

// ---- the plan's triangulation ----------------------------------------------

struct PlanVoronoi::Triangulation {
  Delaunay dt;
  std::vector<Delaunay::Vertex_handle> handle;  // per point; null when not in use
};

PlanVoronoi::PlanVoronoi() : dt_(std::make_unique<Triangulation>()) {}
PlanVoronoi::~PlanVoronoi() = default;

bool PlanVoronoi::build(const std::vector<DPoint3D>& points, const std::vector<char>& use) {
  n_ = 0;
  dt_->dt.clear();
  buckets_.clear();
  const int n = static_cast<int>(points.size());
  points_.resize(static_cast<std::size_t>(n));
  std::vector<Input> input;
  std::vector<int> inUse;
  for (int k = 0; k < n; ++k) {
    points_[k] = {points[k].x, points[k].y};
    if (use[static_cast<std::size_t>(k)] == 0) continue;
    if (!std::isfinite(points_[k].x) || !std::isfinite(points_[k].y)) return false;
    input.emplace_back(Kernel::Point_2(points_[k].x, points_[k].y), k);
    inUse.push_back(k);
  }
  if (input.empty()) return false;
  Triangulation& t = *dt_;
  t.handle.assign(static_cast<std::size_t>(n), Delaunay::Vertex_handle());
  if (insertBatch(t.dt, input, t.handle, Delaunay::Vertex_handle()) != input.size()) {  // two points in one place
    t.dt.clear();
    return false;
  }
  buckets_.build(points_, inUse);
  n_ = n;
  return true;
}

struct PlanVoronoi::Band::Scratch {
  std::vector<int> members;
  std::vector<int> bandIndex;
  std::vector<DPoint2D> points;
  std::vector<unsigned> used;
  std::vector<int> found;
  voronoi::CellRing ring;
  bool busy = false;
};

namespace {
thread_local PlanVoronoi::Band::Scratch tScratch;
}  // namespace

PlanVoronoi::Band::Band(const PlanVoronoi& plan) : plan_(plan), scratch_(tScratch) {
  if (scratch_.busy) throw std::logic_error("PlanVoronoi::Band: one band at a time per thread");
  scratch_.busy = true;
  if (scratch_.bandIndex.size() < static_cast<std::size_t>(plan.n_))
    scratch_.bandIndex.assign(static_cast<std::size_t>(plan.n_), -1);
}

PlanVoronoi::Band::~Band() {
  for (int c : scratch_.members) scratch_.bandIndex[static_cast<std::size_t>(c)] = -1;
  scratch_.members.clear();
  scratch_.busy = false;
}

void PlanVoronoi::Band::set(const std::vector<int>& members, double maxRadius) {
  std::vector<int>& bandIndex = scratch_.bandIndex;
  for (int c : scratch_.members) bandIndex[static_cast<std::size_t>(c)] = -1;
  scratch_.members.assign(members.begin(), members.end());
  const int n = static_cast<int>(members.size());
  std::vector<DPoint2D>& points = scratch_.points;
  points.resize(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    const int c = members[static_cast<std::size_t>(k)];
    bandIndex[static_cast<std::size_t>(c)] = k;
    const DPoint2D& p = plan_.points_[static_cast<std::size_t>(c)];
    points[k] = voronoi::sheared({p.x, p.y, 0}, k);
  }
  const voronoi::Box box = voronoi::enlargedBox(points, maxRadius);
  for (int s = 0; s < 4; ++s) sides_[s] = voronoi::side(box, s);
  shearReach_ = 1.5e-6 * n;  // sqrt(2) * n * 1e-6, and some
  scratch_.used.assign(static_cast<std::size_t>(n), 0);
  stamp_ = 0;
}

void PlanVoronoi::Band::findIntruders() {
  std::vector<int>& found = scratch_.found;
  const std::vector<int>& bandIndex = scratch_.bandIndex;
  const std::vector<DPoint2D>& points = scratch_.points;
  std::vector<unsigned>& used = scratch_.used;
  found.clear();
  const DPoint2D& p = scratch_.ring.point();
  for (const voronoi::CellRing::Vertex& v : scratch_.ring.vertices()) {
    const double vx = p.x + v.x, vy = p.y + v.y;
    // As FastVoronoi::findIntruders; the buckets hold the points as given,
    // up to shearReach_ from where the band has them.
    const double d2 = (v.x * v.x + v.y * v.y) * (1 + 1e-9);
    const double d = std::sqrt(d2) + 1e-9 * (std::fabs(vx) + std::fabs(vy));
    const double reach = d + shearReach_, reach2 = reach * reach;
    plan_.buckets_.visitDisc(vx, vy, reach, [&](int c, const DPoint2D& q) {
      const double fx = q.x - vx, fy = q.y - vy;
      if (fx * fx + fy * fy > reach2) return;
      const int j = bandIndex[static_cast<std::size_t>(c)];
      if (j < 0 || used[static_cast<std::size_t>(j)] == stamp_) return;
      const double ex = points[j].x - vx, ey = points[j].y - vy;
      if (ex * ex + ey * ey > d2) return;
      used[static_cast<std::size_t>(j)] = stamp_;
      found.push_back(j);
    });
  }
}

int PlanVoronoi::Band::buildCell(int k, std::vector<DPoint3D>& cell) {
  cell.clear();
  const std::vector<DPoint2D>& points = scratch_.points;
  const std::vector<int>& bandIndex = scratch_.bandIndex;
  std::vector<unsigned>& used = scratch_.used;
  voronoi::CellRing& ring = scratch_.ring;
  const int n = static_cast<int>(points.size());
  if (k < 0 || k >= n) return -1;
  ++stamp_;
  if (stamp_ == 0) {  // wrapped: no stale marks may look current
    std::fill(used.begin(), used.end(), 0u);
    stamp_ = 1;
  }
  used[static_cast<std::size_t>(k)] = stamp_;
  ring.start(points[k], k, sides_, n);
  // The plan's neighbours that are in the band first, then whatever else a
  // vertex finds closer than the point, until nothing does.
  const Delaunay& dt = plan_.dt_->dt;
  const int c = scratch_.members[static_cast<std::size_t>(k)];
  if (dt.dimension() >= 1) {
    auto around = dt.incident_vertices(plan_.dt_->handle[static_cast<std::size_t>(c)]);
    const auto done = around;
    do {
      if (dt.is_infinite(around)) continue;
      const int j = bandIndex[static_cast<std::size_t>(around->info())];
      if (j < 0 || used[static_cast<std::size_t>(j)] == stamp_) continue;
      used[static_cast<std::size_t>(j)] = stamp_;
      if (!ring.cut(points[j], j)) return -1;
    } while (++around != done);
  }
  for (;;) {
    findIntruders();
    if (scratch_.found.empty()) break;
    for (int j : scratch_.found)
      if (!ring.cut(points[j], j)) return -1;
  }
  if (!ring.finish()) return -1;
  return ring.list(cell);
}

}  // namespace qx
