#include "variables/formula_dialog.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "port/ui_port.h"
#include "variables/variable_rules.h"

namespace qx {

namespace {

// `pattern` with its one "%d" or "%s" replaced by `value`.
std::string substitute(std::string_view pattern, std::string_view value) {
  std::string text(pattern);
  const auto at = text.find('%');
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

// "1.5e-05" written out: the digits of the mantissa moved by the exponent.
std::string withoutExponent(std::string_view general) {
  const auto e = general.find('e');
  if (e == std::string_view::npos) return std::string(general);
  int exponent = 0;
  std::string_view exponentText = general.substr(e + 1);
  if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
  std::string digits;
  for (char c : general.substr(0, e))
    if (c != '.') digits += c;
  const auto dot = general.substr(0, e).find('.');
  int pointAfter = static_cast<int>(dot == std::string_view::npos ? e : dot) + exponent;  // digits before the point
  std::string text;
  if (pointAfter <= 0) {
    text = "0." + std::string(static_cast<std::size_t>(-pointAfter), '0') + digits;
  } else if (pointAfter >= static_cast<int>(digits.size())) {
    text = digits + std::string(pointAfter - digits.size(), '0');
  } else {
    text = digits.substr(0, pointAfter) + "." + digits.substr(pointAfter);
  }
  return text;
}

}  // namespace

std::string formulaErrorText(int position) { return substitute(formulamsg::kErrorAtElement, std::to_string(position)); }

std::optional<std::string> formulaConstantText(double magnitude) {
  if (!std::isfinite(magnitude)) return std::nullopt;
  std::string text = withoutExponent(formatGeneral(std::fabs(magnitude)));
  if (text.size() > static_cast<std::size_t>(kMaxConstantChars)) return std::nullopt;
  return text;
}

CFormulaDialog::CFormulaDialog(std::vector<std::string> names, const FormulaEntry& current, FormulaScope scope)
    : names_(std::move(names)), scope_(std::move(scope)), code_(current.formulaCode), accepted_(current) {
  for (auto& t : formulaTokens(code_, names_)) tokens_.push_back(std::move(t.text));
}

void CFormulaDialog::append(std::string token, std::string_view code) {
  tokens_.push_back(std::move(token));
  code_ += code;
}

bool CFormulaDialog::pressOperator(std::string_view label) {
  for (const auto& b : kFormulaOperatorButtons) {
    if (b.label == label) {
      append(std::string(b.token), std::string_view(&b.code, 1));
      return true;
    }
  }
  return false;
}

std::optional<std::string> CFormulaDialog::referenceRefusal(int number) const {
  if (number >= kMaxFormulaVariables) return std::string(formulamsg::kVariableBeyondLetters);
  if (number >= static_cast<int>(names_.size())) return std::string(formulamsg::kUnknownVariable);
  if (scope_.ownNumber >= 0 && number >= scope_.ownNumber) return std::string(formulamsg::kLaterVariable);
  if (std::find(scope_.failed.begin(), scope_.failed.end(), number) != scope_.failed.end())
    return substitute(formulamsg::kFailedFormula, names_[number]);
  return std::nullopt;
}

bool CFormulaDialog::selectField(UiPort& port) {
  if (selectedField < 0 || selectedField >= static_cast<int>(names_.size())) return false;
  if (auto refusal = referenceRefusal(selectedField)) {
    port.message(*refusal, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  const char letter = static_cast<char>(variableLetter(selectedField));
  append(names_[selectedField], std::string_view(&letter, 1));
  return true;
}

bool CFormulaDialog::selectConstant(UiPort& port) {
  if (!code_.empty() && isConstantChar(code_.back())) {
    port.message(formulamsg::kConstantAfterConstant, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  const auto text = formulaConstantText(constant);
  if (!text) {
    port.message(formulamsg::kConstantNotWritable, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  append(*text, *text);
  if (constant < 0.0) pressOperator("CHS");
  return true;
}

bool CFormulaDialog::selectSpecial() {
  if (selectedSpecial < 0 || selectedSpecial >= static_cast<int>(kSpecialFields.size())) return false;
  append(std::string(kSpecialFields[selectedSpecial]), std::string_view(&kSpecialFieldCodes[selectedSpecial], 1));
  return true;
}

void CFormulaDialog::deleteLast() {
  if (!tokens_.empty()) tokens_.pop_back();
  if (code_.empty()) return;
  if (!isConstantChar(code_.back())) {
    code_.pop_back();
    return;
  }
  while (!code_.empty() && isConstantChar(code_.back())) code_.pop_back();
}

bool CFormulaDialog::onOk(UiPort& port) {
  auto refuse = [&port](std::string_view text) {
    port.message(text, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  };
  FormulaCompileResult compiled = compileFormula(code_);
  switch (compiled.error) {
    case FormulaError::None: break;
    case FormulaError::TooManyElements: return refuse(formulamsg::kTooManyElements);
    case FormulaError::TooManyConstants: return refuse(formulamsg::kTooManyConstants);
    case FormulaError::VariableOutOfRange: return refuse(formulamsg::kVariableBeyondLetters);
    default: return refuse(formulaErrorText(compiled.errorPosition));
  }
  if (const int p = misplacedSpecialField(code_); p >= 0) return refuse(formulaErrorText(p));
  for (const char c : code_) {
    const int number = formulaVariableNumber(c);
    if (number < 0) continue;
    if (auto refusal = referenceRefusal(number)) return refuse(*refusal);
  }
  accepted_ = FormulaEntry{code_, formulaText(), compiled.block};
  return true;
}

}  // namespace qx
