#include "scene/scene_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "datasets/color_table.h"
#include "datasets/envelopes.h"
#include "datasets/surfaces.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "project/quarlex_settings.h"
#include "scene/composites_drawing.h"
#include "scene/figures_drawing.h"
#include "scene/polygons_drawing.h"
#include "scene/scene_model.h"
#include "scene/view_grid_data.h"
#include "sections/sections.h"

namespace qx {

using gfx::operator*;
using gfx::toDouble;

namespace {

constexpr double kDegree = 0.017453292519943;

// Counts beyond this draw nothing useful and would overflow the conversion.
constexpr double kMaxGridCount = 100000.0;

std::string rgbText(std::int32_t colour) {
  const auto c = static_cast<ColorRef>(colour);
  char buf[96];
  std::snprintf(buf, sizeof buf, "R=%.3f G=%.3f B=%.3f", redOf(c) / 255.0, greenOf(c) / 255.0, blueOf(c) / 255.0);
  return buf;
}

// One item's refresh: colour, transparency, then shown by its mode or hidden.
void refreshItem(gfx::SceneTree& tree, gfx::Key key, std::int32_t colour, double transparency, bool shown, int mode,
                 bool surface) {
  if (key == gfx::kNoKey || tree.segment(key) == nullptr) return;
  tree.openSegmentByKey(key);
  tree.unsetAttribute(gfx::AttributeGroup::Color);
  if (transparency != 0.0) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "faces=(transmission=(R=%.3f G=%.3f B=%.3f))", transparency, transparency,
                  transparency);
    tree.setColor(buf);
  }
  const std::string rgb = rgbText(colour);
  tree.setColor("lines=(" + rgb + "),polygons=(" + rgb + ")");
  if (shown) {
    std::string visibility = displayModeVisibility(mode);
    if (surface && mode >= 1 && mode <= 4 && transparency > 0.25) visibility += ", lines=off";
    tree.setVisibility(visibility);
    tree.setRenderingOptions(displayModeRendering(mode));
  } else {
    tree.setVisibility(kHiddenItem);
  }
  tree.closeSegment();
}

gfx::Key keyAt(const std::vector<gfx::Key>& keys, std::size_t i) { return i < keys.size() ? keys[i] : gfx::kNoKey; }

}  // namespace

DPoint3D projectOntoPlane(double a, double b, double c, double d, const DPoint3D& p) {
  const double s = a * a + b * b + c * c;
  if (s == 0.0) return p;
  return {((b * b + c * c) * p.x - a * (d + b * p.y + c * p.z)) / s,
          ((a * a + c * c) * p.y - b * (d + a * p.x + c * p.z)) / s,
          ((a * a + b * b) * p.z - c * (d + a * p.x + b * p.y)) / s};
}

std::string displayModeVisibility(int mode) {
  return mode == 0   ? "faces=off, lines=on, lights=off, cutting planes=on"
         : mode == 1 ? "polygons=on, lines=on, lights=off, cutting planes=on"
                     : "polygons=on, lines=on, lights=on, cutting planes=on";
}

std::string_view displayModeRendering(int mode) {
  return mode == 3 ? "lighting=gouraud" : mode == 4 ? "lighting=phong" : "no lighting";
}

GridAxis gridAxis(double origin, double spacing, double min, double max) {
  if (!(spacing > 0.0)) return {};
  const double count = std::clamp(std::fabs(max - min) / spacing + 2.0, 0.0, kMaxGridCount);
  const double steps = std::clamp((origin - min) / spacing + 1.0, -kMaxGridCount, kMaxGridCount);
  return {static_cast<int>(count), origin - std::trunc(steps) * spacing};
}

// ---- building ----

void SceneBuilder::buildScene(unsigned windowId) {
  HoopsModel& m = p_.model;
  // The window's size, set while "?Picture" stood for another segment, stays.
  std::optional<gfx::WindowSize> window;
  if (const gfx::Segment* old = tree_.segment(tree_.findSegment(kPictureSegment))) window = old->attributes.windowSize;
  if (m.initialised == 0) {
    tree_.defineAlias(kPictureSegment, kPictureWindow);
    tree_.defineAlias(kModelSegment, kModelRoot);
    m.initialised = 1;
  } else {
    tree_.deleteSegment(kModelSegment);
  }

  tree_.openSegment(kModelSegment);
  tree_.setColor("ambient=(R=0.5 G=0.5 B=0.5)");
  tree_.setSelectability("everything=off");
  tree_.setVisibility("cutting planes=on");
  tree_.setRenderingOptions("lighting, no lighting interpolation");
  tree_.setHeuristics("no related selection limit, hidden surfaces");
  tree_.closeSegment();

  tree_.openSegment(kPictureSegment);
  gfx::Camera camera;
  camera.position = toDouble(m.cameraPosition);
  camera.target = toDouble(m.cameraTarget);
  camera.up = toDouble(m.cameraUp);
  camera.fieldWidth = m.cameraFieldWidth;
  camera.fieldHeight = m.cameraFieldHeight;
  camera.projection = gfx::Projection::Orthographic;
  tree_.setCamera(camera);
  tree_.setDriverOptions("use window id = " + std::to_string(windowId) +
                         ", no selection proximity, disable input, no double buffering");
  tree_.setSelectability("off");
  tree_.setWindowFrame("off");
  tree_.setHandedness("right");
  tree_.setHeuristics("hidden surfaces");
  tree_.setRenderingOptions("hsr algorithm=software z-buffer");
  if (window) tree_.setWindowSize(window->width, window->height);
  tree_.flushContents(".", "includes");
  tree_.includeSegment(kModelSegment);
  tree_.closeSegment();

  m.compositesKey = tree_.openSegment(kCompositesSegment);
  tree_.setColor("markers=black");
  applyMarkerStyle();
  tree_.setSelectability("everything=on");
  tree_.setVisibility("cutting planes=on, everything=on");
  for (int b = 0; b < HoopsModel::kBinCount; ++b)
    m.binKeys[static_cast<std::size_t>(b)] = tree_.createSegment("Bin" + std::to_string(b));
  tree_.closeSegment();

  const std::pair<std::string_view, gfx::Key*> datasets[] = {{"?Model/Envelopes", &m.envelopesKey},
                                                             {"?Model/Surfaces", &m.surfacesKey},
                                                             {"?Model/Figures", &m.figuresKey},
                                                             {"?Model/Polygons", &m.polygonsKey}};
  for (const auto& [path, key] : datasets) {
    *key = tree_.openSegment(path);
    tree_.setColor("black");
    tree_.setMarkerSize(0.1);
    tree_.setMarkerSymbol(".");
    tree_.setSelectability("everything=off");
    tree_.setVisibility("cutting planes=on, everything=on");
    tree_.closeSegment();
  }

  m.editPolylineKey = tree_.openSegment(kEditPolylineSegment);
  tree_.setColor("lines=red");
  tree_.setMarkerSize(1.0);
  tree_.setLineWeight(1.0);
  tree_.setSelectability("everything=off");
  tree_.setVisibility("cutting planes=on, lines=on, markers=on");
  tree_.setHeuristics("quick moves");
  tree_.setMarkerSymbol("+");
  tree_.closeSegment();

  m.cuttingPlanesKey = tree_.openSegment(kCuttingPlanesSegment);
  tree_.setSelectability("everything=off");
  tree_.closeSegment();
  m.nearCuttingPlaneKey = m.farCuttingPlaneKey = gfx::kNoKey;
  // The dataset items are drawn again after a build.
  m.envelopeKeys.clear();
  m.surfaceKeys.clear();
  m.figureKeys.clear();
  m.polygonKeys.clear();
  m.editPolylineKeys.clear();
  tree_.updateDisplay();
}

void SceneBuilder::resetScene() {
  HoopsModel& m = p_.model;
  if (m.initialised != 0) {
    tree_.openSegment(kPictureSegment);
    tree_.setCameraPosition(toDouble(m.cameraPosition));
    tree_.setCameraTarget(toDouble(m.cameraTarget));
    tree_.setCameraUpVector(toDouble(m.cameraUp));
    tree_.setCameraField(m.cameraFieldWidth, m.cameraFieldHeight);
    tree_.closeSegment();
    tree_.flushContents("?Model/...", "everything");
  }
  m.reset();
}

void SceneBuilder::applyMarkerStyle() {
  const HoopsModel& m = p_.model;
  const bool opened = tree_.openSegmentKey() != m.compositesKey;
  if (opened) tree_.openSegment(kCompositesSegment);
  tree_.setMarkerSize(HoopsModel::markerSizeValue(m.markerSize));
  tree_.setMarkerSymbol(HoopsModel::markerSymbolText(m.markerSymbol));
  if (opened) tree_.closeSegment();
}

void SceneBuilder::setMarkerSymbol(int index) {
  p_.model.markerSymbol = index;
  applyMarkerStyle();
}

void SceneBuilder::setMarkerSize(int index) {
  p_.model.markerSize = index;
  applyMarkerStyle();
}

// ---- visibility and selectability ----

void SceneBuilder::applyBinVisibility() {
  const HoopsModel& m = p_.model;
  const int table = p_.colours.currentTable;
  const bool rowValid = table >= 0 && table < HoopsModel::kVisibilityTables;
  for (int b = 0; b < HoopsModel::kBinCount; ++b) {
    const bool cell = !rowValid || m.binVisibility[static_cast<std::size_t>(table)][static_cast<std::size_t>(b)] > 0;
    tree_.openSegment(compositeBinPath(b));
    tree_.setVisibility(cell && m.compositesShown != 0 ? "markers=on" : "markers=off");
    tree_.closeSegment();
  }
}

void SceneBuilder::applyDatasetVisibility() {
  tree_.openSegment(kCompositesSegment);
  if (p_.model.compositesShown != 0)
    tree_.setVisibility("cutting planes=on, markers=on");
  else
    tree_.setVisibility("markers=off");
  tree_.closeSegment();
  refreshEnvelopes();
  refreshSurfaces();
  refreshFigures();
  refreshPolygons();
}

void SceneBuilder::setSelectionMode(int mode) {
  p_.model.selectionMode = mode;
  applySelectionMode();
}

void SceneBuilder::applySelectionMode() {
  const HoopsModel& m = p_.model;
  // In mode order: composites, figures, envelopes, surfaces, polygons, edit polyline.
  const std::string_view paths[] = {kCompositesSegment, "?Model/Figures",  "?Model/Envelopes",
                                    "?Model/Surfaces",  "?Model/Polygons", kEditPolylineSegment};
  for (int i = 0; i < 6; ++i) {
    tree_.openSegment(paths[i]);
    tree_.setSelectability(i != m.selectionMode ? "everything=off" : i == 4 ? "everything=!on" : "everything=on");
    tree_.closeSegment();
  }
}

// ---- display refreshes ----

void SceneBuilder::refreshEnvelopes() {
  const HoopsModel& m = p_.model;
  for (std::size_t i = 0; i < p_.envelopes.envelopes.size(); ++i) {
    const Envelope& e = p_.envelopes.envelopes[i];
    refreshItem(tree_, keyAt(m.envelopeKeys, i), e.colour, 0.0, e.visible != 0 && m.envelopesShown != 0,
                e.renderingMethod, false);
  }
  tree_.updateDisplay();
}

void SceneBuilder::refreshSurfaces() {
  const HoopsModel& m = p_.model;
  for (std::size_t i = 0; i < p_.surfaces.surfaces.size(); ++i) {
    const Surface& s = p_.surfaces.surfaces[i];
    refreshItem(tree_, keyAt(m.surfaceKeys, i), s.colour, s.transparency, s.visible != 0 && m.surfacesShown != 0,
                s.renderingMethod, true);
  }
  tree_.updateDisplay();
}

void SceneBuilder::refreshFigures() { qx::refreshFigures(tree_, p_.figures, p_.model, p_.colours); }

void SceneBuilder::refreshPolygons() { qx::refreshPolygons(tree_, p_.polygons, p_.model, p_.colours); }

// ---- the view ----

std::optional<DPoint3D> SceneBuilder::convert(gfx::CoordSystem from, const DPoint3D& p, gfx::CoordSystem to) const {
  return tree_.computeCoordinates(kPictureSegment, from, p, to);
}

void SceneBuilder::setViewFromSection() {
  HoopsModel& m = p_.model;
  Section s = p_.sections.current;
  double front = s.slabFront;
  double back = s.slabBack;
  if (back == 0.0 && front > 0.0) {
    front = back = front / 2.0;
  } else if (front == 0.0 && back > 0.0) {
    front = back = back / 2.0;
  }
  double width = s.fieldWidth;
  double height = s.fieldHeight;
  if (width <= 0.001 || height <= 0.001) width = height = 100.0;

  const double az = (90.0 - s.azimuth) * kDegree;
  const double dip = s.dip * kDegree;
  const double dipUp = (s.dip + 90.0) * kDegree;
  const DPoint3D n{std::cos(az) * std::cos(dip), std::sin(az) * std::cos(dip), std::sin(dip)};
  const DPoint3D u{std::cos(az) * std::cos(dipUp), std::sin(az) * std::cos(dipUp), std::sin(dipUp)};
  const DPoint3D q = toDouble(s.referencePoint);
  const DPoint3D c = projectOntoPlane(n.x, n.y, n.z, -gfx::dot(n, q), toDouble(s.target));

  tree_.openSegment(kPictureSegment);
  tree_.setCameraPosition(c - n * (5.0 * height));
  tree_.setCameraTarget(c);
  tree_.setCameraUpVector(u);
  tree_.setCameraField(width, height);
  tree_.closeSegment();

  tree_.openSegment(kCuttingPlanesSegment);
  m.cuttingPlanesKey = tree_.openSegmentKey();
  tree_.flushContents(".", "everything");
  m.farCuttingPlaneKey =
      std::fabs(back) > 0.0 ? tree_.insertCuttingPlane(n.x, n.y, n.z, -gfx::dot(n, c + n * back)) : gfx::kNoKey;
  m.nearCuttingPlaneKey =
      std::fabs(front) > 0.0 ? tree_.insertCuttingPlane(-n.x, -n.y, -n.z, gfx::dot(n, c - n * front)) : gfx::kNoKey;
  tree_.closeSegment();

  tree_.openSegment(kDistantLightsSegment);
  tree_.setSelectability("everything=off");
  tree_.flushContents(".", "lights");
  tree_.setColor("lights = white");
  tree_.insertDistantLight(gfx::cross(n, u) - n);
  tree_.setVisibility("lights=on");
  tree_.closeSegment();

  drawAxisIcon(width, height);
  tree_.updateDisplay();
}

void SceneBuilder::drawAxisIcon(double width, double height) {
  // The base point sits at 90 % of the window's width and height from its
  // top-left corner, in the view plane.
  const std::optional<DPoint3D> base =
      convert(gfx::CoordSystem::LocalWindow, {0.8, -0.8, 0.0}, gfx::CoordSystem::World);
  // Made again each time, so that it is the last segment drawn: in front.
  tree_.deleteSegment(kAxisIconSegment);
  tree_.openSegment(kAxisIconSegment);
  tree_.setSelectability("everything=off");
  tree_.setVisibility("cutting plane=off");
  if (p_.model.axisIconShown != 0 && base) {
    const DPoint3D b = *base;
    const double l = std::max(width, height) * 0.06666666666666667;
    tree_.setLineWeight(2.0);
    tree_.setColor("lines=midnight blue, text=black");
    const DPoint3D ends[] = {b + DPoint3D{l, 0.0, 0.0}, b + DPoint3D{0.0, l, 0.0}, b + DPoint3D{0.0, 0.0, l}};
    for (const DPoint3D& e : ends) tree_.insertLine(b, e);
    tree_.setTextAlignment("*v");
    const char* names[] = {"X", "Y", "Z"};
    for (int i = 0; i < 3; ++i) tree_.insertText(ends[i], names[i]);
  }
  tree_.closeSegment();
}

void SceneBuilder::dataExtents(DPoint3D& min, DPoint3D& max) const {
  min = p_.settings.extentsMin;
  max = p_.settings.extentsMax;
  if (min.x > max.x || min.y > max.y || min.z > max.z) min = max = DPoint3D{0.0, 0.0, 0.0};
}

void SceneBuilder::zoomExtents() {
  DPoint3D lo, hi;
  dataExtents(lo, hi);
  double minX = 1e38, minY = 1e38, maxX = -1e38, maxY = -1e38, depth = 0.0;
  for (int corner = 0; corner < 8; ++corner) {
    const DPoint3D w{corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y, corner & 4 ? hi.z : lo.z};
    const std::optional<DPoint3D> v = convert(gfx::CoordSystem::World, w, gfx::CoordSystem::Viewpoint);
    if (!v) return;
    minX = std::min(minX, v->x);
    maxX = std::max(maxX, v->x);
    minY = std::min(minY, v->y);
    maxY = std::max(maxY, v->y);
    depth += v->z / 8.0;
  }
  const std::optional<DPoint3D> centre =
      convert(gfx::CoordSystem::Viewpoint, {(minX + maxX) / 2.0, (minY + maxY) / 2.0, depth}, gfx::CoordSystem::World);
  if (!centre) return;
  Section& s = p_.sections.current;
  s.fieldWidth = static_cast<float>(std::fabs(maxX - minX) * 1.05);
  s.fieldHeight = static_cast<float>(std::fabs(maxY - minY) * 1.05);
  s.target = FPoint3D{static_cast<float>(centre->x), static_cast<float>(centre->y), static_cast<float>(centre->z)};
  setViewFromSection();
}

void SceneBuilder::zoomWindow(DPoint2D a, DPoint2D b, gfx::CoordSystem system) {
  const auto wa = convert(system, {a.x, a.y, 0.0}, gfx::CoordSystem::World);
  const auto wb = convert(system, {b.x, b.y, 0.0}, gfx::CoordSystem::World);
  const auto va = convert(system, {a.x, a.y, 0.0}, gfx::CoordSystem::Viewpoint);
  const auto vb = convert(system, {b.x, b.y, 0.0}, gfx::CoordSystem::Viewpoint);
  if (!wa || !wb || !va || !vb) return;
  Section& s = p_.sections.current;
  s.target = FPoint3D{static_cast<float>((wa->x + wb->x) / 2.0), static_cast<float>((wa->y + wb->y) / 2.0),
                      static_cast<float>((wa->z + wb->z) / 2.0)};
  s.fieldWidth = static_cast<float>(std::fabs(vb->x - va->x));
  s.fieldHeight = static_cast<float>(std::fabs(vb->y - va->y));
  setViewFromSection();
}

void SceneBuilder::pan(DPoint2D from, DPoint2D to, gfx::CoordSystem system) {
  const auto wa = convert(system, {from.x, from.y, 0.0}, gfx::CoordSystem::World);
  const auto wb = convert(system, {to.x, to.y, 0.0}, gfx::CoordSystem::World);
  if (!wa || !wb) return;
  Section& s = p_.sections.current;
  s.target =
      FPoint3D{static_cast<float>(s.target.x + (wa->x - wb->x)), static_cast<float>(s.target.y + (wa->y - wb->y)),
               static_cast<float>(s.target.z + (wa->z - wb->z))};
  setViewFromSection();
}

void SceneBuilder::buildGrid() {
  const HoopsModel& m = p_.model;
  DPoint3D lo, hi;
  dataExtents(lo, hi);
  const FPoint3D& o = p_.grid.origin;
  const FPoint3D& sp = p_.grid.spacing;
  const GridAxis ax = gridAxis(o.x, sp.x, lo.x, hi.x);
  const GridAxis ay = gridAxis(o.y, sp.y, lo.y, hi.y);
  const GridAxis az = gridAxis(o.z, sp.z, lo.z, hi.z);
  const DPoint3D origin{ax.start, ay.start, az.start};
  const DPoint3D dx{origin.x + sp.x, origin.y, origin.z};
  const DPoint3D dy{origin.x, origin.y + sp.y, origin.z};
  const DPoint3D dz{origin.x, origin.y, origin.z + sp.z};
  struct Plane {
    std::string_view name;
    std::int32_t on;
    DPoint3D ref1, ref2;
    int count1, count2;
  };
  const Plane planes[] = {{"GridYZ", m.gridYZ, dy, dz, ay.count, az.count},
                          {"GridXZ", m.gridXZ, dx, dz, ax.count, az.count},
                          {"GridXY", m.gridXY, dx, dy, ax.count, ay.count}};
  tree_.openSegment(kGridSegment);
  tree_.setSelectability("everything=off");
  for (const Plane& plane : planes) {
    tree_.openSegment(plane.name);
    tree_.flushContents(".", "everything");
    if (m.gridShown != 0 && plane.on != 0) {
      tree_.setVisibility("edges=on,faces=off,markers=off,cutting plane=off");
      tree_.insertGrid("quadrilateral", origin, plane.ref1, plane.ref2, plane.count1, plane.count2);
    }
    tree_.closeSegment();
  }
  tree_.closeSegment();
  tree_.updateDisplay();
}

}  // namespace qx
