#pragma once
// The evaluator of compiled formulas: a ten-level stack machine. It runs once
// per calculated variable per item (a million composites), so it allocates
// nothing and reads the compiled block in place.
#include <span>
#include <vector>

#include "variables/variable_info.h"

namespace qx {

// The three special quantities of the item being evaluated. Composites pass
// 1.0 for all three; figures, polygons and reports pass their own.
struct SpecialQuantities {
  double surface = 1.0;
  double tonnage = 1.0;
  double volume = 1.0;
};

struct FormulaResult {
  double value = 0.0;
  // A division by zero, a result that is not finite (value 0.0) or a
  // reference beyond the values.
  bool error = false;
};

// Runs a compiled block over an item's values (combined numbering).
//
// The stack holds 10 levels, X on top, all 0 at the start, with stack lift
// off. An operand ("S", "T", "V", a variable, a constant digit) pushes first
// when lift is on, then replaces X; a push moves every level down and loses
// the bottom one. A two-operand element computes X from Y and X, then drops:
// every level below X moves up and the bottom level keeps its value; lift
// turns on. "#" pushes and turns lift off; "$" negates X and "%" swaps X and
// Y, leaving lift alone. A zero byte, a blank or an unknown byte ends the run;
// the result is X.
//
// A negative variable value counts as absent: the result is -1.0 at once,
// without the error flag. A division by zero gives 0.0 with the error flag. A
// variable beyond `values` (a code written for another list) gives 0.0 with
// the error flag. Comparisons give exactly 1.0 or 0.0.
FormulaResult evaluateFormula(std::span<const double> values, double surface, double tonnage, double volume,
                              const CompiledFormula& formula);

inline FormulaResult evaluateFormula(std::span<const double> values, const SpecialQuantities& q,
                                     const CompiledFormula& formula) {
  return evaluateFormula(values, q.surface, q.tonnage, q.volume, formula);
}

// One calculated variable of an item: its compiled block over the item's
// values. The block runs as stored, whatever its status.
inline FormulaResult evaluateCalculatedVariable(const VariableInfoCalc& variable, std::span<const double> values,
                                                const SpecialQuantities& q) {
  return evaluateFormula(values, q, variable.compiled);
}

// Every calculated variable of an item, in order: the result of calculated
// variable i is written to values[loadedCount + i] before the next one runs,
// so each formula sees the results of those before it (a division by zero
// stores its 0.0). `values` holds loadedCount + calculated.size() entries.
// Returns how many formulas set the error flag.
int evaluateCalculatedVariables(std::span<const VariableInfoCalc> calculated, std::span<double> values, int loadedCount,
                                const SpecialQuantities& q);

}  // namespace qx
