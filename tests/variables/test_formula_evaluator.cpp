// The evaluator: the ten-level stack with its lift, the loss of the bottom
// level, the special results, and the evaluation of an item's calculated variables.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "variables/formula_compiler.h"
#include "variables/formula_evaluator.h"

// Counts every allocation of the test program, so a test can prove that the
// evaluator allocates nothing.
namespace {
std::atomic<long> gAllocations{0};
}
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpragmas"
#pragma GCC diagnostic ignored "-Wunknown-warning-option"
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace qx {
namespace {

CompiledFormula compiled(std::string_view code) {
  const auto r = compileFormula(code);
  EXPECT_TRUE(r.ok()) << code << " fails at " << r.errorPosition;
  return r.block;
}

FormulaResult run(std::string_view code, std::vector<double> values = {}, SpecialQuantities q = {}) {
  return evaluateFormula(values, q, compiled(code));
}

// The value and the error flag.
std::pair<double, bool> outcome(std::string_view code, std::vector<double> values, SpecialQuantities q = {}) {
  const FormulaResult r = run(code, std::move(values), q);
  return {r.value, r.error};
}

// A block written directly, for codes the compiler would not produce.
CompiledFormula rawBlock(std::string_view code) {
  CompiledFormula f;
  f.code.fill('\0');
  for (std::size_t i = 0; i < code.size(); ++i) f.code[i] = code[i];
  return f;
}

TEST(FormulaEvaluator, DefaultAndWorkedExamples) {
  const auto r = evaluateFormula(std::vector<double>{}, SpecialQuantities{}, CompiledFormula{});
  EXPECT_EQ(std::pair(r.value, r.error), std::pair(0.0, false));
  struct Case {
    const char* code;
    std::vector<double> values;
    double value;
  };
  const Case cases[] = {
      {"a#b+", {2, 3}, 5.0}, {"a#b_", {2, 3}, -1.0}, {"2#3^", {}, 8.0},
      {"5$", {}, -5.0},      {"3#4%_", {}, 1.0},  // swap, then 4 - 3
      {"3#4_", {}, -1.0},                         // without the swap, 3 - 4
      {"a#b/", {7, 2}, 3.5}, {"", {}, 0.0},
  };
  for (const Case& c : cases) EXPECT_EQ(run(c.code, c.values).value, c.value) << c.code;
}

TEST(FormulaEvaluator, SpecialResults) {
  // Division by zero: 0.0 and the error flag, even with operators behind it.
  const std::pair zero(0.0, true);
  EXPECT_EQ(outcome("a#b/9+", {5, 0}), zero);
  // Only a zero divisor: a zero dividend is fine.
  EXPECT_EQ(outcome("a#b/", {0, 4}), std::pair(0.0, false));
  // A negative operand anywhere: -1.0, without the error flag.
  EXPECT_EQ(outcome("a#b+", {-1, 3}), std::pair(-1.0, false));
  EXPECT_EQ(outcome("a#b+", {2, -0.001}), std::pair(-1.0, false));
  // Before a division by zero, the negative value wins; after it, the division.
  EXPECT_EQ(run("a#b/c+", {1, -1, 0}).value, -1.0);
  EXPECT_EQ(outcome("a#b/c+", {1, 0, -1}), zero);
  // Negative zero is not negative; negative results and quantities are not operands' values.
  EXPECT_EQ(run("a#b+", {-0.0, 2}).value, 2.0);
  EXPECT_EQ(run("a#b_c*", {1, 3, 2}).value, -4.0);
  EXPECT_EQ(run("S#a+", {1}, {-5, 1, 1}).value, -4.0);
  // A variable beyond the values: 0.0 with the error flag.
  EXPECT_EQ(outcome("a#c+", {1, 2}), zero);
}

TEST(FormulaEvaluator, ComparisonsGiveExactlyOneOrZero) {
  struct Case {
    const char* op;
    double less, equal, greater;  // for Y < X, Y = X, Y > X
  };
  const Case cases[] = {{"<", 1, 0, 0}, {"[", 1, 1, 0}, {">", 0, 0, 1}, {"]", 0, 1, 1}, {"=", 0, 1, 0}, {"!", 1, 0, 1}};
  for (const auto& c : cases) {
    const std::string code = std::string("a#b") + c.op;
    EXPECT_EQ(run(code, {0.25, 7.5}).value, c.less) << c.op;
    EXPECT_EQ(run(code, {7.5, 7.5}).value, c.equal) << c.op;
    EXPECT_EQ(run(code, {7.5, 0.25}).value, c.greater) << c.op;
  }
  // A comparison result is a number like any other.
  EXPECT_EQ(run("a#b<c*", {1, 2, 40}).value, 40.0);
}

TEST(FormulaEvaluator, StackLiftAndTheTenLevels) {
  // After an operator lift is on: the 4 pushes (2 + 3) up, then 5 * 4.
  EXPECT_EQ(run("2#3+4*").value, 20.0);
  // After ENTER lift is off: the second operand replaces the copy.
  EXPECT_EQ(run("a#b*", {6, 7}).value, 42.0);
  // CHS and swap leave lift as it was: after "+" it is on, so 10 pushes.
  EXPECT_EQ(run("a#b+$c_", {1, 2, 10}).value, -13.0);
  // Surface, tonnage and volume each take their own quantity.
  EXPECT_EQ(run("S#T_V/", {}, {2, 3, 4}).value, -0.25);

  // Eleven operands with ENTER between them: the first value falls off the
  // bottom. Values 2^0 .. 2^10 show which ones are summed.
  std::vector<double> values;
  std::string code;
  for (int i = 0; i <= 10; ++i) {
    values.push_back(std::ldexp(1.0, i));
    if (i > 0) code += "#";
    code += static_cast<char>('a' + i);
  }
  std::string sum = code;
  for (int i = 0; i < 9; ++i) sum += "+";
  EXPECT_EQ(run(sum, values).value, 2046.0);  // 2^1 + ... + 2^10, without 2^0
  // Each drop keeps the bottom level: a tenth "+" adds 2^1 again.
  EXPECT_EQ(run(sum + "+", values).value, 2048.0);
  // Ten operands fit exactly.
  EXPECT_EQ(run(code.substr(0, 19) + "+++++++++", values).value, 1023.0);
}

TEST(FormulaEvaluator, StopsAtABlankOrAnUnknownByte) {
  const std::vector<double> values = {3, 4};
  EXPECT_EQ(evaluateFormula(values, {}, rawBlock("a# b+")).value, 3.0);
  EXPECT_EQ(evaluateFormula(values, {}, rawBlock("a#b+(a*")).value, 7.0);
  EXPECT_EQ(evaluateFormula(values, {}, rawBlock("a#b+Xa*")).value, 7.0);
  // The compile status is not consulted: a block runs as stored.
  auto f = rawBlock("a#b*");
  f.status = -1;
  EXPECT_EQ(evaluateFormula(values, {}, f).value, 12.0);
}

TEST(FormulaEvaluator, EvaluatesAnItemsCalculatedVariablesInOrder) {
  // Au (a), Ag (b); X (c) = Au + Ag; Y (d) = X * 2; Z (e) = Au / 0; W (f) = Z + Y * Tonnage.
  std::vector<VariableInfoCalc> calculated(4);
  const char* codes[] = {"a#b+", "c#2*", "a#0/", "e#d+T*"};
  for (int i = 0; i < 4; ++i) {
    calculated[i].formulaCode = codes[i];
    calculated[i].compiled = compiled(codes[i]);
  }
  std::vector<double> values = {2, 3, -7, -7, -7, -7};
  EXPECT_EQ(evaluateCalculatedVariables(calculated, values, 2, {1, 10, 1}), 1);
  EXPECT_EQ(values, (std::vector<double>{2, 3, 5, 10, 0, 100}));
  EXPECT_EQ(evaluateCalculatedVariable(calculated[1], values, {}).value, 10.0);
}

TEST(FormulaEvaluator, AllocatesNothing) {
  const auto block = compiled("a#b+c*2/S+T^V_3[");
  const std::vector<double> values = {1, 2, 3};
  const long before = gAllocations.load();
  double total = 0.0;
  for (int i = 0; i < 1000; ++i) total += evaluateFormula(values, {1, 1, 1}, block).value;
  EXPECT_EQ(gAllocations.load(), before);
  EXPECT_EQ(total, 0.0);  // ((1+2)*3/2 + 1)^1 - 1 = 4.5 <= 3 is false
}

}  // namespace
}  // namespace qx
