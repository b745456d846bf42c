#include <gtest/gtest.h>

#include "datasets/envelopes.h"
#include "datasets/record_testing.h"

using namespace qx;
using namespace qx::testing;

namespace {

// The empty set: counts and settings, then each field as name, decimals,
// width, position, then two rotations.
Bytes emptySetBytes() {
  return B()
      .i32(0)
      .i32(-1)
      .i32(-1)
      .i32(1)
      .i32(1)
      .i32(4)
      .str("Envelope Name")
      .i32(0)
      .i32(0)
      .i32(1)
      .str("X Coordinate")
      .i32(2)
      .i32(10)
      .i32(2)
      .str("Y Coordinate")
      .i32(2)
      .i32(10)
      .i32(12)
      .str("Z Coordinate")
      .i32(2)
      .i32(10)
      .i32(22)
      .add(zeroRotation())
      .add(zeroRotation());
}

Envelope sampleEnvelope() {
  Envelope e;
  e.name = "Main Zone";
  e.renderingMethod = 2;
  e.contourCount = 2;
  e.colour = static_cast<std::int32_t>(makeRgb(10, 20, 30));
  e.visible = 0;
  e.clipPolygons = 0;
  e.useComposites = 0;
  e.exportComposites = 0;
  e.reservedFlag = 5;
  e.exportEnvelope = 0;
  e.transparency = 0.3f;
  e.density = 2.65;
  e.contours = {{{0, 0, 0}, {10, 0, 0}, {10, 10, -5}}, {{-4, 2, 1}, {1, 1, 1}}};
  e.recomputeBoundingBox();
  return e;
}

EnvelopeSet populatedSet() {
  EnvelopeSet set;
  set.currentEnvelope = 1;
  set.currentContour = 0;
  set.reservedSetting = 0;
  set.exportOutside = 0;
  set.envelopes = {sampleEnvelope(), Envelope()};
  set.envelopes[1].name = "two";
  set.envelopes[1].contours = {{}};  // a contour without points
  set.envelopes[1].contourCount = 1;
  set.fields[0].length = 20;
  set.fields[0].position = 10;
  set.importRotation.setAngles(0.0, 0.0, 45.0);
  set.secondRotation.setCentre({-1.0, 0.0, 0.0});
  set.recomputeBoundingBox();
  return set;
}

}  // namespace

TEST(EnvelopeSetRecord, EmptySetIsGolden) {
  EXPECT_EQ(store(EnvelopeSet()), emptySetBytes());
  const EnvelopeSet loaded = load<EnvelopeSet>(emptySetBytes(), populatedSet());
  EXPECT_EQ(loaded.count(), 0) << "a load replaces the envelopes";
  EXPECT_EQ(loaded.fields, EnvelopeSet().fields);
  // With no envelopes the box after a load is the +-1e37 start.
  EXPECT_EQ(loaded.minCorner, (DPoint3D{1e37, 1e37, 1e37}));
}

TEST(EnvelopeRecord, FieldOrderIsGolden) {
  EXPECT_EQ(
      store(Envelope()),
      B().str("").i32(0).i32(0).i32(0).i32(1).i32(1).i32(1).i32(1).i32(1).i32(1).f32(0.0f).f64(2.0).i32(0).bytes());
  EXPECT_EQ(Envelope::kMinRecordBytes, store(Envelope()).size());
  B b;
  b.str("Main Zone").i32(2).i32(2).raw({10, 20, 30, 0}).i32(0).i32(0).i32(0).i32(0).i32(5).i32(0).f32(0.3f).f64(2.65);
  b.i32(2).i32(3).f64(0).f64(0).f64(0).f64(10).f64(0).f64(0).f64(10).f64(10).f64(-5);
  b.i32(2).f64(-4).f64(2).f64(1).f64(1).f64(1).f64(1);
  EXPECT_EQ(store(sampleEnvelope()), b.bytes());
  const Envelope loaded = load<Envelope>(b.bytes());
  EXPECT_EQ(loaded, sampleEnvelope());
  EXPECT_EQ(loaded.minCorner, (DPoint3D{-4, 0, -5}));
  EXPECT_EQ(loaded.maxCorner, (DPoint3D{10, 10, 1}));
}

TEST(EnvelopeSetRecord, PopulatedSetRoundTrips) {
  const EnvelopeSet set = populatedSet();
  const Bytes bytes = store(set);
  const Bytes head = B().i32(2).i32(1).i32(0).i32(0).i32(0).str("Main Zone");
  EXPECT_TRUE(startsWith(bytes, head));
  const EnvelopeSet loaded = load<EnvelopeSet>(bytes);
  EXPECT_EQ(loaded, set);
  EXPECT_EQ(loaded.minCorner, (DPoint3D{-4, 0, -5}));
  EXPECT_EQ(loaded.maxCorner, (DPoint3D{10, 10, 1}));
  EXPECT_EQ(store(loaded), bytes);
}

TEST(EnvelopeSetRecord, FieldCountIsTakenAsStored) {
  EnvelopeSet set;
  set.fields.push_back({"Extra", 40, 5, 1});
  const EnvelopeSet loaded = load<EnvelopeSet>(store(set));
  ASSERT_EQ(loaded.fields.size(), 5u);
  EXPECT_EQ(loaded.fields[4], (ColumnField{"Extra", 40, 5, 1}));
}

TEST(EnvelopeSetRecord, HostileInputFails) {
  const Bytes bytes = store(populatedSet());
  expectEveryPrefixFails<EnvelopeSet>(bytes);
  const Bytes empty = emptySetBytes();
  expectLoadFails<EnvelopeSet>(patched(empty, 0, 0x7FFFFFFF));
  expectLoadFails<EnvelopeSet>(patched(empty, 0, 0xFFFFFFFF));
  expectLoadFails<EnvelopeSet>(patched(empty, 20, 0x7FFFFFFF));  // field count
  expectLoadFails<EnvelopeSet>(patched(empty, 20, 0xFFFFFFFF));
  // Inside the first envelope: its number of contours, then a point count.
  const std::size_t contours = 20 + 10 + 9 * 4 + 4 + 8;
  expectLoadFails<EnvelopeSet>(patched(bytes, contours, 0x7FFFFFFF));
  expectLoadFails<EnvelopeSet>(patched(bytes, contours, 0xFFFFFFFF));
  expectLoadFails<EnvelopeSet>(patched(bytes, contours + 4, 0x7FFFFFFF));
  expectLoadFails<EnvelopeSet>(patched(bytes, contours + 4, 0xFFFFFFFF));
  EXPECT_EQ(load<EnvelopeSet>(bytes), populatedSet()) << "the offsets above hit the counts";
}

TEST(EnvelopeSetExtents, FromContourPointsNeutralWhenEmpty) {
  EXPECT_EQ(EnvelopeSet().extents().min, (DPoint3D{1e37, 1e37, 1e37}));
  EXPECT_EQ(EnvelopeSet().extents().max, (DPoint3D{-1e37, -1e37, -1e37}));
  EnvelopeSet set = populatedSet();
  set.minCorner = {};  // stale fields are not used
  EXPECT_EQ(set.extents().min, (DPoint3D{-4, 0, -5}));
  EXPECT_EQ(set.extents().max, (DPoint3D{10, 10, 1}));
}

TEST(EnvelopeSet, DefaultsAndReset) {
  EnvelopeSet set = populatedSet();
  set.reset();
  EXPECT_EQ(set, EnvelopeSet());
  EXPECT_EQ(set.minCorner, (DPoint3D{999999, 999999, 999999}));
  EXPECT_EQ(set.currentEnvelope, -1);
  const Envelope e;
  EXPECT_EQ(e.density, 2.0);
  EXPECT_EQ(e.reservedFlag, 1);
  EXPECT_EQ(e.minCorner.x, 1e37);
}
