#pragma once
// The two rigid rotations of coordinates. Both build one 3x3 matrix M from
// three angles: theta about Z, then phi about the rotated Y, then psi about the
// rotated X. M takes world coordinates into the rotated frame; its transpose
// takes them back.
//
// `RotationParameters` rotates into and out of a plot frame around an origin;
// `CParamsRotation` is the optional rotation applied to points when datasets
// are imported or exported.
#include <array>
#include <cstdint>

#include "common/types.h"
#include "io/archive.h"

namespace qx {

using Matrix3 = std::array<std::array<double, 3>, 3>;

// The rotation matrix of the three angles, given in radians.
Matrix3 rotationMatrix(double theta, double phi, double psi);

inline constexpr double kRadiansPerDegree = 0.017453292519943;

class RotationParameters {
 public:
  enum Direction : int { kPlotToWorld = 0, kWorldToPlot = 1 };

  DPoint3D origin;
  // Entered in degrees; the first transform turns them into radians in place.
  double theta = 0.0;
  double phi = 0.0;
  double psi = 0.0;
  // 0: angles still in degrees; 1: prepared (angles in radians, matrix built).
  std::int32_t state = 0;
  Matrix3 matrix{};

  // Direction 0: p' = M^T p + origin. Direction 1: p' = M (p - origin).
  // Prepares on first use. A state other than 0 or 1 leaves `out` untouched.
  void transform(double x, double y, double z, int direction, DPoint3D& out);

  friend bool operator==(const RotationParameters&, const RotationParameters&) = default;
};

class CParamsRotation {
 public:
  // Applied only when an angle or a centre coordinate is at least this large.
  static constexpr double kActiveThreshold = 1e-06;

  CParamsRotation() = default;

  void setAngles(double theta, double phi, double psi);
  void setCentre(const DPoint3D& centre);
  void setInverse(std::int32_t inverse);

  double theta() const { return theta_; }
  double phi() const { return phi_; }
  double psi() const { return psi_; }
  const DPoint3D& centre() const { return centre_; }
  std::int32_t inverse() const { return inverse_; }
  bool isPrepared() const { return prepared_ != 0; }

  // True when one of the three angles or centre coordinates has a magnitude of
  // at least 1e-06 (the inverse flag is not looked at).
  bool isActive() const;

  // Normal mode: M (p - centre). Inverse mode: M^T p, the centre is not used.
  // Always returns true.
  //
  // The inverse mode deliberately does not add the centre back (unlike
  // RotationParameters, which adds its origin when it maps back to world
  // coordinates): files written with a rotation and the inverse flag must
  // read back exactly as earlier releases wrote them, and a user who wants the
  // full inverse of a centred rotation enters the centre as a separate shift.
  // So inverse(normal(p)) == p - centre.
  bool rotate(double x, double y, double z, DPoint3D& out);

  // theta, phi, psi (double, degrees); inverse flag (int32); centre (3 doubles).
  // Loading clears the prepared flag.
  void serialize(Archive& ar);
  static constexpr std::size_t kRecordBytes = 3 * 8 + 4 + 3 * 8;

  // Equal angles, centre and inverse flag (the prepared state is a cache).
  friend bool operator==(const CParamsRotation& a, const CParamsRotation& b) {
    return a.theta_ == b.theta_ && a.phi_ == b.phi_ && a.psi_ == b.psi_ && a.centre_ == b.centre_ &&
           a.inverse_ == b.inverse_;
  }

 private:
  void prepare();

  double theta_ = 0.0;
  double phi_ = 0.0;
  double psi_ = 0.0;
  DPoint3D centre_;
  std::int32_t inverse_ = 0;
  std::int32_t prepared_ = 0;  // not stored
  Matrix3 matrix_{};
};

}  // namespace qx
