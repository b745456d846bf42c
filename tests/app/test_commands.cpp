#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/commands.h"

using namespace qx;

TEST(MenuTable, MenusComeInTheirOrderAndEveryEntryBelongsToOne) {
  std::vector<std::string_view> titles(menuTitles().begin(), menuTitles().end());
  EXPECT_EQ(titles, (std::vector<std::string_view>{"&File", "&Import/Export", "&Report", "&Edit", "&View", "&Select",
                                                   "&Calculation", "&Options", "&Help"}));
  // Entries are grouped by menu, and the groups follow the menu order.
  size_t menu = 0;
  for (const MenuEntry& e : menuTable()) {
    while (menu < titles.size() && titles[menu] != e.menu) ++menu;
    ASSERT_LT(menu, titles.size()) << "entry out of menu order: " << e.text;
  }
}

TEST(MenuTable, EveryCommandAppearsOnceWithItsPrompt) {
  std::set<CommandId> seen;
  for (const MenuEntry& e : menuTable()) EXPECT_TRUE(seen.insert(e.id).second) << e.text;
  const MenuEntry* gen = findMenuEntry(CommandId::GeneratePolygons);
  ASSERT_NE(gen, nullptr);
  EXPECT_EQ(gen->text, "Generate &Polygons");
  EXPECT_EQ(gen->prompt, "Generate the polygonization for the composites.");
  EXPECT_EQ(findMenuEntry(CommandId::EnvelopeCompositeSurfaceProperties)->text,
            "&Envelope, Composite && Surface Properties...");
}

TEST(EnablingRules, FollowTheProjectState) {
  CommandContext empty;
  CommandContext setUp;
  setUp.loadedVariables = 1;
  EXPECT_FALSE(ruleHolds(EnableRule::SetUp, empty));
  EXPECT_TRUE(ruleHolds(EnableRule::SetUp, setUp));
  CommandContext surfacesOnly;
  surfacesOnly.surfaces = 1;
  EXPECT_TRUE(ruleHolds(EnableRule::AnyInputDataExist, surfacesOnly));
  EXPECT_FALSE(ruleHolds(EnableRule::AnyInputDataExist, setUp));
  EXPECT_FALSE(ruleHolds(EnableRule::FiguresExist, surfacesOnly));
  CommandContext undo;
  undo.undoDepth = 1;
  EXPECT_TRUE(ruleHolds(EnableRule::UndoStackNotEmpty, undo));
  EXPECT_FALSE(ruleHolds(EnableRule::RedoStackNotEmpty, undo));
}

// Each command that needs a dataset is enabled by that dataset alone.
TEST(EnablingRules, EachDatasetCommandFollowsItsOwnDataset) {
  const std::pair<CommandId, int CommandContext::*> cases[] = {
      {CommandId::ExportComposites, &CommandContext::composites},
      {CommandId::ExportEnvelopes, &CommandContext::envelopes},
      {CommandId::ExportFigures, &CommandContext::figures},
      {CommandId::ExportPolygons, &CommandContext::polygons},
      {CommandId::ReportFigures, &CommandContext::figures},
      {CommandId::ReportPolygons, &CommandContext::polygons},
      {CommandId::ReportGradeTonnage, &CommandContext::polygons},
      {CommandId::ReportDeclustering, &CommandContext::polygons},
      {CommandId::ReportCheckData, &CommandContext::composites},
      {CommandId::RecalculateFigures, &CommandContext::figures},
      {CommandId::GeneratePolygons, &CommandContext::composites},
      {CommandId::ClearPolygons, &CommandContext::polygons},
      {CommandId::ViewComposites, &CommandContext::composites},
      {CommandId::ViewPolygons, &CommandContext::polygons},
      {CommandId::ViewEnvelopes, &CommandContext::envelopes},
      {CommandId::ViewFigures, &CommandContext::figures},
      {CommandId::ViewSurfaces, &CommandContext::surfaces},
  };
  int CommandContext::*const datasets[] = {&CommandContext::composites, &CommandContext::envelopes,
                                           &CommandContext::surfaces, &CommandContext::figures,
                                           &CommandContext::polygons};
  for (const auto& [id, own] : cases) {
    for (auto dataset : datasets) {
      CommandContext context;
      context.loadedVariables = 1;
      context.*dataset = 1;
      EXPECT_EQ(isEnabled(id, context), dataset == own) << findMenuEntry(id)->text;
    }
  }
}

// Each switch's check mark follows its own slot; each selection command its own mode.
TEST(CheckMarks, FollowTheShownSwitchesAndTheSelectionMode) {
  const CommandId switches[] = {CommandId::ViewComposites, CommandId::ViewPolygons, CommandId::ViewEnvelopes,
                                CommandId::ViewFigures,    CommandId::ViewSurfaces, CommandId::ViewGrid};
  for (std::size_t i = 0; i < 6; ++i) {
    CommandContext c;
    c.selectionMode = -1;
    c.shown[i] = true;
    for (std::size_t j = 0; j < 6; ++j) EXPECT_EQ(isChecked(switches[j], c), i == j) << i << " " << j;
  }
  const std::pair<CommandId, int> modes[] = {{CommandId::SelectComposites, 0},
                                             {CommandId::SelectFigures, 1},
                                             {CommandId::SelectEnvelopes, 2},
                                             {CommandId::SelectPolygons, 4}};
  for (const auto& [id, mode] : modes) {
    CommandContext c;
    c.selectionMode = mode;
    for (const auto& [other, unused] : modes) EXPECT_EQ(isChecked(other, c), other == id) << mode;
  }
}
