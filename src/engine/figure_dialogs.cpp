#include "engine/figure_dialogs.h"

#include <cmath>
#include <cstdio>

#include "engine/figures.h"
#include "io/line_reader.h"
#include "port/ui_port.h"
#include "project/field_range.h"

namespace qx {

bool CFigurePropertiesDialog::onOk(UiPort& port) {
  if (existing_ != nullptr && existing_->findByName(name_) >= 0) {
    port.message(kFigureNameInUse, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  return true;
}

std::string formatModifyValue(double value) {
  if (!std::isfinite(value)) return "0.000000";
  // The exact expansion far enough to see the seventh decimal unrounded
  // (printf rounds halves to even, and only in the last digit it prints).
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.60f", std::fabs(value));
  std::string digits(buffer);
  const std::size_t point = digits.find('.');
  const bool up = digits[point + 7] >= '5';
  digits.resize(point + 7);  // six decimals
  if (up) {
    // Add one in the sixth decimal, carrying leftwards.
    std::size_t k = digits.size();
    while (k-- > 0) {
      if (digits[k] == '.') continue;
      if (digits[k] == '9') {
        digits[k] = '0';
        continue;
      }
      ++digits[k];
      break;
    }
    if (k == static_cast<std::size_t>(-1)) digits.insert(0, "1");
  }
  const bool zero = digits.find_first_not_of("0.") == std::string::npos;
  return (value < 0.0 && !zero ? "-" : "") + digits;
}

void CModifyValuesDialog::setCurrentValue(double v) {
  current_ = v;
  currentText_ = formatModifyValue(v);
}

void CModifyValuesDialog::setNewValue(double v) {
  new_ = v;
  newText_ = formatModifyValue(v);
}

bool CModifyValuesDialog::onOk(UiPort& port) {
  const double current = scanNumber(currentText_);
  if (!checkRange(port, current, kMinValue, kMaxValue)) return false;
  const double modified = scanNumber(newText_);
  if (!checkRange(port, modified, kMinValue, kMaxValue)) return false;
  current_ = current;
  new_ = modified;
  return true;
}

}  // namespace qx
