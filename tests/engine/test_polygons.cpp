#include <gtest/gtest.h>

#include "datasets/record_testing.h"
#include "engine/polygons.h"
#include "project/quarlex_settings.h"

using namespace qx;
using namespace qx::testing;

namespace {

Bytes emptySetBytes() {
  B b;
  b.i32(0).i32(2).i32(1).i32(0).f64(1.0).i32(8);
  for (const char* n :
       {"Name", "X Coordinate", "Y Coordinate", "Z Coordinate", "Surface Area", "Thickness", "Volume", "Tonnage"})
    b.str(n).i32(0).i32(0).i32(2);
  b.add(zeroRotation());
  return b;
}

CPolygon samplePolygon(int index) {
  CPolygon p;
  p.compositeIndex = index;
  p.name = "poly0001" + std::to_string(index);
  p.colour = 12;
  p.specificGravity = 2.7;
  p.area = 400.0;
  p.volume = 4000.0;
  p.tonnage = 10800.0;
  p.thickness = 10.0;
  p.cell = {{0, 0, 5}, {30, 0, 5}, {30, 30, 5}, {0, 30, 5}};
  p.outline = {{10, 10, 5}, {-20.0 + index, 10, 5}, {30, 25, 7}};
  p.recomputeBoundingBox();
  return p;
}

CPolygonSet populatedSet() {
  CPolygonSet set;
  set.displayMode = 4;
  set.shown = 0;
  set.displayOption = 3;
  set.displayThicknessFactor = 0.25;
  set.columns[2].position = 21;
  set.columns[2].length = 11;
  set.columns[2].decimals = 3;
  set.exportRotation.setAngles(15.0, 0.0, 0.0);
  set.polygons = {samplePolygon(17), samplePolygon(3)};
  set.polygons[1].outline.clear();
  set.recomputeBoundingBox();
  return set;
}

}  // namespace

TEST(PolygonSetRecord, EmptySetIsGolden) {
  EXPECT_EQ(store(CPolygonSet()), emptySetBytes());
  const CPolygonSet loaded = load<CPolygonSet>(emptySetBytes(), populatedSet());
  EXPECT_EQ(loaded, CPolygonSet()) << "a load replaces the set";
}

TEST(PolygonRecord, FieldOrderIsGolden) {
  const CPolygon p = samplePolygon(17);
  B b;
  b.i32(17).str("poly000117").i32(12).i32(4).i32(3);
  b.f64(2.7).f64(400.0).f64(4000.0).f64(10800.0).f64(10.0);
  for (const auto& v : p.cell) b.f64(v.x).f64(v.y).f64(v.z);
  b.f64(10).f64(10).f64(5).f64(-3).f64(10).f64(5).f64(30).f64(25).f64(7);
  EXPECT_EQ(store(p), b.bytes());
  CPolygon stale;
  stale.maxCorner = {1e9, 1e9, 1e9};
  const CPolygon loaded = load(b.bytes(), stale);
  EXPECT_EQ(loaded, p);
  EXPECT_EQ(loaded.minCorner, (DPoint3D{-3, 10, 5})) << "the box is recomputed from the outline";
  EXPECT_EQ(loaded.maxCorner, (DPoint3D{30, 25, 7}));
}

TEST(PolygonSetRecord, PopulatedSetRoundTrips) {
  const CPolygonSet set = populatedSet();
  const Bytes bytes = store(set);
  const Bytes head = B().i32(2).i32(4).i32(0).i32(3).f64(0.25).i32(8);
  EXPECT_TRUE(startsWith(bytes, head));
  CPolygonSet loaded = load<CPolygonSet>(bytes);
  EXPECT_EQ(loaded, set);
  EXPECT_EQ(loaded.count(), 2);
  EXPECT_EQ(store(loaded), bytes);
  EXPECT_EQ(loaded.minCorner, (DPoint3D{-3, 10, 5}));
  EXPECT_EQ(loaded.maxCorner, (DPoint3D{30, 25, 7}));
}

TEST(PolygonSetRecord, HostileInputFails) {
  expectEveryPrefixFails<CPolygonSet>(store(populatedSet()));
  const Bytes empty = emptySetBytes();
  expectLoadFails<CPolygonSet>(patched(empty, 0, 0x7FFFFFFF));
  expectLoadFails<CPolygonSet>(patched(empty, 0, 0xFFFFFFFF));
  expectLoadFails<CPolygonSet>(patched(empty, 24, 0x7FFFFFFF));  // column count
  expectLoadFails<CPolygonSet>(patched(empty, 24, 0xFFFFFFFF));

  // One polygon whose point counts each fit in what is left but together do not.
  CPolygonSet one;
  one.polygons = {CPolygon()};
  one.polygons[0].cell = {{1, 2, 3}, {4, 5, 6}};
  Bytes bytes = store(one);
  const std::size_t counts = emptySetBytes().size() + 4 + 1 + 4;  // after index, name, colour
  expectLoadFails<CPolygonSet>(patched(patched(bytes, counts, 2), counts + 4, 2));
  expectLoadFails<CPolygonSet>(patched(bytes, counts, 0x7FFFFFFF));
  expectLoadFails<CPolygonSet>(patched(bytes, counts + 4, 0xFFFFFFFF));
  // Unchanged, the same bytes load.
  EXPECT_EQ(load<CPolygonSet>(bytes), one);
}

TEST(PolygonSetExtents, OutlinesOnlyAndNeutralWhenEmpty) {
  const DataExtents none = CPolygonSet().extents();
  EXPECT_EQ(none.min, (DPoint3D{1e37, 1e37, 1e37}));
  EXPECT_EQ(none.max, (DPoint3D{-1e37, -1e37, -1e37}));
  CPolygonSet set = populatedSet();
  set.polygons[1].cell.push_back({-500, -500, -500});  // cells do not count
  const DataExtents e = set.extents();
  EXPECT_EQ(e.min, (DPoint3D{-3, 10, 5}));
  EXPECT_EQ(e.max, (DPoint3D{30, 25, 7}));

  QuarlexSettings s;
  const DataExtents empty[] = {CPolygonSet().extents()};
  s.recomputeDataExtents(empty);
  EXPECT_EQ(s.extentsMin.x, QuarlexSettings::kRecomputeExtent) << "an empty set does not widen";
  EXPECT_EQ(s.extentsMax.z, -QuarlexSettings::kRecomputeExtent);
}

TEST(PolygonSet, ResetGivesTheNewState) {
  CPolygonSet set = populatedSet();
  set.reset();
  EXPECT_EQ(set, CPolygonSet());
  EXPECT_EQ(set.displayMode, 2);
  EXPECT_EQ(set.shown, 1);
  EXPECT_EQ(set.displayThicknessFactor, 1.0);
}
