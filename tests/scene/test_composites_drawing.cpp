#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datasets/color_table.h"
#include "datasets/composites.h"
#include "project/quarlex_settings.h"
#include "scene/composites_drawing.h"
#include "support/scripted_port.h"
#include "variables/formula_compiler.h"

using namespace qx;
using qx::test::ScriptedPort;

namespace {

struct Scene {
  gfx::SceneTree tree;
  ScriptedPort port;
  CompositeSet set;
  QuarlexSettings settings;
  CColorTable colours;

  Scene() {
    tree.defineAlias("?Model", "/model");
    settings.loaded = {VariableInfo("Au")};
    VariableInfoCalc twice("Twice");
    twice.formulaCode = "a#2*";
    twice.compiled = compileFormula(twice.formulaCode).block;
    settings.calculated = {twice};
    set.setVariableCounts(1, 1);
    colours.bin(0, 0) = {"Au", "", 0.0, 1.0, 0};
    colours.bin(0, 1) = {"Twice", "", 2.0, 4.0, 0};
  }
  void add(double x, double au) { set.composites.push_back({"c", 0, -1, {x, 0.1, -0.3}, {au}, {0.0}}); }
  gfx::Key bin(int b) const { return tree.findSegment(compositeBinPath(b)); }
  // The user keys of the markers in a bin segment, in insertion order.
  std::vector<gfx::Key> keys(int b) const {
    std::vector<gfx::Key> k;
    for (gfx::Key item : tree.segment(bin(b))->items) k.push_back(tree.item(item)->pickKey());
    return k;
  }
};

}  // namespace

TEST(CompositesDrawing, OneMarkerPerCompositeInItsBinKeyedByIndex) {
  Scene s;
  s.add(0.1, 0.5);   // Au in bin 0
  s.add(2.0, 1.5);   // Twice = 3 in bin 1
  s.add(3.0, 40.0);  // no bin
  s.add(4.0, 0.25);  // bin 0
  processComposites(s.port, s.set, s.settings, s.colours, s.tree);
  for (int b = 0; b < kCompositeBinSegments; ++b) ASSERT_NE(s.bin(b), gfx::kNoKey) << b;
  EXPECT_EQ(s.keys(0), (std::vector<gfx::Key>{0, 3}));
  EXPECT_EQ(s.keys(1), (std::vector<gfx::Key>{1}));
  EXPECT_EQ(s.keys(25), (std::vector<gfx::Key>{2}));
  EXPECT_EQ(s.set.composites[1].calcValues, (std::vector<double>{3.0})) << "calculated values recomputed";
  // Positions rounded to single precision.
  const gfx::Item* first = s.tree.item(s.tree.segment(s.bin(0))->items[0]);
  EXPECT_EQ(std::get<gfx::Marker>(first->geometry).at,
            (DPoint3D{static_cast<double>(0.1f), static_cast<double>(0.1f), static_cast<double>(-0.3f)}));

  // Processing again flushes first: still one marker per composite.
  s.set.composites.pop_back();
  processComposites(s.port, s.set, s.settings, s.colours, s.tree);
  EXPECT_EQ(s.keys(0), (std::vector<gfx::Key>{0}));
  s.set.composites.clear();
  s.port.clearLog();
  processComposites(s.port, s.set, s.settings, s.colours, s.tree);
  EXPECT_TRUE(s.keys(0).empty() && s.keys(1).empty() && s.keys(25).empty());
  EXPECT_TRUE(s.port.log().empty()) << "no progress window for an empty set";
}

TEST(CompositesDrawing, ProgressBarTexts) {
  Scene s;
  for (int i = 0; i < 250; ++i) s.add(i, 0.5);
  processComposites(s.port, s.set, s.settings, s.colours, s.tree);
  const auto& log = s.port.log();
  ASSERT_GE(log.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 6),
            (std::vector<std::string>{"progress open bar", "progress title: Processing Composites",
                                      "progress range: 0 51", "progress step: 1", "progress pos: 0",
                                      "progress text: 250 Composites Left To Process In Model"}));
  // Every 250 / 100 + 1 = 3 composites: at 0, 3, ..., 249.
  std::vector<std::string> texts;
  for (const auto& e : log)
    if (e.starts_with("progress text: ")) texts.push_back(e.substr(15));
  ASSERT_EQ(texts.size(), 1u + 84u);
  EXPECT_EQ(texts[2], "247 Composites Left To Process In Model");
  EXPECT_EQ(texts.back(), "1 Composites Left To Process In Model");
  EXPECT_EQ(log.back(), "progress close");
}

TEST(CompositesDrawing, BinColoursFromTheCurrentTable) {
  Scene s;
  s.colours.bin(2, 4).colour = static_cast<std::int32_t>(makeRgb(255, 0, 0));
  s.colours.currentTable = 2;
  applyCompositeBinColours(s.tree, s.colours);
  const auto red = s.tree.resolvedAttributes(s.bin(4));
  ASSERT_TRUE(red.has_value());
  EXPECT_EQ(red->colorOf(gfx::ColorClass::Markers), (gfx::Rgb{1.0, 0.0, 0.0}));
  EXPECT_EQ(s.bin(25), gfx::kNoKey) << "the unbinned segment is left alone";
}
