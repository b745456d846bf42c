#pragma once
// The DXF side of the plotter: pen moves become POLYLINE/VERTEX/SEQEND, texts
// and numbers TEXT, symbol strokes LINE, in an ASCII DXF file whose every
// line ends with CR LF. Plot coordinates (inches on the sheet) are written
// as they are (mode 'N') or mapped into the world coordinates of the section
// plane through three control points (mode 'S').
#include <array>
#include <string>
#include <string_view>

#include "common/types.h"
#include "plot/plot_sink.h"
#include "plot/stroke_font.h"

namespace qx {

// What a text call writes: n characters of the text (up to a NUL),
// right-aligned within n ("%*.*s"); a single blank when n is 0; CR and LF
// become blanks.
std::string plotTextContent(std::string_view text, int n);
// A number call's text: "%.*f" with the decimals (at most 30), or the value
// truncated to an integer when decimals < 0; in the C locale.
std::string plotNumberText(double value, int decimals);

class CPltDxf {
 public:
  PlotSink* archive = nullptr;
  double scaleFactor = 1.0;  // multiplies plot coordinates and text heights
  DPoint3D current;          // world
  DPoint3D previous;         // world: the pen position before the call
  DPoint2D origin;           // moved by pen codes below 1
  DPoint3D currentOcs;       // the current point in object coordinates (TEXT)
  double unitFactor = 1.0;   // world units per plot inch times the map scale
  double mapScale = 1.0;
  DPoint3D normal{0.0, 0.0, 1.0};  // of the section plane
  double planeDistance = 0.0;
  std::array<std::array<double, 3>, 3> affine{};  // world = (u, v, 1) . affine
  bool polylineOpen = false;
  bool begun = false;
  bool ended = false;
  std::array<std::string, 8> layerNames{"0", "1", "2", "3", "4", "5", "6", "7"};
  std::array<int, 8> layerColors{7, 1, 2, 3, 4, 5, 6, 7};
  char transformMode = 'N';  // 'N' plot units as they are, 'S' through the affine map
  char unitSystem = 'M';     // 'M' 0.0254 world units per inch, 'I' 1/12
  std::array<DPoint3D, 3> controlWorld{};
  std::array<DPoint2D, 3> controlSheet{DPoint2D{1.5, 2.5}, DPoint2D{}, DPoint2D{}};
  const StrokeFont* font = &StrokeFont::standard();
  std::string layer = "0";
  int color = 7;

  // Resets the points, the origin and the factor; writes the file head when
  // asked; sets up the unit factor, the affine map and the plane.
  void begin(PlotSink* sink, bool writeHead);
  // Pen 2 (or -2) draws, other codes move; 14 or more end the file.
  void plot(double x, double y, int pen);
  // n characters of the text, right-aligned within n ("%*.*s"); a single
  // blank when n is 0. CR and LF become blanks.
  void text(double x, double y, double height, std::string_view text, double angle, int n);
  // The value with the decimals, or truncated to an integer when decimals < 0.
  void number(double x, double y, double height, double value, double angle, int decimals);
  // Symbol code 0..13 centred at the point, as LINE strokes; |pen| = 2 first
  // draws a LINE to the centre. Other codes write nothing.
  void symbol(double x, double y, double height, double angle, int pen, int code);
  void setScaleFactor(double f) { scaleFactor = f; }
  void setColor(int number) { color = number; }
  // An empty name is layer "0".
  void setLayer(std::string_view name) { layer = name.empty() ? std::string("0") : std::string(name); }

  // The world point of a sheet point (x, y), with the OCS point of TEXT in
  // currentOcs; also sets current.
  DPoint3D map(double x, double y);

 private:
  void line(std::string_view s);
  void fixed(double value, int width, int decimals);
  // A point: group code `code` and X, code + 10 and Y, code + 20 and Z.
  void triple(int code, const DPoint3D& p, int width, int decimals);
  void colorLine();
  void vertex(const DPoint3D& p, bool first);
  void lineEntity(const DPoint3D& from, const DPoint3D& to);
  void closePolyline();
  void textEntity(double height, std::string_view content, double angle);
  void buildAffine();
};

}  // namespace qx
