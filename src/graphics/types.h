#pragma once
// Value types of the scene tree: keys, colours, cameras, coordinate systems and
// the geometry that segments hold. Plain data, no behaviour beyond comparison.
//
// Coordinate systems (see also coordinates.h):
//   world         the model's own coordinates.
//   viewpoint     camera-relative, in world units, origin at the camera target;
//                 x along the camera's horizontal axis, y along its (orthogonalised)
//                 up vector. With "right" handedness z points toward the viewer
//                 (a right-handed frame); with "left" handedness z points away.
//   local window  [-1, 1] x [-1, 1] over the whole window, y up. z is the depth
//                 along the line of sight measured from the target plane and
//                 divided by the camera distance: 0 on the plane through the
//                 target, -1 at the eye, positive behind the target.
//   outer pixels  pixel coordinates of the window, origin at the top-left corner,
//                 y down; (width, height) is the bottom-right corner. z is the
//                 same depth as in "local window".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/types.h"

namespace qx::gfx {

// Every segment and item gets a negative key from the tree. Users may renumber
// an item or segment to a key of their own, which is never negative, so the two
// never collide. 0 is returned for "no key" (a failed open or insert).
using Key = std::int64_t;
inline constexpr Key kNoKey = 0;

struct Rgb {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class Handedness { Left, Right };
enum class Projection { Perspective, Orthographic };

// Field: the extent of the scene (width, height in world units, measured on the
// plane through the target) that the window must at least show. When the window's
// aspect ratio differs from the field's, the field is widened in one direction so
// that all of it stays visible and nothing is stretched.
struct Camera {
  DPoint3D position{0.0, 0.0, 5.0};
  DPoint3D target{0.0, 0.0, 0.0};
  DPoint3D up{0.0, 1.0, 0.0};
  double fieldWidth = 2.0;
  double fieldHeight = 2.0;
  Projection projection = Projection::Perspective;
  friend bool operator==(const Camera&, const Camera&) = default;
};

// Window size in pixels; 0 x 0 means unknown (conversions to or from "outer
// pixels" then fail, the others assume the window has the field's aspect ratio).
struct WindowSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const WindowSize&, const WindowSize&) = default;
};

enum class CoordSystem { World, Viewpoint, LocalWindow, OuterPixels };

// "world", "viewpoint", "local window", "outer pixels" (case and extra blanks ignored).
std::optional<CoordSystem> parseCoordSystem(std::string_view name);

// Geometry kinds as far as visibility and selectability are concerned.
enum class Kind : int { Faces, Edges, Lines, Markers, Text, Lights, CuttingPlanes, Count };
inline constexpr int kKindCount = static_cast<int>(Kind::Count);

// Colour classes that can be coloured separately.
enum class ColorClass : int { Faces, Edges, Lines, Markers, Text, Lights, Ambient, Window, Count };
inline constexpr int kColorClassCount = static_cast<int>(ColorClass::Count);

// Selectability of one kind: off, on (only while visible), or on even when hidden ("!on").
enum class Pickable { Off, On, EvenIfHidden };

// ---- geometry ----

struct Marker {
  DPoint3D at;
};
struct Line {
  DPoint3D from;
  DPoint3D to;
};
struct Polyline {
  std::vector<DPoint3D> points;
};
// Face list: for each face its vertex count followed by that many point indices.
struct Shell {
  std::vector<DPoint3D> points;
  std::vector<int> faceList;
};
struct Text {
  DPoint3D at;
  std::string text;
};
// A grid of count1 x count2 cells: origin, a point one step along the first
// direction and a point one step along the second.
struct Grid {
  std::string type;
  DPoint3D origin;
  DPoint3D ref1;
  DPoint3D ref2;
  int count1 = 0;
  int count2 = 0;
};
// Cuts away every point with a*x + b*y + c*z + d > 0.
struct CuttingPlane {
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
  double d = 0.0;
};
struct DistantLight {
  DPoint3D direction;
};

using Geometry = std::variant<Marker, Line, Polyline, Shell, Text, Grid, CuttingPlane, DistantLight>;

enum class ItemKind { Marker, Line, Polyline, Shell, Text, Grid, CuttingPlane, DistantLight };
inline ItemKind kindOf(const Geometry& g) { return static_cast<ItemKind>(g.index()); }

}  // namespace qx::gfx
