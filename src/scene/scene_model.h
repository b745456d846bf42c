#pragma once
// The scene model's display state: the stored camera, which datasets and
// reference-grid planes are shown, the composites' marker style, the
// visibility of each colour bin per colour table, and the keys of the segments
// that the datasets fill. Building the scene tree from it comes with the view.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/types.h"
#include "graphics/types.h"
#include "io/archive.h"

namespace qx {

class HoopsModel {
 public:
  static constexpr int kBinCount = 26;          // bins 0..24 and unbinned (25)
  static constexpr int kVisibilityTables = 26;  // rows of the bin visibility matrix
  using Key = gfx::Key;
  using BinVisibility = std::array<std::array<std::int32_t, kBinCount>, kVisibilityTables>;

  HoopsModel();

  // New project: axis icon shown, grid hidden, the three grid planes and the
  // five dataset switches on, every bin visible, the envelope, figure,
  // polygon and surface key lists emptied. The stored camera, the marker
  // style, the other keys and the initialised flag stay.
  void reset();

  std::int32_t initialised = 0;  // 1 once the scene's aliases are defined
  FPoint3D cameraPosition{0.0f, 0.0f, 100.0f};
  FPoint3D cameraTarget{0.0f, 0.0f, 0.0f};
  FPoint3D cameraUp{0.0f, 1.0f, 0.0f};
  float cameraFieldWidth = 100.0f;
  float cameraFieldHeight = 100.0f;
  std::int32_t axisIconShown = 1;
  std::int32_t gridShown = 0;  // master switch of the reference grid
  std::int32_t gridYZ = 1;
  std::int32_t gridXZ = 1;
  std::int32_t gridXY = 1;
  std::int32_t compositesShown = 1;
  std::int32_t envelopesShown = 1;
  std::int32_t figuresShown = 1;
  std::int32_t polygonsShown = 1;
  std::int32_t surfacesShown = 1;

  // Segment keys; 0 when absent. Not stored.
  Key cuttingPlanesKey = gfx::kNoKey;
  Key nearCuttingPlaneKey = gfx::kNoKey;
  Key farCuttingPlaneKey = gfx::kNoKey;
  Key compositesKey = gfx::kNoKey;
  std::array<Key, kBinCount> binKeys{};
  Key figuresKey = gfx::kNoKey;
  std::vector<Key> figureKeys;  // index i: the key of figure i's segment
  Key polygonsKey = gfx::kNoKey;
  std::vector<Key> polygonKeys;
  Key envelopesKey = gfx::kNoKey;
  std::vector<Key> envelopeKeys;
  Key surfacesKey = gfx::kNoKey;
  std::vector<Key> surfaceKeys;
  Key editPolylineKey = gfx::kNoKey;
  std::vector<Key> editPolylineKeys;

  // Row: colour table; column: bin. A composite bin or a polygon is shown
  // only when its cell is non-zero.
  BinVisibility binVisibility;
  std::int32_t markerSymbol = 0;  // index into markerSymbolText
  std::int32_t markerSize = 2;    // index into markerSizeValue
  // Which dataset is selectable: 0 composites, 1 figures, 2 envelopes,
  // 3 surfaces, 4 polygons, 5 edit polyline. Not stored, not reset.
  std::int32_t selectionMode = 0;

  // 0 "+", 1 "*", 2 "(.)", 3 "()", 4 "[*]", 5 "/*\", any other "<*>".
  static std::string_view markerSymbolText(int index);
  // 0 -> 0.1, 1 -> 0.2, 2 -> 0.3, 3 -> 0.4, any other -> 0.5.
  static double markerSizeValue(int index);

  // Camera position, target, up (3 floats each); field width, height
  // (floats); axis icon, composites, envelopes, figures, polygons, surfaces,
  // grid, grid YZ, grid XZ, grid XY shown (int32); marker symbol; marker
  // size; the 26 x 26 bin visibility matrix row by row (int32). Applying the
  // marker style to the scene after a load is the scene builder's.
  void serialize(Archive& ar);
  static constexpr std::size_t kRecordBytes = 11 * 4 + 12 * 4 + kVisibilityTables * kBinCount * 4;

  friend bool operator==(const HoopsModel&, const HoopsModel&) = default;
};

}  // namespace qx
