#include <gtest/gtest.h>

#include "engine/polygons.h"
#include "project/quarlex_settings.h"
#include "support/record_suite.h"

using namespace qx;
using namespace qx::testing;

namespace {

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

struct PolygonSetRecord {
  using Type = CPolygonSet;
  static constexpr const char* kContext = "the polygons";
  static Bytes defaultBytes() {
    B b;
    b.i32(0).i32(2).i32(1).i32(0).f64(1.0).i32(8);
    for (const char* n :
         {"Name", "X Coordinate", "Y Coordinate", "Z Coordinate", "Surface Area", "Thickness", "Volume", "Tonnage"})
      b.str(n).i32(0).i32(0).i32(2);
    b.add(zeroRotation());
    return b;
  }
  static CPolygonSet populated() {
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
  // One polygon: its two point counts follow its index, name and colour.
  static Bytes onePolygon() {
    CPolygonSet one;
    one.polygons = {CPolygon()};
    one.polygons[0].cell = {{1, 2, 3}, {4, 5, 6}};
    return store(one);
  }
  static std::size_t pointCounts() { return defaultBytes().size() + 4 + 1 + 4; }
  static std::vector<CountAt> counts() {
    return {{defaultBytes(), 0, "polygons"},
            {defaultBytes(), 24, "columns"},
            {onePolygon(), pointCounts(), "cell points"},
            {onePolygon(), pointCounts() + 4, "outline points"}};
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Polygons, RecordSuite, ::testing::Types<PolygonSetRecord>);

}  // namespace

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
  // The set: count, display mode, shown, option, thickness factor, column count.
  EXPECT_TRUE(startsWith(store(PolygonSetRecord::populated()), B().i32(2).i32(4).i32(0).i32(3).f64(0.25).i32(8)));
}

TEST(PolygonSetRecord, PointCountsThatFitAloneButNotTogetherAreRefused) {
  const Bytes bytes = PolygonSetRecord::onePolygon();
  const std::size_t at = PolygonSetRecord::pointCounts();
  EXPECT_EQ(loadError(patched(patched(bytes, at, 2), at + 4, 2),
                      [](Archive& ar) {
                        CPolygonSet s;
                        s.serialize(ar);
                      }),
            "count of 4 polygon points exceeds the rest of the file in the polygons");
}

TEST(PolygonSetExtents, OutlinesOnlyAndNeutralWhenEmpty) {
  EXPECT_EQ(CPolygonSet().extents().max, (DPoint3D{-1e37, -1e37, -1e37}));
  CPolygonSet set = PolygonSetRecord::populated();
  set.polygons[1].cell.push_back({-500, -500, -500});  // cells do not count
  EXPECT_EQ(std::pair(set.extents().min, set.extents().max), std::pair(DPoint3D{-3, 10, 5}, DPoint3D{30, 25, 7}));
}
