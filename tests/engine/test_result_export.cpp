// Writing polygons and figures to outline files: the header and vertex lines
// byte for byte, the column pages and the figure selection, the rotation, the
// Cancel of every step, and figures read back by the figure loader.
#include "io/column_pages.h"
#include "io/columns.h"
//
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "datasets/composites.h"
#include "engine/figure_import.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "engine/result_export.h"
#include "sections/rotation_dialog.h"
#include "project/quarlex_settings.h"
#include "cancel_steps.h"
#include "scripted_port.h"
#include "variables/formula_compiler.h"

using namespace qx;
using qx::test::ScriptedPort;

namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void setColumn(std::vector<ColumnField>& columns, const char* name, int position, int width, int decimals) {
  for (auto& c : columns)
    if (c.name == name) {
      c = {name, position, width, decimals};
      return;
    }
  ADD_FAILURE() << "no column " << name;
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
  s.loaded[0].polygonPosition = 66;
  s.loaded[0].polygonWidth = 8;
  s.loaded[0].polygonDecimals = 3;
  s.loaded[1].polygonPosition = 20;  // width 0: not written
  s.calculated[0].polygonPosition = 74;
  s.calculated[0].polygonWidth = 10;
  s.calculated[0].polygonDecimals = 2;
  s.loaded[0].figurePosition = 76;
  s.loaded[0].figureWidth = 7;
  s.loaded[0].figureDecimals = 2;
  s.calculated[0].figurePosition = 83;
  s.calculated[0].figureWidth = 8;
  s.calculated[0].figureDecimals = 1;
  return s;
}

CompositeSet exportComposites() {
  CompositeSet set;
  CComposite a;
  a.name = "DH-001";
  a.values = {1.5, 0.25};
  CComposite b;
  b.name = "A_very_long_composite_name";
  b.values = {12.3456, 3.0};
  set.composites = {a, b};
  return set;
}

CPolygonSet exportPolygons() {
  CPolygonSet set;
  setColumn(set.columns, "Name", 2, 10, 0);
  setColumn(set.columns, "X Coordinate", 12, 10, 2);
  setColumn(set.columns, "Y Coordinate", 22, 10, 2);
  setColumn(set.columns, "Z Coordinate", 32, 10, 2);  // a 2D project leaves it out
  setColumn(set.columns, "Surface Area", 32, 12, 3);
  setColumn(set.columns, "Thickness", 40, 0, 2);  // width 0 inside other columns: nothing
  setColumn(set.columns, "Volume", 44, 10, 1);
  setColumn(set.columns, "Tonnage", 54, 12, 2);
  auto add = [&](int c, double area, double thickness, double volume, double tonnage, std::vector<DPoint3D> outline) {
    CPolygon p;
    p.compositeIndex = c;
    p.area = area;
    p.thickness = thickness;
    p.volume = volume;
    p.tonnage = tonnage;
    p.outline = std::move(outline);
    set.polygons.push_back(p);
  };
  add(0, 100.5, 2, 201, 502.5, {{0, 0, 7}, {10, 0, 7}, {10, 10, 7}});
  add(1, 1234567.891, 2, 123456789.5, 0.125, {{-5.125, 1e6, 0}, {123456789, -0.004, 0}, {1, 2, 0}});
  add(9, 0, 0, 0, 0, {});  // no such composite, no outline
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
  setColumn(set.columns, "Name", 5, 8, 0);
  setColumn(set.columns, "X Coordinate", 13, 9, 3);
  setColumn(set.columns, "Y Coordinate", 22, 9, 3);
  setColumn(set.columns, "Z Coordinate", 31, 8, 1);
  setColumn(set.columns, "Surface Area", 40, 8, 1);
  setColumn(set.columns, "Thickness", 48, 6, 2);
  setColumn(set.columns, "Volume", 50, 0, 2);
  setColumn(set.columns, "Ore Tonnage", 54, 9, 1);
  setColumn(set.columns, "Waste Tonnage", 63, 7, 0);
  setColumn(set.columns, "Coverage (% Ore)", 70, 6, 3);
  Figure a;
  a.name = "Block A";
  a.outline = {{5, 2, 100.5}, {15, 2, 100.5}, {15, 8, 100.5}, {5, 8, 100.5}};
  a.pointCount = 4;
  a.area = 60;
  a.thickness = 2.25;
  a.volume = 135;
  a.oreTonnage = 360.5;
  a.wasteTonnage = 1000;
  a.oreFraction = 0.875;
  a.loadedValues = {0.5, 0.25};
  a.calculatedValues = {360.0};
  Figure b;
  b.name = "Stope_9_North_Extension";
  // Five vertices, of which the point count says three are used.
  b.outline = {{0, 0, -3}, {4, 0, -3}, {4, 4, -3}, {0, 4, -3}, {-1, -1, -3}};
  b.pointCount = 3;
  b.area = 12.25;
  b.thickness = 1;
  b.volume = 12.25;
  b.oreTonnage = 30;
  b.wasteTonnage = 0;
  b.oreFraction = 1;
  b.loadedValues = {7.125, 9.0};  // no calculated value yet: written as 0
  set.figures = {a, b};
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
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("qx_result_export_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

// ---- lines ----

TEST(ResultHeaderLine, ColumnsAreCutPaddedAndPlaced) {
  const ColumnField name{"Name", 3, 6, 0};
  const std::vector<ColumnField> columns{
      {"A", 12, 5, 1},  // a number wider than its column is cut to the width
      {"B", 30, 0, 2},  // width 0: nothing, and the line does not reach it
      {"C", 9, 0, 2},   // width 0 inside the written range: nothing
      {"D", 0, 4, 2},   // position 0: not in the file
      {"E", 17, 6, 2},
  };
  const std::vector<double> values{123456.25, 9, 9, 9, -1.5};
  EXPECT_EQ(resultHeaderLine(name, "Pit", columns, values), "1 Pit      12345 -1.50\n");
  EXPECT_EQ(resultHeaderLine(name, "Longer than six", columns, values), "1 Longer   12345 -1.50\n");
  // Nothing written: the tag alone.
  EXPECT_EQ(resultHeaderLine({"Name", 2, 0, 0}, "Pit", {}, {}), "1\n");
  // The name's padding counts: a blank name still reaches the end of its column.
  EXPECT_EQ(resultHeaderLine({"Name", 4, 5, 0}, "", {}, {}), "1       \n");
}

TEST(ResultHeaderLine, LaterColumnsOverwriteEarlierOnes) {
  const std::vector<ColumnField> columns{{"A", 2, 6, 2}, {"B", 5, 3, 0}};
  // "  1.50" in 2..7, then "  7" in 5..7.
  EXPECT_EQ(resultHeaderLine({"Name", 0, 0, 0}, "x", columns, std::vector<double>{1.5, 7.0}), "1  1  7\n");
  // The name written after nothing, but overwritten by a number.
  EXPECT_EQ(
      resultHeaderLine({"Name", 2, 4, 0}, "abcd", std::vector<ColumnField>{{"A", 4, 2, 0}}, std::vector<double>{42}),
      "1ab42\n");
}

TEST(ResultHeaderLine, AColumnBeyondTheBlanksLengthensTheLine) {
  const std::vector<ColumnField> columns{{"A", 508, 6, 1}};
  const std::string line = resultHeaderLine({"Name", 2, 3, 0}, "N", columns, std::vector<double>{2.5});
  ASSERT_EQ(line.size(), 514u);
  EXPECT_EQ(line.substr(0, 4), "1N  ");
  EXPECT_EQ(line.substr(504), "      2.5\n");
}

// ---- whole files ----

TEST(PolygonExport, SmallSetByteForByte) {
  EXPECT_EQ(polygonExportText(exportPolygons(), exportComposites(), exportSettings(false), false), kPolygonFile);
}

TEST(PolygonExport, ZIsWrittenInA3DProject) {
  CPolygonSet set = exportPolygons();
  setColumn(set.columns, "Z Coordinate", 32, 6, 1);
  set.polygons.resize(1);
  EXPECT_EQ(polygonExportText(set, exportComposites(), exportSettings(true), false),
            "1DH-001                             100.500     201.0      502.50   1.500      1.50\n"
            "2                0.00      0.00   7.0\n"
            "2               10.00      0.00   7.0\n"
            "2               10.00     10.00   7.0\n");
}

TEST(PolygonExport, CalculatedColumnsHoldTheCompositesCalculatedValues) {
  // Metal = Au x Tonnage; the composite's value takes Tonnage as 1, whatever
  // the polygon's tonnage.
  CPolygonSet set = exportPolygons();
  set.polygons.resize(1);
  set.polygons[0].tonnage = 1000;
  const std::string text = polygonExportText(set, exportComposites(), exportSettings(false), false);
  EXPECT_EQ(text.substr(0, text.find('\n')),
            "1DH-001                             100.500     201.0     1000.00   1.500      1.50");
}

TEST(PolygonExport, RotationTurnsTheVerticesOnly) {
  CPolygonSet set = exportPolygons();
  set.polygons.resize(1);
  set.polygons[0].outline = {{3, 5, 0}, {11, 2.5, 0}, {4, 7, 0}};
  set.exportRotation.setAngles(180.0, 0.0, 0.0);
  set.exportRotation.setCentre({1, 2, 0});
  const std::string header = "1DH-001                             100.500     201.0      502.50   1.500      1.50\n";
  // Half a turn about Z around (1, 2): (x, y) -> (1 - x, 2 - y) taken from the centre.
  EXPECT_EQ(polygonExportText(set, exportComposites(), exportSettings(false), true),
            header +
                "2               -2.00     -3.00\n"
                "2              -10.00     -0.50\n"
                "2               -3.00     -5.00\n");
  // Not asked for: written as stored, although the rotation is set.
  EXPECT_EQ(polygonExportText(set, exportComposites(), exportSettings(false), false),
            header +
                "2                3.00      5.00\n"
                "2               11.00      2.50\n"
                "2                4.00      7.00\n");
}

TEST(FigureExport, SmallSetByteForByte) {
  const FigureSet set = exportFigures();
  const std::vector<int> all{0, 1};
  EXPECT_EQ(figureExportText(set, all, exportSettings(true), false), kFigureFile);
  // Only the listed figures, in the order listed; unknown indices skipped.
  const std::string first(kFigureFile, std::string_view(kFigureFile).find("1   Stope"));
  const std::string second = std::string(kFigureFile).substr(first.size());
  EXPECT_EQ(figureExportText(set, std::vector<int>{1, 7, -1, 0}, exportSettings(true), false), second + first);
  EXPECT_EQ(figureExportText(set, std::vector<int>{}, exportSettings(true), false), "");
}

// ---- column pages ----

TEST(ExportDescription, PolygonColumnsInPageOrder) {
  const ColumnDescription d2 = polygonExportDescription(exportPolygons(), exportSettings(false));
  std::vector<std::string> names;
  for (const auto& f : d2.fields) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Name", "X Coordinate", "Y Coordinate", "Surface Area", "Thickness",
                                             "Volume", "Tonnage", "Au", "Cu", "Metal"}));
  EXPECT_EQ(d2.fields[7], (ColumnField{"Au", 66, 8, 3}));
  EXPECT_EQ(d2.fields[8], (ColumnField{"Cu", 20, 0, 4}));
  const ColumnDescription d3 = polygonExportDescription(exportPolygons(), exportSettings(true));
  ASSERT_EQ(d3.fields.size(), 11u);
  EXPECT_EQ(d3.fields[3], (ColumnField{"Z Coordinate", 32, 10, 2}));

  const ColumnDescription f3 = figureExportDescription(exportFigures(), exportSettings(true));
  names.clear();
  for (const auto& f : f3.fields) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Name", "X Coordinate", "Y Coordinate", "Z Coordinate", "Surface Area",
                                             "Thickness", "Volume", "Ore Tonnage", "Waste Tonnage", "Coverage (% Ore)",
                                             "Au", "Cu", "Metal"}));
  EXPECT_EQ(f3.fields[10], (ColumnField{"Au", 76, 7, 2}));
}

TEST(ExportDescription, ChoicesGoBackByPlaceEvenWhenAVariableSharesAColumnsName) {
  QuarlexSettings s = exportSettings(false);
  s.loaded[1].name = "Volume";  // a variable named like a fixed column
  CPolygonSet set = exportPolygons();
  set.columns.erase(set.columns.begin() + 7);  // an old record without "Tonnage"
  ColumnDescription d = polygonExportDescription(set, s);
  ASSERT_EQ(d.fields.size(), 10u);
  EXPECT_EQ(d.fields[6], (ColumnField{"Tonnage", 0, 0, 2}));
  d.fields[5] = {"Volume", 101, 11, 3};  // the fixed column
  d.fields[6] = {"Tonnage", 120, 9, 1};
  d.fields[8] = {"Volume", 140, 5, 0};  // the variable
  applyPolygonExportDescription(d, set, s);
  EXPECT_EQ(set.columns[6], (ColumnField{"Volume", 101, 11, 3}));
  EXPECT_EQ(set.columns.back(), (ColumnField{"Tonnage", 120, 9, 1}));
  EXPECT_EQ(s.loaded[1].polygonPosition, 140);
  EXPECT_EQ(s.loaded[1].polygonWidth, 5);
  EXPECT_EQ(s.loaded[1].polygonDecimals, 0);
  // The figure-file columns of the variables are another set of numbers.
  EXPECT_EQ(s.loaded[1].figurePosition, 0);
}

// ---- the figure selection page ----

TEST(SelectFiguresPage, ChoicesGiveTheFiguresToExport) {
  FigureSet set = exportFigures();
  set.figures.push_back(set.figures[0]);
  set.figures.back().name = "Third";
  CPropPageSelectFigures page(set);
  EXPECT_EQ(page.title(), "Figures");
  EXPECT_EQ(page.names(), (std::vector<std::string>{"Block A", "Stope_9_North_Extension", "Third"}));
  EXPECT_EQ(page.choice(), CPropPageSelectFigures::kAll);
  EXPECT_EQ(page.selectedFigures(), (std::vector<int>{0, 1, 2}));

  page.setChoice(CPropPageSelectFigures::kSingle);
  EXPECT_EQ(page.singleFigure(), 0);
  page.setSingleFigure(2);
  page.setSingleFigure(3);  // outside the list: ignored
  EXPECT_EQ(page.selectedFigures(), (std::vector<int>{2}));

  page.setChoice(CPropPageSelectFigures::kGroup);
  ScriptedPort port;
  EXPECT_FALSE(page.onKillActive(port));
  EXPECT_EQ(port.messages(), (std::vector<std::string>{std::string(CPropPageSelectFigures::kEmptyGroupMessage)}));
  page.setInGroup(2, true);
  page.setInGroup(0, true);
  page.setInGroup(5, true);
  EXPECT_TRUE(page.onKillActive(port));
  EXPECT_EQ(page.selectedFigures(), (std::vector<int>{0, 2}));
  EXPECT_FALSE(page.inGroup(1));

  const CPropPageSelectFigures empty{FigureSet{}};
  EXPECT_EQ(empty.singleFigure(), -1);
  EXPECT_TRUE(empty.selectedFigures().empty());
}

// ---- the commands ----

TEST_F(ExportCommand, PolygonsThroughTheWizard) {
  const auto path = dir_ / "poly.dig";
  CPolygonSet set = exportPolygons();
  CPolygonSet start = set;
  // The page starts from the stored columns; the user moves "Surface Area"
  // back to where the test file has it.
  setColumn(start.columns, "Surface Area", 150, 3, 0);
  QuarlexSettings settings = exportSettings(false);
  ScriptedPort port;
  port.answerSheet([&](SheetModel& sheet) {
    EXPECT_EQ(sheet.title(), "Export Polygons");
    EXPECT_TRUE(sheet.isWizard());
    EXPECT_EQ(sheet.pages().size(), 1u);
    auto& page = dynamic_cast<CAsciiFormatPage&>(*sheet.pages()[0]);
    EXPECT_TRUE(page.tagColumn());
    EXPECT_TRUE(page.rotationVisible());
    page.onSetActive();
    EXPECT_EQ(page.wizardButtons(), FormatPageButtons::kFinish);
    EXPECT_EQ(page.fieldNames().size(), 10u);
    page.chooseField(3);
    EXPECT_EQ(page.position(), 150);
    EXPECT_TRUE(page.setValues(port, 32, 12, 3));
    return true;
  });
  port.answerFile(path.string());
  EXPECT_EQ(qx::exportPolygons(port, start, exportComposites(), settings), ResultExportOutcome::Written);
  EXPECT_EQ(readFile(path), kPolygonFile);
  EXPECT_EQ(start.columns, set.columns);
  EXPECT_EQ(port.log(),
            (std::vector<std::string>{
                "wizard: Export Polygons",
                "file save: Save Figure Datafile [Polygon Dataset Files (*.dig)|*.dig|All Files (*.*)|*.*||]"}));
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(ExportCommand, PolygonsWithRotation) {
  const auto path = dir_ / "rot.dig";
  CPolygonSet set = exportPolygons();
  set.polygons.resize(1);
  set.polygons[0].outline = {{3, 5, 0}};
  QuarlexSettings settings = exportSettings(false);
  ScriptedPort port;
  port.answerSheet([&](SheetModel& sheet) {
    dynamic_cast<CAsciiFormatPage&>(*sheet.pages()[0]).setRotate(true);
    return true;
  });
  port.answerDialog([](DialogModel& m) {
    auto& d = dynamic_cast<CDialogRotationParams&>(m);
    d.theta = 180.0;
    d.centre = {1, 2, 0};
    return true;
  });
  port.answerFile(path.string());
  EXPECT_EQ(qx::exportPolygons(port, set, exportComposites(), settings), ResultExportOutcome::Written);
  const std::string text = readFile(path);
  EXPECT_EQ(text.substr(text.find("\n2")), "\n2               -2.00     -3.00\n");
  EXPECT_EQ(set.exportRotation.theta(), 180.0);  // kept in the set
  EXPECT_EQ(port.log()[1], "dialog rotation_params: Rotation Parameters");
}

TEST_F(ExportCommand, FiguresThroughTheWizard) {
  FigureSet set = exportFigures();
  QuarlexSettings settings = exportSettings(true);
  const auto all = dir_ / "all.dig";
  const auto single = dir_ / "single.dig";
  const auto group = dir_ / "group.dig";
  ScriptedPort port;
  port.answerSheet([&](SheetModel& sheet) {
    EXPECT_EQ(sheet.title(), "Export Figures");
    EXPECT_EQ(sheet.pages().size(), 2u);
    auto& select = dynamic_cast<CPropPageSelectFigures&>(*sheet.pages()[0]);
    EXPECT_EQ(select.choice(), CPropPageSelectFigures::kAll);
    auto& format = dynamic_cast<CAsciiFormatPage&>(*sheet.pages()[1]);
    format.onSetActive();
    EXPECT_EQ(format.wizardButtons(), FormatPageButtons::kBack | FormatPageButtons::kFinish);
    EXPECT_TRUE(format.tagColumn());
    EXPECT_EQ(format.fieldNames().size(), 13u);
    return true;
  });
  port.answerFile(all.string());
  port.answerSheet([&](SheetModel& sheet) {
    auto& select = dynamic_cast<CPropPageSelectFigures&>(*sheet.pages()[0]);
    select.setChoice(CPropPageSelectFigures::kSingle);
    select.setSingleFigure(1);
    return true;
  });
  port.answerFile(single.string());
  port.answerSheet([&](SheetModel& sheet) {
    auto& select = dynamic_cast<CPropPageSelectFigures&>(*sheet.pages()[0]);
    select.setChoice(CPropPageSelectFigures::kGroup);
    select.setInGroup(0, true);
    return true;
  });
  port.answerFile(group.string());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(qx::exportFigures(port, set, settings), ResultExportOutcome::Written);
  const std::string text = kFigureFile;
  const std::size_t split = text.find("1   Stope");
  EXPECT_EQ(readFile(all), text);
  EXPECT_EQ(readFile(single), text.substr(split));
  EXPECT_EQ(readFile(group), text.substr(0, split));
  EXPECT_EQ(port.log()[1],
            "file save: Save Figure Datafile [Figure Dataset Files (*.dig)|*.dig|All Files (*.*)|*.*||]");
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(ExportCommand, CancelAtEveryStepWritesNothing) {
  // Each step is answered for both commands; each cancelled dialog was edited first.
  struct World {
    ScriptedPort port;
    CPolygonSet polygons = exportPolygons();
    FigureSet figures = exportFigures();
    QuarlexSettings settings = exportSettings(true);
    ResultExportOutcome polygonsDone{}, figuresDone{};
  };
  using Step = qx::test::CancelStep<World>;
  const auto sheet = [](bool finish) {
    return [finish](World& w) {
      for (int command = 0; command < 2; ++command)
        w.port.answerSheet([finish](SheetModel& sheet) {
          auto& page = dynamic_cast<CAsciiFormatPage&>(*sheet.pages().back());
          page.setRotate(true);
          if (finish) return true;
          ScriptedPort quiet;
          page.chooseField(4);
          EXPECT_TRUE(page.setValues(quiet, 150, 7, 1));
          return false;
        });
    };
  };
  const auto rotation = [](bool ok) {
    return [ok](World& w) {
      for (int command = 0; command < 2; ++command)
        w.port.answerDialog([ok](DialogModel& m) {
          if (!ok) dynamic_cast<CDialogRotationParams&>(m).theta = 45.0;
          return ok;
        });
    };
  };
  const auto outcome = [](ResultExportOutcome expected) {
    return [expected](World& w) {
      EXPECT_EQ(w.polygonsDone, expected);
      EXPECT_EQ(w.figuresDone, expected);
    };
  };
  // A cancelled rotation dialog leaves the rotation as it was; a cancelled
  // wizard leaves the columns.
  qx::test::expectCancelAtEachStep<World>(
      {Step{"wizard", sheet(true), sheet(false), outcome(ResultExportOutcome::Cancelled)},
       Step{"rotation dialog", rotation(true), rotation(false), outcome(ResultExportOutcome::ColumnsKept)},
       Step{"file dialog", nullptr,
            [](World& w) {
              w.port.answerFile(std::nullopt);
              w.port.answerFile(std::nullopt);
            },
            outcome(ResultExportOutcome::ColumnsKept)}},
      [this](World& w) {
        return std::tuple(w.polygons.exportRotation, w.figures.exportRotation, w.polygons.columns, w.figures.columns,
                          w.settings.loaded, std::filesystem::is_empty(dir_));
      },
      [](World& w) {
        w.polygonsDone = qx::exportPolygons(w.port, w.polygons, exportComposites(), w.settings);
        w.figuresDone = qx::exportFigures(w.port, w.figures, w.settings);
      });
}

TEST_F(ExportCommand, AFileThatCannotBeCreatedEndsSilently) {
  const auto path = dir_ / "no-such-folder" / "x.dig";
  ScriptedPort port;
  CPolygonSet polygons = exportPolygons();
  FigureSet figures = exportFigures();
  QuarlexSettings settings = exportSettings(false);
  port.answerSheet([](SheetModel&) { return true; });
  port.answerFile(path.string());
  port.answerSheet([](SheetModel&) { return true; });
  port.answerFile(path.string());
  EXPECT_EQ(qx::exportPolygons(port, polygons, exportComposites(), settings), ResultExportOutcome::FileError);
  EXPECT_EQ(qx::exportFigures(port, figures, settings), ResultExportOutcome::FileError);
  EXPECT_TRUE(port.messages().empty());
}

// ---- read back ----

TEST_F(ExportCommand, FiguresReadBackWithTheSameColumns) {
  FigureSet set = exportFigures();
  // Columns wide enough for every value; the outline's used points only.
  setColumn(set.columns, "Name", 2, 30, 0);
  setColumn(set.columns, "X Coordinate", 40, 12, 3);
  setColumn(set.columns, "Y Coordinate", 52, 12, 3);
  setColumn(set.columns, "Z Coordinate", 64, 12, 3);
  setColumn(set.columns, "Surface Area", 80, 12, 4);
  setColumn(set.columns, "Thickness", 92, 12, 4);
  setColumn(set.columns, "Volume", 104, 12, 4);
  setColumn(set.columns, "Ore Tonnage", 116, 12, 4);
  setColumn(set.columns, "Waste Tonnage", 128, 12, 4);
  setColumn(set.columns, "Coverage (% Ore)", 140, 12, 4);
  set.figures[1].outline.resize(3);
  set.figures[1].name = "Stope 9 North Extension";  // inner blanks survive
  QuarlexSettings settings = exportSettings(true);
  settings.loaded[0].figurePosition = 160;
  settings.loaded[0].figureWidth = 12;
  settings.loaded[0].figureDecimals = 4;
  settings.loaded[1].figurePosition = 172;
  settings.loaded[1].figureWidth = 12;
  settings.loaded[1].figureDecimals = 4;
  settings.calculated[0].figurePosition = 190;  // written, not read back
  const auto path = dir_ / "figures.dig";
  {
    ScriptedPort port;
    port.answerSheet([](SheetModel&) { return true; });
    port.answerFile(path.string());
    ASSERT_EQ(qx::exportFigures(port, set, settings), ResultExportOutcome::Written);
  }
  FigureSet back;
  back.columns = set.columns;
  ScriptedPort port;
  port.answerFile(path.string());
  port.answerSheet([](SheetModel&) { return true; });
  const FigureLoadOutcome outcome = loadFigures(port, back, settings);
  ASSERT_EQ(outcome.result, FigureLoadResult::Loaded);
  ASSERT_EQ(back.count(), 2);
  for (int i = 0; i < 2; ++i) {
    const Figure& a = set.figures[static_cast<std::size_t>(i)];
    const Figure& b = back.figures[static_cast<std::size_t>(i)];
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.outline, a.outline);
    EXPECT_EQ(b.area, a.area);
    EXPECT_EQ(b.thickness, a.thickness);
    EXPECT_EQ(b.volume, a.volume);
    EXPECT_EQ(b.oreTonnage, a.oreTonnage);
    EXPECT_EQ(b.wasteTonnage, a.wasteTonnage);
    EXPECT_EQ(b.oreFraction, a.oreFraction);
    EXPECT_EQ(b.loadedValues, a.loadedValues);
  }
}

}  // namespace
