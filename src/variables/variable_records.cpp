#include "variables/variable_records.h"

namespace qx {

void serializeVariable(Archive& ar, VariableInfo& v) {
  ar.io(v.name);
  ar.io(v.maxCutoff);
  ar.io(v.minCutoff);
  ar.io(v.spare1);
  ar.io(v.spare2);
  ar.io(v.defaultValue);
  ar.io(v.missingValue);
  ar.io(v.weightingType);
  ar.io(v.thicknessMark);
  ar.io(v.recoveryMark);
  ar.io(v.sgMark);
  ar.io(v.compositeWidth);
  ar.io(v.compositePosition);
  ar.io(v.compositeDecimals);
  ar.io(v.figureWidth);
  ar.io(v.figurePosition);
  ar.io(v.figureDecimals);
  ar.io(v.polygonWidth);
  ar.io(v.polygonPosition);
  ar.io(v.polygonDecimals);
}

void serializeCalculatedVariable(Archive& ar, VariableInfoCalc& v) {
  serializeVariable(ar, v);
  ar.io(v.formulaCode);
  ar.io(v.formulaText);
  ar.io(v.compiled.status);
  auto* code = reinterpret_cast<std::uint8_t*>(v.compiled.code.data());
  if (ar.isStoring()) {
    ar.writer().writeBytes({code, v.compiled.code.size()});
  } else {
    ar.reader().readBytes({code, v.compiled.code.size()});
  }
  for (double& c : v.compiled.constants) ar.io(c);
}

}  // namespace qx
