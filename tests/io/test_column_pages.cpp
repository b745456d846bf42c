// The input and output "File Format" pages and the import wizard.
#include <gtest/gtest.h>

#include "io/column_pages.h"
#include "scripted_port.h"

namespace qx {
namespace {

using test::ScriptedPort;

ColumnDescription compositeFields() {
  ColumnDescription d;
  d.add("Name", 1, 15);
  d.add("X Coordinate", 16, 10, 2);
  d.add("Y Coordinate", 26, 10, 2);
  d.add("Au", 36, 8, 3);
  return d;
}

const std::string kWarnOk = "message warning ok -> ok: ";

// ---------------------------------------------------------------- input page

TEST(FileFormatPage, ActivationFillsTheChooserAndSetsTheButtons) {
  ColumnDescription d = compositeFields();
  CFileFormat page(d, "preview");
  EXPECT_EQ(page.kind(), "file_format");
  EXPECT_EQ(page.title(), "File Format");
  page.chooseField(2);
  page.onSetActive();
  EXPECT_EQ(page.fieldNames(), (std::vector<std::string>{"Name", "X Coordinate", "Y Coordinate", "Au"}));
  EXPECT_EQ(page.currentField(), 0);
  EXPECT_EQ(page.position(), 1);
  EXPECT_EQ(page.length(), 15);
  EXPECT_EQ(page.wizardButtons(), FormatPageButtons::kFinish);  // one-page sheet

  page.setPlacement(0, 2);
  page.onSetActive();
  EXPECT_EQ(page.wizardButtons(), FormatPageButtons::kNext);
  page.setPlacement(1, 2);
  page.onSetActive();
  EXPECT_EQ(page.wizardButtons(), FormatPageButtons::kBack | FormatPageButtons::kFinish);
  // The bits are those of the other wizard pages: Back 1, Next 2, Finish 4.
  EXPECT_EQ(FormatPageButtons::kBack | FormatPageButtons::kNext | FormatPageButtons::kFinish, 7u);

  ColumnDescription empty;
  CFileFormat none(empty);
  none.onSetActive();
  EXPECT_EQ(none.currentField(), -1);
  EXPECT_EQ(none.position(), 0);
}

TEST(FileFormatPage, ChooserAndEditsStoreIntoTheChosenField) {
  ColumnDescription d = compositeFields();
  CFileFormat page(d);
  page.onSetActive();
  ScriptedPort port;
  page.chooseField(3);
  EXPECT_EQ(page.position(), 36);
  EXPECT_EQ(page.length(), 8);
  page.chooseField(7);  // outside the list: nothing changes
  EXPECT_EQ(page.currentField(), 3);
  EXPECT_TRUE(page.setPosition(port, 40));
  EXPECT_TRUE(page.setLength(port, 511));
  EXPECT_EQ(d.fields[3].position, 40);
  EXPECT_EQ(d.fields[3].length, 511);
  EXPECT_EQ(d.fields[3].decimals, 3);  // untouched by the input page
  EXPECT_TRUE(page.setValues(port, 512, 0));
  EXPECT_EQ(d.fields[3].position, 512);
  EXPECT_TRUE(port.messages().empty());
}

TEST(FileFormatPage, ValuesOutOfRangeKeepTheOldOnes) {
  ColumnDescription d = compositeFields();
  CFileFormat page(d);
  page.onSetActive();
  page.chooseField(1);
  ScriptedPort port;
  EXPECT_FALSE(page.setPosition(port, 513));
  EXPECT_FALSE(page.setLength(port, 512));
  EXPECT_FALSE(page.setValues(port, -1, 5));
  EXPECT_FALSE(page.setValues(port, 20, -1));  // position in range, length not: neither stored
  EXPECT_EQ(d.fields[1], (ColumnField{"X Coordinate", 16, 10, 2}));
  EXPECT_EQ(port.log(), (std::vector<std::string>{kWarnOk + "Please enter an integer between 0 and 512.",
                                                  kWarnOk + "Please enter an integer between 0 and 511.",
                                                  kWarnOk + "Please enter an integer between 0 and 512.",
                                                  kWarnOk + "Please enter an integer between 0 and 511."}));
}

TEST(FileFormatPage, SelectTakesTheColumnsOfTheSelection) {
  ColumnDescription d = compositeFields();
  CFileFormat page(d);
  page.onSetActive();
  page.chooseField(3);
  ScriptedPort port;
  // Columns 11 to 20: a selection of 10 characters from column 10 (counted from 0).
  EXPECT_TRUE(page.select(port, 10, 20));
  EXPECT_EQ(d.fields[3].position, 11);
  EXPECT_EQ(d.fields[3].length, 10);
  EXPECT_TRUE(page.takeChooserFocus());
  EXPECT_FALSE(page.takeChooserFocus());
  EXPECT_FALSE(page.select(port, 7, 7));  // an empty selection changes nothing
  EXPECT_FALSE(page.select(port, 9, 3));
  EXPECT_FALSE(page.takeChooserFocus());
  EXPECT_EQ(d.fields[3].position, 11);
  EXPECT_EQ(d.fields[3].length, 10);
  EXPECT_TRUE(page.select(port, 0, 1));  // no tag column on input
  EXPECT_EQ(d.fields[3].position, 1);
  EXPECT_TRUE(port.messages().empty());
}

TEST(FileFormatPage, FinishRefusesTheFirstMissingRequiredField) {
  ColumnDescription d = compositeFields();
  d.fields[0].length = 0;  // "Name" is not required
  d.fields[3].length = 0;  // nor a variable
  d.fields[2].length = 0;
  d.fields[1].length = 0;
  CFileFormat page(d);
  page.onSetActive();
  ScriptedPort port;
  EXPECT_FALSE(page.onKillActive(port));
  EXPECT_EQ(port.log(), std::vector<std::string>{kWarnOk + "X Coordinate must have length > 0"});
  d.fields[1].length = 10;
  EXPECT_FALSE(page.onOk(port));
  EXPECT_EQ(port.messages().back(), "Y Coordinate must have length > 0");
  d.fields[2].length = 10;
  EXPECT_TRUE(page.onKillActive(port));
  EXPECT_EQ(port.messages().size(), 2u);

  // Next on the first of two pages checks nothing.
  d.fields[1].length = 0;
  page.setPlacement(0, 2);
  EXPECT_TRUE(page.onKillActive(port));
  page.setPlacement(1, 2);
  EXPECT_FALSE(page.onKillActive(port));
}

TEST(FileFormatPage, Rotation) {
  ColumnDescription d = compositeFields();
  CFileFormat page(d);
  EXPECT_FALSE(page.rotationVisible());
  page.setRotationAllowed(true);
  EXPECT_TRUE(page.rotationVisible());
  page.setRotate(true);
  EXPECT_TRUE(d.rotate);
}

// ---------------------------------------------------------------- output page

TEST(AsciiFormatPage, OpensOnTheFirstFieldWithItsRuler) {
  ColumnDescription d;
  d.add("Envelope Name", 0, 0, 0);
  d.add("X Coordinate", 5, 5, 2);
  d.add("Y Coordinate", 8, 5, 2);
  CAsciiFormatPage page(d, /*tagColumn=*/true);
  EXPECT_EQ(page.kind(), "ascii_format");
  EXPECT_EQ(page.title(), "File Format");
  EXPECT_EQ(page.currentField(), 0);
  EXPECT_FALSE(page.decimalsEnabled());  // "Enve..."
  page.chooseField(1);
  EXPECT_TRUE(page.decimalsEnabled());
  EXPECT_EQ(page.decimals(), 2);
  EXPECT_EQ(page.rulerText(), std::string(kOutputTensRuler) + "\r\n" + std::string(kOutputUnitsRuler) + "\r\n" +
                                  "----***??***" + std::string(188, '-'));
  page.onSetActive();
  EXPECT_EQ(page.wizardButtons(), FormatPageButtons::kFinish);
  page.setPlacement(1, 2);
  page.onSetActive();
  EXPECT_EQ(page.wizardButtons(), FormatPageButtons::kBack | FormatPageButtons::kFinish);
}

TEST(AsciiFormatPage, EditsStoreAndRebuildTheRuler) {
  ColumnDescription d = compositeFields();
  CAsciiFormatPage page(d);
  page.chooseField(3);
  ScriptedPort port;
  EXPECT_TRUE(page.setValues(port, 2000, 1000, 10));
  EXPECT_EQ(d.fields[3], (ColumnField{"Au", 2000, 1000, 10}));
  EXPECT_TRUE(page.setDecimals(port, 0));
  EXPECT_TRUE(page.setPosition(port, 1));  // no tag column: column 1 is free
  EXPECT_TRUE(page.setLength(port, 3));
  EXPECT_EQ(d.fields[3], (ColumnField{"Au", 1, 3, 0}));
  // Name 1-15, X 16-25, Y 26-35, and Au now over the first three columns of Name.
  EXPECT_EQ(page.rulerText().substr(404), "???" + std::string(32, '*') + std::string(165, '-'));
  EXPECT_TRUE(port.messages().empty());

  // A field without decimals keeps its decimals whatever the edit holds.
  page.chooseField(0);
  EXPECT_FALSE(page.decimalsEnabled());
  EXPECT_TRUE(page.setValues(port, 3, 12, 7));
  EXPECT_EQ(d.fields[0], (ColumnField{"Name", 3, 12, 0}));
}

TEST(AsciiFormatPage, RangesAndTheTagColumn) {
  ColumnDescription d = compositeFields();
  CAsciiFormatPage page(d, /*tagColumn=*/true);
  page.chooseField(1);
  ScriptedPort port;
  EXPECT_FALSE(page.setPosition(port, 2001));
  EXPECT_FALSE(page.setLength(port, 1001));
  EXPECT_FALSE(page.setDecimals(port, 11));
  EXPECT_FALSE(page.setValues(port, 1, 4, 3));   // the tag column
  EXPECT_FALSE(page.setValues(port, 1, 4, 11));  // the range first
  EXPECT_EQ(d.fields[1], (ColumnField{"X Coordinate", 16, 10, 2}));
  const std::string tag =
      "Field 1 is reserved for the envelope/figure tag\nFields can only start at positon 2 or greater.";
  EXPECT_EQ(port.log(), (std::vector<std::string>{kWarnOk + "Please enter an integer between 0 and 2000.",
                                                  kWarnOk + "Please enter an integer between 0 and 1000.",
                                                  kWarnOk + "Please enter an integer between 0 and 10.", kWarnOk + tag,
                                                  kWarnOk + "Please enter an integer between 0 and 10."}));
  EXPECT_TRUE(page.setValues(port, 2, 4, 3));
  EXPECT_TRUE(page.setPosition(port, 0));  // only column 1 is reserved
  EXPECT_EQ(d.fields[1], (ColumnField{"X Coordinate", 0, 4, 3}));

  // "&Select" from the first column is refused the same way.
  port.clearLog();
  EXPECT_FALSE(page.select(port, 0, 5));
  EXPECT_EQ(port.messages(), std::vector<std::string>{tag});
  EXPECT_FALSE(page.takeChooserFocus());
  EXPECT_FALSE(page.select(port, 0, 0));  // empty: no message
  EXPECT_EQ(port.messages().size(), 1u);
  EXPECT_TRUE(page.select(port, 1, 11));
  EXPECT_EQ(d.fields[1], (ColumnField{"X Coordinate", 2, 10, 3}));
  EXPECT_TRUE(page.takeChooserFocus());
}

// ---------------------------------------------------------------- import wizard

TEST(FileLoadSheet, OnePageOrTwo) {
  CFileLoadPropertySheet single("Load Composites");
  EXPECT_TRUE(single.isWizard());
  EXPECT_EQ(single.title(), "Load Composites");
  ASSERT_EQ(single.pages().size(), 1u);
  EXPECT_EQ(single.secondPage(), nullptr);
  single.first() = compositeFields();
  single.firstPage().onSetActive();
  EXPECT_EQ(single.firstPage().wizardButtons(), FormatPageButtons::kFinish);
  EXPECT_EQ(single.firstPage().position(), 1);

  CFileLoadPropertySheet two("Load Envelopes", /*twoFiles=*/true);
  ASSERT_EQ(two.pages().size(), 2u);
  two.first().add("Envelope Name", 2, 20);
  two.second().add("X Coordinate", 2, 0);
  two.pages()[0]->onSetActive();
  two.pages()[1]->onSetActive();
  EXPECT_EQ(two.firstPage().wizardButtons(), FormatPageButtons::kNext);
  EXPECT_EQ(two.secondPage()->wizardButtons(), FormatPageButtons::kBack | FormatPageButtons::kFinish);

  // Driven through the port the way a dataset does: the vertex page refuses
  // Finish until X has a length.
  ScriptedPort port;
  port.answerSheet([](SheetModel& sheet) {
    ScriptedPort inner;
    for (PageModel* p : sheet.pages()) p->onSetActive();
    if (sheet.pages()[1]->onKillActive(inner)) return false;
    static_cast<CFileFormat*>(sheet.pages()[1])->setLength(inner, 10);
    return sheet.pages()[1]->onKillActive(inner);
  });
  EXPECT_TRUE(port.runSheet(two));
  EXPECT_EQ(two.second().fields[0].length, 10);
  EXPECT_EQ(port.log(), std::vector<std::string>{"wizard: Load Envelopes"});
}

}  // namespace
}  // namespace qx
