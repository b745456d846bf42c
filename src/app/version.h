#pragma once
#include <string>

namespace qx {

inline constexpr const char* kVersionString = "1.14";
// The line of the About box.
std::string aboutText();

}  // namespace qx
