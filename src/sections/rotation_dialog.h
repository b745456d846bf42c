#pragma once
// The "Rotation Parameters" dialog: edits a CParamsRotation. The export and
// import commands open it to fill their rotation.
//
// Group "Rotation Angles": "Theta (around Z)", "Phi (around rotated Y)",
// "Psi (around rotated X)", doubles in degrees limited to -360..360. Group
// "Centre of Rotation": "X Coordinate", "Y Coordinate", "Z Coordinate",
// doubles without limits. The check box "Inverse Rotation".
//
// The model holds a working copy; OK checks the three angles in that order
// (the first one out of range shows "Please enter a value between -360 and
// 360." and keeps the dialog open) and then writes the copy into the
// rotation it was given. Cancel leaves that rotation as it was.
#include <array>
#include <string>
#include <string_view>

#include "common/types.h"
#include "port/dialog_model.h"
#include "sections/rotation.h"

namespace qx {

class CDialogRotationParams : public DialogModel {
 public:
  static constexpr std::string_view kKind = "rotation_params";
  static constexpr double kMinAngle = -360.0;
  static constexpr double kMaxAngle = 360.0;

  static constexpr std::string_view kAnglesGroup = "Rotation Angles";
  static constexpr std::string_view kCentreGroup = "Centre of Rotation";
  static constexpr std::array<std::string_view, 3> kAngleLabels = {"Theta (around Z)", "Phi (around rotated Y)",
                                                                   "Psi (around rotated X)"};
  static constexpr std::array<std::string_view, 3> kCentreLabels = {"X Coordinate", "Y Coordinate", "Z Coordinate"};
  static constexpr std::string_view kInverseLabel = "Inverse Rotation";

  // The working copy starts from `target`; OK writes it back there.
  explicit CDialogRotationParams(CParamsRotation& target);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Rotation Parameters"; }

  // The edits, as the dialog shows them. Values are taken as typed; the angle
  // limits are checked on OK.
  double theta = 0.0;
  double phi = 0.0;
  double psi = 0.0;
  DPoint3D centre;
  bool inverse = false;

  // The message shown for an angle out of range.
  static std::string rangeMessage();

  // Checks theta, phi and psi in that order; on success stores the angles, the
  // centre and the inverse flag into the target (each setter drops its
  // prepared matrix).
  bool onOk(UiPort& port) override;

 private:
  CParamsRotation* target_;
};

}  // namespace qx
