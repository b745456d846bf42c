#include "scene/view_grid_data.h"

namespace qx {

void CViewGridData::serialize(Archive& ar) {
  ar.setContext("the reference grid");
  ar.io(origin.x);
  ar.io(origin.y);
  ar.io(origin.z);
  ar.io(spacing.x);
  ar.io(spacing.y);
  ar.io(spacing.z);
  ar.io(flags);
}

}  // namespace qx
