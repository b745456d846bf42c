#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datasets/color_table_page.h"
#include "scripted_port.h"

using namespace qx;
using qx::test::ScriptedPort;

namespace {

const std::vector<std::string> kVariables{"Au", "Cu", "AuEq"};

ColorBin makeBin(std::string name, double low, double high, ColorRef colour = 0) {
  return {std::move(name), "", low, high, static_cast<std::int32_t>(colour)};
}

}  // namespace

TEST(ColorTablePage, BinLinesFollowThePrintfFormatAndSelectingABinFillsTheFields) {
  CColorTable colours;
  colours.bin(0, 0) = makeBin("Au", 1.0005, 1.0025);  // printf rounds the binary value, not the decimal text
  colours.bin(0, 1) = makeBin("Cu", -2.5, 1234.5678);
  colours.bin(0, 2) = makeBin("", -0.0004, 1e20);
  colours.bin(0, 3) = makeBin("Grade %d", 0.0005, 0.0015);  // a name is copied, never used as a format
  colours.bin(0, 4) = makeBin("AuEq", 0.12345, 7.5, makeRgb(1, 2, 3));
  colours.bin(0, 4).secondName = "*";
  colours.bin(0, 5) = makeBin("Zn", 1, 2);
  COptionsSearchTable page(colours, kVariables);
  EXPECT_EQ(page.title(), "Search Table");
  std::vector<std::string> expected{
      " 1.000 <= Au < 1.002",       " -2.500 <= Cu < 1234.568", " -0.000 <=  < 100000000000000000000.000",
      " 0.001 <= Grade %d < 0.002", " 0.123 <= AuEq < 7.500",   " 1.000 <= Zn < 2.000"};
  expected.resize(25, " 0.000 <=  < 0.000");
  EXPECT_EQ(page.binLines(), expected);

  EXPECT_EQ(page.selectedVariable(), 0) << "Au is the first entry";
  page.selectBin(4);
  EXPECT_EQ(page.minimumText(), "0.123");
  EXPECT_EQ(page.maximumText(), "7.500");
  EXPECT_EQ(page.colour(), makeRgb(1, 2, 3));
  EXPECT_EQ(page.selectedVariable(), 2);
  EXPECT_EQ(page.symbol(), "*");
  page.selectBin(5);
  page.selectBin(25);
  page.selectBin(-1);
  EXPECT_EQ(page.selectedBin(), 5);
  EXPECT_EQ(page.selectedVariable(), 0) << "Zn is not in the list";

  // Without variables nothing is chosen, and an update keeps the bin's name.
  COptionsSearchTable bare(colours, {});
  EXPECT_EQ(bare.selectedVariable(), -1);
  bare.selectBin(5);
  bare.setMinimumText("1.25");
  ScriptedPort port;
  EXPECT_TRUE(bare.leaveMinimum(port));
  EXPECT_EQ(bare.workingCopy().bin(0, 5), makeBin("Zn", 1.25, 2));
}

TEST(ColorTablePage, EditingTheSelectedBinRefusingBadNumbersColourAndSymbol) {
  CColorTable colours;
  colours.bin(0, 2) = makeBin("Au", 1, 2, makeRgb(9, 9, 9));
  COptionsSearchTable page(colours, kVariables);
  ScriptedPort port;
  page.selectBin(2);

  page.setMinimumText(" 1.5\t");
  page.setMaximumText("1e2");
  EXPECT_TRUE(page.chooseVariable(port, 1));
  EXPECT_EQ(page.workingCopy().bin(0, 2), makeBin("Cu", 1.5, 100.0, makeRgb(9, 9, 9)));
  EXPECT_TRUE(page.changed());
  EXPECT_EQ(colours.bin(0, 2), makeBin("Au", 1, 2, makeRgb(9, 9, 9))) << "the project's table is untouched";

  // A decimal comma, junk or an empty field: "Please enter a number.", the bin keeps its values.
  for (const char* bad : {"1,5", "abc", "", "2.5x", "0x10", "inf", "+-1"}) {
    page.setMinimumText(bad);
    EXPECT_FALSE(page.leaveMinimum(port)) << bad;
    EXPECT_EQ(page.minimumText(), bad) << "the text stays for the user to correct";
  }
  page.setMinimumText("3");
  page.setMaximumText("1,5");
  EXPECT_FALSE(page.leaveMaximum(port));
  EXPECT_FALSE(page.chooseVariable(port, 2)) << "the name is not taken either";
  EXPECT_EQ(page.workingCopy().bin(0, 2), makeBin("Cu", 1.5, 100.0, makeRgb(9, 9, 9)));
  EXPECT_EQ(port.log(), std::vector<std::string>(9, "message warning ok -> ok: Please enter a number."));
  page.setMaximumText("+4.25");
  EXPECT_TRUE(page.leaveMaximum(port));
  EXPECT_EQ(page.workingCopy().bin(0, 2), makeBin("AuEq", 3.0, 4.25, makeRgb(9, 9, 9)));
  EXPECT_FALSE(page.chooseVariable(port, 3)) << "no such entry";

  // The colour chooser starts from the bin's colour.
  port.clearLog();
  port.answerColour(makeRgb(255, 0, 0));
  page.selectColour(port);
  EXPECT_EQ(page.workingCopy().bin(0, 2).colour, 0x0000FF);
  EXPECT_EQ(port.log(), (std::vector<std::string>{"colour 592137"}));
  // The one-character symbol is kept in the bin's second name.
  page.setSymbol("XY");
  EXPECT_EQ(page.workingCopy().bin(0, 2).secondName, "X");
}

TEST(ColorTablePage, ClearSelectedAndClearAll) {
  CColorTable colours;
  for (int b = 0; b < 25; ++b) colours.bin(1, b) = makeBin("Au", b, b + 1, makeRgb(1, 1, 1));
  colours.bin(1, 3).secondName = "S";
  colours.bin(0, 0) = makeBin("Cu", 5, 6, 7);
  colours.currentTable = 1;
  COptionsSearchTable page(colours, kVariables);
  page.selectBin(3);
  page.clearSelected();
  ColorBin cleared;
  cleared.secondName = "S";  // the symbol stays
  EXPECT_EQ(page.workingCopy().bin(1, 3), cleared);
  EXPECT_TRUE(page.changed());

  page.clearAll();
  for (int b = 0; b < 25; ++b) EXPECT_EQ(page.workingCopy().bin(1, b), b == 3 ? cleared : ColorBin{}) << b;
  EXPECT_EQ(page.workingCopy().bin(0, 0), makeBin("Cu", 5, 6, 7)) << "only the shown table";
}

TEST(ColorTablePage, ExpandSpreadsTheSelectedBinWithTheRamp) {
  // The ramp as red, green, blue; the colour holds red in its low byte.
  const int ramp[25][3] = {{0, 0, 250},   {0, 50, 250},  {0, 100, 250}, {0, 150, 250}, {0, 200, 250},
                           {0, 230, 250}, {0, 230, 200}, {0, 230, 150}, {0, 230, 100}, {0, 230, 50},
                           {0, 255, 0},   {50, 255, 0},  {100, 255, 0}, {150, 255, 0}, {200, 255, 0},
                           {250, 250, 0}, {250, 200, 0}, {250, 150, 0}, {250, 100, 0}, {250, 50, 0},
                           {250, 0, 0},   {250, 0, 50},  {250, 0, 100}, {250, 0, 150}, {250, 0, 200}};
  CColorTable colours;
  colours.bin(0, 7) = makeBin("Cu", 0, 25, 123);
  colours.bin(0, 7).secondName = "#";
  colours.bin(1, 0) = makeBin("Au", 3, 4);
  COptionsSearchTable page(colours, kVariables);
  page.selectBin(7);
  page.expand();
  EXPECT_EQ(page.selectedBin(), 0);
  for (int i = 0; i < 25; ++i) {
    ColorBin want = makeBin("Cu", i, i == 24 ? 25.001 : i + 1.0, ramp[i][0] | ramp[i][1] << 8 | ramp[i][2] << 16);
    want.secondName = i == 7 ? "#" : "";  // the symbol is not part of the spread
    EXPECT_EQ(page.workingCopy().bin(0, i), want) << i;
  }
  EXPECT_EQ(page.workingCopy().bin(0, 0).colour, 0xFA0000) << "pure blue 250 in the high byte";
  EXPECT_EQ(page.workingCopy().bin(1, 0), makeBin("Au", 3, 4)) << "other tables untouched";

  // A range that is not a whole number of steps: each low is the high before it.
  CColorTable odd;
  odd.bin(0, 0) = makeBin("Au", -2, 3);
  COptionsSearchTable oddPage(odd, kVariables);
  oddPage.expand();
  // Each high is counted from the selected low, not added step by step.
  for (int i = 0; i < 24; ++i) {
    EXPECT_EQ(oddPage.workingCopy().bin(0, i).high, -2.0 + (i + 1) * 0.2) << i;
    EXPECT_EQ(oddPage.workingCopy().bin(0, i + 1).low, oddPage.workingCopy().bin(0, i).high) << i;
  }
  EXPECT_EQ(oddPage.binLines()[24], " 2.800 <= Au < 3.001");

  // An empty range: nothing happens.
  CColorTable flat;
  flat.bin(0, 3) = makeBin("Au", 5, 5, 77);
  COptionsSearchTable flatPage(flat, kVariables);
  flatPage.selectBin(3);
  flatPage.expand();
  EXPECT_EQ(flatPage.workingCopy(), flat);
  EXPECT_FALSE(flatPage.changed());
}

TEST(ColorTablePage, NavigationWrapsAndResetsTheSelection) {
  CColorTable colours;
  colours.currentTable = 9;
  colours.bin(9, 0) = makeBin("Au", 1, 2);
  colours.bin(0, 0) = makeBin("Cu", 3, 4);
  COptionsSearchTable page(colours, kVariables);
  page.selectBin(6);
  page.nextTable();
  EXPECT_EQ(page.shownTable(), 0);
  EXPECT_EQ(page.minimumText(), "3.000") << "the first bin selected";
  EXPECT_TRUE(page.changed()) << "a step marks the page changed";
  page.previousTable();
  page.previousTable();
  EXPECT_EQ(page.shownTable(), 8);
}

TEST(ColorTablePage, OkCopiesNamesAlwaysAndTheRestOnlyWhenChanged) {
  CColorTable colours;
  colours.currentTable = 2;
  colours.bin(4, 0) = makeBin("Au", 1, 2, makeRgb(255, 0, 0));
  colours.bin(4, 1) = makeBin("Au", 2, 3, makeRgb(0, 128, 255));

  // Only the name typed: names go back, nothing else.
  {
    COptionsSearchTable page(colours, kVariables);
    page.setTableName("Gold grades");
    EXPECT_FALSE(page.changed());
    colours.bin(7, 7) = makeBin("Ag", 1, 9);  // changed elsewhere while the page is open
    EXPECT_TRUE(page.apply().empty());
    EXPECT_EQ(colours.bin(7, 7), makeBin("Ag", 1, 9)) << "the page's unchanged bins do not go back";
    EXPECT_EQ(colours.tableNames[2], "Gold grades");
  }

  // Edits on table 3, OK while table 4 is shown: it becomes current, every
  // table's bins go back and its 25 marker colours come out.
  {
    COptionsSearchTable page(colours, kVariables);
    page.nextTable();
    page.selectBin(2);
    page.setSymbol("o");
    page.nextTable();
    page.setTableName("Copper");
    const auto options = page.apply();
    EXPECT_EQ(colours.currentTable, 4);
    EXPECT_EQ(colours.tableNames[4], "Copper");
    EXPECT_EQ(colours.bin(3, 2).secondName, "o");
    ASSERT_EQ(options.size(), 25u);
    EXPECT_EQ(options[1], "Markers = R=0.000 G=0.502 B=1.000");
    EXPECT_EQ(options[24], "Markers = R=0.000 G=0.000 B=0.000");
  }
}

TEST(ColorTablePage, AdvancedEditsTheShownTablesSwitches) {
  CColorTable colours;
  colours.currentTable = 1;
  colours.bin(3, 2) = makeBin("Au", 0.5, 1.5);
  std::vector<std::pair<int, BinSwitches>> stored;
  BinVisibilityAccess access;
  access.get = [](int table) {  // the bin after the table's number hidden
    BinSwitches s;
    s.fill(1);
    s[static_cast<std::size_t>(table + 1)] = 0;
    return s;
  };
  access.set = [&](int table, const BinSwitches& s) { stored.emplace_back(table, s); };
  COptionsSearchTable page(colours, kVariables, access);
  page.nextTable();
  page.nextTable();
  page.selectBin(2);
  page.setMinimumText("0.25");
  ScriptedPort port;
  ASSERT_TRUE(page.leaveMinimum(port));

  int currentDuring = -2;
  port.answerDialog([&](DialogModel& model) {
    auto& d = dynamic_cast<CBinVisDialog&>(model);
    currentDuring = colours.currentTable;
    EXPECT_EQ(d.hidden(), (std::vector<std::string>{"Bin#05: 0.000 <=  < 0.000"}));
    EXPECT_EQ(d.visible()[2], "Bin#03: 0.250 <= Au < 1.500") << "the page's copy is shown";
    d.hideAll();
    d.show(9);   // Bin#10 at position 9
    d.show(24);  // the unbinned entry
    return true;
  });
  EXPECT_TRUE(page.advanced(port));
  EXPECT_EQ(currentDuring, 3);
  EXPECT_EQ(colours.currentTable, 1) << "restored";
  BinSwitches expected{};
  expected[9] = expected[25] = 1;
  EXPECT_EQ(stored, (std::vector<std::pair<int, BinSwitches>>{{3, expected}}));
  EXPECT_EQ(port.log().back(), "dialog bin_visibility: Bin Visibility Settings");
}

TEST(ReferenceGridPage, ASpacingOutsideItsRangeIsRefused) {
  CReferenceGridPage page;
  ScriptedPort port;
  for (const double refused : {0.09, 1.1e10}) {
    page.spacing[2] = refused;
    EXPECT_FALSE(page.onOk(port)) << refused;
  }
  EXPECT_EQ(port.messages().back(), "Please enter a value between 0.1 and 1e+10.");
  page.spacing = {0.1, 1e10, 1.0};
  EXPECT_TRUE(page.onOk(port));
}
