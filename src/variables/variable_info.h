#pragma once
// The two variable records of a project: a loaded variable takes its values
// from the composite file, a calculated one from a formula over the others.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

// The two kinds of variable; loaded ones come first in the combined numbering.
enum class VariableKind { Loaded, Calculated };

// How averages of a variable are weighted in reports.
enum WeightingType : std::int32_t { kWeightTonnage = 0, kWeightVolume = 1, kWeightSurface = 2 };

// "Tonnage", "Volume" or "Surface"; an unknown code gives "".
std::string_view weightingTypeName(std::int32_t type);

// What the evaluator runs: the element codes, one byte each, ended by a zero
// byte (constants appear as the digits "0" to "9", each the number of a
// constant), the compile status and the constants.
struct CompiledFormula {
  static constexpr int kCodeBytes = 128;
  static constexpr int kConstants = 10;

  std::array<char, kCodeBytes> code{'0', '#'};  // "0#" then zero bytes: the formula 0 ENTER
  std::int32_t status = 0;                      // 0 compiled, -1 failed
  std::array<double, kConstants> constants{};   // all 0

  // The code up to its first zero byte.
  std::string codeString() const;
  friend bool operator==(const CompiledFormula&, const CompiledFormula&) = default;
};

// A loaded variable. Fields are in the order of its project-file record.
class VariableInfo {
 public:
  VariableInfo() = default;
  explicit VariableInfo(std::string variableName) : name(std::move(variableName)) {}
  VariableInfo(const VariableInfo&) = default;
  VariableInfo& operator=(const VariableInfo&) = default;
  VariableInfo(VariableInfo&&) = default;
  VariableInfo& operator=(VariableInfo&&) = default;
  virtual ~VariableInfo() = default;

  std::string name;
  double maxCutoff = 0.0;
  double minCutoff = 0.0;
  double spare1 = 0.0;  // held, copied and stored only
  double spare2 = 0.0;  // held, copied and stored only
  double defaultValue = 0.0;
  double missingValue = 0.0;
  std::int32_t weightingType = kWeightTonnage;
  std::int32_t thicknessMark = 0;
  std::int32_t recoveryMark = 0;
  std::int32_t sgMark = 0;
  std::int32_t compositeWidth = 0;
  std::int32_t compositePosition = 0;  // 1-based start column
  std::int32_t compositeDecimals = 4;
  std::int32_t figureWidth = 0;
  std::int32_t figurePosition = 0;
  std::int32_t figureDecimals = 4;
  std::int32_t polygonWidth = 0;
  std::int32_t polygonPosition = 0;
  std::int32_t polygonDecimals = 4;

  friend bool operator==(const VariableInfo&, const VariableInfo&) = default;
};

// A calculated variable: a loaded variable's fields plus its formula.
class VariableInfoCalc : public VariableInfo {
 public:
  static constexpr std::string_view kDefaultCode = "0#";
  static constexpr std::string_view kDefaultText = "0  ENTER  ";

  VariableInfoCalc() = default;
  explicit VariableInfoCalc(std::string variableName) : VariableInfo(std::move(variableName)) {}

  std::string formulaCode{kDefaultCode};  // one character per element
  std::string formulaText{kDefaultText};  // the display tokens, each followed by two blanks
  CompiledFormula compiled;

  friend bool operator==(const VariableInfoCalc&, const VariableInfoCalc&) = default;
};

}  // namespace qx
