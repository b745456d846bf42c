#pragma once
// What the view does with the mouse and the view commands, without a window:
// the cursor's world position and the status text, the zoom box and the pan
// line (drawn as a rubber band under the picture so that the renderer shows
// it), step pans, Zoom All, the view history of the section set, the six
// show/hide switches, the named sections, the polygons' rendering and
// vertical exaggeration, and zooming about the cursor with the wheel.
//
// Window points are in "local window" coordinates: x and y from -1 to 1 over
// the window, y up.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "scene/scene_builder.h"

namespace qx {

inline constexpr std::string_view kRubberBandSegment = "?Picture/RubberBand";
// The status pane's text in a 2D and in a 3D project, followed by the name of
// the colour table in use.
inline constexpr const char* kStatusFormat2D = "X: %-12.2lf  Y: %-12.2lf               Colour Table: ";
inline constexpr const char* kStatusFormat3D = "X: %-12.2lf  Y: %-12.2lf  Z: %-12.2lf               Colour Table: ";
// The polygons' display modes, in mode order.
inline constexpr std::string_view kRenderingModeNames[] = {"Lines Only", "No Shading", "Flat Shading",
                                                           "Gouraud Shading", "Phong Shading"};
// The steps of the vertical exaggeration.
inline constexpr double kExaggerationSteps[] = {0.0, 0.1, 0.25, 0.5, 1.0, 2.0, 5.0, 10.0};
// One notch of the wheel (120) zooms in to this share of the field.
inline constexpr double kWheelZoomFactor = 0.8;

enum class ViewDataset { Composites, Envelopes, Figures, Polygons, Surfaces, Grid };

class ViewController {
 public:
  enum class Drag { None, ZoomBox, Pan };
  // Mouse buttons, as the desktop numbers them.
  static constexpr int kLeftButton = 1;

  ViewController(gfx::SceneTree& tree, SceneProject project) : tree_(tree), builder_(tree, project), p_(project) {}

  // Called when the project changes in a way that is saved (the polygons'
  // rendering and exaggeration).
  void setModifiedListener(std::function<void()> listener) { modified_ = std::move(listener); }

  // The window's size in pixels: set on the picture, and the view set again
  // from the current section (the axis icon keeps its corner).
  void resize(int width, int height);

  // ---- the mouse ----
  // The cursor's world position on the view plane; while a zoom box or pan
  // line is dragged, the rubber band follows.
  void mouseMoved(double x, double y);
  // The left button starts the drag of an armed zoom box or pan; any other
  // button cancels it.
  void mousePressed(double x, double y, int button);
  // Ends the drag: records the view and zooms or pans. True when the view changed.
  bool mouseReleased(double x, double y, int button);
  // Zooms about the cursor: a notch (120) in shows 0.8 of the field, out 1/0.8.
  void wheel(double x, double y, int angleDelta);
  const DPoint3D& cursor() const { return cursor_; }
  // The status pane: empty while the project has no loaded variable.
  std::string statusText() const;

  // ---- commands ----
  void armZoomBox() { armed_ = Drag::ZoomBox; }
  void armPan() { armed_ = Drag::Pan; }
  void cancelDrag();
  Drag armed() const { return armed_; }
  bool dragging() const { return dragging_; }
  // Zoom All: records the view, then fits it to the data.
  void zoomAll();
  // Step pans by a twentieth of the data's x extent: the camera moves in its
  // own frame, Left by +d across, Right by -d, Up by +d along its up axis,
  // Down by -d.
  enum class Step { Left, Right, Up, Down };
  void stepPan(Step step);
  // The view history; false when there is no step that way.
  bool undoView();
  bool redoView();
  // Flips a show/hide switch and redraws what it governs.
  void toggle(ViewDataset dataset);
  bool isShown(ViewDataset dataset) const;

  // ---- the bars ----
  std::vector<std::string> sectionNames() const;
  // The named section whose name the current view carries, or -1.
  int currentSection() const;
  // Looks along the named section: records the view, takes its name,
  // azimuth and dip, and fits the data.
  void selectSection(int index);
  int polygonRendering() const;
  void setPolygonRendering(int mode);
  double verticalExaggeration() const;
  // The polygons are drawn again with the new prism depth; out-of-range values are clamped to 0..10.
  void setVerticalExaggeration(double factor);

  SceneBuilder& builder() { return builder_; }

 private:
  std::optional<DPoint3D> toWorld(double x, double y) const;
  void drawRubberBand(double x, double y);
  void clearRubberBand();
  void changed();

  gfx::SceneTree& tree_;
  SceneBuilder builder_;
  SceneProject p_;
  std::function<void()> modified_;
  DPoint3D cursor_{};
  Drag armed_ = Drag::None;
  bool dragging_ = false;
  DPoint2D anchor_{};
};

}  // namespace qx
