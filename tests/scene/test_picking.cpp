// Picking at a click and the digitized point: the double-click and modal
// picks, the snap modes, the two-click constructions, and the scene tree's
// pick staying right across changes made between two picks.
#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "scene/digitizer.h"
#include "scene/envelopes_drawing.h"
#include "scene/picking.h"
#include "scene/polygons_drawing.h"
#include "scene_objects.h"

using namespace qx;
using gfx::Key;

namespace {

// A plan view of 100 x 100 around the origin: one window unit is 50 world units.
struct Scene : test::SceneObjects {
  Digitizer digitizer{{tree, builder, model, polygons, figures, envelopes, grid}};

  Scene() {
    builder.buildScene();
    sections.current.fieldWidth = sections.current.fieldHeight = 100.0f;
    builder.setViewFromSection();
    // An exact plan camera, so that equal distances come out equal.
    tree.openSegment(kPictureSegment);
    tree.setCamera({{0, 0, 500}, {0, 0, 0}, {0, 1, 0}, 100, 100, gfx::Projection::Orthographic});
    tree.closeSegment();
  }
  static DPoint2D at(double x, double y) { return {x / 50.0, y / 50.0}; }
  Key marker(double x, double y, Key userKey) {
    tree.openSegment("?Model/Composites/Bin0");
    const Key k = tree.insertMarker({x, y, 0.0});
    tree.renumberKey(k, userKey);
    tree.closeSegment();
    return k;
  }
  void polygon(std::vector<DPoint3D> outline, bool draw) {
    CPolygon p;
    p.compositeIndex = polygons.count();
    p.outline = std::move(outline);
    polygons.polygons.push_back(p);
    if (draw) drawPolygon(tree, polygons, polygons.count() - 1, model);
  }
};

void expectPoint(const std::optional<DPoint3D>& got, double x, double y) {
  ASSERT_TRUE(got.has_value());
  EXPECT_NEAR(got->x, x, 1e-6);
  EXPECT_NEAR(got->y, y, 1e-6);
  EXPECT_NEAR(got->z, 0.0, 1e-6);  // on the view plane
}

const std::vector<DPoint3D> kSquare{{15, 15, 0}, {35, 15, 0}, {35, 35, 0}, {15, 35, 0}};

}  // namespace

TEST(Picking, DoubleClickLooksWithinTwoTenthsAndSwitchesTheProximityOffAfterwards) {
  struct Case {
    std::vector<double> markerY;  // world; 50 is one window unit; keys 7, 8, ...
    std::optional<Key> key;
  };
  const Case cases[] = {{{7.5}, 7}, {{12.5}, std::nullopt}, {{7.5, -5.0}, 8}};
  for (const Case& c : cases) {
    Scene s;
    s.builder.setSelectionMode(0);
    for (std::size_t i = 0; i < c.markerY.size(); ++i) s.marker(0.0, c.markerY[i], 7 + static_cast<Key>(i));
    EXPECT_EQ(pickForInformation(s.tree, 0, {0.0, 0.0}), c.key) << c.markerY[0];
    EXPECT_EQ(s.tree.computeSelection(kPictureSegment, {0.0, 0.0}), 0);
  }
}

TEST(Picking, ModalPickTakesTheRequestedModeAndPutsThePreviousOneBack) {
  Scene s;
  s.polygon(kSquare, true);
  s.builder.setSelectionMode(0);
  const auto hit = pickItem(s.tree, s.builder, s.model, 4, Scene::at(20, 20));
  ASSERT_TRUE(hit.has_value());
  EXPECT_EQ(hit->key, 0);
  EXPECT_NEAR(hit->position.x, 20.0, 1e-6);
  EXPECT_FALSE(pickItem(s.tree, s.builder, s.model, 4, Scene::at(40, 40)).has_value());
  EXPECT_EQ(s.model.selectionMode, 0);
  EXPECT_EQ(pickItem(s.tree, s.builder, s.model, 0, Scene::at(20, 20)), std::nullopt);
}

TEST(Digitizer, SnapModesTurnAClickIntoTheirPoint) {
  struct Case {
    int mode;
    DPoint2D click;  // world
    DPoint2D want;
  };
  const Case cases[] = {
      {kSnapNone, {14.9, 25.1}, {14.9, 25.1}},
      {kSnapGrid, {14.9, 25.1}, {10, 30}},    // nearest intersection of the 10 x 10 grid
      {kSnapPolygon, {32, 31}, {35, 35}},     // nearest vertex of the polygon hit
      {kSnapPolygon, {25, 25}, {15, 15}},     // equally near: the first vertex
      {kSnapPolygon, {40, 40}, {40, 40}},     // nothing hit
      {kSnapFigure, {28, 27}, {28, 27}},      // no figures
      {kSnapEnvelope, {28, 27}, {28, 27}},    // no envelopes
      {kSnapCoordinate, {28, 27}, {-4, 5}},   // the typed point
      {kSnapSide, {-30, -49}, {-40, -49}},    // the bottom side's extension does not count
      {kSnapSide, {-46, -44}, {-45, -45}},    // the closing side counts
      {kSnapSide, {62.5, 62.5}, {62.5, 55}},  // equally near: the first side
      {kSnapSide, {-30, 100}, {-30, 100}},    // no foot on any side
  };
  for (const Case& c : cases) {
    Scene s;
    s.grid.spacing = {10.0f, 10.0f, 10.0f};
    s.polygon(kSquare, true);
    s.polygon({{-50, -50, 0}, {-40, -50, 0}, {-40, -40, 0}}, false);
    s.polygon({{55, 55, 0}, {70, 55, 0}, {70, 70, 0}, {55, 70, 0}}, false);
    s.builder.setSelectionMode(1);
    if (c.mode == kSnapCoordinate) {
      s.digitizer.snapToCoordinate(-4, 5);
    } else {
      s.digitizer.toggleSnap(c.mode);
    }
    expectPoint(s.digitizer.click(Scene::at(c.click.x, c.click.y)), c.want.x, c.want.y);
    EXPECT_EQ(s.model.selectionMode, 1) << c.mode;
  }
}

TEST(Digitizer, VertexSnapStepsOverTheContourBeingEdited) {
  for (const auto& [edited, wantX] : {std::pair<std::optional<Key>, double>{std::nullopt, 15}, {0, 5}}) {
    Scene s;
    Envelope e;
    e.contours = {kSquare, {{5, 15, 0}, {45, 15, 0}, {45, 45, 0}, {5, 45, 0}}};  // both through (20, 15)
    s.envelopes.envelopes.push_back(e);
    std::vector<Key> keys;
    drawEnvelopes(s.tree, s.envelopes, keys);
    s.digitizer.toggleSnap(kSnapEnvelope);
    s.digitizer.editedContour = edited;
    expectPoint(s.digitizer.click(Scene::at(20, 15)), wantX, 15);
  }
}

TEST(Digitizer, ConstructionsTakeTwoClicksAndCommandsSwitchTheirModes) {
  Scene s;
  s.digitizer.toggleMiddle();
  EXPECT_EQ(s.digitizer.click(Scene::at(0, 0)), std::nullopt);
  EXPECT_EQ(s.digitizer.prompt(), "Select second point");
  expectPoint(s.digitizer.click(Scene::at(20, 10)), 10, 5);
  EXPECT_EQ(s.digitizer.prompt(), "Select first point");

  s.digitizer.toggleDistance();
  EXPECT_FALSE(s.digitizer.middleOn());
  EXPECT_TRUE(s.digitizer.setSnapDistance("5m"));
  EXPECT_FALSE(s.digitizer.setSnapDistance("m5"));
  EXPECT_EQ(s.digitizer.click(Scene::at(10, 10)), std::nullopt);
  expectPoint(s.digitizer.click(Scene::at(40, 50)), 13, 14);
  EXPECT_EQ(s.digitizer.prompt(), "Select base point");
  s.digitizer.click(Scene::at(10, 10));
  expectPoint(s.digitizer.click(Scene::at(10, 10)), 10, 10);  // on the base: the base
  s.digitizer.toggleDistance();
  EXPECT_EQ(s.digitizer.prompt(), "");

  s.digitizer.toggleMiddle();
  s.digitizer.toggleSnap(kSnapGrid);
  s.digitizer.toggleSnap(kSnapSide);
  EXPECT_EQ(s.digitizer.snapMode(), kSnapSide);
  s.digitizer.toggleSnap(kSnapSide);
  EXPECT_EQ(s.digitizer.snapMode(), kSnapNone);
  s.digitizer.snapToCoordinate(1, 2);
  EXPECT_EQ(s.digitizer.snapMode(), kSnapCoordinate);
  EXPECT_FALSE(s.digitizer.middleOn() || s.digitizer.distanceOn());
}

// The tree keeps what a pick reads between picks: every kind of change made
// in between must show in the next pick.
TEST(Picking, ChangesBetweenTwoPicksShowInTheSecond) {
  const std::pair<std::string_view, int> cases[] = {{"hide", 0},   {"unselectable", 0}, {"flush", 0},
                                                    {"insert", 2}, {"ink", 2},          {"edit", 2}};
  for (const auto& [change, hits] : cases) {
    Scene s;
    s.builder.setSelectionMode(0);
    s.marker(0, 0, 1);
    s.tree.openSegment("?Model/Composites/Bin0");
    const Key ink = s.tree.addInk({20, 20, 0});
    s.tree.closeSegment();
    ASSERT_EQ(s.tree.computeSelection(kPictureSegment, {0, 0}), 1);
    s.tree.openSegment("?Model/Composites/Bin0");
    if (change == "hide") s.tree.setVisibility("markers=off");
    if (change == "unselectable") s.tree.setSelectability("markers=off");
    if (change == "flush") s.tree.flushContents(".", "markers");
    if (change == "insert") s.marker(0, 0, 2);
    if (change == "ink") s.tree.addInk({-20, -20, 0});
    if (change == "edit") s.tree.editPolyline(ink, 1, 0, std::vector<DPoint3D>{{-20, -20, 0}});
    s.tree.closeSegment();
    EXPECT_EQ(s.tree.computeSelection(kPictureSegment, {0, 0}), hits) << change;
  }
}
