#include "datasets/color_table.h"

namespace qx {

CColorTable::CColorTable() { reset(); }

void CColorTable::reset() {
  for (int t = 0; t < kTableCount; ++t) tableNames[static_cast<std::size_t>(t)] = "Table#" + std::to_string(t + 1);
  bins.fill(ColorBin());
}

void CColorTable::serialize(Archive& ar) {
  ar.setContext("the colour tables");
  for (int t = 0; t < kTableCount; ++t) {
    ar.io(tableNames[static_cast<std::size_t>(t)]);
    for (int b = 0; b < kBinsPerTable; ++b) {
      ColorBin& x = bin(t, b);
      ar.io(x.variableName);
      ar.io(x.secondName);
      ar.io(x.low);
      ar.io(x.high);
      ar.io(x.colour);
    }
  }
}

}  // namespace qx
