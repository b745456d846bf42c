#pragma once
// Colour tables: ten tables of 25 bins, each bin a variable name, a half-open
// value range and a colour. The current table decides the bin (and so the
// colour) of composites, polygons and figures.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

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

  // The bin of an item in the current table: bins 24 down to 0, the first
  // whose variable (a loaded variable of that name, failing that a calculated
  // one) holds a value with low <= value < high. `values` holds the loaded
  // values followed by the calculated ones. 25 when no bin matches or no table
  // is current.
  int lookup(std::span<const double> values, std::span<const std::string> loadedNames,
             std::span<const std::string> calculatedNames) const;

  // Per table: its name, then its 25 bins (variableName, secondName, low,
  // high, colour). A load replaces names and bins; currentTable stays.
  void serialize(Archive& ar);

  friend bool operator==(const CColorTable&, const CColorTable&) = default;
};

// The lookup of one table with the variable names resolved once, for
// classifying many items: the same answers as CColorTable::lookup.
class BinClassifier {
 public:
  // `table` is the table index (the current one for the markers); a negative
  // index puts every item in bin 25.
  BinClassifier(const CColorTable& colours, int table, std::span<const std::string> loadedNames,
                std::span<const std::string> calculatedNames);
  int classify(std::span<const double> values) const;

 private:
  struct Rule {
    int bin = 0;
    double low = 0.0;
    double high = 0.0;
    std::vector<int> loaded;      // value indices of the loaded variables of the bin's name
    std::vector<int> calculated;  // the same among the calculated ones (combined numbering)
  };
  std::vector<Rule> rules_;  // bins that can match, highest bin first
};

// The colour option of a composite bin segment: "Markers = R=%.3f G=%.3f B=%.3f"
// with the red, green and blue bytes of `colour` divided by 255.
std::string markerColourOption(std::int32_t colour);

}  // namespace qx
