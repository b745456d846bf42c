#include <gtest/gtest.h>

#include "datasets/composites.h"
#include "support/record_suite.h"

using namespace qx;
using namespace qx::testing;

namespace {

CComposite composite(const char* name, DPoint3D p, std::vector<double> values) {
  CComposite c;
  c.name = name;
  c.position = p;
  c.values = std::move(values);
  c.calcValues = {0.0};
  return c;
}

// Read and written with two loaded variables and one calculated variable.
struct CompositeSetRecord {
  using Type = CompositeSet;
  static constexpr const char* kContext = "the composites";
  static void io(Archive& ar, CompositeSet& set) { set.serialize(ar, 2, 1); }
  static Bytes defaultBytes() {
    B b;
    b.i32(0).i32(0).i32(1).str("Name").i32(1).i32(15).i32(0);
    b.str("X Coordinate").i32(16).i32(10).i32(2).str("Y Coordinate").i32(26).i32(10).i32(2);
    b.str("Z Coordinate").i32(36).i32(10).i32(2).add(zeroRotation()).add(zeroRotation());
    return b;
  }
  static CompositeSet populated() {
    CompositeSet set;
    set.setVariableCounts(2, 1);
    set.singleFlag = 1;
    set.useOutside = 0;
    set.fieldNames[0] = "Hole";
    set.fieldPositions = {2, 20, 30, 40};
    set.fieldWidths = {12, 9, 9, 8};
    set.fieldDecimals = {0, 3, 3, 1};
    set.importRotation.setAngles(10.0, 20.0, 30.0);
    set.exportRotation.setInverse(1);
    set.composites = {composite("DH-1  ", {100.5, 200.25, -3.0}, {1.5, -7.0}),
                      composite("", {-50.0, 400.0, 12.0}, {0.0, 1e300})};
    set.composites[0].reserved = 77;
    set.composites[1].envelopeIndex = 3;
    set.recomputeBoundingBox();
    return set;
  }
  static std::vector<CountAt> counts() { return {{defaultBytes(), 0, "composites"}}; }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Composites, RecordSuite, ::testing::Types<CompositeSetRecord>);

}  // namespace

TEST(CompositeSetRecord, CompositesCarryOneValuePerLoadedVariable) {
  const Bytes bytes = store(CompositeSetRecord::populated());
  B tail;
  tail.str("DH-1  ").i32(77).i32(-1).f64(100.5).f64(200.25).f64(-3.0).f64(1.5).f64(-7.0);
  tail.str("").i32(0).i32(3).f64(-50.0).f64(400.0).f64(12.0).f64(0.0).f64(1e300);
  EXPECT_TRUE(endsWith(bytes, tail)) << "calculated values are not stored";
  const Bytes head = B().i32(2).i32(1).i32(0).str("Hole").i32(2).i32(12).i32(0);
  EXPECT_TRUE(startsWith(bytes, head));
  EXPECT_EQ(bytes.size(), CompositeSetRecord::defaultBytes().size() + tail.bytes().size());

  const CompositeSet loaded = loadRecord<CompositeSetRecord>(bytes);
  EXPECT_EQ(loaded.composites[1].calcValues, std::vector<double>{0.0}) << "zeros, one per calculated variable";
  EXPECT_EQ(loaded.minCorner, (DPoint3D{-50.0, 200.25, -3.0})) << "the box from the points";
}

TEST(CompositeSetRecord, ReaderUsesTheVariableCountItIsGiven) {
  // With three loaded variables the bytes run out; with a huge count they are refused.
  const Bytes bytes = store(CompositeSetRecord::populated());
  CompositeSet s;
  EXPECT_FALSE(loadError(bytes, [&](Archive& a) { s.serialize(a, 3, 0); }).empty());
  EXPECT_FALSE(loadError(bytes, [&](Archive& a) { s.serialize(a, 0x7FFFFFFF, 0); }).empty());
  // The one-argument form uses the counts the set was given.
  CompositeSet viaCounts;
  viaCounts.setVariableCounts(2, 1);
  EXPECT_EQ(load(bytes, viaCounts), CompositeSetRecord::populated());
}

TEST(CompositeSetRecord, StoringWritesExactlyTheLoadedVariableCount) {
  CompositeSet set;
  set.composites = {composite("a", {1, 2, 3}, {9.0})};  // one value where two are defined
  set.setVariableCounts(2, 0);
  const Bytes bytes = store(set);
  const Bytes tail = B().str("a").i32(0).i32(-1).f64(1).f64(2).f64(3).f64(9.0).f64(0.0);
  EXPECT_TRUE(endsWith(bytes, tail));
  CompositeSet loaded;
  loadWith(bytes, [&](Archive& ar) { loaded.serialize(ar, 2, 0); });
  EXPECT_EQ(loaded.composites[0].values, (std::vector<double>{9.0, 0.0}));
}
