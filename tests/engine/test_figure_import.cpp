// Loading figures from outline files, creating them from digitized lines, and
// the two figure dialogs. io/columns.h first: see ColumnField in envelopes.h.
#include "io/column_pages.h"
//
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <tuple>

#include "datasets/composites.h"
#include "datasets/envelope_test_support.h"
#include "engine/figure_dialogs.h"
#include "engine/figure_import.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "io/line_reader.h"
#include "project/quarlex_settings.h"
#include "scripted_port.h"
#include "support/result_records.h"

using namespace qx;
using namespace qx::testing;
using qx::test::ScriptedPort;

namespace {

// Names in columns 10-19, then Surface Area (20-29), Thickness (30-39) and Au
// (40-49) on header lines; X, Y in 2-11 and 12-21 on point lines.
const std::string kFile =
    "1 0000   blockA        150.0       4.5      1.25\n"
    "2      0.00      0.00\n"
    "2     10.00      0.00\n"
    "2     10.00      0.00\n"  // repeated: removed
    "2     10.00     10.00\n"
    "2      0.00     10.00\n"
    "1 0001   blockB                                \n"
    "2    100.00    100.00\n"
    "2    110.00    100.00\n"
    "2    110.00    110.00\n"
    "1 0002   tri\n"
    "2     50.00     50.00\n"
    "2     60.00     50.00\n"
    "2     60.00     50.00\n";  // a triangle with one point repeated: two points left

// A point line with X in columns 2-11 and Y in 12-21.
std::string pt(double x, double y) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "2%10.2f%10.2f\n", x, y);
  return buf;
}

// The wizard: the columns above; `rotate` ticks the rotation option.
ScriptedPort::SheetAnswer columns(bool rotate = false, std::vector<std::string>* offered = nullptr) {
  return [=](SheetModel& sheet) {
    auto& page = dynamic_cast<CFileLoadPropertySheet&>(sheet).first();
    const std::map<std::string, int> at{{"Name", 10},         {"X Coordinate", 2}, {"Y Coordinate", 12},
                                        {"Surface Area", 20}, {"Thickness", 30},   {"Au", 40}};
    for (auto& f : page.fields) {
      if (offered != nullptr) offered->push_back(f.name);
      if (at.count(f.name) != 0) f.position = at.at(f.name), f.length = 10;
    }
    page.rotate = rotate;
    return true;
  };
}

struct Fixture {
  ScriptedPort port;
  FigureSet set;
  QuarlexSettings settings;
  CPolygonSet polygons;
  CompositeSet composites;
  Fixture() {
    settings.loaded.emplace_back("Au");
    settings.defaultPolygonSize = 100.0;  // repeated vertices: below 1e-7 apart
    settings.fixedThickness = 12.0;
  }
  FigureLoadOutcome load(const FigureRotationEditor& editor = {}) { return loadFigures(port, set, settings, editor); }
  int create(const std::vector<DPoint3D>& line) {
    return createFigureFromLine(port, set, line, {0, 0, -1}, polygons, composites, settings);  // looking down
  }
};

}  // namespace

// Rotated about the centre (1, 0, 0) with no angles: a shift by the centre.
TEST(FigureImport, LoadsHeadersPointsRotatesAndRejectsTwoPointFigures) {
  Fixture f;
  const std::string path = writeTemp("figs.dig", kFile);
  f.port.answerFile(path);
  std::vector<std::string> offered;
  f.port.answerSheet(columns(true, &offered));
  const FigureLoadOutcome out = f.load([](UiPort&, CParamsRotation& r) {
    r.setCentre({1.0, 0.0, 0.0});
    return true;
  });
  EXPECT_EQ(std::tuple(out.result, out.added, out.rejected), std::tuple(FigureLoadResult::Loaded, 2, 1));
  EXPECT_EQ(f.set.importRotation.centre(), (DPoint3D{1, 0, 0}));

  EXPECT_EQ(f.port.log().front(),
            "file open: Open Figure Outline Datafile [Figure Dataset Files (*.dig)|*.dig|Figure Dataset Files "
            "(*.rsv)|*.rsv|All Files (*.*)|*.*||]");
  EXPECT_EQ(
      f.port.log().back(),
      "message warning ok -> ok: There were 1 m_aFigures with less than 3 distinct contour points.\nThese figures "
      "have not been loaded.");
  // 2D: no Z column; the figure columns, then the variable.
  EXPECT_EQ(offered, (std::vector<std::string>{"Name", "X Coordinate", "Y Coordinate", "Surface Area", "Thickness",
                                               "Volume", "Ore Tonnage", "Waste Tonnage", "Coverage (% Ore)", "Au"}));
  // The choices go back into the set's columns and the variable.
  EXPECT_EQ(f.set.columns[0], (ColumnField{"Name", 10, 10, 2}));
  EXPECT_EQ(std::pair(f.settings.loaded[0].figurePosition, f.settings.loaded[0].figureWidth), std::pair(40, 10));
  EXPECT_EQ(f.settings.lastFigureFile, path);

  ASSERT_EQ(f.set.count(), 2);
  const Figure& a = f.set.figures.at(static_cast<std::size_t>(f.set.findByName("blockA")));
  EXPECT_EQ(a.outline, (std::vector<DPoint3D>{{-1, 0, 0}, {9, 0, 0}, {9, 10, 0}, {-1, 10, 0}}));
  EXPECT_EQ(a.loadedValues, (std::vector<double>{1.25}));
  // The area as the file gave it, not the outline's 100; the rest -1.
  EXPECT_EQ((std::vector<double>{double(a.pointCount), a.area, a.thickness, a.volume, a.oreTonnage, a.wasteTonnage,
                                 a.oreFraction}),
            (std::vector<double>{4, 150, 4.5, -1, -1, -1, -1}));

  // Blank header fields read 0, not -1: the column is there.
  const Figure& b = f.set.figures.at(static_cast<std::size_t>(f.set.findByName("blockB")));
  EXPECT_EQ(std::pair(b.area, b.thickness), std::pair(0.0, 0.0));
}

TEST(FigureImport, MissingColumnsGiveMinusOneThenAreaAndThicknessAreFilledIn) {
  QuarlexSettings settings = Fixture().settings;
  FigureFileLayout layout;
  layout.name = {10, 10};
  layout.x = {2, 10};
  layout.y = {12, 10};
  layout.variables = {{0, 0}};
  const std::string text = pt(99, 99) + "1 0000   one\n" + pt(0, 0) + pt(4, 0) + "3 ignored\n" + pt(4, 5);
  MemorySource source(text);
  auto records = parseFigureFile(source, layout);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].name, "one");
  EXPECT_EQ(records[0].values, (std::vector<double>{-1.0}));
  EXPECT_EQ(records[0].points.size(), 3u);

  FigureSet set;
  ASSERT_EQ(addFigureRecords(set, records, settings).added, 1);
  // The area from the outline, the fixed thickness.
  EXPECT_EQ(std::tuple(set.figures[0].area, set.figures[0].thickness, set.figures[0].loadedValues[0]),
            std::tuple(10.0, 12.0, -1.0));

  // With a thickness variable: its value.
  set.figures.clear();
  settings.loaded[0].thicknessMark = 1;
  records[0].values = {3.25};
  addFigureRecords(set, records, settings);
  EXPECT_EQ(set.figures[0].thickness, 3.25);
}

TEST(FigureImport, DuplicateNamesAbortAndLeaveTheSetAsItWas) {
  const std::string square = pt(0, 0) + pt(1, 0) + pt(1, 1);
  const std::tuple<const char*, std::string, std::string> cases[] = {
      // Twice in the same file: A and B, appended by the first pass, go again.
      {"old", "1 0000   A\n" + square + "1 0001   B\n1 0002   A\n" + pt(5, 5),
       "File error.  Figure A is duplicated.\nAborting figure load"},
      // A name already in the set; the comparison is exact.
      {"blockB", "1 0000   blockb\n" + square + "1 0001   blockB\n",
       "File error.  Figure blockB is duplicated.\nAborting figure load"},
  };
  for (const auto& [existingName, file, message] : cases) {
    Fixture f;
    f.set.figures.push_back(qx::test::makeFigure(existingName, qx::test::rectangle(0, 0, 1, 1), {}, {}, {}));
    const FigureSet before = f.set;
    f.port.answerFile(writeTemp("dup.dig", file));
    f.port.answerSheet(columns());
    EXPECT_EQ(f.load().result, FigureLoadResult::Duplicate);
    EXPECT_EQ(f.port.messages(), (std::vector<std::string>{message}));
    EXPECT_EQ(f.set.figures, before.figures);
  }
}

TEST(FigureCreate, NameDialogWindingAndCalculation) {
  const std::vector<DPoint3D> ccw{{0, 0, 0}, {3, 0, 0}, {3, 4, 0}, {0, 4, 0}};
  Fixture w;
  w.set.figures.emplace_back().name = "figure";
  w.composites.composites.push_back(CComposite());
  w.polygons.polygons.push_back(qx::test::makePolygon(0, 0, 2.0, 0, 0, qx::test::rectangle(-10, -10, 10, 10)));
  w.polygons.polygons[0].specificGravity = 3.0;
  std::string shown;
  w.port.answerDialog([&](DialogModel& m) {
    shown = m.title() + ": " + dynamic_cast<CFigurePropertiesDialog&>(m).name();
    return true;  // "figure" is in use: refused
  });
  auto name = [&](std::string text) {
    w.port.answerDialog([text](DialogModel& m) {
      dynamic_cast<CFigurePropertiesDialog&>(m).setName(text);
      return true;
    });
  };
  name(std::string(40, 'x'));
  ASSERT_EQ(w.create(ccw), 1);
  EXPECT_EQ(shown, "Figure Properties: figure");
  EXPECT_EQ(w.set.figures[1].name, std::string(32, 'x'));  // cut at 32 characters
  EXPECT_EQ(w.set.figures[1].outline, ccw);                // counter-clockwise from above: kept
  EXPECT_DOUBLE_EQ(w.set.figures[1].oreTonnage, 72.0);     // calculated at once: 12 x 2 x 3
  // Clockwise in plan, closed by a repeat of the first point, and no polygons.
  w.polygons.polygons.clear();
  name("Figure");  // compared exactly: not the "figure" in use
  ASSERT_EQ(w.create({{0, 0, 5}, {0, 4, 5}, {3, 4, 5}, {3, 0, 5}, {0, 0, 5}}), 2);
  EXPECT_EQ(w.port.messages(),
            (std::vector<std::string>{"That figure name is already in use. Choose another.",
                                      "There are no polygons present, the figure will not be properly calculated"}));
  const Figure& f = w.set.figures[2];
  // Reversed so that it faces the viewer: counter-clockwise seen from above.
  EXPECT_EQ(f.outline, (std::vector<DPoint3D>{{3, 0, 5}, {3, 4, 5}, {0, 4, 5}, {0, 0, 5}}));
  EXPECT_EQ(f.pointCount, 4);
}

TEST(FigureDialogs, ModifyValuesRoundsHalvesAwayFromZeroAndChecksTheRange) {
  // 1/128 = 0.0078125 exactly: a true half at the seventh decimal; 0.1234565
  // is stored just below the half: it rounds down.
  const std::pair<double, const char*> cases[] = {
      {0.0078125, "0.007813"},   {-0.0078125, "-0.007813"}, {2.5, "2.500000"},      {0.9999996, "1.000000"},
      {99.9999994, "99.999999"}, {-1.0, "-1.000000"},       {0.1234565, "0.123456"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(formatModifyValue(value), text) << value;
  EXPECT_EQ(formatModifyValue(1e38), "99999999999999997748809823456034029568.000000");

  CModifyValuesDialog d;
  d.setCurrentValue(1.0078125);
  d.setNewValue(1.0078125);
  EXPECT_EQ(d.currentText(), "1.007813");
  ScriptedPort port;
  EXPECT_TRUE(d.onOk(port));
  EXPECT_EQ(d.newValue(), 1.007813);  // the value as shown
  for (const auto& [text, ok] : {std::pair{"-1.5", false}, std::pair{"2e38", false}, std::pair{"-1", true}}) {
    d.setNewText(text);
    EXPECT_EQ(d.onOk(port), ok) << text;
  }
  EXPECT_EQ(d.newValue(), -1.0);
  EXPECT_EQ(port.messages(), (std::vector<std::string>{"Please enter a value between -1 and 1e+38.",
                                                       "Please enter a value between -1 and 1e+38."}));
}
