// Plan triangulation of 1,000,000 random points through Triangulate, against
// two peers measured in the same run: the library's own Delaunay triangulation
// of the same points inserted in one batch without our wrapper (no indices, no
// corner list), and std::sort of the points as a floor.
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "datasets/triangulate.h"

namespace {
using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }
}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
  std::mt19937 rng(42);
  std::uniform_real_distribution<float> coord(0.0f, 10000.0f);
  std::vector<qx::FPoint3D> points(static_cast<std::size_t>(n));
  for (auto& p : points) p = {coord(rng), coord(rng), coord(rng)};

  auto t0 = Clock::now();
  qx::Triangulate t;
  const int triangles = t.run(points);
  auto t1 = Clock::now();
  const double ours = seconds(t0, t1);

  using K = CGAL::Exact_predicates_inexact_constructions_kernel;
  std::vector<K::Point_2> plain;
  plain.reserve(points.size());
  for (const auto& p : points) plain.emplace_back(p.x, p.y);
  t0 = Clock::now();
  CGAL::Delaunay_triangulation_2<K> dt;
  dt.insert(plain.begin(), plain.end());
  t1 = Clock::now();
  const double library = seconds(t0, t1);

  std::vector<qx::FPoint3D> sorted = points;
  t0 = Clock::now();
  std::sort(sorted.begin(), sorted.end(),
            [](const qx::FPoint3D& a, const qx::FPoint3D& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
  t1 = Clock::now();
  const double sortTime = seconds(t0, t1);

  std::printf("points            %d\n", n);
  std::printf("triangles         %d (library: %zu)\n", triangles, static_cast<std::size_t>(dt.number_of_faces()));
  std::printf("Triangulate       %.3f s\n", ours);
  std::printf("library, batch    %.3f s   ratio %.2f\n", library, ours / library);
  std::printf("std::sort floor   %.3f s   ratio %.2f\n", sortTime, ours / sortTime);
  std::printf("target            <= 2 s: %s\n", ours <= 2.0 ? "met" : "NOT met");
  return 0;
}
