// The document's import commands: what happens after each dataset's load
// (notification, data extents, scene state, message, modified flag, zoom).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/document.h"
#include "app/project_file.h"
#include "cancel_steps.h"
#include "datasets/envelope_dialogs.h"
#include "datasets/surface_import.h"
#include "graphics/scene_tree.h"
#include "io/column_pages.h"
#include "recording_view.h"
#include "scene/composites_drawing.h"
#include "scene/envelopes_drawing.h"
#include "scene/surfaces_drawing.h"
#include "scripted_port.h"
#include "test_files.h"

using namespace qx;
using qx::test::RecordingView;
using qx::test::ScriptedPort;

namespace {

const test::TempDir& folder() {
  static const test::TempDir dir("qx_imports");
  return dir;
}
std::string writeFile(const std::string& name, const std::string& bytes) {
  return folder().write(name, bytes).string();
}

// A composite line in the default columns: name 1-15, x 16-25, y 26-35, z 36-45.
std::string compositeLine(const char* name, double x, double y, double z) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%-15s%10.2f%10.2f%10.2f\n", name, x, y, z);
  return buffer;
}

// A surface line: x 1-10, y 11-20, elevation 21-30.
std::string surfaceLine(double x, double y, double z) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%10.2f%10.2f%10.2f\n", x, y, z);
  return buffer;
}

// The wizard of the envelope file: names at column 10, 20 wide.
bool envelopeNamesAt10(SheetModel& sheet) {
  for (auto& f : dynamic_cast<CFileLoadPropertySheet&>(sheet).first().fields)
    if (f.name == "Envelope Name") {
      f.position = 10;
      f.length = 20;
    }
  return true;
}

struct Project {
  ScriptedPort port;
  ProjectObjects objects;
  CWQuarlexDoc doc{objects, port};
  RecordingView view;
  gfx::SceneTree scene;

  explicit Project(bool withScene) {
    doc.setView(&view);
    if (withScene) {
      scene.defineAlias("?Model", "/model");
      doc.setScene(&scene);
    }
    objects.settings.projectType = kProject3D;
    // Not the composites' mode, so that the import shows setting it.
    objects.sceneModel.selectionMode = 3;
    objects.sceneModel.compositesShown = 0;
    objects.sceneModel.envelopesShown = 0;
  }
  void setExtents(DPoint3D lo, DPoint3D hi) {
    objects.settings.extentsMin = lo;
    objects.settings.extentsMax = hi;
  }
};

const std::string kThreeComposites =
    compositeLine("DH-1", 100, 200, 10) + compositeLine("DH-2", 300, 50, 20) + compositeLine("DH-3", 200, 75, 30);

}  // namespace

TEST(ImportComposites, ReadShowsTheCountWidensTheExtentsAndPreparesTheScene) {
  Project p(/*withScene=*/true);
  // Per coordinate: x narrower than the data on both sides, y wider below,
  // z wider below and narrower above.
  p.setExtents({150, 0, -5}, {250, 1000, 25});
  p.port.answerFile(writeFile("three.cmp", kThreeComposites));
  p.port.answerSheet([](SheetModel&) { return true; });

  EXPECT_EQ(p.doc.onImportComposites(), 3);
  EXPECT_TRUE(p.port.allAnswersUsed());
  EXPECT_EQ(p.port.messages(), (std::vector<std::string>{"3 Composites Loaded"}));
  EXPECT_EQ(p.port.log().back(), "message information ok -> ok: 3 Composites Loaded");
  EXPECT_EQ(p.view.events, (std::vector<std::string>{"dataset changed 0", "zoom extents", "update"}));
  EXPECT_TRUE(p.doc.isModified());
  EXPECT_EQ(p.objects.settings.extentsMin, (DPoint3D{100, 0, -5}));
  EXPECT_EQ(p.objects.settings.extentsMax, (DPoint3D{300, 1000, 30}));

  EXPECT_EQ(p.objects.sceneModel.compositesShown, 1);
  EXPECT_EQ(p.objects.sceneModel.selectionMode, 0);
  const gfx::Key segment = p.scene.findSegment(kCompositesSegment);
  ASSERT_NE(segment, gfx::kNoKey);
  // Set on the segment itself, nothing else.
  gfx::VisibilitySetting visible;
  visible.on[static_cast<std::size_t>(gfx::Kind::CuttingPlanes)] = true;
  visible.on[static_cast<std::size_t>(gfx::Kind::Markers)] = true;
  EXPECT_EQ(p.scene.segment(segment)->attributes.visibility, visible);
  gfx::SelectabilitySetting selectable;
  selectable.mode[static_cast<std::size_t>(gfx::Kind::Markers)] = gfx::Pickable::On;
  EXPECT_EQ(p.scene.segment(segment)->attributes.selectability, selectable);
  EXPECT_TRUE(p.scene.resolvedAttributes(segment)->canPick(gfx::Kind::Markers));
  // Processed into the bins: three markers in all.
  std::size_t markers = 0;
  for (int b = 0; b < kCompositeBinSegments; ++b) {
    const gfx::Key bin = p.scene.findSegment(compositeBinPath(b));
    if (bin != gfx::kNoKey) markers += p.scene.segment(bin)->items.size();
  }
  EXPECT_EQ(markers, 3u);
}

TEST(ImportComposites, NothingReadChangesNothingButStillZooms) {
  // Cancel at the file dialog, and Cancel in the rotation dialog after the wizard.
  for (int step = 0; step < 2; ++step) {
    Project p(/*withScene=*/false);
    p.setExtents({150, 0, -5}, {250, 1000, 25});
    if (step == 0) {
      p.port.answerFile(std::nullopt);
    } else {
      p.port.answerFile(writeFile("three.cmp", kThreeComposites));
      p.port.answerSheet([](SheetModel& sheet) {
        dynamic_cast<CFileLoadPropertySheet&>(sheet).first().rotate = true;
        return true;
      });
      p.port.answerDialog([](DialogModel& m) {
        EXPECT_EQ(m.title(), "Rotation Parameters");
        return false;
      });
    }
    EXPECT_EQ(p.doc.onImportComposites(), 0) << step;
    EXPECT_TRUE(p.port.allAnswersUsed()) << step;
    EXPECT_TRUE(p.port.messages().empty()) << step;
    EXPECT_FALSE(p.doc.isModified()) << step;
    EXPECT_EQ(p.view.events, (std::vector<std::string>{"zoom extents", "update"})) << step;
    EXPECT_EQ(p.objects.composites.count(), 0) << step;
    EXPECT_EQ(p.objects.settings.extentsMin, (DPoint3D{150, 0, -5})) << step;
    EXPECT_EQ(p.objects.settings.extentsMax, (DPoint3D{250, 1000, 25})) << step;
    EXPECT_EQ(p.objects.sceneModel.selectionMode, 3) << step;
    EXPECT_EQ(p.objects.sceneModel.compositesShown, 0) << step;
  }
}

TEST(ImportEnvelopes, ReadShowsTheCountWidensOnlyWhereTheEnvelopesReachFurther) {
  Project p(/*withScene=*/true);
  p.objects.settings.projectType = kProject2D;
  p.setExtents({-10, 5, 1}, {20, 100, 2});
  p.port.answerFile(writeFile("two.dig",
                              "1 0000   A\n"
                              "2      0.00      0.00\n"
                              "2     30.00      0.00\n"
                              "2     30.00     30.00\n"
                              "1 0000   B\n"
                              "2     10.00      5.00\n"
                              "2     20.00      5.00\n"
                              "2     20.00     15.00\n"));
  p.port.answerSheet(envelopeNamesAt10);
  p.port.answerDialog([](DialogModel&) { return true; });  // "A" as shown
  p.port.answerDialog([](DialogModel&) { return true; });  // "B"

  EXPECT_EQ(p.doc.onImportEnvelopes(), 2);
  EXPECT_TRUE(p.port.allAnswersUsed());
  EXPECT_EQ(p.port.messages(), (std::vector<std::string>{"2 Envelopes Loaded"}));
  EXPECT_EQ(p.view.events, (std::vector<std::string>{"zoom extents", "update"}));
  EXPECT_TRUE(p.doc.isModified());
  // A 2D outline lies at z = 0, below the old minimum 1.
  EXPECT_EQ(p.objects.settings.extentsMin, (DPoint3D{-10, 0, 0}));
  EXPECT_EQ(p.objects.settings.extentsMax, (DPoint3D{30, 100, 2}));
  EXPECT_EQ(p.objects.sceneModel.envelopesShown, 1);
  ASSERT_EQ(p.objects.sceneModel.envelopeKeys.size(), 2u);
  const gfx::Key first = p.scene.findSegment(envelopeSegmentPath(0));
  ASSERT_NE(first, gfx::kNoKey);
  EXPECT_EQ(p.objects.sceneModel.envelopeKeys[0], first);
  EXPECT_EQ(p.scene.segment(first)->items.size(), 1u);
  // The envelope import leaves the selection mode alone.
  EXPECT_EQ(p.objects.sceneModel.selectionMode, 3);
}

TEST(ImportEnvelopes, CancelAndAFileWithoutHeadersShowNoCount) {
  struct World : Project {
    World() : Project(/*withScene=*/false) {}
  };
  qx::test::expectCancelAtEachStep<World>(
      {{"file dialog", nullptr, [](World& w) { w.port.answerFile(std::nullopt); },
        [](World& w) {
          EXPECT_TRUE(w.port.messages().empty());
          EXPECT_EQ(w.view.events, (std::vector<std::string>{"zoom extents", "update"}));
        }}},
      [](World& w) {
        ScriptedPort quiet;
        return std::pair(storeProject(w.objects, quiet), w.doc.isModified());
      },
      [](World& w) { EXPECT_EQ(w.doc.onImportEnvelopes(), 0); });
  {
    Project p(/*withScene=*/true);
    p.setExtents({0, 0, 0}, {1, 1, 1});
    p.port.answerFile(writeFile("noheader.dig", "2      10.00      0.00\nnothing\n"));
    p.port.answerSheet([](SheetModel&) { return true; });
    p.port.answerDialog([](DialogModel& m) {
      dynamic_cast<CEnvelopePropertiesDialog&>(m).setName("Dropped");
      return true;
    });
    EXPECT_EQ(p.doc.onImportEnvelopes(), 0);
    EXPECT_TRUE(p.port.allAnswersUsed());
    // Only the load's own warning.
    ASSERT_EQ(p.port.messages().size(), 1u);
    EXPECT_EQ(p.port.messages()[0].rfind("No valid m_aEnvelopes were found", 0), 0u);
    EXPECT_FALSE(p.doc.isModified());
    EXPECT_EQ(p.view.events, (std::vector<std::string>{"zoom extents", "update"}));
    EXPECT_EQ(p.objects.settings.extentsMin, (DPoint3D{0, 0, 0}));
    EXPECT_EQ(p.objects.settings.extentsMax, (DPoint3D{1, 1, 1}));
    EXPECT_EQ(p.scene.findSegment(envelopeSegmentPath(0)), gfx::kNoKey);
  }
}

TEST(ImportSurfaces, ReadShowsTheCountAndDrawsTheNewSurface) {
  Project p(/*withScene=*/true);
  p.setExtents({0, 0, 0}, {1, 1, 1});
  const std::string path =
      writeFile("topo.xyz", surfaceLine(-5, 2, 0.5) + surfaceLine(10, 2, 3) + surfaceLine(4, 8, -2.5));
  p.port.answerFile(path);
  p.port.answerSheet([](SheetModel&) { return true; });
  p.port.answerDialog([](DialogModel& m) {
    dynamic_cast<CSurfacePropertiesDialog&>(m).setName("Topo");
    return true;
  });

  EXPECT_EQ(p.doc.onImportSurfaces(), 1);
  EXPECT_TRUE(p.port.allAnswersUsed());
  EXPECT_EQ(p.port.messages(), (std::vector<std::string>{"1 Surfaces Loaded"}));
  EXPECT_EQ(p.view.events, (std::vector<std::string>{"zoom extents", "update"}));
  EXPECT_TRUE(p.doc.isModified());
  EXPECT_EQ(p.objects.settings.lastSurfaceFile, path);
  EXPECT_EQ(p.objects.settings.extentsMin, (DPoint3D{-5, 0, -2.5}));
  EXPECT_EQ(p.objects.settings.extentsMax, (DPoint3D{10, 8, 3}));
  ASSERT_EQ(p.objects.sceneModel.surfaceKeys.size(), 1u);
  const gfx::Key segment = p.scene.findSegment(surfaceSegmentPath(0));
  ASSERT_NE(segment, gfx::kNoKey);
  EXPECT_EQ(p.objects.sceneModel.surfaceKeys[0], segment);
  EXPECT_EQ(p.scene.segment(segment)->items.size(), 1u);
}

TEST(ImportSurfaces, ASmallerSurfaceLeavesTheWiderExtentsAndCancelShowsNothing) {
  Project p(/*withScene=*/false);
  p.setExtents({-100, -100, -100}, {100, 100, 100});
  p.port.answerFile(writeFile("small.xyz", surfaceLine(1, 2, 3) + surfaceLine(4, 5, 6) + surfaceLine(7, 1, 2)));
  p.port.answerSheet([](SheetModel&) { return true; });
  p.port.answerDialog([](DialogModel& m) {
    dynamic_cast<CSurfacePropertiesDialog&>(m).setName("Small");
    return true;
  });
  EXPECT_EQ(p.doc.onImportSurfaces(), 1);
  EXPECT_EQ(p.port.messages(), (std::vector<std::string>{"1 Surfaces Loaded"}));
  EXPECT_EQ(p.objects.settings.extentsMin, (DPoint3D{-100, -100, -100}));
  EXPECT_EQ(p.objects.settings.extentsMax, (DPoint3D{100, 100, 100}));
  EXPECT_TRUE(p.objects.sceneModel.surfaceKeys.empty());  // no scene: nothing drawn

  // Cancel at the file dialog: no message, the project as it was, still a zoom.
  struct World : Project {
    World() : Project(/*withScene=*/false) {}
  };
  qx::test::expectCancelAtEachStep<World>(
      {{"file dialog", nullptr, [](World& w) { w.port.answerFile(std::nullopt); },
        [](World& w) {
          EXPECT_TRUE(w.port.messages().empty());
          EXPECT_EQ(w.view.events, (std::vector<std::string>{"zoom extents", "update"}));
        }}},
      [](World& w) {
        ScriptedPort quiet;
        return std::pair(storeProject(w.objects, quiet), w.doc.isModified());
      },
      [](World& w) { EXPECT_EQ(w.doc.onImportSurfaces(), 0); });
}

TEST(ImportCommands, AreCarriedOutByThisBuild) {
  for (CommandId id :
       {CommandId::ImportComposites, CommandId::ImportEnvelopes, CommandId::ImportSurfaces, CommandId::ImportFigures,
        CommandId::ExportComposites, CommandId::ExportEnvelopes, CommandId::ExportFigures, CommandId::ExportPolygons})
    EXPECT_TRUE(isImplemented(id)) << findMenuEntry(id)->text;
}
