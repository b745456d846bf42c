#include "scene/scene_model.h"

namespace qx {

namespace {
HoopsModel::BinVisibility allVisible() {
  HoopsModel::BinVisibility v;
  for (auto& row : v) row.fill(1);
  return v;
}
}  // namespace

HoopsModel::HoopsModel() : binVisibility(allVisible()) {}

void HoopsModel::reset() {
  axisIconShown = 1;
  gridShown = 0;
  gridYZ = gridXZ = gridXY = 1;
  compositesShown = envelopesShown = figuresShown = polygonsShown = surfacesShown = 1;
  binVisibility = allVisible();
  envelopeKeys.clear();
  figureKeys.clear();
  polygonKeys.clear();
  surfaceKeys.clear();
}

std::string_view HoopsModel::markerSymbolText(int index) {
  switch (index) {
    case 0: return "+";
    case 1: return "*";
    case 2: return "(.)";
    case 3: return "()";
    case 4: return "[*]";
    case 5: return "/*\\";
    default: return "<*>";
  }
}

double HoopsModel::markerSizeValue(int index) {
  switch (index) {
    case 0: return 0.1;
    case 1: return 0.2;
    case 2: return 0.3;
    case 3: return 0.4;
    default: return 0.5;
  }
}

void HoopsModel::serialize(Archive& ar) {
  ar.setContext("the scene model");
  for (FPoint3D* p : {&cameraPosition, &cameraTarget, &cameraUp}) {
    ar.io(p->x);
    ar.io(p->y);
    ar.io(p->z);
  }
  ar.io(cameraFieldWidth);
  ar.io(cameraFieldHeight);
  for (std::int32_t* v : {&axisIconShown, &compositesShown, &envelopesShown, &figuresShown, &polygonsShown,
                          &surfacesShown, &gridShown, &gridYZ, &gridXZ, &gridXY, &markerSymbol, &markerSize})
    ar.io(*v);
  for (auto& row : binVisibility)
    for (auto& cell : row) ar.io(cell);
}

}  // namespace qx
