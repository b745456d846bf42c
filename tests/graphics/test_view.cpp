// Coordinate conversion and camera moves, checked against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/scene_tree.h"

namespace qx::gfx {
namespace {

constexpr double kEps = 1e-9;

#define EXPECT_POINT_NEAR(actual, ex, ey, ez)            \
  do {                                                   \
    const auto qx_p = (actual);                          \
    ASSERT_TRUE(qx_p.has_value());                       \
    EXPECT_NEAR(qx_p->x, (ex), kEps) << "x of " #actual; \
    EXPECT_NEAR(qx_p->y, (ey), kEps) << "y of " #actual; \
    EXPECT_NEAR(qx_p->z, (ez), kEps) << "z of " #actual; \
  } while (0)

// A tree whose "?Picture" carries the given camera, handedness and window.
struct View {
  SceneTree t;
  View(const Camera& c, int w, int h, const char* handedness = "right") {
    t.defineAlias("?Picture", "?driver/msw/window1");
    t.openSegment("?Picture");
    t.setCamera(c);
    t.setHandedness(handedness);
    if (w > 0) t.setWindowSize(w, h);
    t.closeSegment();
  }
  std::optional<DPoint3D> conv(const char* from, DPoint3D p, const char* to) const {
    return t.computeCoordinates("?Picture", from, p, to);
  }
};

Camera planCamera(double fw, double fh, Projection proj = Projection::Orthographic) {
  return Camera{{0, 0, 100}, {0, 0, 0}, {0, 1, 0}, fw, fh, proj};
}

TEST(Coordinates, OrthographicPlanViewMapsFieldOntoWindow) {
  View v(planCamera(100, 50), 800, 400);  // same 2:1 aspect
  EXPECT_POINT_NEAR(v.conv("world", {25, 12.5, 0}, "local window"), 0.5, 0.5, 0);
  EXPECT_POINT_NEAR(v.conv("world", {25, 12.5, 0}, "outer pixels"), 600, 100, 0);
  EXPECT_POINT_NEAR(v.conv("outer pixels", {0, 0, 0}, "world"), -50, 25, 0);
  // Depth: distance behind the target plane over the eye distance (100).
  EXPECT_POINT_NEAR(v.conv("world", {10, 20, -30}, "local window"), 0.2, 0.8, 0.3);
  EXPECT_POINT_NEAR(v.conv("world", {10, 20, -30}, "viewpoint"), 10, 20, -30);  // z toward the viewer
  EXPECT_POINT_NEAR(v.conv("local window", {1, 1, 0}, "viewpoint"), 50, 25, 0);
  // Dropping the pixel depth projects a point onto the plane through the target.
  const auto px = v.conv("world", {3, 4, 7}, "outer pixels");
  ASSERT_TRUE(px);
  EXPECT_POINT_NEAR(v.conv("outer pixels", DPoint3D{px->x, px->y, 0}, "world"), 3, 4, 0);
}

TEST(Coordinates, FieldIsWidenedToTheWindowAspect) {
  {
    View wide(planCamera(100, 100), 800, 400);  // visible 200 x 100
    EXPECT_POINT_NEAR(wide.conv("world", {50, 25, 0}, "local window"), 0.5, 0.5, 0);
    EXPECT_DOUBLE_EQ(wide.t.viewTransform("?Picture")->visibleHalfHeight(), 50);
  }
  {
    View tall(planCamera(100, 100), 400, 800);  // visible 100 x 200
    EXPECT_POINT_NEAR(tall.conv("world", {25, 50, 0}, "local window"), 0.5, 0.5, 0);
  }
  {
    View unknown(planCamera(100, 40), 0, 0);  // no window: the field's own aspect
    EXPECT_POINT_NEAR(unknown.conv("world", {50, 20, 0}, "local window"), 1, 1, 0);
    EXPECT_FALSE(unknown.conv("outer pixels", {0, 0, 0}, "world"));
    EXPECT_EQ(unknown.t.showDeviceInfo("?Picture", "pixels"), "");
  }
}

TEST(Coordinates, PerspectiveScalesWithDepth) {
  View v(planCamera(2, 2, Projection::Perspective), 100, 100);  // eye 100 above the target
  EXPECT_POINT_NEAR(v.conv("world", {1, 0, 0}, "local window"), 1, 0, 0);
  EXPECT_POINT_NEAR(v.conv("world", {1, 0, -100}, "local window"), 0.5, 0, 1);  // twice as far
  EXPECT_POINT_NEAR(v.conv("world", {1, 0, 50}, "local window"), 2, 0, -0.5);   // half as far
  EXPECT_POINT_NEAR(v.conv("outer pixels", {75, 50, 1}, "world"), 1, 0, -100);
  EXPECT_FALSE(v.conv("world", {0, 0, 100}, "local window"));               // at the eye
  EXPECT_FALSE(v.conv("world", {0, 0, 150}, "outer pixels"));               // behind it
  EXPECT_POINT_NEAR(v.conv("world", {0, 0, 150}, "viewpoint"), 0, 0, 150);  // viewpoint needs no projection
}

TEST(Coordinates, ObliqueCameraFrame) {
  // Eye at (10,10,10) looking at the origin with z up. By hand: line of sight
  // -(1,1,1)/sqrt3, up (-1,-1,2)/sqrt6, right (-1,1,0)/sqrt2.
  const Camera c{{10, 10, 10}, {0, 0, 0}, {0, 0, 1}, 4, 4, Projection::Orthographic};
  View v(c, 200, 200);
  const double s2 = std::sqrt(2.0), s3 = std::sqrt(3.0), s6 = std::sqrt(6.0);
  EXPECT_POINT_NEAR(v.conv("world", {-1, 1, 0}, "viewpoint"), s2, 0, 0);
  EXPECT_POINT_NEAR(v.conv("world", {0, 0, 1}, "viewpoint"), 0, 2 / s6, 1 / s3);
  EXPECT_POINT_NEAR(v.conv("world", {-1, 1, 0}, "local window"), s2 / 2, 0, 0);
  // Flattening onto the view plane removes the component along the line of sight.
  const DPoint3D p{3, -2, 5};
  const auto px = v.conv("world", p, "outer pixels");
  ASSERT_TRUE(px);
  const double along = (p.x + p.y + p.z) / 3.0;  // (p . f) f with f = (1,1,1)/sqrt3
  EXPECT_POINT_NEAR(v.conv("outer pixels", DPoint3D{px->x, px->y, 0}, "world"), p.x - along, p.y - along, p.z - along);

  // Left handedness mirrors the horizontal axis and turns viewpoint z around.
  View left(c, 200, 200, "left");
  EXPECT_POINT_NEAR(left.conv("world", {-1, 1, 0}, "viewpoint"), -s2, 0, 0);
  EXPECT_POINT_NEAR(left.conv("world", {0, 0, 1}, "viewpoint"), 0, 2 / s6, -1 / s3);
  EXPECT_POINT_NEAR(left.conv("world", {-1, 1, 0}, "outer pixels"), 100 - 50 * s2, 100, 0);
}

TEST(Coordinates, EveryPairRoundTrips) {
  const CoordSystem all[] = {CoordSystem::World, CoordSystem::Viewpoint, CoordSystem::LocalWindow,
                             CoordSystem::OuterPixels};
  for (Projection proj : {Projection::Orthographic, Projection::Perspective}) {
    View v(Camera{{120, -40, 75}, {20, 10, -5}, {0.1, 0.2, 1}, 80, 30, proj}, 1024, 768);
    const auto vt = v.t.viewTransform("?Picture");
    ASSERT_TRUE(vt);
    for (const DPoint3D& p :
         {DPoint3D{0, 0, 0}, DPoint3D{20, 10, -5}, DPoint3D{-33.5, 71.25, 12}, DPoint3D{5, 5, 40}}) {
      for (CoordSystem from : all) {
        const auto start = vt->convert(CoordSystem::World, p, from);
        ASSERT_TRUE(start);
        for (CoordSystem to : all) {
          const auto there = vt->convert(from, *start, to);
          ASSERT_TRUE(there);
          const auto back = vt->convert(to, *there, CoordSystem::World);
          ASSERT_TRUE(back);
          EXPECT_LT(std::hypot(back->x - p.x, back->y - p.y, back->z - p.z), 1e-7);
        }
      }
    }
  }
}

TEST(Coordinates, DegenerateCamerasAndUnknownNamesGiveNothing) {
  Camera eyeOnTarget = planCamera(10, 10);
  eyeOnTarget.position = eyeOnTarget.target;
  EXPECT_FALSE(View(eyeOnTarget, 100, 100).conv("world", {1, 1, 1}, "local window"));
  Camera upAlongSight = planCamera(10, 10);
  upAlongSight.up = {0, 0, -3};
  EXPECT_FALSE(View(upAlongSight, 100, 100).conv("world", {1, 1, 1}, "local window"));
  View ok(planCamera(10, 10), 100, 100);
  EXPECT_FALSE(ok.conv("world", {1, 1, 1}, "screen"));
  EXPECT_FALSE(ok.conv("world", {NAN, 1, 1}, "local window"));
  EXPECT_FALSE(ok.t.computeCoordinates("?Elsewhere", "world", {1, 1, 1}, "local window"));
}

TEST(CameraMove, MovesEyeAndTargetInTheCamerasOwnFrame) {
  // Moves the picture's camera and returns it; nothing when refused.
  const auto moved = [](View& v, double x, double y, double z) -> std::optional<Camera> {
    v.t.openSegment("?Picture");
    const bool ok = v.t.moveCamera(x, y, z);
    const Camera c = v.t.showCamera();
    v.t.closeSegment();
    return ok ? std::optional(c) : std::nullopt;
  };
  View plan(planCamera(100, 100), 500, 500);
  ASSERT_TRUE(moved(plan, 5, 0, 0));      // the step pan "left" of the view
  const auto c = moved(plan, 0, -3, 10);  // down, and toward the target
  ASSERT_TRUE(c);
  EXPECT_EQ(c->position, (DPoint3D{5, -3, 90}));
  EXPECT_EQ(c->target, (DPoint3D{5, -3, -10}));

  // Side view: eye on +x looking at the origin, z up; its horizontal axis is
  // +y, or -y for left handedness.
  const Camera side{{10, 0, 0}, {0, 0, 0}, {0, 0, 1}};
  View right(side, 100, 100), left(side, 100, 100, "left");
  const auto r = moved(right, 1, 2, 0);
  ASSERT_TRUE(r);
  EXPECT_POINT_NEAR(std::optional(r->target), 0, 1, 2);
  EXPECT_NEAR(r->position.x, 10, kEps);
  const auto l = moved(left, 1, 0, 0);
  ASSERT_TRUE(l);
  EXPECT_NEAR(l->target.y, -1, kEps);

  Camera broken = planCamera(10, 10);
  broken.up = {0, 0, 1};
  View b(broken, 100, 100);
  EXPECT_FALSE(moved(b, 1, 0, 0));
}

}  // namespace
}  // namespace qx::gfx
