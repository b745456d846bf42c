#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "io/column_pages.h"

#include "datasets/composite_export.h"
#include "datasets/composite_modify_dialog.h"
#include "datasets/envelopes.h"
#include "project/quarlex_settings.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

using namespace qx;
using qx::test::readFile;
using qx::test::ScriptedPort;

namespace {

ColumnDescription layout2D() {
  ColumnDescription d;
  d.add("Name", 1, 6);
  d.add("X Coordinate", 5, 8, 2);  // overlaps the name's last two columns
  d.add("Y Coordinate", 20, 6, 1);
  d.add("V", 30, 4, 3);
  d.add("C", 40, 5, 0);
  return d;
}

}  // namespace

TEST(CompositeExport, LineOverlapsCutsAndEndsAtTheLastColumn) {
  CComposite c{"ABCDEFGH", 0, -1, {1.5, 1234567.25, 99.0}, {123.456}, {-2.5}};
  const std::string line = compositeExportLine(c, c.position, layout2D(), false);
  EXPECT_EQ(line, "ABCD    1.50" + std::string(7, ' ') + "123456" + std::string(4, ' ') + "123." + std::string(6, ' ') +
                      "   -2");
  EXPECT_EQ(line.size(), 44u);
  // A field beyond the 510 blanks lengthens the line; one of width 0 is not written.
  ColumnDescription far = layout2D();
  far.fields[4] = {"C", 600, 3, 1};
  far.fields[3].length = 0;
  const std::string longLine = compositeExportLine(c, c.position, far, false);
  EXPECT_EQ(longLine.size(), 602u);
  EXPECT_EQ(longLine.substr(599), "-2.");
  EXPECT_EQ(longLine.substr(29, 4), "    ");
}

TEST(CompositeExport, CommandWritesTheSelectedComposites) {
  const std::string path = (std::filesystem::path(::testing::TempDir()) / "export.cmp").string();
  struct World {
    ScriptedPort port;
    QuarlexSettings settings;
    CompositeSet set;
    EnvelopeSet envelopes;
    World() {
      settings.loaded = {VariableInfo("Au")};
      settings.loaded[0].compositePosition = 36;
      settings.loaded[0].compositeWidth = 8;
      settings.loaded[0].compositeDecimals = 2;
      set.setVariableCounts(1, 0);
      set.composites = {{"IN", 0, -1, {1, 2, 3}, {0.125}, {}}, {"OUT", 0, -1, {50, 60, 70}, {7}, {}}};
      envelopes.envelopes.resize(1);
      envelopes.envelopes[0].exportComposites = 0;
    }
    int run() {
      const EnvelopeLocator locate = [](const DPoint3D& p) { return p.x < 10 ? EnvelopeHit{0, 0} : EnvelopeHit{}; };
      return exportComposites(port, set, settings, envelopes, locate, {});
    }
  };
  World w;
  w.port.answerSheet([](SheetModel& sheet) {
    EXPECT_EQ(dynamic_cast<CAsciiFormatPage&>(*sheet.pages()[0]).fieldNames(),
              (std::vector<std::string>{"Name", "X Coordinate", "Y Coordinate", "Au"}));
    return true;
  });
  w.port.answerFile(path);
  EXPECT_EQ(w.run(), 1);
  EXPECT_EQ(readFile(path),
            "OUT            "
            "     50.00"
            "     60.00"
            "    7.00\n");
  EXPECT_EQ(w.set.composites[0].envelopeIndex, 0);
  EXPECT_NE(std::ranges::find(w.port.log(), "progress text: 1 Composites Exported"), w.port.log().end());
}

TEST(CompositeModifyDialog, RowsLabelsSetAndDelete) {
  QuarlexSettings settings;
  settings.projectType = kProject3D;
  settings.loaded = {VariableInfo("Au")};
  settings.calculated = {VariableInfoCalc("Eq")};
  CDialogCompositeModify d({"DH-7", 0, -1, {1.5, -2.25, 3.0}, {0.12345}, {9.0}}, settings);
  EXPECT_EQ(d.title(), "Composite: DH-7");
  ASSERT_EQ(d.rows().size(), 5u);
  EXPECT_EQ(d.rows()[1].property, "Y Coordinate");
  EXPECT_EQ(d.rows()[3].value, "0.1235") << "%.4lf rounds";
  d.selectRow(3);
  EXPECT_EQ(d.label(), "Variable: Au");
  d.selectRow(4);
  EXPECT_EQ(d.label(), "Calc Var: Eq");
  d.selectRow(2);
  EXPECT_EQ(d.editText(), "3.0000");
  d.setEditText("12.5");
  EXPECT_TRUE(d.set());
  EXPECT_EQ(d.rows()[2].value, "12.5000");

  ScriptedPort port;
  port.answerMessage(MessageAnswer::Yes);
  EXPECT_TRUE(d.onDelete(port));
  EXPECT_EQ(d.result(), CDialogCompositeModify::Result::Delete);
  EXPECT_EQ(port.messages().back(), "Are you sure you want to delete composite DH-7?");

  settings.projectType = kProject2D;
  CDialogCompositeModify flat({"F", 0, -1, {1, 2, 3}, {4}, {5}}, settings);
  ASSERT_EQ(flat.rows()[2].property, "Au") << "no Z row";
  flat.selectRow(2);
  flat.setEditText("abc");
  EXPECT_TRUE(flat.set());
  EXPECT_EQ(flat.composite().values[0], 0.0) << "no number reads 0";
}
