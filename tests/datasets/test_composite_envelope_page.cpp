// The page of per-envelope composite switches, in the calculation settings
// and as the first page of the composite export.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "io/column_pages.h"

#include "datasets/composite_envelope_page.h"
#include "datasets/composite_export.h"
#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "project/quarlex_settings.h"
#include "scripted_port.h"

using namespace qx;
using qx::test::ScriptedPort;
using Line = CPropPageCompositeEnvelopes::Line;

namespace {

EnvelopeSet threeEnvelopes() {
  EnvelopeSet set;
  for (const char* n : {"North", "South", "Deep"}) {
    Envelope e;
    e.name = n;
    set.envelopes.push_back(e);
  }
  return set;
}

}  // namespace

TEST(CompositeEnvelopePage, TextsSelectAndDeSelect) {
  CPropPageCompositeEnvelopes page({"North", "South", "Deep"}, {1, 0, 2}, true);
  EXPECT_EQ(page.title(), "Composites");
  EXPECT_EQ(page.kind(), "composite_envelopes");
  EXPECT_EQ(CPropPageCompositeEnvelopes::kNameColumn, "Envelope Name");
  EXPECT_EQ(CPropPageCompositeEnvelopes::kUseColumn, "Use Composites?");
  EXPECT_EQ(CPropPageCompositeEnvelopes::kOutsideSwitch, "Use Composites that are not contained in any Envelopes");
  EXPECT_EQ(page.lines(),
            (std::vector<Line>{{"North", "COMPOSITES USED"}, {"South", "NOT USED"}, {"Deep", "NOT USED"}}))
      << "only 1 reads as used";
  EXPECT_TRUE(page.outside());
  EXPECT_EQ(page.selectedLine(), -1);

  page.select();  // nothing selected: nothing happens
  page.deSelect();
  EXPECT_EQ(page.flags(), (std::vector<std::int32_t>{1, 0, 0}));
  page.selectLine(2);
  page.select();
  page.selectLine(0);
  page.deSelect();
  page.deSelect();
  EXPECT_EQ(page.lines(),
            (std::vector<Line>{{"North", "NOT USED"}, {"South", "NOT USED"}, {"Deep", "COMPOSITES USED"}}));
  page.selectLine(3);
  EXPECT_EQ(page.selectedLine(), -1);
  page.select();
  EXPECT_EQ(page.flags(), (std::vector<std::int32_t>{0, 0, 1}));
  page.setOutside(false);
  EXPECT_FALSE(page.outside());

  // Fewer flags than names: the rest read "NOT USED".
  CPropPageCompositeEnvelopes shortFlags({"A", "B"}, {1}, false, "Export");
  EXPECT_EQ(shortFlags.title(), "Export");
  EXPECT_EQ(shortFlags.lines(), (std::vector<Line>{{"A", "COMPOSITES USED"}, {"B", "NOT USED"}}));
}

TEST(CompositeEnvelopePage, UseAndExportPagesReadAndWriteTheirOwnFlags) {
  EnvelopeSet envelopes = threeEnvelopes();
  envelopes.envelopes[1].useComposites = 0;
  envelopes.envelopes[2].exportComposites = 0;
  envelopes.exportOutside = 0;
  CompositeSet composites;
  composites.useOutside = 1;

  auto use = makeCompositeUsePage(envelopes, composites);
  EXPECT_EQ(use->lines(),
            (std::vector<Line>{{"North", "COMPOSITES USED"}, {"South", "NOT USED"}, {"Deep", "COMPOSITES USED"}}));
  EXPECT_TRUE(use->outside());
  use->selectLine(0);
  use->deSelect();
  use->selectLine(1);
  use->select();
  use->setOutside(false);
  applyCompositeUsePage(*use, envelopes, composites);
  EXPECT_EQ(envelopes.envelopes[0].useComposites, 0);
  EXPECT_EQ(envelopes.envelopes[1].useComposites, 1);
  EXPECT_EQ(envelopes.envelopes[2].useComposites, 1);
  EXPECT_EQ(composites.useOutside, 0);
  EXPECT_EQ(envelopes.envelopes[2].exportComposites, 0) << "the export flags are not the page's";
  EXPECT_EQ(envelopes.exportOutside, 0);

  auto exp = makeCompositeExportPage(envelopes);
  EXPECT_EQ(exp->lines(),
            (std::vector<Line>{{"North", "COMPOSITES USED"}, {"South", "COMPOSITES USED"}, {"Deep", "NOT USED"}}));
  EXPECT_FALSE(exp->outside());
  exp->selectLine(2);
  exp->select();
  exp->setOutside(true);
  applyCompositeExportPage(*exp, envelopes);
  EXPECT_EQ(envelopes.envelopes[2].exportComposites, 1);
  EXPECT_EQ(envelopes.exportOutside, 1);
  EXPECT_EQ(envelopes.envelopes[0].useComposites, 0) << "the use flags stay";
  EXPECT_EQ(composites.useOutside, 0);
}

TEST(CompositeEnvelopePage, ExportWritesOnlyTheChosenEnvelopesComposites) {
  QuarlexSettings settings;
  CompositeSet set;
  set.setVariableCounts(0, 0);
  // x < 10: North; 10 <= x < 20: South; 20 <= x < 30: Deep; beyond: outside.
  set.composites = {{"N1", 0, -1, {1, 1, 0}, {}, {}},
                    {"S1", 0, -1, {12, 2, 0}, {}, {}},
                    {"D1", 0, -1, {25, 3, 0}, {}, {}},
                    {"S2", 0, -1, {15.5, 4, 0}, {}, {}},
                    {"OUT", 0, -1, {99, 5, 0}, {}, {}}};
  EnvelopeSet envelopes = threeEnvelopes();
  EnvelopeLocator locate = [](const DPoint3D& p) {
    if (p.x < 30) return EnvelopeHit{static_cast<int>(p.x / 10), 0};
    return EnvelopeHit{};
  };
  const std::string path = (std::filesystem::path(::testing::TempDir()) / "envelope_page_export.cmp").string();
  std::filesystem::remove(path);
  const CompositeExportHooks hooks = compositeExportEnvelopeHooks(envelopes);

  // Cancel: the flags stay as they were.
  ScriptedPort port;
  port.answerSheet([](SheetModel& sheet) {
    auto& page = dynamic_cast<CPropPageCompositeEnvelopes&>(*sheet.pages()[0]);
    page.selectLine(0);
    page.deSelect();
    return false;
  });
  EXPECT_EQ(exportComposites(port, set, settings, envelopes, locate, hooks), -1);
  EXPECT_EQ(envelopes.envelopes[0].exportComposites, 1);

  port.answerSheet([](SheetModel& sheet) {
    EXPECT_EQ(sheet.title(), "Export Composites");
    EXPECT_TRUE(sheet.isWizard());
    EXPECT_EQ(sheet.pages().size(), 2u);
    auto& page = dynamic_cast<CPropPageCompositeEnvelopes&>(*sheet.pages()[0]);
    EXPECT_EQ(
        page.lines(),
        (std::vector<Line>{{"North", "COMPOSITES USED"}, {"South", "COMPOSITES USED"}, {"Deep", "COMPOSITES USED"}}));
    EXPECT_TRUE(page.outside());
    page.selectLine(0);
    page.deSelect();
    page.selectLine(2);
    page.deSelect();
    page.setOutside(false);
    EXPECT_NE(dynamic_cast<CAsciiFormatPage*>(sheet.pages()[1]), nullptr);
    return true;
  });
  port.answerFile(path);
  EXPECT_EQ(exportComposites(port, set, settings, envelopes, locate, hooks), 2);
  EXPECT_TRUE(port.allAnswersUsed());
  EXPECT_EQ(envelopes.envelopes[0].exportComposites, 0);
  EXPECT_EQ(envelopes.envelopes[1].exportComposites, 1);
  EXPECT_EQ(envelopes.envelopes[2].exportComposites, 0);
  EXPECT_EQ(envelopes.exportOutside, 0);
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(),
            "S1             "
            "     12.00"
            "      2.00\n"
            "S2             "
            "     15.50"
            "      4.00\n");
}
