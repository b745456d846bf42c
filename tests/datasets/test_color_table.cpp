#include <gtest/gtest.h>

#include "datasets/color_table.h"
#include "support/record_suite.h"

using namespace qx;
using namespace qx::testing;

namespace {

struct ColorTableRecord {
  using Type = CColorTable;
  static constexpr const char* kContext = "the colour tables";
  static Bytes defaultBytes() {
    B b;
    for (int t = 1; t <= 10; ++t) {
      b.str("Table#" + std::to_string(t));
      for (int i = 0; i < 25; ++i) b.str("").str("").f64(0.0).f64(0.0).i32(0);
    }
    return b;
  }
  static CColorTable populated() {
    CColorTable t;
    t.tableNames[0] = "Gold";
    t.tableNames[9] = "";
    t.bin(0, 0) = {"Au", "x", 0.5, 1.0, static_cast<std::int32_t>(makeRgb(255, 0, 0))};
    t.bin(0, 24) = {"Au", "", 10.0, 1e30, static_cast<std::int32_t>(makeRgb(0, 0, 250))};
    t.bin(9, 3) = {"calc1", "*", -5.0, -1.0, 0x00FFFFFF};
    return t;
  }
  static std::vector<CountAt> counts() { return {}; }
};

INSTANTIATE_TYPED_TEST_SUITE_P(ColorTable, RecordSuite, ::testing::Types<ColorTableRecord>);

}  // namespace

TEST(ColorTableRecord, BinFieldOrderAndTheIndexIsNotStored) {
  EXPECT_EQ(ColorTableRecord::defaultBytes().size(), 9u * 8 + 9 + 10 * 25 * 22);
  const Bytes bytes = store(ColorTableRecord::populated());
  const Bytes head = B().str("Gold").str("Au").str("x").f64(0.5).f64(1.0).raw({0xFF, 0x00, 0x00, 0x00});
  EXPECT_TRUE(startsWith(bytes, head));
  CColorTable into;
  into.currentTable = 7;
  EXPECT_EQ(load(bytes, into).currentTable, 7);
}
