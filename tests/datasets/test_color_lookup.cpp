#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datasets/bin_visibility_dialog.h"
#include "datasets/color_table.h"

using namespace qx;

namespace {

const std::vector<std::string> kLoaded{"Au", "Cu", ""};
const std::vector<std::string> kCalculated{"AuEq", "Cu"};

// Values in combined numbering: Au, Cu, (unnamed), AuEq, Cu (calculated).
int lookup(const CColorTable& t, std::vector<double> values) { return t.lookup(values, kLoaded, kCalculated); }

}  // namespace

TEST(ColorLookup, BoundsAreHalfOpen) {
  CColorTable t;
  t.bin(0, 3) = {"Au", "", 1.0, 2.0, 0};
  EXPECT_EQ(lookup(t, {1.0, 0, 0, 0, 0}), 3) << "low bound is inside";
  EXPECT_EQ(lookup(t, {2.0, 0, 0, 0, 0}), CColorTable::kUnbinned) << "high bound is outside";
  t.bin(0, 4) = {"Au", "", 5.0, 5.0, 0};
  EXPECT_EQ(lookup(t, {5.0, 0, 0, 0, 0}), 25) << "low == high holds nothing";
}

TEST(ColorLookup, OverlapsGoToTheHighestBin) {
  CColorTable t;
  t.bin(0, 2) = {"Au", "", 0.0, 10.0, 0};
  t.bin(0, 7) = {"Au", "", 5.0, 15.0, 0};
  t.bin(0, 0) = {"Au", "", -100.0, 100.0, 0};
  t.bin(0, 24) = {"Cu", "", 0.0, 1.0, 0};
  EXPECT_EQ(lookup(t, {4.0, 7, 0, 0, 9}), 2);
  EXPECT_EQ(lookup(t, {6.0, 7, 0, 0, 9}), 7);
  EXPECT_EQ(lookup(t, {-50.0, 7, 0, 0, 9}), 0);
  EXPECT_EQ(lookup(t, {6.0, 0.5, 0, 0, 9}), 24) << "bin 24 is tried first whatever its variable";
  EXPECT_EQ(lookup(t, {6.0, 9, 0, 0, 0.5}), 24) << "the calculated Cu";
}

TEST(ColorLookup, NamesMatchExactlyAndEmptyNamesNever) {
  CColorTable t;
  t.bin(0, 1) = {"au", "", 0.0, 10.0, 0};   // wrong case
  t.bin(0, 2) = {"Ag", "", 0.0, 10.0, 0};   // no such variable
  t.bin(0, 3) = {"", "", -10.0, 10.0, 0};   // the third loaded variable has an empty name
  t.bin(0, 4) = {"Au ", "", 0.0, 10.0, 0};  // trailing blank
  EXPECT_EQ(lookup(t, {1, 1, 1, 1, 1}), 25);
  t.bin(0, 0) = {"AuEq", "", 0.0, 10.0, 0};  // a calculated variable
  EXPECT_EQ(lookup(t, {-1, 1, 1, 3, 1}), 0);
  EXPECT_EQ(lookup(t, {3, 1, 1, 11, 1}), 25) << "the calculated value decides, not a loaded one";
}

TEST(ColorLookup, LoadedVariableFirstThenCalculatedOfTheSameName) {
  CColorTable t;
  t.bin(0, 9) = {"Cu", "", 0.0, 1.0, 0};
  EXPECT_EQ(lookup(t, {0, 0.5, 0, 0, 7.0}), 9) << "loaded Cu in range";
  EXPECT_EQ(lookup(t, {0, 7.0, 0, 0, 0.5}), 9) << "loaded Cu out of range, calculated Cu in range";
  EXPECT_EQ(lookup(t, {0, 7.0, 0, 0, 7.0}), 25);
}

TEST(ColorLookup, CurrentTableDecides) {
  CColorTable t;
  t.bin(0, 5) = {"Au", "", 0.0, 1.0, 0};
  t.bin(3, 6) = {"Au", "", 0.0, 1.0, 0};
  t.currentTable = 3;
  EXPECT_EQ(lookup(t, {0.5, 0, 0, 0, 0}), 6);
  t.currentTable = -1;
  EXPECT_EQ(lookup(t, {0.5, 0, 0, 0, 0}), 25);
  // A cleared table puts everything in bin 25; short value vectors never read past their end.
  t.currentTable = 0;
  EXPECT_EQ(t.lookup(std::vector<double>{}, kLoaded, kCalculated), 25);
}

TEST(BinVisibilityDialog, EntriesMovesAndSwitches) {
  CColorTable t;
  t.bin(2, 0) = {"Au", "", 0.5, 1.25, 0};
  t.bin(2, 9) = {"Cu", "", -1.0, 1e6, 0};
  BinSwitches switches;
  switches.fill(1);
  switches[9] = 0;
  switches[25] = 0;
  CBinVisDialog d(t, 2, switches);
  ASSERT_EQ(d.visible().size(), 24u);
  EXPECT_EQ(d.visible()[0], "Bin#01: 0.500 <= Au < 1.250");
  EXPECT_EQ(d.visible()[1], "Bin#02: 0.000 <=  < 0.000");
  EXPECT_EQ(d.hidden(),
            (std::vector<std::string>{"Bin#10: -1.000 <= Cu < 1000000.000", "Unbinned Blocks and Composites"}));
  d.hide(0);
  d.hide(99);  // nothing selected
  d.show(1);   // the unbinned entry
  EXPECT_EQ(d.visible().back(), "Unbinned Blocks and Composites");
  const BinSwitches after = CBinVisDialog::switchesFromVisible(d.visible());
  BinSwitches expected;
  expected.fill(1);
  expected[0] = 0;
  expected[9] = 0;
  EXPECT_EQ(after, expected) << "bin 1 and bin 10 hidden, the unbinned entry sets the last switch";
  d.hideAll();
  EXPECT_EQ(CBinVisDialog::switchesFromVisible(d.visible()), BinSwitches{});
  d.showAll();
  EXPECT_EQ(d.visible().size(), 26u);
}
