#pragma once
// Small vector helpers used by the scene tree and offered to its users.
#include <cmath>
#include <optional>
#include <span>

#include "common/types.h"
#include "graphics/types.h"

namespace qx::gfx {

inline DPoint3D operator*(const DPoint3D& v, double s) { return {v.x * s, v.y * s, v.z * s}; }
inline double dot(const DPoint3D& a, const DPoint3D& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline DPoint3D cross(const DPoint3D& a, const DPoint3D& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const DPoint3D& v) { return std::sqrt(dot(v, v)); }

// Single-precision forms, computed in single precision.
inline float dot(const FPoint3D& a, const FPoint3D& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline FPoint3D cross(const FPoint3D& a, const FPoint3D& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline DPoint3D toDouble(const FPoint3D& p) { return {p.x, p.y, p.z}; }

// Unit vector, or nullopt for a (near) zero vector.
std::optional<DPoint3D> normalized(const DPoint3D& v);

// Unit normal of a planar polygon (Newell's method, so a non-convex or slightly
// non-planar outline still gives the best-fit normal). With "right" handedness
// an outline that runs counter-clockwise seen from the tip of the normal; with
// "left" handedness the opposite normal. nullopt for fewer than three points or
// a degenerate outline (zero area).
std::optional<DPoint3D> polygonNormal(std::span<const DPoint3D> points, Handedness handedness = Handedness::Right);
std::optional<FPoint3D> polygonNormal(std::span<const FPoint3D> points, Handedness handedness = Handedness::Right);

}  // namespace qx::gfx
