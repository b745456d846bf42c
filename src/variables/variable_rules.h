#pragma once
// The rules for naming and deleting variables, and the renumbering of the
// formulas that follows a deletion. Pure functions: the dialog models call
// them and show their refusals through the port.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "variables/variable_info.h"

namespace qx {

// The refusals, exactly as the user reads them.
namespace varmsg {
inline constexpr std::string_view kNameEmpty = "The name can not be empty.  Please enter a valid name.";
inline constexpr std::string_view kNameInUse = "The name entered is already in use.  Please use a unique name.";
inline constexpr std::string_view kNameTooLong = "Enter no more than 32 characters.";
inline constexpr std::string_view kDependentFormula =
    "That variable has formula(s) dependent upon it.\r\nPlease edit the dependent variables before deleting";
inline constexpr std::string_view kDependentSG =
    "That variable has Specific Gravity dependent upon it.\r\nPlease change the Specific Gravity dependency before "
    "deleting";
inline constexpr std::string_view kDependentThickness =
    "That variable has Thickness dependent upon it.\r\nPlease change the Thickness dependency before deleting";
inline constexpr std::string_view kDependentRecovery =
    "That variable has Recovery dependent upon it.\r\nPlease change the Recovery dependency before deleting";
inline constexpr std::string_view kNoLoadedField = "You must enter at least one field";
}  // namespace varmsg

// Longest name the name fields accept.
inline constexpr int kMaxVariableNameLength = 32;

// The character code by which a formula refers to variable `number` (combined
// numbering): "a" for variable 0, and so on. Above 127 no formula can hold it.
constexpr int variableLetter(int number) { return 'a' + number; }

// Leading and trailing blanks (spaces, tabs, line ends) removed.
std::string trimName(std::string_view name);

// Every variable name in combined numbering: the loaded ones, then the calculated ones.
std::vector<std::string> combinedNames(const std::vector<VariableInfo>& loaded,
                                       const std::vector<VariableInfoCalc>& calculated);

// The name rules for an entry whose name was `originalName` before editing
// ("" for a new entry). `name` is taken as entered: longer than the name field
// holds (32 characters) it is refused as that field refuses it; then it is
// trimmed here. A refusal
// returns its message, an acceptance nullopt. `allNames` holds every variable's
// name, the edited one's included. Comparison is exact, case included.
std::optional<std::string_view> validateVariableName(std::string_view name, std::string_view originalName,
                                                     const std::vector<std::string>& allNames);

// The combined numbers of the three designated variables, -1 for none.
struct DesignatedVariables {
  int sg = -1;
  int thickness = -1;
  int recovery = -1;
  friend bool operator==(const DesignatedVariables&, const DesignatedVariables&) = default;
};

// True when the formula code refers to variable `number`.
bool formulaUsesVariable(std::string_view code, int number);

// The deletion rules, tested in this order: a formula refers to the variable,
// it is the designated specific-gravity, thickness or recovery variable. The
// first refusal's message, or nullopt when the variable may go.
std::optional<std::string_view> checkVariableDeletion(int number, const std::vector<VariableInfoCalc>& calculated,
                                                      const DesignatedVariables& designated);

// After variable `deletedNumber` left the lists: in every calculated variable,
// every formula-code character and every compiled code byte at or above the
// deleted letter goes down by one.
//
// Every element code other than a variable reference (operators, ENTER, the
// digits, "." and "-" of constants, the constant numbers of the compiled code,
// "S", "T", "V" and the zero bytes) lies below "a", so the bytes at or above
// the deleted letter are exactly the references to later variables; no parsing
// is needed. "~", which the compiler takes for variable 29, moves like any
// other letter. Bytes are compared as unsigned values, so a deleted number
// beyond the letters a formula can hold (above 30) changes nothing. The caller
// has checked the deletion first: a reference to the deleted variable itself
// would be shifted onto its predecessor.
void renumberAfterDeletion(std::vector<VariableInfoCalc>& calculated, int deletedNumber);

// After a variable was inserted at `insertedNumber` (a loaded variable added
// in front of the calculated ones): every reference at or above its letter
// goes up by one, so formulas keep pointing at the same variables. A reference
// to variable 30 (character 127) becomes a byte no formula can express.
void renumberAfterInsertion(std::vector<VariableInfoCalc>& calculated, int insertedNumber);

// The designated numbers after variable `deletedNumber` left the lists: later
// ones move down by one, the deleted one itself becomes -1.
DesignatedVariables designatedAfterDeletion(DesignatedVariables designated, int deletedNumber);

// Rebuilds a formula text from its code with the current variable names
// (combined numbering). formulaTextFromCode (formula_compiler.h) is the one
// the variable dialogs use unless told otherwise; an empty builder leaves the
// texts as they are.
using FormulaTextBuilder = std::function<std::string(std::string_view code, const std::vector<std::string>& names)>;

// Applies `builder` to every calculated variable; nothing when it is empty.
void rebuildFormulaTexts(std::vector<VariableInfoCalc>& calculated, const std::vector<std::string>& names,
                         const FormulaTextBuilder& builder);

// Numbers for lists and messages, independent of the process locale.
// formatFixed(v, 4) writes as "%.4lf" does in the C locale; formatGeneral as "%g".
std::string formatFixed(double value, int decimals);
std::string formatGeneral(double value);

}  // namespace qx
