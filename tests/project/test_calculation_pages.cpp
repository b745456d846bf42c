// "General" and "Variables" of the calculation settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project/calculation_pages.h"
#include "scripted_port.h"

using namespace qx;
using qx::test::ScriptedPort;

TEST(CalculationGeneralPage, EachValueIsHeldToItsLimits) {
  struct Case {
    int sides;
    double size, angle;
    const char* message;  // nullptr: accepted
  };
  const Case cases[] = {
      {2, 1, 0, "Please enter a value between 3 and 100."},
      {101, 1, 0, "Please enter a value between 3 and 100."},
      {3, -0.5, 0, "Please enter a value between 0 and 1e+37."},
      {100, 1e37, 360.5, "Please enter a value between -180 and 360."},
      {100, 1, -180.5, "Please enter a value between -180 and 360."},
      {100, 1e37, -180, nullptr},
      {3, 0, 360, nullptr},
  };
  for (const Case& c : cases) {
    CPropPageCalcGeneral page{QuarlexSettings()};
    page.sides = c.sides;
    page.polygonSize = c.size;
    page.firstVertexAngle = c.angle;
    ScriptedPort port;
    EXPECT_EQ(page.onOk(port), c.message == nullptr) << c.sides;
    EXPECT_EQ(port.messages(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
  }
}

TEST(CalculationGeneralPage, ReadsAndWritesTheFiveSettings) {
  QuarlexSettings s;
  s.sidesPerPolygon = 12;
  s.defaultPolygonSize = 30.5;
  s.firstVertexAngle = -45.0;
  s.useDilution = 1;
  s.overwriteExistingPolygons = 0;
  QuarlexSettings copy;
  CPropPageCalcGeneral(s).applyTo(copy);
  EXPECT_EQ(std::vector<double>({double(copy.sidesPerPolygon), copy.defaultPolygonSize, copy.firstVertexAngle,
                                 double(copy.useDilution), double(copy.overwriteExistingPolygons)}),
            std::vector<double>({12, 30.5, -45, 1, 0}));
}

TEST(CalculationVariablesPage, ChoosingStoresTheFieldsFirstAndTheListFollows) {
  QuarlexSettings s;
  s.loaded = {VariableInfo("Au"), VariableInfo("Cu")};
  s.loaded[1].minCutoff = 0.25;
  s.loaded[1].missingValue = -99.0;
  s.calculated.emplace_back("AuEq");
  CPropPageCalcVariables page(s);
  EXPECT_EQ(page.chosen(), 0);
  ASSERT_EQ(CPropPageCalcVariables::columns().size(), 5u);
  EXPECT_EQ(CPropPageCalcVariables::columns()[2].title, "Maximum Cutoff");

  page.maxCutoff = 1.5;
  page.choose(1);  // Au takes the typed value, Cu's values show
  EXPECT_EQ(std::pair(page.minCutoff, page.missingValue), std::pair(0.25, -99.0));
  page.defaultValue = 7;
  page.choose(5);  // no such line: Cu stores and stays chosen
  EXPECT_EQ(page.chosen(), 1);
  page.defaultValue = 8;  // typed, never stored
  EXPECT_EQ(page.lines(), (std::vector<std::vector<std::string>>{{"Au", "0.000", "1.500", "0.000", "0.000"},
                                                                 {"Cu", "0.250", "0.000", "7.000", "-99.000"}}))
      << "only the loaded variables, \"%.3lf\"";
  page.update();
  QuarlexSettings out = s;
  page.applyTo(out);
  EXPECT_EQ(std::tuple(out.loaded[0].maxCutoff, out.loaded[1].defaultValue, out.loaded[1].minCutoff),
            std::tuple(1.5, 8.0, 0.25));
}
