#pragma once
// Points and vectors shared by every layer.

namespace qx {

struct DPoint2D {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const DPoint2D&, const DPoint2D&) = default;
};

struct DPoint3D {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  friend bool operator==(const DPoint3D&, const DPoint3D&) = default;
  DPoint3D operator+(const DPoint3D& o) const { return {x + o.x, y + o.y, z + o.z}; }
  DPoint3D operator-(const DPoint3D& o) const { return {x - o.x, y - o.y, z - o.z}; }
};

// Single precision, where a record or the scene works in floats.
struct FPoint3D {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  friend bool operator==(const FPoint3D&, const FPoint3D&) = default;
};

// Widens the box [lo, hi] to take in p, coordinate by coordinate: a minimum
// changes only when p is smaller, a maximum only when p is larger.
inline void widenBox(DPoint3D& lo, DPoint3D& hi, const DPoint3D& otherLo, const DPoint3D& otherHi);
inline void widenBox(DPoint3D& lo, DPoint3D& hi, const DPoint3D& p) { widenBox(lo, hi, p, p); }

// Widens [lo, hi] by another box [otherLo, otherHi]: minimum with minimum,
// maximum with maximum, so an empty box (lo above hi) changes nothing.
inline void widenBox(DPoint3D& lo, DPoint3D& hi, const DPoint3D& otherLo, const DPoint3D& otherHi) {
  if (otherLo.x < lo.x) lo.x = otherLo.x;
  if (otherLo.y < lo.y) lo.y = otherLo.y;
  if (otherLo.z < lo.z) lo.z = otherLo.z;
  if (otherHi.x > hi.x) hi.x = otherHi.x;
  if (otherHi.y > hi.y) hi.y = otherHi.y;
  if (otherHi.z > hi.z) hi.z = otherHi.z;
}

// 32-bit colour, red in the lowest byte.
using ColorRef = unsigned int;
constexpr ColorRef makeRgb(unsigned r, unsigned g, unsigned b) {
  return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
constexpr unsigned redOf(ColorRef c) { return c & 0xFFu; }
constexpr unsigned greenOf(ColorRef c) { return (c >> 8) & 0xFFu; }
constexpr unsigned blueOf(ColorRef c) { return (c >> 16) & 0xFFu; }

}  // namespace qx
