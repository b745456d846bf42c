#pragma once
// Drawing of the figures into the scene tree: one segment per figure,
// "?Model/Figures/Figure%d" with the figure's index, holding a prism (a
// shell) over the figure's outline whose key is the figure index, so that a
// pick names the figure.
#include <string>

#include "graphics/scene_tree.h"
#include "scene/polygons_drawing.h"

namespace qx {

class CColorTable;
class Figure;
class FigureSet;
class HoopsModel;

// "?Model/Figures/Figure%d".
std::string figureSegmentPath(int index);

// The prism's depth: the figure's thickness, or 0.1 when that is not above
// 0.0000001.
double figurePrismHeight(double thickness);

// The prism of a figure: its first pointCount vertices (at most the whole
// outline) and a copy moved against the outline's normal by the prism
// height; fewer than three vertices give no faces.
PrismShell figurePrism(const Figure& f);

// The colour option a figure's segment gets from its bin: "Polygons = R=%.3f
// G=%.3f B=%.3f", each byte of the bin's colour over 255.
std::string figureColourOption(std::int32_t rgb);

// Deletes and re-creates figure i's segment and fills it; keeps its key in
// model.figureKeys[i].
gfx::Key drawFigure(gfx::SceneTree& tree, const FigureSet& set, int i, HoopsModel& model);
// Every figure, then the colours and the display refresh.
void drawFigures(gfx::SceneTree& tree, const FigureSet& set, HoopsModel& model, const CColorTable& colours);
// Flushes every figure's segment and empties the key list.
void clearFigureItems(gfx::SceneTree& tree, HoopsModel& model);
// Each figure's segment gets the colour of its bin in the current table
// (figureColourOption); ends with an update of the display.
void applyFigureColours(gfx::SceneTree& tree, const FigureSet& set, HoopsModel& model, const CColorTable& colours);
// The display refresh: each figure's colour reset and set to its bin's
// colour as "lines=(R=%.3f G=%.3f B=%.3f),polygons=(...)"; shown, by its
// rendering method, when its own visible flag and the figures switch are
// both on; ends with an update of the display.
void refreshFigures(gfx::SceneTree& tree, const FigureSet& set, HoopsModel& model, const CColorTable& colours);

}  // namespace qx
