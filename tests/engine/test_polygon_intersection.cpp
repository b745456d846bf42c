#include <gtest/gtest.h>

#include "engine/polygon_intersection.h"

TEST(PolygonIntersection, Placeholder) {
  EXPECT_EQ(qx::intersectPolygons({}, {}).pieces.size(), 0u);
}
