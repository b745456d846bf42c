#pragma once
// The digitizing and modify tools: drawing new envelope contours and figure
// outlines on the plan view, reshaping existing ones vertex by vertex,
// retagging and deleting contours, fitting a figure to a target area and
// editing a composite. The tools keep the edited line themselves and show it
// in "?Model/EditPolyline" (red, the current vertex marked); the datasets
// change only when an edit is accepted, so Cancel leaves them as they were.
//
// Points come already snapped, in world coordinates. The modal pick stands
// behind a callback that returns the user key of the item hit, or nothing:
// envelope x 1000 + contour (mode 2), the figure's index (mode 1), the
// composite's index (mode 0), the vertex of the edited line (mode 5).
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/types.h"
#include "graphics/scene_tree.h"
#include "port/dialog_model.h"

namespace qx {

class CompositeSet;
class CPolygonSet;
class EnvelopeSet;
class FigureSet;
class QuarlexSettings;
class UiPort;
class HoopsModel;

inline constexpr std::string_view kCannotCreateEnvelopes = "Cannot create envelopes that are not on the plane.";
inline constexpr std::string_view kCannotCreateFigures = "Cannot create figures that are not on the plane.";
inline constexpr std::string_view kCannotModifyEnvelopes = "Cannot modify envelopes from a non-plan view.";
inline constexpr std::string_view kCannotModifyFigures = "Cannot modify figures from a non-plan view.";
inline constexpr std::string_view kInvalidEnvelope = "Invalid Envelope Selected";
inline constexpr std::string_view kInvalidFigure = "Invalid Figure Selected";
inline constexpr std::string_view kInvalidComposite = "Invalid Composite Selected";
inline constexpr std::string_view kNotOnSectionPlane = "The item to modify does not lie on\nthe current section plane";
inline constexpr std::string_view kDeleteContourQuestion = "Delete selected contour?";
inline constexpr std::string_view kTargetAreaNotPositive = "Please enter a target area greater than 0.";
inline constexpr std::string_view kTargetAreaOutOfReach = "The target area is out of reach of this point.";
inline constexpr std::string_view kTargetAreaCrossing =
    "The target area cannot be reached by moving this point:\nthe outline would cross itself.";

// The buttons of the digitize and modify bars and the Edit menu's tools.
enum class EditCommand {
  CreateEnvelope,
  CreateFigure,
  ModifyEnvelope,
  ModifyFigure,
  ModifyComposite,
  StartDigitizing,
  FinishDigitizing,
  Undo,
  SelectAnchor,
  NextPoint,
  PreviousPoint,
  Erase,
  AddPoint,
  MovePoint,
  Accept,
  Cancel,
  RetagContour,
  DeleteContour,
  TargetArea,
};

// "Enter target area": one number, shown at first as the current area "%.2lf".
class CTargetAreaDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "target_area";
  explicit CTargetAreaDialog(double area);
  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Enter target area"; }
  std::string text;
  // The text read as a number; nothing when it holds none.
  std::optional<double> value() const;
};

// The list of envelope names headed "     Move to envelope:".
class CRetagContourDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "retag_contour";
  static constexpr std::string_view kPrompt = "     Move to envelope:";
  explicit CRetagContourDialog(std::vector<std::string> names) : names(std::move(names)) {}
  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Retag Contour"; }
  std::vector<std::string> names;
  int selected = 0;
  // Selects the entry of that name; false when there is none.
  bool select(std::string_view name);
};

// What the tools edit.
struct EditProject {
  EnvelopeSet& envelopes;
  FigureSet& figures;
  CompositeSet& composites;
  const CPolygonSet& polygons;
  const QuarlexSettings& settings;
};

// The view the tools work in: the section's dip and the camera of "?Picture".
struct EditView {
  double dip = -90.0;
  DPoint3D cameraTarget{0.0, 0.0, 0.0};
  DPoint3D cameraPosition{0.0, 0.0, 1.0};
};

// The one-step answer of the target-area command: where vertex `vertex` of
// the closed line `points` (last point repeating the first) must go for the
// outline's area to become `target`. The area is linear in the offset along
// the perpendicular to the bearing between the two neighbours. Nothing, with
// the reason in `why`, for a target not above 0, one out of reach or one
// that would make the outline cross itself.
std::optional<DPoint3D> vertexForTargetArea(const std::vector<DPoint3D>& points, int vertex, double target,
                                            std::string* why = nullptr);
// Half the absolute shoelace sum of a closed line in x and y.
double closedLineArea(const std::vector<DPoint3D>& points);

class EditTools {
 public:
  using Pick = std::function<std::optional<gfx::Key>(int selectionMode)>;
  enum Pending { kNone = -1, kInsert = 2, kMove = 3 };

  EditTools(EditProject project, UiPort& port, Pick pick);

  // Optional: the scene that shows the edited line and hides the item being
  // modified, with the keys of the datasets' segments.
  void setScene(gfx::SceneTree* scene, HoopsModel* model) {
    scene_ = scene;
    model_ = model;
  }
  void setView(const EditView& view) { view_ = view; }
  void setPick(Pick pick) { pick_ = std::move(pick); }
  // Called after every edit that changed a dataset (the caller marks the
  // project modified and redraws).
  void setChangedCallback(std::function<void()> changed) { changed_ = std::move(changed); }
  // The density the create-envelope dialog starts from.
  void setDefaultDensity(double density) { defaultDensity_ = density; }

  // Carries out a command; false when it was refused, cancelled or not enabled.
  bool run(EditCommand command);
  bool isEnabled(EditCommand command) const;
  // Add Point and Move point show a check mark while pending.
  bool isChecked(EditCommand command) const;
  // A digitized point.
  void addPoint(const DPoint3D& point);

  bool envelopeCreate() const { return envelopeCreate_; }
  bool figureCreate() const { return figureCreate_; }
  bool envelopeModify() const { return envelopeModify_; }
  bool figureModify() const { return figureModify_; }
  bool digitizing() const { return digitizing_; }
  bool anyFlag() const { return envelopeCreate_ || figureCreate_ || envelopeModify_ || figureModify_ || digitizing_; }
  const std::vector<DPoint3D>& points() const { return points_; }
  int currentVertex() const { return current_; }
  int pending() const { return pending_; }
  int selectionMode() const { return selectionMode_; }
  const std::string& prompt() const { return prompt_; }
  bool digitizeBarShown() const { return digitizeBar_; }
  bool modifyBarShown() const { return modifyBar_; }
  // The item being modified: envelope and contour, or figure; -1 for none.
  int envelope() const { return envelope_; }
  int contour() const { return contour_; }
  int figure() const { return figure_; }

 private:
  bool startCreate(bool envelope);
  bool startModify(bool envelope);
  bool modifyComposite();
  bool load(const std::vector<DPoint3D>& outline, int vertex);
  bool accept();
  void cancel();
  void closeEdit();
  void next(int step);
  void erase();
  bool retag();
  bool deleteContour();
  bool targetArea();
  bool selectAnchor();
  void undo();
  bool isClosed() const;
  void hideItem(bool hide);
  void draw();

  EditProject project_;
  UiPort& port_;
  Pick pick_;
  gfx::SceneTree* scene_ = nullptr;
  HoopsModel* model_ = nullptr;
  EditView view_;
  std::function<void()> changed_;
  double defaultDensity_ = 2.0;

  bool envelopeCreate_ = false;
  bool figureCreate_ = false;
  bool envelopeModify_ = false;
  bool figureModify_ = false;
  bool digitizing_ = false;
  bool digitizeBar_ = false;
  bool modifyBar_ = false;
  std::vector<DPoint3D> points_;
  int current_ = 0;
  int pending_ = kNone;
  int selectionMode_ = 0;
  std::string prompt_;
  int envelope_ = -1;
  int contour_ = -1;
  int figure_ = -1;
  gfx::Key hidden_ = gfx::kNoKey;
};

}  // namespace qx
