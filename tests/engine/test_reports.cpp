// The polygon and figure reports: whole files against golden text, the
// pieces, the command flow.
#include "io/columns.h"
//
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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
using qx::test::makePolygon;
using qx::test::rectangle;
using qx::test::ScriptedPort;
using qx::test::splitLines;

namespace {

std::string golden(const char* name) {
  return qx::test::readFile(std::filesystem::path(QX_TEST_DATA_DIR).parent_path() / "engine" / "data" / name);
}

// 5 December 2026, 09:07.
std::tm fixedTime() {
  std::tm t{};
  t.tm_mday = 5;
  t.tm_mon = 11;
  t.tm_year = 126;
  t.tm_hour = 9;
  t.tm_min = 7;
  return t;
}

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
    CComposite& c = set.composites.emplace_back();
    c.name = name;
    c.values = std::move(values);
  };
  add("DH-001", {1.5, 0.25, 2.0});
  add("A_composite_name_that_is_longer_than_32_chars", {-1.0, 0.125, 12345.6789});
  add("", {0.0004, 0.00005, 7.0});
  add("DH-004", {2.0, 3.0, 4.0});
  return set;
}

CPolygonSet reportPolygons() {
  CPolygonSet set;
  // Not in composite order; a huge one overflows its columns; an empty one
  // divides by a zero surface.
  set.polygons = {makePolygon(1, 12.345, 1.5, 18.5175, 46.29375), makePolygon(0, 100.0, 2.0, 200.0, 500.0),
                  makePolygon(2, 123456789012.5, 10.0, 1234567890125.0, 3086419725312.5),
                  makePolygon(3, 0.0, 10.0, 0.0, 0.0)};
  return set;
}

// Three 10 x 10 squares: composite 0 at the origin, composite 1 east of it,
// composite 2 north of it.
CPolygonSet squarePolygons() {
  CPolygonSet set;
  auto add = [&](int c, double x, double y, double thickness, double sg) {
    CPolygon& p = set.polygons.emplace_back(
        makePolygon(c, 100.0, thickness, 100.0 * thickness, 100.0 * thickness * sg, rectangle(x, y, x + 10, y + 10)));
    p.specificGravity = sg;
    p.recomputeBoundingBox();
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

// A settings record with a fixed thickness and the given variables.
QuarlexSettings plainSettings(std::vector<VariableInfo> loaded = {}, std::vector<VariableInfoCalc> calculated = {}) {
  QuarlexSettings s;
  s.useFixedThickness = 1;
  s.loaded = std::move(loaded);
  s.calculated = std::move(calculated);
  return s;
}

// In the C locale the command test below writes both files.
TEST(Reports, WholeFilesMatchTheGoldenTextWhateverTheLocale) {
  LocaleGuard guard("de_DE.UTF-8");
  if (!guard.active()) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed here";
  EXPECT_EQ(polygonReportText("Kestrel Pit", fixedTime(), reportPolygons(), sampleComposites(), sampleSettings()),
            golden("polygon_report.golden.txt"));
  EXPECT_EQ(figureReportText("Unnamed Project", fixedTime(), sampleFigures(), squarePolygons(), sampleComposites(),
                             figureSettings()),
            golden("figure_report.golden.txt"));
}

// Marks left on the variables but switched off: fixed values. Only a dilution of 0 is activated.
TEST(Reports, ModelLinesGiveTheFixedValuesWhenSwitchedOffAndTheDilutionSwitch) {
  QuarlexSettings s = figureSettings();
  s.useFixedThickness = 1;
  s.useVariableSG = 0;
  s.defaultSG = 123456.78916;
  s.recoveryMode = kRecoveryNone;
  s.fixedRecovery = 1.0;
  const std::string fixed =
      "\n         Thickness Fixed\n         Specific Gravity Fixed :  123456.7892\n"
      "         Recovery Fixed :       1.0000\n";
  EXPECT_NE(polygonReportText("T", fixedTime(), {}, {}, s).find(fixed + "         Cutoffs For"), std::string::npos);
  FigureSet figures;
  for (int dilution : {1, -1, 7}) {
    figures.dilution = dilution;
    const std::string text = figureReportText("T", fixedTime(), figures, {}, {}, s);
    EXPECT_NE(text.find(fixed + "         Dilution of Figures is Not Activated\n"), std::string::npos) << dilution;
    EXPECT_EQ(text.find("is Activated"), std::string::npos);
  }
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
  set.polygons = {makePolygon(7, 4.0, 1.0, 4.0, 10.0)};
  const std::string text =
      polygonReportText("T", fixedTime(), set, CompositeSet{},
                        plainSettings({loadedVariable("Au", 0, 0)}, {calculatedVariable("TS", "T#S/", 0, 0)}));
  const std::string last = "=\n" + std::string(32, ' ') + "          4.00       1.00           4.00          10.00 " +
                           "      0.0000 " + "      2.5000 ";
  ASSERT_GT(text.size(), last.size());
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
}

// The squares in reverse order: the lines follow the set. A polygon whose
// composite is gone is left out. Far out a float holds 7000005 only to half a unit.
TEST(FigureReport, PolygonsAreListedInSetOrderWithTheirPieceOfTheFigure) {
  const double x0 = 500000.0, y0 = 7000000.0;
  CPolygonSet polygons = squarePolygons();
  std::swap(polygons.polygons[0], polygons.polygons[2]);
  polygons.polygons.push_back(polygons.polygons[1]);
  polygons.polygons.back().compositeIndex = 42;
  CPolygon& far = polygons.polygons.emplace_back(makePolygon(3, 0, 2.0, 0, 0, rectangle(x0, y0, x0 + 10, y0 + 10)));
  far.specificGravity = 2.5;
  far.recomputeBoundingBox();
  FigureSet figures;
  figures.figures = {makeFigure("Cross", rectangle(5, 5, 15, 15), {0, 0, 0, 0, 0, 0}, {}, {}),
                     makeFigure("Far", rectangle(x0 + 5.25, y0 + 2.75, x0 + 15, y0 + 8.5), {0, 0, 0, 0, 0, 0}, {}, {})};
  CompositeSet composites = sampleComposites();
  composites.composites[1].name = "East";
  composites.composites[2].name = "North";
  const auto l = splitLines(figureReportText("T", fixedTime(), figures, polygons, composites, plainSettings()));
  ASSERT_EQ(l.size(), 16u + 5u);
  EXPECT_EQ(l[10], "Polygons inside figure Cross" + std::string(27, ' '));
  EXPECT_EQ(l[11].substr(0, 32 + 14), "North" + std::string(27, ' ') + "         25.00");
  EXPECT_EQ(l[12].substr(0, 32 + 14), "East" + std::string(28, ' ') + "         25.00");
  EXPECT_EQ(l[13].substr(0, 32 + 14), "DH-001" + std::string(26, ' ') + "         25.00");
  // 4.75 x 5.75 = 27.3125; volume 54.625; tonnage 136.5625.
  EXPECT_EQ(l[18], "DH-004" + std::string(26, ' ') + "         27.31       2.00          54.62         136.56" +
                       std::string(27, ' '));
}

// Cancelled, written whole over an older file, and a file that cannot be opened.
TEST(ReportCommand, BothReportsWriteTheChosenFileWholeOrReportTheFile) {
  qx::test::TempDir temp{"qx_reports"};
  const auto poly = temp.write("poly.txt", std::string(5000, 'x'));  // replaced whole
  const auto fig = temp.path() / "fig.txt", missing = temp.path() / "missing-folder" / "poly.txt";
  ScriptedPort port;
  port.answerFile(std::nullopt);  // cancelled
  for (const auto& path : {poly, fig, missing, missing}) port.answerFile(path.string());
  const ReportClock clock = fixedTime;
  auto polygonsTo = [&] {
    return reportPolygons(port, "Kestrel Pit", reportPolygons(), sampleComposites(), sampleSettings(), clock);
  };
  auto figuresTo = [&] {
    return reportFigures(port, "Unnamed Project", sampleFigures(), squarePolygons(), sampleComposites(),
                         figureSettings(), clock);
  };
  EXPECT_EQ(polygonsTo(), ReportOutcome::Cancelled);
  port.clearLog();
  EXPECT_EQ(polygonsTo(), ReportOutcome::Written);
  EXPECT_EQ(figuresTo(), ReportOutcome::Written);
  EXPECT_EQ(qx::test::readFile(poly), golden("polygon_report.golden.txt"));
  EXPECT_EQ(qx::test::readFile(fig), golden("figure_report.golden.txt"));
  // The figure report shows the wait cursor while it writes.
  EXPECT_EQ(port.log(), (std::vector<std::string>{
                            "file save: Save Polygon Report [Polygon Report Files (*.txt)|*.txt|All Files (*.*)|*.*||]",
                            "file save: Save Figure Report [Figure Report Files (*.txt)|*.txt|All Files (*.*)|*.*||]",
                            "wait on", "wait off"}));
  EXPECT_EQ(polygonsTo(), ReportOutcome::FileError);
  EXPECT_EQ(figuresTo(), ReportOutcome::FileError);
  const std::string message = "The file " + missing.string() + " could not be opened for writing.";
  EXPECT_EQ(port.messages(), (std::vector<std::string>{message, message}));
  EXPECT_EQ(port.waitDepth(), 0);
}

}  // namespace
