#pragma once
// The formula language of calculated variables: the element codes, the
// compiler that turns a formula code into the block the evaluator runs, and
// the display tokens rebuilt from a code.
//
// A formula is written in reverse Polish notation, one character per element
// in its code: "a" + k for variable k, "S", "T", "V" for surface, tonnage and
// volume, the digits, "." and "-" of a constant, and the operators
// "#" (ENTER) "+" "_" (subtract) "*" "/" "^" "<" "[" (<=) ">" "]" (>=) "="
// "!" (<>) "$" (CHS) "%" (swap).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "variables/variable_info.h"

namespace qx {

// The elements that may precede an operand and may end a formula.
inline constexpr std::string_view kFormulaOperators = "#+_*/^<>=%[]!$";

// The longest constant text the compiler reads into one number.
inline constexpr int kMaxConstantChars = 20;
// The elements a compiled code holds (its last byte is the ending zero).
inline constexpr int kMaxFormulaElements = CompiledFormula::kCodeBytes - 1;
// The variables a formula can reach: letters "a" (variable 0) to character 127.
inline constexpr int kMaxFormulaVariables = 127 - 'a' + 1;

// Why a compile failed.
enum class FormulaError {
  None,
  Syntax,              // an operand not preceded by an operator, or a formula ending on an operand
  TooManyElements,     // more than 127 elements
  TooManyConstants,    // more than 10 constants
  ConstantTooLong,     // a constant of more than 20 characters
  VariableOutOfRange,  // a byte above character 127: a variable beyond the 31st
};

struct FormulaCompileResult {
  CompiledFormula block;   // status 0 or -1
  int errorPosition = -1;  // position in the code, counted from 0; -1 when compiled
  FormulaError error = FormulaError::None;
  bool ok() const { return error == FormulaError::None; }
};

// Compiles a formula code. Blanks are skipped. The first fault stops the
// compile: status -1 and its position; an operand not preceded by an operator
// fails at the operand, a formula ending on an operand fails at the code's
// length. An empty code compiles to an empty block (value 0).
FormulaCompileResult compileFormula(std::string_view code);

// The position of the first "S", "T" or "V" whose preceding element is not an
// operator (the compiler lets them through; the formula dialog refuses them,
// since "a S +" would evaluate as "S +"), or -1.
int misplacedSpecialField(std::string_view code);

// True for the characters of a constant in a formula code: digits, "." and "-".
constexpr bool isConstantChar(char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-'; }

// The variable number of a code character, or -1 when it is not a variable letter.
constexpr int formulaVariableNumber(char c) {
  const int byte = static_cast<unsigned char>(c);
  return byte >= 'a' ? byte - 'a' : -1;
}

// One display token and where its element starts in the code.
struct FormulaToken {
  std::string text;
  int position = 0;
};

// The display tokens of a code with the current variable names (combined
// numbering): a run of digits, "." and "-" is one token; "[" "<=", "_" "-",
// "#" "ENTER", "]" ">=", "!" "<>", "$" "CHS", "S" "Surface", "T" "Tonnage",
// "V" "Volume"; a letter from "a" on the name of its variable (the character
// itself when there is no such variable); any other character itself.
std::vector<FormulaToken> formulaTokens(std::string_view code, const std::vector<std::string>& names);

// The tokens joined, each followed by two blanks, as the formula box shows them.
std::string joinFormulaTokens(const std::vector<std::string>& tokens);

// The formula text of a code with the current names: the rebuilt tokens
// joined. This is the FormulaTextBuilder the variable dialogs use after a
// rename or a deletion.
std::string formulaTextFromCode(std::string_view code, const std::vector<std::string>& names);

// The code of a formula written as its display tokens separated by blanks
// ("Au  ENTER  Ag  ENTER  60  /  +"), the reverse of formulaTextFromCode:
// operators and words as the formula box shows them, numbers (a leading "-"
// allowed), variable names (combined numbering; names holding blanks cannot
// be written this way). Nullopt for a token that is none of these, or for a
// number right after a number (the code would read them as one); `bad` then
// receives why.
std::optional<std::string> formulaCodeFromText(std::string_view text, const std::vector<std::string>& names,
                                               std::string* bad = nullptr);

}  // namespace qx
