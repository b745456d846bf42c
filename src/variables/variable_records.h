#pragma once
// Project-file records of the two variable kinds.
#include "io/archive.h"
#include "variables/variable_info.h"

namespace qx {

// Smallest record sizes, for checking counts against the bytes left.
inline constexpr std::size_t kMinVariableRecordBytes = 1 + 6 * 8 + 13 * 4;
inline constexpr std::size_t kMinCalculatedRecordBytes =
    kMinVariableRecordBytes + 1 + 1 + 4 + CompiledFormula::kCodeBytes + CompiledFormula::kConstants * 8;

// The name; the two cutoffs, the two spare values, the default and the
// missing value; the weighting type, the three marks, then width, position and
// decimals for composite, figure and polygon files.
void serializeVariable(Archive& ar, VariableInfo& v);
// The loaded-variable record; the formula code and text; the compile status;
// the 128 code bytes as held; the 10 constants.
void serializeCalculatedVariable(Archive& ar, VariableInfoCalc& v);

}  // namespace qx
