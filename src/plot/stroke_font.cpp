#include "plot/stroke_font.h"

#include <initializer_list>

namespace qx {

namespace {

struct Stroke {
  char pen;
  int x, y;
};

// Glyph 0 is empty; glyphs 1..14 are the symbols 0..13.
const std::initializer_list<Stroke> kGlyphs[] = {
    {},
    // 0 square
    {{'U', -40, -40}, {'D', 40, -40}, {'D', 40, 40}, {'D', -40, 40}, {'D', -40, -40}},
    // 1 octagon (a circle)
    {{'U', -20, -45},
     {'D', 20, -45},
     {'D', 45, -20},
     {'D', 45, 20},
     {'D', 20, 45},
     {'D', -20, 45},
     {'D', -45, 20},
     {'D', -45, -20},
     {'D', -20, -45}},
    // 2 triangle
    {{'U', -45, -35}, {'D', 45, -35}, {'D', 0, 45}, {'D', -45, -35}},
    // 3 plus
    {{'U', -50, 0}, {'D', 50, 0}, {'U', 0, -50}, {'D', 0, 50}},
    // 4 cross
    {{'U', -40, -40}, {'D', 40, 40}, {'U', -40, 40}, {'D', 40, -40}},
    // 5 diamond
    {{'U', 0, -50}, {'D', 50, 0}, {'D', 0, 50}, {'D', -50, 0}, {'D', 0, -50}},
    // 6 arrow up
    {{'U', 0, -50}, {'D', 0, 50}, {'U', -30, 20}, {'D', 0, 50}, {'D', 30, 20}},
    // 7 cross with a bar above
    {{'U', -40, -40}, {'D', 40, 40}, {'D', -40, 40}, {'D', 40, -40}},
    // 8 Z
    {{'U', -40, 40}, {'D', 40, 40}, {'D', -40, -40}, {'D', 40, -40}},
    // 9 Y
    {{'U', -40, 40}, {'D', 0, 0}, {'D', 40, 40}, {'U', 0, 0}, {'D', 0, -50}},
    // 10 square with a cross
    {{'U', -40, -40},
     {'D', 40, -40},
     {'D', 40, 40},
     {'D', -40, 40},
     {'D', -40, -40},
     {'D', 40, 40},
     {'U', -40, 40},
     {'D', 40, -40}},
    // 11 star
    {{'U', -50, 0},
     {'D', 50, 0},
     {'U', 0, -50},
     {'D', 0, 50},
     {'U', -35, -35},
     {'D', 35, 35},
     {'U', -35, 35},
     {'D', 35, -35}},
    // 12 hourglass
    {{'U', -40, 40}, {'D', 40, 40}, {'D', -40, -40}, {'D', 40, -40}, {'D', -40, 40}},
    // 13 vertical bar
    {{'U', 0, -50}, {'D', 0, 50}},
};

}  // namespace

StrokeFont::StrokeFont() {
  for (const auto& glyph : kGlyphs) {
    first_.push_back(static_cast<int>(pen_.size()));
    for (const Stroke& s : glyph) {
      pen_.push_back(s.pen);
      x_.push_back(s.x);
      y_.push_back(s.y);
    }
    last_.push_back(static_cast<int>(pen_.size()) - 1);
  }
}

const StrokeFont& StrokeFont::standard() {
  static const StrokeFont font;
  return font;
}

}  // namespace qx
