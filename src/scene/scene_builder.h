#pragma once
// The scene model on the scene tree: builds the fixed tree of segments,
// applies the display state that HoopsModel holds (marker style, bin and
// dataset visibility, selectability), refreshes each dataset's display, and
// turns the current section into the camera, the slab's two cutting planes,
// the distant light and the axis icon. The view operations (fit, zoom to a
// rectangle, pan) change the current section and then set the view from it.
//
// The tree below "?Picture" (the view's window) and "?Model":
//   ?Model/Composites/Bin0..Bin25   one marker per composite
//   ?Model/Envelopes/Envelope%d     ?Model/Surfaces/Surface%d
//   ?Model/Figures/Figure%d         ?Model/Polygons/Polygon%d
//   ?Model/EditPolyline             the editing tools' inked line
//   ?Model/CuttingPlanes            the slab's planes
//   ?Model/DistantLights            one white light
//   ?Model/IconXYZ                  the axis icon, drawn last
//   ?Model/Grid/GridYZ, GridXZ, GridXY
#include <optional>
#include <string>
#include <string_view>

#include "common/types.h"
#include "graphics/scene_tree.h"

namespace qx {

class CColorTable;
class CPolygonSet;
class CViewGridData;
class EnvelopeSet;
class FigureSet;
class HoopsModel;
class QuarlexSettings;
class Section;
class SectionSet;
class SurfaceSet;

inline constexpr std::string_view kPictureSegment = "?Picture";
inline constexpr std::string_view kModelSegment = "?Model";
// What "?Picture" stands for once the scene is built.
inline constexpr std::string_view kPictureWindow = "?driver/qt/window1";
inline constexpr std::string_view kModelRoot = "/model";
inline constexpr std::string_view kCuttingPlanesSegment = "?Model/CuttingPlanes";
inline constexpr std::string_view kDistantLightsSegment = "?Model/DistantLights";
inline constexpr std::string_view kAxisIconSegment = "?Model/IconXYZ";
inline constexpr std::string_view kGridSegment = "?Model/Grid";
inline constexpr std::string_view kEditPolylineSegment = "?Model/EditPolyline";

// The project objects the scene is drawn from. References: the objects
// outlive the builder (the document's objects keep their addresses).
struct SceneProject {
  HoopsModel& model;
  SectionSet& sections;
  const QuarlexSettings& settings;
  const CViewGridData& grid;
  const CColorTable& colours;
  const EnvelopeSet& envelopes;
  const SurfaceSet& surfaces;
  const FigureSet& figures;
  CPolygonSet& polygons;
};

// Orthogonal projection of p onto the plane a·x + b·y + c·z + d = 0.
DPoint3D projectOntoPlane(double a, double b, double c, double d, const DPoint3D& p);

// Visibility and rendering options of display modes 0 to 4 ("Lines Only",
// "No Shading", "Flat Shading", "Gouraud Shading", "Phong Shading").
inline constexpr std::string_view kHiddenItem = "everything=off, polygons=off, faces=off, lines=off, lights=off";
std::string displayModeVisibility(int mode);
std::string_view displayModeRendering(int mode);

// The grid's counts and start along one axis: count = trunc(|max - min| /
// spacing + 2), start = origin - trunc((origin - min) / spacing + 1) · spacing.
struct GridAxis {
  int count = 0;
  double start = 0.0;
};
GridAxis gridAxis(double origin, double spacing, double min, double max);

class SceneBuilder {
 public:
  SceneBuilder(gfx::SceneTree& tree, SceneProject project) : tree_(tree), p_(project) {}

  // First call: defines "?Picture" and "?Model"; later calls delete "?Model"
  // first. Then the fixed tree with its attributes; `windowId` goes into the
  // picture's driver options.
  void buildScene(unsigned windowId = 0);
  // New project: the stored camera back on the picture, everything below
  // "?Model" flushed, the model's switches reset.
  void resetScene();

  // The marker style of the composites from the model's indices.
  void applyMarkerStyle();
  void setMarkerSymbol(int index);
  void setMarkerSize(int index);

  // Bin i shows its markers when its cell in the current colour table's row
  // is set and the composites are shown.
  void applyBinVisibility();
  // The composites' switch on their segment, then the four refreshes.
  void applyDatasetVisibility();
  // Only the dataset of the selection mode can be picked.
  void setSelectionMode(int mode);
  void applySelectionMode();

  // Display refreshes: colour, transparency, visibility and rendering by each
  // item's display mode; each ends with an update of the display.
  void refreshEnvelopes();
  void refreshSurfaces();
  void refreshFigures();
  void refreshPolygons();

  // The view from the current section (camera, cutting planes, light, icon).
  void setViewFromSection();
  // Fits the current section's field to the project's data extents (5 %
  // margin) seen along the current direction.
  void zoomExtents();
  // Zoom to the rectangle, pan from the first to the second point; the
  // points are window points in `system` (z = 0).
  void zoomWindow(DPoint2D a, DPoint2D b, gfx::CoordSystem system = gfx::CoordSystem::OuterPixels);
  void pan(DPoint2D from, DPoint2D to, gfx::CoordSystem system = gfx::CoordSystem::OuterPixels);
  // The reference grid from the grid data and the data extents.
  void buildGrid();

  // The data extents, or a point at the origin when no data are loaded.
  void dataExtents(DPoint3D& min, DPoint3D& max) const;

 private:
  std::optional<DPoint3D> convert(gfx::CoordSystem from, const DPoint3D& p, gfx::CoordSystem to) const;
  void drawAxisIcon(double width, double height);

  gfx::SceneTree& tree_;
  SceneProject p_;
};

}  // namespace qx
