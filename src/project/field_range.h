#pragma once
// The range check of the editing pages' number fields, with the one range
// message all pages share: "Please enter a value between 0 and 1e+11."
// (limits written as "%g" writes them in the C locale).
#include <string>

namespace qx {

class UiPort;

std::string rangeMessage(double lower, double upper);

// True when lower <= value <= upper; otherwise the range message is shown
// and false returned (a NaN is out of every range).
bool checkRange(UiPort& port, double value, double lower, double upper);

}  // namespace qx
