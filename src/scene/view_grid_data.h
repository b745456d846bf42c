#pragma once
// Reference grid data: the origin and spacing of the grid drawn in the view
// and used by the grid-intersection snap.
#include <cstdint>

#include "common/types.h"
#include "io/archive.h"

namespace qx {

class CViewGridData {
 public:
  static constexpr float kDefaultSpacing = 100.0f;

  CViewGridData() = default;
  // A new project puts the defaults back.
  void reset() { *this = CViewGridData(); }

  FPoint3D origin{0.0f, 0.0f, 0.0f};
  FPoint3D spacing{kDefaultSpacing, kDefaultSpacing, kDefaultSpacing};
  // Carried unchanged by the reference-grid page.
  std::int32_t flags = 0;

  // Origin x, y, z and spacing x, y, z as floats, then the int32.
  void serialize(Archive& ar);

  friend bool operator==(const CViewGridData&, const CViewGridData&) = default;
};

}  // namespace qx
