#include <gtest/gtest.h>

#include "datasets/record_testing.h"
#include "datasets/surfaces.h"

using namespace qx;
using namespace qx::testing;

namespace {

Bytes emptySetBytes() {
  return B()
      .f64(1e38)
      .f64(1e38)
      .f64(1e38)
      .f64(-1e38)
      .f64(-1e38)
      .f64(-1e38)
      .i32(0)
      .str("X Coordinate")
      .i32(1)
      .i32(10)
      .i32(2)
      .str("Y Coordinate")
      .i32(11)
      .i32(10)
      .i32(2)
      .str("Elevation")
      .i32(21)
      .i32(10)
      .i32(2);
}

Surface sampleSurface() {
  Surface s;
  s.name = "Topo";
  s.colour = 0x00123456;
  s.visible = 0;
  s.transparency = 0.5f;
  s.renderingMethod = 1;
  s.points = {{1.5f, 2.5f, 100.0f}, {3.0f, -4.0f, 99.25f}};
  s.pointCount = 2;
  return s;
}

SurfaceSet populatedSet() {
  SurfaceSet set;
  set.minCorner = {1.5, -4.0, 99.25};
  set.maxCorner = {3.0, 2.5, 100.0};
  set.surfaces = {sampleSurface(), Surface()};
  set.surfaces[1].name = "Empty";
  set.fieldPositions = {5, 15, 25};
  set.fieldDecimals = {1, 1, 3};
  return set;
}

}  // namespace

TEST(SurfaceSetRecord, EmptySetIsGolden) {
  EXPECT_EQ(store(SurfaceSet()), emptySetBytes());
  EXPECT_EQ(load<SurfaceSet>(emptySetBytes(), populatedSet()), SurfaceSet()) << "a load replaces the set";
}

TEST(SurfaceRecord, PointCountWrittenTwice) {
  const Bytes expected = B().str("Topo")
                             .raw({0x56, 0x34, 0x12, 0x00})
                             .i32(0)
                             .f32(0.5f)
                             .i32(1)
                             .i32(2)
                             .i32(2)
                             .f32(1.5f)
                             .f32(2.5f)
                             .f32(100.0f)
                             .f32(3.0f)
                             .f32(-4.0f)
                             .f32(99.25f);
  EXPECT_EQ(store(sampleSurface()), expected);
  EXPECT_EQ(load<Surface>(expected), sampleSurface());
  EXPECT_EQ(store(Surface()), B().str("").i32(0).i32(1).f32(0.0f).i32(3).i32(0).i32(0).bytes());
}

TEST(SurfaceRecord, TheSecondCountIsTheOneRead) {
  const Bytes bytes = B().str("s").i32(0).i32(1).f32(0.0f).i32(3).i32(99).i32(1).f32(7).f32(8).f32(9);
  const Surface s = load<Surface>(bytes);
  ASSERT_EQ(s.points.size(), 1u);
  EXPECT_EQ(s.pointCount, 1);
  EXPECT_EQ(s.points[0], (FPoint3D{7, 8, 9}));
}

TEST(SurfaceSetRecord, PopulatedSetRoundTripsKeepingRotations) {
  const SurfaceSet set = populatedSet();
  const Bytes bytes = store(set);
  SurfaceSet into;
  into.importRotation.setAngles(1, 2, 3);
  SurfaceSet loaded = load(bytes, into);
  EXPECT_EQ(loaded.importRotation.theta(), 1.0) << "the rotations are not in the record";
  loaded.importRotation = CParamsRotation();
  EXPECT_EQ(loaded, set);
  EXPECT_EQ(store(loaded), bytes);
  EXPECT_EQ(loaded.count(), 2);
}

TEST(SurfaceSetRecord, HostileInputFails) {
  const Bytes bytes = store(populatedSet());
  expectEveryPrefixFails<SurfaceSet>(bytes);
  expectLoadFails<SurfaceSet>(patched(emptySetBytes(), 48, 0x7FFFFFFF));
  expectLoadFails<SurfaceSet>(patched(emptySetBytes(), 48, 0xFFFFFFFF));
  const std::size_t second = 48 + 4 + 5 + 4 * 4 + 4;  // second copy of the first surface's point count
  expectLoadFails<SurfaceSet>(patched(bytes, second, 0x7FFFFFFF));
  expectLoadFails<SurfaceSet>(patched(bytes, second, 0xFFFFFFFF));
  EXPECT_EQ(load<SurfaceSet>(patched(bytes, second - 4, 0x7FFFFFFF)), populatedSet()) << "the first copy is ignored";
}

TEST(SurfaceSet, DefaultsAndReset) {
  SurfaceSet set = populatedSet();
  set.reset();
  EXPECT_EQ(set, SurfaceSet());
  EXPECT_EQ(set.minCorner.x, 1e38);
  EXPECT_EQ(Surface().renderingMethod, 3);
}
