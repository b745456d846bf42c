// io/columns.h comes first: see the note on ColumnField in envelopes.h.
#include "io/column_pages.h"
//
#include <gtest/gtest.h>

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
using qx::test::ScriptedPort;

namespace {

// One contour a line: its header, then its points.
const std::string kNamedFile =
    "1 0000   A\n2      0.00      0.00\n2     10.00      0.00\n2     10.00     10.00\n"
    "1 0000   B\n2    100.00    100.00\n2    110.00    100.00\n2    110.00    110.00\n"
    "1 0001   A\n2     20.00     20.00\n2     30.00     20.00\n2     30.00     30.00\n"
    "1 0002\n2     50.00     50.00\n2     60.00     50.00\n2     60.00     60.00\n";

// The wizard: names at column 10, 20 wide; `rotate` ticks the rotation option.
ScriptedPort::SheetAnswer namesAt10(bool rotate = false) {
  return [=](SheetModel& sheet) {
    auto& s = dynamic_cast<CFileLoadPropertySheet&>(sheet);
    s.first().fields.at(0).position = 10;  // the envelope name
    s.first().fields.at(0).length = 20;
    s.first().rotate = rotate;
    return true;
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
  void existing(std::initializer_list<const char*> names) {
    for (const char* n : names) set.envelopes.emplace_back().name = n;
  }
  EnvelopeLoadResult load(const RotationEditor& editor = {}) { return loadEnvelopes(port, set, settings, editor); }
};

}  // namespace

TEST(EnvelopeImport, NamedFileOneDialogPerNameAndHeaderRules) {
  Fixture f;
  const std::string path = writeTemp("named.dig", kNamedFile);
  f.port.answerFile(path);
  f.port.answerSheet(namesAt10());
  std::vector<std::string> shown;
  f.port.answerDialog([&](DialogModel& m) {
    auto& d = dynamic_cast<CEnvelopePropertiesDialog&>(m);
    shown.push_back(d.name());
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

  EXPECT_EQ(shown, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(f.settings.lastEnvelopeFile, path);

  ASSERT_EQ(f.set.count(), 2);
  const Envelope& a = f.set.envelopes[0];
  const Envelope& b = f.set.envelopes[1];
  EXPECT_EQ(std::tuple(a.name, a.density, a.colour), std::tuple("Alpha", 3.5, 0xFF));
  EXPECT_EQ(std::tuple(b.name, b.density), std::tuple("B", 2.7)) << "the project's default density";
  // File name "A" maps to "Alpha"; the blank header goes to the last envelope.
  ASSERT_EQ(a.contourCount, 2);
  EXPECT_EQ(a.contours.at(1)[0], (DPoint3D{20, 20, 0}));
  ASSERT_EQ(b.contourCount, 2);
  EXPECT_EQ(b.contours[1][2], (DPoint3D{60, 60, 0}));
  EXPECT_EQ(f.set.maxCorner, (DPoint3D{110, 110, 0}));
  EXPECT_EQ(f.port.log().front(),
            "file open: Open Envelope Datafile [Envelope Dataset Files (*.dig)|*.dig|All Files (*.*)|*.*||]");
}

TEST(EnvelopeImport, NoNamesPutsEveryContourInTheOneEnvelope) {
  Fixture f;
  f.settings.projectType = kProject3D;
  f.existing({"Old"});
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
  EXPECT_EQ(f.set.envelopes[1].contours, (std::vector<Contour>{{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{9, 9, 9}}}));
  EXPECT_EQ(f.set.field("Z Coordinate")->length, 1);
}

TEST(EnvelopeImport, MergeGivesDensityAndColourAndAddsContours) {
  Fixture f;
  f.existing({"A"});
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
  EXPECT_EQ(std::tuple(f.set.envelopes[0].density, f.set.envelopes[0].colour), std::tuple(4.25, 0xFF0000));
  EXPECT_EQ(f.set.envelopes[0].contourCount, 2);
}

TEST(EnvelopeImport, BlankHeaderNamesGoToTheLastEnvelope) {
  Fixture f;
  f.existing({"First", "Second"});
  // The blank header goes to the last envelope ("New"); "Other" maps to the
  // name given in its dialog.
  f.port.answerFile(
      writeTemp("blank.dig", "1 0000   First\n2 1\n1 0001   \n2 2\n1 0002   First\n2 3\n1 0003   Other\n2 4\n"));
  f.port.answerSheet(namesAt10());
  f.port.answerDialog(properties("First", 1, 0));         // in use: not merged
  f.port.answerMessage(MessageAnswer::No);                // keeps the dialog open
  f.port.answerDialog(properties("First", 1, 0, false));  // Cancel: a second "First" is added
  f.port.answerDialog(properties("New", 1, 0));
  ASSERT_EQ(f.load(), EnvelopeLoadResult::Loaded);
  ASSERT_EQ(f.set.count(), 4);
  EXPECT_EQ(std::tuple(f.set.envelopes[2].name, f.set.envelopes[3].name), std::tuple("First", "New"));
  // "First" by name is envelope 0, and the file name "First" maps to the final
  // name "First", whose first bearer is envelope 0 too (not the one just added).
  EXPECT_EQ(f.set.envelopes[0].contours.size(), 2u);
  // The blank one, and "Other" (mapped to "New").
  EXPECT_EQ(f.set.envelopes[3].contours, (std::vector<Contour>{{{2, 0, 0}}, {{4, 0, 0}}}));
}

TEST(EnvelopeImport, NoHeaderWarnsAndCutsBack) {
  Fixture f;
  f.existing({"Keep"});
  const Bytes before = store(f.set);
  f.port.answerFile(writeTemp("noheader.dig", "2      10.00      0.00\nnothing\n"));
  f.port.answerSheet([](SheetModel&) { return true; });
  f.port.answerDialog(properties("Dropped", 1, 0));
  ASSERT_EQ(f.load(), EnvelopeLoadResult::NoEnvelopes);
  EXPECT_EQ(f.port.log().back(),
            "message warning ok -> ok: No valid m_aEnvelopes were found in the selected file.\n"
            "Please check that the file is a properly formatted envelope file.");
  EXPECT_EQ(store(f.set), before);
}

TEST(EnvelopeImport, RepeatedPointsGo) {
  Fixture f;
  f.settings.defaultPolygonSize = 1e6;  // tolerance 1e-3
  f.port.answerFile(writeTemp("rep.dig",
                              "1 0000   A\n2      0.00      0.00\n2    0.0005      0.00\n2     10.00      0.00\n"
                              "2     10.00     10.00\n2      0.00      0.00\n"));
  f.port.answerSheet(namesAt10());
  f.port.answerDialog(properties("A", 1, 0));
  ASSERT_EQ(f.load(), EnvelopeLoadResult::Loaded);
  EXPECT_EQ(f.set.envelopes[0].contours[0], (Contour{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 0, 0}}));
}

TEST(EnvelopeImport, DefaultRotationEditorIsTheRotationDialogAndItsRotationApplies) {
  Fixture f;
  f.port.answerFile(writeTemp("rotdlg.dig", kNamedFile));
  f.port.answerSheet(namesAt10(true));
  f.port.answerDialog([](DialogModel& m) {
    dynamic_cast<CDialogRotationParams&>(m).centre = {0, 50, 0};
    return true;
  });
  f.port.answerDialog(properties("A", 1, 0));
  f.port.answerDialog(properties("B", 1, 0));
  ASSERT_EQ(f.load(), EnvelopeLoadResult::Loaded);
  // Zero angles about (0, 50, 0): every point moves by -50 in y.
  EXPECT_EQ(f.set.envelopes[1].contours[0][0], (DPoint3D{100, 50, 0}));
  EXPECT_EQ(f.set.minCorner.y, -50);
}
