#pragma once
// Turning a click into a digitized point on the view plane: the snap modes,
// the two-click constructions (middle of two points, a set distance from a
// base point along the direction of the second click) and their prompts.
//
// Snap modes: 0 none, 1 polygon vertex, 2 figure vertex, 3 envelope vertex,
// 4 typed coordinate, 5 grid intersection, 6 nearest side. The vertex snaps
// pick the item under the click through the scene tree (in the selection
// mode of that dataset, restored afterwards) and take its vertex nearest to
// the clicked point. The nearest side looks at every side of every envelope
// contour, figure outline and polygon outline, closing side included, and
// only where the click's foot falls on the side itself. Every snapped point
// is put back on the view plane.
#include <optional>
#include <string>
#include <string_view>

#include "common/types.h"
#include "graphics/scene_tree.h"
#include "port/dialog_model.h"

namespace qx {

class CPolygonSet;
class CViewGridData;
class EnvelopeSet;
class FigureSet;
class HoopsModel;
class SceneBuilder;

// What the snaps read. References: the objects outlive the digitizer.
struct DigitizeSources {
  gfx::SceneTree& tree;
  SceneBuilder& builder;
  const HoopsModel& model;
  const CPolygonSet& polygons;
  const FigureSet& figures;
  const EnvelopeSet& envelopes;
  const CViewGridData& grid;
};

enum SnapMode : int {
  kSnapNone = 0,
  kSnapPolygon = 1,
  kSnapFigure = 2,
  kSnapEnvelope = 3,
  kSnapCoordinate = 4,
  kSnapGrid = 5,
  kSnapSide = 6
};

// "Snap To Coordinate": the typed point of snap mode 4, opening on the
// current section's plane point.
class CSnapCoordDlg : public DialogModel {
 public:
  static constexpr std::string_view kKind = "snap_coordinate";
  static constexpr std::string_view kXLabel = "X Coordinate";
  static constexpr std::string_view kYLabel = "Y Coordinate";
  CSnapCoordDlg(double x, double y) : x(x), y(y) {}
  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Snap To Coordinate"; }
  double x;
  double y;
};

class Digitizer {
 public:
  explicit Digitizer(DigitizeSources sources) : s_(sources) {}

  // A click at a "local window" point of "?Picture": the point the active
  // tool takes, or nullopt while a construction waits for its second click.
  std::optional<DPoint3D> click(DPoint2D at);
  // The snapped world point of a click.
  DPoint3D snappedPoint(DPoint2D at);

  // Each snap command switches between its mode and 0.
  void toggleSnap(int mode) { snapMode_ = snapMode_ == mode ? kSnapNone : mode; }
  // The typed coordinate: mode 4, both constructions off.
  void snapToCoordinate(double x, double y);
  // Each construction clears the other; switching one off clears the prompt.
  void toggleMiddle();
  void toggleDistance();
  // Read like "%lf": false (distance unchanged) when no number starts the text.
  bool setSnapDistance(std::string_view text);

  int snapMode() const { return snapMode_; }
  bool middleOn() const { return middleOn_; }
  bool distanceOn() const { return distanceOn_; }
  double snapDistance() const { return snapDistance_; }
  const std::string& prompt() const { return prompt_; }

  // Whether a contour is being digitized: only then are clicks snapped.
  bool contourActive = true;
  // The figure tool: polygon hits that are not polygon indexes are stepped over.
  bool skipInvalidPolygonHits = false;
  // The envelope contour being edited (envelope index x 1000 + contour): its
  // hits are stepped over.
  std::optional<gfx::Key> editedContour;

 private:
  std::optional<DPoint3D> vertexSnap(int mode, DPoint2D at, const DPoint3D& world);
  std::optional<DPoint3D> nearestSide(const DPoint3D& p) const;

  DigitizeSources s_;
  int snapMode_ = kSnapNone;
  bool middleOn_ = false;
  bool distanceOn_ = false;
  bool firstTaken_ = false;
  bool baseTaken_ = false;
  DPoint3D first_;
  DPoint3D base_;
  double snapDistance_ = 0.0;
  DPoint2D typed_;
  std::string prompt_;
};

}  // namespace qx
