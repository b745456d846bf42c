#pragma once
// The 256 colours of the DXF colour numbers and the nearest of them to an RGB value.
#include <array>

#include "common/types.h"

namespace qx {

// Entries 0 and 7, 8, 9 are black; 1..6 red, yellow, green, cyan, blue,
// magenta; 10..249 twenty-four hues in steps of 15 degrees, each in five
// brightnesses (1, 0.65, 0.5, 0.3, 0.15) full and half-saturated; 250..255
// the grey ramp from 0.33 to white.
const std::array<ColorRef, 256>& dxfPalette();

// The colour number nearest to the RGB value: black gives 7; a grey is looked
// for from 250, any other colour from 1, up to 255; the first exact match
// wins, else the smallest squared distance (the first of equal ones); 255
// (white) is given as 7.
int nearestDxfColor(ColorRef rgb);

// The colour number of a pen: pen n draws with n - 1, pens up to 0 with 0,
// pens beyond 8 with 7.
constexpr int dxfColorOfPen(int pen) { return pen <= 0 ? 0 : (pen > 8 ? 7 : pen - 1); }

}  // namespace qx
