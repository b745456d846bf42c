#include "datasets/composites.h"

#include <algorithm>

namespace qx {

CompositeSet::CompositeSet() : fieldNames{"Name", "X Coordinate", "Y Coordinate", "Z Coordinate"} {}

void CompositeSet::setVariableCounts(int loaded, int calculated) {
  loadedVariables_ = std::max(loaded, 0);
  calculatedVariables_ = std::max(calculated, 0);
}

DataExtents CompositeSet::extents() const {
  if (composites.empty())
    return {{kRecomputeExtent, kRecomputeExtent, kRecomputeExtent},
            {-kRecomputeExtent, -kRecomputeExtent, -kRecomputeExtent}};
  return {minCorner, maxCorner};
}

void CompositeSet::recomputeBoundingBox() {
  minCorner = {kRecomputeExtent, kRecomputeExtent, kRecomputeExtent};
  maxCorner = {-kRecomputeExtent, -kRecomputeExtent, -kRecomputeExtent};
  for (const auto& c : composites) {
    minCorner = {std::min(minCorner.x, c.position.x), std::min(minCorner.y, c.position.y),
                 std::min(minCorner.z, c.position.z)};
    maxCorner = {std::max(maxCorner.x, c.position.x), std::max(maxCorner.y, c.position.y),
                 std::max(maxCorner.z, c.position.z)};
  }
}

void CompositeSet::serialize(Archive& ar, int loadedCount, int calculatedCount) {
  ar.setContext("the composites");
  loadedCount = std::max(loadedCount, 0);
  calculatedCount = std::max(calculatedCount, 0);
  std::int32_t n = static_cast<std::int32_t>(composites.size());
  ar.io(n);
  ar.io(singleFlag);
  ar.io(useOutside);
  for (int i = 0; i < kFieldCount; ++i) {
    ar.io(fieldNames[i]);
    ar.io(fieldPositions[i]);
    ar.io(fieldWidths[i]);
    ar.io(fieldDecimals[i]);
  }
  importRotation.serialize(ar);
  exportRotation.serialize(ar);

  if (ar.isStoring()) {
    for (auto& c : composites) {
      ar.io(c.name);
      ar.io(c.reserved);
      ar.io(c.envelopeIndex);
      ar.io(c.position.x);
      ar.io(c.position.y);
      ar.io(c.position.z);
      // Exactly one value per loaded variable, so the reader stays in step
      // even if a composite's list were out of line with the variables.
      for (int k = 0; k < loadedCount; ++k) {
        double v = k < static_cast<int>(c.values.size()) ? c.values[static_cast<std::size_t>(k)] : 0.0;
        ar.io(v);
      }
    }
    return;
  }

  if (n < 0) throw ArchiveError("negative count of composites in the composites");
  // Name length, reserved, envelope index, position, the loaded values.
  const std::size_t recordBytes = 1 + 4 + 4 + 3 * 8 + 8 * static_cast<std::size_t>(loadedCount);
  ar.reader().requireElements(static_cast<std::uint64_t>(n), recordBytes, "composites");
  std::vector<CComposite> loaded(static_cast<std::size_t>(n));
  for (auto& c : loaded) {
    ar.io(c.name);
    ar.io(c.reserved);
    ar.io(c.envelopeIndex);
    ar.io(c.position.x);
    ar.io(c.position.y);
    ar.io(c.position.z);
    c.values.resize(static_cast<std::size_t>(loadedCount));
    for (auto& v : c.values) ar.io(v);
    c.calcValues.assign(static_cast<std::size_t>(calculatedCount), 0.0);
  }
  composites = std::move(loaded);
  setVariableCounts(loadedCount, calculatedCount);
  recomputeBoundingBox();
}

}  // namespace qx
