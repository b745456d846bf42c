#pragma once
// "Formula": the dialog in which the user builds a calculated variable's
// formula from buttons. The model keeps the display tokens and the formula
// code in step; OK compiles the code and refuses a formula that would not
// evaluate as it reads.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "port/dialog_model.h"
#include "variables/entry_dialogs.h"
#include "variables/formula_compiler.h"

namespace qx {

// The refusals of the formula dialog, exactly as the user reads them.
namespace formulamsg {
// printf-style, with the element's position in the code, counted from 0.
inline constexpr std::string_view kErrorAtElement = "Error in formula at Element #%d";
inline constexpr std::string_view kTooManyElements = "A formula can hold at most 127 elements.";
inline constexpr std::string_view kTooManyConstants = "A formula can hold at most 10 constants.";
inline constexpr std::string_view kConstantNotWritable =
    "That constant can not be written in a formula: it needs more than 20 characters without an exponent.";
inline constexpr std::string_view kConstantAfterConstant = "Two constants must be separated by Enter or an operator.";
inline constexpr std::string_view kVariableBeyondLetters = "A formula can use only the first 31 variables.";
inline constexpr std::string_view kUnknownVariable = "The formula refers to a variable that does not exist.";
inline constexpr std::string_view kLaterVariable =
    "A formula can use only the variables defined before its own variable.";
// printf-style, with the variable's name.
inline constexpr std::string_view kFailedFormula =
    "The formula of %s did not compile.  Correct it before using that variable.";
}  // namespace formulamsg

// "Error in formula at Element #<position>".
std::string formulaErrorText(int position);

// A button that appends one element: its label, the token it shows and its code.
struct FormulaButton {
  std::string_view label;
  std::string_view token;
  char code;
};

// The operator buttons in the order the dialog shows them. There is no "~"
// button and no swap button (swap "%" is understood when it is in a code).
inline constexpr std::array<FormulaButton, 13> kFormulaOperatorButtons = {{{"+", "+", '+'},
                                                                           {"-", "-", '_'},
                                                                           {"*", "*", '*'},
                                                                           {"/", "/", '/'},
                                                                           {"^", "^", '^'},
                                                                           {"<", "<", '<'},
                                                                           {"<=", "<=", '['},
                                                                           {">", ">", '>'},
                                                                           {">=", ">=", ']'},
                                                                           {"=", "=", '='},
                                                                           {"<>", "<>", '!'},
                                                                           {"Enter", "ENTER", '#'},
                                                                           {"CHS", "CHS", '$'}}};

// The "Special Fields" list, in this order, with their codes.
inline constexpr std::array<std::string_view, 3> kSpecialFields = {"Surface", "Tonnage", "Volume"};
inline constexpr std::array<char, 3> kSpecialFieldCodes = {'S', 'T', 'V'};

// The text a constant is written with in a formula: "%g" in the C locale; a
// text with an exponent is written out without it ("1e-05" as "0.00001").
// nullopt when that takes more than 20 characters, or for infinities and NaN.
// The sign is not part of it: give the magnitude.
std::optional<std::string> formulaConstantText(double magnitude);

class CFormulaDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "formula";

  // `names`: every variable's name, combined numbering. The tokens are rebuilt
  // from `current`'s code; its text is not read.
  CFormulaDialog(std::vector<std::string> names, const FormulaEntry& current, FormulaScope scope = {});

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Formula"; }

  const std::vector<std::string>& fieldNames() const { return names_; }
  const std::vector<std::string>& tokens() const { return tokens_; }
  const std::string& code() const { return code_; }
  // The formula text box: every token followed by two blanks.
  std::string formulaText() const { return joinFormulaTokens(tokens_); }

  // An operator button, by its label ("+", "Enter", "CHS", ...). False for an unknown label.
  bool pressOperator(std::string_view label);

  // "Field": the selected variable (combined numbering), -1 for none.
  int selectedField = -1;
  // "Select" beside "Field": appends the selected variable; nothing without a
  // selection. A variable the formula may not use is refused with a message.
  bool selectField(UiPort& port);

  // "Constant": the typed number.
  double constant = 0.0;
  // "Select" beside "Constant": appends the constant's text. A negative number
  // is appended as its magnitude followed by "CHS", since a code can not hold
  // a sign in front of a constant. Refused, with a message, right after
  // another constant (the two would read as one number) and when the text
  // would not fit.
  bool selectConstant(UiPort& port);

  // "Special Fields": 0 Surface, 1 Tonnage, 2 Volume; -1 for none.
  int selectedSpecial = -1;
  // "Select" beside "Special Fields"; nothing without a selection.
  bool selectSpecial();

  // "DELETE": removes the last token, then the last element of the code: one
  // character, or the whole run of digits, "." and "-" at its end.
  void deleteLast();

  // OK: compiles the code. A failure is shown ("Error in formula at Element
  // #%d", or the limit that was passed) and keeps the dialog open; so are
  // "S", "T", "V" not preceded by an operator, and references to variables
  // the formula may not use (see FormulaScope).
  bool onOk(UiPort& port) override;

  // What the caller takes over after OK: the code, the formula text and the compiled block.
  const FormulaEntry& accepted() const { return accepted_; }

 private:
  // The refusal of a reference to variable `number`, or nullopt.
  std::optional<std::string> referenceRefusal(int number) const;
  void append(std::string token, std::string_view code);

  std::vector<std::string> names_;
  FormulaScope scope_;
  std::vector<std::string> tokens_;
  std::string code_;
  FormulaEntry accepted_;
};

}  // namespace qx
