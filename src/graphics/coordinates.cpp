#include "graphics/coordinates.h"

#include <cmath>

#include "graphics/vecmath.h"

namespace qx::gfx {

std::optional<ViewTransform> ViewTransform::make(const Camera& camera, Handedness handedness, WindowSize window) {
  if (!(camera.fieldWidth > 0.0) || !(camera.fieldHeight > 0.0)) return std::nullopt;
  if (!std::isfinite(camera.fieldWidth) || !std::isfinite(camera.fieldHeight)) return std::nullopt;
  const DPoint3D sight = camera.target - camera.position;
  const double distance = length(sight);
  const auto forward = normalized(sight);
  if (!forward || !std::isfinite(distance)) return std::nullopt;
  const auto upDir = normalized(camera.up);
  if (!upDir) return std::nullopt;
  const auto up = normalized(*upDir - *forward * dot(*upDir, *forward));
  if (!up || std::abs(dot(*upDir, *forward)) > 1.0 - 1e-12) return std::nullopt;

  ViewTransform t;
  t.eye_ = camera.position;
  t.target_ = camera.target;
  t.forward_ = *forward;
  t.up_ = *up;
  if (handedness == Handedness::Right) {
    t.right_ = cross(*forward, *up);
    t.zSign_ = -1.0;
  } else {
    t.right_ = cross(*up, *forward);
    t.zSign_ = 1.0;
  }
  t.distance_ = distance;
  t.perspective_ = camera.projection == Projection::Perspective;
  t.window_ = window;
  t.halfWidth_ = camera.fieldWidth / 2.0;
  t.halfHeight_ = camera.fieldHeight / 2.0;
  if (window.width > 0 && window.height > 0) {
    const double windowAspect = static_cast<double>(window.width) / window.height;
    const double fieldAspect = camera.fieldWidth / camera.fieldHeight;
    if (windowAspect > fieldAspect) {
      t.halfWidth_ = t.halfHeight_ * windowAspect;
    } else {
      t.halfHeight_ = t.halfWidth_ / windowAspect;
    }
  }
  return t;
}

double ViewTransform::depthBehindTarget(const DPoint3D& world) const { return dot(world - target_, forward_); }

DPoint3D ViewTransform::worldToViewpoint(const DPoint3D& p) const {
  const DPoint3D d = p - target_;
  return {dot(d, right_), dot(d, up_), zSign_ * dot(d, forward_)};
}

DPoint3D ViewTransform::viewpointToWorld(const DPoint3D& v) const {
  return target_ + right_ * v.x + up_ * v.y + forward_ * (zSign_ * v.z);
}

std::optional<DPoint3D> ViewTransform::viewpointToLocal(const DPoint3D& v) const {
  const double a = zSign_ * v.z;  // depth behind the target plane
  double scale = 1.0;
  if (perspective_) {
    const double fromEye = distance_ + a;
    if (!(fromEye > distance_ * 1e-9)) return std::nullopt;
    scale = distance_ / fromEye;
  }
  return DPoint3D{v.x * scale / halfWidth_, v.y * scale / halfHeight_, a / distance_};
}

std::optional<DPoint3D> ViewTransform::localToViewpoint(const DPoint3D& l) const {
  const double a = l.z * distance_;
  double scale = 1.0;
  if (perspective_) {
    const double fromEye = distance_ + a;
    if (!(fromEye > distance_ * 1e-9)) return std::nullopt;
    scale = fromEye / distance_;
  }
  return DPoint3D{l.x * halfWidth_ * scale, l.y * halfHeight_ * scale, zSign_ * a};
}

std::optional<DPoint3D> ViewTransform::localToPixels(const DPoint3D& l) const {
  if (window_.width <= 0 || window_.height <= 0) return std::nullopt;
  return DPoint3D{(l.x + 1.0) * window_.width / 2.0, (1.0 - l.y) * window_.height / 2.0, l.z};
}

std::optional<DPoint3D> ViewTransform::pixelsToLocal(const DPoint3D& px) const {
  if (window_.width <= 0 || window_.height <= 0) return std::nullopt;
  return DPoint3D{px.x * 2.0 / window_.width - 1.0, 1.0 - px.y * 2.0 / window_.height, px.z};
}

std::optional<DPoint3D> ViewTransform::convert(CoordSystem from, const DPoint3D& p, CoordSystem to) const {
  if (from == to) {
    if (from == CoordSystem::OuterPixels && (window_.width <= 0 || window_.height <= 0)) return std::nullopt;
    return p;
  }
  // Bring the point to local window, then out to the target system.
  std::optional<DPoint3D> local;
  switch (from) {
    case CoordSystem::World:
      local = viewpointToLocal(worldToViewpoint(p));
      if (to == CoordSystem::Viewpoint) return worldToViewpoint(p);
      break;
    case CoordSystem::Viewpoint:
      if (to == CoordSystem::World) return viewpointToWorld(p);
      local = viewpointToLocal(p);
      break;
    case CoordSystem::LocalWindow: local = p; break;
    case CoordSystem::OuterPixels: local = pixelsToLocal(p); break;
  }
  if (!local) return std::nullopt;
  switch (to) {
    case CoordSystem::LocalWindow: return local;
    case CoordSystem::OuterPixels: return localToPixels(*local);
    case CoordSystem::Viewpoint: return localToViewpoint(*local);
    case CoordSystem::World: {
      auto v = localToViewpoint(*local);
      if (!v) return std::nullopt;
      return viewpointToWorld(*v);
    }
  }
  return std::nullopt;
}

}  // namespace qx::gfx
