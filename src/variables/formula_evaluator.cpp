#include "variables/formula_evaluator.h"

#include <cmath>

namespace qx {

namespace {

constexpr int kLevels = 10;

// Every level moves down one; the bottom level is lost and X stays.
inline void push(double (&s)[kLevels]) {
  for (int i = kLevels - 1; i > 0; --i) s[i] = s[i - 1];
}

// Y takes the level under it, each level moves up one, the bottom level keeps its value.
inline void drop(double (&s)[kLevels]) {
  for (int i = 1; i < kLevels - 1; ++i) s[i] = s[i + 1];
}

}  // namespace

FormulaResult evaluateFormula(std::span<const double> values, double surface, double tonnage, double volume,
                              const CompiledFormula& formula) {
  double s[kLevels] = {};
  bool lift = false;

  for (const char c : formula.code) {
    const int byte = static_cast<unsigned char>(c);
    if (byte == 0 || byte == ' ') break;

    double operand = 0.0;
    bool isOperand = true;
    if (byte >= 'a') {
      const std::size_t number = static_cast<std::size_t>(byte - 'a');
      if (number >= values.size()) return {0.0, true};
      operand = values[number];
      if (operand < 0.0) return {-1.0, false};
    } else if (byte >= '0' && byte <= '9') {
      operand = formula.constants[byte - '0'];
    } else if (byte == 'S') {
      operand = surface;
    } else if (byte == 'T') {
      operand = tonnage;
    } else if (byte == 'V') {
      operand = volume;
    } else {
      isOperand = false;
    }
    if (isOperand) {
      if (lift) push(s);
      s[0] = operand;
      continue;
    }

    const double x = s[0];
    const double y = s[1];
    double result;
    switch (byte) {
      case '+': result = y + x; break;
      case '_': result = y - x; break;
      case '*': result = y * x; break;
      case '/':
        if (x == 0.0) return {0.0, true};
        result = y / x;
        break;
      case '^': result = std::pow(y, x); break;
      case '<': result = y < x ? 1.0 : 0.0; break;
      case '[': result = y <= x ? 1.0 : 0.0; break;
      case '>': result = y > x ? 1.0 : 0.0; break;
      case ']': result = y >= x ? 1.0 : 0.0; break;
      case '=': result = y == x ? 1.0 : 0.0; break;
      case '!': result = y != x ? 1.0 : 0.0; break;
      case '%':
        s[0] = y;
        s[1] = x;
        continue;
      case '$': s[0] = -x; continue;
      case '#':
        push(s);
        lift = false;
        continue;
      default: return {s[0], false};
    }
    s[0] = result;
    drop(s);
    lift = true;
  }
  // An overflow (10 ^ 400) or a power without a real value: like a division
  // by zero, 0 with the error flag, so that no infinity or NaN reaches a total.
  if (!std::isfinite(s[0])) return {0.0, true};
  return {s[0], false};
}

int evaluateCalculatedVariables(std::span<const VariableInfoCalc> calculated, std::span<double> values, int loadedCount,
                                const SpecialQuantities& q) {
  int errors = 0;
  for (std::size_t i = 0; i < calculated.size(); ++i) {
    const FormulaResult r = evaluateFormula(values, q, calculated[i].compiled);
    values[static_cast<std::size_t>(loadedCount) + i] = r.value;
    if (r.error) ++errors;
  }
  return errors;
}

}  // namespace qx
