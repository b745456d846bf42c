#pragma once
// Colour tables: ten tables of 25 bins, each bin a variable name, a half-open
// value range and a colour. The current table decides the bin (and so the
// colour) of composites, polygons and figures.
#include <array>
#include <cstdint>
#include <string>

#include "common/types.h"
#include "io/archive.h"

namespace qx {

struct ColorBin {
  std::string variableName;  // an empty name never matches
  std::string secondName;    // stored and copied only
  double low = 0.0;          // inclusive
  double high = 0.0;         // exclusive
  std::int32_t colour = 0;   // RGB, red in the low byte

  friend bool operator==(const ColorBin&, const ColorBin&) = default;
};

class CColorTable {
 public:
  static constexpr int kTableCount = 10;
  static constexpr int kBinsPerTable = 25;
  // The bin number of an item that no bin matches.
  static constexpr int kUnbinned = 25;

  CColorTable();
  virtual ~CColorTable() = default;
  CColorTable(const CColorTable&) = default;
  CColorTable& operator=(const CColorTable&) = default;

  // New project: names back to "Table#1".."Table#10", every bin back to its
  // defaults. The current table index is kept.
  void reset();

  std::array<std::string, kTableCount> tableNames;
  // Indexed table * 25 + bin.
  std::array<ColorBin, kTableCount * kBinsPerTable> bins;
  // 0 at program start, -1 would mean no table. Not part of the record and
  // not reset by a new project or a load.
  std::int32_t currentTable = 0;

  ColorBin& bin(int table, int b) { return bins[static_cast<std::size_t>(table * kBinsPerTable + b)]; }
  const ColorBin& bin(int table, int b) const { return bins[static_cast<std::size_t>(table * kBinsPerTable + b)]; }

  // Per table: its name, then its 25 bins (variableName, secondName, low,
  // high, colour). A load replaces names and bins; currentTable stays.
  void serialize(Archive& ar);

  friend bool operator==(const CColorTable&, const CColorTable&) = default;
};

}  // namespace qx
