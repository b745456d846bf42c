#include <gtest/gtest.h>

#include "datasets/color_table.h"
#include "datasets/record_testing.h"

using namespace qx;
using namespace qx::testing;

namespace {

Bytes defaultTableBytes() {
  B b;
  for (int t = 1; t <= 10; ++t) {
    b.str("Table#" + std::to_string(t));
    for (int i = 0; i < 25; ++i) b.str("").str("").f64(0.0).f64(0.0).i32(0);
  }
  return b;
}

CColorTable populatedTable() {
  CColorTable t;
  t.tableNames[0] = "Gold";
  t.tableNames[9] = "";
  t.bin(0, 0) = {"Au", "x", 0.5, 1.0, static_cast<std::int32_t>(makeRgb(255, 0, 0))};
  t.bin(0, 24) = {"Au", "", 10.0, 1e30, static_cast<std::int32_t>(makeRgb(0, 0, 250))};
  t.bin(9, 3) = {"calc1", "*", -5.0, -1.0, 0x00FFFFFF};
  return t;
}

}  // namespace

TEST(ColorTableRecord, DefaultTableIsGolden) {
  const Bytes bytes = store(CColorTable());
  EXPECT_EQ(bytes, defaultTableBytes());
  EXPECT_EQ(bytes.size(), 9u * 8 + 9 + 10 * 25 * 22);
}

TEST(ColorTableRecord, BinFieldOrder) {
  const Bytes bytes = store(populatedTable());
  const Bytes head = B().str("Gold").str("Au").str("x").f64(0.5).f64(1.0).raw({0xFF, 0x00, 0x00, 0x00});
  EXPECT_TRUE(startsWith(bytes, head));
}

TEST(ColorTableRecord, RoundTripKeepsTheCurrentTable) {
  const Bytes bytes = store(populatedTable());
  CColorTable into;
  into.currentTable = 7;
  const CColorTable loaded = load(bytes, into);
  EXPECT_EQ(loaded.currentTable, 7) << "the index is not in the record";
  CColorTable expected = populatedTable();
  expected.currentTable = 7;
  EXPECT_EQ(loaded, expected);
  EXPECT_EQ(store(loaded), bytes);
}

TEST(ColorTableRecord, HostileInputFails) {
  expectEveryPrefixFails<CColorTable>(store(populatedTable()));
  // A string claiming more characters than remain.
  Bytes b = defaultTableBytes();
  b[0] = 0xFE;
  b.resize(100);
  expectLoadFails<CColorTable>(b);
}

TEST(ColorTable, ResetRestoresNamesAndBinsButNotTheIndex) {
  CColorTable t = populatedTable();
  t.currentTable = 4;
  t.reset();
  EXPECT_EQ(t.currentTable, 4);
  EXPECT_EQ(t.tableNames[0], "Table#1");
  EXPECT_EQ(t.tableNames[9], "Table#10");
  EXPECT_EQ(t.bin(0, 0), ColorBin());
  t.currentTable = 0;
  EXPECT_EQ(t, CColorTable());
}
