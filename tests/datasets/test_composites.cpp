#include <gtest/gtest.h>

#include "datasets/composites.h"
#include "datasets/record_testing.h"
#include "project/quarlex_settings.h"

using namespace qx;
using namespace qx::testing;

namespace {

Bytes emptySetBytes() {
  return B()
      .i32(0)
      .i32(0)
      .i32(1)
      .str("Name")
      .i32(1)
      .i32(15)
      .i32(0)
      .str("X Coordinate")
      .i32(16)
      .i32(10)
      .i32(2)
      .str("Y Coordinate")
      .i32(26)
      .i32(10)
      .i32(2)
      .str("Z Coordinate")
      .i32(36)
      .i32(10)
      .i32(2)
      .add(zeroRotation())
      .add(zeroRotation());
}

CComposite composite(const char* name, DPoint3D p, std::vector<double> values) {
  CComposite c;
  c.name = name;
  c.position = p;
  c.values = std::move(values);
  c.calcValues = {0.0};
  return c;
}

// Two loaded variables and one calculated variable.
CompositeSet populatedSet() {
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

CompositeSet loadComposites(const Bytes& bytes, int loaded, int calculated, CompositeSet into = CompositeSet()) {
  loadWith(bytes, [&](Archive& ar) { into.serialize(ar, loaded, calculated); });
  return into;
}

}  // namespace

TEST(CompositeSetRecord, EmptySetIsGolden) {
  EXPECT_EQ(store(CompositeSet()), emptySetBytes());
  const CompositeSet loaded = loadComposites(emptySetBytes(), 2, 1, populatedSet());
  EXPECT_EQ(loaded.count(), 0) << "a load replaces the composites";
  EXPECT_EQ(loaded.fieldNames[0], "Name");
  EXPECT_EQ(loaded.useOutside, 1);
}

TEST(CompositeSetRecord, CompositesCarryOneValuePerLoadedVariable) {
  const Bytes bytes = store(populatedSet());
  B tail;
  tail.str("DH-1  ").i32(77).i32(-1).f64(100.5).f64(200.25).f64(-3.0).f64(1.5).f64(-7.0);
  tail.str("").i32(0).i32(3).f64(-50.0).f64(400.0).f64(12.0).f64(0.0).f64(1e300);
  ASSERT_GT(bytes.size(), tail.bytes().size());
  EXPECT_TRUE(endsWith(bytes, tail)) << "calculated values are not stored";
  const Bytes head = B().i32(2).i32(1).i32(0).str("Hole").i32(2).i32(12).i32(0);
  EXPECT_TRUE(startsWith(bytes, head));
  EXPECT_EQ(bytes.size(), emptySetBytes().size() + tail.bytes().size());
}

TEST(CompositeSetRecord, PopulatedSetRoundTrips) {
  const CompositeSet set = populatedSet();
  const Bytes bytes = store(set);
  CompositeSet loaded = loadComposites(bytes, 2, 1);
  EXPECT_EQ(loaded, set);
  EXPECT_EQ(loaded.composites[1].calcValues, std::vector<double>{0.0}) << "zeros, one per calculated variable";
  EXPECT_EQ(loaded.minCorner, (DPoint3D{-50.0, 200.25, -3.0}));
  EXPECT_EQ(loaded.maxCorner, (DPoint3D{100.5, 400.0, 12.0}));
  EXPECT_EQ(store(loaded), bytes);

  // The one-argument form uses the counts the set was given.
  CompositeSet viaCounts;
  viaCounts.setVariableCounts(2, 1);
  EXPECT_EQ(load(bytes, viaCounts), set);
}

TEST(CompositeSetRecord, ReaderUsesTheVariableCountItIsGiven) {
  // The same bytes read with one loaded variable fall out of step and, here,
  // leave bytes over; read with three they run out.
  const Bytes bytes = store(populatedSet());
  {
    CompositeSet s;
    ArchiveReader r(bytes);
    Archive ar(r);
    s.serialize(ar, 1, 0);
    EXPECT_FALSE(r.atEnd());
  }
  {
    CompositeSet s;
    ArchiveReader r(bytes);
    Archive ar(r);
    EXPECT_THROW(s.serialize(ar, 3, 0), ArchiveError);
  }
}

TEST(CompositeSetRecord, StoringWritesExactlyTheLoadedVariableCount) {
  CompositeSet set;
  set.composites = {composite("a", {1, 2, 3}, {9.0})};  // one value where two are defined
  set.setVariableCounts(2, 0);
  const Bytes bytes = store(set);
  const Bytes tail = B().str("a").i32(0).i32(-1).f64(1).f64(2).f64(3).f64(9.0).f64(0.0);
  EXPECT_TRUE(endsWith(bytes, tail));
  EXPECT_EQ(loadComposites(bytes, 2, 0).composites[0].values, (std::vector<double>{9.0, 0.0}));
}

TEST(CompositeSetRecord, HostileInputFails) {
  const Bytes bytes = store(populatedSet());
  expectEveryPrefixFails(bytes, [](Archive& ar) {
    CompositeSet s;
    s.serialize(ar, 2, 1);
  });
  auto fails = [](const Bytes& b, int loaded) {
    CompositeSet s;
    ArchiveReader r(b);
    Archive ar(r);
    EXPECT_THROW(s.serialize(ar, loaded, 0), ArchiveError);
  };
  fails(patched(emptySetBytes(), 0, 0x7FFFFFFF), 0);
  fails(patched(emptySetBytes(), 0, 0xFFFFFFFF), 0);
  // Three composites where the bytes hold two.
  fails(patched(bytes, 0, 3), 2);
  // A huge variable count with composites present.
  fails(bytes, 0x7FFFFFFF);
}

TEST(CompositeSetExtents, FieldsWhenFilledNeutralWhenEmpty) {
  const DataExtents none = CompositeSet().extents();
  EXPECT_EQ(none.min, (DPoint3D{1e37, 1e37, 1e37}));
  EXPECT_EQ(none.max, (DPoint3D{-1e37, -1e37, -1e37}));
  CompositeSet set = populatedSet();
  set.minCorner = {-1, -2, -3};
  set.maxCorner = {4, 5, 6};
  EXPECT_EQ(set.extents().min, (DPoint3D{-1, -2, -3})) << "the set's own fields";
  EXPECT_EQ(set.extents().max, (DPoint3D{4, 5, 6}));

  QuarlexSettings s;
  const DataExtents both[] = {CompositeSet().extents(), populatedSet().extents()};
  s.recomputeDataExtents(both);
  EXPECT_EQ(s.extentsMin, (DPoint3D{-50.0, 200.25, -3.0}));
  EXPECT_EQ(s.extentsMax, (DPoint3D{100.5, 400.0, 12.0}));
  const DataExtents empty[] = {CompositeSet().extents()};
  s.recomputeDataExtents(empty);
  EXPECT_EQ(s.extentsMin.y, QuarlexSettings::kRecomputeExtent);
  EXPECT_EQ(s.extentsMax.y, -QuarlexSettings::kRecomputeExtent);
}

TEST(CompositeSet, DefaultsAndReset) {
  CompositeSet set;
  EXPECT_EQ(set.minCorner, (DPoint3D{999999, 999999, 999999}));
  EXPECT_EQ(set.maxCorner, (DPoint3D{-999999, -999999, -999999}));
  set = populatedSet();
  set.reset();
  EXPECT_EQ(set, CompositeSet());
  EXPECT_EQ(set.loadedVariableCount(), 0);
}
