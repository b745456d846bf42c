#include <gtest/gtest.h>

#include "engine/figures.h"
#include "support/record_suite.h"

using namespace qx;
using namespace qx::testing;

namespace {

// The default figure: two empty strings, five int32 (0, 2, 1, 0, 0), seven
// doubles (2.0, 0, 0, 100.0, 0, 0, 0), three empty counts.
Bytes defaultFigureBytes() {
  return B().str("").str("").i32(0).i32(2).i32(1).i32(0).i32(0).f64(2.0).zeros(16).f64(100.0).zeros(24).zeros(12);
}

Figure sampleFigure() {
  Figure f;
  f.name = "block A";
  f.secondText = "note";
  f.colour = 5;
  f.renderingMethod = 3;
  f.visible = 0;
  f.attributeD = 9;
  f.outline = {{0, 0, 1}, {10, 0, 1}, {10, 10, 2}, {-50, 5, 0}};
  f.pointCount = 3;  // the last vertex does not count for the box
  f.specificGravity = 2.5;
  f.area = 100.0;
  f.volume = 1000.0;
  f.oreFraction = 0.75;
  f.oreTonnage = 2500.0;
  f.wasteTonnage = 125.5;
  f.thickness = 10.0;
  f.loadedValues = {1.25, -2.0};
  f.calculatedValues = {42.0};
  f.recomputeBoundingBox();
  return f;
}

struct FigureSetRecord {
  using Type = FigureSet;
  static constexpr const char* kContext = "the figures";
  static Bytes defaultBytes() {
    B b;
    b.i32(0).i32(0).i32(10);
    for (const char* n : {"Name", "X Coordinate", "Y Coordinate", "Z Coordinate", "Surface Area", "Thickness", "Volume",
                          "Ore Tonnage", "Waste Tonnage", "Coverage (% Ore)"})
      b.str(n).i32(0).i32(0).i32(2);
    b.add(zeroRotation()).add(zeroRotation());
    return b;
  }
  static FigureSet populated() {
    FigureSet set;
    set.dilution = 1;
    set.figures = {sampleFigure(), Figure()};
    set.figures[1].name = "empty";
    set.columns[0].length = 12;
    set.importRotation.setCentre({1.0, 2.0, 3.0});
    set.exportRotation.setInverse(1);
    set.recomputeBoundingBox();
    return set;
  }
  static std::vector<CountAt> counts() {
    // One default figure: its outline, loaded-values and calculated-values counts.
    FigureSet one;
    one.figures = {Figure()};
    const Bytes bytes = store(one);
    const std::size_t outline = 8 + 2 + 5 * 4 + 7 * 8;
    return {{defaultBytes(), 0, "figures"},
            {defaultBytes(), 8, "columns"},
            {bytes, outline, "outline points"},
            {bytes, outline + 4, "loaded values"},
            {bytes, outline + 8, "calculated values"}};
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Figures, RecordSuite, ::testing::Types<FigureSetRecord>);

}  // namespace

TEST(FigureRecord, DefaultAndPopulatedAreGolden) {
  EXPECT_EQ(store(Figure()), defaultFigureBytes());
  EXPECT_EQ(Figure::kMinRecordBytes, defaultFigureBytes().size());
  B b;
  b.str("block A").str("note").i32(5).i32(3).i32(0).i32(9).i32(3);
  b.f64(2.5).f64(100.0).f64(1000.0).f64(0.75).f64(2500.0).f64(125.5).f64(10.0);
  b.i32(4).f64(0).f64(0).f64(1).f64(10).f64(0).f64(1).f64(10).f64(10).f64(2).f64(-50).f64(5).f64(0);
  b.i32(2).f64(1.25).f64(-2.0).i32(1).f64(42.0);
  EXPECT_EQ(store(sampleFigure()), b.bytes());
  const Figure loaded = load<Figure>(b.bytes());
  EXPECT_EQ(loaded, sampleFigure());
  EXPECT_EQ(loaded.minCorner, (DPoint3D{0, 0, 1})) << "only the first pointCount vertices make the box";
  EXPECT_EQ(loaded.maxCorner, (DPoint3D{10, 10, 2}));
  // The set: count, dilution, then the first figure.
  EXPECT_TRUE(startsWith(store(FigureSetRecord::populated()), B().i32(2).i32(1).str("block A")));
}

TEST(FigureSetExtents, UsePointCountAndAreNeutralWhenEmpty) {
  EXPECT_EQ(FigureSet().extents().min, (DPoint3D{1e37, 1e37, 1e37}));
  FigureSet set = FigureSetRecord::populated();
  set.figures[1].outline = {{100, 200, 300}};
  set.figures[1].pointCount = 5;  // more than the outline holds
  EXPECT_EQ(std::pair(set.extents().min, set.extents().max), std::pair(DPoint3D{0, 0, 1}, DPoint3D{100, 200, 300}));
}
