#include "project/field_range.h"

#include "port/ui_port.h"
#include "variables/variable_rules.h"

namespace qx {

std::string rangeMessage(double lower, double upper) {
  return "Please enter a value between " + formatGeneral(lower) + " and " + formatGeneral(upper) + ".";
}

bool checkRange(UiPort& port, double value, double lower, double upper) {
  if (value >= lower && value <= upper) return true;
  port.message(rangeMessage(lower, upper), MessageButtons::Ok, MessageIcon::Warning);
  return false;
}

}  // namespace qx
