// Voronoi cells of one band: the direct construction CVoronoi on 500 points
// (the band size the polygon set works with), against FastVoronoi on the same
// 500 points and on 4000, measured in the same run; each of these calls
// builds every cell. Then the polygon set's pattern: FastVoronoi on 5000
// points (a band of 500 and its margin above and below) asked for one cell in
// ten, against the same call asked for every cell, and the preparation alone.
// Points are uniform in a square with about 10 m between neighbours.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "engine/voronoi.h"

namespace {
using Clock = std::chrono::steady_clock;

std::vector<qx::DPoint3D> uniformPoints(int n, unsigned seed) {
  std::mt19937 rng(seed);
  const double side = 10.0 * std::sqrt(static_cast<double>(n));
  std::uniform_real_distribution<double> u(0, side);
  std::vector<qx::DPoint3D> points(static_cast<std::size_t>(n));
  for (auto& p : points) p = {u(rng), u(rng), 0};
  return points;
}

// Best of `runs` timings of one call, in seconds.
template <class F>
double best(int runs, F&& call) {
  double t = 1e300;
  for (int r = 0; r < runs; ++r) {
    const auto t0 = Clock::now();
    call();
    t = std::min(t, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return t;
}

std::size_t sink = 0;

void direct(const std::vector<qx::DPoint3D>& points, double r) {
  qx::CVoronoi v(static_cast<int>(points.size()));
  v.setPoints(points, r);
  v.compute();
  std::vector<qx::DPoint3D> cell;
  for (int i = 0; i < static_cast<int>(points.size()); ++i) sink += static_cast<std::size_t>(v.buildCell(i, cell));
}

// Every `step`-th cell; step 0: none (the preparation alone).
void fast(qx::FastVoronoi& f, const std::vector<qx::DPoint3D>& points, double r, int step = 1) {
  if (!f.compute(points, r)) std::abort();
  if (step == 0) return;
  std::vector<qx::DPoint3D> cell;
  for (int i = 0; i < static_cast<int>(points.size()); i += step)
    sink += static_cast<std::size_t>(f.buildCell(i, cell));
}
}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  const double r = 25;
  const auto p500 = uniformPoints(500, 1), p4000 = uniformPoints(4000, 2), p5000 = uniformPoints(5000, 3);

  qx::FastVoronoi f;  // one instance, as a worker thread keeps it from band to band
  const double tDirect = best(runs, [&] { direct(p500, r); });
  const double tFast500 = best(runs * 20, [&] { fast(f, p500, r); });
  const double tFast4000 = best(runs * 20, [&] { fast(f, p4000, r); });
  const double tEvery = best(runs * 20, [&] { fast(f, p5000, r, 1); });
  const double tTenth = best(runs * 20, [&] { fast(f, p5000, r, 10); });
  const double tNone = best(runs * 20, [&] { fast(f, p5000, r, 0); });

  std::printf("runs                      best of %d (FastVoronoi: of %d)\n", runs, runs * 20);
  std::printf("CVoronoi,    500 points   %9.3f ms per call\n", tDirect * 1e3);
  std::printf("FastVoronoi, 500 points   %9.3f ms per call   CVoronoi / FastVoronoi %.0f\n", tFast500 * 1e3,
              tDirect / tFast500);
  std::printf("FastVoronoi, 4000 points  %9.3f ms per call   4000 / 500 points %.2f (8 if linear)\n", tFast4000 * 1e3,
              tFast4000 / tFast500);
  std::printf("FastVoronoi, 5000 points, every cell        %9.3f ms per call\n", tEvery * 1e3);
  std::printf("FastVoronoi, 5000 points, one cell in ten  %9.3f ms per call   every cell / one in ten %.2f\n",
              tTenth * 1e3, tEvery / tTenth);
  std::printf(
      "FastVoronoi, 5000 points, no cell          %9.3f ms per call   (the preparation: %.0f %% of one in ten)\n",
      tNone * 1e3, 100 * tNone / tTenth);
  std::printf("target                    4000 points < 10 ms: %s\n", tFast4000 < 0.010 ? "met" : "NOT met");
  return sink == 0;
}
