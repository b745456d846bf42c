#include "variables/variable_rules.h"

#include <algorithm>
#include <charconv>

namespace qx {

std::string trimName(std::string_view name) {
  constexpr std::string_view kBlanks = " \t\r\n\f\v";
  const auto first = name.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = name.find_last_not_of(kBlanks);
  return std::string(name.substr(first, last - first + 1));
}

std::vector<std::string> combinedNames(const std::vector<VariableInfo>& loaded,
                                       const std::vector<VariableInfoCalc>& calculated) {
  std::vector<std::string> names;
  names.reserve(loaded.size() + calculated.size());
  for (const auto& v : loaded) names.push_back(v.name);
  for (const auto& v : calculated) names.push_back(v.name);
  return names;
}

std::optional<std::string_view> validateVariableName(std::string_view name, std::string_view originalName,
                                                     const std::vector<std::string>& allNames) {
  if (name.size() > static_cast<std::size_t>(kMaxVariableNameLength)) return varmsg::kNameTooLong;
  const std::string trimmed = trimName(name);
  if (trimmed.empty()) return varmsg::kNameEmpty;
  if (trimmed == originalName) return std::nullopt;
  if (std::find(allNames.begin(), allNames.end(), trimmed) != allNames.end()) return varmsg::kNameInUse;
  return std::nullopt;
}

bool formulaUsesVariable(std::string_view code, int number) {
  const int letter = variableLetter(number);
  return std::any_of(code.begin(), code.end(), [letter](char c) { return static_cast<unsigned char>(c) == letter; });
}

std::optional<std::string_view> checkVariableDeletion(int number, const std::vector<VariableInfoCalc>& calculated,
                                                      const DesignatedVariables& designated) {
  for (const auto& v : calculated) {
    if (formulaUsesVariable(v.formulaCode, number)) return varmsg::kDependentFormula;
  }
  if (number == designated.sg) return varmsg::kDependentSG;
  if (number == designated.thickness) return varmsg::kDependentThickness;
  if (number == designated.recovery) return varmsg::kDependentRecovery;
  return std::nullopt;
}

namespace {
void shiftDown(char& c, int letter) {
  const int value = static_cast<unsigned char>(c);
  if (value >= letter) c = static_cast<char>(value - 1);
}
}  // namespace

void renumberAfterDeletion(std::vector<VariableInfoCalc>& calculated, int deletedNumber) {
  const int letter = variableLetter(deletedNumber);
  for (auto& v : calculated) {
    for (char& c : v.formulaCode) shiftDown(c, letter);
    for (char& c : v.compiled.code) shiftDown(c, letter);
  }
}

void renumberAfterInsertion(std::vector<VariableInfoCalc>& calculated, int insertedNumber) {
  const int letter = variableLetter(insertedNumber);
  auto shiftUp = [letter](char& c) {
    const int value = static_cast<unsigned char>(c);
    if (value >= letter && value < 255) c = static_cast<char>(value + 1);
  };
  for (auto& v : calculated) {
    for (char& c : v.formulaCode) shiftUp(c);
    for (char& c : v.compiled.code) shiftUp(c);
  }
}

DesignatedVariables designatedAfterDeletion(DesignatedVariables d, int deletedNumber) {
  auto follow = [deletedNumber](int& n) {
    if (n == deletedNumber)
      n = -1;
    else if (n > deletedNumber)
      --n;
  };
  follow(d.sg);
  follow(d.thickness);
  follow(d.recovery);
  return d;
}

void rebuildFormulaTexts(std::vector<VariableInfoCalc>& calculated, const std::vector<std::string>& names,
                         const FormulaTextBuilder& builder) {
  if (!builder) return;
  for (auto& v : calculated) v.formulaText = builder(v.formulaCode, names);
}

std::string formatFixed(double value, int decimals) {
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return std::string(buffer, result.ptr);
}

std::string formatGeneral(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  return std::string(buffer, result.ptr);
}

}  // namespace qx
