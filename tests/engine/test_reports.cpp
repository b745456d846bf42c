// The polygon and figure reports: whole files against golden text written
// with the printf layouts over the same data, the rules, the header lines,
// the listing of the polygons inside each figure, and the command flow.
#include "io/columns.h"
//
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cancel_steps.h"
#include "datasets/composites.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "engine/reports.h"
#include "project/quarlex_settings.h"
#include "scripted_port.h"
#include "support/result_records.h"
#include "support/test_files.h"
#include "variables/formula_compiler.h"

using namespace qx;
using qx::test::LocaleGuard;
using qx::test::makeFigure;
using qx::test::rectangle;
using qx::test::ScriptedPort;
using qx::test::splitLines;

namespace {

std::string golden(const char* name) {
  const auto path = std::filesystem::path(QX_TEST_DATA_DIR).parent_path() / "engine" / "data" / name;
  EXPECT_TRUE(std::filesystem::exists(path)) << path;
  return qx::test::readFile(path);
}

std::tm at(int day, int month, int year, int hour, int minute) {
  std::tm t{};
  t.tm_mday = day;
  t.tm_mon = month - 1;
  t.tm_year = year - 1900;
  t.tm_hour = hour;
  t.tm_min = minute;
  return t;
}
std::tm fixedTime() { return at(5, 12, 2026, 9, 7); }

VariableInfo loadedVariable(const char* name, double high, double low) {
  VariableInfo v(name);
  v.maxCutoff = high;
  v.minCutoff = low;
  return v;
}

VariableInfoCalc calculatedVariable(const char* name, const char* code, double high, double low) {
  VariableInfoCalc v(name);
  v.maxCutoff = high;
  v.minCutoff = low;
  v.formulaCode = code;
  const auto r = compileFormula(code);
  EXPECT_TRUE(r.ok()) << code;
  v.compiled = r.block;
  return v;
}

// Au, Cu (equal cutoffs), a long name; Metal = Au x Tonnage, Thick = Volume / Surface.
QuarlexSettings sampleSettings() {
  QuarlexSettings s;
  s.loaded = {loadedVariable("Au", 10.0, 0.5), loadedVariable("Cu", 0.0, 0.0),
              loadedVariable("Silver_Grade_Long_Name", 3.25, 1.0)};
  s.calculated = {calculatedVariable("Metal", "a#T*", 0.0, 0.0), calculatedVariable("Thick", "V#S/", 100.0, 0.0)};
  s.useFixedThickness = 1;
  s.useVariableSG = 0;
  s.defaultSG = 2.5;
  s.recoveryMode = kRecoveryFixed;
  s.fixedRecovery = 0.85;
  return s;
}

CompositeSet sampleComposites() {
  CompositeSet set;
  auto add = [&](const char* name, std::vector<double> values) {
    CComposite c;
    c.name = name;
    c.values = std::move(values);
    set.composites.push_back(c);
  };
  add("DH-001", {1.5, 0.25, 2.0});
  add("A_composite_name_that_is_longer_than_32_chars", {-1.0, 0.125, 12345.6789});
  add("", {0.0004, 0.00005, 7.0});
  add("DH-004", {2.0, 3.0, 4.0});
  return set;
}

CPolygon polygon(int c, double area, double thickness, double volume, double tonnage) {
  return qx::test::makePolygon(c, area, thickness, volume, tonnage);
}

CPolygonSet reportPolygons() {
  CPolygonSet set;
  // Not in composite order; a huge one overflows its columns; an empty one
  // divides by a zero surface.
  set.polygons = {polygon(1, 12.345, 1.5, 18.5175, 46.29375), polygon(0, 100.0, 2.0, 200.0, 500.0),
                  polygon(2, 123456789012.5, 10.0, 1234567890125.0, 3086419725312.5), polygon(3, 0.0, 10.0, 0.0, 0.0)};
  return set;
}

// Three 10 x 10 squares: composite 0 at the origin, composite 1 east of it,
// composite 2 north of it.
CPolygonSet squarePolygons() {
  CPolygonSet set;
  auto add = [&](int c, double x, double y, double thickness, double sg) {
    CPolygon p = qx::test::makePolygon(c, 100.0, thickness, 100.0 * thickness, 100.0 * thickness * sg,
                                       rectangle(x, y, x + 10, y + 10));
    p.specificGravity = sg;
    p.recomputeBoundingBox();
    set.polygons.push_back(p);
  };
  add(0, 0, 0, 2.0, 2.5);
  add(1, 10, 0, 1.5, 3.0);
  add(2, 0, 10, 4.0, 2.0);
  return set;
}

FigureSet sampleFigures() {
  FigureSet set;
  set.dilution = 0;
  set.figures = {
      makeFigure("Block A", rectangle(5, 2, 15, 8), {60.0, 2.25, 135.0, 360.0, 0.0, 1.0}, {0.5, 0.1875, 6172.8},
                 {360.0, 2.25}),
      // Shares the west edge of the first square (and a corner of the third):
      // their boxes overlap, the area inside is zero. No values stored yet.
      makeFigure("Touching West", rectangle(-5, 0, 0, 10), {50.0, 10.0, 500.0, 0.0, 1000.0, 0.0}, {}, {}),
      makeFigure("A_figure_name_exceeding_thirty_two_chars", rectangle(2, 5, 8, 15),
                 {60.0, 3.0, 180.0, 390.0, 12.5, 0.875}, {0.75, 0.1875, 3.5}, {292.5, 3.0}),
      makeFigure("Far Away", rectangle(100, 100, 110, 110), {100.0, 10.0, 1000.0, 0.0, 2000.0, 0.0}, {1.0, 2.0, 3.0},
                 {4.0, 5.0}),
  };
  return set;
}

QuarlexSettings figureSettings() {
  QuarlexSettings s = sampleSettings();
  s.useFixedThickness = 0;
  s.setThicknessVariable(0);  // Au
  s.useVariableSG = 1;
  s.setSGVariable(3);  // Metal, a calculated variable
  s.recoveryMode = kRecoveryVariable;
  s.setRecoveryVariable(1);  // Cu
  return s;
}

std::string samplePolygonReport() {
  return polygonReportText("Kestrel Pit", fixedTime(), reportPolygons(), sampleComposites(), sampleSettings());
}
std::string sampleFigureReport() {
  return figureReportText("Unnamed Project", fixedTime(), sampleFigures(), squarePolygons(), sampleComposites(),
                          figureSettings());
}

// A settings record with a fixed thickness and the given variables.
QuarlexSettings plainSettings(std::vector<VariableInfo> loaded = {}, std::vector<VariableInfoCalc> calculated = {}) {
  QuarlexSettings s;
  s.useFixedThickness = 1;
  s.loaded = std::move(loaded);
  s.calculated = std::move(calculated);
  return s;
}

// ---- whole files ----

TEST(Reports, WholeFilesMatchTheGoldenTextWhateverTheLocale) {
  EXPECT_EQ(samplePolygonReport(), golden("polygon_report.golden.txt"));
  EXPECT_EQ(sampleFigureReport(), golden("figure_report.golden.txt"));
  LocaleGuard guard("de_DE.UTF-8");
  if (!guard.active()) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed here";
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%.1f", 0.5);
  ASSERT_STREQ(buffer, "0,5");
  EXPECT_EQ(samplePolygonReport(), golden("polygon_report.golden.txt"));
  EXPECT_EQ(sampleFigureReport(), golden("figure_report.golden.txt"));
}

// ---- pieces ----

TEST(Reports, TimeLineIsDayMonthYearHoursMinutes) {
  EXPECT_EQ(reportTimeText(at(1, 1, 1905, 0, 0)), "01/01/1905, 00h00");  // the year in full
  EXPECT_EQ(reportTimeText(at(31, 12, 2099, 23, 59)), "31/12/2099, 23h59");
}

TEST(PolygonReport, RulesGrowBy13PerVariableAndAnEmptySetEndsAtTheColumnRule) {
  for (int loadedCount : {0, 1, 4}) {
    for (int calculatedCount : {0, 2}) {
      QuarlexSettings s = plainSettings();
      for (int i = 0; i < loadedCount; ++i) s.loaded.emplace_back("v" + std::to_string(i));
      for (int i = 0; i < calculatedCount; ++i) s.calculated.emplace_back("c" + std::to_string(i));
      const std::size_t v = static_cast<std::size_t>(loadedCount + calculatedCount);
      const std::string text = polygonReportText("P", fixedTime(), CPolygonSet{}, CompositeSet{}, s);
      const auto l = splitLines(text);
      // Rule, title, time, blank, three model lines, rule, column line, rule.
      ASSERT_EQ(l.size(), 10u);
      EXPECT_EQ(l[0], std::string(143 + 13 * v, '=')) << v;
      EXPECT_EQ(l[1], "  P - POLYGON REPORT ");
      EXPECT_EQ(l[7], std::string(163 + 13 * v, '=')) << v;
      EXPECT_EQ(l[8].size(), 87u + 13u * v);
      EXPECT_EQ(l[8].substr(0, 7), "Polygon");
      EXPECT_EQ(l[9], std::string(161 + 13 * v, '=')) << v;
      EXPECT_NE(text.back(), '\n');
    }
  }
}

// The figure report's golden text names the variables.
TEST(Reports, ModelLinesGiveTheFixedValuesWhenTheVariablesAreSwitchedOff) {
  QuarlexSettings s = figureSettings();
  // Marks left on the variables but switched off in the settings: fixed values.
  s.useFixedThickness = 1;
  s.useVariableSG = 0;
  s.defaultSG = 123456.78916;
  s.recoveryMode = kRecoveryNone;
  s.fixedRecovery = 1.0;
  const std::string fixed = polygonReportText("T", fixedTime(), CPolygonSet{}, CompositeSet{}, s);
  EXPECT_NE(fixed.find("\n         Thickness Fixed\n         Specific Gravity Fixed :  123456.7892\n"
                       "         Recovery Fixed :       1.0000\n"),
            std::string::npos);
}

TEST(FigureReport, DilutionLineFollowsTheFigureSetsSwitch) {
  const QuarlexSettings s = sampleSettings();
  FigureSet figures;
  for (int dilution : {0, 1, -1, 7}) {
    figures.dilution = dilution;
    const std::string text = figureReportText("T", fixedTime(), figures, CPolygonSet{}, CompositeSet{}, s);
    if (dilution == 0) {
      EXPECT_NE(text.find("       0.8500\n         Dilution of Figures is Activated\n         Cutoffs For"),
                std::string::npos);
    } else {
      EXPECT_NE(text.find("\n         Dilution of Figures is Not Activated\n"), std::string::npos) << dilution;
      EXPECT_EQ(text.find("is Activated"), std::string::npos);
    }
  }
  // The polygon report has no dilution line.
  EXPECT_EQ(polygonReportText("T", fixedTime(), CPolygonSet{}, CompositeSet{}, s).find("Dilution"), std::string::npos);
}

TEST(Reports, OnlyVariablesWithDifferentCutoffsGetALine) {
  const QuarlexSettings s = plainSettings(
      {loadedVariable("Same", 2.0, 2.0), loadedVariable("Zero", 0.0, 0.0), loadedVariable("Inverted", -1.0, 4.0)},
      {calculatedVariable("CalcSame", "1#", 7.0, 7.0), calculatedVariable("CalcDiff", "1#", 7.0, 6.5)});
  const std::string text = polygonReportText("T", fixedTime(), CPolygonSet{}, CompositeSet{}, s);
  EXPECT_NE(text.find("\n         Cutoffs For     Inverted (high/low) : -1.0000 / 4.0000\n"
                      "         Cutoffs For     CalcDiff (high/low) : 7.0000 / 6.5000\n="),
            std::string::npos);
  std::size_t count = 0;
  for (std::size_t at = text.find("Cutoffs For"); at != std::string::npos; at = text.find("Cutoffs For", at + 1))
    ++count;
  EXPECT_EQ(count, 2u);
}

TEST(PolygonReport, PolygonWithoutCompositeHasBlankNameAndZeroValues) {
  CPolygonSet set;
  set.polygons = {polygon(7, 4.0, 1.0, 4.0, 10.0)};
  const std::string text =
      polygonReportText("T", fixedTime(), set, CompositeSet{},
                        plainSettings({loadedVariable("Au", 0, 0)}, {calculatedVariable("TS", "T#S/", 0, 0)}));
  const std::string last = "\n" + std::string(32, ' ') + "          4.00       1.00           4.00          10.00 " +
                           "      0.0000 " + "      2.5000 ";
  ASSERT_GT(text.size(), last.size());
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
  EXPECT_EQ(text[text.size() - last.size() - 1], '=');
}

TEST(FigureReport, PolygonsAreListedInSetOrderWithTheirPieceOfTheFigure) {
  // The same squares, the set in reverse order: the lines follow the set.
  CPolygonSet polygons = squarePolygons();
  std::swap(polygons.polygons[0], polygons.polygons[2]);
  // A polygon whose composite is gone covers the figure too; it has no values
  // and the figure's calculation skips it, so the report leaves it out.
  polygons.polygons.push_back(polygons.polygons[1]);
  polygons.polygons.back().compositeIndex = 42;
  FigureSet figures;
  figures.figures = {makeFigure("Cross", rectangle(5, 5, 15, 15), {0, 0, 0, 0, 0, 0}, {}, {})};
  CompositeSet composites = sampleComposites();
  composites.composites[1].name = "East";
  composites.composites[2].name = "North";
  const auto l = splitLines(figureReportText("T", fixedTime(), figures, polygons, composites, plainSettings()));
  // title (blank, 2 lines, blank), model lines, dilution, blank, column line,
  // "Polygons inside", three pieces, total, blank.
  ASSERT_EQ(l.size(), 16u);
  EXPECT_EQ(l[10], "Polygons inside figure Cross" + std::string(27, ' '));
  EXPECT_EQ(l[11].substr(0, 32 + 14), "North" + std::string(27, ' ') + "         25.00");
  EXPECT_EQ(l[12].substr(0, 32 + 14), "East" + std::string(28, ' ') + "         25.00");
  EXPECT_EQ(l[13].substr(0, 32 + 14), "DH-001" + std::string(26, ' ') + "         25.00");
  EXPECT_EQ(l[14].substr(0, 5), "Cross");
  EXPECT_EQ(l[15], "");
}

TEST(FigureReport, PiecesFarFromTheOriginKeepTheirArea) {
  // Mine-grid coordinates: a float holds 7000005 only to half a unit, so the
  // outlines are brought near the figure's centre before the intersection.
  const double x0 = 500000.0, y0 = 7000000.0;
  CPolygonSet polygons;
  CPolygon p = polygon(0, 0, 2.0, 0, 0);
  p.outline = rectangle(x0, y0, x0 + 10, y0 + 10);
  p.specificGravity = 2.5;
  p.recomputeBoundingBox();
  polygons.polygons = {p};
  FigureSet figures;
  figures.figures = {makeFigure("Far", rectangle(x0 + 5.25, y0 + 2.75, x0 + 15, y0 + 8.5), {0, 0, 0, 0, 0, 0}, {}, {})};
  const auto l = splitLines(figureReportText("T", fixedTime(), figures, polygons, sampleComposites(), plainSettings()));
  ASSERT_EQ(l.size(), 14u);
  // 4.75 x 5.75 = 27.3125; volume 54.625; tonnage 136.5625.
  EXPECT_EQ(l[11], "DH-001" + std::string(26, ' ') + "         27.31       2.00          54.62         136.56" +
                       std::string(27, ' '));
}

// ---- the commands ----

class ReportCommand : public ::testing::Test {
 protected:
  qx::test::TempDir temp_{"qx_reports"};
  std::filesystem::path dir_ = temp_.path();
};

TEST_F(ReportCommand, BothReportsWriteTheChosenFileWhole) {
  const auto poly = temp_.write("poly.txt", std::string(5000, 'x'));  // replaced whole
  const auto fig = dir_ / "fig.txt";
  ScriptedPort port;
  port.answerFile(poly.string());
  port.answerFile(fig.string());
  EXPECT_EQ(reportPolygons(port, "Kestrel Pit", reportPolygons(), sampleComposites(), sampleSettings(), fixedTime),
            ReportOutcome::Written);
  EXPECT_EQ(reportFigures(port, "Unnamed Project", sampleFigures(), squarePolygons(), sampleComposites(),
                          figureSettings(), fixedTime),
            ReportOutcome::Written);
  EXPECT_EQ(qx::test::readFile(poly), golden("polygon_report.golden.txt"));
  EXPECT_EQ(qx::test::readFile(fig), golden("figure_report.golden.txt"));
  // The figure report shows the wait cursor while it writes.
  EXPECT_EQ(port.log(), (std::vector<std::string>{
                            "file save: Save Polygon Report [Polygon Report Files (*.txt)|*.txt|All Files (*.*)|*.*||]",
                            "file save: Save Figure Report [Figure Report Files (*.txt)|*.txt|All Files (*.*)|*.*||]",
                            "wait on", "wait off"}));
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(ReportCommand, CancelWritesNothing) {
  struct World {
    ScriptedPort port;
    bool clockAsked = false;
    ReportClock clock = [this] {
      clockAsked = true;
      return fixedTime();
    };
  };
  const std::vector<qx::test::CancelStep<World>> fileDialog{{"file dialog", nullptr,
                                                             [](World& w) { w.port.answerFile(std::nullopt); },
                                                             [](World& w) { EXPECT_TRUE(w.port.messages().empty()); }}};
  const auto snapshot = [this](World& w) { return std::pair(w.clockAsked, std::filesystem::is_empty(dir_)); };
  qx::test::expectCancelAtEachStep<World>(fileDialog, snapshot, [](World& w) {
    EXPECT_EQ(reportPolygons(w.port, "T", reportPolygons(), sampleComposites(), sampleSettings(), w.clock),
              ReportOutcome::Cancelled);
  });
  qx::test::expectCancelAtEachStep<World>(fileDialog, snapshot, [](World& w) {
    EXPECT_EQ(
        reportFigures(w.port, "T", sampleFigures(), squarePolygons(), sampleComposites(), figureSettings(), w.clock),
        ReportOutcome::Cancelled);
  });
}

TEST_F(ReportCommand, AFileThatCannotBeOpenedIsReported) {
  const auto path = dir_ / "missing-folder" / "poly.txt";
  ScriptedPort port;
  port.answerFile(path.string());
  port.answerFile(path.string());
  EXPECT_EQ(reportPolygons(port, "T", reportPolygons(), sampleComposites(), sampleSettings(), fixedTime),
            ReportOutcome::FileError);
  EXPECT_EQ(
      reportFigures(port, "T", sampleFigures(), squarePolygons(), sampleComposites(), figureSettings(), fixedTime),
      ReportOutcome::FileError);
  const std::string message = "The file " + path.string() + " could not be opened for writing.";
  EXPECT_EQ(port.messages(), (std::vector<std::string>{message, message}));
  EXPECT_EQ(port.waitDepth(), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
