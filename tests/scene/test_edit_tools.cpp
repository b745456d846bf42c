// The editing tools: plan-view refusals, walking and erasing the vertices of
// a closed line, Cancel, retagging and deleting contours, and the target area
// against the stepping search it replaces.
#include <gtest/gtest.h>

#include <cmath>

#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "io/archive.h"
#include "project/quarlex_settings.h"
#include "scene/edit_tools.h"
#include "scene/scene_builder.h"
#include "scene/scene_model.h"
#include "support/scripted_port.h"

using namespace qx;
using C = EditCommand;

namespace {

template <typename T>
std::vector<std::uint8_t> bytesOf(T& set) {
  ArchiveWriter w;
  Archive ar(w);
  set.serialize(ar);
  return w.take();
}

struct Fixture {
  EnvelopeSet envelopes;
  FigureSet figures;
  CompositeSet composites;
  CPolygonSet polygons;
  QuarlexSettings settings;
  test::ScriptedPort port;
  std::optional<gfx::Key> picked;
  int changes = 0;
  EditTools tools{EditProject{envelopes, figures, composites, polygons, settings}, port,
                  [this](int) { return picked; }};
  Fixture() {
    Figure f;
    f.name = "F";
    f.outline = {{0, 0, 10}, {4, 0, 10}, {4, 4, 10}, {0, 4, 10}};
    f.pointCount = 4;
    figures.figures = {f};
    Envelope a, b;
    a.name = "a";
    a.contours = {{{0, 0, 10}, {1, 0, 10}, {1, 1, 10}}, {{5, 5, 10}, {6, 5, 10}, {6, 6, 10}}};
    b.name = "b";
    b.contours = {{{9, 9, 10}, {8, 9, 10}, {8, 8, 10}}};
    envelopes.envelopes = {a, b};
    tools.setView(EditView{-90.0, {0, 0, 10}, {0, 0, 30}});
    tools.setChangedCallback([this] { ++changes; });
  }
  // Modify figure `key`, or contour `key` of an envelope, answering Yes.
  bool modify(C tool, gfx::Key key) {
    picked = key;
    port.answerMessage(MessageAnswer::Yes);
    return tools.run(tool);
  }
};

// The stepping search: 0.05 at a time outward (inward) until the area reaches the target.
DPoint3D steppedVertex(std::vector<DPoint3D> p, int i, double target) {
  const int n = static_cast<int>(p.size()) - 1;
  const DPoint3D prev = p[std::size_t((i + n - 1) % n)], next = p[std::size_t((i + 1) % n)];
  const double ex = next.x - prev.x, ey = next.y - prev.y, len = std::hypot(ex, ey);
  double signedArea = 0;
  for (int k = 0; k < n; ++k)
    signedArea += p[std::size_t(k)].x * p[std::size_t(k + 1)].y - p[std::size_t(k + 1)].x * p[std::size_t(k)].y;
  const double grow = closedLineArea(p) < target ? 1.0 : -1.0, side = signedArea > 0 ? 1.0 : -1.0;
  for (int steps = 0; steps < 1000000; ++steps) {
    const double a = closedLineArea(p);
    if (grow > 0 ? a >= target : a <= target) break;
    p[std::size_t(i)].x += grow * side * 0.05 * ey / len;
    p[std::size_t(i)].y -= grow * side * 0.05 * ex / len;
    if (i == 0) p.back() = p.front();
  }
  return p[std::size_t(i)];
}

}  // namespace

TEST(EditTools, ToolsOffThePlanViewOrOffThePlaneAreRefusedWithEveryFlagOff) {
  const std::tuple<C, double, double, std::string_view> cases[] = {
      {C::CreateEnvelope, 0.0, 10, kCannotCreateEnvelopes}, {C::CreateFigure, 45.0, 10, kCannotCreateFigures},
      {C::ModifyEnvelope, 0.0, 10, kCannotModifyEnvelopes}, {C::ModifyFigure, -89.0, 10, kCannotModifyFigures},
      {C::ModifyFigure, 90.0, 10.02, kNotOnSectionPlane},
  };
  for (const auto& [tool, dip, targetZ, text] : cases) {
    Fixture fx;
    fx.tools.setView(EditView{dip, {0, 0, targetZ}, {0, 0, 30}});
    if (text == kNotOnSectionPlane) fx.port.answerMessage(MessageAnswer::Yes);
    fx.picked = 0;
    EXPECT_FALSE(fx.tools.run(tool));
    EXPECT_EQ(fx.port.messages().back(), text);
    EXPECT_FALSE(fx.tools.anyFlag());
    EXPECT_TRUE(fx.tools.points().empty());
  }
}

TEST(EditTools, NextAndPreviousSkipTheClosingPointAndEqualNeighbours) {
  Fixture fx;
  fx.figures.figures[0].outline = {{0, 0, 10}, {4, 0, 10}, {4, 0, 10}, {4, 4, 10}, {0, 4, 10}};
  ASSERT_TRUE(fx.modify(C::ModifyFigure, 0));
  EXPECT_EQ(fx.port.messages().back(), "Modify figure F?");
  // Vertices 0..4, 5 repeats 0; 2 equals 1.
  const std::pair<C, int> walk[] = {{C::NextPoint, 1},     {C::NextPoint, 3},     {C::NextPoint, 4},
                                    {C::NextPoint, 1},     {C::PreviousPoint, 0}, {C::PreviousPoint, 4},
                                    {C::PreviousPoint, 3}, {C::PreviousPoint, 2}, {C::PreviousPoint, 0}};
  for (const auto& [command, vertex] : walk) {
    fx.tools.run(command);
    EXPECT_EQ(fx.tools.currentVertex(), vertex);
  }
}

TEST(EditTools, EraseKeepsTheLineClosedDownToOnePointAndCancelRestoresEverything) {
  Fixture fx;
  const auto before = bytesOf(fx.figures);
  ASSERT_TRUE(fx.modify(C::ModifyFigure, 0));
  // Move vertex 2, insert after it, then erase vertex 0 down to one point.
  fx.tools.run(C::NextPoint);
  fx.tools.run(C::NextPoint);
  fx.tools.run(C::MovePoint);
  fx.tools.addPoint({5, 5, 10});
  EXPECT_EQ(fx.tools.pending(), EditTools::kNone);
  fx.tools.run(C::AddPoint);
  fx.tools.addPoint({2, 6, 10});
  EXPECT_EQ(fx.tools.points().size(), 6u);
  fx.tools.run(C::PreviousPoint);
  fx.tools.run(C::PreviousPoint);
  fx.tools.run(C::PreviousPoint);
  ASSERT_EQ(fx.tools.currentVertex(), 0);
  const std::vector<std::vector<DPoint3D>> erased = {
      {{4, 0, 10}, {5, 5, 10}, {2, 6, 10}, {0, 4, 10}, {4, 0, 10}},
      {{5, 5, 10}, {2, 6, 10}, {0, 4, 10}, {5, 5, 10}},
      {{2, 6, 10}, {0, 4, 10}, {2, 6, 10}},
      {{0, 4, 10}, {0, 4, 10}},
      {{0, 4, 10}},
      {{0, 4, 10}},
  };
  for (const auto& points : erased) {
    fx.tools.run(C::Erase);
    EXPECT_EQ(fx.tools.points(), points);
  }
  fx.tools.run(C::Cancel);
  EXPECT_EQ(bytesOf(fx.figures), before);
  EXPECT_FALSE(fx.tools.anyFlag());
  EXPECT_EQ(fx.changes, 0);
}

TEST(EditTools, CancelAfterPointsLeavesEveryDatasetAsItWasForEachTool) {
  const std::pair<C, std::optional<gfx::Key>> tools[] = {
      {C::CreateEnvelope, std::nullopt}, {C::CreateFigure, std::nullopt}, {C::ModifyEnvelope, 1}, {C::ModifyFigure, 0}};
  for (const auto& [tool, key] : tools) {
    Fixture fx;
    const auto envelopes = bytesOf(fx.envelopes), figures = bytesOf(fx.figures), composites = bytesOf(fx.composites);
    ASSERT_TRUE(key ? fx.modify(tool, *key) : fx.tools.run(tool));
    if (key) fx.tools.run(C::MovePoint);
    for (const DPoint3D p : {DPoint3D{7, 1, 10}, DPoint3D{8, 3, 10}, DPoint3D{6, 4, 10}}) fx.tools.addPoint(p);
    fx.tools.run(C::Cancel);
    EXPECT_EQ(bytesOf(fx.envelopes), envelopes);
    EXPECT_EQ(bytesOf(fx.figures), figures);
    EXPECT_EQ(bytesOf(fx.composites), composites);
    EXPECT_FALSE(fx.tools.anyFlag());
    EXPECT_EQ(fx.changes, 0);
  }
}

TEST(EditTools, TheLineIsDrawnRedWithItsVertexMarkedAndTheItemHiddenUntilCancel) {
  Fixture fx;
  gfx::SceneTree tree;
  tree.defineAlias("?Model", "/model");
  HoopsModel model;
  model.figureKeys = {tree.createSegment("?Model/Figures/F")};
  fx.tools.setScene(&tree, &model);
  const auto shown = [&] { return tree.resolvedAttributes(model.figureKeys[0])->isVisible(gfx::Kind::Lines); };
  ASSERT_TRUE(fx.modify(C::ModifyFigure, 0));
  fx.tools.run(C::NextPoint);
  const gfx::Key line = tree.findSegment(kEditPolylineSegment);
  const auto& items = tree.segment(line)->items;
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(tree.showPolyline(items[0]), fx.tools.points());
  EXPECT_EQ(std::get<gfx::Marker>(tree.item(items[1])->geometry).at, fx.tools.points()[1]);
  EXPECT_EQ(tree.resolvedAttributes(line)->colorOf(gfx::ColorClass::Lines), (gfx::Rgb{1.0, 0.0, 0.0}));
  EXPECT_FALSE(shown());
  fx.tools.run(C::Cancel);
  EXPECT_TRUE(tree.segment(line)->items.empty());
  EXPECT_TRUE(shown());
}

TEST(EditTools, RetagMovesTheContourAndDropsAnEmptiedEnvelopeAndDeleteAnsweredNoKeepsIt) {
  Fixture fx;
  const Contour bContour = fx.envelopes.envelopes[1].contours[0];
  ASSERT_TRUE(fx.modify(C::ModifyEnvelope, 1000));
  EXPECT_EQ(fx.port.messages().back(), "Modify envelope b?");
  fx.port.answerMessage(MessageAnswer::No);
  const auto before = bytesOf(fx.envelopes);
  EXPECT_FALSE(fx.tools.run(C::DeleteContour));
  EXPECT_EQ(bytesOf(fx.envelopes), before);
  fx.port.answerDialog([](DialogModel& m) { return dynamic_cast<CRetagContourDialog&>(m).select("a"); });
  ASSERT_TRUE(fx.tools.run(C::RetagContour));
  ASSERT_EQ(fx.envelopes.count(), 1);
  EXPECT_EQ(fx.envelopes.envelopes[0].contours.size(), 3u);
  EXPECT_EQ(fx.envelopes.envelopes[0].contourCount, 3);
  EXPECT_EQ(fx.envelopes.envelopes[0].contours.back(), bContour);
  // Deleting contour 1 of "a" on Yes.
  ASSERT_TRUE(fx.modify(C::ModifyEnvelope, 1));
  fx.port.answerMessage(MessageAnswer::Yes);
  ASSERT_TRUE(fx.tools.run(C::DeleteContour));
  EXPECT_EQ(fx.envelopes.envelopes[0].contours.size(), 2u);
  EXPECT_EQ(fx.envelopes.envelopes[0].contours.back(), bContour);
  EXPECT_EQ(fx.changes, 2);
}

TEST(EditTools, TargetAreaInOneStepAgreesWithTheSteppingSearchAndRefusesWhatItCannotReach) {
  const std::vector<DPoint3D> square = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}, {0, 0, 0}};
  const std::vector<DPoint3D> clockwise(square.rbegin(), square.rend());
  // A notch: vertex 2 sits at the bottom of a V.
  const std::vector<DPoint3D> notch = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {5, 2, 0}, {0, 10, 0}, {0, 0, 0}};
  const std::tuple<const std::vector<DPoint3D>*, int, double> reached[] = {
      {&square, 1, 23.37}, {&square, 0, 9.5}, {&clockwise, 2, 30.0}, {&notch, 3, 70.0}, {&notch, 3, 55.0}};
  for (const auto& [points, vertex, target] : reached) {
    const auto v = vertexForTargetArea(*points, vertex, target);
    ASSERT_TRUE(v) << target;
    const DPoint3D oracle = steppedVertex(*points, vertex, target);
    EXPECT_LE(std::hypot(v->x - oracle.x, v->y - oracle.y), 0.05) << target;
    auto moved = *points;
    moved[std::size_t(vertex)] = *v;
    if (vertex == 0) moved.back() = *v;
    EXPECT_NEAR(closedLineArea(moved), target, 1e-9);
  }
  const std::tuple<const std::vector<DPoint3D>*, int, double, std::string_view> refused[] = {
      {&square, 1, -3.0, kTargetAreaNotPositive},
      {&square, 1, 0.0, kTargetAreaNotPositive},
      {&notch, 3, 20.0, kTargetAreaCrossing},
      {&square, 1, 1e30, kTargetAreaOutOfReach}};
  for (const auto& [points, vertex, target, why] : refused) {
    std::string reason;
    EXPECT_FALSE(vertexForTargetArea(*points, vertex, target, &reason)) << target;
    EXPECT_EQ(reason, why) << target;
  }

  // The command shows the current area and moves the vertex with its closing twin.
  Fixture fx;
  ASSERT_TRUE(fx.modify(C::ModifyFigure, 0));
  std::string shown;
  fx.port.answerDialog([&](DialogModel& m) {
    auto& d = dynamic_cast<CTargetAreaDialog&>(m);
    shown = d.text;
    d.text = "24";
    return true;
  });
  ASSERT_TRUE(fx.tools.run(C::TargetArea));
  EXPECT_EQ(shown, "16.00");
  EXPECT_EQ(fx.tools.points().front(), fx.tools.points().back());
  EXPECT_NEAR(closedLineArea(fx.tools.points()), 24.0, 1e-9);
}
