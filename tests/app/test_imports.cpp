#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/document.h"
#include "app/project_file.h"
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

std::string writeFile(const std::string& name, const std::string& bytes) {
  static const test::TempDir folder("qx_imports");
  return folder.write(name, bytes).string();
}

// The wizard of the envelope file: names at column 10, 20 wide.
bool envelopeNamesAt10(SheetModel& sheet) {
  dynamic_cast<CFileLoadPropertySheet&>(sheet).first().fields.at(0).position = 10;
  dynamic_cast<CFileLoadPropertySheet&>(sheet).first().fields.at(0).length = 20;
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

// Composites in the default columns: name 1-15, x 16-25, y 26-35, z 36-45.
const std::string kThreeComposites =
    "DH-1               100.00    200.00     10.00\n"
    "DH-2               300.00     50.00     20.00\n"
    "DH-3               200.00     75.00     30.00\n";

}  // namespace

TEST(ImportComposites, ReadShowsTheCountWidensTheExtentsAndPreparesTheScene) {
  Project p(/*withScene=*/true);
  // x inside the data, y wider below, z wider below and narrower above.
  p.setExtents({150, 0, -5}, {250, 1000, 25});
  p.port.answerFile(writeFile("three.cmp", kThreeComposites));
  p.port.answerSheet([](SheetModel&) { return true; });

  EXPECT_EQ(p.doc.onImportComposites().count, 3);
  EXPECT_EQ(p.port.log().back(), "message information ok -> ok: 3 Composites Loaded");
  EXPECT_EQ(p.view.events, (std::vector<std::string>{"dataset changed 0", "zoom extents", "update"}));
  EXPECT_TRUE(p.doc.isModified());
  EXPECT_EQ(p.objects.settings.extentsMin, (DPoint3D{100, 0, -5}));
  EXPECT_EQ(p.objects.settings.extentsMax, (DPoint3D{300, 1000, 30}));

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
  std::size_t markers = 0;
  for (int b = 0; b < kCompositeBinSegments; ++b)
    if (const gfx::Key bin = p.scene.findSegment(compositeBinPath(b)); bin != gfx::kNoKey)
      markers += p.scene.segment(bin)->items.size();
  EXPECT_EQ(markers, 3u) << "processed into the bins";
}

TEST(ImportEnvelopes, ReadShowsTheCountWidensOnlyWhereTheEnvelopesReachFurther) {
  Project p(/*withScene=*/true);
  p.objects.settings.projectType = kProject2D;
  p.setExtents({-10, 5, 1}, {20, 100, 2});
  p.port.answerFile(writeFile("two.dig",
                              "1 0000   A\n2      0.00      0.00\n2     30.00      0.00\n2     30.00     30.00\n"
                              "1 0000   B\n2     10.00      5.00\n2     20.00      5.00\n2     20.00     15.00\n"));
  p.port.answerSheet(envelopeNamesAt10);
  p.port.answerDialog([](DialogModel&) { return true; });  // "A" as shown
  p.port.answerDialog([](DialogModel&) { return true; });  // "B"

  EXPECT_EQ(p.doc.onImportEnvelopes().count, 2);
  EXPECT_EQ(p.port.messages(), (std::vector<std::string>{"2 Envelopes Loaded"}));
  EXPECT_TRUE(p.doc.isModified());
  EXPECT_EQ(p.objects.settings.extentsMin, (DPoint3D{-10, 0, 0})) << "a 2D outline lies at z = 0, below 1";
  EXPECT_EQ(p.objects.settings.extentsMax, (DPoint3D{30, 100, 2}));
  EXPECT_EQ(p.objects.sceneModel.envelopesShown, 1);
  ASSERT_EQ(p.objects.sceneModel.envelopeKeys.size(), 2u);
  EXPECT_EQ(p.objects.sceneModel.envelopeKeys[0], p.scene.findSegment(envelopeSegmentPath(0)));
  EXPECT_EQ(p.objects.sceneModel.selectionMode, 3) << "left alone";
}

TEST(ImportSurfaces, ReadShowsTheCountAndDrawsTheNewSurface) {
  Project p(/*withScene=*/true);
  p.setExtents({0, 0, 0}, {1, 1, 1});
  // x 1-10, y 11-20, elevation 21-30.
  const std::string path = writeFile(
      "topo.xyz", "     -5.00      2.00      0.50\n     10.00      2.00      3.00\n      4.00      8.00     -2.50\n");
  p.port.answerFile(path);
  p.port.answerSheet([](SheetModel&) { return true; });
  p.port.answerDialog([](DialogModel& m) {
    dynamic_cast<CSurfacePropertiesDialog&>(m).setName("Topo");
    return true;
  });

  EXPECT_EQ(p.doc.onImportSurfaces().count, 1);
  EXPECT_EQ(p.port.messages(), (std::vector<std::string>{"1 Surfaces Loaded"}));
  EXPECT_TRUE(p.doc.isModified());
  EXPECT_EQ(p.objects.settings.lastSurfaceFile, path);
  EXPECT_EQ(p.objects.settings.extentsMin, (DPoint3D{-5, 0, -2.5}));
  EXPECT_EQ(p.objects.settings.extentsMax, (DPoint3D{10, 8, 3}));
  ASSERT_EQ(p.objects.sceneModel.surfaceKeys.size(), 1u);
  const gfx::Key segment = p.scene.findSegment(surfaceSegmentPath(0));
  EXPECT_EQ(p.objects.sceneModel.surfaceKeys[0], segment);
  EXPECT_EQ(p.scene.segment(segment)->items.size(), 1u);
}

TEST(ImportCommands, AFileThatIsNotTextOrHoldsNoLineIsNamedWithItsFirstBadLineAndNothingIsRead) {
  using Import = CommandResult (CWQuarlexDoc::*)();
  // Each import with the file kind it remembers.
  const std::pair<Import, DelimitedChoice QuarlexSettings::*> imports[] = {
      {&CWQuarlexDoc::onImportComposites, &QuarlexSettings::compositeFormat},
      {&CWQuarlexDoc::onImportEnvelopes, &QuarlexSettings::envelopeFormat},
      {&CWQuarlexDoc::onImportSurfaces, &QuarlexSettings::surfaceFormat},
      {&CWQuarlexDoc::onImportFigures, &QuarlexSettings::figureFormat}};
  const std::string good = kThreeComposites.substr(0, 92);  // two whole lines
  // The last file is read as comma-separated, every field in column 2.
  const struct {
    std::string bytes, why;
    bool delimited = false;
  } files[] = {
      {good + std::string("DH-\0x\n", 6) + good, "line 3 holds a NUL byte: this is not a text file."},
      // In the part of a long line that is skipped.
      {good.substr(0, 46) + std::string(600, ' ') + std::string(1, '\0') + "\n" + good,
       "line 2 holds a NUL byte: this is not a text file."},
      {"", "line 1 could not be read: the file is empty or cannot be read."},
      {"a,b\n", "no line could be read", true},
  };
  int n = 0;
  for (const auto& [bytes, why, delimited] : files) {
    for (const auto& [import, remembered] : imports) {
      Project p(/*withScene=*/false);
      const std::string path = writeFile("bad" + std::to_string(n++) + ".dat", bytes);
      p.port.answerFile(path);
      p.port.answerSheet([delimited](SheetModel& sheet) {
        ColumnDescription& d = dynamic_cast<CFileLoadPropertySheet&>(sheet).first();
        if (delimited) {
          d.delimited = DelimitedFormat{};
          for (auto& f : d.fields) f.position = 2;
        }
        return true;
      });
      if (import == &CWQuarlexDoc::onImportSurfaces)
        p.port.answerDialog([](DialogModel& m) {
          dynamic_cast<CSurfacePropertiesDialog&>(m).setName("S");
          return true;
        });
      EXPECT_FALSE((p.doc.*import)().ok()) << path;
      EXPECT_EQ(p.port.messages(), std::vector<std::string>{"Nothing was loaded from " + path + ":\n" + why});
      EXPECT_FALSE(p.doc.isModified());
      EXPECT_EQ((p.objects.settings.*remembered).on, delimited) << path;
      const CommandContext c = p.doc.commandContext();
      EXPECT_EQ(c.composites + c.envelopes + c.surfaces + c.figures, 0) << path;
    }
  }
}
