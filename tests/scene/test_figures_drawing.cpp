// Drawing figures into the scene tree: one segment per figure holding a prism
// over its first pointCount vertices, keyed by the figure's index; the bin
// colour and the display refresh.
#include <gtest/gtest.h>

#include <variant>

#include "datasets/color_table.h"
#include "engine/figures.h"
#include "graphics/scene_tree.h"
#include "scene/figures_drawing.h"
#include "scene/scene_model.h"

using namespace qx;
using gfx::Key;

namespace {

struct Scene {
  gfx::SceneTree tree;
  HoopsModel model;
  CColorTable colours;
  FigureSet set;
  Scene() {
    tree.defineAlias("?Model", "/model");
    Figure a;
    a.name = "a";
    // Counter-clockwise seen from above; the fifth vertex is not used.
    a.outline = {{0, 0, 10}, {4, 0, 10}, {4, 3, 10}, {0, 3, 10}, {99, 99, 99}};
    a.pointCount = 4;
    a.thickness = 2.5;
    a.colour = 3;
    Figure b;
    b.name = "b";
    b.outline = {{10, 10, 0}, {12, 10, 0}, {12, 12, 0}};
    b.pointCount = 3;
    b.thickness = 0.0000001;  // not above the limit: 0.1
    b.colour = 7;
    b.renderingMethod = 0;
    set.figures = {a, b};
  }
  const gfx::Shell& shell(int i, Key* userKey = nullptr) const {
    const auto* seg = tree.segment(model.figureKeys.at(static_cast<std::size_t>(i)));
    EXPECT_NE(seg, nullptr);
    EXPECT_EQ(seg->items.size(), 1u);
    const auto* item = tree.item(seg->items.front());
    if (userKey != nullptr) *userKey = item->hasUserKey ? item->userKey : gfx::kNoKey;
    return std::get<gfx::Shell>(item->geometry);
  }
};

}  // namespace

TEST(FiguresDrawing, PrismOverTheUsedVerticesKeyedByIndex) {
  Scene s;
  drawFigures(s.tree, s.set, s.model, s.colours);
  ASSERT_EQ(s.model.figureKeys.size(), 2u);
  EXPECT_EQ(s.model.figureKeys[0], s.tree.findSegment("/model/figures/figure0"));
  EXPECT_EQ(s.tree.openDepth(), 0u);

  Key key = gfx::kNoKey;
  const gfx::Shell& a = s.shell(0, &key);
  EXPECT_EQ(key, 0);
  // The four used vertices, then the copy moved against the normal (+Z) by
  // the thickness.
  EXPECT_EQ(a.points,
            (std::vector<DPoint3D>{
                {0, 0, 10}, {4, 0, 10}, {4, 3, 10}, {0, 3, 10}, {0, 0, 7.5}, {4, 0, 7.5}, {4, 3, 7.5}, {0, 3, 7.5}}));
  // Top, bottom and four sides.
  EXPECT_EQ(a.faceList.size(), 5u + 5u + 4u * 5u);
  const gfx::Shell& b = s.shell(1, &key);
  EXPECT_EQ(key, 1);
  ASSERT_EQ(b.points.size(), 6u);
  EXPECT_DOUBLE_EQ(b.points[3].z, -0.1);

  // Drawing again replaces the contents; a figure that left the set loses its segment.
  s.set.figures.pop_back();
  drawFigures(s.tree, s.set, s.model, s.colours);
  EXPECT_EQ(s.model.figureKeys.size(), 1u);
  EXPECT_EQ(s.tree.findSegment("?Model/Figures/Figure1"), gfx::kNoKey);
  EXPECT_EQ(s.shell(0).points.size(), 8u);
}

TEST(FiguresDrawing, BinColourAndVisibility) {
  Scene s;
  s.colours.currentTable = 1;
  s.colours.bin(1, 3).colour = static_cast<std::int32_t>(makeRgb(255, 0, 0));
  s.colours.bin(1, 7).colour = static_cast<std::int32_t>(makeRgb(0, 0, 255));
  EXPECT_EQ(figureColourOption(static_cast<std::int32_t>(makeRgb(255, 128, 0))), "Polygons = R=1.000 G=0.502 B=0.000");
  drawFigures(s.tree, s.set, s.model, s.colours);
  auto a = s.tree.resolvedAttributes(s.model.figureKeys[0]);
  auto b = s.tree.resolvedAttributes(s.model.figureKeys[1]);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->colorOf(gfx::ColorClass::Lines), (gfx::Rgb{1.0, 0.0, 0.0}));
  EXPECT_EQ(b->colorOf(gfx::ColorClass::Faces), (gfx::Rgb{0.0, 0.0, 1.0}));
  EXPECT_TRUE(a->isVisible(gfx::Kind::Faces));
  EXPECT_FALSE(b->isVisible(gfx::Kind::Faces));  // "Lines Only"

  // Hidden by its own flag, then by the figures switch.
  s.set.figures[0].visible = 0;
  refreshFigures(s.tree, s.set, s.model, s.colours);
  EXPECT_FALSE(s.tree.resolvedAttributes(s.model.figureKeys[0])->isVisible(gfx::Kind::Lines));
  s.set.figures[0].visible = 1;
  s.model.figuresShown = 0;
  refreshFigures(s.tree, s.set, s.model, s.colours);
  EXPECT_FALSE(s.tree.resolvedAttributes(s.model.figureKeys[0])->isVisible(gfx::Kind::Lines));
  s.model.figuresShown = 1;
  refreshFigures(s.tree, s.set, s.model, s.colours);
  EXPECT_TRUE(s.tree.resolvedAttributes(s.model.figureKeys[0])->isVisible(gfx::Kind::Lines));
}
