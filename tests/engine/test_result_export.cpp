// Writing polygons and figures to outline files byte for byte, the column
// pages, the figure selection and the rotation.
#include "io/column_pages.h"
#include "io/columns.h"
//
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "datasets/composites.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "engine/result_export.h"
#include "project/quarlex_settings.h"
#include "scripted_port.h"
#include "sections/rotation_dialog.h"
#include "support/result_records.h"
#include "support/test_files.h"
#include "variables/formula_compiler.h"

using namespace qx;
using qx::test::readFile;
using qx::test::ScriptedPort;

namespace {

void setColumn(std::vector<ColumnField>& columns, const char* name, int position, int width, int decimals) {
  for (auto& c : columns)
    if (c.name == name) c = {name, position, width, decimals};
}

// Where a variable goes in the polygon file and in the figure file.
void placeVariable(VariableInfo& v, std::array<int, 6> places) {
  std::tie(v.polygonPosition, v.polygonWidth, v.polygonDecimals, v.figurePosition, v.figureWidth, v.figureDecimals) =
      std::tuple_cat(places);
}

// Au and Cu loaded, Metal = Au x Tonnage calculated.
QuarlexSettings exportSettings(bool threeD) {
  QuarlexSettings s;
  s.projectType = threeD ? kProject3D : kProject2D;
  s.loaded = {VariableInfo("Au"), VariableInfo("Cu")};
  VariableInfoCalc metal("Metal");
  metal.formulaCode = "a#T*";
  metal.compiled = compileFormula(metal.formulaCode).block;
  s.calculated = {metal};
  placeVariable(s.loaded[0], {66, 8, 3, 76, 7, 2});
  s.loaded[1].polygonPosition = 20;  // width 0: not written
  placeVariable(s.calculated[0], {74, 10, 2, 83, 8, 1});
  return s;
}

CompositeSet exportComposites() {
  CompositeSet set;
  set.composites.resize(2);
  set.composites[0].name = "DH-001";
  set.composites[0].values = {1.5, 0.25};
  set.composites[1].name = "A_very_long_composite_name";
  set.composites[1].values = {12.3456, 3.0};
  return set;
}

CPolygonSet exportPolygons() {
  CPolygonSet set;
  // Z: a 2D project leaves it out; Thickness: width 0 inside other columns.
  set.columns = {{"Name", 2, 10, 0},          {"X Coordinate", 12, 10, 2}, {"Y Coordinate", 22, 10, 2},
                 {"Z Coordinate", 32, 10, 2}, {"Surface Area", 32, 12, 3}, {"Thickness", 40, 0, 2},
                 {"Volume", 44, 10, 1},       {"Tonnage", 54, 12, 2}};
  using qx::test::makePolygon;
  set.polygons = {
      makePolygon(0, 100.5, 2, 201, 502.5, {{0, 0, 7}, {10, 0, 7}, {10, 10, 7}}),
      makePolygon(1, 1234567.891, 2, 123456789.5, 0.125, {{-5.125, 1e6, 0}, {123456789, -0.004, 0}, {1, 2, 0}}),
      makePolygon(9, 0, 0, 0, 0)};  // no such composite, no outline
  return set;
}

const char* const kPolygonFile =
    "1DH-001                             100.500     201.0      502.50   1.500      1.50\n"
    "2                0.00      0.00\n"
    "2               10.00      0.00\n"
    "2               10.00     10.00\n"
    "1A_very_lon                     1234567.891123456789.        0.12  12.346     12.35\n"
    "2               -5.121000000.00\n"
    "2          123456789.     -0.00\n"
    "2                1.00      2.00\n"
    "1                                     0.000       0.0        0.00   0.000      0.00\n";

FigureSet exportFigures() {
  FigureSet set;
  set.columns = {{"Name", 5, 8, 0},           {"X Coordinate", 13, 9, 3},
                 {"Y Coordinate", 22, 9, 3},  {"Z Coordinate", 31, 8, 1},
                 {"Surface Area", 40, 8, 1},  {"Thickness", 48, 6, 2},
                 {"Volume", 50, 0, 2},        {"Ore Tonnage", 54, 9, 1},
                 {"Waste Tonnage", 63, 7, 0}, {"Coverage (% Ore)", 70, 6, 3}};
  using qx::test::makeFigure;
  set.figures = {
      makeFigure("Block A", {{5, 2, 100.5}, {15, 2, 100.5}, {15, 8, 100.5}, {5, 8, 100.5}},
                 {60, 2.25, 135, 360.5, 1000, 0.875}, {0.5, 0.25}, {360.0}),
      // No calculated value yet: written as 0.
      makeFigure("Stope_9_North_Extension", {{0, 0, -3}, {4, 0, -3}, {4, 4, -3}, {0, 4, -3}, {-1, -1, -3}},
                 {12.25, 1, 12.25, 30, 0, 1}, {7.125, 9.0}, {}),
  };
  set.figures[1].pointCount = 3;  // of five vertices
  return set;
}

const char* const kFigureFile =
    "1   Block A                                60.0  2.25    360.5   1000 0.875   0.50   360.0\n"
    "2               5.000    2.000   100.5\n"
    "2              15.000    2.000   100.5\n"
    "2              15.000    8.000   100.5\n"
    "2               5.000    8.000   100.5\n"
    "1   Stope_9_                               12.2  1.00     30.0      0 1.000   7.12     0.0\n"
    "2               0.000    0.000    -3.0\n"
    "2               4.000    0.000    -3.0\n"
    "2               4.000    4.000    -3.0\n";

class ExportCommand : public ::testing::Test {
 protected:
  qx::test::TempDir temp_{"qx_result_export"};
  std::filesystem::path dir_ = temp_.path();
};

TEST(ResultHeaderLine, ColumnsAreCutPaddedPlacedAndOverwritten) {
  const std::vector<ColumnField> columns{
      {"A", 12, 5, 1},  // a number wider than its column is cut to the width
      {"B", 30, 0, 2},  // width 0: nothing, and the line does not reach it
      {"C", 9, 0, 2},   // width 0 inside the written range: nothing
      {"D", 0, 4, 2},   // position 0: not in the file
      {"E", 17, 6, 2},
  };
  const std::vector<double> values{123456.25, 9, 9, 9, -1.5};
  struct Case {
    ColumnField name;
    const char* text;
    std::vector<ColumnField> columns;
    std::vector<double> values;
    std::string expected;
  };
  const Case cases[] = {
      {{"Name", 3, 6, 0}, "Pit", columns, values, "1 Pit      12345 -1.50\n"},
      {{"Name", 3, 6, 0}, "Longer than six", columns, values, "1 Longer   12345 -1.50\n"},
      {{"Name", 2, 0, 0}, "Pit", {}, {}, "1\n"},  // nothing written: the tag alone
      // The name's padding counts: a blank name still reaches the end of its column.
      {{"Name", 4, 5, 0}, "", {}, {}, "1       \n"},
      // "  1.50" in 2..7, then "  7" in 5..7.
      {{"Name", 0, 0, 0}, "x", {{"A", 2, 6, 2}, {"B", 5, 3, 0}}, {1.5, 7.0}, "1  1  7\n"},
      // The name written after nothing, but overwritten by a number.
      {{"Name", 2, 4, 0}, "abcd", {{"A", 4, 2, 0}}, {42}, "1ab42\n"},
      // A column beyond the blanks lengthens the line.
      {{"Name", 2, 3, 0}, "N", {{"A", 508, 6, 1}}, {2.5}, "1N  " + std::string(500, ' ') + "      2.5\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(resultHeaderLine(c.name, c.text, c.columns, c.values), c.expected) << c.text;
}

TEST(PolygonExport, SmallSetByteForByteWithZAndTheCompositesCalculatedValues) {
  EXPECT_EQ(polygonExportText(exportPolygons(), exportComposites(), exportSettings(false), false), kPolygonFile);
  // A rotation kept in the set but not asked for: written as stored.
  CPolygonSet turned = exportPolygons();
  turned.exportRotation.setAngles(180.0, 0.0, 0.0);
  EXPECT_EQ(polygonExportText(turned, exportComposites(), exportSettings(false), false), kPolygonFile);
  // Z in a 3D project. Metal = Au x Tonnage: the composite's value takes
  // Tonnage as 1, whatever the polygon's tonnage.
  CPolygonSet set = exportPolygons();
  setColumn(set.columns, "Z Coordinate", 32, 6, 1);
  set.polygons.resize(1);
  set.polygons[0].tonnage = 1000;
  EXPECT_EQ(polygonExportText(set, exportComposites(), exportSettings(true), false),
            "1DH-001                             100.500     201.0     1000.00   1.500      1.50\n"
            "2                0.00      0.00   7.0\n"
            "2               10.00      0.00   7.0\n"
            "2               10.00     10.00   7.0\n");
}

TEST(FigureExport, SmallSetByteForByte) {
  const FigureSet set = exportFigures();
  EXPECT_EQ(figureExportText(set, std::vector<int>{0, 1}, exportSettings(true), false), kFigureFile);
  // Only the listed figures, in the order listed; unknown indices skipped.
  const std::string first(kFigureFile, std::string_view(kFigureFile).find("1   Stope"));
  const std::string second = std::string(kFigureFile).substr(first.size());
  EXPECT_EQ(figureExportText(set, std::vector<int>{1, 7, -1, 0}, exportSettings(true), false), second + first);
  EXPECT_EQ(figureExportText(set, std::vector<int>{}, exportSettings(true), false), "");
}

TEST(ExportDescription, ColumnsInPageOrderAndChoicesGoBackByPlace) {
  std::vector<std::string> names;
  for (const auto& f : figureExportDescription(exportFigures(), exportSettings(true)).fields) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Name", "X Coordinate", "Y Coordinate", "Z Coordinate", "Surface Area",
                                             "Thickness", "Volume", "Ore Tonnage", "Waste Tonnage", "Coverage (% Ore)",
                                             "Au", "Cu", "Metal"}));
  EXPECT_EQ(polygonExportDescription(exportPolygons(), exportSettings(true)).fields[3],
            (ColumnField{"Z Coordinate", 32, 10, 2}));
  // 2D: no Z. A variable named like a fixed column; an old record without "Tonnage".
  QuarlexSettings s = exportSettings(false);
  s.loaded[1].name = "Volume";
  CPolygonSet set = exportPolygons();
  set.columns.erase(set.columns.begin() + 7);
  ColumnDescription d = polygonExportDescription(set, s);
  ASSERT_EQ(d.fields.size(), 10u);
  EXPECT_EQ(d.fields[6], (ColumnField{"Tonnage", 0, 0, 2}));
  EXPECT_EQ(d.fields[8], (ColumnField{"Volume", 20, 0, 4}));
  d.fields[5] = {"Volume", 101, 11, 3};  // the fixed column
  d.fields[6] = {"Tonnage", 120, 9, 1};
  d.fields[8] = {"Volume", 140, 5, 0};  // the variable
  applyPolygonExportDescription(d, set, s);
  EXPECT_EQ(set.columns[6], (ColumnField{"Volume", 101, 11, 3}));
  EXPECT_EQ(set.columns.back(), (ColumnField{"Tonnage", 120, 9, 1}));
  EXPECT_EQ(std::tuple(s.loaded[1].polygonPosition, s.loaded[1].polygonWidth, s.loaded[1].figurePosition),
            std::tuple(140, 5, 0));  // the figure-file columns are another set of numbers
}

TEST(SelectFiguresPage, ChoicesGiveTheFiguresToExport) {
  FigureSet set = exportFigures();
  set.figures.push_back(set.figures[0]);
  CPropPageSelectFigures page(set);
  EXPECT_EQ(page.selectedFigures(), (std::vector<int>{0, 1, 2}));
  page.setChoice(CPropPageSelectFigures::kSingle);
  page.setSingleFigure(2);
  page.setSingleFigure(3);  // outside the list: ignored
  EXPECT_EQ(page.selectedFigures(), (std::vector<int>{2}));
  page.setChoice(CPropPageSelectFigures::kGroup);
  ScriptedPort port;
  EXPECT_FALSE(page.onKillActive(port)) << "an empty group";
  for (const int i : {2, 0, 5}) page.setInGroup(i, true);
  EXPECT_TRUE(page.onKillActive(port));
  EXPECT_EQ(page.selectedFigures(), (std::vector<int>{0, 2}));
}

TEST_F(ExportCommand, PolygonsAndFiguresThroughTheWizards) {
  CPolygonSet start = exportPolygons();
  // The page starts from the stored columns; the user moves "Surface Area"
  // back to where the test file has it.
  setColumn(start.columns, "Surface Area", 150, 3, 0);
  QuarlexSettings settings = exportSettings(false);
  ScriptedPort port;
  port.answerSheet([&](SheetModel& sheet) {
    auto& page = dynamic_cast<CAsciiFormatPage&>(*sheet.pages()[0]);
    page.chooseField(3);
    EXPECT_EQ(page.position(), 150);
    EXPECT_TRUE(page.setValues(port, 32, 12, 3));
    return true;
  });
  port.answerFile((dir_ / "poly.dig").string());
  EXPECT_EQ(qx::exportPolygons(port, start, exportComposites(), settings), ResultExportOutcome::Written);
  EXPECT_EQ(readFile(dir_ / "poly.dig"), kPolygonFile);
  EXPECT_EQ(start.columns, exportPolygons().columns);
  // A file that cannot be created ends silently.
  port.answerSheet([](SheetModel&) { return true; });
  port.answerFile((dir_ / "no-such-folder" / "x.dig").string());
  EXPECT_EQ(qx::exportPolygons(port, start, exportComposites(), settings), ResultExportOutcome::FileError);

  FigureSet figures = exportFigures();
  port.answerSheet([&](SheetModel& sheet) {
    auto& select = dynamic_cast<CPropPageSelectFigures&>(*sheet.pages()[0]);
    select.setChoice(CPropPageSelectFigures::kGroup);
    select.setInGroup(0, true);
    return true;
  });
  port.answerFile((dir_ / "group.dig").string());
  settings.projectType = kProject3D;
  EXPECT_EQ(qx::exportFigures(port, figures, settings), ResultExportOutcome::Written);
  const std::string text = kFigureFile;
  EXPECT_EQ(readFile(dir_ / "group.dig"), text.substr(0, text.find("1   Stope")));
  EXPECT_EQ(std::vector(port.log().begin() + 3, port.log().end()),
            (std::vector<std::string>{
                "file save: Save Figure Datafile [Polygon Dataset Files (*.dig)|*.dig|All Files (*.*)|*.*||]",
                "wizard: Export Figures",
                "file save: Save Figure Datafile [Figure Dataset Files (*.dig)|*.dig|All Files (*.*)|*.*||]"}));

  // Half a turn about Z around (1, 2), taken from the centre: (x, y) -> (1 - x, 2 - y).
  port.answerSheet([](SheetModel& sheet) {
    dynamic_cast<CAsciiFormatPage&>(*sheet.pages()[0]).setRotate(true);
    return true;
  });
  port.answerDialog([](DialogModel& m) {
    auto& d = dynamic_cast<CDialogRotationParams&>(m);
    std::tie(d.theta, d.centre) = std::tuple(180.0, DPoint3D{1, 2, 0});
    return true;
  });
  port.answerFile((dir_ / "rot.dig").string());
  EXPECT_EQ(qx::exportPolygons(port, start, exportComposites(), settings), ResultExportOutcome::Written);
  EXPECT_EQ(qx::test::splitLines(readFile(dir_ / "rot.dig"))[2],
            "2               -9.00      2.00      7.00");  // (10, 0, 7)
  EXPECT_EQ(start.exportRotation.theta(), 180.0);          // kept in the set
}

}  // namespace
