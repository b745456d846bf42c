// Loading figures from outline files and creating them from digitized lines:
// the flow through the port, the header columns, the two passes and the
// duplicate-name abort, repeated vertices and the two-point rejection, the
// winding against the view, and the two figure dialogs.
// io/columns.h comes first: see the note on ColumnField in envelopes.h.
#include "io/column_pages.h"
//
#include <gtest/gtest.h>

#include <cstdio>

#include "cancel_steps.h"
#include "datasets/composites.h"
#include "datasets/envelope_test_support.h"
#include "engine/figure_dialogs.h"
#include "engine/figure_import.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "io/line_reader.h"
#include "project/quarlex_settings.h"
#include "scripted_port.h"

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

void setColumn(std::vector<ColumnField>& fields, const std::string& name, int position, int length) {
  for (auto& f : fields)
    if (f.name == name) {
      f.position = position;
      f.length = length;
      return;
    }
  FAIL() << "no column " << name;
}

// The wizard: the columns above; `rotate` ticks the rotation option.
ScriptedPort::SheetAnswer columns(bool rotate = false, std::vector<std::string>* offered = nullptr) {
  return [=](SheetModel& sheet) {
    auto& s = dynamic_cast<CFileLoadPropertySheet&>(sheet);
    if (offered != nullptr)
      for (const auto& f : s.first().fields) offered->push_back(f.name);
    setColumn(s.first().fields, "Name", 10, 10);
    setColumn(s.first().fields, "X Coordinate", 2, 10);
    setColumn(s.first().fields, "Y Coordinate", 12, 10);
    setColumn(s.first().fields, "Surface Area", 20, 10);
    setColumn(s.first().fields, "Thickness", 30, 10);
    setColumn(s.first().fields, "Au", 40, 10);
    s.first().rotate = rotate;
    return true;
  };
}

struct Fixture {
  ScriptedPort port;
  FigureSet set;
  QuarlexSettings settings;
  Fixture() {
    settings.loaded.emplace_back("Au");
    settings.defaultPolygonSize = 100.0;  // repeated vertices: below 1e-7 apart
    settings.fixedThickness = 12.0;
  }
  FigureLoadOutcome load(const FigureRotationEditor& editor = {}) { return loadFigures(port, set, settings, editor); }
};

const Figure& byName(const FigureSet& set, const std::string& name) {
  const int i = set.findByName(name);
  EXPECT_GE(i, 0) << name;
  return set.figures.at(static_cast<std::size_t>(std::max(i, 0)));
}

}  // namespace

TEST(FigureImport, LoadsHeadersPointsAndRejectsTwoPointFigures) {
  Fixture f;
  const std::string path = writeTemp("figs.dig", kFile);
  f.port.answerFile(path);
  std::vector<std::string> offered;
  f.port.answerSheet(columns(false, &offered));
  const FigureLoadOutcome out = f.load();
  EXPECT_TRUE(f.port.allAnswersUsed());
  EXPECT_EQ(out.result, FigureLoadResult::Loaded);
  EXPECT_EQ(out.added, 2);
  EXPECT_EQ(out.rejected, 1);

  // The dialogs, the progress texts and the warning, in order.
  const std::vector<std::string> expectedLog = {
      "file open: Open Figure Outline Datafile [Figure Dataset Files (*.dig)|*.dig|Figure Dataset Files "
      "(*.rsv)|*.rsv|All Files (*.*)|*.*||]",
      "wizard: Load Figures",
      "progress open text",
      "progress title: Loading Figures",
      "progress text: 1 Figures Loaded",
      "progress text: 2 Figures Loaded",
      "progress text: 3 Figures Loaded",
      "progress close",
      "message warning ok -> ok: There were 1 m_aFigures with less than 3 distinct contour points.\nThese figures "
      "have not been loaded.",
  };
  EXPECT_EQ(f.port.log(), expectedLog);
  // 2D: no Z column; the figure columns, then the variable.
  EXPECT_EQ(offered, (std::vector<std::string>{"Name", "X Coordinate", "Y Coordinate", "Surface Area", "Thickness",
                                               "Volume", "Ore Tonnage", "Waste Tonnage", "Coverage (% Ore)", "Au"}));
  // The choices went back into the set's columns and the variable.
  EXPECT_EQ(f.set.columns[0], (ColumnField{"Name", 10, 10, 2}));
  EXPECT_EQ(f.settings.loaded[0].figurePosition, 40);
  EXPECT_EQ(f.settings.loaded[0].figureWidth, 10);
  EXPECT_EQ(f.settings.lastFigureFile, path);

  ASSERT_EQ(f.set.count(), 2);
  const Figure& a = byName(f.set, "blockA");
  EXPECT_EQ(a.outline, (std::vector<DPoint3D>{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}));
  EXPECT_EQ(a.pointCount, 4);
  EXPECT_EQ(a.area, 150.0);  // as the file gave it, not the outline's 100
  EXPECT_EQ(a.thickness, 4.5);
  EXPECT_EQ(a.loadedValues, (std::vector<double>{1.25}));
  // Not in the file: left to the calculation.
  EXPECT_EQ((std::vector<double>{a.volume, a.oreTonnage, a.wasteTonnage, a.oreFraction}),
            (std::vector<double>{-1, -1, -1, -1}));
  EXPECT_EQ(a.maxCorner, (DPoint3D{10, 10, 0}));

  // Blank header fields read 0, not -1: the column is there.
  const Figure& b = byName(f.set, "blockB");
  EXPECT_EQ(b.area, 0.0);
  EXPECT_EQ(b.thickness, 0.0);
  EXPECT_EQ(f.set.maxCorner, (DPoint3D{110, 110, 0}));
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
  const auto records = parseFigureFile(source, layout);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].name, "one");
  EXPECT_EQ(records[0].values, (std::vector<double>{-1.0}));
  EXPECT_EQ(records[0].points.size(), 3u);

  FigureSet set;
  const FigureAddResult r = addFigureRecords(set, records, settings);
  ASSERT_EQ(r.added, 1);
  EXPECT_EQ(set.figures[0].area, 10.0);       // from the outline
  EXPECT_EQ(set.figures[0].thickness, 12.0);  // the fixed thickness
  EXPECT_EQ(set.figures[0].loadedValues[0], -1.0);

  // With a thickness variable: its value.
  set.figures.clear();
  settings.loaded[0].thicknessMark = 1;
  auto withAu = records;
  withAu[0].values = {3.25};
  addFigureRecords(set, withAu, settings);
  EXPECT_EQ(set.figures[0].thickness, 3.25);
}

TEST(FigureImport, DuplicateNamesAbortAndLeaveTheSetAsItWas) {
  const std::string square = pt(0, 0) + pt(1, 0) + pt(1, 1);
  struct Case {
    const char* existing;
    std::string file, message;
  };
  const Case cases[] = {
      // Twice in the same file: A and B, appended by the first pass, go again.
      {"old", "1 0000   A\n" + square + "1 0001   B\n1 0002   A\n" + pt(5, 5),
       "File error.  Figure A is duplicated.\nAborting figure load"},
      // A name already in the set; the comparison is exact.
      {"blockB", "1 0000   blockb\n" + square + "1 0001   blockB\n",
       "File error.  Figure blockB is duplicated.\nAborting figure load"},
  };
  for (const Case& c : cases) {
    Fixture f;
    Figure existing;
    existing.name = c.existing;
    existing.outline = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
    f.set.figures.push_back(existing);
    const FigureSet before = f.set;
    f.port.answerFile(writeTemp("dup.dig", c.file));
    f.port.answerSheet(columns());
    EXPECT_EQ(f.load().result, FigureLoadResult::Duplicate);
    EXPECT_EQ(f.port.messages(), (std::vector<std::string>{c.message}));
    EXPECT_EQ(f.set.figures, before.figures);
  }
}

TEST(FigureImport, RepeatedVertexToleranceIsTheRadiusTimesOneBillionth) {
  Figure f;
  // Radius 1000: tolerance 1e-6. 9e-7 apart goes, 1.5e-6 apart stays; the
  // last vertex repeating the first stays.
  f.outline = {{0, 0, 0}, {5, 0, 0}, {5, 0, 9e-7}, {5, 5, 0}, {5 + 1.5e-6, 5, 0}, {0, 0, 0}};
  EXPECT_EQ(f.removeRepeatedVertices(1000.0), 1);
  EXPECT_EQ(f.outline, (std::vector<DPoint3D>{{0, 0, 0}, {5, 0, 0}, {5, 5, 0}, {5 + 1.5e-6, 5, 0}, {0, 0, 0}}));
  // |dx| + |dy| + |dz|: 4e-7 + 4e-7 + 4e-7 = 1.2e-6 is not below the tolerance.
  f.outline = {{0, 0, 0}, {4e-7, 4e-7, 4e-7}, {1, 1, 0}};
  EXPECT_EQ(f.removeRepeatedVertices(1000.0), 0);
  f.outline = {{0, 0, 0}, {3e-7, 3e-7, 3e-7}, {1, 1, 0}};
  EXPECT_EQ(f.removeRepeatedVertices(1000.0), 1);
}

TEST(FigureImport, RotationAppliesToEveryPoint) {
  Fixture f;
  f.port.answerFile(writeTemp("rot.dig", "1 0000   R\n" + pt(1, 0) + pt(2, 0) + pt(2, 1)));
  f.port.answerSheet(columns(true));
  const FigureLoadOutcome out = f.load([](UiPort&, CParamsRotation& r) {
    r.setCentre({1.0, 0.0, 0.0});
    return true;
  });
  ASSERT_EQ(out.result, FigureLoadResult::Loaded);
  // A shift by the centre alone.
  EXPECT_EQ(f.set.figures[0].outline, (std::vector<DPoint3D>{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}));
  EXPECT_EQ(f.set.importRotation.centre(), (DPoint3D{1, 0, 0}));
}

TEST(FigureImport, CancelAtEachStepChangesNothing) {
  static const std::string path = writeTemp("c.dig", kFile);
  struct World : Fixture {
    FigureRotationEditor rotation;
  };
  qx::test::expectCancelAtEachStep<World>(
      {{"file dialog", [](World& w) { w.port.answerFile(path); }, [](World& w) { w.port.answerFile(std::nullopt); }},
       {"wizard", [](World& w) { w.port.answerSheet(columns(true)); },
        [](World& w) { w.port.answerSheet([](SheetModel&) { return false; }); }},
       {"rotation dialog, after editing it", nullptr,
        [](World& w) {
          w.rotation = [](UiPort&, CParamsRotation& r) {
            r.setAngles(10, 0, 0);
            return false;
          };
        }}},
      [](World& w) { return w.set; },
      [](World& w) { EXPECT_EQ(w.load(w.rotation).result, FigureLoadResult::Cancelled); });
}

// ---- creating a figure from a digitized line ----

TEST(FigureCreate, NameDialogWindingAndNoPolygonsWarning) {
  ScriptedPort port;
  FigureSet set;
  Figure existing;
  existing.name = "figure";
  set.figures.push_back(existing);
  CPolygonSet polygons;
  CompositeSet composites;
  QuarlexSettings settings;
  std::vector<std::string> shown;
  port.answerDialog([&](DialogModel& m) {
    auto& d = dynamic_cast<CFigurePropertiesDialog&>(m);
    shown.push_back(d.name());
    return true;  // "figure" is in use: refused
  });
  port.answerDialog([&](DialogModel& m) {
    dynamic_cast<CFigurePropertiesDialog&>(m).setName("north block");
    return true;
  });
  // Clockwise in plan, closed by a repeat of the first point; looking down.
  const std::vector<DPoint3D> line{{0, 0, 5}, {0, 4, 5}, {3, 4, 5}, {3, 0, 5}, {0, 0, 5}};
  const int i = createFigureFromLine(port, set, line, {0, 0, -1}, polygons, composites, settings);
  ASSERT_EQ(i, 1);
  EXPECT_EQ(shown, (std::vector<std::string>{"figure"}));
  ASSERT_EQ(port.messages().size(), 2u);
  EXPECT_EQ(port.messages()[0], "That figure name is already in use. Choose another.");
  EXPECT_EQ(port.messages()[1], "There are no polygons present, the figure will not be properly calculated");
  const Figure& f = set.figures[1];
  EXPECT_EQ(f.name, "north block");
  // Reversed so that it faces the viewer: counter-clockwise seen from above.
  EXPECT_EQ(f.outline, (std::vector<DPoint3D>{{3, 0, 5}, {3, 4, 5}, {0, 4, 5}, {0, 0, 5}}));
  EXPECT_EQ(f.pointCount, 4);
  EXPECT_EQ(f.maxCorner, (DPoint3D{3, 4, 5}));
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST(FigureCreate, CounterClockwiseStaysAndCancelCreatesNothing) {
  struct World {
    ScriptedPort port;
    FigureSet set;
    CPolygonSet polygons;
    CompositeSet composites;
    QuarlexSettings settings;
    World() {
      composites.composites.push_back(CComposite());
      CPolygon p;
      p.compositeIndex = 0;
      p.outline = {{-10, -10, 0}, {10, -10, 0}, {10, 10, 0}, {-10, 10, 0}};
      p.thickness = 2.0;
      p.specificGravity = 3.0;
      polygons.polygons.push_back(p);
    }
    int create() {
      return createFigureFromLine(port, set, {{0, 0, 0}, {3, 0, 0}, {3, 4, 0}, {0, 4, 0}}, {0, 0, -1}, polygons,
                                  composites, settings);
    }
  };
  qx::test::expectCancelAtEachStep<World>(
      {{"properties dialog", nullptr, [](World& w) { w.port.answerDialog([](DialogModel&) { return false; }); }}},
      [](World& w) { return w.set; }, [](World& w) { EXPECT_EQ(w.create(), -1); });
  World w;
  w.port.answerDialog([](DialogModel&) { return true; });
  ASSERT_EQ(w.create(), 0);
  EXPECT_EQ(w.set.figures[0].outline, (std::vector<DPoint3D>{{0, 0, 0}, {3, 0, 0}, {3, 4, 0}, {0, 4, 0}}));
  EXPECT_TRUE(w.port.messages().empty());
  // Calculated at once: 12 x 2 x 3.
  EXPECT_DOUBLE_EQ(w.set.figures[0].oreTonnage, 72.0);
  EXPECT_EQ(w.set.figures[0].area, 12.0);
}

// ---- the dialogs ----

TEST(FigureDialogs, PropertiesNameIsCutAt32AndComparedExactly) {
  FigureSet set;
  Figure f;
  f.name = "Block";
  set.figures.push_back(f);
  CFigurePropertiesDialog d(&set);
  EXPECT_EQ(d.title(), "Figure Properties");
  EXPECT_EQ(d.name(), "figure");
  d.setName(std::string(40, 'x'));
  EXPECT_EQ(d.name(), std::string(32, 'x'));
  ScriptedPort port;
  d.setName("block");
  EXPECT_TRUE(d.onOk(port));
  d.setName("Block");
  EXPECT_FALSE(d.onOk(port));
  EXPECT_EQ(port.messages(), (std::vector<std::string>{"That figure name is already in use. Choose another."}));
}

TEST(FigureDialogs, ModifyValuesRoundsHalvesAwayFromZeroAndChecksTheRange) {
  // 1/128 = 0.0078125 exactly: a true half at the seventh decimal.
  EXPECT_EQ(formatModifyValue(0.0078125), "0.007813");
  EXPECT_EQ(formatModifyValue(-0.0078125), "-0.007813");
  EXPECT_EQ(formatModifyValue(2.5), "2.500000");
  EXPECT_EQ(formatModifyValue(0.9999996), "1.000000");
  EXPECT_EQ(formatModifyValue(99.9999994), "99.999999");
  EXPECT_EQ(formatModifyValue(-1.0), "-1.000000");
  EXPECT_EQ(formatModifyValue(1e38), "99999999999999997748809823456034029568.000000");
  // 0.1234565 is stored just below the half: it rounds down.
  EXPECT_EQ(formatModifyValue(0.1234565), "0.123456");

  CModifyValuesDialog d;
  EXPECT_EQ(d.title(), "Modify Values");
  EXPECT_EQ(d.currentLabel(), "Current Value for Assay");
  EXPECT_EQ(d.newLabel(), "New Value for Assay");
  d.setLabels("Current value for Au", "Modified value for Au");
  EXPECT_EQ(d.currentLabel(), "Current value for Au");
  d.setCurrentValue(1.0078125);
  d.setNewValue(1.0078125);
  EXPECT_EQ(d.currentText(), "1.007813");
  ScriptedPort port;
  EXPECT_TRUE(d.onOk(port));
  EXPECT_EQ(d.newValue(), 1.007813);  // the value as shown
  d.setNewText("-1.5");
  EXPECT_FALSE(d.onOk(port));
  d.setNewText("2e38");
  EXPECT_FALSE(d.onOk(port));
  EXPECT_EQ(port.messages(), (std::vector<std::string>{"Please enter a value between -1 and 1e+38.",
                                                       "Please enter a value between -1 and 1e+38."}));
  d.setNewText("-1");
  EXPECT_TRUE(d.onOk(port));
  EXPECT_EQ(d.newValue(), -1.0);
}
