#include "sections/rotation_dialog.h"

#include "port/ui_port.h"

namespace qx {

CDialogRotationParams::CDialogRotationParams(CParamsRotation& target)
    : theta(target.theta()),
      phi(target.phi()),
      psi(target.psi()),
      centre(target.centre()),
      inverse(target.inverse() != 0),
      target_(&target) {}

std::string CDialogRotationParams::rangeMessage() { return "Please enter a value between -360 and 360."; }

bool CDialogRotationParams::onOk(UiPort& port) {
  for (double angle : {theta, phi, psi}) {
    // Written so that a NaN is out of range as well.
    if (!(angle >= kMinAngle && angle <= kMaxAngle)) {
      port.message(rangeMessage(), MessageButtons::Ok, MessageIcon::Warning);
      return false;
    }
  }
  target_->setAngles(theta, phi, psi);
  target_->setCentre(centre);
  target_->setInverse(inverse ? 1 : 0);
  return true;
}

}  // namespace qx
