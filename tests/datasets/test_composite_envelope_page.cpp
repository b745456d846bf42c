// The page of per-envelope composite switches, in the calculation settings
// and as the first page of the composite export.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "io/column_pages.h"

#include "datasets/composite_envelope_page.h"
#include "datasets/composite_export.h"
#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "project/quarlex_settings.h"
#include "scripted_port.h"
#include "test_files.h"

using namespace qx;
using qx::test::ScriptedPort;
using Line = CPropPageCompositeEnvelopes::Line;

namespace {

EnvelopeSet threeEnvelopes() {
  EnvelopeSet set;
  for (const char* n : {"North", "South", "Deep"}) set.envelopes.emplace_back().name = n;
  return set;
}

}  // namespace

TEST(CompositeEnvelopePage, TextsSelectAndDeSelect) {
  CPropPageCompositeEnvelopes page({"North", "South", "Deep"}, {1, 0, 2}, true);
  EXPECT_EQ(page.title(), "Composites");
  EXPECT_EQ(page.lines(),
            (std::vector<Line>{{"North", "COMPOSITES USED"}, {"South", "NOT USED"}, {"Deep", "NOT USED"}}))
      << "only 1 reads as used";
  page.select();  // nothing selected: nothing happens
  page.deSelect();
  EXPECT_EQ(page.flags(), (std::vector<std::int32_t>{1, 0, 0}));
  page.selectLine(2);
  page.select();
  page.selectLine(0);
  page.deSelect();
  page.selectLine(3);  // past the end: no line
  page.select();
  EXPECT_EQ(page.flags(), (std::vector<std::int32_t>{0, 0, 1}));

  CPropPageCompositeEnvelopes shortFlags({"A", "B"}, {1}, false, "Export");
  EXPECT_EQ(shortFlags.title(), "Export");
  EXPECT_EQ(shortFlags.lines(), (std::vector<Line>{{"A", "COMPOSITES USED"}, {"B", "NOT USED"}}));
}

TEST(CompositeEnvelopePage, TheUsePageReadsAndWritesItsOwnFlags) {
  EnvelopeSet envelopes = threeEnvelopes();
  envelopes.envelopes[1].useComposites = 0;
  envelopes.envelopes[2].exportComposites = 0;
  envelopes.exportOutside = 0;
  CompositeSet composites;
  composites.useOutside = 1;

  auto use = makeCompositeUsePage(envelopes, composites);
  EXPECT_EQ(use->flags(), (std::vector<std::int32_t>{1, 0, 1}));
  EXPECT_TRUE(use->outside());
  use->selectLine(1);
  use->select();
  use->setOutside(false);
  applyCompositeUsePage(*use, envelopes, composites);
  EXPECT_EQ(envelopes.envelopes[1].useComposites, 1);
  EXPECT_EQ(composites.useOutside, 0);
  EXPECT_EQ(envelopes.envelopes[2].exportComposites, 0) << "the export flags are not the page's";
  EXPECT_EQ(envelopes.exportOutside, 0);
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
    return p.x < 30 ? EnvelopeHit{static_cast<int>(p.x / 10), 0} : EnvelopeHit{};
  };
  const std::string path = (std::filesystem::path(::testing::TempDir()) / "envelope_page_export.cmp").string();
  const CompositeExportHooks hooks = compositeExportEnvelopeHooks(envelopes);
  ScriptedPort port;
  port.answerSheet([](SheetModel& sheet) {
    auto& page = dynamic_cast<CPropPageCompositeEnvelopes&>(*sheet.pages()[0]);
    EXPECT_EQ(page.flags(), (std::vector<std::int32_t>{1, 1, 1}));
    EXPECT_TRUE(page.outside());
    page.selectLine(0);
    page.deSelect();
    page.selectLine(2);
    page.deSelect();
    page.setOutside(false);
    return true;
  });
  port.answerFile(path);
  EXPECT_EQ(exportComposites(port, set, settings, envelopes, locate, hooks), 2);
  EXPECT_EQ(envelopes.envelopes[0].exportComposites, 0);
  EXPECT_EQ(envelopes.exportOutside, 0);
  EXPECT_EQ(qx::test::readFile(path),
            "S1             "
            "     12.00"
            "      2.00\n"
            "S2             "
            "     15.50"
            "      4.00\n");
}
