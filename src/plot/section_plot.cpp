#include "plot/section_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "datasets/color_table.h"
#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "port/ui_port.h"
#include "project/quarlex_settings.h"
#include "sections/sections.h"

#ifndef QX_PLOT_VERSION
#define QX_PLOT_VERSION "0"
#endif

namespace qx {

namespace {

constexpr double kInchesPerMetre = 39.370078740157474;

DPoint3D cross(const DPoint3D& a, const DPoint3D& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(const DPoint3D& a, const DPoint3D& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

std::string printf(const char* format, auto... args) {
  char buf[512];
  std::snprintf(buf, sizeof buf, format, args...);
  return buf;
}

std::string nowText() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, "%m/%d/%Y  %H:%M", &tm);
  return buf;
}

// A point inside an outline for its label: the middle of the first span of a
// horizontal line through the middle of its height.
DPoint2D labelPoint(const std::vector<DPoint2D>& pts) {
  double lo = pts[0].y, hi = pts[0].y;
  for (const auto& p : pts) lo = std::min(lo, p.y), hi = std::max(hi, p.y);
  const double y = (lo + hi) / 2;
  std::vector<double> xs;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const DPoint2D& a = pts[i];
    const DPoint2D& b = pts[(i + 1) % pts.size()];
    if ((a.y <= y) != (b.y <= y)) xs.push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y));
  }
  std::sort(xs.begin(), xs.end());
  if (xs.size() < 2) return pts[0];
  return {(xs[0] + xs[1]) / 2, y};
}

const char* legendName(const std::string& field) {
  if (field == "Specific Gravity") return "S.G.";
  if (field == "Ore Tonnage") return "Ore Ton";
  if (field == "Overburden Tonnage") return "Ovbd Ton";
  if (field == "Waste Tonnage") return "Waste Ton";
  return nullptr;
}

}  // namespace

SectionFrame::SectionFrame(const Section& s) {
  origin = {s.target.x, s.target.y, s.target.z};
  const double az = s.azimuth * kRadiansPerDegree;
  const DPoint3D view = s.viewDirection();
  const DPoint3D right{std::cos(az), -std::sin(az), 0.0};
  axes = {right, cross(right, view), view};
}

DPoint3D SectionFrame::toSection(const DPoint3D& p) const {
  const DPoint3D d{p.x - origin.x, p.y - origin.y, p.z - origin.z};
  return {dot(axes[0], d), dot(axes[1], d), dot(axes[2], d)};
}

DPoint3D SectionFrame::toWorld(const DPoint3D& s) const {
  DPoint3D p = origin;
  for (int i = 0; i < 3; ++i) {
    const double c = i == 0 ? s.x : i == 1 ? s.y : s.z;
    p.x += axes[i].x * c;
    p.y += axes[i].y * c;
    p.z += axes[i].z * c;
  }
  return p;
}

std::string plotFileName(const std::string& directory, const std::string& sectionName, PlotOutput kind) {
  std::string path = directory + "\\";
  for (std::size_t at; (at = path.find("\\\\")) != std::string::npos;) path.replace(at, 2, "\\");
  std::string name = sectionName;
  std::replace(name.begin(), name.end(), '.', '_');
  return path + name + (kind == PlotOutput::Marneth ? ".plt" : kind == PlotOutput::Dxf ? ".dxf" : ".pdf");
}

std::filesystem::path safePlotPath(const std::filesystem::path& directory, const std::string& sectionName,
                                   PlotOutput kind) {
  std::string name = sectionName;
  for (char& c : name)
    if (c == '.' || c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 32) c = '_';
  if (name.find_first_not_of('_') == std::string::npos) return {};
  return directory / (name + (kind == PlotOutput::Marneth ? ".plt" : kind == PlotOutput::Dxf ? ".dxf" : ".pdf"));
}

PlotOutput plotOutputOf(int outputKind) {
  return outputKind == 0 ? PlotOutput::Marneth : outputKind == 2 ? PlotOutput::Pdf : PlotOutput::Dxf;
}

SectionPlot::SectionPlot(const PlotProject& project, const MapProfileDef& profile, PlotOutput kind,
                         bool worldCoordinates)
    : timestamp(nowText()),
      project_(project),
      profile_(profile),
      kind_(kind),
      world_(worldCoordinates),
      frame_(Section()) {}

void SectionPlot::setUp(const Section& section) {
  frame_ = SectionFrame(section);
  mapScale = profile_.mapScale <= 1e-10 ? 1.0 : profile_.mapScale;
  const bool metric = profile_.unitSystem == 1;
  sheetFactor = metric ? kInchesPerMetre / mapScale : 12.0 / mapScale;

  // The window in world coordinates.
  DPoint3D lo = project_.settings.extentsMin, hi = project_.settings.extentsMax;
  if (lo.x > hi.x) lo = project_.composites.minCorner, hi = project_.composites.maxCorner;
  const bool box =
      profile_.extentMode == 1 && !(profile_.boxMin.x == profile_.boxMax.x && profile_.boxMin.y == profile_.boxMax.y &&
                                    profile_.boxMin.z == profile_.boxMax.z);
  if (box) {
    lo = profile_.boxMin, hi = profile_.boxMax;
  } else {
    for (double* v : {&lo.x, &lo.y, &lo.z}) *v -= std::fabs(*v) * 0.05;
    for (double* v : {&hi.x, &hi.y, &hi.z}) *v += std::fabs(*v) * 0.05;
  }
  windowMin = {1e300, 1e300, 1e300};
  windowMax = {-1e300, -1e300, -1e300};
  for (int c = 0; c < 8; ++c) {
    const DPoint3D s = frame_.toSection({c & 1 ? hi.x : lo.x, c & 2 ? hi.y : lo.y, c & 4 ? hi.z : lo.z});
    windowMin = {std::min(windowMin.x, s.x), std::min(windowMin.y, s.y), std::min(windowMin.z, s.z)};
    windowMax = {std::max(windowMax.x, s.x), std::max(windowMax.y, s.y), std::max(windowMax.z, s.z)};
  }

  // The slab: the section's depths toward and away from the viewer; both 0
  // take half the window's depth on each side.
  double front = section.slabFront, back = section.slabBack;
  if (back == 0 && front > 0) back = front / 2;
  if (front == 0 && back > 0) front = back / 2;
  if (front == 0 && back == 0) front = back = (windowMax.z - windowMin.z) / 2;
  slabNear = -front, slabFar = back;
  if (project_.settings.projectType == kProject2D) slabNear = -10.0, slabFar = 10.0;

  width = (windowMax.x - windowMin.x) * sheetFactor;
  height = (windowMax.y - windowMin.y) * sheetFactor;
  margin = profile_.frameStyle == 1   ? DPoint2D{0.25, 0.25}
           : profile_.frameStyle == 2 ? DPoint2D{0.2, 2.56}
                                      : DPoint2D{1.5, 2.5};

  CPltDxf& dxf = plot_.dxf;
  dxf.layerNames = {"0", "1", "2", "3", "4", "5", "6", "7"};
  dxf.layerColors = {7, 1, 2, 3, 4, 5, 6, 7};
  dxf.unitSystem = metric ? 'M' : 'I';
  dxf.mapScale = mapScale;
  dxf.transformMode = world_ ? 'S' : 'N';
  const DPoint3D corners[3] = {
      {windowMin.x, windowMin.y, 0}, {windowMax.x, windowMin.y, 0}, {windowMin.x, windowMax.y, 0}};
  const DPoint2D sheets[3] = {margin, {margin.x + width, margin.y}, {margin.x, margin.y + height}};
  for (int i = 0; i < 3; ++i) {
    dxf.controlWorld[static_cast<std::size_t>(i)] = frame_.toWorld(corners[i]);
    dxf.controlSheet[static_cast<std::size_t>(i)] = sheets[i];
  }
}

int SectionPlot::plot(const std::string& fileName, const Section& section, UiPort& port) {
  setUp(section);
  plot_.output = kind_;
  if (!plot_.open(true, 0, fileName)) {
    port.message(kInvalidFile, MessageButtons::Ok, MessageIcon::Warning);
    return 0;
  }
  compose(fileName);
  return 1;
}

void SectionPlot::plot(PlotSink& sink, const std::string& fileName, const Section& section) {
  setUp(section);
  plot_.output = kind_;
  plot_.open(true, 0, sink);
  compose(fileName);
}

void SectionPlot::compose(const std::string& fileName) {
  plot_.layer("Frame");
  frame(fileName);
  plot_.layer("Composites");
  if (profile_.plotComposites) composites();
  plot_.layer("Polygons");
  if (profile_.plotPolygons) polygons();
  plot_.layer("Figures");
  if (profile_.plotFigures) figures();
  plot_.layer("Envelopes");
  if (profile_.plotEnvelopes) envelopes();
  plot_.plot(0, 0, kPenEnd);
}

void SectionPlot::line(double x1, double y1, double x2, double y2) {
  plot_.plot(x1, y1, kPenUp);
  plot_.plot(x2, y2, kPenDown);
}

void SectionPlot::frame(const std::string& fileName) {
  plot_.pen(1);
  double w = width, h = height;
  if (profile_.frameStyle == 0) {
    w += 3.0, h += 3.5;
  } else {
    w += profile_.frameStyle == 1 ? 0.5 : 0.4;
    h += profile_.frameStyle == 1 ? 0.5 : 2.76;
    if (w > h * 4.0 / 3.0)
      h = w * 0.75;
    else
      w = h * 4.0 / 3.0;
  }
  plot_.sheetSize(w, h);
  plot_.plot(margin.x, margin.y, -3);
  plot_.scaleFactor(1.0);
  if (profile_.plotFrame) {
    if (profile_.frameStyle == 1)
      compactTitleBlock(fileName);
    else if (profile_.frameStyle == 2)
      titleBlock(0.06, 0.2, fileName);
    else
      titleBlock(0.0, 1.5, fileName);
    graduations();
  }
  if (profile_.plotLegend) legend();
}

void SectionPlot::titleBlock(double d, double side, const std::string& fileName) {
  const double W = width, H = height, R = W + side;
  const double bottom = d > 0 ? -2.56 : -2.5, top = d > 0 ? H + 0.2 : H + 1.0;
  const double left = d > 0 ? -0.2 : -1.5;
  const double rect[][2] = {{0, 0}, {W, 0}, {W, H}, {0, H}, {0, 0}};
  const double border[][2] = {{left, bottom}, {R, bottom}, {R, top}, {left, top}, {left, bottom}};
  for (const auto* poly : {rect, border})
    for (int i = 0; i < 5; ++i) plot_.plot(poly[i][0], poly[i][1], i == 0 ? kPenUp : kPenDown);
  line(left, -0.5 - d, R, -0.5 - d);
  line(left, -0.48 - d, R, -0.48 - d);
  line(R - 10.5, -2.5 - d, R - 10.5, -0.5 - d);
  line(R - 7.0, -0.5 - d, R - 7.0, -2.5 - d);
  line(R - 5.0, -0.5 - d, R - 5.0, -2.5 - d);
  line(R - 6.0, -0.5 - d, R - 6.0, -1.7 - d);
  for (double y : {-2.1, -1.22, -0.74}) line(R - 7.0, y - d, R - 5.0, y - d);
  line(R - 5.0, -1.7 - d, R - 10.5, -1.7 - d);
  for (double y : {-1.46, -0.98}) line(R, y - d, R - 7.0, y - d);

  const auto text = [&](double x, double y, double h, const std::string& s, double angle = 0.0) {
    plot_.text(x, y - d, h, s, angle, static_cast<int>(s.size()));
  };
  text(R - 4.9, -0.82, 0.16, organisation);
  text(R - 4.9, -1.3, 0.16, profile_.mainTitle);
  const double subY[] = {-1.7, -1.93, -2.16, -2.39};
  for (int i = 0; i < 4; ++i) text(R - 4.9, subY[i], 0.12, profile_.subTitles[static_cast<std::size_t>(i)]);
  text(R - 6.95, -2.37, 0.08, printf("DWG %s   %s", profile_.drawingNumber.c_str(), profile_.mainTitle.c_str()));
  text(R - 6.82, -0.66, 0.08, "DRAWN BY");
  text(R - 5.66, -0.66, 0.08, "DATE");
  text(R - 6.9, -1.14, 0.08, "REVISED BY");
  text(R - 5.66, -1.14, 0.08, "DATE");
  text(R - 6.95, -1.97, 0.08, "SCALE ");
  text(R - 6.23, -1.97, 0.08, "1:");
  plot_.number(R - 5.99, -1.97 - d, 0.08, mapScale, 0.0, -1);
  if (profile_.plotScaleRuler) scaleRuler(R - 10.3, -2.2 - d);
  if (profile_.plotNorthArrow) northArrow(R - 8.75, -1.1 - d);
  text(R + 0.25, -2.5, 0.06, "KORV", 90.0);
  text(R + 0.25, -2.2, 0.06, std::string("Quarlex v") + QX_PLOT_VERSION, 90.0);
  text(R + 0.25, -1.28, 0.06, "DATE", 90.0);
  text(R + 0.25, -0.98, 0.06, timestamp, 90.0);
  plot_.text(R + 0.25, 0.35, 0.06, fileName, 90.0, static_cast<int>(fileName.size()));
}

void SectionPlot::compactTitleBlock(const std::string& fileName) {
  const double W = width, H = height;
  const double rect[][2] = {{0, 0}, {W, 0}, {W, H}, {0, H}, {0, 0}};
  const double border[][2] = {
      {-0.25, -0.25}, {W + 0.25, -0.25}, {W + 0.25, H + 0.25}, {-0.25, H + 0.25}, {-0.25, -0.25}};
  for (const auto* poly : {rect, border})
    for (int i = 0; i < 5; ++i) plot_.plot(poly[i][0], poly[i][1], i == 0 ? kPenUp : kPenDown);
  const auto text = [&](double x, double y, double h, const std::string& s, double angle) {
    plot_.text(x, y, h, s, angle, static_cast<int>(s.size()));
  };
  text(0.0, -0.175, 0.1,
       printf("DWG %s    KORV Quarlex v%s    DATE %s", profile_.drawingNumber.c_str(), QX_PLOT_VERSION,
              timestamp.c_str()),
       0.0);
  text(0.0, H + 0.075, 0.1, profile_.mainTitle, 0.0);
  text(W + 0.175, 0.0, 0.1, printf("SCALE 1:%.0f", mapScale), 90.0);
  text(-0.075, 0.0, 0.1, fileName, 90.0);
  std::string subs;
  for (const auto& s : profile_.subTitles)
    if (!s.empty()) subs += (subs.empty() ? "" : "  ") + s;
  text(W / 2, H + 0.075, 0.1, subs, 0.0);
  text(-0.2, -0.2, 0.06, organisation, 0.0);
}

namespace {

double componentOf(const DPoint3D& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

// The decimals that write a number of a graduation exactly (at most 6).
int decimalsOf(double v) {
  int d = 0;
  for (double scaled = std::fabs(v); d < 6 && std::fabs(scaled - std::round(scaled)) > 1e-6 * std::max(1.0, scaled);
       scaled *= 10)
    ++d;
  return d;
}

}  // namespace

// Ticks along the drawing's edges for East, North and Elevation: where the
// coordinate is the graduation's value plus a whole number of intervals, on
// the edges chosen under "Graduations along:" (horizontal, vertical or both)
// along which the coordinate changes, 0.1 inch outward on both sides of the
// drawing, each labelled with its coordinate and notation (a negative
// coordinate without a negative notation keeps its sign) in the character
// height of the profile.
void SectionPlot::graduations() {
  const double h = profile_.characterHeight < 0.01 ? 0.05 : profile_.characterHeight;
  const DPoint3D corner = frame_.toWorld({windowMin.x, windowMin.y, 0.0});
  for (int c = 0; c < 3; ++c) {
    const MapGraduation& g = profile_.graduations[static_cast<std::size_t>(c)];
    if (!(g.interval > 0.0) || !std::isfinite(g.value)) continue;
    const int decimals = std::max(decimalsOf(g.interval), decimalsOf(g.value));
    for (int edge = 0; edge < 2; ++edge) {  // 0 the horizontal edges, 1 the vertical ones
      if (g.axis != 2 && g.axis != edge) continue;
      const double perInch = componentOf(frame_.axes[static_cast<std::size_t>(edge)], c) / sheetFactor;
      if (std::fabs(perInch) * sheetFactor < 1e-9) continue;  // the coordinate does not change along it
      const double length = edge == 0 ? width : height, start = componentOf(corner, c);
      const double lo = std::min(start, start + perInch * length), hi = std::max(start, start + perInch * length);
      const double first = std::ceil((lo - g.value) / g.interval - 1e-9);
      const double last = std::floor((hi - g.value) / g.interval + 1e-9);
      if (last - first > 1000) continue;  // an interval far too fine for the sheet
      for (double k = first; k <= last; ++k) {
        double v = g.value + k * g.interval;
        if (std::fabs(v) < g.interval * 1e-9) v = 0.0;
        const double t = (v - start) / perInch;
        const std::string label = v < 0 && !g.negativeNotation.empty()
                                      ? printf("%.*f%s", decimals, -v, g.negativeNotation.c_str())
                                      : printf("%.*f%s", decimals, v, v < 0 ? "" : g.positiveNotation.c_str());
        const int n = static_cast<int>(label.size());
        const double along = t - 0.3 * h * n;  // the label centred on the tick
        if (edge == 0) {
          line(t, 0.0, t, -0.1);
          line(t, height, t, height + 0.1);
          plot_.text(along, -0.1 - 1.3 * h, h, label, 0.0, n);
          plot_.text(along, height + 0.1 + 0.3 * h, h, label, 0.0, n);
        } else {
          line(0.0, t, -0.1, t);
          line(width, t, width + 0.1, t);
          plot_.text(-0.1 - 0.3 * h, along, h, label, 90.0, n);
          plot_.text(width + 0.1 + 1.3 * h, along, h, label, 90.0, n);
        }
      }
    }
  }
}

// A ruler of ten divisions of a round length that fits in two inches.
void SectionPlot::scaleRuler(double x, double y) {
  const double perInch = 1.0 / sheetFactor;
  double step = std::pow(10.0, std::floor(std::log10(perInch * 2.0 / 10.0)));
  while (step * 10 * sheetFactor > 2.0) step /= 2;
  const double inch = step * sheetFactor;
  line(x, y, x + 10 * inch, y);
  for (int i = 0; i <= 10; ++i) line(x + i * inch, y, x + i * inch, y + (i % 5 == 0 ? 0.1 : 0.05));
  plot_.number(x, y + 0.15, 0.06, 0.0, 0.0, -1);
  plot_.number(x + 10 * inch, y + 0.15, 0.06, step * 10, 0.0, -1);
  const std::string unit = profile_.unitSystem == 1 ? "METRES" : "FEET";
  plot_.text(x + 4 * inch, y - 0.12, 0.06, unit, 0.0, static_cast<int>(unit.size()));
}

void SectionPlot::northArrow(double x, double y) {
  const double a = profile_.northArrowBearing * kRadiansPerDegree;
  const auto at = [&](double u, double v) {
    return DPoint2D{x + u * std::cos(a) + v * std::sin(a), y - u * std::sin(a) + v * std::cos(a)};
  };
  const DPoint2D pts[] = {at(0, -0.3), at(0, 0.3), at(-0.08, 0.15), at(0.08, 0.15), at(0, 0.3)};
  for (int i = 0; i < 5; ++i) plot_.plot(pts[i].x, pts[i].y, i == 0 || i == 2 ? kPenUp : kPenDown);
  const DPoint2D n = at(-0.03, 0.36);
  plot_.text(n.x, n.y, 0.08, "N", -profile_.northArrowBearing, 1);
}

void SectionPlot::legend() {
  double x = 0.0;
  const auto box = [&](const char* heading, const std::vector<MapVariablesDef>& labels) {
    std::vector<std::string> lines;
    for (const auto& l : labels) {
      if (!l.plot) continue;
      const char* shortName = legendName(l.name);
      lines.push_back(shortName ? shortName : printf("%-*.*s", l.width, l.width, l.name.c_str()));
    }
    const double h = 0.1 * (static_cast<double>(lines.size()) + 1) + 0.05;
    const double y = -0.1;
    const double pts[][2] = {{x, y}, {x + 1.2, y}, {x + 1.2, y - h}, {x, y - h}, {x, y}};
    for (int i = 0; i < 5; ++i) plot_.plot(pts[i][0], pts[i][1], i == 0 ? kPenUp : kPenDown);
    line(x, y - 0.13, x + 1.2, y - 0.13);
    const std::string head = printf("%-s", heading);
    plot_.text(x + 0.05, y - 0.1, 0.06, head, 0.0, static_cast<int>(head.size()));
    for (std::size_t i = 0; i < lines.size(); ++i)
      plot_.text(x + 0.05, y - 0.23 - 0.1 * static_cast<double>(i), 0.06, lines[i], 0.0,
                 static_cast<int>(lines[i].size()));
    x += 1.4;
  };
  if (profile_.plotFigures) box("FIGURES", profile_.figureLabels);
  if (profile_.plotPolygons) box("POLYGONS", profile_.polygonLabels);
}

DPoint2D SectionPlot::toSheet(const DPoint3D& world) const {
  const DPoint3D s = frame_.toSection(world);
  return {(s.x - windowMin.x) * sheetFactor, (s.y - windowMin.y) * sheetFactor};
}

int SectionPlot::binOf(int table, const std::vector<double>& values) const {
  const auto loaded = project_.settings.variableNames();
  const std::vector<std::string> names(loaded.begin(), loaded.begin() + project_.settings.loadedCount());
  const std::vector<std::string> calc(loaded.begin() + project_.settings.loadedCount(), loaded.end());
  return BinClassifier(project_.colours, table, names, calc).classify(values);
}

bool SectionPlot::binShown(int table, int bin) const {
  const auto* rows = project_.binVisibility;
  if (rows == nullptr || table < 0 || table >= static_cast<int>(rows->size()) || bin < 0 ||
      bin > CColorTable::kUnbinned)
    return true;
  return (*rows)[static_cast<std::size_t>(table)][static_cast<std::size_t>(bin)] != 0;
}

ColorRef SectionPlot::binColour(int table, const std::vector<double>& values, bool& found) const {
  const int bin = binOf(table, values);
  found = bin < CColorTable::kUnbinned;
  return found ? static_cast<ColorRef>(project_.colours.bin(table, bin).colour) : 0;
}

namespace {
int variableIndex(const QuarlexSettings& settings, const std::string& name) {
  const auto names = settings.variableNames();
  const auto it = std::find(names.begin(), names.end(), name);
  return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}
}  // namespace

// An item's own colour: its bin in the current colour table.
ColorRef SectionPlot::ownColour(int bin) const {
  const int table = project_.colours.currentTable;
  if (table < 0 || table >= CColorTable::kTableCount || bin < 0 || bin >= CColorTable::kBinsPerTable) return 0;
  return static_cast<ColorRef>(project_.colours.bin(table, bin).colour);
}

void SectionPlot::composites() {
  const double size = profile_.compositeTextSize < 0.001 ? 0.025 : profile_.compositeTextSize;
  for (const CComposite& c : project_.composites.composites) {
    const DPoint3D s = frame_.toSection(c.position);
    const double u = (s.x - windowMin.x) * sheetFactor, v = (s.y - windowMin.y) * sheetFactor;
    if (s.z < slabNear || s.z > slabFar || u < 0 || u > width || v < 0 || v > height) continue;
    if (!profile_.doNotLimitComposites) {
      const auto& flags = profile_.envelopeFlags;
      if (c.envelopeIndex < 0 || c.envelopeIndex >= static_cast<int>(flags.size()) ||
          !flags[static_cast<std::size_t>(c.envelopeIndex)].plotComposites)
        continue;
    }
    std::vector<double> values = c.values;
    values.insert(values.end(), c.calcValues.begin(), c.calcValues.end());
    // A bin hidden in the view hides its composites here too.
    const int bin = binOf(profile_.compositeColorTable, values);
    if (!binShown(profile_.compositeColorTable, bin)) continue;
    plot_.color(bin < CColorTable::kUnbinned
                    ? static_cast<ColorRef>(project_.colours.bin(profile_.compositeColorTable, bin).colour)
                    : 0);
    plot_.text(u, v, size, "+", 0.0, 1);
    int line = 0;
    for (const auto& l : profile_.compositeLabels) {
      if (!l.plot) continue;
      std::string text;
      if (l.name == "Composite Name") {
        text = c.name;
        plot_.color(0);
      } else {
        const int n = variableIndex(project_.settings, l.name);
        if (n < 0 || n >= static_cast<int>(values.size())) continue;
        text = printf("%-*.*f", l.width, l.decimals, values[static_cast<std::size_t>(n)]);
        bool own = false;
        plot_.color(binColour(l.searchTable, values, own));
      }
      // Fields run along the annotation's direction from the mark, one line
      // after another across it.
      const double a = (90.0 - l.angle) * kRadiansPerDegree;
      const double across = 1.5 * size * line++;
      const double x = u + size * std::cos(a) + across * std::sin(a), y = v + size * std::sin(a) - across * std::cos(a);
      plot_.text(x, y, size, text, 90.0 - l.angle, static_cast<int>(text.size()));
    }
  }
}

void SectionPlot::outlines(const std::vector<DPoint3D>& outline, bool closed) {
  const std::size_t n = outline.size();
  if (n < 2) return;
  // Each edge clipped to the window (Liang-Barsky); a run of visible edges is
  // one polyline.
  bool down = false;
  for (std::size_t i = 0; i + 1 < n + (closed ? 1 : 0); ++i) {
    DPoint2D a = toSheet(outline[i]), b = toSheet(outline[(i + 1) % n]);
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x, width - a.x, a.y, height - a.y};
    bool visible = true;
    for (int k = 0; k < 4 && visible; ++k) {
      if (p[k] == 0) {
        visible = q[k] >= 0;
      } else {
        const double r = q[k] / p[k];
        if (p[k] < 0)
          t0 = std::max(t0, r);
        else
          t1 = std::min(t1, r);
        visible = t0 <= t1;
      }
    }
    if (!visible) {
      down = false;
      continue;
    }
    const DPoint2D from{a.x + t0 * dx, a.y + t0 * dy}, to{a.x + t1 * dx, a.y + t1 * dy};
    if (!down || t0 > 0) plot_.plot(from.x, from.y, kPenUp);
    plot_.plot(to.x, to.y, kPenDown);
    down = t1 >= 1.0;
  }
}

void SectionPlot::itemWithLabels(const std::vector<DPoint3D>& outline, ColorRef colour,
                                 const std::vector<MapVariablesDef>& labels, double size,
                                 const std::vector<double>& values, const OwnLabel& own) {
  plot_.color(colour);
  outlines(outline, true);
  std::vector<DPoint2D> pts;
  for (const auto& q : outline) pts.push_back(toSheet(q));
  const DPoint2D at = labelPoint(pts);
  if (at.x < 0 || at.x > width || at.y < 0 || at.y > height) return;
  for (const auto& l : labels) {
    if (!l.plot) continue;
    std::string text;
    if (const auto mine = own(l)) {
      text = mine->first;
      plot_.color(mine->second);
    } else {
      // A variable's value, coloured by the label's own search table.
      const int n = variableIndex(project_.settings, l.name);
      if (n < 0 || n >= static_cast<int>(values.size())) continue;
      text = printf("%*.*f", l.width, l.decimals, values[static_cast<std::size_t>(n)]);
      bool found = false;
      plot_.color(binColour(l.searchTable, values, found));
    }
    const double x = at.x + (l.column - 1) * size * 8, y = at.y - (l.row - 1) * size * 1.5;
    plot_.text(x, y, size, text, 0.0, static_cast<int>(text.size()));
  }
}

void SectionPlot::polygons() {
  const double size = profile_.polygonTextSize < 0.001 ? 0.025 : profile_.polygonTextSize;
  const auto& comps = project_.composites.composites;
  for (const CPolygon& p : project_.polygons.polygons) {
    if (p.outline.size() < 3) continue;
    std::vector<double> values;
    if (p.compositeIndex >= 0 && p.compositeIndex < static_cast<int>(comps.size())) {
      const CComposite& c = comps[static_cast<std::size_t>(p.compositeIndex)];
      values = c.values;
      values.insert(values.end(), c.calcValues.begin(), c.calcValues.end());
    }
    bool found = false;
    const ColorRef colour = binColour(profile_.polygonColorTable, values, found);
    // Hidden as in the view: by its bin in the current table.
    if (!binShown(project_.colours.currentTable, p.colour)) continue;
    itemWithLabels(
        p.outline, found ? colour : ownColour(p.colour), profile_.polygonLabels, size, values,
        [&](const MapVariablesDef& l) -> std::optional<std::pair<std::string, ColorRef>> {
          if (l.name == "Polygon Name") return {{printf("%-*.*s", l.width, l.width, p.name.c_str()), 0}};
          if (l.name != "Specific Gravity" && l.name != "Ore Volume" && l.name != "Ore Tonnage") return std::nullopt;
          const double v = l.name == "Ore Volume" ? p.volume : l.name == "Ore Tonnage" ? p.tonnage : p.specificGravity;
          return {{printf("%*.*f", l.width, l.decimals, v), 0}};
        });
  }
}

void SectionPlot::figures() {
  const double size = profile_.figureTextSize < 0.001 ? 0.025 : profile_.figureTextSize;
  for (const Figure& f : project_.figures.figures) {
    if (!f.visible || f.outline.size() < 3) continue;
    std::vector<double> values = f.loadedValues;
    values.insert(values.end(), f.calculatedValues.begin(), f.calculatedValues.end());
    bool found = false;
    const ColorRef colour = binColour(profile_.figureColorTable, values, found);
    itemWithLabels(f.outline, found ? colour : ownColour(f.colour), profile_.figureLabels, size, values,
                   [&](const MapVariablesDef& l) -> std::optional<std::pair<std::string, ColorRef>> {
                     if (l.name == "Figure Name") return {{printf("%-*.*s", l.width, l.width, f.name.c_str()), 0}};
                     if (l.name != "Specific Gravity" && l.name != "Volume" && l.name != "Ore Tonnage" &&
                         l.name != "%Ore" && l.name != "Waste Tonnage")
                       return std::nullopt;
                     const double v = l.name == "Volume"          ? f.volume
                                      : l.name == "Ore Tonnage"   ? f.oreTonnage
                                      : l.name == "%Ore"          ? f.oreFraction
                                      : l.name == "Waste Tonnage" ? f.wasteTonnage
                                                                  : f.specificGravity;
                     // The specific gravity takes the label's search table; the other quantities are black.
                     bool found = false;
                     const ColorRef c = l.name == "Specific Gravity" ? binColour(l.searchTable, values, found) : 0;
                     return {{printf("%*.*f", l.width, l.decimals, v), c}};
                   });
  }
}

void SectionPlot::envelopes() {
  for (const Envelope& e : project_.envelopes.envelopes) {
    if (!e.visible) continue;
    plot_.color(static_cast<ColorRef>(e.colour));
    for (const Contour& c : e.contours) outlines(c, true);
  }
}

int generateMaps(const MapOutputData& data, const PlotProject& project, UiPort& port,
                 const std::function<void(SectionPlot&)>& setUp) {
  const PlotOutput kind = plotOutputOf(data.outputKind);
  const MapProfileDef profile = data.profileIndex >= 0 && data.profileIndex < data.count()
                                    ? data.profiles[static_cast<std::size_t>(data.profileIndex)]
                                    : MapProfileDef();
  auto progress = port.openProgress(ProgressKind::Text);
  int written = 0;
  for (const std::string& name : data.sectionNames) {
    const int at = project.sections.findNamed(name);
    if (at < 0) continue;
    const std::filesystem::path path = safePlotPath(data.destinationDirectory, name, kind);
    const std::string file = path.string();
    if (progress) progress->setText("Generating Section " + name + " into " + file);
    SectionPlot plot(project, profile, kind, data.worldCoordinates == 1);
    if (setUp) setUp(plot);
    if (file.empty()) {
      port.message(SectionPlot::kInvalidFile, MessageButtons::Ok, MessageIcon::Warning);
      continue;
    }
    written += plot.plot(file, project.sections.named[static_cast<std::size_t>(at)], port);
  }
  return written;
}

CDialogPlotMaps::CDialogPlotMaps(MapOutputData& data, const SectionSet& set) : data_(data) {
  for (const Section& s : set.named) {
    if (static_cast<int>(s.azimuth) % 90 != 0 || static_cast<int>(s.dip) % 90 != 0) continue;
    sections.push_back(s.name);
  }
  for (const auto& name : data.sectionNames) {
    const auto it = std::find(sections.begin(), sections.end(), name);
    if (it != sections.end()) selected.push_back(static_cast<int>(it - sections.begin()));
  }
  for (const auto& p : data.profiles) profiles.push_back(p.name);
  profile = data.profileIndex;
  directory = data.destinationDirectory;
  outputKind = data.outputKind == 0 ? 0 : data.outputKind == 2 ? 2 : 1;
  worldCoordinates = data.worldCoordinates == 1;
}

bool CDialogPlotMaps::browse(UiPort& port) {
  const auto folder = port.browseFolder("Select Destination Directory", directory);
  if (!folder) return false;
  directory = *folder;
  return true;
}

bool CDialogPlotMaps::onOk(UiPort&) {
  data_.sectionNames.clear();
  for (int i : selected)
    if (i >= 0 && i < static_cast<int>(sections.size()))
      data_.sectionNames.push_back(sections[static_cast<std::size_t>(i)]);
  data_.profileIndex = profile;
  data_.outputKind = outputKind;
  data_.worldCoordinates = worldCoordinates ? 1 : 0;
  data_.destinationDirectory = directory;
  return true;
}

}  // namespace qx
