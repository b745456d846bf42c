#pragma once
// Conversion among "world", "viewpoint", "local window" and "outer pixels" for
// one camera, handedness and window size. The systems are described in types.h.
//
// Orthographic: local x = viewpoint x / (visible width / 2), likewise y.
// Perspective: the same on the target plane, scaled by D / (D + a) elsewhere, where
// D is the distance from the eye to the target and a the depth of the point behind
// the target plane; points at or behind the eye have no window position.
// Visible width and height: the field, widened in x or in y to the window's aspect
// ratio when the window size is known (the field always fits, nothing stretches).
// Pixels: px = (lx + 1) * width / 2, py = (1 - ly) * height / 2.
#include <optional>

#include "graphics/types.h"

namespace qx::gfx {

class ViewTransform {
 public:
  // nullopt for a camera that defines no view: eye on the target, an up vector
  // along the line of sight, or a field that is not positive.
  static std::optional<ViewTransform> make(const Camera& camera, Handedness handedness, WindowSize window);

  std::optional<DPoint3D> convert(CoordSystem from, const DPoint3D& p, CoordSystem to) const;

  DPoint3D worldToViewpoint(const DPoint3D& p) const;
  DPoint3D viewpointToWorld(const DPoint3D& v) const;
  std::optional<DPoint3D> viewpointToLocal(const DPoint3D& v) const;
  std::optional<DPoint3D> localToViewpoint(const DPoint3D& l) const;
  std::optional<DPoint3D> localToPixels(const DPoint3D& l) const;
  std::optional<DPoint3D> pixelsToLocal(const DPoint3D& px) const;

  // Depth of a world point behind the target plane along the line of sight.
  double depthBehindTarget(const DPoint3D& world) const;

  // Camera frame: unit vectors in world coordinates.
  const DPoint3D& right() const { return right_; }
  const DPoint3D& up() const { return up_; }
  const DPoint3D& forward() const { return forward_; }  // from the eye toward the target
  const DPoint3D& eye() const { return eye_; }
  const DPoint3D& target() const { return target_; }
  double eyeDistance() const { return distance_; }
  double visibleHalfWidth() const { return halfWidth_; }
  double visibleHalfHeight() const { return halfHeight_; }
  bool perspective() const { return perspective_; }

 private:
  DPoint3D eye_, target_, right_, up_, forward_;
  double zSign_ = 1.0;  // viewpoint z = zSign * depth behind the target
  double distance_ = 1.0;
  double halfWidth_ = 1.0;
  double halfHeight_ = 1.0;
  bool perspective_ = false;
  WindowSize window_;
};

}  // namespace qx::gfx
