#include <gtest/gtest.h>

#include <cmath>

#include "sections/rotation.h"
#include "sections/sections.h"
#include "support/record_suite.h"

using namespace qx;
using namespace qx::testing;

namespace {

// The default section, byte by byte: empty name; azimuth 0; dip -90
// (0xC2B40000); field 100 x 100 (0x42C80000); code 1; target, slab and
// reference point zero.
const Bytes kDefaultSection = {0x00,                                                         // name
                               0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xB4, 0xC2,               // azimuth, dip
                               0x00, 0x00, 0xC8, 0x42, 0x00, 0x00, 0xC8, 0x42,               // width, height
                               0x01, 0x00, 0x00, 0x00,                                       // orientation
                               0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0,   // target
                               0,    0,    0,    0,    0,    0,    0,    0,                  // slab front, back
                               0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0};  // reference point

// The distance from `p` to (x, y, z).
double off(const DPoint3D& p, double x, double y, double z) { return std::hypot(p.x - x, p.y - y, p.z - z); }

Section sample(const char* name, float azimuth, float dip) {
  Section s;
  s.name = name;
  s.azimuth = azimuth;
  s.dip = dip;
  s.fieldWidth = 250.5f;
  s.fieldHeight = 120.25f;
  s.orientation = -1;
  s.target = {1.5f, -2.5f, 3.0f};
  s.slabFront = 10.0f;
  s.slabBack = 4.0f;
  s.referencePoint = {7.0f, 8.0f, -9.0f};
  return s;
}

struct SectionSetRecord {
  using Type = SectionSet;
  static constexpr const char* kContext = "the sections";
  static Bytes defaultBytes() { return B().i32(0).i32(-1).i32(-1).i32(0).i32(0).add(kDefaultSection); }
  static SectionSet populated() {
    SectionSet set;
    set.current = sample("now", 30.0f, -45.0f);
    set.createStandardSections();
    set.addNamed(sample("S1.5", 90.0f, 0.0f));
    for (int i = 0; i < 3; ++i) {
      set.current.azimuth = static_cast<float>(i);
      set.recordCurrentView();
    }
    set.goBack();
    return set;
  }
  static std::vector<CountAt> counts() {
    return {{defaultBytes(), 0, "named sections"},
            {defaultBytes(), 12, "sections in the history"},
            {defaultBytes(), 16, "sections in the history"}};
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Sections, RecordSuite, ::testing::Types<SectionSetRecord>);

}  // namespace

TEST(SectionRecord, DefaultSectionIsGolden) {
  EXPECT_EQ(Section::kMinRecordBytes, kDefaultSection.size());
  EXPECT_EQ(store(Section()), kDefaultSection);
}

TEST(SectionRecord, PopulatedSectionFieldOrder) {
  B expected;
  expected.str("S1").f32(45.0f).f32(-25.0f).f32(250.5f).f32(120.25f).i32(-1);
  expected.f32(1.5f).f32(-2.5f).f32(3.0f).f32(10.0f).f32(4.0f).f32(7.0f).f32(8.0f).f32(-9.0f);
  EXPECT_EQ(store(sample("S1", 45.0f, -25.0f)), expected.bytes());
}

TEST(SectionSetRecord, PopulatedSetLayout) {
  const Bytes bytes = store(SectionSetRecord::populated());
  // named count, back index, forward index, then the first named section.
  const Bytes head = B().i32(11).i32(1).i32(0).str("ORTHO-045");
  EXPECT_TRUE(startsWith(bytes, head));
  // Five int32, fifteen sections of 53 bytes plus their names: the ten
  // standard ones, "S1.5", and "now" in the three history entries and as current.
  EXPECT_EQ(bytes.size(), 5u * 4 + 15 * 53 + (4 * 9 + 12 + 4 + 4 * 8) + 4 + 4 * 3);
}

TEST(SectionOrientation, CodesUseExactComparisons) {
  struct Case {
    float azimuth, dip;
    int code;
  } cases[] = {{123.0f, 90.0f, 0}, {17.0f, -90.0f, 0}, {360.0f, 0.0f, 1},  {-180.0f, 0.0f, 1},
               {0.0f, 0.0f, 1},    {-90.0f, 0.0f, 2},  {270.0f, 0.0f, 2},  {-270.0f, 0.0f, -1},
               {450.0f, 0.0f, -1}, {0.0f, 0.5f, -1},   {90.0f, -89.9f, -1}};
  for (const auto& c : cases) {
    Section s;
    s.azimuth = c.azimuth;
    s.dip = c.dip;
    EXPECT_EQ(s.computeOrientation(), c.code) << c.azimuth << " " << c.dip;
    EXPECT_EQ(s.orientation, c.code);
  }
}

TEST(SectionDirection, PointsAlongAzimuthAndDip) {
  Section s;
  s.azimuth = 90.0f;
  s.dip = 0.0f;
  EXPECT_LT(off(s.viewDirection(), 1, 0, 0), 1e-9);
  s.dip = -90.0f;
  EXPECT_LT(off(s.viewDirection(), 0, 0, -1), 1e-9);
}

TEST(SectionSetOperations, StandardSectionsFromTheCurrentTemplate) {
  SectionSet set;
  set.current = sample("tmpl", 1.0f, 2.0f);
  set.current.orientation = 7;
  set.createStandardSections();
  ASSERT_EQ(set.count(), 10);
  const char* names[] = {"ORTHO-045", "ORTHO-135", "ORTHO-225", "ORTHO-315", "Reverse-PLAN",
                         "PLAN",      "SIDE-000",  "SIDE-090",  "SIDE-180",  "SIDE-270"};
  const float az[] = {45, 135, 225, 315, 0, 0, 0, 90, 180, 270};
  const float dip[] = {-25, -25, -25, -25, 90, -90, 0, 0, 0, 0};
  for (int i = 0; i < 10; ++i) {
    Section want;  // the default field, target and slab; the orientation copied, not recomputed
    want.name = names[i];
    want.azimuth = az[i];
    want.dip = dip[i];
    want.orientation = 7;
    EXPECT_EQ(set.named[static_cast<std::size_t>(i)], want) << i;
  }
  EXPECT_EQ(set.findNamed("PLAN"), 5);
  EXPECT_EQ(set.findNamed("plan"), -1);
}

TEST(SectionSetOperations, BackAndForwardHistoriesKeepTheLast25) {
  SectionSet set;
  EXPECT_EQ(set.goForward(), 0);
  for (int i = 0; i < 30; ++i) {
    set.current.azimuth = static_cast<float>(i);
    set.recordCurrentView();
  }
  ASSERT_EQ(set.back.size(), 25u);
  EXPECT_EQ(set.back.front().azimuth, 5.0f);
  set.current.azimuth = 30.0f;
  for (int i = 0; i < 25; ++i) EXPECT_EQ(set.goBack(), 1) << i;
  EXPECT_EQ(set.backIndex, -1);
  EXPECT_EQ(set.goBack(), 0);
  EXPECT_EQ(set.current.azimuth, 5.0f);
  EXPECT_EQ(set.forward.front().azimuth, 30.0f);
  // One more view change and one more step back: the forward history would
  // hold 26, so its oldest entry goes.
  set.recordCurrentView();
  set.current.azimuth = 99.0f;
  ASSERT_EQ(set.goBack(), 1);
  ASSERT_EQ(set.forward.size(), 25u);
  EXPECT_EQ(set.forwardIndex, 24);
  EXPECT_EQ(set.forward.front().azimuth, 29.0f);
  // Forward records into the back history as a view change does.
  ASSERT_EQ(set.goForward(), 1);
  EXPECT_EQ(set.current.azimuth, 99.0f);
  EXPECT_EQ(set.back.back().azimuth, 5.0f);
  EXPECT_EQ(set.backIndex, static_cast<std::int32_t>(set.back.size()) - 1);
}

TEST(ParamsRotationRecord, GoldenAndLoadClearsPrepared) {
  EXPECT_EQ(store(CParamsRotation()), Bytes(52, 0));
  CParamsRotation r;
  r.setAngles(90.0, -1.5, 2.0);
  r.setInverse(1);
  r.setCentre({10.0, 20.0, 30.0});
  const Bytes expected = {0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x56, 0x40,   // 90.0
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0xBF,   // -1.5
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40,   // 2.0
                          0x01, 0x00, 0x00, 0x00,                           // inverse
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x24, 0x40,   // 10.0
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x34, 0x40,   // 20.0
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3E, 0x40};  // 30.0
  EXPECT_EQ(store(r), expected);
  CParamsRotation prepared;
  DPoint3D out;
  prepared.rotate(1, 2, 3, out);
  ASSERT_TRUE(prepared.isPrepared());
  const CParamsRotation loaded = load(expected, prepared);
  EXPECT_FALSE(loaded.isPrepared());
  EXPECT_EQ(loaded, r);
}

TEST(ParamsRotation, QuarterTurnCentreInNormalModeOnlyAndSettersDropThePreparedMatrix) {
  CParamsRotation r;
  r.setAngles(90.0, 0.0, 0.0);
  DPoint3D out;
  r.rotate(1.0, 0.0, 0.0, out);
  EXPECT_LT(off(out, 0, -1, 0), 1e-9);
  r.setInverse(1);
  r.rotate(0.0, -1.0, 0.0, out);
  EXPECT_LT(off(out, 1, 0, 0), 1e-9);
  r.setAngles(0.0, 0.0, 0.0);  // the new angles are used
  EXPECT_FALSE(r.isPrepared());
  r.setCentre({5.0, 5.0, 5.0});
  r.rotate(6.0, 7.0, 8.0, out);
  EXPECT_LT(off(out, 6, 7, 8), 1e-12);  // inverse: the centre is not subtracted
  r.setInverse(0);
  r.rotate(6.0, 7.0, 8.0, out);
  EXPECT_LT(off(out, 1, 2, 3), 1e-12);
}

TEST(ParamsRotation, ActiveFromOneMillionth) {
  CParamsRotation r;
  r.setInverse(1);
  EXPECT_FALSE(r.isActive()) << "the inverse flag is not looked at";
  r.setCentre({0.0, 0.0, -1e-06});
  EXPECT_TRUE(r.isActive());
  r.setCentre({0.0, 9.9e-07, 0.0});
  EXPECT_FALSE(r.isActive());
}

TEST(RotationParameters, MatrixRowsAndRoundTrip) {
  const Matrix3 m = rotationMatrix(0.3, 0.2, 0.1);
  const double c1 = std::cos(0.3), s1 = std::sin(0.3), c2 = std::cos(0.2), s2 = std::sin(0.2), c3 = std::cos(0.1),
               s3 = std::sin(0.1);
  EXPECT_DOUBLE_EQ(m[0][2], -s2);
  EXPECT_DOUBLE_EQ(m[1][0], s3 * s2 * c1 - c3 * s1);
  EXPECT_DOUBLE_EQ(m[2][1], c3 * s2 * s1 - s3 * c1);
  EXPECT_DOUBLE_EQ(m[2][2], c3 * c2);

  RotationParameters p;
  p.origin = {100.0, 200.0, 50.0};
  p.theta = 30.0;
  p.phi = -20.0;
  p.psi = 10.0;
  DPoint3D plot, world;
  p.transform(110.0, 190.0, 55.0, RotationParameters::kWorldToPlot, plot);
  EXPECT_EQ(p.state, 1);
  EXPECT_NEAR(p.theta, 30.0 * kRadiansPerDegree, 1e-15) << "angles become radians in place";
  p.transform(plot.x, plot.y, plot.z, RotationParameters::kPlotToWorld, world);
  EXPECT_LT(off(world, 110, 190, 55), 1e-9);
}
