#include "datasets/envelopes.h"

#include <algorithm>

namespace qx {

namespace {
void widen(DPoint3D& lo, DPoint3D& hi, const DPoint3D& p) {
  lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
  hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
}
constexpr std::size_t kPointBytes = 3 * 8;
}  // namespace

void Envelope::recomputeBoundingBox() {
  minCorner = {kItemExtent, kItemExtent, kItemExtent};
  maxCorner = {-kItemExtent, -kItemExtent, -kItemExtent};
  for (const auto& c : contours)
    for (const auto& p : c) widen(minCorner, maxCorner, p);
}

void Envelope::serialize(Archive& ar) {
  ar.io(name);
  ar.io(renderingMethod);
  ar.io(contourCount);
  ar.io(colour);
  ar.io(visible);
  ar.io(clipPolygons);
  ar.io(useComposites);
  ar.io(exportComposites);
  ar.io(reservedFlag);
  ar.io(exportEnvelope);
  ar.io(transparency);
  ar.io(density);
  // Each contour is at least its point count.
  const std::int32_t n = ar.ioInt32Count(static_cast<std::int32_t>(contours.size()), 4, "contours");
  if (ar.isLoading()) contours.assign(static_cast<std::size_t>(n), Contour());
  for (auto& c : contours) {
    const std::int32_t m = ar.ioInt32Count(static_cast<std::int32_t>(c.size()), kPointBytes, "contour points");
    if (ar.isLoading()) c.resize(static_cast<std::size_t>(m));
    for (auto& p : c) {
      ar.io(p.x);
      ar.io(p.y);
      ar.io(p.z);
    }
  }
  if (ar.isLoading()) recomputeBoundingBox();
}

EnvelopeSet::EnvelopeSet()
    : fields{{"Envelope Name", 1, 0, 0},
             {"X Coordinate", 2, 10, 2},
             {"Y Coordinate", 12, 10, 2},
             {"Z Coordinate", 22, 10, 2}} {}

DataExtents EnvelopeSet::extents() const {
  DataExtents e{{kItemExtent, kItemExtent, kItemExtent}, {-kItemExtent, -kItemExtent, -kItemExtent}};
  for (const auto& env : envelopes)
    for (const auto& c : env.contours)
      for (const auto& p : c) widen(e.min, e.max, p);
  return e;
}

void EnvelopeSet::recomputeBoundingBox() {
  minCorner = {kItemExtent, kItemExtent, kItemExtent};
  maxCorner = {-kItemExtent, -kItemExtent, -kItemExtent};
  for (auto& env : envelopes) {
    env.recomputeBoundingBox();
    minCorner = {std::min(minCorner.x, env.minCorner.x), std::min(minCorner.y, env.minCorner.y),
                 std::min(minCorner.z, env.minCorner.z)};
    maxCorner = {std::max(maxCorner.x, env.maxCorner.x), std::max(maxCorner.y, env.maxCorner.y),
                 std::max(maxCorner.z, env.maxCorner.z)};
  }
}

void EnvelopeSet::serialize(Archive& ar) {
  ar.setContext("the envelopes");
  const std::int32_t n =
      ar.ioInt32Count(static_cast<std::int32_t>(envelopes.size()), Envelope::kMinRecordBytes, "envelopes");
  ar.io(currentEnvelope);
  ar.io(currentContour);
  ar.io(reservedSetting);
  ar.io(exportOutside);
  if (ar.isLoading()) envelopes.assign(static_cast<std::size_t>(n), Envelope());
  for (auto& e : envelopes) e.serialize(ar);

  // Name length byte and three int32 per field.
  const std::int32_t f = ar.ioInt32Count(static_cast<std::int32_t>(fields.size()), 1 + 3 * 4, "fields");
  if (ar.isLoading()) fields.assign(static_cast<std::size_t>(f), ColumnField());
  for (auto& field : fields) {
    ar.io(field.name);
    ar.io(field.decimals);
    ar.io(field.width);
    ar.io(field.position);
  }
  importRotation.serialize(ar);
  secondRotation.serialize(ar);
  if (ar.isLoading()) recomputeBoundingBox();
}

}  // namespace qx
