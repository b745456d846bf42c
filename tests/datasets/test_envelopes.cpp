#include <gtest/gtest.h>

#include "datasets/envelopes.h"
#include "support/record_suite.h"

using namespace qx;
using namespace qx::testing;

namespace {

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

// The first envelope's number of contours, then its first point count.
constexpr std::size_t kContours = 20 + 10 + 9 * 4 + 4 + 8;

// The empty set: counts and settings, then each field as name, decimals,
// width, position, then two rotations.
struct EnvelopeSetRecord {
  using Type = EnvelopeSet;
  static constexpr const char* kContext = "the envelopes";
  static Bytes defaultBytes() {
    B b;
    b.i32(0).i32(-1).i32(-1).i32(1).i32(1).i32(4).str("Envelope Name").i32(0).i32(0).i32(1);
    b.str("X Coordinate").i32(2).i32(10).i32(2).str("Y Coordinate").i32(2).i32(10).i32(12);
    b.str("Z Coordinate").i32(2).i32(10).i32(22).add(zeroRotation()).add(zeroRotation());
    return b;
  }
  static EnvelopeSet populated() {
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
    set.fields.push_back({"Extra", 40, 5, 1});  // the field count is taken as stored
    set.importRotation.setAngles(0.0, 0.0, 45.0);
    set.secondRotation.setCentre({-1.0, 0.0, 0.0});
    set.recomputeBoundingBox();
    return set;
  }
  static std::vector<CountAt> counts() {
    const Bytes populatedBytes = store(populated());
    return {{defaultBytes(), 0, "envelopes"},
            {defaultBytes(), 20, "fields"},
            {populatedBytes, kContours, "contours"},
            {populatedBytes, kContours + 4, "contour points"}};
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Envelopes, RecordSuite, ::testing::Types<EnvelopeSetRecord>);

}  // namespace

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
  // The set: count, current envelope and contour, two settings, then the envelopes.
  EXPECT_TRUE(
      startsWith(store(EnvelopeSetRecord::populated()), B().i32(2).i32(1).i32(0).i32(0).i32(0).str("Main Zone")));
}

TEST(EnvelopeSetExtents, FromContourPointsNeutralWhenEmpty) {
  EnvelopeSet set = EnvelopeSetRecord::populated();
  set.minCorner = {};  // stale fields are not used
  EXPECT_EQ(set.extents().min, (DPoint3D{-4, 0, -5}));
  EXPECT_EQ(set.extents().max, (DPoint3D{10, 10, 1}));
}
