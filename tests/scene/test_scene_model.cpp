#include <gtest/gtest.h>

#include "scene/scene_model.h"
#include "support/record_suite.h"

using namespace qx;
using namespace qx::testing;

namespace {

struct SceneModelRecord {
  using Type = HoopsModel;
  static constexpr const char* kContext = "the scene model";
  // The new-program record: camera (0,0,100), (0,0,0), (0,1,0), field 100 x 100;
  // axis icon and the five datasets shown, grid off, three planes on; marker
  // symbol 0, size 2; 26 x 26 ones.
  static Bytes defaultBytes() {
    B b;
    b.f32(0).f32(0).f32(100).f32(0).f32(0).f32(0).f32(0).f32(1).f32(0).f32(100).f32(100);
    b.i32(1).i32(1).i32(1).i32(1).i32(1).i32(1).i32(0).i32(1).i32(1).i32(1);
    b.i32(0).i32(2);
    for (int i = 0; i < 26 * 26; ++i) b.i32(1);
    return b;
  }
  static HoopsModel populated() {
    HoopsModel m;
    m.cameraPosition = {10.0f, -20.0f, 30.5f};
    m.cameraTarget = {1.0f, 2.0f, 3.0f};
    m.cameraUp = {0.0f, 0.0f, 1.0f};
    m.cameraFieldWidth = 640.0f;
    m.cameraFieldHeight = 480.0f;
    m.axisIconShown = 0;
    m.compositesShown = 0;
    m.envelopesShown = 2;
    m.figuresShown = 3;
    m.polygonsShown = 4;
    m.surfacesShown = 5;
    m.gridShown = 6;
    m.gridYZ = 7;
    m.gridXZ = 8;
    m.gridXY = 9;
    m.markerSymbol = 5;
    m.markerSize = 4;
    for (int r = 0; r < 26; ++r)
      for (int c = 0; c < 26; ++c) m.binVisibility[r][c] = (r * 26 + c) % 3 == 0 ? 0 : r + c;
    return m;
  }
  // The display switches go back to their defaults; camera and marker style stay.
  static HoopsModel afterReset() {
    HoopsModel m = populated();
    const HoopsModel fresh;
    m.axisIconShown = fresh.axisIconShown;
    m.compositesShown = fresh.compositesShown;
    m.envelopesShown = fresh.envelopesShown;
    m.figuresShown = fresh.figuresShown;
    m.polygonsShown = fresh.polygonsShown;
    m.surfacesShown = fresh.surfacesShown;
    m.gridShown = fresh.gridShown;
    m.gridYZ = fresh.gridYZ;
    m.gridXZ = fresh.gridXZ;
    m.gridXY = fresh.gridXY;
    m.binVisibility = fresh.binVisibility;
    return m;
  }
  static std::vector<CountAt> counts() { return {}; }
};

INSTANTIATE_TYPED_TEST_SUITE_P(SceneModel, RecordSuite, ::testing::Types<SceneModelRecord>);

}  // namespace

TEST(HoopsModelRecord, OrderOfTheSwitchesAndRunTimeStateStaysOut) {
  EXPECT_EQ(SceneModelRecord::defaultBytes().size(), HoopsModel::kRecordBytes);
  EXPECT_EQ(HoopsModel::kRecordBytes, 2796u);
  const Bytes bytes = store(SceneModelRecord::populated());
  // After eleven floats: axis icon, composites, envelopes, figures, polygons,
  // surfaces, grid, grid YZ, XZ, XY, marker symbol, marker size; then row 0.
  const Bytes switches =
      B().i32(0).i32(0).i32(2).i32(3).i32(4).i32(5).i32(6).i32(7).i32(8).i32(9).i32(5).i32(4).i32(0).i32(1).i32(2).i32(
          0);
  EXPECT_TRUE(holdsAt(bytes, 44, switches));
  EXPECT_TRUE(startsWith(bytes, B().f32(10.0f).f32(-20.0f).f32(30.5f)));
  // The last two cells: row 25, columns 24 (49) and 25 (0: 675 is a multiple of 3).
  EXPECT_TRUE(endsWith(bytes, B().i32(49).i32(0)));

  HoopsModel into;
  into.initialised = 1;
  into.compositesKey = -17;
  const HoopsModel loaded = load(bytes, into);
  EXPECT_EQ(loaded.initialised, 1);
  EXPECT_EQ(loaded.compositesKey, -17);
}

TEST(HoopsModel, ResetDropsTheDatasetKeysOnly) {
  HoopsModel m = SceneModelRecord::populated();
  m.initialised = 1;
  m.compositesKey = -5;
  m.binKeys[3] = -9;
  m.envelopeKeys = {-1};
  m.figureKeys = {-2};
  m.polygonKeys = {-3};
  m.surfaceKeys = {-4};
  m.editPolylineKeys = {-6};
  m.selectionMode = 4;
  m.reset();
  EXPECT_TRUE(m.envelopeKeys.empty() && m.figureKeys.empty() && m.polygonKeys.empty() && m.surfaceKeys.empty());
  EXPECT_EQ(std::tuple(m.initialised, m.compositesKey, m.binKeys[3], m.editPolylineKeys.size(), m.selectionMode),
            std::tuple(1, -5, -9, 1u, 4));
}

TEST(HoopsModel, MarkerTables) {
  const char* symbols[] = {"+", "*", "(.)", "()", "[*]", "/*\\", "<*>", "<*>"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(HoopsModel::markerSymbolText(i == 7 ? -1 : i), symbols[i]) << i;
  const double sizes[] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.5};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(HoopsModel::markerSizeValue(i == 5 ? -3 : i), sizes[i]) << i;
}
