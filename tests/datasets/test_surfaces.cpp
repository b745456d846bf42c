#include <gtest/gtest.h>

#include "datasets/surfaces.h"
#include "support/record_suite.h"

using namespace qx;
using namespace qx::testing;

namespace {

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

// The point count of the first surface is stored twice; the second copy is read.
constexpr std::size_t kSecondPointCount = 48 + 4 + 5 + 4 * 4 + 4;

struct SurfaceSetRecord {
  using Type = SurfaceSet;
  static constexpr const char* kContext = "the surfaces";
  static Bytes defaultBytes() {
    B b;
    b.f64(1e38).f64(1e38).f64(1e38).f64(-1e38).f64(-1e38).f64(-1e38).i32(0);
    b.str("X Coordinate").i32(1).i32(10).i32(2).str("Y Coordinate").i32(11).i32(10).i32(2);
    return b.str("Elevation").i32(21).i32(10).i32(2);
  }
  static SurfaceSet populated() {
    SurfaceSet set;
    set.minCorner = {1.5, -4.0, 99.25};
    set.maxCorner = {3.0, 2.5, 100.0};
    set.surfaces = {sampleSurface(), Surface()};
    set.surfaces[1].name = "Empty";
    set.fieldPositions = {5, 15, 25};
    set.fieldDecimals = {1, 1, 3};
    return set;
  }
  static std::vector<CountAt> counts() {
    return {{defaultBytes(), 48, "surfaces"}, {store(populated()), kSecondPointCount, "surface points"}};
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Surfaces, RecordSuite, ::testing::Types<SurfaceSetRecord>);

}  // namespace

TEST(SurfaceRecord, PointCountWrittenTwiceAndTheSecondIsRead) {
  B expected;
  expected.str("Topo").raw({0x56, 0x34, 0x12, 0x00}).i32(0).f32(0.5f).i32(1).i32(2).i32(2);
  expected.f32(1.5f).f32(2.5f).f32(100.0f).f32(3.0f).f32(-4.0f).f32(99.25f);
  EXPECT_EQ(store(sampleSurface()), expected.bytes());
  EXPECT_EQ(load<Surface>(expected), sampleSurface());
  EXPECT_EQ(store(Surface()), B().str("").i32(0).i32(1).f32(0.0f).i32(3).i32(0).i32(0).bytes());

  const Surface s = load<Surface>(B().str("s").i32(0).i32(1).f32(0.0f).i32(3).i32(99).i32(1).f32(7).f32(8).f32(9));
  ASSERT_EQ(s.points.size(), 1u);
  EXPECT_EQ(s.pointCount, 1);
  EXPECT_EQ(s.points[0], (FPoint3D{7, 8, 9}));
  const Bytes bytes = store(SurfaceSetRecord::populated());
  EXPECT_EQ(load<SurfaceSet>(patched(bytes, kSecondPointCount - 4, 0x7FFFFFFF)), SurfaceSetRecord::populated())
      << "the first copy is ignored";
}

TEST(SurfaceSetRecord, TheRotationsAreNotInTheRecord) {
  SurfaceSet into;
  into.importRotation.setAngles(1, 2, 3);
  EXPECT_EQ(load(store(SurfaceSetRecord::populated()), into).importRotation.theta(), 1.0);
}
