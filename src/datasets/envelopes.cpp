#include "datasets/envelopes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace qx {

namespace {
constexpr std::size_t kPointBytes = 3 * 8;
}  // namespace

void Envelope::recomputeBoundingBox() {
  minCorner = {kItemExtent, kItemExtent, kItemExtent};
  maxCorner = {-kItemExtent, -kItemExtent, -kItemExtent};
  for (const auto& c : contours)
    for (const auto& p : c) widenBox(minCorner, maxCorner, p);
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
      for (const auto& p : c) widenBox(e.min, e.max, p);
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
    ar.io(field.length);
    ar.io(field.position);
  }
  importRotation.serialize(ar);
  secondRotation.serialize(ar);
  if (ar.isLoading()) recomputeBoundingBox();
}

}  // namespace qx

namespace qx {

int Envelope::findContour(double x, double y) const {
  for (std::size_t c = 0; c < contours.size(); ++c) {
    const Contour& pts = contours[c];
    const std::size_t n = pts.size();
    bool inside = false;
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
      const DPoint3D& a = pts[i];
      const DPoint3D& b = pts[j];
      const bool spans = (a.y <= y && y < b.y) || (b.y <= y && y < a.y);
      if (spans && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    if (inside) return static_cast<int>(c);
  }
  return -1;
}

int Envelope::removeRepeatedPoints(double tolerance) {
  int removed = 0;
  for (auto& pts : contours) {
    for (std::size_t k = pts.size(); k-- > 1;) {
      const DPoint3D& p = pts[k];
      const DPoint3D& q = pts[k - 1];
      if (std::abs(p.x - q.x) + std::abs(p.y - q.y) + std::abs(p.z - q.z) < tolerance) {
        pts.erase(pts.begin() + static_cast<std::ptrdiff_t>(k));
        ++removed;
      }
    }
  }
  return removed;
}

int EnvelopeSet::findContaining(double x, double y, int* contour) const {
  for (std::size_t e = 0; e < envelopes.size(); ++e) {
    const int c = envelopes[e].findContour(x, y);
    if (c >= 0) {
      if (contour != nullptr) *contour = c;
      return static_cast<int>(e);
    }
  }
  if (contour != nullptr) *contour = -1;
  return -1;
}

int EnvelopeSet::findByName(std::string_view name) const {
  for (std::size_t e = 0; e < envelopes.size(); ++e)
    if (envelopes[e].name == name) return static_cast<int>(e);
  return -1;
}

int EnvelopeSet::removeRepeatedPoints(double maxRadiusOfInfluence) {
  const double tolerance = maxRadiusOfInfluence * kRepeatedPointFactor;
  int removed = 0;
  for (auto& env : envelopes) removed += env.removeRepeatedPoints(tolerance);
  return removed;
}

ColumnField* EnvelopeSet::field(std::string_view name) {
  for (auto& f : fields)
    if (f.name == name) return &f;
  return nullptr;
}

const ColumnField* EnvelopeSet::field(std::string_view name) const {
  return const_cast<EnvelopeSet*>(this)->field(name);
}

}  // namespace qx
