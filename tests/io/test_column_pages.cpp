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

std::string rangeWarning(int high) {
  return kWarnOk + "Please enter an integer between 0 and " + std::to_string(high) + ".";
}

// An input page over the composite fields, activated, with its port.
struct InputPage {
  ColumnDescription d = compositeFields();
  CFileFormat page{d};
  ScriptedPort port;
  InputPage() { page.onSetActive(); }
};

TEST(FileFormatPage, ActivationFillsTheChooserAndSetsTheButtons) {
  auto [d, page, port] = InputPage();
  page.chooseField(2);
  page.onSetActive();
  EXPECT_EQ(page.fieldNames(), (std::vector<std::string>{"Name", "X Coordinate", "Y Coordinate", "Au"}));
  EXPECT_EQ(page.currentField(), 0);
  EXPECT_EQ(page.length(), 15);
  EXPECT_EQ(page.wizardButtons(), FormatPageButtons::kFinish);  // one-page sheet

  page.setPlacement(1, 2);
  page.onSetActive();
  EXPECT_EQ(page.wizardButtons(), FormatPageButtons::kBack | FormatPageButtons::kFinish);
  ColumnDescription empty;
  CFileFormat none(empty);
  none.onSetActive();
  EXPECT_EQ(none.currentField(), -1);
}

TEST(FileFormatPage, ChooserAndEditsStoreIntoTheChosenField) {
  auto [d, page, port] = InputPage();
  page.chooseField(3);
  EXPECT_EQ(page.position(), 36);
  page.chooseField(7);  // outside the list: nothing changes
  EXPECT_EQ(page.currentField(), 3);
  EXPECT_TRUE(page.setPosition(port, 40));
  EXPECT_TRUE(page.setLength(port, 511));
  EXPECT_EQ(d.fields[3], (ColumnField{"Au", 40, 511, 3})) << "decimals untouched by the input page";
  EXPECT_TRUE(page.setValues(port, 512, 0));
  EXPECT_EQ(d.fields[3].position, 512);
  EXPECT_TRUE(port.messages().empty());

  // Values out of range keep the old ones.
  page.chooseField(1);
  EXPECT_FALSE(page.setPosition(port, 513));
  EXPECT_FALSE(page.setLength(port, 512));
  EXPECT_FALSE(page.setValues(port, -1, 5));
  EXPECT_FALSE(page.setValues(port, 20, -1));  // position in range, length not: neither stored
  EXPECT_EQ(d.fields[1], (ColumnField{"X Coordinate", 16, 10, 2}));
  EXPECT_EQ(port.log(), (std::vector<std::string>{kWarnOk + "Please enter an integer between 0 and 512.",
                                                  rangeWarning(511), rangeWarning(512), rangeWarning(511)}));
}

TEST(FileFormatPage, SelectTakesTheColumnsOfTheSelection) {
  auto [d, page, port] = InputPage();
  page.chooseField(3);
  // Columns 11 to 20: a selection of 10 characters from column 10 (counted from 0).
  EXPECT_TRUE(page.select(port, 10, 20));
  EXPECT_EQ(d.fields[3], (ColumnField{"Au", 11, 10, 3}));
  EXPECT_TRUE(page.takeChooserFocus());
  EXPECT_FALSE(page.takeChooserFocus());
  EXPECT_FALSE(page.select(port, 7, 7));  // an empty selection changes nothing
  EXPECT_FALSE(page.select(port, 9, 3));
  EXPECT_FALSE(page.takeChooserFocus()) << "only a taken selection gives the chooser the focus";
  EXPECT_EQ(d.fields[3].length, 10);
  EXPECT_TRUE(page.select(port, 0, 1));  // no tag column on input
  EXPECT_EQ(d.fields[3].position, 1);
  EXPECT_TRUE(port.messages().empty());
}

TEST(FileFormatPage, FinishRefusesTheFirstMissingRequiredField) {
  auto [d, page, port] = InputPage();
  for (auto& f : d.fields) f.length = 0;  // "Name" and a variable are not required
  EXPECT_FALSE(page.onKillActive(port));
  EXPECT_EQ(port.log(), std::vector<std::string>{kWarnOk + "X Coordinate must have length > 0"});
  d.fields[1].length = 10;
  EXPECT_FALSE(page.onOk(port));
  EXPECT_EQ(port.messages().back(), "Y Coordinate must have length > 0");
  d.fields[2].length = 10;
  EXPECT_TRUE(page.onKillActive(port));

  // Next on the first of two pages checks nothing.
  d.fields[1].length = 0;
  page.setPlacement(0, 2);
  EXPECT_TRUE(page.onKillActive(port));
  page.setPlacement(1, 2);
  EXPECT_FALSE(page.onKillActive(port));
}

TEST(FileFormatPage, DelimitedSplitsThePreviewMapsColumnsAndKeepsTheFixedColumnsAside) {
  auto [d, page, port] = InputPage();
  const std::vector<std::string> lines{"\xEF\xBB\xBFHOLE;EAST;\"N;S\"", "A;1,5;2", "\"B;3", ""};
  page.setPreviewLines(lines);
  page.setDelimited(true);
  page.setSeparator(Separator::Semicolon);
  EXPECT_EQ(page.previewText(), "HOLE | EAST | N;S\r\nA    | 1,5  | 2\r\n(a quote is not closed)\r\n\r\n");
  EXPECT_EQ(d.fields[2], (ColumnField{"Y Coordinate", 0, 0, 2, ""}));  // delimited columns start as none
  EXPECT_EQ(page.columnChoices(), (std::vector<std::string>{"(none)", "Column 1", "Column 2", "Column 3"}));
  page.setFieldColumn(1, 2);
  page.setHeader(true);
  EXPECT_EQ(page.columnChoices(), (std::vector<std::string>{"(none)", "HOLE", "EAST", "N;S"}));
  page.setFieldColumn(3, 3);
  d.fields[0].header = "hole";
  EXPECT_EQ((std::vector<int>{page.fieldColumn(0), page.fieldColumn(1), page.fieldColumn(2), page.fieldColumn(3)}),
            (std::vector<int>{1, 2, 0, 3}));
  EXPECT_EQ(d.fields[3].header, "N;S");
  EXPECT_EQ(d.fields[3].position, 0);
  const DelimitedChoice remembered = page.choice();
  EXPECT_EQ(remembered.format, (DelimitedFormat{Separator::Semicolon, true}));

  // Back to fixed columns: the columns as they were; a page that recalls the
  // choice opens delimited and still has them.
  page.setDelimited(false);
  EXPECT_EQ(d, compositeFields());
  EXPECT_EQ(page.previewText(), previewText(lines));
  auto [d2, page2, port2] = InputPage();
  page2.recall(remembered);
  EXPECT_EQ(page2.choice(), remembered);
  page2.setDelimited(false);
  EXPECT_EQ(d2, compositeFields());
}

TEST(AsciiFormatPage, OpensOnTheFirstFieldWithItsRuler) {
  ColumnDescription d;
  d.add("Envelope Name", 0, 0, 0);
  d.add("X Coordinate", 5, 5, 2);
  d.add("Y Coordinate", 8, 5, 2);
  CAsciiFormatPage page(d, /*tagColumn=*/true);
  EXPECT_FALSE(page.decimalsEnabled());  // "Enve..."
  page.chooseField(1);
  EXPECT_TRUE(page.decimalsEnabled());
  EXPECT_EQ(page.decimals(), 2);
  EXPECT_EQ(page.rulerText(), std::string(kOutputTensRuler) + "\r\n" + std::string(kOutputUnitsRuler) + "\r\n" +
                                  "----***??***" + std::string(188, '-'));
}

TEST(AsciiFormatPage, EditsStoreAndRebuildTheRuler) {
  ColumnDescription d = compositeFields();
  CAsciiFormatPage page(d);
  page.chooseField(3);
  ScriptedPort port;
  EXPECT_TRUE(page.setValues(port, 2000, 1000, 10));
  EXPECT_TRUE(page.setDecimals(port, 0));
  EXPECT_TRUE(page.setPosition(port, 1));  // no tag column: column 1 is free
  EXPECT_TRUE(page.setLength(port, 3));
  EXPECT_EQ(d.fields[3], (ColumnField{"Au", 1, 3, 0}));
  // Name 1-15, X 16-25, Y 26-35, and Au now over the first three columns of Name.
  EXPECT_EQ(page.rulerText().substr(404), "???" + std::string(32, '*') + std::string(165, '-'));

  // A field without decimals keeps its decimals whatever the edit holds.
  page.chooseField(0);
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
  EXPECT_EQ(port.log(), (std::vector<std::string>{rangeWarning(2000), rangeWarning(1000), rangeWarning(10),
                                                  kWarnOk + tag, rangeWarning(10)}));
  EXPECT_TRUE(page.setValues(port, 2, 4, 3));
  EXPECT_TRUE(page.setPosition(port, 0));  // only column 1 is reserved
  EXPECT_EQ(d.fields[1], (ColumnField{"X Coordinate", 0, 4, 3}));

  // "&Select" from the first column is refused the same way.
  port.clearLog();
  EXPECT_FALSE(page.select(port, 0, 5));
  EXPECT_EQ(port.messages(), std::vector<std::string>{tag});
  EXPECT_TRUE(page.select(port, 1, 11));
  EXPECT_EQ(d.fields[1], (ColumnField{"X Coordinate", 2, 10, 3}));
}

TEST(FileLoadSheet, OnePageOrTwo) {
  EXPECT_EQ(CFileLoadPropertySheet("Load Composites").secondPage(), nullptr);
  CFileLoadPropertySheet two("Load Envelopes", /*twoFiles=*/true);
  EXPECT_TRUE(two.isWizard());
  ASSERT_EQ(two.pages().size(), 2u);
  two.first().add("Envelope Name", 2, 20);
  two.second().add("X Coordinate", 2, 0);
  for (PageModel* p : two.pages()) p->onSetActive();
  EXPECT_EQ(two.firstPage().wizardButtons(), FormatPageButtons::kNext);
  ScriptedPort port;
  EXPECT_FALSE(two.secondPage()->onKillActive(port)) << "the vertex page refuses Finish until X has a length";
  two.secondPage()->setLength(port, 10);
  EXPECT_TRUE(two.secondPage()->onKillActive(port));
}

TEST(ProposedColumns, AFieldThatCutsANumberOfTheFirstDataLineIsWidenedAndTheNextMoved) {
  using Places = std::vector<std::pair<int, int>>;  // position and length of name, X, Y, Au
  const Places defaults{{1, 15}, {16, 10}, {26, 10}, {36, 8}};
  struct Case {
    std::vector<std::string> lines;
    Places proposed;
  };
  const Case cases[] = {
      // Twelve-character coordinates after a header line; Au (42 to 48) is cut at 43.
      {{"HOLE  EAST  NORTH  AU", "DH-1            123456.7890  98765.4321  12.3456", "DH-2 whatever"},
       {{1, 15}, {16, 12}, {28, 12}, {40, 9}}},
      // A long name widens the name; X, cut then, follows it.
      {{"DRILLHOLE-000012345   100.00"}, {{1, 19}, {20, 9}, {29, 7}, {36, 8}}},
      // Ten-character coordinates: nothing is cut.
      {{"DH-1               100.00    200.00  1.25"}, defaults},
      // No blank between the coordinates: the token runs through Y's last column.
      {{"DH-1           1234567.89011234567.8901"}, defaults},
      // The number that the name field cuts is not the name's.
      {{"DH-1         1234567.50"}, defaults},
      {{"no numbers here", ""}, defaults},
  };
  for (const Case& c : cases) {
    ColumnDescription d = compositeFields();
    const bool changed = proposeColumns(d, c.lines);
    Places places;
    for (const ColumnField& f : d.fields) places.emplace_back(f.position, f.length);
    EXPECT_EQ(places, c.proposed) << c.lines[0];
    EXPECT_EQ(changed, c.proposed != defaults) << c.lines[0];
  }
  // A field not in the file stays out of it.
  ColumnDescription d;
  d.add("Z Coordinate", 0, 0);
  d.add("X Coordinate", 16, 10);
  EXPECT_TRUE(proposeColumns(d, {"               123456.78901"}));
  EXPECT_EQ(d.fields[0], (ColumnField{"Z Coordinate", 0, 0, 0}));
  EXPECT_EQ(d.fields[1].length, 12);
}

}  // namespace
}  // namespace qx
