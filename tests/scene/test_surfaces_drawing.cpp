#include <gtest/gtest.h>

#include <variant>

#include "datasets/surfaces.h"
#include "scene/surfaces_drawing.h"

using namespace qx;

namespace {

SurfaceSet twoSurfaces() {
  SurfaceSet set;
  Surface square;
  square.name = "Square";
  // Point 4 repeats point 0 in plan: it stays in the point list but is no vertex.
  square.points = {{0, 0, 10}, {2, 0, 11}, {2, 2, 12}, {0, 2, 13}, {0, 0, 99}};
  square.pointCount = 5;
  Surface pair;
  pair.name = "Pair";
  pair.points = {{0, 0, 0}, {1, 1, 1}};
  pair.pointCount = 2;
  set.surfaces = {pair, square};
  return set;
}

const gfx::Shell* onlyShell(const gfx::SceneTree& tree, gfx::Key segment) {
  const gfx::Segment* s = tree.segment(segment);
  if (s == nullptr || s->items.size() != 1) return nullptr;
  return std::get_if<gfx::Shell>(&tree.item(s->items[0])->geometry);
}

}  // namespace

TEST(SurfacesDrawing, OneShellPerSurface) {
  gfx::SceneTree tree;
  tree.defineAlias("?Model", "/model");
  SurfaceSet set = twoSurfaces();
  std::vector<gfx::Key> keys;
  drawSurfaces(tree, set, keys);

  EXPECT_EQ(tree.findSegment("?Model/Surfaces/Surface0"), gfx::kNoKey) << "two points are not drawn";
  const gfx::Key k = tree.findSegment("?Model/Surfaces/Surface1");
  ASSERT_NE(k, gfx::kNoKey);
  EXPECT_EQ(keys, (std::vector<gfx::Key>{gfx::kNoKey, k}));

  const gfx::Shell* shell = onlyShell(tree, k);
  ASSERT_NE(shell, nullptr);
  ASSERT_EQ(shell->points.size(), 5u) << "the shell keeps every input point";
  EXPECT_EQ(shell->points[4], (DPoint3D{0, 0, 99}));
  ASSERT_EQ(shell->faceList.size(), 8u);
  double area = 0;
  for (std::size_t f = 0; f < 8; f += 4) {
    EXPECT_EQ(shell->faceList[f], 3);
    const auto& a = shell->points[shell->faceList[f + 1]];
    const auto& b = shell->points[shell->faceList[f + 2]];
    const auto& c = shell->points[shell->faceList[f + 3]];
    area += ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)) / 2;
  }
  EXPECT_DOUBLE_EQ(area, 4.0);

  // Drawing again replaces the shell; out-of-range indices draw nothing.
  set.surfaces[1].points.pop_back();
  EXPECT_EQ(drawSurface(tree, set, 1, keys), k);
  shell = onlyShell(tree, k);
  ASSERT_NE(shell, nullptr);
  EXPECT_EQ(shell->points.size(), 4u);
  EXPECT_EQ(drawSurface(tree, set, 2, keys), gfx::kNoKey);
  EXPECT_EQ(drawSurface(tree, set, -1, keys), gfx::kNoKey);
}

TEST(SurfacesDrawing, FaceListOfTheTriangles) {
  EXPECT_EQ(surfaceFaceList({4, 5, 6, 0, 1, 2}), (std::vector<int>{3, 4, 5, 6, 3, 0, 1, 2}));
  EXPECT_TRUE(surfaceFaceList({}).empty());
}
