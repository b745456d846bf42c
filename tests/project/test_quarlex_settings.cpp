#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "project/quarlex_settings.h"
#include "project/settings_record.h"
#include "support/record_suite.h"

namespace qx {
namespace {

using namespace qx::testing;

// The settings record, with a different value in every field so that two
// fields swapped in both save and load show in the bytes.
struct SettingsRecord {
  using Type = QuarlexSettings;
  static constexpr const char* kContext = "the project settings";
  static void io(Archive& ar, QuarlexSettings& s) { serializeSettings(ar, s); }
  static Bytes defaultBytes() {
    B b;
    b.f64(2.0).f64(2.0).i32(50).f64(100.0).f64(0.0).i32(0).i32(0).i32(1).i32(0).i32(0).i32(0);
    return b.f64(10.0).f64(10.0).i32(0).i32(0);
  }
  static QuarlexSettings populated() {
    QuarlexSettings s;
    s.defaultSG = 2.85;
    s.defaultWasteSG = 2.25;
    s.sidesPerPolygon = 12;
    s.defaultPolygonSize = 40.5;
    s.firstVertexAngle = -30.0;
    s.projectType = 1;
    s.useDilution = 2;
    s.overwriteExistingPolygons = 3;
    s.useVariableSG = 4;
    s.recoveryMode = 5;
    s.useFixedThickness = 6;
    s.fixedThickness = 3.5;
    s.wasteThickness = 1.5;
    s.loaded = {VariableInfo("Au")};
    s.calculated = {VariableInfoCalc("AuEq")};
    s.calculated[0].formulaCode = "a1*#";
    return s;
  }
  static QuarlexSettings afterReset() {
    QuarlexSettings s;
    s.useFixedThickness = 6;
    s.fixedThickness = 3.5;
    s.wasteThickness = 1.5;
    return s;
  }
  static std::vector<CountAt> counts() {
    const char* negative = "negative variable count in the project settings";
    return {{defaultBytes(), 76, "variables", negative}, {defaultBytes(), 80, "variables", negative}};
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Settings, RecordSuite, ::testing::Types<SettingsRecord>);

// Au, Ag, Cu loaded; X, Y calculated.
QuarlexSettings withVariables() {
  QuarlexSettings s;
  for (const char* n : {"Au", "Ag", "Cu"}) s.loaded.emplace_back(n);
  for (const char* n : {"X", "Y"}) s.calculated.emplace_back(n);
  return s;
}

TEST(SettingsRecord, EveryFieldHasItsPlace) {
  B head;
  head.f64(2.85).f64(2.25).i32(12).f64(40.5).f64(-30.0).i32(1).i32(2).i32(3).i32(4).i32(5).i32(6);
  head.f64(3.5).f64(1.5).i32(1).i32(1);
  EXPECT_TRUE(startsWith(storeRecord<SettingsRecord>(SettingsRecord::populated()), head));
}

// Reset restores the fields the record does not hold, but keeps some.
TEST(Settings, WhatResetKeeps) {
  QuarlexSettings s;
  s.fixedRecovery = 0.75;
  s.lastCompositeFile = "c.dat";
  s.informationDialogShown = 1;
  s.extentsMin = {1, 2, 3};
  s.sidesPerPolygon = 4;
  s.buildDefaultPolygon();
  s.moveDefaultPolygon({7, 8, 9});
  s.reset();
  EXPECT_EQ(s.extentsMin, (DPoint3D{999999, 999999, 999999}));
  EXPECT_TRUE(s.defaultPolygon.empty());
  EXPECT_EQ(s.defaultPolygonCentre, (DPoint3D{0, 0, 0}));
  EXPECT_EQ(std::tuple(s.fixedRecovery, s.lastCompositeFile, s.informationDialogShown), std::tuple(0.75, "c.dat", 1));
}

TEST(Settings, DesignatedVariablesUnderTheirConditions) {
  QuarlexSettings s = withVariables();
  s.setSGVariable(4);                 // calculated Y
  EXPECT_EQ(s.findSGVariable(), -1);  // variable SG is off
  s.useVariableSG = 1;
  EXPECT_EQ(s.findSGVariable(), 4);
  s.setSGVariable(1);  // clears Y, marks Ag
  EXPECT_EQ(s.calculated[1].sgMark, 0);

  s.setRecoveryVariable(2);
  s.recoveryMode = 1;
  EXPECT_EQ(s.findRecoveryVariable(), -1);
  s.recoveryMode = 2;
  s.setThicknessVariable(3);
  EXPECT_EQ(s.findThicknessVariable(), 3);  // thickness is not fixed by default
  s.useFixedThickness = 1;
  EXPECT_EQ(s.findThicknessVariable(), -1);
  s.setThicknessVariable(-1);
  for (int n = 0; n < s.variableCount(); ++n) EXPECT_EQ(s.variable(n).thicknessMark, 0) << n;
  // The other marks were left alone.
  EXPECT_EQ(s.findSGVariable(), 1);
  EXPECT_EQ(s.findRecoveryVariable(), 2);

  // Marks set by hand, e.g. by an old file: the first in combined order counts.
  s.calculated[0].sgMark = 1;
  s.loaded[1].sgMark = 0;
  s.loaded[2].sgMark = 1;
  EXPECT_EQ(s.findSGVariable(), 2);
  s.loaded[2].sgMark = 0;
  EXPECT_EQ(s.findSGVariable(), 3);
}

TEST(DefaultPolygon, EdgesTouchTheCircleOfTheSize) {
  QuarlexSettings s;
  s.sidesPerPolygon = 7;
  s.defaultPolygonSize = 25;
  s.firstVertexAngle = 30;
  s.buildDefaultPolygon();
  ASSERT_EQ(s.defaultPolygon.size(), 7u);
  for (int k = 0; k < 7; ++k) {
    const auto& p = s.defaultPolygon[k];
    const auto& q = s.defaultPolygon[(k + 1) % 7];
    // Distance from the centre to the edge's line is the size.
    const double cross = std::abs(p.x * q.y - p.y * q.x);
    EXPECT_NEAR(cross / std::hypot(q.x - p.x, q.y - p.y), 25.0, 1e-9) << k;
    // Vertex k stands at the angle (alpha - 90) + 180/n + 360 k / n degrees.
    const double deg = 30 - 90 + 180.0 / 7 + 360.0 * k / 7;
    EXPECT_NEAR(std::remainder(std::atan2(p.y, p.x) * 180 / std::numbers::pi - deg, 360.0), 0.0, 1e-9) << k;
  }
  // Moves go from the current centre; building again starts at the origin.
  const DPoint3D first = s.defaultPolygon[0];
  s.moveDefaultPolygon({100, 200, 5});
  s.moveDefaultPolygon({-1, 2, 3});
  EXPECT_EQ(s.defaultPolygonCentre, (DPoint3D{-1, 2, 3}));
  EXPECT_NEAR(s.defaultPolygon[0].x, first.x - 1, 1e-9);
  EXPECT_NEAR(s.defaultPolygon[0].y, first.y + 2, 1e-9);
  EXPECT_EQ(s.defaultPolygon[0].z, 3.0);
  s.buildDefaultPolygon();
  EXPECT_EQ(s.defaultPolygonCentre, (DPoint3D{0, 0, 0}));
  s.sidesPerPolygon = 2;
  s.buildDefaultPolygon();
  EXPECT_TRUE(s.defaultPolygon.empty());
}

TEST(DataExtents, StartAtTheWidenedFloatAndGrowPerCoordinate) {
  QuarlexSettings s;
  s.recomputeDataExtents({});
  const double big = static_cast<double>(1e37f);
  EXPECT_NE(big, 1e37);
  EXPECT_EQ(s.extentsMin, (DPoint3D{big, big, big}));
  EXPECT_EQ(s.extentsMax, (DPoint3D{-big, -big, -big}));

  // Composites, no envelopes, figures.
  const DataExtents sets[] = {
      {{10, 20, -5}, {30, 40, 5}}, {{big, big, big}, {-big, -big, -big}}, {{0, 25, -1}, {15, 50, 2}}};
  s.recomputeDataExtents(sets);
  EXPECT_EQ(s.extentsMin, (DPoint3D{0, 20, -5}));
  EXPECT_EQ(s.extentsMax, (DPoint3D{30, 50, 5}));
}

// Records what a dataset is told.
struct RecordingSink : VariableValueSink {
  bool realigns = true;
  std::vector<std::string> log;
  void removeValue(int index) override { log.push_back("remove " + std::to_string(index)); }
  void insertValue(int index, double value) override {
    log.push_back("insert " + std::to_string(index) + " " + std::to_string(static_cast<int>(value)));
  }
  bool realignsOnRemoval() const override { return realigns; }
};

TEST(ApplyEditedVariables, LoadedListRemovesThenInserts) {
  QuarlexSettings s = withVariables();
  s.loaded[2].sgMark = 1;
  std::vector<VariableInfo> edited = {s.loaded[0], s.loaded[2], VariableInfo("Zn"), VariableInfo("Pb")};
  edited[0].name = "Gold";  // renamed: keeps its values
  edited[2].defaultValue = 7;
  edited[3].defaultValue = 9;
  auto calculated = s.calculated;
  calculated[0].formulaCode = "a#b+";
  RecordingSink composites;
  RecordingSink figures;
  figures.realigns = false;
  VariableValueSink* sinks[] = {&composites, &figures};
  s.applyEditedVariables(VariableKind::Loaded, edited, calculated, {"Ag"}, sinks);

  EXPECT_EQ(composites.log, (std::vector<std::string>{"remove 1", "insert 2 7", "insert 3 9"}));
  EXPECT_EQ(figures.log, (std::vector<std::string>{"insert 2 7", "insert 3 9"}));
  EXPECT_EQ(s.variableNames(), (std::vector<std::string>{"Gold", "Cu", "Zn", "Pb", "X", "Y"}));
  EXPECT_EQ(s.calculated[0].formulaCode, "a#b+");
  s.useVariableSG = 1;
  EXPECT_EQ(s.findSGVariable(), 1);  // the mark travelled with Cu
}

TEST(ApplyEditedVariables, CalculatedValuesLiveBehindTheLoadedOnes) {
  QuarlexSettings s = withVariables();
  std::vector<VariableInfoCalc> edited = {s.calculated[1], VariableInfoCalc("Z")};
  edited[1].defaultValue = 5;
  RecordingSink polygons;
  VariableValueSink* sinks[] = {&polygons};
  s.applyEditedVariables(VariableKind::Calculated, s.loaded, edited, {"X"}, sinks);
  EXPECT_EQ(polygons.log, (std::vector<std::string>{"remove 3", "insert 4 5"}));
  EXPECT_EQ(s.variableNames(), (std::vector<std::string>{"Au", "Ag", "Cu", "Y", "Z"}));
}

}  // namespace
}  // namespace qx
