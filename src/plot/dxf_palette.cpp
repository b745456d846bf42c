#include "plot/dxf_palette.h"

#include <cmath>

namespace qx {

namespace {

unsigned toByte(double fraction) { return static_cast<unsigned>(std::lround(fraction * 255.0)); }

std::array<ColorRef, 256> buildPalette() {
  std::array<ColorRef, 256> p{};
  p.fill(makeRgb(0, 0, 0));
  const ColorRef primaries[6] = {makeRgb(255, 0, 0),   makeRgb(255, 255, 0), makeRgb(0, 255, 0),
                                 makeRgb(0, 255, 255), makeRgb(0, 0, 255),   makeRgb(255, 0, 255)};
  for (int i = 0; i < 6; ++i) p[1 + i] = primaries[i];
  const double brightness[5] = {1.0, 0.65, 0.5, 0.3, 0.15};
  for (int hue = 0; hue < 24; ++hue) {
    // The fully saturated colour of the hue (hue * 15 degrees, value 1).
    const double h = hue / 4.0;  // sixths of the circle
    const int sextant = static_cast<int>(h);
    const double rise = h - sextant;
    double rgb[3];
    switch (sextant) {
      case 0: rgb[0] = 1, rgb[1] = rise, rgb[2] = 0; break;
      case 1: rgb[0] = 1 - rise, rgb[1] = 1, rgb[2] = 0; break;
      case 2: rgb[0] = 0, rgb[1] = 1, rgb[2] = rise; break;
      case 3: rgb[0] = 0, rgb[1] = 1 - rise, rgb[2] = 1; break;
      case 4: rgb[0] = rise, rgb[1] = 0, rgb[2] = 1; break;
      default: rgb[0] = 1, rgb[1] = 0, rgb[2] = 1 - rise; break;
    }
    for (int variant = 0; variant < 10; ++variant) {
      const double level = brightness[variant / 2];
      const bool light = variant % 2 == 1;  // halfway to white
      double c[3];
      for (int k = 0; k < 3; ++k) c[k] = (light ? (rgb[k] + 1.0) / 2.0 : rgb[k]) * level;
      p[10 + hue * 10 + variant] = makeRgb(toByte(c[0]), toByte(c[1]), toByte(c[2]));
    }
  }
  const double greys[6] = {0.33, 0.464, 0.598, 0.732, 0.866, 1.0};
  for (int i = 0; i < 6; ++i) p[250 + i] = makeRgb(toByte(greys[i]), toByte(greys[i]), toByte(greys[i]));
  return p;
}

}  // namespace

const std::array<ColorRef, 256>& dxfPalette() {
  static const std::array<ColorRef, 256> palette = buildPalette();
  return palette;
}

int nearestDxfColor(ColorRef rgb) {
  const int r = static_cast<int>(redOf(rgb)), g = static_cast<int>(greenOf(rgb)), b = static_cast<int>(blueOf(rgb));
  if (r == 0 && g == 0 && b == 0) return 7;
  const auto& palette = dxfPalette();
  int best = -1;
  long bestDistance = 0;
  for (int i = (r == g && g == b) ? 250 : 1; i <= 255; ++i) {
    const ColorRef c = palette[static_cast<std::size_t>(i)];
    const long dr = r - static_cast<int>(redOf(c)), dg = g - static_cast<int>(greenOf(c)),
               db = b - static_cast<int>(blueOf(c));
    const long distance = dr * dr + dg * dg + db * db;
    if (distance == 0) {
      best = i;
      break;
    }
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best == 255 ? 7 : best;
}

}  // namespace qx
