#include "scene/polygons_drawing.h"

#include <cmath>
#include <cstdio>

#include "datasets/color_table.h"
#include "engine/polygons.h"
#include "scene/scene_builder.h"
#include "scene/scene_model.h"

namespace qx {

namespace {

// Newell's normal of a ring, unit length; (0, 0, 1) for a degenerate one.
DPoint3D unitNormal(const std::vector<DPoint3D>& ring) {
  double nx = 0.0, ny = 0.0, nz = 0.0;
  const DPoint3D o = ring.front();
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const DPoint3D a = ring[i] - o;
    const DPoint3D b = ring[(i + 1) % ring.size()] - o;
    nx += a.y * b.z - a.z * b.y;
    ny += a.z * b.x - a.x * b.z;
    nz += a.x * b.y - a.y * b.x;
  }
  const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (len == 0.0) return {0.0, 0.0, 1.0};
  return {nx / len, ny / len, nz / len};
}

// The pieces of an outline: [begin, end) ranges; a piece ends at the point
// that repeats its first one (which is left out), or at the outline's end.
std::vector<std::pair<int, int>> outlinePieces(const std::vector<DPoint3D>& outline) {
  std::vector<std::pair<int, int>> pieces;
  const int n = static_cast<int>(outline.size());
  int begin = 0;
  while (begin < n) {
    int end = begin + 1;
    while (end < n && !(outline[static_cast<std::size_t>(end)] == outline[static_cast<std::size_t>(begin)])) ++end;
    pieces.emplace_back(begin, end);
    begin = end < n ? end + 1 : n;
  }
  return pieces;
}

std::string rgbText(std::int32_t colour) {
  const auto c = static_cast<ColorRef>(colour);
  char buf[96];
  std::snprintf(buf, sizeof buf, "R=%.3f G=%.3f B=%.3f", redOf(c) / 255.0, greenOf(c) / 255.0, blueOf(c) / 255.0);
  return buf;
}

// Visibility by display mode; polygons draw their edges as lines.
std::string_view modeVisibility(int mode) {
  return mode == 0   ? "polygons=on, faces=off, lines=on, lights=off, cutting planes=on"
         : mode == 1 ? "polygons=on, lines=on, lights=off, cutting planes=on"
                     : "polygons=on, lines=on, lights=on, cutting planes=on";
}

}  // namespace

std::string polygonSegmentPath(int compositeIndex) {
  return "?Model/Polygons/Polygon" + std::to_string(compositeIndex);
}

double prismHeight(double thickness, double displayFactor) {
  const double h = thickness * displayFactor;
  return h > 0.0000001 ? h : 0.1;
}

PrismShell polygonPrism(const std::vector<DPoint3D>& outline, double height) {
  PrismShell shell;
  if (outline.size() < 3) return shell;
  const auto pieces = outlinePieces(outline);
  for (const auto& [begin, end] : pieces) {
    const int m = end - begin;
    if (m < 3) continue;
    const std::vector<DPoint3D> ring(outline.begin() + begin, outline.begin() + end);
    const DPoint3D n = unitNormal(ring);
    const int base = static_cast<int>(shell.points.size());
    for (const auto& p : ring) shell.points.push_back(p);
    for (const auto& p : ring) shell.points.push_back({p.x - n.x * height, p.y - n.y * height, p.z - n.z * height});
    shell.faces.push_back(m);
    for (int k = 0; k < m; ++k) shell.faces.push_back(base + k);
    shell.faces.push_back(m);
    for (int k = m - 1; k >= 0; --k) shell.faces.push_back(base + m + k);
    for (int k = 0; k < m; ++k) {
      const int k1 = (k + 1) % m;
      shell.faces.insert(shell.faces.end(), {4, base + k1, base + k, base + m + k, base + m + k1});
    }
  }
  return shell;
}

gfx::Key drawPolygon(gfx::SceneTree& tree, const CPolygonSet& set, int i, HoopsModel& model) {
  if (i < 0 || i >= set.count()) return gfx::kNoKey;
  const CPolygon& poly = set.polygons[static_cast<std::size_t>(i)];
  const std::string path = polygonSegmentPath(poly.compositeIndex);
  tree.deleteSegment(path);
  const gfx::Key key = tree.openSegment(path);
  tree.flushContents(".", "shells");
  tree.setVisibility("polygons=on, lines=on, lights=on, cutting planes=on");
  tree.setRenderingOptions("no lighting");
  const PrismShell shell = polygonPrism(poly.outline, prismHeight(poly.thickness, set.displayThicknessFactor));
  if (!shell.faces.empty()) {
    const gfx::Key shellKey = tree.insertShell(std::span<const DPoint3D>(shell.points), shell.faces);
    tree.renumberKey(shellKey, static_cast<gfx::Key>(poly.compositeIndex), gfx::KeyScope::Local);
  }
  tree.closeSegment();
  if (model.polygonKeys.size() <= static_cast<std::size_t>(i))
    model.polygonKeys.resize(static_cast<std::size_t>(i) + 1, gfx::kNoKey);
  model.polygonKeys[static_cast<std::size_t>(i)] = key;
  return key;
}

void drawPolygons(gfx::SceneTree& tree, const CPolygonSet& set, HoopsModel& model, const CColorTable& colours) {
  model.polygonKeys.assign(static_cast<std::size_t>(set.count()), gfx::kNoKey);
  for (int i = 0; i < set.count(); ++i) drawPolygon(tree, set, i, model);
  refreshPolygons(tree, set, model, colours);
}

void clearPolygonItems(gfx::SceneTree& tree, HoopsModel& model) {
  if (model.polygonsKey != gfx::kNoKey && tree.segment(model.polygonsKey) != nullptr)
    tree.flushContentsByKey(model.polygonsKey, "everything");
  for (const gfx::Key key : model.polygonKeys)
    if (key != gfx::kNoKey && tree.segment(key) != nullptr) tree.flushContentsByKey(key, "everything");
  model.polygonKeys.clear();
}

void refreshPolygons(gfx::SceneTree& tree, const CPolygonSet& set, HoopsModel& model, const CColorTable& colours) {
  const int table = colours.currentTable;
  for (int i = 0; i < set.count() && static_cast<std::size_t>(i) < model.polygonKeys.size(); ++i) {
    const gfx::Key key = model.polygonKeys[static_cast<std::size_t>(i)];
    if (key == gfx::kNoKey || tree.segment(key) == nullptr) continue;
    const CPolygon& poly = set.polygons[static_cast<std::size_t>(i)];
    tree.openSegmentByKey(key);
    tree.unsetAttribute(gfx::AttributeGroup::Color);
    const bool binned = table >= 0 && poly.colour >= 0 && poly.colour < CColorTable::kBinsPerTable;
    const std::string rgb = rgbText(binned ? colours.bin(table, poly.colour).colour : 0);
    tree.setColor("lines=(" + rgb + "),polygons=(" + rgb + ")");
    const bool binShown =
        table < 0 || table >= HoopsModel::kVisibilityTables || poly.colour < 0 ||
        poly.colour >= HoopsModel::kBinCount ||
        model.binVisibility[static_cast<std::size_t>(table)][static_cast<std::size_t>(poly.colour)] > 0;
    if (set.shown != 0 && model.polygonsShown != 0 && binShown) {
      tree.setVisibility(modeVisibility(set.displayMode));
      tree.setRenderingOptions(displayModeRendering(set.displayMode));
    } else {
      tree.setVisibility(kHiddenItem);
    }
    tree.closeSegment();
  }
  tree.updateDisplay();
}

}  // namespace qx
