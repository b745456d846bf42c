// The property sheets: their pages on the project, the document's commands
// and the job steps that go through them.
#include <gtest/gtest.h>

#include <tuple>

#include "app/document.h"
#include "app/project_file.h"
#include "cli/job.h"
#include "datasets/color_table_page.h"
#include "engine/figure_dialogs.h"
#include "graphics/scene_tree.h"
#include "job_files.h"
#include "recording_view.h"
#include "scripted_port.h"
#include "test_files.h"

using namespace qx;
using nlohmann::json;

namespace {

test::Outcome runJob(const std::string& text, const std::filesystem::path& dir) { return test::runJob(dir, text); }

Envelope square(const char* name, double x0, double y0, double x1, double y1) {
  Envelope e;
  e.name = name;
  e.contours.push_back({{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}});
  e.recomputeBoundingBox();
  return e;
}

}  // namespace

TEST(PropertyJobs, RenamedAndDeletedItemsAndDisplaySwitchesSurviveSaveAndReopen) {
  const test::TempDir temp("qx_props_job");
  const auto& dir = temp.path();
  test::writeText(dir / "c.dat", test::compositeFile());
  test::writeText(dir / "e.dig", test::outline("ORE", 995, 1995, 1025, 2035) + test::outline("WEST", 0, 0, 10, 10));
  test::writeText(dir / "b.dig",
                  test::outline("B1", 995, 1995, 1015, 2015) + test::outline("B2", 995, 2015, 1015, 2035));
  const std::string head = R"({"project": {"new": {"variables": [{"name": "Au"}]}}, "save": "p.qrx", "steps": [
    {"import_composites": {"file": "c.dat", "columns": {"Au": [46, 10]}}},
    {"import_envelopes": {"file": "e.dig", "columns": {"Envelope Name": [3, 10], "X Coordinate": [11, 10],
                          "Y Coordinate": [21, 10]}}},
    {"import_figures": {"file": "b.dig", "columns": {"Name": [3, 8], "X Coordinate": [11, 10], "Y Coordinate": [21, 10]}}},)";
  const auto [rc, out, err] = runJob(head + R"(
    {"properties": {"rename": [{"envelope": "ORE", "to": "Ore zone"}, {"figure": "B1", "to": "Block 1"}],
                    "delete": [{"envelope": "WEST"}, {"figure": "B2"}], "dilute_figures": false}},
    {"display": {"axis_icon": false, "grid": true, "grid_xz": false, "surfaces": false, "marker_symbol": 4,
                 "polygon_rendering": 2}}]})",
                                     dir);
  ASSERT_EQ(rc, 0) << err;
  EXPECT_NE(out.find("Envelopes: 1, surfaces: 0, figures: 1 (not diluted)\n"), std::string::npos) << out;

  ProjectObjects saved;
  test::ScriptedPort port;
  loadProject(test::readBytes(dir / "p.qrx"), saved, port);
  ASSERT_EQ(std::pair(saved.envelopes.count(), saved.figures.count()), std::pair(1, 1));
  EXPECT_EQ(std::pair(saved.envelopes.envelopes[0].name, saved.figures.figures[0].name),
            std::pair(std::string("Ore zone"), std::string("Block 1")));
  const HoopsModel& m = saved.sceneModel;
  EXPECT_EQ(std::tuple(m.axisIconShown, m.gridShown, m.gridYZ, m.gridXZ, m.gridXY, m.surfacesShown, m.compositesShown,
                       m.markerSymbol, m.markerSize, saved.figures.dilution, saved.polygons.displayMode),
            std::tuple(0, 1, 1, 0, 1, 0, 1, 4, 2, 1, 2));

  // A figure cannot take another's name; unknown items and bad keys are named.
  const std::pair<const char*, const char*> failures[] = {
      {R"({"properties": {"rename": [{"figure": "B1", "to": "B2"}]}}]})",
       "quarlex: steps[3] (properties): cannot rename \"B1\" to \"B2\": That name is in use already. Please choose "
       "another.\n"},
      {R"({"properties": {"delete": [{"figure": "B9"}]}}]})",
       "quarlex: steps[3] (properties): no figure is named \"B9\"\n"},
      {R"({"properties": {"rename": [{"envelope": "ORE"}]}}]})",
       "quarlex: bad job JOB: steps[3].properties.rename[0].to: missing\n"},
      {R"({"properties": {"delete": [{"envelope": "ORE", "figure": "B1"}]}}]})",
       "quarlex: bad job JOB: steps[3].properties.delete[0]: expected one of \"envelope\", \"surface\" or "
       "\"figure\"\n"},
      {R"({"display": {"surface_transparency": 50}}]})",
       "quarlex: steps[3] (display): surface_transparency: the project has no surfaces\n"},
      {R"({"display": {"marker_size": 5}}]})",
       "quarlex: bad job JOB: steps[3].display.marker_size: expected a whole number from 0 to 4\n"},
  };
  for (const auto& [step, message] : failures) {
    auto [frc, fout, ferr] = runJob(head + step, dir);
    const std::string job = (dir / "job.json").string();
    for (std::size_t at; (at = ferr.find(job)) != std::string::npos;) ferr.replace(at, job.size(), "JOB");
    EXPECT_NE(ferr.find(message), std::string::npos) << ferr;
  }
}

TEST(PropertySheets, DeletionsActAtOnceAndMarkedEnvelopesLoseTheirCompositesHighestFirst) {
  ProjectObjects objects;
  objects.settings.loaded.emplace_back("Au");
  for (int i = 0; i < 7; ++i) {
    CComposite c;
    c.position = {i == 2 || i == 5 ? 5.0 + i : 100.0 + i, 5.0, 0.0};
    c.values = {1.0};
    objects.composites.composites.push_back(c);
  }
  objects.envelopes.envelopes = {square("F", 50, 50, 60, 60), square("E", 0, 0, 20, 10)};
  test::ScriptedPort port;
  test::RecordingView view;
  CWQuarlexDoc doc(objects, port);
  doc.setView(&view);

  port.answerSheet([&](SheetModel& sheet) {
    auto& page = dynamic_cast<ItemPropertiesPage&>(*sheet.pages()[0]);
    port.answerMessage(MessageAnswer::Yes);
    EXPECT_TRUE(page.remove(port));
    EXPECT_EQ(dynamic_cast<CCompositesPropertyPage&>(*sheet.pages()[1]).lines(),
              (std::vector<std::string>{"Outside All Envelopes", "E"}));
    return false;  // Cancel: the envelope stays deleted
  });
  EXPECT_FALSE(doc.onEnvelopeCompositeSurfaceProperties());
  ASSERT_EQ(objects.envelopes.count(), 1);
  EXPECT_TRUE(doc.isModified());
  EXPECT_EQ(port.messages().back(), "Are you sure you want to delete this Envelope?");

  port.answerSheet([&](SheetModel& sheet) {
    auto& envelopes = dynamic_cast<ItemPropertiesPage&>(*sheet.pages()[0]);
    envelopes.setTransparency(130);
    auto& composites = dynamic_cast<CCompositesPropertyPage&>(*sheet.pages()[1]);
    composites.select(1);
    composites.toggle();
    EXPECT_EQ(composites.buttonText(), "Keep Composites");
    return true;
  });
  view.events.clear();
  EXPECT_TRUE(doc.onEnvelopeCompositeSurfaceProperties());
  EXPECT_EQ(view.events,
            (std::vector<std::string>{"composite removed 5", "composite removed 2", "display changed", "update"}));
  EXPECT_EQ(objects.composites.count(), 5);
  EXPECT_EQ(objects.envelopes.envelopes[0].transparency, 1.0f);
}

// What the display sheet switches reaches the scene the view draws.
TEST(PropertySheets, TheDisplaySheetsSwitchesReachTheScene) {
  ProjectObjects objects;
  test::ScriptedPort port;
  CWQuarlexDoc doc(objects, port);
  gfx::SceneTree scene;
  doc.setScene(&scene);
  ProjectSetupValues values;
  values.loaded = {VariableInfo("Au")};
  doc.setUpProject(values);
  const auto markersShown = [&] {
    return scene.resolvedAttributes(scene.findSegment("?Model/Composites"))->isVisible(gfx::Kind::Markers);
  };
  ASSERT_TRUE(markersShown());
  port.answerSheet([&](SheetModel& sheet) {
    dynamic_cast<CReferenceGridPage&>(*sheet.pages()[1]).datasets[0] = false;
    return true;
  });
  EXPECT_TRUE(doc.onDisplayProperties());
  EXPECT_FALSE(markersShown());
}

TEST(PropertySheets, FiguresPageNamesValuesAndDilutionAndThePolygonsExaggerationSteps) {
  FigureSet set;
  for (const char* name : {"B1", "B2"}) {
    Figure f;
    f.name = name;
    set.figures.push_back(f);
  }
  Figure& b1 = set.figures[0];
  std::tie(b1.area, b1.volume, b1.oreFraction, b1.oreTonnage, b1.wasteTonnage, b1.specificGravity, b1.thickness) =
      std::tuple(1234.56, 0.05, 0.5, 99.95, 0.0, 2.65, 2.0);
  b1.loadedValues = {1.23456};
  b1.calculatedValues = {-0.00005};
  int recalculated = -1;
  CFiguresPropertyPage page(set, {"Au", "Au2"}, {}, [&](int i) { recalculated = i; });
  std::vector<std::string> lines;
  for (const auto& l : page.valueLines()) lines.push_back(l.name + "=" + l.value);
  EXPECT_EQ(lines, (std::vector<std::string>{"Surface Area=1234.6", "Volume=0.1", "Percent Ore=0.50",
                                             "Tonnage Ore=100.0", "Tonnage Waste=0.0", "Specific Gravity=2.6500",
                                             "Thickness=2.0000", "Au=1.2346", "Au2=-0.0001"}));

  test::ScriptedPort port;
  port.answerDialog([](DialogModel& m) {
    dynamic_cast<CItemNameDialog&>(m).setName(" B2 ");
    return true;
  });
  port.answerDialog([](DialogModel&) { return false; });
  EXPECT_FALSE(page.rename(port));
  EXPECT_EQ(port.messages(), std::vector<std::string>{"That name is in use already.\nPlease choose another."});

  port.answerDialog([](DialogModel& m) {
    auto& d = dynamic_cast<CModifyValuesDialog&>(m);
    EXPECT_EQ(std::tuple(d.currentLabel(), d.newLabel(), d.currentText()),
              std::tuple("Current value for Percent Ore", "Modified value for Percent Ore", "0.500000"));
    d.setNewText("0.75");
    return true;
  });
  EXPECT_TRUE(page.editValue(port, 2));
  EXPECT_EQ(b1.oreFraction, 0.75);
  page.recalculateSelected();
  EXPECT_EQ(recalculated, 0);

  // The box reads as its words: ticked while figures are diluted (stored 0).
  EXPECT_TRUE(page.dilution);
  page.dilution = false;
  page.onKillActive(port);
  EXPECT_EQ(set.dilution, 1);

  const std::tuple<double, int, double> steps[] = {{1, 1, 2},     {2, 1, 5},       {5, 1, 10},   {10, 1, 10},
                                                   {0.3, 1, 0.5}, {0.3, -1, 0.25}, {0.1, -2, 0}, {1, 3, 10}};
  for (const auto& [from, by, to] : steps)
    EXPECT_EQ(CPolygonsPropertyPage::stepExaggeration(from, by), to) << from << " by " << by;
}
