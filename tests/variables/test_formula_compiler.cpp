// The formula compiler: compiled blocks, constants, error positions and the
// limits of the block; and the display tokens rebuilt from a code.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

#include "variables/formula_compiler.h"

namespace qx {
namespace {

// The compiled code as text, up to its zero byte.
std::string codeOf(const FormulaCompileResult& r) { return r.block.codeString(); }

TEST(FormulaCompiler, ConstantsBecomeNumberedDigits) {
  auto r = compileFormula("2#3^");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(std::pair(r.block.status, r.errorPosition), std::pair(0, -1));
  EXPECT_EQ(codeOf(r), "0#1^");
  EXPECT_EQ(r.block.constants, (std::array<double, 10>{2.0, 3.0}));

  // Several characters make one constant; a leading "." is a number too.
  r = compileFormula("a#12.25*.5+");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(codeOf(r), "a#0*1+");
  EXPECT_EQ(r.block.constants, (std::array<double, 10>{12.25, 0.5}));

  // The default formula compiles to the default block.
  r = compileFormula(VariableInfoCalc::kDefaultCode);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.block, CompiledFormula{});
}

TEST(FormulaCompiler, OtherElementsPassUnchangedAndBlanksAreSkipped) {
  auto r = compileFormula(" a # b + S * T _ V / c [ d ] e ! f = g < h > i ^ $ % ");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(codeOf(r), "a#b+S*T_V/c[d]e!f=g<h>i^$%");
  // The bytes behind the code are zero, as the project file stores them.
  for (std::size_t i = codeOf(r).size(); i < r.block.code.size(); ++i) EXPECT_EQ(r.block.code[i], '\0') << i;
}

TEST(FormulaCompiler, OperandsMustFollowAnOperator) {
  struct Case {
    const char* code;
    int position;
  };
  const Case cases[] = {
      {"a#b", 3},     // ends on an operand: the position is the code's length
      {"ab+", 1},     // a variable right after a variable
      {"2a+", 1},     // a variable right after a constant
      {"a2+", 1},     // a constant right after a variable
      {"a #  b", 6},  // blanks count in the length
      {"a b +", 2},   // and in the positions
      {"a#-5*", 3},   // a minus sign in front of a constant does not survive
  };
  for (const auto& c : cases) {
    const auto r = compileFormula(c.code);
    EXPECT_EQ(std::tuple(r.block.status, r.error, r.errorPosition), std::tuple(-1, FormulaError::Syntax, c.position))
        << c.code;
  }
  // A "-" that follows no digit starts no constant and leaves no element: "a#-+" is "a#+".
  const auto minus = compileFormula("a#-+");
  ASSERT_TRUE(minus.ok());
  EXPECT_EQ(codeOf(minus), "a#+");
  EXPECT_EQ(minus.block.constants, CompiledFormula{}.constants);
  // An empty code ends on the initial ENTER: valid, and evaluates to 0.
  const auto empty = compileFormula("");
  EXPECT_TRUE(empty.ok());
  EXPECT_EQ(codeOf(empty), "");
  // "S", "T" and "V" pass the compiler wherever they stand (the formula dialog checks them).
  EXPECT_TRUE(compileFormula("aS+").ok());
  EXPECT_EQ(misplacedSpecialField("aS+"), 1);
  EXPECT_EQ(misplacedSpecialField("a# T+"), -1);
  EXPECT_EQ(misplacedSpecialField("S#T V+"), 4);
}

TEST(FormulaCompiler, LimitsOfTheBlock) {
  // Ten constants fit, the eleventh fails where it starts.
  std::string code = "0#";
  for (int i = 1; i < 10; ++i) code += std::to_string(i) + "+";
  auto r = compileFormula(code);
  ASSERT_TRUE(r.ok()) << code;
  EXPECT_EQ(codeOf(r), "0#1+2+3+4+5+6+7+8+9+");
  EXPECT_EQ(r.block.constants[9], 9.0);
  const int eleventh = static_cast<int>(code.size());
  r = compileFormula(code + "10+");
  EXPECT_EQ(std::pair(r.error, r.errorPosition), std::pair(FormulaError::TooManyConstants, eleventh));

  // 127 elements fit; the 128th fails at its position.
  std::string elements = "a";
  while (elements.size() < 127) elements += "$";
  r = compileFormula(elements);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.block.code[126], '$');
  EXPECT_EQ(r.block.code[127], '\0');
  r = compileFormula(elements + "$");
  EXPECT_EQ(std::pair(r.error, r.errorPosition), std::pair(FormulaError::TooManyElements, 127));

  // A constant of 20 characters fits, one more does not.
  const std::string twenty = "0.000000000000000001";
  ASSERT_EQ(twenty.size(), 20u);
  r = compileFormula(twenty + "#");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.block.constants[0], 1e-18);
  r = compileFormula(twenty + "5#");
  EXPECT_EQ(std::pair(r.error, r.errorPosition), std::pair(FormulaError::ConstantTooLong, 20));

  // "~" and character 127 are variables 29 and 30; a byte above 127 is refused.
  r = compileFormula("~#\x7f+");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(codeOf(r), "~#\x7f+");
  r = compileFormula("a#\x80+");
  EXPECT_EQ(std::pair(r.error, r.errorPosition), std::pair(FormulaError::VariableOutOfRange, 2));
}

TEST(FormulaTokens, RebuiltFromTheCode) {
  const std::vector<std::string> names = {"Au", "Ag", "Cu"};
  const auto tokens = formulaTokens("a#12.5*S_T[V]c!b=$%", names);
  std::vector<std::string> texts;
  std::vector<int> positions;
  for (const auto& t : tokens) {
    texts.push_back(t.text);
    positions.push_back(t.position);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"Au", "ENTER", "12.5", "*", "Surface", "-", "Tonnage", "<=", "Volume",
                                             ">=", "Cu", "<>", "Ag", "=", "CHS", "%"}));
  EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}));

  EXPECT_EQ(formulaTextFromCode("a#b+", names), "Au  ENTER  Ag  +  ");
  EXPECT_EQ(formulaTextFromCode(VariableInfoCalc::kDefaultCode, {}), VariableInfoCalc::kDefaultText);
  EXPECT_EQ(formulaTextFromCode("", names), "");
  // A letter without a variable of its number shows itself.
  EXPECT_EQ(formulaTextFromCode("a#d+~*", names), "Au  ENTER  d  +  ~  *  ");
  EXPECT_EQ(joinFormulaTokens({"Au", "CHS"}), "Au  CHS  ");
}

}  // namespace
}  // namespace qx
