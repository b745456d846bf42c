#pragma once
// The stroke font of the plot symbols: each glyph a run of strokes, a pen
// letter ('U' moves, 'D' draws) and x, y in hundredths of the character
// height relative to the glyph's centre. Symbol code s (0..13) draws glyph
// s + 1; every glyph lies within one symbol height around its centre.
#include <vector>

namespace qx {

class StrokeFont {
 public:
  static constexpr int kSymbolCount = 14;

  StrokeFont();
  int glyphCount() const { return static_cast<int>(first_.size()); }
  // Strokes first(g) .. last(g) inclusive; an empty glyph has last < first.
  int first(int glyph) const { return first_[static_cast<std::size_t>(glyph)]; }
  int last(int glyph) const { return last_[static_cast<std::size_t>(glyph)]; }
  char pen(int stroke) const { return pen_[static_cast<std::size_t>(stroke)]; }
  int x(int stroke) const { return x_[static_cast<std::size_t>(stroke)]; }
  int y(int stroke) const { return y_[static_cast<std::size_t>(stroke)]; }

  // The font shared by every plot.
  static const StrokeFont& standard();

 private:
  std::vector<int> first_, last_;
  std::vector<char> pen_;
  std::vector<int> x_, y_;
};

}  // namespace qx
