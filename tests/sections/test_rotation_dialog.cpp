#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "scripted_port.h"
#include "sections/rotation_dialog.h"

using namespace qx;
using qx::test::ScriptedPort;

TEST(RotationDialog, StartsFromTheRotation) {
  CParamsRotation r;
  r.setAngles(10, -20, 30);
  r.setCentre({1, 2, 3});
  r.setInverse(1);
  CDialogRotationParams d(r);
  EXPECT_EQ(d.title(), "Rotation Parameters");
  EXPECT_EQ(std::tuple(d.theta, d.phi, d.psi, d.centre, d.inverse),
            std::tuple(10.0, -20.0, 30.0, DPoint3D{1, 2, 3}, true));
}

TEST(RotationDialog, AnglesLimitedOnOkCentreNot) {
  CParamsRotation r;
  ScriptedPort port;
  // Refused twice (psi just past the limit, then a NaN theta), then accepted at the limits.
  port.answerDialog([](DialogModel& m) {
    auto& d = dynamic_cast<CDialogRotationParams&>(m);
    d.theta = 360.0;
    d.phi = -360.0;
    d.psi = 360.0001;
    d.centre = {-1e12, 0.5, 7};
    d.inverse = true;
    return true;
  });
  port.answerDialog([](DialogModel& m) {
    auto& d = dynamic_cast<CDialogRotationParams&>(m);
    d.psi = 0;
    d.theta = std::numeric_limits<double>::quiet_NaN();
    return true;
  });
  port.answerDialog([](DialogModel& m) {
    dynamic_cast<CDialogRotationParams&>(m).theta = 360.0;
    return true;
  });
  CDialogRotationParams d(r);
  ASSERT_TRUE(port.runDialog(d));
  const std::string refused = "message warning ok -> ok: Please enter a value between -360 and 360.";
  const std::vector<std::string> log = {"dialog rotation_params: Rotation Parameters", refused, "dialog stays open",
                                        refused, "dialog stays open"};
  EXPECT_EQ(port.log(), log);
  CParamsRotation expected;
  expected.setAngles(360.0, -360.0, 0.0);
  expected.setCentre({-1e12, 0.5, 7});
  expected.setInverse(1);
  EXPECT_EQ(r, expected);

  // OK drops the prepared matrix so that the new angles are used.
  port.answerDialog([](DialogModel& m) {
    auto& d = dynamic_cast<CDialogRotationParams&>(m);
    d.theta = 180;
    d.phi = d.psi = 0;
    d.centre = {};
    d.inverse = false;
    return true;
  });
  DPoint3D out;
  r.rotate(1, 0, 0, out);
  CDialogRotationParams third(r);
  ASSERT_TRUE(port.runDialog(third));
  EXPECT_FALSE(r.isPrepared());
  r.rotate(1, 0, 0, out);
  EXPECT_NEAR(out.x, -1.0, 1e-12);
}
