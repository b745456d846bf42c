#include <gtest/gtest.h>

#include "engine/voronoi.h"

TEST(Voronoi, NegativeIndexBuildsNothing) {
  qx::CVoronoi v;
  std::vector<qx::DPoint3D> cell{{1, 2, 3}};
  EXPECT_EQ(v.buildCell(-1, cell), -1);
  EXPECT_TRUE(cell.empty());
}
