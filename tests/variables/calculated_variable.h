// A calculated variable whose formula code and compiled code are both `code`.
#pragma once

#include <string>

#include "variables/variable_info.h"

namespace qx::test {

inline VariableInfoCalc calc(const std::string& name, const std::string& code, const std::string& text = "") {
  VariableInfoCalc v(name);
  v.formulaCode = code;
  v.formulaText = text;
  v.compiled.code = {};
  for (std::size_t i = 0; i < code.size(); ++i) v.compiled.code[i] = code[i];
  return v;
}

}  // namespace qx::test
