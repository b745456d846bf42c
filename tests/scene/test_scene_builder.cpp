// The scene model on the scene tree and the headless view controller: the
// fixed tree, the slab, the camera and light, the axis icon, fitting, zooming,
// panning, the grid, the view history, the show/hide rules, the status text.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "scene_objects.h"

using namespace qx;
using gfx::Key;

namespace {

struct Scene : test::SceneObjects {
  // A plan view of `width` x `height` looking down on `centre`.
  explicit Scene(DPoint3D centre = {}, float width = 100.0f, float height = 100.0f) {
    builder.buildScene();
    Section& s = sections.current;
    s.target = {static_cast<float>(centre.x), static_cast<float>(centre.y), static_cast<float>(centre.z)};
    s.referencePoint = s.target;
    s.fieldWidth = width;
    s.fieldHeight = height;
    builder.setViewFromSection();
  }
  gfx::Camera camera() const { return tree.resolvedAttributes(tree.findSegment("?Picture"))->camera; }
  const gfx::Segment& segment(std::string_view path) const { return *tree.segment(tree.findSegment(path)); }
  template <class G>
  const G& geometry(std::string_view path, std::size_t i = 0) const {
    return std::get<G>(tree.item(segment(path).items.at(i))->geometry);
  }
  bool markersShown(std::string_view path) const {
    return tree.resolvedAttributes(tree.findSegment(path))->isVisible(gfx::Kind::Markers);
  }
};

void expectNear(const DPoint3D& got, const DPoint3D& want, double tolerance = 1e-4) {
  EXPECT_NEAR(got.x, want.x, tolerance);
  EXPECT_NEAR(got.y, want.y, tolerance);
  EXPECT_NEAR(got.z, want.z, tolerance);
}

}  // namespace

TEST(SceneBuilder, BuildingTwiceDeletesAndRecreatesTheModelUnderTheSamePicture) {
  Scene s;
  const Key oldComposites = s.model.compositesKey;
  const std::size_t segments = s.tree.segmentCount();
  s.tree.openSegmentByKey(s.model.binKeys[3]);
  s.tree.insertMarker({1, 2, 3});
  s.tree.closeSegment();
  s.builder.buildScene(42);
  EXPECT_EQ(s.tree.segment(oldComposites), nullptr);
  EXPECT_EQ(s.model.compositesKey, s.tree.findSegment("?Model/Composites"));
  EXPECT_TRUE(s.segment("?Model/Composites/Bin3").items.empty());
  // The light and icon segments come back with the next set-view.
  EXPECT_EQ(s.tree.segmentCount(), segments - 2);
  EXPECT_EQ(s.segment("?Picture").includes, std::vector<Key>{s.tree.findSegment("?Model")});
  EXPECT_EQ(*s.tree.resolvedAttributes(s.tree.findSegment("?Picture"))->driverOptions.find("use window id"), "42");
  // A window sized before the first build keeps its size on the view's segment.
  s.model.initialised = 0;
  s.tree.defineAlias("?Picture", "/null");
  s.view.resize(640, 480);
  s.builder.buildScene();
  EXPECT_EQ(s.tree.expandPath("?Picture"), "/driver/qt/window1");
  EXPECT_EQ(s.tree.showDeviceInfo("?Picture", "pixels"), "640,480");
}

TEST(SceneBuilder, SlabThicknessesBecomeTheTwoCuttingPlanes) {
  struct Case {
    float front, back;
    double nearDepth, farDepth;  // 0: no plane
  } const cases[] = {{10, 0, 5, 5}, {0, 6, 3, 3}, {2, 4, 2, 4}, {0, 0, 0, 0}};
  for (const Case& c : cases) {
    Scene s({10, 20, 30});
    s.sections.current.slabFront = c.front;
    s.sections.current.slabBack = c.back;
    s.builder.setViewFromSection();
    EXPECT_EQ(s.model.nearCuttingPlaneKey != 0, c.nearDepth > 0);
    EXPECT_EQ(s.model.farCuttingPlaneKey != 0, c.farDepth > 0);
    // Looking down: the viewer is above, so the near side is +z.
    const auto kept = [&](double z) {
      for (const Key k : s.segment("?Model/CuttingPlanes").items) {
        const auto& p = std::get<gfx::CuttingPlane>(s.tree.item(k)->geometry);
        if (p.a * 10 + p.b * 20 + p.c * z + p.d > 0) return false;
      }
      return true;
    };
    const double up = c.nearDepth > 0 ? c.nearDepth : 1e6;
    const double down = c.farDepth > 0 ? c.farDepth : 1e6;
    EXPECT_TRUE(kept(30 + up - 0.01) && kept(30 - down + 0.01)) << c.front << "/" << c.back;
    EXPECT_EQ(kept(30 + up + 0.01), c.nearDepth == 0) << c.front << "/" << c.back;
    EXPECT_EQ(kept(30 - down - 0.01), c.farDepth == 0) << c.front << "/" << c.back;
  }
}

TEST(SceneBuilder, CameraAndLightOfASideViewAndTheRepairedField) {
  Scene s({0, 0, 0}, 60, 40);
  Section& v = s.sections.current;
  v.azimuth = 90;  // looking east
  v.dip = 0;
  v.target = {5, 6, 7};
  v.referencePoint = {100, -3, 9};  // the centre moves onto the plane x = 100
  s.builder.setViewFromSection();
  expectNear(s.camera().target, {100, 6, 7});
  expectNear(s.camera().position, {100 - 5 * 40, 6, 7});
  expectNear(s.camera().up, {0, 0, 1});
  expectNear(s.geometry<gfx::DistantLight>("?Model/DistantLights").direction, {-1, -1, 0});
  v.fieldWidth = 0.0005f;
  s.builder.setViewFromSection();
  EXPECT_EQ(s.camera().fieldWidth, 100.0);
  EXPECT_EQ(s.camera().fieldHeight, 100.0);
}

TEST(SceneBuilder, RefreshesGiveSurfacesTransparencyAndHideSwitchedOffEnvelopes) {
  Scene s;
  Surface f;
  f.colour = 0x0000FF;  // red in the low byte
  f.transparency = 0.5f;
  f.renderingMethod = 3;
  s.surfaces.surfaces = {f, f};
  s.surfaces.surfaces[1].transparency = 0.2f;
  s.model.surfaceKeys = {s.tree.createSegment("?Model/Surfaces/Surface0"),
                         s.tree.createSegment("?Model/Surfaces/Surface1")};
  s.envelopes.envelopes.resize(1);
  s.model.envelopeKeys = {s.tree.createSegment("?Model/Envelopes/Envelope0")};
  s.model.envelopesShown = 0;
  s.builder.applyDatasetVisibility();
  const auto a = s.tree.resolvedAttributes(s.model.surfaceKeys[0]);
  EXPECT_EQ(a->transmissionOf(gfx::ColorClass::Faces), (gfx::Rgb{0.5, 0.5, 0.5}));
  EXPECT_EQ(a->colorOf(gfx::ColorClass::Lines), (gfx::Rgb{1, 0, 0}));
  EXPECT_EQ(*a->renderingOptions.find("lighting"), "gouraud");
  EXPECT_FALSE(a->isVisible(gfx::Kind::Lines)) << "more than a quarter transparent";
  EXPECT_TRUE(s.tree.resolvedAttributes(s.model.surfaceKeys[1])->isVisible(gfx::Kind::Lines));
  EXPECT_FALSE(s.tree.resolvedAttributes(s.model.envelopeKeys[0])->isVisible(gfx::Kind::Lines));
}

TEST(SceneBuilder, AxisIconSitsBottomRightAndTurnsOffEmpty) {
  Scene s({0, 0, 0}, 150, 60);
  const gfx::Segment& icon = s.segment("?Model/IconXYZ");
  ASSERT_EQ(icon.items.size(), 6u);
  // Base at 90 % across and down the window; arms a fifteenth of the wider side.
  const auto& x = s.geometry<gfx::Line>("?Model/IconXYZ", 0);
  expectNear(x.from, {60, -24, 0});
  expectNear(x.to, {70, -24, 0});
  EXPECT_EQ(s.geometry<gfx::Text>("?Model/IconXYZ", 4).text, "Y");
  s.model.axisIconShown = 0;
  s.builder.setViewFromSection();
  EXPECT_TRUE(s.segment("?Model/IconXYZ").items.empty());
}

TEST(SceneBuilder, ZoomExtentsAddsAFivePercentMargin) {
  Scene s({500, 500, 0});
  s.settings.extentsMin = {0, 0, -3};
  s.settings.extentsMax = {100, 40, 7};
  s.builder.zoomExtents();
  EXPECT_FLOAT_EQ(s.sections.current.fieldWidth, 105.0f);
  EXPECT_FLOAT_EQ(s.sections.current.fieldHeight, 42.0f);
  expectNear(s.camera().target, {50, 20, 0});
}

TEST(SceneBuilder, ZoomWindowAndPanInPixels) {
  Scene s({0, 0, 0}, 200, 100);
  s.view.resize(200, 100);  // one pixel, one unit
  s.builder.zoomWindow({20, 10}, {60, 30});
  EXPECT_FLOAT_EQ(s.sections.current.fieldWidth, 40.0f);
  EXPECT_FLOAT_EQ(s.sections.current.fieldHeight, 20.0f);
  expectNear(s.camera().target, {-60, 30, 0});
  Scene t({0, 0, 0}, 200, 100);
  t.view.resize(200, 100);
  t.builder.pan({100, 50}, {110, 40});
  expectNear(t.camera().target, {-10, -10, 0});
}

TEST(SceneBuilder, GridStartsBelowTheMinimumByTruncation) {
  struct Case {
    double origin, spacing, min, max;
    int count;
    double start;
  } const cases[] = {
      {0, 100, -250, 250, 7, -300}, {50, 100, 0, 1000, 12, -50},
      {-1000, 100, 0, 10, 2, -100}, {-150, 100, 0, 10, 2, -150},  // -0.5 truncates to 0, not -1
      {0, 0, 0, 10, 0, 0},                                        // no spacing, no grid
  };
  for (const Case& c : cases) {
    const GridAxis a = gridAxis(c.origin, c.spacing, c.min, c.max);
    EXPECT_EQ(a.count, c.count) << c.origin;
    EXPECT_EQ(a.start, c.start) << c.origin;
  }
  Scene s;
  s.settings.extentsMin = {0, 0, 0};
  s.settings.extentsMax = {250, 150, 50};
  s.grid.origin = {10, 20, 30};
  s.grid.spacing = {100, 50, 25};
  s.model.gridShown = 1;
  s.model.gridXZ = 0;
  s.builder.buildGrid();
  EXPECT_TRUE(s.segment("?Model/Grid/GridXZ").items.empty());
  const auto& xy = s.geometry<gfx::Grid>("?Model/Grid/GridXY");
  expectNear(xy.origin, {-90, -30, -20});
  expectNear(xy.ref2, {-90, 20, -20});
  EXPECT_EQ(std::pair(xy.count1, xy.count2), std::pair(4, 5));
}

TEST(ViewController, ZoomBoxAndUndoRedoGoThroughTheSectionHistory) {
  Scene s({0, 0, 0}, 200, 200);
  const Section before = s.sections.current;
  EXPECT_FALSE(s.view.undoView());
  s.view.armZoomBox();
  s.view.mousePressed(-0.5, 0.5, ViewController::kLeftButton);
  s.view.mouseMoved(0.5, 0.0);
  EXPECT_EQ(std::get<gfx::Polyline>(s.tree.item(s.segment(kRubberBandSegment).items.at(0))->geometry).points.size(),
            5u);
  EXPECT_TRUE(s.view.mouseReleased(0.5, 0.0, ViewController::kLeftButton));
  EXPECT_TRUE(s.segment(kRubberBandSegment).items.empty());
  expectNear(s.camera().target, {0, 25, 0});
  const Section zoomed = s.sections.current;
  EXPECT_FLOAT_EQ(zoomed.fieldWidth, 100.0f);
  ASSERT_EQ(s.sections.back.size(), 1u);
  EXPECT_TRUE(s.view.undoView());
  EXPECT_EQ(s.sections.current, before);
  EXPECT_TRUE(s.view.redoView());
  EXPECT_EQ(s.sections.current, zoomed);
  EXPECT_FALSE(s.view.redoView());
  // Another button cancels a drag without a view change.
  s.view.armPan();
  s.view.mousePressed(0, 0, 2);
  EXPECT_FALSE(s.view.mouseReleased(0.5, 0.5, ViewController::kLeftButton));
  EXPECT_EQ(s.sections.current, zoomed);
}

TEST(ViewController, StepPansAndTheWheelKeepTheirPoints) {
  Scene s({0, 0, 0}, 100, 100);
  s.settings.extentsMin = {0, 0, 0};
  s.settings.extentsMax = {200, 10, 10};  // a step of 10
  s.view.stepPan(ViewController::Step::Left);
  s.view.stepPan(ViewController::Step::Down);
  s.view.stepPan(ViewController::Step::Down);
  expectNear(gfx::toDouble(s.sections.current.target), {10, -20, 0});
  EXPECT_EQ(s.sections.back.size(), 3u);
  const auto under = [&] { return *s.tree.computeCoordinates("?Picture", "local window", {0.5, 0.5, 0}, "world"); };
  const DPoint3D point = under();
  s.view.wheel(0.5, 0.5, 240);
  expectNear(under(), point);
  EXPECT_FLOAT_EQ(s.sections.current.fieldWidth, 64.0f);
}

TEST(ViewController, ShowHideRules) {
  Scene s;
  s.model.binVisibility[0][2] = 0;
  s.view.toggle(ViewDataset::Composites);
  for (int b = 0; b < 26; ++b) EXPECT_FALSE(s.markersShown("?Model/Composites/Bin" + std::to_string(b))) << b;
  s.view.toggle(ViewDataset::Composites);
  EXPECT_TRUE(s.markersShown("?Model/Composites/Bin1"));
  EXPECT_FALSE(s.markersShown("?Model/Composites/Bin2")) << "a hidden bin stays hidden";
  s.model.gridYZ = s.model.gridXZ = s.model.gridXY = 0;
  s.view.toggle(ViewDataset::Grid);
  EXPECT_EQ(s.model.gridYZ + s.model.gridXZ + s.model.gridXY, 3);
  s.view.toggle(ViewDataset::Grid);
  EXPECT_TRUE(s.segment("?Model/Grid/GridXZ").items.empty());
  EXPECT_EQ(s.model.gridXZ, 1);
}

TEST(ViewController, StatusTextIn2DAnd3DWithTheColourTable) {
  Scene s({1000, 2000, 0}, 100, 100);
  s.view.mouseMoved(0.5, -0.5);
  EXPECT_EQ(s.view.statusText(), "") << "no loaded variable";
  s.settings.loaded.emplace_back("Au");
  s.colours.currentTable = 1;
  s.colours.tableNames[1] = "Gold";
  EXPECT_EQ(s.view.statusText(), "X: 1025.00       Y: 1975.00                    Colour Table: Gold");
  s.settings.projectType = kProject3D;
  s.view.mouseMoved(-0.2, 0.1);
  EXPECT_EQ(s.view.statusText(), "X: 990.00        Y: 2005.00       Z: 0.00                       Colour Table: Gold");
}
