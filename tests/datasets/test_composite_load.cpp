#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "io/column_pages.h"

#include "datasets/composite_import.h"
#include "datasets/composite_reader.h"
#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "project/quarlex_settings.h"
#include "support/scripted_port.h"
#include "support/test_files.h"
#include "variables/formula_compiler.h"

using namespace qx;
using qx::test::ScriptedPort;

namespace {

// A composite line: name in 1-15, x 16-25, y 26-35, z 36-45, Au 46-53, Ag 54-61.
std::string line(const std::string& name, double x, double y, double z = 0.0, double au = 0.0, double ag = 0.0) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "%-15.15s%10.2f%10.2f%10.2f%8.3f%8.3f", name.c_str(), x, y, z, au, ag);
  return buffer;
}

std::string writeFile(const std::string& name, const std::string& bytes) {
  static const qx::test::TempDir folder("qx_composite_load");
  return folder.write(name, bytes).string();
}

// Loaded Au (46, 8) and Ag (54, 8); calculated "Sum" = Au + Ag and "Twice" = Sum * 2.
QuarlexSettings settings3D() {
  QuarlexSettings s;
  s.projectType = kProject3D;
  s.loaded = {VariableInfo("Au"), VariableInfo("Ag")};
  for (std::size_t i = 0; i < 2; ++i) {
    s.loaded[i].compositePosition = 46 + 8 * static_cast<int>(i);
    s.loaded[i].compositeWidth = 8;
  }
  for (const auto& [name, code] : {std::pair{"Sum", "a#b+"}, std::pair{"Twice", "c#2*"}}) {
    s.calculated.emplace_back(name);
    s.calculated.back().formulaCode = code;
    s.calculated.back().compiled = compileFormula(code).block;
  }
  return s;
}

struct Loader {
  ScriptedPort port;
  CompositeSet set;
  QuarlexSettings settings = settings3D();
  int processed = 0;
  CompositeLoadHooks hooks{[](UiPort&, CParamsRotation&) { return true; }, [this] { ++processed; }};

  // File, Finish, and Yes to the append question when asked.
  int load(const std::string& path) {
    port.answerFile(path);
    port.answerSheet([](SheetModel&) { return true; });
    if (set.count() > 0) port.answerMessage(MessageAnswer::Yes);
    return loadComposites(port, set, settings, hooks);
  }
};

}  // namespace

TEST(CompositeReader, EveryLineIsARecordCutAt511) {
  CompositeLayout layout{{1, 15}, {16, 10}, {26, 10}, {36, 10}, true, {{505, 10}, {46, 8}}};
  std::string longLine = line("LONG", 1.5, 2.5, 3.5, 4.25);
  longLine.resize(504, ' ');
  longLine += "1234567890";  // columns 505-514: only 505-511 are kept
  longLine.resize(600, '9');
  const std::string file = "Name           X Coordinate Y\n" + longLine + "\n\n" + line("NEXT", 7, 8, 9, 1) + "\n" +
                           line("LAST", -1, -2, -3, 0.5);  // no line feed at the end
  MemorySource source(file);
  const auto records = readCompositeRecords(source, layout);
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0].position, (DPoint3D{0, 0, 0})) << "a header is a composite: 'X Coordinat' reads 0";
  EXPECT_EQ(records[1].values, (std::vector<double>{1234567.0, 4.25}));
  EXPECT_EQ(records[2].name, std::string(15, ' ')) << "a blank line is a blank composite";
  EXPECT_EQ(records[3].name, "NEXT           ") << "the rest of the long line was skipped";
  EXPECT_EQ(records[4].position, (DPoint3D{-1, -2, -3}));
}

TEST(CompositeCoLocated, ShellSortTieOrderToleranceAndNeighbours) {
  // Four composites, three at one place: gaps 3 then 1. The gap-3 pass swaps
  // the first (P) with the last (S), so P ends last of the three and survives.
  CompositeSet set;
  for (const char* n : {"P", "Q", "R"}) set.composites.push_back({n, 0, -1, {1.0, 5.0, 0.0}, {}, {}});
  set.composites.push_back({"S", 0, -1, {2.0, 5.0, 0.0}, {}, {}});
  ScriptedPort port;
  EXPECT_EQ(set.removeCoLocated(port), 2);
  ASSERT_EQ(port.messages().size(), 1u);
  EXPECT_EQ(port.messages()[0],
            "Quarlex has detected 2 co-located composites and must delete them.\nOnly one composite is kept");
  ASSERT_EQ(set.count(), 2);
  EXPECT_EQ(set.composites[0].name + set.composites[1].name, "SP");

  // The tolerance is strict and z is ignored.
  port.clearLog();
  set.composites = {{"A", 0, -1, {0.0, 0.0, 0.0}, {}, {}},
                    {"B", 0, -1, {0.01, 0.0, 0.0}, {}, {}},  // |dx| = 0.01 exactly
                    {"C", 0, -1, {5.0, 0.01, 0.0}, {}, {}},
                    {"D", 0, -1, {5.0, 0.0, 0.0}, {}, {}}};  // |dy| = 0.01 exactly
  EXPECT_EQ(set.removeCoLocated(port), 0);
  EXPECT_TRUE(port.messages().empty()) << "no message when nothing is co-located";

  set.composites = {{"low", 0, -1, {3.0, 4.0, -100.0}, {}, {}}, {"high", 0, -1, {3.0, 4.0, 100.0}, {}, {}}};
  EXPECT_EQ(set.removeCoLocated(port), 1);

  // Neighbours in x with other y do not hide a duplicate further on.
  set.composites.clear();
  for (int i = 0; i < 50; ++i) set.composites.push_back({"d", 0, -1, {10.0 + i * 1e-4, i * 1.0, 0.0}, {}, {}});
  set.composites.push_back({"twin", 0, -1, {10.0, 0.005, 0.0}, {}, {}});
  EXPECT_EQ(set.removeCoLocated(port), 1);
}

TEST(CompositeLoad, StepsTextsAndResult) {
  Loader l;
  const std::string path =
      writeFile("basic.cmp", line("DH-1", 100, 200, 10, 1.5, 2.0) + "\n" + line("DH-2", 300, 50, 20, 0.25, 0.5) + "\n" +
                                 line("DH-3", 200, 75, 30, 4, 8) + "\n");
  l.port.answerFile(path);
  l.port.answerSheet([&](SheetModel& sheet) {
    EXPECT_EQ(dynamic_cast<CFileLoadPropertySheet&>(sheet).firstPage().fieldNames(),
              (std::vector<std::string>{"Name", "X Coordinate", "Y Coordinate", "Z Coordinate", "Au", "Ag"}));
    return true;
  });
  EXPECT_EQ(loadComposites(l.port, l.set, l.settings, l.hooks), 3);
  EXPECT_EQ(l.port.log().at(0),
            "file open: Open Composite Datafile [Composite Dataset Files (*.dat; *.cmp)|*.dat; *.cmp|Composite "
            "Dataset Files (*.dat)|*.dat|All Files (*.*)|*.*||]");
  // Numbered by descending x, not in file order.
  const CComposite& c = l.set.composites[1];
  EXPECT_EQ(l.set.composites[0].name + l.set.composites[2].name, "DH-2           DH-1           ");
  EXPECT_EQ(c.calcValues, (std::vector<double>{12, 24}));
  EXPECT_EQ(l.set.maxCorner, (DPoint3D{300, 200, 30}));
  EXPECT_EQ(l.set.singleFlag, 0);
}

TEST(CompositeLoad, ColumnsAreWrittenBackByNameAnd2DLeavesZOut) {
  Loader l;
  l.settings.projectType = kProject2D;
  // Au moved to the z column, which a 2D project does not read.
  const std::string path = writeFile("twod.cmp", line("A", 1, 2, 33, 4, 5) + "\n");
  l.port.answerFile(path);
  l.port.answerSheet([](SheetModel& sheet) {
    auto& d = dynamic_cast<CFileLoadPropertySheet&>(sheet).first();
    EXPECT_EQ(d.find("Z Coordinate"), -1);
    d.fields.at(3).position = 36;  // Au, after Name, X and Y
    d.fields.at(3).length = 10;
    d.fields[0].length = 3;
    return true;
  });
  EXPECT_EQ(loadComposites(l.port, l.set, l.settings, l.hooks), 1);
  EXPECT_EQ(l.settings.loaded[0].compositePosition, 36);
  EXPECT_EQ(l.set.fieldWidths[0], 3);
  EXPECT_EQ(l.set.composites.at(0).name, "A  ");
  EXPECT_EQ(l.set.composites[0].position, (DPoint3D{1, 2, 0}));
  EXPECT_EQ(l.set.composites[0].values, (std::vector<double>{33, 5}));
  EXPECT_EQ(l.set.singleFlag, 1) << "a set of one composite";
}

TEST(CompositeLoad, ProgressEveryHundredCompositesAndNothingForAnEmptyFile) {
  Loader l;
  EXPECT_EQ(l.load(writeFile("empty.cmp", "")), 0);
  EXPECT_EQ(l.processed, 0) << "no processing after an empty file";
  std::string file;
  for (int i = 0; i < 250; ++i) file += line("C" + std::to_string(i), i, i, 0) + "\n";
  EXPECT_EQ(l.load(writeFile("many.cmp", file)), 250);
  std::vector<std::string> texts;
  for (const auto& e : l.port.log())
    if (e.starts_with("progress text: ")) texts.push_back(e);
  EXPECT_EQ(texts,
            (std::vector<std::string>{"progress text: 0 Composites Loaded", "progress text: 100 Composites Loaded",
                                      "progress text: 200 Composites Loaded"}));
}

TEST(CompositeLoad, NoToTheAppendQuestionKeepsTheCompositesButTheConfirmedColumns) {
  Loader l;
  ASSERT_EQ(l.load(writeFile("first.cmp", line("OLD", 1, 1, 1, 9, 9) + "\n")), 1);
  const std::vector<CComposite> before = l.set.composites;
  l.port.answerFile(writeFile("second.cmp", line("N", 5, 5, 5, 1, 1) + "\n"));
  l.port.answerSheet([](SheetModel& sheet) {
    auto& d = dynamic_cast<CFileLoadPropertySheet&>(sheet).first();
    d.fields[4].position = 99;
    d.rotate = true;
    return true;
  });
  l.hooks.editRotation = [](UiPort&, CParamsRotation& r) {
    r.setCentre({1, 2, 3});
    return true;
  };
  l.port.answerMessage(MessageAnswer::No);
  EXPECT_EQ(loadComposites(l.port, l.set, l.settings, l.hooks), 0);
  EXPECT_EQ(l.set.composites, before);
  EXPECT_EQ(l.settings.loaded[0].compositePosition, 99);
  EXPECT_EQ(l.set.importRotation.centre(), (DPoint3D{1, 2, 3}));
}

TEST(CompositeLoad, RotationAppliesFromOneMillionth) {
  const std::string path = writeFile("rot.cmp", line("R", 100, 200, 300) + "\n");
  struct Case {
    DPoint3D angles, centre;
    bool rotated;
  } cases[] = {{{5e-7, -5e-7, 0}, {}, false},
               {{9.9e-7, 0, 0}, {0, 0, 9.9e-7}, false},
               {{1e-6, 0, 0}, {}, true},
               {{0, 0, -1e-6}, {}, true},
               {{}, {0, 0, -1e-6}, true}};
  for (const Case& c : cases) {
    Loader l;
    l.set.importRotation.setAngles(c.angles.x, c.angles.y, c.angles.z);
    l.set.importRotation.setCentre(c.centre);
    EXPECT_EQ(l.load(path), 1);
    EXPECT_EQ(l.set.composites[0].position != (DPoint3D{100, 200, 300}), c.rotated) << c.angles.x << " " << c.centre.z;
    EXPECT_EQ(l.set.minCorner, l.set.composites[0].position) << "the box holds the rotated point";
  }
}

TEST(CompositeLoad, AppendingDuplicatesKeepsTheLastOfEachGroup) {
  Loader l;
  const std::string path =
      writeFile("dups.cmp", line("A", 10, 1) + "\n" + line("B", 20, 2) + "\n" + line("C", 30, 3) + "\n");
  ASSERT_EQ(l.load(path), 3);
  for (auto& c : l.set.composites) c.reserved = 1;  // tag the old ones
  EXPECT_EQ(l.load(path), 3);
  // Old C B A then new A B C sort to C C' B B' A' A: the new C and B and the old A survive.
  std::vector<std::pair<char, int>> kept;
  for (const auto& c : l.set.composites) kept.emplace_back(c.name[0], c.reserved);
  EXPECT_EQ(kept, (std::vector<std::pair<char, int>>{{'C', 0}, {'B', 0}, {'A', 1}}));
  EXPECT_EQ(l.processed, 2);
}

TEST(CompositeCalculation, CutoffsEnvelopesAndVariables) {
  Loader l;
  l.set.composites = {{"a", 0, -1, {0, 0, 0}, {5, 1}, {}}, {"b", 0, -1, {10, 0, 0}, {50, 1}, {}}};
  l.set.setVariableCounts(2, 2);
  l.settings.loaded[0].minCutoff = 1;
  l.settings.loaded[0].maxCutoff = 5;  // 5 itself is inside
  l.settings.loaded[1].minCutoff = 3;
  l.settings.loaded[1].maxCutoff = 3;  // equal cutoffs: never tested
  EnvelopeSet envelopes;
  envelopes.envelopes.resize(2);
  envelopes.envelopes[1].useComposites = 0;
  EnvelopeLocator inSecond = [](const DPoint3D& p) { return p.x < 1 ? EnvelopeHit{1, 4} : EnvelopeHit{}; };
  EXPECT_FALSE(l.set.takesPartInCalculation(0, l.settings, envelopes, inSecond)) << "envelope 1 does not use them";
  EXPECT_EQ(l.set.composites[0].envelopeIndex, 1);
  envelopes.envelopes[1].useComposites = 1;
  EXPECT_TRUE(l.set.takesPartInCalculation(0, l.settings, envelopes, inSecond));
  EXPECT_FALSE(l.set.takesPartInCalculation(1, l.settings, envelopes, inSecond)) << "Au 50 is above its cutoff";
  l.settings.loaded[0].maxCutoff = 1;
  l.settings.loaded[0].minCutoff = 1;
  EXPECT_TRUE(l.set.takesPartInCalculation(1, l.settings, envelopes, inSecond)) << "outside, useOutside";
  l.set.useOutside = 0;
  EXPECT_FALSE(l.set.takesPartInCalculation(1, l.settings, envelopes, inSecond));

  // A formula sees the calculated variables before it; a negative value is absent (-1).
  l.set.computeAllCalculatedValues(l.settings);
  EXPECT_EQ(l.set.composites[0].calcValues, (std::vector<double>{6, 12}));
  l.set.composites[0].values[1] = -2;
  l.set.computeCalculatedValues(0, l.settings);
  EXPECT_EQ(l.set.composites[0].calcValues, (std::vector<double>{-1, -1}));

  // Variables added and removed through the settings' edit of the lists.
  CompositeValueSink loadedSink(l.set, VariableKind::Loaded);
  CompositeValueSink calcSink(l.set, VariableKind::Calculated);
  loadedSink.insertValue(2, 7.5);   // a third loaded variable
  calcSink.insertValue(3 + 2, -3);  // a third calculated variable: combined number 5
  calcSink.removeValue(3);          // the first calculated variable
  loadedSink.removeValue(0);
  EXPECT_EQ(l.set.composites[1].values, (std::vector<double>{1, 7.5}));
  EXPECT_EQ(l.set.composites[1].calcValues, (std::vector<double>{102, -3}));
  EXPECT_EQ(l.set.calculatedVariableCount(), 2);
}
