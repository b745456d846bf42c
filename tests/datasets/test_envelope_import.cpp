// Loading envelopes: the flow through the port, the header-name rules, the
// warning for a file without headers, and Cancel at each step.
// io/columns.h comes first: see the note on ColumnField in envelopes.h.
#include "io/column_pages.h"
//
#include <gtest/gtest.h>

#include <algorithm>

#include "cancel_steps.h"
#include "datasets/envelope_dialogs.h"
#include "datasets/envelope_import.h"
#include "datasets/envelope_test_support.h"
#include "datasets/envelopes.h"
#include "project/quarlex_settings.h"
#include "scripted_port.h"
#include "sections/rotation_dialog.h"
#include "support/record_testing.h"

using namespace qx;
using namespace qx::testing;
using qx::test::expectCancelAtEachStep;
using qx::test::ScriptedPort;

namespace {

const std::string kNamedFile =
    "1 0000   A\n"
    "2      0.00      0.00\n"
    "2     10.00      0.00\n"
    "2     10.00     10.00\n"
    "1 0000   B\n"
    "2    100.00    100.00\n"
    "2    110.00    100.00\n"
    "2    110.00    110.00\n"
    "1 0001   A\n"
    "2     20.00     20.00\n"
    "2     30.00     20.00\n"
    "2     30.00     30.00\n"
    "1 0002\n"
    "2     50.00     50.00\n"
    "2     60.00     50.00\n"
    "2     60.00     60.00\n";

// The wizard: names at column 10, 20 wide; `rotate` ticks the rotation option.
ScriptedPort::SheetAnswer namesAt10(bool rotate = false, bool finish = true) {
  return [=](SheetModel& sheet) {
    auto& s = dynamic_cast<CFileLoadPropertySheet&>(sheet);
    for (auto& f : s.first().fields)
      if (f.name == "Envelope Name") {
        f.position = 10;
        f.length = 20;
      }
    s.first().rotate = rotate;
    return finish;
  };
}

ScriptedPort::DialogAnswer properties(std::string name, double density, ColorRef colour, bool ok = true) {
  return [=](DialogModel& model) {
    auto& d = dynamic_cast<CEnvelopePropertiesDialog&>(model);
    d.setName(name);
    d.setDensity(density);
    d.setColour(colour);
    return ok;
  };
}

struct Fixture {
  ScriptedPort port;
  EnvelopeSet set;
  QuarlexSettings settings;
  Fixture() { settings.defaultSG = 2.7; }
  EnvelopeLoadResult load(const RotationEditor& editor = {}) { return loadEnvelopes(port, set, settings, editor); }
};

}  // namespace

TEST(EnvelopeImport, NamedFileOneDialogPerNameAndHeaderRules) {
  Fixture f;
  const std::string path = writeTemp("named.dig", kNamedFile);
  f.port.answerFile(path);
  std::vector<std::string> wizardFields;
  std::string preview;
  f.port.answerSheet([&](SheetModel& sheet) {
    auto& s = dynamic_cast<CFileLoadPropertySheet&>(sheet);
    for (const auto& field : s.first().fields) wizardFields.push_back(field.name);
    preview = s.firstPage().previewText();
    return namesAt10()(sheet);
  });
  std::vector<std::string> shown;
  std::vector<double> shownDensity;
  f.port.answerDialog([&](DialogModel& m) {
    auto& d = dynamic_cast<CEnvelopePropertiesDialog&>(m);
    shown.push_back(d.name());
    shownDensity.push_back(d.density());
    EXPECT_EQ(d.colour(), 0u);
    d.setName("  Alpha  ");
    d.setDensity(3.5);
    d.setColour(makeRgb(255, 0, 0));
    return true;
  });
  // Cancel: the values shown are taken all the same.
  f.port.answerDialog([&](DialogModel& m) {
    shown.push_back(dynamic_cast<CEnvelopePropertiesDialog&>(m).name());
    return false;
  });
  ASSERT_EQ(f.load(), EnvelopeLoadResult::Loaded);
  EXPECT_TRUE(f.port.allAnswersUsed());

  // 2D project: no Z field offered.
  EXPECT_EQ(wizardFields, (std::vector<std::string>{"Envelope Name", "X Coordinate", "Y Coordinate"}));
  EXPECT_NE(preview.find("1 0000   A\r\n2      0.00      0.00\r\n"), std::string::npos);
  EXPECT_EQ(shown, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(shownDensity, (std::vector<double>{2.7}));
  EXPECT_EQ(f.settings.lastEnvelopeFile, path);
  EXPECT_EQ(f.set.field("Envelope Name")->position, 10);
  EXPECT_EQ(f.set.field("Envelope Name")->length, 20);

  ASSERT_EQ(f.set.count(), 2);
  const Envelope& a = f.set.envelopes[0];
  const Envelope& b = f.set.envelopes[1];
  EXPECT_EQ(a.name, "Alpha");
  EXPECT_EQ(a.density, 3.5);
  EXPECT_EQ(a.colour, 0xFF);
  EXPECT_EQ(b.name, "B");
  EXPECT_EQ(b.density, 2.7);
  // File name "A" maps to "Alpha"; the blank header goes to the last envelope.
  ASSERT_EQ(a.contourCount, 2);
  ASSERT_EQ(a.contours.size(), 2u);
  EXPECT_EQ(a.contours[1][0], (DPoint3D{20, 20, 0}));
  ASSERT_EQ(b.contourCount, 2);
  EXPECT_EQ(b.contours[0][0], (DPoint3D{100, 100, 0}));
  EXPECT_EQ(b.contours[1][2], (DPoint3D{60, 60, 0}));
  EXPECT_EQ(a.minCorner, (DPoint3D{0, 0, 0}));
  EXPECT_EQ(a.maxCorner, (DPoint3D{30, 30, 0}));
  EXPECT_EQ(f.set.maxCorner, (DPoint3D{110, 110, 0}));

  // The progress window and the wait cursor.
  const auto& log = f.port.log();
  std::vector<std::string> progress;
  for (const auto& line : log)
    if (line.rfind("progress", 0) == 0) progress.push_back(line);
  EXPECT_EQ(progress, (std::vector<std::string>{"progress open text", "progress title: Loading Envelope",
                                                "progress text: 1 Contours Loaded", "progress text: 2 Contours Loaded",
                                                "progress text: 3 Contours Loaded", "progress text: 4 Contours Loaded",
                                                "progress close"}));
  EXPECT_EQ(f.port.waitDepth(), 0);
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "file open: Open Envelope Datafile [Envelope Dataset Files (*.dig)|*.dig|All Files "
                      "(*.*)|*.*||]"),
            log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "wizard: Load Envelopes"), log.end());
}

TEST(EnvelopeImport, NoNamesPutsEveryContourInTheOneEnvelope) {
  Fixture f;
  f.settings.projectType = kProject3D;
  f.set.envelopes.resize(1);
  f.set.envelopes[0].name = "Old";
  f.port.answerFile(writeTemp("plain.dig", "1 0000   A\n2 1 2 3\n2 4 5 6\n2 7 8 9\n1 0001   B\n2 9 9 9\n"));
  f.port.answerSheet([](SheetModel& sheet) {
    auto& s = dynamic_cast<CFileLoadPropertySheet&>(sheet);
    EXPECT_EQ(s.first().fields.size(), 4u);  // 3D: Z offered
    // One-character fields so that "2 1 2 3" reads.
    s.first().fields[1] = {"X Coordinate", 3, 1, 0};
    s.first().fields[2] = {"Y Coordinate", 5, 1, 0};
    s.first().fields[3] = {"Z Coordinate", 7, 1, 0};
    return true;
  });
  // A blank name is refused on OK; the second answer names it.
  f.port.answerDialog(properties("   ", 1.0, 0));
  f.port.answerDialog(properties("Lens", 1.0, 0));
  ASSERT_EQ(f.load(), EnvelopeLoadResult::Loaded);
  EXPECT_EQ(f.port.messages(), (std::vector<std::string>{"The name cannot be blank.\nPlease choose another."}));
  ASSERT_EQ(f.set.count(), 2);
  EXPECT_TRUE(f.set.envelopes[0].contours.empty());
  ASSERT_EQ(f.set.envelopes[1].contours.size(), 2u);
  EXPECT_EQ(f.set.envelopes[1].contours[0], (Contour{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}));
  EXPECT_EQ(f.set.envelopes[1].contours[1], (Contour{{9, 9, 9}}));
  EXPECT_EQ(f.set.field("X Coordinate")->position, 3);
  EXPECT_EQ(f.set.field("Z Coordinate")->length, 1);
}

TEST(EnvelopeImport, MergeGivesDensityAndColourAndAddsContours) {
  Fixture f;
  f.set.envelopes.resize(1);
  f.set.envelopes[0].name = "A";
  f.set.envelopes[0].contours = {{{1, 1, 0}}};
  f.set.envelopes[0].contourCount = 1;
  f.port.answerFile(writeTemp("merge.dig", "1 0000   A\n2     10.00      0.00\n2     10.00     10.00\n"));
  f.port.answerSheet(namesAt10());
  f.port.answerDialog(properties("A", 4.25, makeRgb(0, 0, 255)));
  f.port.answerMessage(MessageAnswer::Yes);
  ASSERT_EQ(f.load(), EnvelopeLoadResult::Loaded);
  EXPECT_EQ(f.port.messages(),
            (std::vector<std::string>{
                "That envelope name is in use already.\n\nDo you want this envelope merged with the existing one?"}));
  ASSERT_EQ(f.set.count(), 1);
  EXPECT_EQ(f.set.envelopes[0].density, 4.25);
  EXPECT_EQ(f.set.envelopes[0].colour, 0xFF0000);
  EXPECT_EQ(f.set.envelopes[0].contourCount, 2);
  EXPECT_EQ(f.set.envelopes[0].contours[1], (Contour{{10, 0, 0}, {10, 10, 0}}));
}

TEST(EnvelopeImport, BlankHeaderNamesGoToTheLastEnvelope) {
  Fixture f;
  f.set.envelopes.resize(2);
  f.set.envelopes[0].name = "First";
  f.set.envelopes[1].name = "Second";
  // The blank header goes to the last envelope ("New"); "Other" maps to the
  // name given in its dialog.
  f.port.answerFile(writeTemp("blank.dig",
                              "1 0000   First\n2 1\n"
                              "1 0001   \n2 2\n"
                              "1 0002   First\n2 3\n"
                              "1 0003   Other\n2 4\n"));
  f.port.answerSheet(namesAt10());
  f.port.answerDialog(properties("First", 1, 0));         // in use: not merged
  f.port.answerMessage(MessageAnswer::No);                // keeps the dialog open
  f.port.answerDialog(properties("First", 1, 0, false));  // Cancel: a second "First" is added
  f.port.answerDialog(properties("New", 1, 0));
  ASSERT_EQ(f.load(), EnvelopeLoadResult::Loaded);
  ASSERT_EQ(f.set.count(), 4);
  EXPECT_EQ(f.set.envelopes[2].name, "First");
  EXPECT_EQ(f.set.envelopes[3].name, "New");
  // "First" by name is envelope 0, and the file name "First" maps to the final
  // name "First", whose first bearer is envelope 0 too (not the one just added).
  EXPECT_EQ(f.set.envelopes[0].contours.size(), 2u);
  EXPECT_EQ(f.set.envelopes[3].contours.size(), 2u);  // the blank one, and "Other" (mapped to "New")
  EXPECT_EQ(f.set.envelopes[3].contours[0][0].x, 2);
  EXPECT_EQ(f.set.envelopes[3].contours[1][0].x, 4);
}

TEST(EnvelopeImport, NoHeaderWarnsAndCutsBack) {
  Fixture f;
  f.set.envelopes.resize(1);
  f.set.envelopes[0].name = "Keep";
  const Bytes before = store(f.set);
  f.port.answerFile(writeTemp("noheader.dig", "2      10.00      0.00\nnothing\n"));
  f.port.answerSheet([](SheetModel&) { return true; });
  f.port.answerDialog(properties("Dropped", 1, 0));
  ASSERT_EQ(f.load(), EnvelopeLoadResult::NoEnvelopes);
  ASSERT_EQ(f.port.messages().size(), 1u);
  EXPECT_EQ(f.port.messages()[0],
            "No valid m_aEnvelopes were found in the selected file.\n"
            "Please check that the file is a properly formatted envelope file.");
  EXPECT_NE(std::find(f.port.log().begin(), f.port.log().end(),
                      "message warning ok -> ok: No valid m_aEnvelopes were found in the selected file.\n"
                      "Please check that the file is a properly formatted envelope file."),
            f.port.log().end());
  EXPECT_EQ(store(f.set), before);
}

TEST(EnvelopeImport, CancelAtEachStepLeavesTheSetUnchanged) {
  static const std::string path = writeTemp("cancel.dig", kNamedFile);
  struct World : Fixture {
    bool asked = false;
    RotationEditor rotation = [](UiPort&, CParamsRotation&) { return true; };
    World() {
      set.envelopes.resize(1);
      set.envelopes[0].name = "Existing";
      set.envelopes[0].contours = {{{1, 2, 3}}};
      set.envelopes[0].contourCount = 1;
    }
  };
  const auto snapshot = [](World& w) { return store(w.set); };
  const auto run = [](World& w) { EXPECT_EQ(w.load(w.rotation), EnvelopeLoadResult::Cancelled); };
  expectCancelAtEachStep<World>(
      {{"file dialog", [](World& w) { w.port.answerFile(path); }, [](World& w) { w.port.answerFile(std::nullopt); }},
       {"wizard, after editing the columns", [](World& w) { w.port.answerSheet(namesAt10(true)); },
        [](World& w) { w.port.answerSheet(namesAt10(false, false)); }},
       {"rotation dialog, after the editor changed its copy", nullptr,
        [](World& w) {
          w.rotation = [&w](UiPort&, CParamsRotation& r) {
            w.asked = true;
            r.setAngles(10, 20, 30);
            return false;
          };
        },
        [](World& w) { EXPECT_TRUE(w.asked); }}},
      snapshot, run);
  // A file that cannot be opened cancels silently.
  expectCancelAtEachStep<World>(
      {{"unreadable file", nullptr, [](World& w) { w.port.answerFile(tempPath("missing/none.dig")); },
        [](World& w) { EXPECT_TRUE(w.port.messages().empty()); }}},
      snapshot, run);
}

TEST(EnvelopeImport, RotationAppliesToEveryPointWhenConfirmed) {
  Fixture f;
  f.port.answerFile(writeTemp("rot.dig", kNamedFile));
  f.port.answerSheet(namesAt10(true));
  f.port.answerDialog(properties("A", 1, 0));
  f.port.answerDialog(properties("B", 1, 0));
  // Zero angles and centre (100, 0, 0): every point moves by -100 in x.
  ASSERT_EQ(f.load([](UiPort&, CParamsRotation& r) {
    r.setCentre({100, 0, 0});
    return true;
  }),
            EnvelopeLoadResult::Loaded);
  EXPECT_EQ(f.set.importRotation.centre(), (DPoint3D{100, 0, 0}));
  EXPECT_EQ(f.set.envelopes[0].contours[0][1], (DPoint3D{-90, 0, 0}));
  EXPECT_EQ(f.set.envelopes[1].contours[0][0], (DPoint3D{0, 100, 0}));
  EXPECT_EQ(f.set.minCorner.x, -100);
}

TEST(EnvelopeImport, RepeatedPointsGoAndTheRecordRoundTrips) {
  Fixture f;
  f.settings.defaultPolygonSize = 1e6;  // tolerance 1e-3
  f.port.answerFile(writeTemp("rep.dig",
                              "1 0000   A\n"
                              "2      0.00      0.00\n"
                              "2    0.0005      0.00\n"
                              "2     10.00      0.00\n"
                              "2     10.00     10.00\n"
                              "2      0.00      0.00\n"));
  f.port.answerSheet(namesAt10());
  f.port.answerDialog(properties("A", 1, 0));
  ASSERT_EQ(f.load(), EnvelopeLoadResult::Loaded);
  EXPECT_EQ(f.set.envelopes[0].contours[0], (Contour{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 0, 0}}));

  const Bytes saved = store(f.set);
  const EnvelopeSet loaded = load<EnvelopeSet>(saved);
  EXPECT_EQ(store(loaded), saved);
  EXPECT_EQ(loaded.envelopes, f.set.envelopes);
}

TEST(EnvelopeImport, DefaultRotationEditorIsTheRotationDialog) {
  Fixture f;
  f.port.answerFile(writeTemp("rotdlg.dig", kNamedFile));
  f.port.answerSheet(namesAt10(true));
  f.port.answerDialog([](DialogModel& m) {
    auto& d = dynamic_cast<CDialogRotationParams&>(m);
    d.centre = {0, 50, 0};
    return false;  // Cancel
  });
  EXPECT_EQ(f.load(), EnvelopeLoadResult::Cancelled);
  EXPECT_EQ(f.set.importRotation, CParamsRotation());
  EXPECT_TRUE(f.set.envelopes.empty());

  f.port.answerFile(writeTemp("rotdlg.dig", kNamedFile));
  f.port.answerSheet(namesAt10(true));
  f.port.answerDialog([](DialogModel& m) {
    dynamic_cast<CDialogRotationParams&>(m).centre = {0, 50, 0};
    return true;
  });
  f.port.answerDialog(properties("A", 1, 0));
  f.port.answerDialog(properties("B", 1, 0));
  ASSERT_EQ(f.load(), EnvelopeLoadResult::Loaded);
  EXPECT_EQ(f.set.importRotation.centre(), (DPoint3D{0, 50, 0}));
  EXPECT_EQ(f.set.envelopes[1].contours[0][0], (DPoint3D{100, 50, 0}));
}
