// Picking and snapping on a large scene: 100,000 composites (markers) and
// 100,000 polygons (20-sided outlines, each drawn as a prism shell in its own
// segment), drawn by the project's own drawing code, seen from above.
//
// Printed, each the mean over repeated clicks at points spread over the view:
// the double-click pick (composite mode and polygon mode), the polygon-vertex
// snap and the nearest-side snap; before them, the first pick after drawing. The peer, measured in the same run: a
// plain scan of every polygon vertex for the one nearest the click; each ratio is our time over the peer's.
//
//   bench_pick [--composites N] [--polygons N] [--clicks N]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "datasets/color_table.h"
#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "datasets/surfaces.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "graphics/scene_tree.h"
#include "port/silent_port.h"
#include "project/quarlex_settings.h"
#include "scene/composites_drawing.h"
#include "scene/digitizer.h"
#include "scene/picking.h"
#include "scene/polygons_drawing.h"
#include "scene/scene_builder.h"
#include "scene/scene_model.h"
#include "scene/view_controller.h"
#include "scene/view_grid_data.h"
#include "sections/sections.h"

namespace {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

constexpr int kSides = 20;
constexpr double kSpacing = 10.0;

struct Project {
  qx::gfx::SceneTree tree;
  qx::HoopsModel model;
  qx::SectionSet sections;
  qx::QuarlexSettings settings;
  qx::CViewGridData grid;
  qx::CColorTable colours;
  qx::EnvelopeSet envelopes;
  qx::SurfaceSet surfaces;
  qx::FigureSet figures;
  qx::CPolygonSet polygons;
  qx::CompositeSet composites;
  qx::ViewController view{tree, {model, sections, settings, grid, colours, envelopes, surfaces, figures, polygons}};
};

int argInt(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  const int nComposites = argInt(argc, argv, "--composites", 100000);
  const int nPolygons = argInt(argc, argv, "--polygons", 100000);
  const int clicks = argInt(argc, argv, "--clicks", 20);
  Project p;
  const int columns = static_cast<int>(std::ceil(std::sqrt(nPolygons * 1.6)));
  const double width = columns * kSpacing, height = std::ceil(double(nPolygons) / columns) * kSpacing;
  const qx::DPoint3D origin{500000.0, 7000000.0, 300.0};

  p.settings.loaded = {qx::VariableInfo("Au")};
  p.composites.setVariableCounts(1, 0);
  p.colours.bin(0, 0) = {"Au", "", 0.0, 1.0, 0};
  std::mt19937 random(7);
  std::uniform_real_distribution<double> ux(0, width), uy(0, height), uz(290, 310), ug(0, 2);
  for (int i = 0; i < nComposites; ++i)
    p.composites.composites.push_back(
        {"c", 0, -1, {origin.x + ux(random), origin.y + uy(random), uz(random)}, {ug(random)}, {}});
  for (int i = 0; i < nPolygons; ++i) {
    qx::CPolygon poly;
    poly.compositeIndex = i;
    poly.thickness = 2.0;
    const double cx = origin.x + (i % columns + 0.5) * kSpacing, cy = origin.y + (i / columns + 0.5) * kSpacing;
    for (int k = 0; k < kSides; ++k) {
      const double a = 2 * std::numbers::pi * k / kSides;
      poly.outline.push_back({cx + 4.5 * std::cos(a), cy + 4.5 * std::sin(a), origin.z});
    }
    poly.recomputeBoundingBox();
    p.polygons.polygons.push_back(std::move(poly));
  }

  const auto buildStart = Clock::now();
  qx::SceneBuilder& builder = p.view.builder();
  builder.buildScene();
  p.view.resize(1280, 800);
  qx::Section& s = p.sections.current;
  s.target = {static_cast<float>(origin.x + width / 2), static_cast<float>(origin.y + height / 2),
              static_cast<float>(origin.z)};
  s.referencePoint = s.target;
  s.fieldWidth = static_cast<float>(width);
  s.fieldHeight = static_cast<float>(height);
  builder.setViewFromSection();
  qx::SilentPort port;
  qx::processComposites(port, p.composites, p.settings, p.colours, p.tree);
  qx::drawPolygons(p.tree, p.polygons, p.model, p.colours);
  std::printf("scene: %d composites, %d polygons, %zu segments, %zu items, built in %.0f ms\n", nComposites, nPolygons,
              p.tree.segmentCount(), p.tree.itemCount(), msSince(buildStart));

  // Clicks inside the view, away from its border.
  std::vector<qx::DPoint2D> points;
  std::uniform_real_distribution<double> uw(-0.9, 0.9);
  for (int i = 0; i < clicks; ++i) points.push_back({uw(random), uw(random)});

  const auto timeEach = [&](auto&& one) {
    const auto t = Clock::now();
    long found = 0;
    for (const auto& at : points) found += one(at) ? 1 : 0;
    return std::pair{msSince(t) / clicks, found};
  };

  // The peer: every polygon vertex scanned for the one nearest the click.
  const auto [peer, peerFound] = timeEach([&](qx::DPoint2D at) {
    const auto w = p.tree.computeCoordinates(qx::kPictureSegment, qx::gfx::CoordSystem::LocalWindow, {at.x, at.y, 0.0},
                                             qx::gfx::CoordSystem::World);
    double best = 1e38;
    const qx::DPoint3D* nearest = nullptr;
    for (const auto& poly : p.polygons.polygons)
      for (const auto& v : poly.outline) {
        const double d = std::hypot(v.x - w->x, v.y - w->y, v.z - w->z);
        if (d < best) best = d, nearest = &v;
      }
    return nearest != nullptr;
  });
  std::printf("peer (scan of %d polygon vertices): %.2f ms\n", nPolygons * kSides, peer);

  const auto report = [&](const char* what, std::pair<double, long> r) {
    std::printf("%-36s %8.2f ms  (%ld of %d clicks found something)  ratio to peer %.2f\n", what, r.first, r.second,
                clicks, r.first / peer);
  };
  // The first pick after the drawing also lays out the tree's picking walk.
  const auto firstStart = Clock::now();
  qx::pickForInformation(p.tree, 0, points.front());
  std::printf("first pick after drawing (lays out the walk): %.2f ms\n", msSince(firstStart));
  for (const int mode : {0, 4}) {
    builder.setSelectionMode(mode);
    report(mode == 0 ? "double-click pick, composite mode" : "double-click pick, polygon mode",
           timeEach([&](qx::DPoint2D at) { return qx::pickForInformation(p.tree, mode, at).has_value(); }));
  }
  builder.setSelectionMode(0);
  qx::Digitizer digitizer({p.tree, builder, p.model, p.polygons, p.figures, p.envelopes, p.grid});
  for (const int mode : {qx::kSnapPolygon, qx::kSnapSide}) {
    digitizer.toggleSnap(mode);
    report(mode == qx::kSnapPolygon ? "snap to polygon vertex" : "snap to nearest side", timeEach([&](qx::DPoint2D at) {
             const qx::DPoint3D q = digitizer.snappedPoint(at);
             const auto w = p.tree.computeCoordinates(qx::kPictureSegment, qx::gfx::CoordSystem::LocalWindow,
                                                      {at.x, at.y, 0.0}, qx::gfx::CoordSystem::World);
             return q.x != w->x || q.y != w->y;
           }));
    digitizer.toggleSnap(mode);
  }
  return 0;
}
