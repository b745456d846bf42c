#include "scene/figures_drawing.h"

#include <algorithm>
#include <cstdio>

#include "datasets/color_table.h"
#include "engine/figures.h"
#include "scene/scene_builder.h"
#include "scene/scene_model.h"

namespace qx {

namespace {

std::string rgbTriple(std::int32_t colour) {
  const auto c = static_cast<ColorRef>(colour);
  char buf[96];
  std::snprintf(buf, sizeof buf, "R=%.3f G=%.3f B=%.3f", redOf(c) / 255.0, greenOf(c) / 255.0, blueOf(c) / 255.0);
  return buf;
}

// The RGB colour of a figure's bin in the current table; black outside it.
std::int32_t binColour(const Figure& f, const CColorTable& colours) {
  const int table = colours.currentTable;
  const bool binned =
      table >= 0 && table < CColorTable::kTableCount && f.colour >= 0 && f.colour < CColorTable::kBinsPerTable;
  return binned ? static_cast<std::int32_t>(colours.bin(table, f.colour).colour) : 0;
}

bool segmentLive(const gfx::SceneTree& tree, const HoopsModel& model, int i, gfx::Key& key) {
  if (static_cast<std::size_t>(i) >= model.figureKeys.size()) return false;
  key = model.figureKeys[static_cast<std::size_t>(i)];
  return key != gfx::kNoKey && tree.segment(key) != nullptr;
}

}  // namespace

std::string figureSegmentPath(int index) { return "?Model/Figures/Figure" + std::to_string(index); }

double figurePrismHeight(double thickness) { return thickness > 0.0000001 ? thickness : 0.1; }

PrismShell figurePrism(const Figure& f) {
  const std::size_t n = std::min(static_cast<std::size_t>(std::max(f.pointCount, 0)), f.outline.size());
  const std::vector<DPoint3D> ring(f.outline.begin(), f.outline.begin() + static_cast<std::ptrdiff_t>(n));
  return polygonPrism(ring, figurePrismHeight(f.thickness));
}

std::string figureColourOption(std::int32_t rgb) { return "Polygons = " + rgbTriple(rgb); }

gfx::Key drawFigure(gfx::SceneTree& tree, const FigureSet& set, int i, HoopsModel& model) {
  if (i < 0 || i >= set.count()) return gfx::kNoKey;
  const Figure& f = set.figures[static_cast<std::size_t>(i)];
  const std::string path = figureSegmentPath(i);
  tree.deleteSegment(path);
  const gfx::Key key = tree.openSegment(path);
  tree.flushContents(".", "shells");
  tree.setVisibility("polygons=on, lines=on, lights=on, cutting planes=on");
  tree.setRenderingOptions("no lighting");
  const PrismShell shell = figurePrism(f);
  if (!shell.faces.empty()) {
    const gfx::Key shellKey = tree.insertShell(std::span<const DPoint3D>(shell.points), shell.faces);
    tree.renumberKey(shellKey, static_cast<gfx::Key>(i), gfx::KeyScope::Local);
  }
  tree.closeSegment();
  if (model.figureKeys.size() <= static_cast<std::size_t>(i))
    model.figureKeys.resize(static_cast<std::size_t>(i) + 1, gfx::kNoKey);
  model.figureKeys[static_cast<std::size_t>(i)] = key;
  return key;
}

void drawFigures(gfx::SceneTree& tree, const FigureSet& set, HoopsModel& model, const CColorTable& colours) {
  clearFigureItems(tree, model);
  model.figureKeys.assign(static_cast<std::size_t>(set.count()), gfx::kNoKey);
  for (int i = 0; i < set.count(); ++i) drawFigure(tree, set, i, model);
  applyFigureColours(tree, set, model, colours);
  refreshFigures(tree, set, model, colours);
}

void clearFigureItems(gfx::SceneTree& tree, HoopsModel& model) {
  for (const gfx::Key key : model.figureKeys)
    if (key != gfx::kNoKey && tree.segment(key) != nullptr) tree.deleteByKey(key);
  model.figureKeys.clear();
}

void applyFigureColours(gfx::SceneTree& tree, const FigureSet& set, HoopsModel& model, const CColorTable& colours) {
  for (int i = 0; i < set.count(); ++i) {
    gfx::Key key;
    if (!segmentLive(tree, model, i, key)) continue;
    tree.openSegmentByKey(key);
    tree.setColor(figureColourOption(binColour(set.figures[static_cast<std::size_t>(i)], colours)));
    tree.closeSegment();
  }
  tree.updateDisplay();
}

void refreshFigures(gfx::SceneTree& tree, const FigureSet& set, HoopsModel& model, const CColorTable& colours) {
  for (int i = 0; i < set.count(); ++i) {
    gfx::Key key;
    if (!segmentLive(tree, model, i, key)) continue;
    const Figure& f = set.figures[static_cast<std::size_t>(i)];
    tree.openSegmentByKey(key);
    tree.unsetAttribute(gfx::AttributeGroup::Color);
    const std::string rgb = rgbTriple(binColour(f, colours));
    tree.setColor("lines=(" + rgb + "),polygons=(" + rgb + ")");
    if (f.visible != 0 && model.figuresShown != 0) {
      tree.setVisibility(displayModeVisibility(f.renderingMethod));
      tree.setRenderingOptions(displayModeRendering(f.renderingMethod));
    } else {
      tree.setVisibility(kHiddenItem);
    }
    tree.closeSegment();
  }
  tree.updateDisplay();
}

}  // namespace qx
