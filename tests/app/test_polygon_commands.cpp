// "Generate &Polygons" and "&Clear Polygons": notifications, the modified
// flag, the progress bar, the scene items, and the polygons in the project
// file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/document.h"
#include "graphics/scene_tree.h"
#include "recording_view.h"
#include "scene/polygons_drawing.h"
#include "scripted_port.h"
#include "test_files.h"

using namespace qx;
using qx::test::RecordingView;
using qx::test::ScriptedPort;

namespace {

struct Project {
  ScriptedPort port;
  ProjectObjects objects;
  CWQuarlexDoc doc{objects, port};
  RecordingView view;
  gfx::SceneTree scene;

  Project() {
    doc.setView(&view);
    scene.defineAlias("?Model", "/model");
    doc.setScene(&scene);
    QuarlexSettings& s = objects.settings;
    s.loaded = {VariableInfo("Au")};
    s.useFixedThickness = 1;
    s.fixedThickness = 3.0;
    s.sidesPerPolygon = 4;
    s.defaultPolygonSize = 10.0;
    objects.composites.setVariableCounts(1, 0);
    for (int i = 0; i < 3; ++i) {
      CComposite c;
      c.name = "DH" + std::to_string(i);
      c.position = {100.0 * i, 50.0, 7.0};
      c.values = {1.5};
      objects.composites.composites.push_back(c);
    }
  }
};

using test::readFile;

}  // namespace

TEST(GeneratePolygons, BuildsDrawsNotifiesAndMarksTheProjectModified) {
  Project p;
  EXPECT_EQ(p.doc.onGeneratePolygons().count, 3);
  EXPECT_TRUE(p.doc.isModified());
  EXPECT_EQ(p.view.events, (std::vector<std::string>{"dataset changed 4", "update"}));
  EXPECT_EQ(p.port.log().front(), "wait on");
  EXPECT_EQ(p.port.waitDepth(), 0) << "the wait cursor goes when the command ends";
  EXPECT_NE(std::ranges::find(p.port.log(), "progress text: 0 Bands Left To Process"), p.port.log().end());

  // One segment per polygon, named by its composite, holding one prism
  // whose pick key is the composite index.
  ASSERT_EQ(p.objects.polygons.count(), 3);
  for (int i = 0; i < 3; ++i) {
    const gfx::Segment* segment = p.scene.segment(p.scene.findSegment(polygonSegmentPath(i)));
    ASSERT_TRUE(segment && segment->items.size() == 1u) << i;
    const gfx::Item* shell = p.scene.item(segment->items[0]);
    EXPECT_EQ(shell->kind(), gfx::ItemKind::Shell);
    EXPECT_EQ(shell->pickKey(), static_cast<gfx::Key>(i));
    const auto& geometry = std::get<gfx::Shell>(shell->geometry);
    EXPECT_EQ(geometry.points.size(), 8u) << "the square and its copy";
    // The copy lies 3 (thickness x display factor 1) away from the outline.
    EXPECT_NEAR(std::abs(geometry.points[4].z - geometry.points[0].z), 3.0, 1e-9);
  }
}

TEST(ClearPolygons, EmptiesTheSetAndTheSceneButNotTheModifiedFlag) {
  Project p;
  p.doc.onGeneratePolygons();
  p.doc.setModifiedFlag(false);
  p.view.events.clear();
  p.doc.onClearPolygons();
  EXPECT_EQ(p.objects.polygons.count(), 0);
  EXPECT_FALSE(p.doc.isModified());
  EXPECT_EQ(p.view.events, (std::vector<std::string>{"dataset changed 4", "update"}));
  const gfx::Segment* first = p.scene.segment(p.scene.findSegment(polygonSegmentPath(0)));
  EXPECT_TRUE(!first || first->items.empty());
  p.doc.setModifiedFlag(true);
  p.doc.onClearPolygons();
  EXPECT_TRUE(p.doc.isModified()) << "clearing leaves the flag as it was";
}

TEST(PolygonPrism, HeightFallsBackToOneTenthAndPiecesGetTheirOwnFaces) {
  EXPECT_EQ(prismHeight(2.0, 0.0), 0.1);
  EXPECT_EQ(prismHeight(0.0000001, 1.0), 0.1) << "1e-7 is not above 0.0000001";
  EXPECT_EQ(prismHeight(0.0000002, 1.0), 0.0000002);

  EXPECT_TRUE(polygonPrism({{0, 0, 0}, {1, 0, 0}}, 1.0).faces.empty());

  // Two traced pieces, each closed by its first point: two prisms.
  const std::vector<DPoint3D> outline{{0, 0, 5}, {0, 1, 5}, {1, 1, 5}, {1, 0, 5}, {0, 0, 5},
                                      {3, 0, 5}, {3, 1, 5}, {4, 1, 5}, {4, 0, 5}, {3, 0, 5}};
  const PrismShell shell = polygonPrism(outline, 2.0);
  EXPECT_EQ(shell.points.size(), 16u);
  // Per piece: two faces of 4 and 4 sides of 4: 6 faces of 5 numbers.
  EXPECT_EQ(shell.faces.size(), 2u * 6u * 5u);
  // Clockwise seen from above: the normal points down, the copy goes up.
  EXPECT_EQ(shell.points[4].z, 7.0);
}

TEST(RecalculateFigures, WithoutPolygonsShowsTheMessageAndChangesNothing) {
  Project p;
  Figure f;
  f.name = "B1";
  f.outline = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}};
  p.objects.figures.figures.push_back(f);
  EXPECT_FALSE(p.doc.onRecalculateFigures());
  EXPECT_EQ(p.port.messages(),
            (std::vector<std::string>{"There are no polygons present, figures cannot be calculated"}));
  EXPECT_FALSE(p.doc.isModified());
}

TEST(RecalculateFigures, AfterGenerationAsksAndCalculatesWithoutMarkingModified) {
  Project p;
  p.doc.onGeneratePolygons();
  p.doc.setModifiedFlag(false);
  Figure f;
  f.name = "B1";
  f.outline = {{-10, 40, 7}, {10, 40, 7}, {10, 60, 7}, {-10, 60, 7}};  // covers composite 0's square
  f.pointCount = 4;
  f.recomputeBoundingBox();
  f.computeArea();
  p.objects.figures.figures.push_back(f);
  p.port.answerMessage(MessageAnswer::Ok);
  EXPECT_TRUE(p.doc.onRecalculateFigures());
  EXPECT_EQ(p.port.messages(), (std::vector<std::string>{"This operation will recalculate the values of all the "
                                                         "figures\nClick OK to proceed, Cancel to abandon"}));
  EXPECT_FALSE(p.doc.isModified());
  // The figure is the composite's whole square: 400 m2 x 3 m x the default SG.
  EXPECT_NEAR(p.objects.figures.figures[0].oreTonnage, 400.0 * 3.0 * p.objects.settings.defaultSG, 1e-3);
}

TEST(Reports, CarryTheTitleOrUnnamedProject) {
  Project p;
  p.doc.onGeneratePolygons();
  const test::TempDir dir("qx_polygon_commands");
  const std::string path = (dir / "report.txt").string();
  p.doc.setTitle("");
  p.port.answerFile(path);
  ASSERT_TRUE(p.doc.onReportPolygons());
  EXPECT_NE(readFile(path).find("Unnamed Project"), std::string::npos);
}
