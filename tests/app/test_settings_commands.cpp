// "Calculation &Settings" and the two variable-editing commands, driven
// through the document with a scripted port.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/document.h"
#include "datasets/composite_envelope_page.h"
#include "project/calculation_pages.h"
#include "recording_view.h"
#include "scripted_port.h"
#include "variables/variable_edit_dialog.h"
#include "variables/variable_rules.h"

using namespace qx;
using qx::test::RecordingView;
using qx::test::ScriptedPort;

namespace {

struct Project {
  ScriptedPort port;
  ProjectObjects objects;
  CWQuarlexDoc doc{objects, port};
  RecordingView view;

  // Composites at x = 0, 10, 20 (y 0) with Au, Ag, Cu and Th; the
  // calculated AuCu = Au * Cu; thickness from Th.
  Project() {
    doc.setView(&view);
    QuarlexSettings& s = objects.settings;
    for (const char* n : {"Au", "Ag", "Cu", "Th"}) s.loaded.emplace_back(n);
    s.calculated.emplace_back("AuCu");
    s.calculated[0].formulaCode = "a#c*";
    s.calculated[0].compiled.code = {'a', '#', 'c', '*'};
    s.setThicknessVariable(3);
    s.sidesPerPolygon = 4;
    s.defaultPolygonSize = 100.0;
    objects.composites.setVariableCounts(4, 1);
    for (int i = 0; i < 3; ++i) {
      CComposite c;
      c.name = "DH" + std::to_string(i);
      c.position = {10.0 * i, 0.0, 0.0};
      c.values = {1.0 + i, 10.0 + i, 2.0, 5.0};
      objects.composites.composites.push_back(c);
    }
    objects.composites.computeAllCalculatedValues(s);
  }

  void addEnvelope(const char* name, double x0, double x1) {
    Envelope e;
    e.name = name;
    e.contours.push_back({{x0, -5, 0}, {x1, -5, 0}, {x1, 5, 0}, {x0, 5, 0}});
    e.contourCount = 1;
    objects.envelopes.envelopes.push_back(e);
    objects.envelopes.recomputeBoundingBox();
  }

  std::string ownerOf(int composite) {
    const int e = objects.composites.composites[static_cast<std::size_t>(composite)].envelopeIndex;
    return e < 0 ? "none" : objects.envelopes.envelopes[static_cast<std::size_t>(e)].name;
  }
};

template <typename Page>
Page& page(SheetModel& sheet, int i) {
  auto* p = dynamic_cast<Page*>(sheet.pages().at(static_cast<std::size_t>(i)));
  EXPECT_NE(p, nullptr) << i;
  return *p;
}

std::vector<std::string> titles(const SheetModel& sheet) {
  std::vector<std::string> out;
  for (const PageModel* p : sheet.pages()) out.push_back(p->title());
  return out;
}

}  // namespace

TEST(CalculationSettings, WithoutEnvelopesTwoPagesAndOutsideCompositesTakePart) {
  Project p;
  p.objects.composites.useOutside = 0;
  p.port.answerSheet([](SheetModel& sheet) {
    EXPECT_EQ(titles(sheet), (std::vector<std::string>{"General", "Variables"}));
    auto& general = page<CPropPageCalcGeneral>(sheet, 0);
    general.sides = 7;
    general.overwritePolygons = false;
    auto& variables = page<CPropPageCalcVariables>(sheet, 1);
    variables.choose(2);
    variables.maxCutoff = 9.5;
    variables.update();
    return true;
  });
  EXPECT_TRUE(p.doc.onCalculationSettings());
  EXPECT_EQ(p.objects.composites.useOutside, 1) << "set as the sheet opens";
  EXPECT_EQ(p.objects.settings.sidesPerPolygon, 7);
  EXPECT_EQ(p.objects.settings.overwriteExistingPolygons, 0);
  EXPECT_EQ(p.objects.settings.loaded[2].maxCutoff, 9.5);
  EXPECT_TRUE(p.doc.isModified());
  EXPECT_EQ(p.view.events, (std::vector<std::string>{"display changed", "update"}));
}

TEST(CalculationSettings, RaisingAnOverlappingEnvelopeGivesItTheOverlap) {
  Project p;
  p.objects.settings.useFixedThickness = 1;
  p.addEnvelope("West", -5, 15);  // holds composites 0 and 1
  p.addEnvelope("East", 5, 25);   // holds 1 and 2
  ASSERT_EQ(p.doc.onGeneratePolygons().count, 3);
  EXPECT_EQ(p.ownerOf(1), "West") << "the first in the order owns the overlap";

  using Line = CPropPageEnvelopeClipping::Line;
  p.port.answerSheet([](SheetModel& sheet) {
    EXPECT_EQ(titles(sheet), (std::vector<std::string>{"General", "Variables", "Envelopes", "Composites"}));
    auto& clipping = page<CPropPageEnvelopeClipping>(sheet, 2);
    const std::vector<Line> start{{"West", "CLIPPING ACTIVE", "1"}, {"East", "CLIPPING ACTIVE", "2"}};
    clipping.selectLine(0);
    clipping.increase();  // the first line: nothing
    clipping.selectLine(1);
    clipping.decrease();  // the last line: nothing
    EXPECT_EQ(clipping.lines(), start);
    clipping.increase();
    clipping.deSelect();  // the selection moved with East
    EXPECT_EQ(clipping.lines(), (std::vector<Line>{{"East", "NOT USED", "1"}, {"West", "CLIPPING ACTIVE", "2"}}));
    // The composites page keeps the order the sheet opened with: West first.
    auto& use = page<CPropPageCompositeEnvelopes>(sheet, 3);
    use.selectLine(0);
    use.deSelect();
    return true;
  });
  ASSERT_TRUE(p.doc.onCalculationSettings());
  const auto& e = p.objects.envelopes.envelopes;
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].name, "East");
  EXPECT_EQ(std::vector<int>({e[0].clipPolygons, e[1].clipPolygons, e[0].useComposites, e[1].useComposites}),
            std::vector<int>({0, 1, 1, 0}));

  p.objects.envelopes.envelopes[1].useComposites = 1;
  ASSERT_EQ(p.doc.onGeneratePolygons().count, 3);
  EXPECT_EQ(p.ownerOf(1), "East");
  EXPECT_EQ(p.ownerOf(0), "West");
}

TEST(EditVariables, RenameKeepsFormulasAndDeletionFollowsTheRules) {
  Project p;
  p.objects.settings.useFixedThickness = 0;

  // Th carries the thickness and stays; Au is renamed, Ag goes. Colour bins
  // and plot labels follow the rename: Cu, whose place moves, keeps its name.
  p.objects.colorTable.bin(0, 0).variableName = "Au";
  p.objects.colorTable.bin(0, 1).variableName = "Cu";
  p.objects.mapOutput.profiles.resize(1);
  p.objects.mapOutput.profiles[0].polygonLabels.resize(1);
  p.objects.mapOutput.profiles[0].polygonLabels[0].name = "Au";
  p.port.answerDialog([&](DialogModel& m) {
    auto& d = dynamic_cast<CVariableEditDialog&>(m);
    d.select(3);
    EXPECT_FALSE(d.remove(p.port));
    d.select(1);
    EXPECT_TRUE(d.remove(p.port));
    d.select(0);
    EXPECT_TRUE(d.edit(p.port));
    return true;
  });
  p.port.answerDialog([](DialogModel& m) {
    dynamic_cast<NamedEntryDialog&>(m).fieldName = "Gold";
    return true;
  });
  EXPECT_TRUE(p.doc.onEditVariables(VariableKind::Loaded));
  EXPECT_EQ(p.port.messages(), std::vector<std::string>{std::string(varmsg::kDependentThickness)});
  const QuarlexSettings& s = p.objects.settings;
  EXPECT_EQ(s.variableNames(), (std::vector<std::string>{"Gold", "Cu", "Th", "AuCu"}));
  EXPECT_EQ(s.calculated[0].formulaText, "Gold  ENTER  Cu  *  ");
  EXPECT_EQ(s.calculated[0].compiled.codeString(), "a#b*");
  EXPECT_EQ(s.findThicknessVariable(), 2);
  EXPECT_EQ(p.objects.colorTable.bin(0, 0).variableName + "," + p.objects.colorTable.bin(0, 1).variableName + "," +
                p.objects.mapOutput.profiles[0].polygonLabels[0].name,
            "Gold,Cu,Gold");
  const CComposite& c = p.objects.composites.composites[2];
  EXPECT_EQ(c.values, (std::vector<double>{3.0, 2.0, 5.0}));
  EXPECT_EQ(c.calcValues, (std::vector<double>{6.0}));
  EXPECT_TRUE(p.doc.isModified());

  // A new calculated variable enters every composite with its value.
  p.port.answerDialog([&](DialogModel& m) { return dynamic_cast<CVariableEditDialog&>(m).add(p.port); });
  p.port.answerDialog([](DialogModel& m) {
    auto& d = dynamic_cast<CVariableCalculatedDialog&>(m);
    d.fieldName = "Twice";
    d.formula.formulaCode = "a#2*";
    d.formula.compiled.code = {'a', '#', '0', '*'};
    d.formula.compiled.constants[0] = 2.0;
    return true;
  });
  EXPECT_TRUE(p.doc.onEditVariables(VariableKind::Calculated));
  EXPECT_EQ(c.calcValues, (std::vector<double>{6.0, 6.0}));
}
