#include "plot/plt_dxf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <utility>

namespace qx {

namespace {

// A value as "%*.*f" in the C locale, whatever the process's locale.
std::string formatFixed(double value, int width, int decimals) {
  char digits[400];
  std::string s;
  const auto r = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  if (r.ec == std::errc())
    s.assign(digits, r.ptr);
  else
    s = value < 0 ? "-1e+308" : "1e+308";  // beyond 400 characters: never on a sheet
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
  return s;
}

// CR and LF would break the file's lines: they are written as blanks.
std::string oneLine(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

}  // namespace

std::string plotTextContent(std::string_view text, int n) {
  if (n <= 0) return " ";
  std::string_view s = text.substr(0, std::min(text.size(), static_cast<std::size_t>(n)));
  s = s.substr(0, s.find('\0'));
  std::string content(static_cast<std::size_t>(n) - s.size(), ' ');
  content.append(s);
  return oneLine(content);
}

std::string plotNumberText(double value, int decimals) {
  return decimals < 0 ? formatFixed(std::trunc(value), 0, 0) : formatFixed(value, 0, std::min(decimals, 30));
}

void CPltDxf::line(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  out.append(s);
  out.append("\r\n");
  archive->write(out);
}

void CPltDxf::fixed(double value, int width, int decimals) { line(formatFixed(value, width, decimals)); }

void CPltDxf::colorLine() {
  line(" 62");
  line(formatFixed(color, 6, 0));
}

void CPltDxf::begin(PlotSink* sink, bool writeHead) {
  archive = sink;
  current = previous = currentOcs = DPoint3D();
  origin = DPoint2D();
  scaleFactor = 1.0;
  polylineOpen = false;
  ended = false;
  begun = true;
  if (writeHead) {
    line("  0");
    line("SECTION");
    line("  2");
    line("ENTITIES");
  }
  if (transformMode != 'N') {
    unitFactor = mapScale * (unitSystem == 'I' ? 1.0 / 12.0 : 0.0254);
    buildAffine();
  } else {
    unitFactor = 1.0;
    normal = {0.0, 0.0, 1.0};
    planeDistance = 0.0;
  }
}

namespace {

// Solves m . a = rhs for a (3 x 3, three right-hand sides) by Gauss
// elimination with partial pivoting; false when m is singular.
bool solve3(std::array<std::array<double, 3>, 3> m, std::array<std::array<double, 3>, 3> rhs,
            std::array<std::array<double, 3>, 3>& a) {
  for (int col = 0; col < 3; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 3; ++r)
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    if (std::fabs(m[pivot][col]) < 1e-300) return false;
    std::swap(m[col], m[pivot]);
    std::swap(rhs[col], rhs[pivot]);
    for (int r = col + 1; r < 3; ++r) {
      const double factor = m[r][col] / m[col][col];
      for (int c = col; c < 3; ++c) m[r][c] -= factor * m[col][c];
      for (int c = 0; c < 3; ++c) rhs[r][c] -= factor * rhs[col][c];
    }
  }
  for (int r = 2; r >= 0; --r)
    for (int c = 0; c < 3; ++c) {
      double s = rhs[r][c];
      for (int k = r + 1; k < 3; ++k) s -= m[r][k] * a[k][c];
      a[r][c] = s / m[r][r];
    }
  return true;
}

bool isZero(const DPoint3D& p) { return p.x == 0.0 && p.y == 0.0 && p.z == 0.0; }

}  // namespace

void CPltDxf::buildAffine() {
  const double k = unitFactor;
  std::array<DPoint3D, 3> world = controlWorld;
  std::array<DPoint2D, 3> sheet = controlSheet;
  const bool threePoints = !isZero(world[1]) || !isZero(world[2]);
  if (!threePoints) {
    // Only the first point: a translation at unit scale.
    world[1] = world[0] + DPoint3D{k, 0.0, 0.0};
    world[2] = world[0] + DPoint3D{0.0, k, 0.0};
    sheet[1] = {sheet[0].x + 1.0, sheet[0].y};
    sheet[2] = {sheet[0].x, sheet[0].y + 1.0};
  }
  std::array<std::array<double, 3>, 3> m{}, rhs{};
  for (int i = 0; i < 3; ++i) {
    m[i] = {sheet[i].x * k, sheet[i].y * k, 1.0};
    rhs[i] = {world[i].x, world[i].y, world[i].z};
  }
  if (!solve3(m, rhs, affine)) {
    // Control points on one line: the translation of the first point.
    affine = {{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 0.0}}};
    affine[2] = {world[0].x - sheet[0].x * k, world[0].y - sheet[0].y * k, world[0].z};
  }
  normal = {0.0, 0.0, 1.0};
  planeDistance = world[0].z;
  if (threePoints) {
    const DPoint3D a = world[1] - world[0], b = world[2] - world[0];
    const DPoint3D n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length > 0.0) {
      normal = {n.x / length, n.y / length, n.z / length};
      planeDistance = normal.x * world[0].x + normal.y * world[0].y + normal.z * world[0].z;
    }
  }
}

DPoint3D CPltDxf::map(double x, double y) {
  const double u = (x * scaleFactor + origin.x) * unitFactor;
  const double v = (y * scaleFactor + origin.y) * unitFactor;
  if (transformMode == 'S') {
    for (int j = 0; j < 3; ++j) {
      const double w = u * affine[0][j] + v * affine[1][j] + affine[2][j];
      (j == 0 ? current.x : j == 1 ? current.y : current.z) = w;
    }
  } else {
    current = {u, v, 0.0};
  }
  const double nx = normal.x, ny = normal.y, nz = normal.z;
  if (std::fabs(nx) < 1.0 / 64.0 && std::fabs(ny) < 1.0 / 64.0) {
    currentOcs = current;
  } else {
    // The arbitrary-axis rule for a plane that is not horizontal.
    const DPoint3D& w = current;
    currentOcs = {w.y * nx - w.x * ny, -w.x * nz * nx - w.y * nz * ny + (nx * nx + ny * ny) * w.z, planeDistance};
  }
  return current;
}

void CPltDxf::vertex(const DPoint3D& p, bool first) {
  line("  0");
  line("VERTEX");
  line("  8");
  line(oneLine(layer));
  if (!first) colorLine();
  line(" 70");
  line(first ? "    32" : "   32");
  triple(10, p, 12, 3);
}

void CPltDxf::closePolyline() {
  if (!polylineOpen) return;
  line("  0");
  line("SEQEND");
  line("  8");
  line(oneLine(layer));
  colorLine();
  polylineOpen = false;
}

void CPltDxf::plot(double x, double y, int pen) {
  if (!begun || ended) return;
  if (pen >= 14) {
    closePolyline();
    line("  0");
    line("ENDSEC");
    line("  0");
    line("EOF");
    ended = true;
    return;
  }
  map(x, y);
  if (pen == 2 || pen == -2) {
    if (!polylineOpen) {
      line("  0");
      line("POLYLINE");
      line("  8");
      line(oneLine(layer));
      colorLine();
      line(" 66");
      line("     1");
      line(" 70");
      line("     8");
      vertex(previous, true);
      vertex(current, true);
      polylineOpen = true;
    } else {
      vertex(current, false);
    }
  } else {
    closePolyline();
  }
  previous = current;
  if (pen < 1) {
    origin.x += x * scaleFactor;
    origin.y += y * scaleFactor;
  }
}

void CPltDxf::triple(int code, const DPoint3D& p, int width, int decimals) {
  // The group codes of X, then Y (code + 10) and Z (code + 20), each as "%3d".
  const double values[3] = {p.x, p.y, p.z};
  for (int k = 0; k < 3; ++k) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%3d", code + 10 * k);
    line(buf);
    fixed(values[k], width, decimals);
  }
}

void CPltDxf::textEntity(double height, std::string_view content, double angle) {
  closePolyline();
  line("  0");
  line("TEXT");
  line("  8");
  line(oneLine(layer));
  colorLine();
  triple(10, currentOcs, 12, 3);
  line(" 40");
  fixed(unitFactor * scaleFactor * std::fabs(height), 7, 3);
  triple(210, normal, 9, 6);
  line("  1");
  line(oneLine(content));
  line(" 50");
  double a = std::fmod(angle, 360.0);
  if (a < 0.0) a += 360.0;
  fixed(a, 10, 3);
  line(" 41");
  fixed(1.0, 10, 6);
}

void CPltDxf::text(double x, double y, double height, std::string_view text, double angle, int n) {
  if (!begun || ended) return;
  map(x, y);
  textEntity(height, plotTextContent(text, n), angle);
}

void CPltDxf::number(double x, double y, double height, double value, double angle, int decimals) {
  if (!begun || ended) return;
  map(x, y);
  textEntity(height, plotNumberText(value, decimals), angle);
}

void CPltDxf::lineEntity(const DPoint3D& from, const DPoint3D& to) {
  line("  0");
  line("LINE");
  line("  8");
  line(oneLine(layer));
  colorLine();
  triple(10, from, 12, 3);
  triple(11, to, 12, 3);
}

void CPltDxf::symbol(double x, double y, double height, double angle, int pen, int code) {
  if (!begun || ended || code < 0 || code >= StrokeFont::kSymbolCount) return;
  // LINE entities cannot stand inside a polyline's vertices.
  closePolyline();
  const DPoint3D centre = map(x, y);
  if (pen == 2 || pen == -2) lineEntity(previous, centre);
  previous = centre;
  const double a = -angle * std::numbers::pi / 180.0;
  const double c = std::cos(a), s = std::sin(a);
  const int glyph = code + 1;
  for (int i = font->first(glyph); i <= font->last(glyph); ++i) {
    const double ox = font->x(i) * height / 100.0, oy = font->y(i) * height / 100.0;
    const DPoint3D p = map(x + ox * c + oy * s, y + oy * c - ox * s);
    if (font->pen(i) == 'D') lineEntity(previous, p);
    previous = p;
  }
}

}  // namespace qx
