#include "sections/rotation.h"

#include <cmath>

namespace qx {

Matrix3 rotationMatrix(double theta, double phi, double psi) {
  const double c1 = std::cos(theta), s1 = std::sin(theta);
  const double c2 = std::cos(phi), s2 = std::sin(phi);
  const double c3 = std::cos(psi), s3 = std::sin(psi);
  return Matrix3{{{c2 * c1, c2 * s1, -s2},
                  {s3 * s2 * c1 - c3 * s1, s3 * s2 * s1 + c3 * c1, s3 * c2},
                  {c3 * s2 * c1 + s3 * s1, c3 * s2 * s1 - s3 * c1, c3 * c2}}};
}

namespace {
DPoint3D multiply(const Matrix3& m, const DPoint3D& p) {
  return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z, m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z,
          m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z};
}
DPoint3D multiplyTransposed(const Matrix3& m, const DPoint3D& p) {
  return {m[0][0] * p.x + m[1][0] * p.y + m[2][0] * p.z, m[0][1] * p.x + m[1][1] * p.y + m[2][1] * p.z,
          m[0][2] * p.x + m[1][2] * p.y + m[2][2] * p.z};
}
}  // namespace

void RotationParameters::transform(double x, double y, double z, int direction, DPoint3D& out) {
  if (state == 0) {
    theta *= kRadiansPerDegree;
    phi *= kRadiansPerDegree;
    psi *= kRadiansPerDegree;
    matrix = rotationMatrix(theta, phi, psi);
    state = 1;
  }
  if (state != 1) return;
  // Shifted by -direction * origin first and by (1 - direction) * origin last.
  const double d = static_cast<double>(direction);
  const DPoint3D p{x - d * origin.x, y - d * origin.y, z - d * origin.z};
  const DPoint3D r = direction == kPlotToWorld ? multiplyTransposed(matrix, p) : multiply(matrix, p);
  out = {r.x + (1.0 - d) * origin.x, r.y + (1.0 - d) * origin.y, r.z + (1.0 - d) * origin.z};
}

void CParamsRotation::setAngles(double theta, double phi, double psi) {
  theta_ = theta;
  phi_ = phi;
  psi_ = psi;
  prepared_ = 0;
}

void CParamsRotation::setCentre(const DPoint3D& centre) {
  centre_ = centre;
  prepared_ = 0;
}

void CParamsRotation::setInverse(std::int32_t inverse) {
  inverse_ = inverse;
  prepared_ = 0;
}

bool CParamsRotation::isActive() const {
  for (double v : {theta_, phi_, psi_, centre_.x, centre_.y, centre_.z})
    if (std::fabs(v) >= kActiveThreshold) return true;
  return false;
}

void CParamsRotation::prepare() {
  matrix_ = rotationMatrix(theta_ * kRadiansPerDegree, phi_ * kRadiansPerDegree, psi_ * kRadiansPerDegree);
  prepared_ = 1;
}

bool CParamsRotation::rotate(double x, double y, double z, DPoint3D& out) {
  if (prepared_ == 0) prepare();
  if (inverse_ != 0)
    out = multiplyTransposed(matrix_, {x, y, z});
  else
    out = multiply(matrix_, DPoint3D{x, y, z} - centre_);
  return true;
}

void CParamsRotation::serialize(Archive& ar) {
  ar.io(theta_);
  ar.io(phi_);
  ar.io(psi_);
  ar.io(inverse_);
  ar.io(centre_.x);
  ar.io(centre_.y);
  ar.io(centre_.z);
  if (ar.isLoading()) prepared_ = 0;
}

}  // namespace qx
