#pragma once
// The magnitudes a project accepts. Coordinates beyond a hundred thousand
// kilometres, or values beyond 1e15, are errors in the data, not deposits:
// they are refused where they are read, so that none reaches the cells
// (which are clipped in single precision about each composite) or a total.
#include <cmath>
#include <string>

#include "common/types.h"

namespace qx {

inline constexpr double kMaxCoordinate = 1e8;
inline constexpr double kMaxValue = 1e15;

inline bool coordinateInRange(double v) { return std::fabs(v) <= kMaxCoordinate; }  // false for NaN
inline bool pointInRange(const DPoint3D& p) {
  return coordinateInRange(p.x) && coordinateInRange(p.y) && coordinateInRange(p.z);
}
inline bool valueInRange(double v) { return std::fabs(v) <= kMaxValue; }  // false for NaN

// The first line of a file that holds a number the project cannot take.
struct NumberFault {
  long line = 0;  // 1-based; 0 when every number was usable
  std::string what;
  explicit operator bool() const { return line > 0; }
  void note(long atLine, std::string description) {
    if (line > 0) return;
    line = atLine;
    what = std::move(description);
  }
};

}  // namespace qx
