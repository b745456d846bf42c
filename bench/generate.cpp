// Polygon generation (CPolygonSet::generate) over 10,000 to 1,000,000
// composites in two layouts, against a peer measured in the same run: the
// GEOS C API doing the same job the way a GIS user would (one Voronoi diagram
// of all points, each cell cut by the regular influence polygon, then by the
// envelope that owns its point, then its area).
//
// Layouts (fixed seeds): "uniform" scatters the composites in a square at a
// mean spacing of 10 m; "clustered" lays them along drill-hole traces (holes
// collared on sections 40 m apart, 25 m apart along a section, dipping 45 to
// 75 degrees, a composite every 1.5 m down the hole, with a slow drift of
// azimuth and dip). The density stays the same from size to size, so the
// radius of influence r is found once per layout: on the 10,000-composite
// set, the r at which about a third of the cells are cut by the influence
// polygon (a cell is cut when one of its vertices lies outside it).
//
// Every measurement runs in a child process of its own (fork), so that the
// peak resident sizes (VmHWM) are separate. Per-composite areas come back
// through shared memory and are compared polygon by polygon. Memory is the
// peak resident size above the child's size at its start (input composites,
// envelopes and the generated set included), per composite.
//
// Also printed: a one-thread breakdown of generation on the same data (the
// cells three ways: from one triangulation of the plan as generate takes
// them, each band triangulating what its cells need, each band triangulating
// all its points; the influence clip, the envelope clip and its lookups;
// each re-run alone), the number of points each band holds and triangulates
// per composite (the bands take their neighbours within 3r, so this grows
// as the bands get thinner), and at 10,000 composites the time of the direct
// construction (CVoronoi) over the same bands against the fast cells.
// Budgets end each layout as PASS/MISS lines.
//
// Usage: bench_generate [--sizes 10000,100000,1000000] [--layouts uniform,clustered]
//                       [--threads k] [--no-peer] [--no-reference] [--peer-limit seconds]
//                       [--radius r] [--breakdown-up-to n]
//                       [--ours-only]   (one generate per size and layout, no figures
//                                        beyond its time: for profilers)
//                       [--plan] [--local-bands] (the cells always from one triangulation of
//                                        the plan, or always each band triangulating its
//                                        own composites and what their cells need, instead
//                                        of generate's own choice)
//                       [--whole-bands] (each band triangulates all its composites first)
// --radius fixes r instead of finding it; the one-thread breakdown (Voronoi,
// influence clip, envelope clip, lookups) runs for sizes up to
// --breakdown-up-to (100,000 by default).
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "engine/polygons.h"
#include "engine/voronoi.h"
#include "project/quarlex_settings.h"

#if QX_HAVE_GEOS
#include <geos_c.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// CPU seconds of the process so far, every thread (user and system): on a
// shared machine the wall time alone says little.
double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// The process's CPU clock, for stretches that run on one thread: the phases
// of the breakdown and of the peer.
double cpuNow() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

constexpr int kSides = 50;
constexpr double kTargetCutFraction = 1.0 / 3.0;
constexpr int kCompositesPerBand = 500;  // as generation cuts its bands
constexpr double kBandEdgeTolerance = 0.001;
// Project coordinates far from the origin, as real survey grids are.
constexpr double kX0 = 452000.0;
constexpr double kY0 = 7123000.0;
constexpr double kZ0 = 1200.0;

enum class Layout { Uniform, Clustered };
const char* layoutName(Layout l) { return l == Layout::Uniform ? "uniform" : "clustered"; }

// ---- memory -------------------------------------------------------------

// A field of /proc/self/status in kB ("VmHWM", "VmRSS"); -1 when absent.
long statusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::size_t len = std::strlen(field);
  while (std::getline(in, line))
    if (line.compare(0, len, field) == 0 && line.size() > len && line[len] == ':')
      return std::strtol(line.c_str() + len + 1, nullptr, 10);
  return -1;
}

// ---- data ---------------------------------------------------------------

struct Dataset {
  qx::CompositeSet composites;
  qx::EnvelopeSet envelopes;
  qx::QuarlexSettings settings;
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};

void addComposite(Dataset& d, double x, double y, double z, double grade) {
  qx::CComposite c;
  char name[16];
  std::snprintf(name, sizeof name, "C%07zu", d.composites.composites.size());
  c.name = name;
  c.position = {x, y, z};
  c.values = {grade};
  d.composites.composites.push_back(std::move(c));
}

void uniformLayout(Dataset& d, int n, std::mt19937_64& rng) {
  const double side = 10.0 * std::sqrt(static_cast<double>(n));  // mean spacing 10 m
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::lognormal_distribution<double> grade(0.0, 1.0);
  for (int i = 0; i < n; ++i) {
    const double x = kX0 + side * u(rng);
    const double y = kY0 + side * u(rng);
    addComposite(d, x, y, kZ0 - 200.0 * u(rng), grade(rng));
  }
}

// Drill holes on sections running east-west, 40 m apart; collars 25 m apart
// along a section with a few metres of jitter; each hole drilled roughly
// north or south (the direction alternates by section), dipping 45 to 75
// degrees, 20 to 60 composites of 1.5 m, azimuth and dip drifting slowly down
// the hole. The field is kept about square.
void clusteredLayout(Dataset& d, int n, std::mt19937_64& rng) {
  constexpr double kSectionSpacing = 40.0, kCollarSpacing = 25.0, kCompositeLength = 1.5;
  const double holes = n / 40.0;
  const int perSection = std::max(1, static_cast<int>(std::ceil(std::sqrt(holes * kSectionSpacing / kCollarSpacing))));
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::normal_distribution<double> drift(0.0, 0.3 * std::numbers::pi / 180.0);
  std::lognormal_distribution<double> grade(0.0, 1.0);
  const double deg = std::numbers::pi / 180.0;
  int produced = 0;
  for (int section = 0; produced < n; ++section) {
    const double heading = (section % 2 == 0 ? 0.0 : 180.0) * deg;
    for (int h = 0; h < perSection && produced < n; ++h) {
      double x = kX0 + h * kCollarSpacing + (u(rng) - 0.5) * 12.0;
      double y = kY0 + section * kSectionSpacing + (u(rng) - 0.5) * 8.0;
      double z = kZ0 + (u(rng) - 0.5) * 10.0;
      double azimuth = heading + (u(rng) - 0.5) * 30.0 * deg;  // clockwise from north
      double dip = (45.0 + 30.0 * u(rng)) * deg;
      const int count = 20 + static_cast<int>(41.0 * u(rng));
      for (int k = 0; k < count && produced < n; ++k, ++produced) {
        x += kCompositeLength * std::cos(dip) * std::sin(azimuth);
        y += kCompositeLength * std::cos(dip) * std::cos(azimuth);
        z -= kCompositeLength * std::sin(dip);
        addComposite(d, x + (u(rng) - 0.5) * 0.04, y + (u(rng) - 0.5) * 0.04, z, grade(rng));
        azimuth += drift(rng);
        dip += drift(rng);
      }
    }
  }
}

// A star-shaped, concave contour around (cx, cy) with semi-axes (ax, ay),
// the radius modulated by a few waves.
qx::Contour wavyContour(double cx, double cy, double ax, double ay, int points, double phase, int waveA, double ampA,
                        int waveB, double ampB) {
  qx::Contour c;
  for (int k = 0; k < points; ++k) {
    const double t = 2.0 * std::numbers::pi * k / points;
    const double m = 1.0 + ampA * std::sin(waveA * t + phase) + ampB * std::cos(waveB * t + 2.0 * phase);
    c.push_back({cx + ax * m * std::cos(t), cy + ay * m * std::sin(t), 0.0});
  }
  return c;
}

Dataset makeDataset(Layout layout, int n, double r) {
  Dataset d;
  std::mt19937_64 rng(layout == Layout::Uniform ? 20261205u : 19871011u);
  d.composites.composites.reserve(static_cast<std::size_t>(n));
  if (layout == Layout::Uniform)
    uniformLayout(d, n, rng);
  else
    clusteredLayout(d, n, rng);
  d.composites.setVariableCounts(1, 0);
  d.composites.useOutside = 1;
  d.composites.recomputeBoundingBox();
  d.xmin = d.composites.minCorner.x;
  d.ymin = d.composites.minCorner.y;
  d.xmax = d.composites.maxCorner.x;
  d.ymax = d.composites.maxCorner.y;

  // Two overlapping ore bodies that together hold most of the composites.
  const double w = d.xmax - d.xmin, h = d.ymax - d.ymin;
  qx::Envelope west, east;
  west.name = "WEST";
  west.contours.push_back(
      wavyContour(d.xmin + 0.34 * w, d.ymin + 0.5 * h, 0.36 * w, 0.46 * h, 200, 0.3, 5, 0.14, 11, 0.05));
  east.name = "EAST";
  east.contours.push_back(
      wavyContour(d.xmin + 0.66 * w, d.ymin + 0.48 * h, 0.36 * w, 0.45 * h, 260, 1.1, 4, 0.12, 9, 0.06));
  for (auto* e : {&west, &east}) {
    e->contourCount = 1;
    e->clipPolygons = 1;
    e->useComposites = 1;
  }
  d.envelopes.envelopes = {west, east};
  d.envelopes.recomputeBoundingBox();

  qx::VariableInfo grade("AU");
  d.settings.loaded.push_back(grade);
  d.settings.sidesPerPolygon = kSides;
  d.settings.defaultPolygonSize = r;
  d.settings.firstVertexAngle = 0.0;
  d.settings.useFixedThickness = 1;
  d.settings.fixedThickness = 5.0;
  d.settings.defaultSG = 2.7;
  return d;
}

// ---- what generation produced ---------------------------------------------

// Whether the cell of composite p reaches outside the influence polygon of
// radius r around it: a vertex beyond one of the polygon's edges. The edge
// normals stand at -90 degrees + 2 pi j / s (first vertex angle 0).
bool cutByInfluence(const qx::CPolygon& poly, const qx::DPoint3D& p, double r) {
  static const auto normals = [] {
    std::vector<qx::DPoint2D> v;
    for (int j = 0; j < kSides; ++j) {
      const double a = -std::numbers::pi / 2 + 2.0 * std::numbers::pi * j / kSides;
      v.push_back({std::cos(a), std::sin(a)});
    }
    return v;
  }();
  for (const auto& c : poly.cell)
    for (const auto& nrm : normals)
      if ((c.x - p.x) * nrm.x + (c.y - p.y) * nrm.y > r * (1.0 + 1e-9)) return true;
  return false;
}

double cutFraction(const qx::CPolygonSet& set, const Dataset& d) {
  if (set.polygons.empty()) return 0.0;
  long cut = 0;
  for (const auto& poly : set.polygons)
    cut += cutByInfluence(poly, d.composites.composites[static_cast<std::size_t>(poly.compositeIndex)].position,
                          d.settings.defaultPolygonSize)
               ? 1
               : 0;
  return static_cast<double>(cut) / static_cast<double>(set.polygons.size());
}

// The r at which about a third of the cells are cut, by bisection on the
// 10,000-composite set, generated on one thread without envelopes.
double calibrateRadius(Layout layout) {
  Dataset d = makeDataset(layout, 10000, 1.0);
  const qx::EnvelopeSet none;
  double lo = 0.5, hi = 60.0;
  for (int it = 0; it < 14; ++it) {
    const double r = 0.5 * (lo + hi);
    d.settings.defaultPolygonSize = r;
    qx::CPolygonSet set;
    set.generate(d.composites, d.settings, none, {}, 1);
    (cutFraction(set, d) > kTargetCutFraction ? lo : hi) = r;
  }
  return std::round(0.5 * (lo + hi) * 100.0) / 100.0;
}

// ---- the bands, as generation forms them ------------------------------------

struct Band {
  std::vector<int> members;          // composite order
  std::vector<char> own;             // the member gets its polygon from this band
  std::vector<qx::DPoint3D> points;  // relative to composite 0
  double wantLo = 0, wantHi = 0;     // the band's own Y range, relative to composite 0
};

// Every composite takes part here (no cutoffs, every envelope uses its
// composites, useOutside set), so the bands are those of generate.
std::vector<Band> formBands(const Dataset& d, bool countOnly = false, long* pointCount = nullptr) {
  const auto& cs = d.composites.composites;
  const int n = static_cast<int>(cs.size());
  const double r = d.settings.defaultPolygonSize;
  const int bands = n / kCompositesPerBand + 1;
  double ymin = qx::kItemExtent, ymax = -qx::kItemExtent;
  for (const auto& c : cs) {
    ymin = std::min(ymin, c.position.y);
    ymax = std::max(ymax, c.position.y);
  }
  const double dy = (ymax - ymin) / bands;
  std::vector<int> byY(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) byY[static_cast<std::size_t>(i)] = i;
  std::stable_sort(byY.begin(), byY.end(), [&](int a, int b) { return cs[a].position.y < cs[b].position.y; });
  std::vector<double> sortedY(byY.size());
  for (std::size_t k = 0; k < byY.size(); ++k) sortedY[k] = cs[static_cast<std::size_t>(byY[k])].position.y;
  const qx::DPoint3D origin = cs.front().position;
  std::vector<Band> out(static_cast<std::size_t>(bands));
  double L = ymin, U = ymin + dy;
  for (int b = 0; b < bands; ++b, L += dy, U += dy) {
    const auto first = std::lower_bound(sortedY.begin(), sortedY.end(), L - 3 * r) - sortedY.begin();
    const auto last = std::lower_bound(sortedY.begin(), sortedY.end(), U + 3 * r) - sortedY.begin();
    if (pointCount != nullptr) *pointCount += static_cast<long>(last - first);
    if (countOnly) continue;
    Band& band = out[static_cast<std::size_t>(b)];
    band.wantLo = L - kBandEdgeTolerance - origin.y;
    band.wantHi = U + kBandEdgeTolerance - origin.y;
    band.members.assign(byY.begin() + first, byY.begin() + last);
    std::sort(band.members.begin(), band.members.end());
    for (int i : band.members) {
      band.points.push_back(cs[static_cast<std::size_t>(i)].position - origin);
      const double y = cs[static_cast<std::size_t>(i)].position.y;
      band.own.push_back(L - kBandEdgeTolerance <= y && y < U + kBandEdgeTolerance ? 1 : 0);
    }
  }
  return out;
}

// Seconds to build every band's cells with FastVoronoi (or CVoronoi when
// `reference`), one thread; stops after `budget` seconds and extrapolates.
// The fast cells triangulate the band's own points and what their cells need
// (`local`), or every point of the band first.
struct BandTiming {
  double seconds = 0.0;
  int bandsTimed = 0;
  int bands = 0;
  long cells = 0;
  long triangulated = 0;  // points in the fast cells' triangulations at the end
};
BandTiming timeBands(const std::vector<Band>& bands, double r, bool reference, double budget, bool local = true) {
  BandTiming t;
  t.bands = static_cast<int>(bands.size());
  std::vector<qx::DPoint3D> cell;
  const double start = cpuNow();
  for (const Band& band : bands) {
    if (band.points.empty()) {
      ++t.bandsTimed;
      continue;
    }
    if (reference) {
      qx::CVoronoi v(static_cast<int>(band.points.size()));
      v.setPoints(band.points, r);
      v.compute();
      for (std::size_t k = 0; k < band.points.size(); ++k)
        if (band.own[k] != 0) t.cells += v.buildCell(static_cast<int>(k), cell) > 0 ? 1 : 0;
    } else {
      qx::FastVoronoi v;
      const bool ready = local ? v.compute(band.points, r, band.wantLo, band.wantHi) : v.compute(band.points, r);
      if (!ready) std::printf("  (FastVoronoi declined a band)\n");
      for (std::size_t k = 0; k < band.points.size(); ++k)
        if (band.own[k] != 0) t.cells += v.buildCell(static_cast<int>(k), cell) > 0 ? 1 : 0;
      t.triangulated += v.triangulated();
    }
    ++t.bandsTimed;
    if (cpuNow() - start > budget) break;
  }
  t.seconds = cpuNow() - start;
  return t;
}

// CPU seconds, one thread, to cut every band's own cells from one
// triangulation of the plan (as generate does), and of that the building of
// the triangulation.
struct PlanTiming {
  double seconds = 0.0;
  double build = 0.0;
};
PlanTiming timePlan(const Dataset& d, const std::vector<Band>& bands, double r) {
  PlanTiming t;
  const double start = cpuNow();
  const auto& cs = d.composites.composites;
  std::vector<qx::DPoint3D> relative;
  relative.reserve(cs.size());
  for (const auto& c : cs) relative.push_back(c.position - cs.front().position);
  qx::PlanVoronoi plan;
  if (!plan.build(relative, std::vector<char>(cs.size(), 1))) std::printf("  (no plan triangulation)\n");
  t.build = cpuNow() - start;
  std::vector<qx::DPoint3D> cell;
  long cells = 0;
  for (const Band& band : bands) {
    if (band.members.empty()) continue;
    qx::PlanVoronoi::Band cut(plan);
    cut.set(band.members, r);
    for (std::size_t k = 0; k < band.members.size(); ++k)
      if (band.own[k] != 0) cells += cut.buildCell(static_cast<int>(k), cell) > 0 ? 1 : 0;
  }
  t.seconds = cpuNow() - start;
  if (cells < 0) std::printf("?");
  return t;
}

// ---- results from the children --------------------------------------------

struct OursResult {
  bool ok = false;
  double seconds = 0.0;          // generate, all threads asked for
  double cpu = 0.0;              // its CPU seconds, all threads
  double secondsOneThread = -1;  // generate on one thread, when measured
  double cpuOneThread = -1;
  double voronoiSeconds = 0.0;  // FastVoronoi over the same bands, one thread
  double planSeconds = 0.0;     // the cells from the plan's triangulation, one thread
  double planBuildSeconds = 0.0;
  // One thread each, on the generated set: the influence clip again (mode 0),
  // the envelope clip again (its lookups included), the lookups alone.
  double influenceSeconds = -1, envelopeSeconds = -1, lookupSeconds = -1;
  double uniqueArea = 0.0;  // each composite's polygon once
  long polygons = 0;
  double area = 0.0;
  double cutFraction = 0.0;
  double insideEnvelope = 0.0;  // fraction of composites in an envelope
  double bandPointsPerComposite = 0.0;
  double triangulatedPerComposite = -1;  // of those, triangulated by the fast cells (breakdown only)
  double voronoiWholeSeconds = 0.0;      // the fast cells with every band point triangulated first
  long baseKb = 0, dataKb = 0, peakKb = 0;
};

struct PeerResult {
  bool ok = false;
  bool skipped = false;
  double seconds = 0.0;
  double cpu = 0.0;
  double voronoi = 0.0, match = 0.0, influence = 0.0, lookup = 0.0, envelope = 0.0, area = 0.0;
  long cells = 0, unmatched = 0, failures = 0;
  double totalArea = 0.0;
  long baseKb = 0, dataKb = 0, peakKb = 0;
};

struct ReferenceResult {
  bool ok = false;
  BandTiming reference, fast;
  double pointsPerBand = 0.0;
};

// Runs `body` in a child process and reads back what it wrote into T.
template <class T, class Body>
T inChild(const Body& body) {
  std::fflush(stdout);
  int fds[2];
  if (pipe(fds) != 0) return T{};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    T result = body();
    const char* p = reinterpret_cast<const char*>(&result);
    std::size_t left = sizeof result;
    while (left > 0) {
      const ssize_t w = write(fds[1], p, left);
      if (w <= 0) break;
      p += w;
      left -= static_cast<std::size_t>(w);
    }
    std::fflush(stdout);
    _exit(0);
  }
  close(fds[1]);
  T result{};
  char* p = reinterpret_cast<char*>(&result);
  std::size_t got = 0;
  while (got < sizeof result) {
    const ssize_t r = read(fds[0], p + got, sizeof result - got);
    if (r <= 0) break;
    got += static_cast<std::size_t>(r);
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (got != sizeof result || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::printf("  child failed (status %d)\n", status);
    return T{};
  }
  return result;
}

// ---- our side --------------------------------------------------------------

OursResult runOurs(Layout layout, int n, double r, const qx::GenerateOptions& options, bool oneThreadToo,
                   bool breakdown, double* areas) {
  OursResult res;
  res.baseKb = statusKb("VmRSS");
  Dataset d = makeDataset(layout, n, r);
  res.dataKb = statusKb("VmRSS") - res.baseKb;
  {
    qx::CPolygonSet set;
    const auto t0 = Clock::now();
    const double c0 = cpuSeconds();
    set.generate(d.composites, d.settings, d.envelopes, {}, options);
    res.cpu = cpuSeconds() - c0;
    res.seconds = seconds(t0, Clock::now());
    res.peakKb = statusKb("VmHWM");
    res.polygons = set.count();
    res.area = set.totals().area;
    res.cutFraction = cutFraction(set, d);
    std::vector<double> unique(static_cast<std::size_t>(n), 0.0);
    for (const auto& p : set.polygons) unique[static_cast<std::size_t>(p.compositeIndex)] = p.area;
    for (double a : unique) res.uniqueArea += a;
    if (areas != nullptr)
      for (const auto& p : set.polygons) areas[p.compositeIndex] = p.area;
    if (breakdown) {
      double t = cpuNow();
      set.clipToInfluencePolygons(0, d.composites, d.settings);
      res.influenceSeconds = cpuNow() - t;
      t = cpuNow();
      set.clipToEnvelopes(d.composites, d.settings, d.envelopes);
      res.envelopeSeconds = cpuNow() - t;
      t = cpuNow();
      long found = 0;
      for (const auto& c : d.composites.composites)
        found += d.envelopes.findContaining(c.position.x, c.position.y) >= 0 ? 1 : 0;
      res.lookupSeconds = cpuNow() - t;
      if (found < 0) std::printf("?");
    }
  }
  long inside = 0;
  for (const auto& c : d.composites.composites) inside += c.envelopeIndex >= 0 ? 1 : 0;
  res.insideEnvelope = static_cast<double>(inside) / n;
  if (oneThreadToo) {
    qx::CPolygonSet set;
    const auto t0 = Clock::now();
    const double c0 = cpuNow();
    qx::GenerateOptions one = options;
    one.threads = 1;
    set.generate(d.composites, d.settings, d.envelopes, {}, one);
    res.cpuOneThread = cpuNow() - c0;
    res.secondsOneThread = seconds(t0, Clock::now());
  }
  long points = 0;
  const std::vector<Band> bands = formBands(d, !breakdown, &points);
  res.bandPointsPerComposite = static_cast<double>(points) / n;
  if (breakdown) {
    const BandTiming local = timeBands(bands, r, false, 1e9);
    res.voronoiSeconds = local.seconds;
    res.triangulatedPerComposite = static_cast<double>(local.triangulated) / n;
    res.voronoiWholeSeconds = timeBands(bands, r, false, 1e9, false).seconds;
    const PlanTiming plan = timePlan(d, bands, r);
    res.planSeconds = plan.seconds;
    res.planBuildSeconds = plan.build;
  }
  res.ok = true;
  return res;
}

ReferenceResult runReference(Layout layout, double r, double budget) {
  ReferenceResult res;
  Dataset d = makeDataset(layout, 10000, r);
  const std::vector<Band> bands = formBands(d);
  long points = 0;
  for (const auto& b : bands) points += static_cast<long>(b.points.size());
  res.pointsPerBand = static_cast<double>(points) / static_cast<double>(bands.size());
  res.fast = timeBands(bands, r, false, 1e9);
  res.reference = timeBands(bands, r, true, budget);
  res.ok = true;
  return res;
}

// ---- the peer ----------------------------------------------------------------

#if QX_HAVE_GEOS
GEOSGeometry* ring(GEOSContextHandle_t h, const std::vector<double>& xy) {
  // xy: x, y pairs, open; the ring repeats the first point.
  std::vector<double> closed(xy);
  closed.push_back(xy[0]);
  closed.push_back(xy[1]);
  GEOSCoordSequence* seq =
      GEOSCoordSeq_copyFromBuffer_r(h, closed.data(), static_cast<unsigned>(closed.size() / 2), 0, 0);
  return GEOSGeom_createPolygon_r(h, GEOSGeom_createLinearRing_r(h, seq), nullptr, 0);
}

PeerResult runPeer(Layout layout, int n, double r, double* areas) {
  PeerResult res;
  res.baseKb = statusKb("VmRSS");
  Dataset d = makeDataset(layout, n, r);
  GEOSContextHandle_t h = GEOS_init_r();

  // The envelopes as polygons, prepared for the point-in-envelope test.
  std::vector<GEOSGeometry*> envPolys;
  std::vector<const GEOSPreparedGeometry*> envPrepared;
  for (const auto& e : d.envelopes.envelopes) {
    std::vector<double> xy;
    for (const auto& p : e.contours.front()) {
      xy.push_back(p.x);
      xy.push_back(p.y);
    }
    envPolys.push_back(ring(h, xy));
    envPrepared.push_back(GEOSPrepare_r(h, envPolys.back()));
  }
  std::vector<GEOSGeometry*> pts(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const auto& p = d.composites.composites[static_cast<std::size_t>(i)].position;
    pts[static_cast<std::size_t>(i)] = GEOSGeom_createPointFromXY_r(h, p.x, p.y);
  }
  GEOSGeometry* multipoint = GEOSGeom_createCollection_r(h, GEOS_MULTIPOINT, pts.data(), static_cast<unsigned>(n));
  // The extent: the points' box with three radii on every side.
  GEOSGeometry* extent = GEOSGeom_createRectangle_r(h, d.xmin - 3 * r, d.ymin - 3 * r, d.xmax + 3 * r, d.ymax + 3 * r);
  std::vector<double> templ;
  const double R = r / std::cos(std::numbers::pi / kSides);
  for (int k = 0; k < kSides; ++k) {
    const double t = -std::numbers::pi / 2 + std::numbers::pi / kSides + 2.0 * std::numbers::pi * k / kSides;
    templ.push_back(R * std::cos(t));
    templ.push_back(R * std::sin(t));
  }
  res.dataKb = statusKb("VmRSS") - res.baseKb;

  const auto start = Clock::now();
  const double cpu0 = cpuSeconds();
  double t0 = cpuNow();
  GEOSGeometry* diagram = GEOSVoronoiDiagram_r(h, multipoint, extent, 0.0, 0);
  double t1 = cpuNow();
  res.voronoi = t1 - t0;
  if (diagram == nullptr) {
    std::printf("  GEOSVoronoiDiagram_r failed\n");
    return res;
  }
  res.cells = GEOSGetNumGeometries_r(h, diagram);

  // Which cell holds which point: the cells come in no particular order, so
  // each is matched through a tree of the points and a prepared containment
  // test of the candidates.
  t0 = cpuNow();
  std::vector<const GEOSGeometry*> points(static_cast<std::size_t>(n));
  std::vector<int> ids(static_cast<std::size_t>(n));
  GEOSSTRtree* tree = GEOSSTRtree_create_r(h, 10);
  for (int i = 0; i < n; ++i) {
    points[static_cast<std::size_t>(i)] = GEOSGetGeometryN_r(h, multipoint, i);
    ids[static_cast<std::size_t>(i)] = i;
    GEOSSTRtree_insert_r(h, tree, points[static_cast<std::size_t>(i)], &ids[static_cast<std::size_t>(i)]);
  }
  std::vector<const GEOSGeometry*> cellOf(static_cast<std::size_t>(n), nullptr);
  std::vector<int> candidates;
  for (long c = 0; c < res.cells; ++c) {
    const GEOSGeometry* cell = GEOSGetGeometryN_r(h, diagram, static_cast<int>(c));
    candidates.clear();
    GEOSSTRtree_query_r(
        h, tree, cell,
        [](void* item, void* user) { static_cast<std::vector<int>*>(user)->push_back(*static_cast<int*>(item)); },
        &candidates);
    const GEOSPreparedGeometry* prepared = GEOSPrepare_r(h, cell);
    for (int i : candidates)
      if (GEOSPreparedContains_r(h, prepared, points[static_cast<std::size_t>(i)]) == 1) {
        cellOf[static_cast<std::size_t>(i)] = cell;
        break;
      }
    GEOSPreparedGeom_destroy_r(h, prepared);
  }
  t1 = cpuNow();
  res.match = t1 - t0;

  std::vector<double> xy(templ.size());
  for (int i = 0; i < n; ++i) {
    const GEOSGeometry* cell = cellOf[static_cast<std::size_t>(i)];
    if (cell == nullptr) {
      ++res.unmatched;
      continue;
    }
    const auto& p = d.composites.composites[static_cast<std::size_t>(i)].position;
    t0 = cpuNow();
    for (std::size_t k = 0; k < templ.size(); k += 2) {
      xy[k] = templ[k] + p.x;
      xy[k + 1] = templ[k + 1] + p.y;
    }
    GEOSGeometry* influence = ring(h, xy);
    GEOSGeometry* cut = GEOSIntersection_r(h, cell, influence);
    t1 = cpuNow();
    res.influence += t1 - t0;
    int owner = -1;
    for (std::size_t e = 0; e < envPrepared.size() && owner < 0; ++e)
      if (GEOSPreparedContains_r(h, envPrepared[e], points[static_cast<std::size_t>(i)]) == 1)
        owner = static_cast<int>(e);
    const double t2 = cpuNow();
    res.lookup += t2 - t1;
    GEOSGeometry* clipped = nullptr;
    if (cut != nullptr && owner >= 0) clipped = GEOSIntersection_r(h, cut, envPolys[static_cast<std::size_t>(owner)]);
    const double t3 = cpuNow();
    res.envelope += t3 - t2;
    double a = 0.0;
    const GEOSGeometry* final = owner >= 0 ? clipped : cut;
    if (final == nullptr || GEOSArea_r(h, final, &a) != 1) ++res.failures;
    res.area += cpuNow() - t3;
    res.totalArea += a;
    if (areas != nullptr) areas[i] = a;
    GEOSGeom_destroy_r(h, influence);
    if (cut != nullptr) GEOSGeom_destroy_r(h, cut);
    if (clipped != nullptr) GEOSGeom_destroy_r(h, clipped);
  }
  res.seconds = seconds(start, Clock::now());
  res.cpu = cpuSeconds() - cpu0;
  res.peakKb = statusKb("VmHWM");

  GEOSSTRtree_destroy_r(h, tree);
  GEOSGeom_destroy_r(h, diagram);
  GEOSGeom_destroy_r(h, extent);
  GEOSGeom_destroy_r(h, multipoint);
  for (auto* p : envPrepared) GEOSPreparedGeom_destroy_r(h, p);
  for (auto* g : envPolys) GEOSGeom_destroy_r(h, g);
  GEOS_finish_r(h);
  res.ok = true;
  return res;
}
#endif

// ---- driver -------------------------------------------------------------------

struct Options {
  std::vector<int> sizes{10000, 100000, 1000000};
  std::vector<Layout> layouts{Layout::Uniform, Layout::Clustered};
  int threads = 0;
  qx::CellSource cells = qx::CellSource::Automatic;  // --plan, --local-bands, --whole-bands
  bool peer = true;
  bool reference = true;
  bool oursOnly = false;
  double peerLimit = 60.0;
  double radius = 0.0;  // 0: found per layout
  int breakdownUpTo = 100000;
};

std::vector<std::string> splitCommas(const std::string& s) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= s.size()) {
    const std::size_t comma = s.find(',', start);
    out.push_back(s.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--sizes" && hasValue) {
      o.sizes.clear();
      for (const auto& s : splitCommas(argv[++i])) o.sizes.push_back(std::atoi(s.c_str()));
    } else if (a == "--layouts" && hasValue) {
      o.layouts.clear();
      for (const auto& s : splitCommas(argv[++i])) {
        if (s == "uniform")
          o.layouts.push_back(Layout::Uniform);
        else if (s == "clustered")
          o.layouts.push_back(Layout::Clustered);
        else
          return false;
      }
    } else if (a == "--threads" && hasValue) {
      o.threads = std::atoi(argv[++i]);
    } else if (a == "--peer-limit" && hasValue) {
      o.peerLimit = std::atof(argv[++i]);
    } else if (a == "--radius" && hasValue) {
      o.radius = std::atof(argv[++i]);
    } else if (a == "--breakdown-up-to" && hasValue) {
      o.breakdownUpTo = std::atoi(argv[++i]);
    } else if (a == "--no-peer") {
      o.peer = false;
    } else if (a == "--no-reference") {
      o.reference = false;
    } else if (a == "--plan") {
      o.cells = qx::CellSource::Plan;
    } else if (a == "--whole-bands") {
      o.cells = qx::CellSource::BandWhole;
    } else if (a == "--local-bands") {
      o.cells = qx::CellSource::BandLocal;
    } else if (a == "--ours-only") {
      o.oursOnly = true;
      o.peer = false;
      o.reference = false;
    } else {
      return false;
    }
  }
  for (int n : o.sizes)
    if (n < 1000) return false;
  return !o.sizes.empty() && !o.layouts.empty();
}

const char* verdict(bool ok) { return ok ? "PASS" : "MISS"; }

double nlogn(double n) { return n * std::log(n); }

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  if (!parse(argc, argv, opt)) {
    std::fprintf(stderr,
                 "usage: %s [--sizes 10000,100000,1000000] [--layouts uniform,clustered] [--threads k]\n"
                 "          [--no-peer] [--no-reference] [--peer-limit seconds] [--radius r] [--breakdown-up-to n]\n"
                 "          [--ours-only]\n",
                 argv[0]);
    return 2;
  }
  std::sort(opt.sizes.begin(), opt.sizes.end());
  const qx::GenerateOptions generateOptions{.threads = opt.threads, .cells = opt.cells};

  if (opt.oursOnly) {
    // For profilers: no fork, no peer, one generate per size and layout.
    for (Layout layout : opt.layouts) {
      const double r = opt.radius > 0 ? opt.radius : calibrateRadius(layout);
      for (int n : opt.sizes) {
        Dataset d = makeDataset(layout, n, r);
        qx::CPolygonSet set;
        const auto t0 = Clock::now();
        set.generate(d.composites, d.settings, d.envelopes, {}, generateOptions);
        std::printf("%-9s n=%-8d r=%.2f  generate %.3f s  polygons %d\n", layoutName(layout), n, r,
                    seconds(t0, Clock::now()), set.count());
      }
    }
    return 0;
  }

  const int maxN = opt.sizes.back();
  const std::size_t mapBytes = 2 * sizeof(double) * static_cast<std::size_t>(maxN);
  void* mapped = mmap(nullptr, mapBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) {
    std::perror("mmap");
    return 1;
  }
  double* oursAreas = static_cast<double*>(mapped);
  double* peerAreas = oursAreas + maxN;

  std::printf("Polygon generation benchmark: %d sides, envelopes clip, composites outside take part\n", kSides);
  std::printf("threads: %s (hardware: %ld)\n", opt.threads == 0 ? "all cores" : std::to_string(opt.threads).c_str(),
              sysconf(_SC_NPROCESSORS_ONLN));
#if QX_HAVE_GEOS
  std::printf("peer: GEOS %s C API, reentrant, one thread\n", GEOSversion());
#else
  std::printf("peer: GEOS not found at build time, skipped\n");
  opt.peer = false;
#endif

  const auto loadAverage = [] {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
  };
  std::printf(
      "load average at start: %s (other work on the machine stretches the wall times; the CPU times "
      "are printed beside them)\n",
      loadAverage().c_str());

  bool allBudgets = true;
  for (Layout layout : opt.layouts) {
    struct Calibration {
      double r;
    };
    const double r =
        opt.radius > 0 ? opt.radius : inChild<Calibration>([&] { return Calibration{calibrateRadius(layout)}; }).r;
    std::printf("\n=== layout %s: r = %.2f m (about a third of the cells cut at 10,000), R = %.3f m ===\n",
                layoutName(layout), r, r / std::cos(std::numbers::pi / kSides));

    std::vector<OursResult> ours;
    std::vector<PeerResult> peers;
    for (int n : opt.sizes) {
      const bool oneThread = n == 100000;
      std::fill(oursAreas, oursAreas + n, std::nan(""));
      std::fill(peerAreas, peerAreas + n, std::nan(""));
      const OursResult o = inChild<OursResult>(
          [&] { return runOurs(layout, n, r, generateOptions, oneThread, n <= opt.breakdownUpTo, oursAreas); });
      ours.push_back(o);
      std::printf("\n-- %s, %d composites --\n", layoutName(layout), n);
      if (!o.ok) continue;
      std::printf("ours   generate            %8.3f s   (CPU %.3f s; %ld polygons)\n", o.seconds, o.cpu, o.polygons);
      if (o.secondsOneThread >= 0)
        std::printf("ours   generate, 1 thread  %8.3f s   (CPU %.3f s; speed-up on all cores %.2fx)\n",
                    o.secondsOneThread, o.cpuOneThread, o.secondsOneThread / o.seconds);
      if (o.influenceSeconds >= 0)
        std::printf(
            "       CPU, 1 thread: the cells from one triangulation of the plan %.3f s (of which building it "
            "%.3f s); each band triangulating what its cells need %.3f s, every band point first %.3f s; "
            "influence clip %.3f s, envelope clip %.3f s (of which envelope lookups %.3f s)\n",
            o.planSeconds, o.planBuildSeconds, o.voronoiSeconds, o.voronoiWholeSeconds, o.influenceSeconds,
            o.envelopeSeconds, o.lookupSeconds);
      std::printf("       band points per composite %.2f (each band takes its neighbours within 3r)",
                  o.bandPointsPerComposite);
      if (o.triangulatedPerComposite >= 0)
        std::printf(", of which triangulated %.2f (the band's own and what their cells need)",
                    o.triangulatedPerComposite);
      std::printf("\n");
      std::printf("       cells cut by the influence polygon %.1f %%, composites inside an envelope %.1f %%\n",
                  100.0 * o.cutFraction, 100.0 * o.insideEnvelope);
      const double perComposite = 1024.0 * static_cast<double>(o.peakKb - o.baseKb) / n;
      std::printf("       memory: data %.1f MB, peak %.1f MB above the process start = %.0f bytes per composite\n",
                  o.dataKb / 1024.0, (o.peakKb - o.baseKb) / 1024.0, perComposite);
      std::printf("       total area %.6e m2 (each composite once: %.6e; %ld polygons from two bands)\n", o.area,
                  o.uniqueArea, o.polygons - n);

      PeerResult p;
      if (opt.peer) {
        double predicted = 0.0;
        for (std::size_t k = 0; k < peers.size(); ++k)
          if (peers[k].ok) predicted = peers[k].seconds * nlogn(n) / nlogn(opt.sizes[k]);
        if (predicted > opt.peerLimit) {
          p.skipped = true;
          std::printf("peer   skipped: predicted %.0f s from the last size (n log n), above the %.0f s limit\n",
                      predicted, opt.peerLimit);
        } else {
#if QX_HAVE_GEOS
          p = inChild<PeerResult>([&] { return runPeer(layout, n, r, peerAreas); });
#endif
        }
      }
      peers.push_back(p);
      if (p.ok) {
        std::printf("peer   GEOS total           %8.3f s   (CPU %.3f s) ratio peer/ours %.2fx (CPU %.2fx)", p.seconds,
                    p.cpu, p.seconds / o.seconds, p.cpu / o.cpu);
        if (o.secondsOneThread >= 0)
          std::printf(" (%.2fx against ours on 1 thread, CPU %.2fx)", p.seconds / o.secondsOneThread,
                      p.cpu / o.cpuOneThread);
        std::printf(
            "\n       CPU: voronoi %.3f, match cells %.3f, influence cut %.3f, envelope lookup %.3f, "
            "envelope cut %.3f, area %.3f s\n",
            p.voronoi, p.match, p.influence, p.lookup, p.envelope, p.area);
        std::printf(
            "       cells %ld, unmatched %ld, failures %ld, memory peak %.1f MB above the process start "
            "= %.0f bytes per composite\n",
            p.cells, p.unmatched, p.failures, (p.peakKb - p.baseKb) / 1024.0,
            1024.0 * static_cast<double>(p.peakKb - p.baseKb) / n);
        const double rel = (o.uniqueArea - p.totalArea) / p.totalArea;
        std::printf("       total area (each composite once): ours %.6e, peer %.6e, relative difference %.2e\n",
                    o.uniqueArea, p.totalArea, rel);
        long compared = 0, differ = 0;
        double worst = 0.0;
        long worstAt = -1;
        for (int i = 0; i < n; ++i) {
          const double a = oursAreas[i], b = peerAreas[i];
          if (std::isnan(a) || std::isnan(b)) continue;
          ++compared;
          const double d = std::abs(a - b);
          if (d > 1e-3 * std::max(b, 1.0)) ++differ;
          if (d > worst) {
            worst = d;
            worstAt = i;
          }
        }
        std::printf(
            "       per polygon: %ld compared, %ld differ by more than 0.1 %%, largest difference %.4g m2 "
            "(composite %ld: ours %.4f, peer %.4f)\n",
            compared, differ, worst, worstAt, worstAt >= 0 ? oursAreas[worstAt] : 0.0,
            worstAt >= 0 ? peerAreas[worstAt] : 0.0);
      }
    }

    // Growth between sizes against n log n, judged on the CPU time, which
    // other work on the machine disturbs far less than the wall time.
    std::printf("\n-- %s: growth --\n", layoutName(layout));
    bool growthOk = true;
    for (std::size_t k = 1; k < opt.sizes.size(); ++k) {
      if (!ours[k].ok || !ours[k - 1].ok) continue;
      const double wall = ours[k].seconds / ours[k - 1].seconds;
      const double cpu = ours[k].cpu / ours[k - 1].cpu;
      const double expected = nlogn(opt.sizes[k]) / nlogn(opt.sizes[k - 1]);
      std::printf(
          "%8d -> %8d: CPU time x%.2f (wall x%.2f), n log n x%.2f, quotient %.2f; band points per "
          "composite %.2f -> %.2f\n",
          opt.sizes[k - 1], opt.sizes[k], cpu, wall, expected, cpu / expected, ours[k - 1].bandPointsPerComposite,
          ours[k].bandPointsPerComposite);
      growthOk = growthOk && cpu / expected <= 1.3;
    }

    // Budgets.
    std::printf("\n-- %s: budgets --\n", layoutName(layout));
    for (std::size_t k = 0; k < opt.sizes.size(); ++k) {
      const int n = opt.sizes[k];
      const OursResult& o = ours[k];
      if (!o.ok) continue;
      if (n == 100000) {
        const bool t = o.seconds <= 1.0;
        std::printf("%s  100,000 composites in at most 1.0 s: %.3f s (CPU %.3f s over all threads)\n", verdict(t),
                    o.seconds, o.cpu);
        allBudgets = allBudgets && t;
        if (peers[k].ok) {
          const bool f = peers[k].seconds / o.seconds >= 5.0;
          std::printf(
              "%s  100,000 composites at least 5x faster than the GEOS peer: %.2fx (%.2fx on 1 thread; CPU time "
              "%.2fx, %.2fx on 1 thread)\n",
              verdict(f), peers[k].seconds / o.seconds, peers[k].seconds / o.secondsOneThread, peers[k].cpu / o.cpu,
              peers[k].cpu / o.cpuOneThread);
          allBudgets = allBudgets && f;
        }
      }
      if (n == 1000000) {
        const bool t = o.seconds <= 12.0;
        std::printf("%s  1,000,000 composites in at most 12 s: %.3f s (CPU %.3f s over all threads)\n", verdict(t),
                    o.seconds, o.cpu);
        allBudgets = allBudgets && t;
      }
      const double perComposite = 1024.0 * static_cast<double>(o.peakKb - o.baseKb) / n;
      const bool m = perComposite <= 4096.0;
      std::printf("%s  peak memory at most 4 KB per composite at %d: %.0f bytes\n", verdict(m), n, perComposite);
      allBudgets = allBudgets && m;
    }
    if (opt.sizes.size() > 1) {
      std::printf("%s  growth close to n log n (each step's CPU-time quotient at most 1.3)\n", verdict(growthOk));
      allBudgets = allBudgets && growthOk;
    }

    if (opt.reference) {
      const ReferenceResult ref = inChild<ReferenceResult>([&] { return runReference(layout, r, 30.0); });
      if (ref.ok) {
        const double full = ref.reference.seconds * ref.reference.bands / std::max(1, ref.reference.bandsTimed);
        std::printf(
            "\n-- %s: reference construction at 10,000 composites, %d bands, %.0f points per band, 1 "
            "thread --\n",
            layoutName(layout), ref.fast.bands, ref.pointsPerBand);
        std::printf("CVoronoi    %8.3f s", full);
        if (ref.reference.bandsTimed < ref.reference.bands)
          std::printf(" (extrapolated from %d of %d bands, %.1f s measured)", ref.reference.bandsTimed,
                      ref.reference.bands, ref.reference.seconds);
        std::printf("\nFastVoronoi %8.3f s   gain %.0fx\n", ref.fast.seconds, full / ref.fast.seconds);
      }
    }
  }
  std::printf("\nload average at the end: %s\n", loadAverage().c_str());
  std::printf("%s\n", allBudgets ? "every budget checked in this run was met" : "some budgets missed");
  munmap(mapped, mapBytes);
  return 0;
}
