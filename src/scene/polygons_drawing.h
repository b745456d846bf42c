#pragma once
// Drawing of the polygons into the scene tree: one segment per polygon,
// "?Model/Polygons/Polygon%d" with its composite's index, holding a thin
// prism (a shell) over the clipped outline whose key is the composite index,
// so that a pick names the composite.
#include <string>
#include <vector>

#include "graphics/scene_tree.h"

namespace qx {

class CColorTable;
class CPolygon;
class CPolygonSet;
class HoopsModel;

// "?Model/Polygons/Polygon%d".
std::string polygonSegmentPath(int compositeIndex);

// The prism of an outline: its points, then the same points moved against
// the outline's normal by `height`; one face per piece of the outline (a
// piece ends where its first point comes round again), its copy reversed,
// and a quadrilateral per side. Outlines of fewer than three points give no
// faces.
struct PrismShell {
  std::vector<DPoint3D> points;
  std::vector<int> faces;
};
PrismShell polygonPrism(const std::vector<DPoint3D>& outline, double height);

// The prism's height: thickness x the display factor, or 0.1 when that is
// not above 0.0000001.
double prismHeight(double thickness, double displayFactor);

// Deletes and re-creates polygon i's segment and fills it; keeps its key in
// model.polygonKeys[i].
gfx::Key drawPolygon(gfx::SceneTree& tree, const CPolygonSet& set, int i, HoopsModel& model);
// Every polygon, then the colours and visibility (refreshPolygons).
void drawPolygons(gfx::SceneTree& tree, const CPolygonSet& set, HoopsModel& model, const CColorTable& colours);
// Flushes the polygons segment and each polygon's segment, and empties the
// key list.
void clearPolygonItems(gfx::SceneTree& tree, HoopsModel& model);
// Each polygon's colour ("lines=(R=%.3f G=%.3f B=%.3f),polygons=(...)" from
// its bin's colour in the current table), then its visibility by the set's
// display mode, the set's flag, the polygons switch and the bin visibility
// of its bin; ends with an update of the display.
void refreshPolygons(gfx::SceneTree& tree, const CPolygonSet& set, HoopsModel& model, const CColorTable& colours);

}  // namespace qx
