// Recalculating figures: 2,000 mining blocks against 100,000 polygons.
//
// The polygons are 10 x 10 squares on a 400 x 250 grid far from the origin
// (as projects in map coordinates are), each with its own composite of three
// values; the figures are a 50 x 40 grid of blocks of 80 x 62.5, shifted so
// that their edges cut through the squares. Each block covers about 80
// polygons.
//
// Measured in the same run: the recalculation through the spatial index on
// one thread and on every core; the peer, the same figures found by testing
// every polygon's box for each figure (one thread); and a figure calculated
// alone without an index, as "Recalculate Values" of one figure does. The
// results of all paths are compared bit for bit.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "datasets/composites.h"
#include "engine/figure_calculation.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "project/quarlex_settings.h"

using namespace qx;

namespace {

constexpr double kOriginX = 512000.0;
constexpr double kOriginY = 7204000.0;

double seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

}  // namespace

int main() {
  QuarlexSettings settings;
  for (const char* name : {"Au", "Ag", "Cu"}) settings.loaded.emplace_back(name);
  settings.loaded[1].weightingType = kWeightVolume;
  settings.loaded[2].weightingType = kWeightSurface;

  CompositeSet composites;
  CPolygonSet polygons;
  constexpr int kCols = 400, kRows = 250;
  constexpr double kSide = 10.0;
  composites.composites.reserve(kCols * kRows);
  polygons.polygons.reserve(kCols * kRows);
  unsigned seed = 12345;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<double>((seed >> 8) & 0xffff) / 65536.0;
  };
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kCols; ++c) {
      const double x0 = kOriginX + c * kSide, y0 = kOriginY + r * kSide;
      CComposite comp;
      comp.position = {x0 + kSide / 2, y0 + kSide / 2, 100.0};
      comp.values = {next() * 5, next() * 50, next()};
      composites.composites.push_back(comp);
      CPolygon p;
      p.compositeIndex = composites.count() - 1;
      p.outline = {{x0, y0, 100}, {x0 + kSide, y0, 100}, {x0 + kSide, y0 + kSide, 100}, {x0, y0 + kSide, 100}};
      p.thickness = 5.0 + next() * 5;
      p.specificGravity = 2.5 + next();
      p.outlineChanged();
      polygons.polygons.push_back(std::move(p));
    }
  }

  FigureSet figures;
  constexpr int kBlockCols = 50, kBlockRows = 40;
  constexpr double kBlockW = kCols * kSide / kBlockCols, kBlockH = kRows * kSide / kBlockRows;
  for (int r = 0; r < kBlockRows; ++r) {
    for (int c = 0; c < kBlockCols; ++c) {
      const double x0 = kOriginX + 3.3 + c * kBlockW, y0 = kOriginY + 4.1 + r * kBlockH;
      Figure f;
      f.name = "block" + std::to_string(r * kBlockCols + c);
      f.outline = {{x0, y0, 100}, {x0 + kBlockW, y0, 100}, {x0 + kBlockW, y0 + kBlockH, 100}, {x0, y0 + kBlockH, 100}};
      f.pointCount = 4;
      figures.figures.push_back(std::move(f));
    }
  }

  using Clock = std::chrono::steady_clock;
  FigureSet one = figures;
  auto t0 = Clock::now();
  calculateAllFigures(one, polygons, composites, settings, 1);
  auto t1 = Clock::now();
  FigureSet all = figures;
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  auto t2 = Clock::now();
  calculateAllFigures(all, polygons, composites, settings, 0);
  auto t3 = Clock::now();
  // The peer: the same boxes, every one tested for every figure.
  FigureSet scanned = figures;
  auto t4 = Clock::now();
  {
    const PolygonIndex boxes(polygons);
    for (int i = 0; i < scanned.count(); ++i)
      calculateFigure(scanned, i, {polygons, composites, settings, &boxes, true});
  }
  auto t5 = Clock::now();
  // A figure calculated alone (no index): the boxes come from the outlines each time.
  FigureSet alone = figures;
  auto t6 = Clock::now();
  for (int i = 0; i < 100; ++i) calculateFigure(alone, i, {polygons, composites, settings});
  auto t7 = Clock::now();

  int differ = 0;
  double tonnage = 0.0;
  for (int i = 0; i < figures.count(); ++i) {
    const auto k = static_cast<std::size_t>(i);
    if (!(one.figures[k] == scanned.figures[k]) || !(all.figures[k] == scanned.figures[k])) ++differ;
    if (i < 100 && !(alone.figures[k] == scanned.figures[k])) ++differ;
    tonnage += one.figures[k].oreTonnage;
  }

  const double indexed = seconds(t0, t1), parallel = seconds(t2, t3), scan = seconds(t4, t5);
  std::printf("figures %d, polygons %d, total ore tonnage %.1f\n", figures.count(), polygons.count(), tonnage);
  std::printf("spatial index, 1 thread:     %.3f s\n", indexed);
  std::printf("spatial index, %d threads:    %.3f s\n", cores, parallel);
  std::printf("scan of all polygons' boxes, 1 thread: %.3f s\n", scan);
  std::printf("one figure alone, no index: %.4f s per figure (100 figures)\n", seconds(t6, t7) / 100);
  std::printf("ratio scan / index (1 thread): %.1f\n", scan / indexed);
  std::printf("figures differing between the paths: %d\n", differ);
  return differ == 0 ? 0 : 1;
}
