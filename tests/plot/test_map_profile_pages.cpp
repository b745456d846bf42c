// The pages of "Section Map Profile": their titles, limits and messages, the
// annotation lists rebuilt from the project's variables, the envelope switches.
#include <gtest/gtest.h>

#include <functional>

#include "plot/map_profiles_dialog.h"
#include "scripted_port.h"

using namespace qx;
using qx::test::ScriptedPort;

TEST(MapProfilePages, TitlesInOrder) {
  CMapProfileSheet sheet{MapProfileDef()};
  std::vector<std::string> titles;
  for (auto* page : sheet.pages()) titles.push_back(page->title());
  EXPECT_EQ(titles, (std::vector<std::string>{"Map Presentation", "Map Frame", "Graduations", "Plot Limits",
                                              "Composites", "Polygons", "Figures"}));
  ScriptedPort port;
  for (auto* page : sheet.pages()) EXPECT_TRUE(page->onKillActive(port)) << page->title() << ": the defaults pass";
  EXPECT_TRUE(port.messages().empty());
}

TEST(MapProfilePages, RangeRefusals) {
  struct Case {
    int page;
    std::function<void(CMapProfileSheet&)> set;
    const char* message;  // nullptr: accepted (a limit itself)
  };
  const std::string s31(31, 'x'), s41(41, 'x'), s13(13, 'x'), s257(257, 'x');
  const Case cases[] = {
      {0, [](auto& s) { s.profile.mapScale = 0.0099; }, "Please enter a value between 0.01 and 1e+20."},
      {0, [](auto& s) { s.profile.characterHeight = 100.5; }, "Please enter a value between 0.01 and 100."},
      {0, [&](auto& s) { s.profile.patternFile = s257; }, "Enter no more than 256 characters."},
      {0, [&](auto& s) { s.profile.patternFile = s257.substr(1); }, nullptr},
      {1, [&](auto& s) { s.profile.mainTitle = s31; }, "Enter no more than 30 characters."},
      {1, [&](auto& s) { s.profile.subTitles[3] = s41; }, "Enter no more than 40 characters."},
      {1, [&](auto& s) { s.profile.drawingNumber = s13; }, "Enter no more than 12 characters."},
      {1, [](auto& s) { s.profile.northArrowBearing = -180.5; }, "Please enter a value between -180 and 360."},
      {1, [](auto& s) { s.profile.northArrowBearing = 360; }, nullptr},
      {2, [](auto& s) { s.profile.graduations[2].interval = -1; }, "Please enter a value between 0 and 1e+20."},
      {2, [](auto& s) { s.profile.graduations[1].negativeNotation = "abcd"; }, "Enter no more than 3 characters."},
      {4, [](auto& s) { s.profile.compositeTextSize = 0.0009; }, "Please enter a value between 0.001 and 100."},
      {4, [](auto& s) { s.profile.compositeLabels[0].angle = 361; }, "Please enter a value between 0 and 360."},
      {4, [](auto& s) { s.profile.compositeLabels[0].row = 99; }, nullptr},  // composites are placed by angle
      {4, [](auto& s) { s.profile.compositeLabels[1].width = 51; }, "Please enter a value between 0 and 50."},
      {5, [](auto& s) { s.profile.polygonLabels[2].column = -1; }, "Please enter a value between 0 and 50."},
      {5, [](auto& s) { s.profile.polygonLabels[0].decimals = 11; }, "Please enter a value between 0 and 10."},
      {6, [](auto& s) { s.profile.figureLabels[7].row = 51; }, "Please enter a value between 0 and 50."},
      {6, [](auto& s) { s.profile.figureTextSize = 0; }, "Please enter a value between 0.001 and 100."},
      {6, [](auto& s) { s.profile.polygonTextSize = 0; }, nullptr},  // not this page's
  };
  for (const auto& c : cases) {
    CMapProfileSheet sheet(MapProfileDef(), MapProfileContext{{"Au"}, {}, {}});
    c.set(sheet);
    ScriptedPort port;
    const bool ok = sheet.pages()[static_cast<std::size_t>(c.page)]->onKillActive(port);
    EXPECT_EQ(ok, c.message == nullptr) << c.page << " " << (c.message ? c.message : "");
    EXPECT_EQ(port.messages(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
  }
}

TEST(MapProfilePages, LabelListsFollowTheProjectAndEnvelopesGetSwitches) {
  MapProfileDef p;
  MapVariablesDef au;
  au.name = "Au";
  au.plot = 1;
  au.width = 9;
  MapVariablesDef gone;
  gone.name = "Cu";
  p.compositeLabels = {gone, au};
  p.envelopeFlags = {{1, 1}, {0, 1}, {1, 0}};
  CMapProfileSheet sheet(p, MapProfileContext{{"Ag", "Au"}, {"E1", "E2"}, {"Table#1"}});
  std::vector<std::string> names;
  for (const auto& l : sheet.profile.compositeLabels) names.push_back(l.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Composite Name", "Ag", "Au"}));
  EXPECT_EQ(sheet.profile.compositeLabels[2], au) << "a field still offered keeps its settings";
  EXPECT_EQ(sheet.profile.compositeLabels[1].width, 5);
  EXPECT_EQ(sheet.profile.figureLabels.at(6).name, "%Waste");
  EXPECT_EQ(sheet.profile.envelopeFlags, (std::vector<MapEnvelopeFlags>{{1, 1}, {0, 1}}));
  ASSERT_EQ(sheet.limits.envelope, 0);
  sheet.limits.envelope = 1;
  sheet.limits.chosen()->plotPolygons = 1;
  EXPECT_EQ(sheet.profile.envelopeFlags[1], (MapEnvelopeFlags{1, 1}));
  sheet.limits.envelope = 2;
  EXPECT_EQ(sheet.limits.chosen(), nullptr);
}
