#include "datasets/color_table.h"

#include <charconv>

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

int CColorTable::lookup(std::span<const double> values, std::span<const std::string> loadedNames,
                        std::span<const std::string> calculatedNames) const {
  return BinClassifier(*this, currentTable, loadedNames, calculatedNames).classify(values);
}

BinClassifier::BinClassifier(const CColorTable& colours, int table, std::span<const std::string> loadedNames,
                             std::span<const std::string> calculatedNames) {
  if (table < 0 || table >= CColorTable::kTableCount) return;
  const int loadedCount = static_cast<int>(loadedNames.size());
  for (int b = CColorTable::kBinsPerTable - 1; b >= 0; --b) {
    const ColorBin& bin = colours.bin(table, b);
    // An empty name never matches, and an empty range holds no value.
    if (bin.variableName.empty() || !(bin.low < bin.high)) continue;
    Rule rule;
    rule.bin = b;
    rule.low = bin.low;
    rule.high = bin.high;
    for (int k = 0; k < loadedCount; ++k)
      if (loadedNames[static_cast<std::size_t>(k)] == bin.variableName) rule.loaded.push_back(k);
    for (int k = 0; k < static_cast<int>(calculatedNames.size()); ++k)
      if (calculatedNames[static_cast<std::size_t>(k)] == bin.variableName) rule.calculated.push_back(loadedCount + k);
    if (!rule.loaded.empty() || !rule.calculated.empty()) rules_.push_back(std::move(rule));
  }
}

int BinClassifier::classify(std::span<const double> values) const {
  const auto inRange = [&](const Rule& r, int index) {
    if (index >= static_cast<int>(values.size())) return false;
    const double v = values[static_cast<std::size_t>(index)];
    return r.low <= v && v < r.high;
  };
  for (const Rule& r : rules_) {
    for (int k : r.loaded)
      if (inRange(r, k)) return r.bin;
    for (int k : r.calculated)
      if (inRange(r, k)) return r.bin;
  }
  return CColorTable::kUnbinned;
}

namespace {

// A colour byte over 255 with three decimals, as "%.3f" in the C locale.
std::string channel(unsigned byte) {
  char buffer[16];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, byte / 255.0, std::chars_format::fixed, 3);
  return std::string(buffer, r.ptr);
}

}  // namespace

std::string markerColourOption(std::int32_t colour) {
  const auto c = static_cast<ColorRef>(colour);
  return "Markers = R=" + channel(redOf(c)) + " G=" + channel(greenOf(c)) + " B=" + channel(blueOf(c));
}

}  // namespace qx
