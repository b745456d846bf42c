// Picking by point and by rectangle: order, proximity, visibility,
// selectability, cutting planes, related selections.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/scene_tree.h"

namespace qx::gfx {
namespace {

#define EXPECT_AT(p, a, b, c) EXPECT_LT(std::hypot((p).x - (a), (p).y - (b), (p).z - (c)), 1e-9)

// The tree the scene layer builds, reduced to what picking needs. Plan view
// from 100 above the origin, field 100 x 100 on a 500 x 500 window, so one
// world unit is 0.02 in "local window".
struct Scene {
  SceneTree t;
  explicit Scene(Projection projection = Projection::Orthographic) {
    t.defineAlias("?Picture", "?driver/msw/window1");
    t.defineAlias("?Model", "/model");
    t.openSegment("?Model");
    t.setSelectability("everything=off");
    t.setVisibility("cutting planes=on");
    t.setHeuristics("no related selection limit, hidden surfaces");
    t.closeSegment();
    t.openSegment("?Picture");
    t.setCameraPosition({0, 0, 100});
    t.setCameraField(100, 100);
    t.setCameraProjection(projection == Projection::Orthographic ? "Orthographic" : "Perspective");
    t.setDriverOptions("use window id = 1, no selection proximity, disable input");
    t.setSelectability("off");
    t.setWindowSize(500, 500);
    t.includeSegment("?Model");
    t.closeSegment();
    t.openSegment("?Model/Composites");
    t.setSelectability("everything=on");
    t.setVisibility("cutting planes=on, everything=on");
    t.closeSegment();
  }
  void marker(const std::string& seg, DPoint3D p, Key user) {
    t.openSegment(seg);
    t.renumberKey(t.insertMarker(p), user, KeyScope::Local);
    t.closeSegment();
  }
  // Runs `f` with the segment open.
  template <class F>
  void in(const std::string& seg, F f) {
    t.openSegment(seg);
    f(t);
    t.closeSegment();
  }
  void on(const std::string& seg, const char* selectability, const char* visibility = nullptr) {
    t.openSegment(seg);
    if (selectability) t.setSelectability(selectability);
    if (visibility) t.setVisibility(visibility);
    t.closeSegment();
  }
  // World x, y on the target plane to "local window".
  static DPoint2D at(double x, double y) { return {x / 50.0, y / 50.0}; }
  std::vector<Key> pickAt(double x, double y, std::optional<double> prox) {
    t.computeSelection("?Picture", at(x, y), prox);
    return users();
  }
  std::vector<Key> users() const {
    std::vector<Key> out;
    for (const Hit& h : t.selection()) out.push_back(h.userKey);
    return out;
  }
};

TEST(Selection, PointPickReturnsUserKeysNearestFirst) {
  Scene s;
  s.marker("?Model/Composites/Bin0", {2, 0, 0}, 1);
  s.marker("?Model/Composites/Bin0", {0, 0, 0}, 0);
  s.marker("?Model/Composites/Bin4", {5, 0, 0}, 2);
  s.marker("?Model/Composites/Bin0", {40, 40, 0}, 3);
  EXPECT_EQ(s.t.computeSelection("?Picture", Scene::at(1.5, 0), 0.1), 3);
  EXPECT_EQ(s.users(), (std::vector<Key>{1, 0, 2}));
  EXPECT_EQ(s.t.selection()[0].segmentPath, "/model/Composites/Bin0");
  EXPECT_NEAR(s.t.selection()[2].distance, 0.07, 1e-12);

  // Stepping through the related selections stops at the last.
  EXPECT_TRUE(s.t.findNextSelection() && s.t.findNextSelection());
  EXPECT_FALSE(s.t.findNextSelection());
  EXPECT_EQ(s.t.showSelection()->userKey, 2);

  EXPECT_EQ(s.pickAt(-30, -30, 0.05), (std::vector<Key>{}));
  EXPECT_EQ(s.t.showSelection(), nullptr);

  // At equal distance the item nearest the viewer wins.
  s.marker("?Model/Composites/Bin0", {10, 10, -20}, 6);
  s.marker("?Model/Composites/Bin1", {10, 10, 20}, 5);
  s.marker("?Model/Composites/Bin2", {10, 10, 0}, 7);
  EXPECT_EQ(s.pickAt(10, 10, 0.0), (std::vector<Key>{5, 7, 6}));
  EXPECT_NEAR(s.t.selection()[0].windowPosition.z, -0.2, 1e-12);
}

TEST(Selection, ProximityAndLimitComeFromThePictureOptions) {
  Scene s;
  s.marker("?Model/Composites/Bin0", {9, 0, 0}, 1);                // 0.18 from the origin
  s.marker("?Model/Composites/Bin0", {0, 11, 0}, 2);               // 0.22
  s.marker("?Model/Composites/Bin0", {0, 0, 0}, 3);                // exact
  s.marker("?Model/Composites/Bin0", {0.5, 0, 0}, 4);              // 0.01
  EXPECT_EQ(s.pickAt(0, 0, std::nullopt), (std::vector<Key>{3}));  // "no selection proximity"
  s.in("?Picture", [](SceneTree& t) { t.setDriverOptions("selection proximity = 0.2"); });
  EXPECT_EQ(s.pickAt(0, 0, std::nullopt), (std::vector<Key>{3, 4, 1}));
  s.in("?Picture", [](SceneTree& t) { t.setHeuristics("related selection limit = 1"); });  // the best and one
  EXPECT_EQ(s.pickAt(0, 0, std::nullopt), (std::vector<Key>{3, 4}));
  s.in("?Model/Composites", [](SceneTree& t) { t.setHeuristics("related selection limit = 0"); });
  EXPECT_EQ(s.pickAt(0, 0, 1.0).size(), 2u);  // a limit below the picture does not count
}

TEST(Selection, HonoursVisibilitySelectabilityAndTheIncludeTree) {
  Scene s;
  s.marker("?Model/Composites/Bin0", {0, 0, 0}, 0);
  s.marker("?Model/Composites/Bin1", {0, 0, 0}, 1);
  s.marker("?Model/Composites/Bin2", {0, 0, 0}, 2);
  s.marker("?Model/Composites/Bin3", {0, 0, 0}, 3);
  s.marker("?Model/Envelopes", {0, 0, 0}, 4);  // the model's "everything=off"
  s.marker("/elsewhere", {0, 0, 0}, 5);        // not reached from the picture
  s.on("/elsewhere", "everything=on");
  s.on("?Model/Composites/Bin1", nullptr, "markers=off");
  s.on("?Model/Composites/Bin2", "markers=off");
  s.on("?Model/Composites/Bin3", "everything=!on", "markers=off");  // hidden but forced
  EXPECT_EQ(s.pickAt(0, 0, 0.0), (std::vector<Key>{0, 3}));
  // Lines visible does not make hidden markers pickable; "everything=off" then
  // "markers=on" on the same segment does.
  s.on("?Model/Composites/Bin1", nullptr, "lines=on");
  s.on("?Model/Envelopes", "everything=off, markers=on");
  EXPECT_EQ(s.pickAt(0, 0, 0.0), (std::vector<Key>{0, 3, 4}));
  s.in("?Picture", [](SceneTree& t) { t.includeSegment("?Model/Composites"); });  // reached twice, reported once
  EXPECT_EQ(s.pickAt(0, 0, 0.0), (std::vector<Key>{0, 3, 4}));
}

TEST(Selection, CuttingPlanesHideWhatTheyCutAway) {
  Scene s;
  s.t.openSegment("?Model/CuttingPlanes");
  s.t.setSelectability("everything=off");
  s.t.insertCuttingPlane(0, 0, 1, -5);  // away: z > 5
  s.t.closeSegment();
  s.marker("?Model/Composites/Bin0", {20, 0, 10}, 10);
  s.marker("?Model/Composites/Bin0", {20, 0, 0}, 11);
  s.marker("?Model/Composites/Bin0", {20, 0, 5}, 13);  // on the plane stays
  s.marker("?Model/IconXYZ", {20, 0, 12}, 12);
  s.on("?Model/IconXYZ", "everything=on", "cutting plane=off");  // exempt from cutting
  EXPECT_EQ(s.pickAt(20, 0, 0.0), (std::vector<Key>{12, 13, 11}));
  // Turning the planes' own visibility off takes them out of play.
  s.on("?Model/CuttingPlanes", nullptr, "cutting planes=off");
  EXPECT_EQ(s.pickAt(20, 0, 0.0), (std::vector<Key>{12, 10, 13, 11}));
}

TEST(Selection, LinesArePickedOnlyWhereTheySurviveTheCut) {
  Scene s;
  s.in("?Model/CuttingPlanes", [](SceneTree& t) { t.insertCuttingPlane(0, 0, 1, -5); });
  s.t.openSegment("?Model/Envelopes/Envelope1");
  s.t.setSelectability("everything=on");
  s.t.startInk();
  s.t.addInk({-10, 20, 10});
  const Key contour = s.t.addInk({10, 20, 0});  // z = 5 at x = 0
  s.t.renumberKey(contour, 1 * 1000 + 2);
  s.t.closeSegment();
  // Near the cut part the nearest surviving point is the end at the plane, 5.1 units away.
  EXPECT_EQ(s.pickAt(-5, 21, 0.1), (std::vector<Key>{}));
  ASSERT_EQ(s.pickAt(-5, 21, 0.11), (std::vector<Key>{1002}));
  EXPECT_AT(s.t.selection()[0].worldPosition, 0, 20, 5);
  EXPECT_NEAR(s.t.selection()[0].distance, std::sqrt(26.0) / 50.0, 1e-12);
}

TEST(Selection, ShellFacesAndEdges) {
  Scene s;
  s.t.openSegment("?Model/Figures/Figure0");
  s.t.setSelectability("everything=on");
  const DPoint3D flat[] = {{10, -40, 0}, {20, -40, 0}, {20, -30, 0}, {10, -30, 0}};
  const DPoint3D tilted[] = {{30, -40, 30}, {40, -40, 40}, {40, -30, 40}, {30, -30, 30}};  // plane z = x
  const int quad[] = {4, 0, 1, 2, 3};
  s.t.renumberKey(s.t.insertShell(flat, quad), 0);
  s.t.renumberKey(s.t.insertShell(tilted, quad), 1);
  s.t.closeSegment();

  ASSERT_EQ(s.pickAt(36, -34, 0.0), (std::vector<Key>{1}));
  EXPECT_AT(s.t.selection()[0].worldPosition, 36, -34, 36);  // on the tilted face, not the target plane

  // "Lines only": faces off, edges on. The middle no longer picks; an edge does.
  s.on("?Model/Figures/Figure0", nullptr, "faces=off");
  EXPECT_EQ(s.pickAt(15, -35, 0.01), (std::vector<Key>{}));
  ASSERT_EQ(s.pickAt(10.2, -35, 0.01), (std::vector<Key>{0}));
  EXPECT_AT(s.t.selection()[0].worldPosition, 10, -35, 0);

  // Faces cut by a plane keep only their surviving part.
  s.on("?Model/Figures/Figure0", nullptr, "faces=on");
  s.in("?Model/CuttingPlanes", [](SceneTree& t) { t.insertCuttingPlane(1, 0, 0, -35); });  // away: x > 35
  EXPECT_EQ(s.pickAt(37, -35, 0.0), (std::vector<Key>{}));
  EXPECT_EQ(s.pickAt(33, -35, 0.0), (std::vector<Key>{1}));
}

TEST(Selection, AreaTakesEverythingInsideNearestTheViewerFirst) {
  Scene s;
  s.marker("?Model/Composites/Bin0", {0, 0, -10}, 0);
  s.marker("?Model/Composites/Bin0", {10, 0, 10}, 1);
  s.marker("?Model/Composites/Bin0", {20, 0, 0}, 2);                                // outside on the right
  s.marker("?Model/Composites/Bin0", {10, 6, 0}, 3);                                // outside above
  EXPECT_EQ(s.t.computeSelectionByArea("?Picture", 0.3, -0.1, 0.1, -0.1, 0.0), 2);  // corners in any order
  EXPECT_EQ(s.users(), (std::vector<Key>{1, 0}));
  // Grown by the proximity, the rectangle reaches the marker 1 unit above it.
  EXPECT_EQ(s.t.computeSelectionByArea("?Picture", -0.1, 0.3, -0.1, 0.1, 0.021), 3);
  EXPECT_EQ(s.users(), (std::vector<Key>{1, 0, 3}));
}

TEST(Selection, PerspectivePicksAlongTheRay) {
  Scene s(Projection::Perspective);
  s.marker("?Model/Composites/Bin0", {10, 0, -100}, 1);  // twice as far: local x 0.1
  s.marker("?Model/Composites/Bin0", {10, 0, 0}, 2);     // local x 0.2
  s.marker("?Model/Composites/Bin0", {0, 0, 150}, 3);    // behind the eye
  EXPECT_EQ(s.t.computeSelection("?Picture", {0.1, 0}, 0.001), 1);

  // A line going into the depth: the window's midpoint is not the line's midpoint.
  s.t.openSegment("?Model/Composites/Bin1");
  const Key line = s.t.insertLine({-10, 0, 0}, {10, 0, -100});  // local x -0.2 .. 0.1
  s.t.closeSegment();
  ASSERT_EQ(s.t.computeSelection("?Picture", {0, 0.3}, 0.3), 1);
  EXPECT_EQ(s.t.selection()[0].itemKey, line);
  EXPECT_AT(s.t.selection()[0].worldPosition, 0, 0, -50);

  // Nothing to pick from: no point, or the eye on the target.
  EXPECT_EQ(s.t.computeSelection("?Picture", {NAN, 0}, 1.0), 0);
  s.in("?Picture", [](SceneTree& t) { t.setCameraTarget({0, 0, 100}); });
  EXPECT_EQ(s.t.computeSelection("?Picture", {0, 0}, 1.0), 0);
}

}  // namespace
}  // namespace qx::gfx
