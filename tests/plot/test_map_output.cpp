#include <gtest/gtest.h>

#include "plot/map_output.h"
#include "support/record_suite.h"

using namespace qx;
using namespace qx::testing;

namespace {

Bytes defaultLabelBytes() {
  return B().i32(0).i32(1).i32(1).i32(0).i32(5).i32(2).i32(0).f64(100).f64(0).f64(0.05).f64(90).str("unnamed");
}

// The record of a new profile, group by group.
Bytes defaultProfileBytes() {
  B b;
  b.str("New Profile").i32(0).i32(0).i32(0);
  b.i32(0).i32(1).i32(1).i32(1).f64(0.0).str("").str("").str("").str("").str("").str("");
  b.str("").i32(1);
  for (int i = 0; i < 14; ++i) b.i32(0);
  b.f64(1000.0).f64(0.05).f64(0.05).f64(0.05).f64(0.05);
  b.f64(0).f64(0).f64(0).str("").str("").str("").str("").str("").str("").f64(0).f64(0).f64(0).i32(0).i32(0).i32(0);
  for (int i = 0; i < 6; ++i) b.f64(0.0);
  b.i32(0).i32(0).i32(0).i32(0);
  return b;
}

MapProfileDef sampleProfile() {
  MapProfileDef p;
  p.name = "Level plans";
  MapVariablesDef au;
  au.name = "Au";
  au.plot = 1;
  au.row = 2;
  au.column = 3;
  au.searchTable = 4;
  au.width = 8;
  au.decimals = 3;
  au.variableType = 1;
  au.minimumCutoff = 0.5;
  au.maximumCutoff = 50.0;
  au.textSize = 0.08;
  au.angle = 45.0;
  p.compositeLabels = {au, MapVariablesDef()};
  p.figureLabels = {au};
  p.frameStyle = 2;
  p.plotNorthArrow = 0;
  p.plotFrame = 0;
  p.plotScaleRuler = 0;
  p.northArrowBearing = -12.5;
  p.mainTitle = "Main";
  p.subTitles = {"a", "b", "c", "d"};
  p.drawingNumber = "DWG-7";
  p.patternFile = "C:\\styles\\x.sty";
  p.plotComposites = 0;
  p.plotEnvelopes = 1;
  p.unitSystem = 1;
  p.figureHatch = 6;
  p.mapScale = 2500.0;
  p.figureTextSize = 0.1;
  p.graduations[0] = {100.0, 1.0, "E", "W", 1};
  p.graduations[2] = {10.0, 2.0, "m", "-m", 2};
  p.boxMin = {-1, -2, -3};
  p.boxMax = {4, 5, 6};
  p.extentMode = 1;
  p.doNotLimitComposites = 1;
  p.envelopeFlags = {{1, 0}, {0, 1}, {1, 1}};
  return p;
}

struct MapOutputRecord {
  using Type = MapOutputData;
  static constexpr const char* kContext = "the map output data";
  static Bytes defaultBytes() {
    return {0x00,                       // destination directory
            0,    0, 0, 0, 0, 0, 0, 0,  // profile index, output kind
            1,    0, 0, 0,              // world coordinates
            0,    0, 0, 0,              // section names
            0,    0, 0, 0};             // profiles
  }
  static MapOutputData populated() {
    MapOutputData d;
    d.destinationDirectory = "C:\\maps";
    d.profileIndex = 1;
    d.outputKind = 1;
    d.worldCoordinates = 0;
    d.sectionNames = {"PLAN", "S1.5", ""};
    d.profiles = {MapProfileDef(), sampleProfile()};
    return d;
  }
  static std::vector<CountAt> counts() {
    MapOutputData one;
    one.profiles = {MapProfileDef()};
    one.profiles[0].name = "";
    one.profiles[0].envelopeFlags = {{1, 1}};
    const Bytes bytes = store(one);
    return {{defaultBytes(), 13, "section names"}, {defaultBytes(), 17, "map profiles"},
            {bytes, 22, "annotation fields"},      {bytes, 26, "annotation fields"},
            {bytes, 30, "annotation fields"},      {bytes, bytes.size() - 12, "envelope switches"}};
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(MapOutput, RecordSuite, ::testing::Types<MapOutputRecord>);

}  // namespace

TEST(MapOutputRecord, NewProfileAndLabelAreGolden) {
  EXPECT_EQ(store(MapVariablesDef()), defaultLabelBytes());
  EXPECT_EQ(MapVariablesDef::kRecordMinBytes + 7, defaultLabelBytes().size()) << "plus the seven letters of the name";
  EXPECT_EQ(store(MapProfileDef()), defaultProfileBytes());
  EXPECT_EQ(MapProfileDef::kRecordMinBytes + 11, defaultProfileBytes().size());
  MapOutputData d;
  d.profiles = {MapProfileDef()};
  EXPECT_EQ(store(d), B().str("").i32(0).i32(0).i32(1).i32(0).i32(1).add(defaultProfileBytes()).bytes());
}

TEST(MapOutputRecord, PopulatedProfileLayout) {
  const Bytes bytes = store(sampleProfile());
  B head;
  head.str("Level plans").i32(2);
  head.i32(1).i32(2).i32(3).i32(4).i32(8).i32(3).i32(1).f64(0.5).f64(50.0).f64(0.08).f64(45.0).str("Au");
  head.add(defaultLabelBytes()).i32(0).i32(1);
  EXPECT_TRUE(startsWith(bytes, head));
  // The tail: box, extent mode and switches, three envelopes.
  B tail;
  tail.f64(-1).f64(-2).f64(-3).f64(4).f64(5).f64(6).i32(1).i32(0).i32(1).i32(3);
  tail.i32(1).i32(0).i32(0).i32(1).i32(1).i32(1);
  EXPECT_TRUE(endsWith(bytes, tail));
  // Graduations: intervals, notations, values, axes.
  B grad;
  grad.f64(100).f64(0).f64(10).str("E").str("W").str("").str("").str("m").str("-m").f64(1).f64(0).f64(2);
  grad.i32(1).i32(0).i32(2);
  const auto at = std::search(bytes.begin(), bytes.end(), grad.bytes().begin(), grad.bytes().end());
  EXPECT_EQ(at + static_cast<std::ptrdiff_t>(grad.bytes().size()), bytes.end() - tail.bytes().size());
}
