#include "variables/variable_info.h"

#include <algorithm>

namespace qx {

std::string_view weightingTypeName(std::int32_t type) {
  switch (type) {
    case kWeightTonnage: return "Tonnage";
    case kWeightVolume: return "Volume";
    case kWeightSurface: return "Surface";
    default: return "";
  }
}

std::string CompiledFormula::codeString() const {
  auto end = std::find(code.begin(), code.end(), '\0');
  return std::string(code.begin(), end);
}

}  // namespace qx
