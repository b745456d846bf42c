#include "scene/view_controller.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "datasets/color_table.h"
#include "engine/polygons.h"
#include "project/quarlex_settings.h"
#include "scene/composites_drawing.h"
#include "scene/polygons_drawing.h"
#include "scene/scene_model.h"
#include "sections/sections.h"

namespace qx {

using gfx::operator*;

void ViewController::resize(int width, int height) {
  tree_.openSegment(kPictureSegment);
  tree_.setWindowSize(width, height);
  tree_.closeSegment();
  // The axis icon stands at a place of the window: drawn again for its new shape.
  if (p_.model.initialised != 0) builder_.setViewFromSection();
  tree_.updateDisplay();
}

std::optional<DPoint3D> ViewController::toWorld(double x, double y) const {
  return tree_.computeCoordinates(kPictureSegment, gfx::CoordSystem::LocalWindow, {x, y, 0.0}, gfx::CoordSystem::World);
}

// ---- the mouse ----

void ViewController::mouseMoved(double x, double y) {
  if (p_.model.initialised == 0) return;
  if (const auto w = toWorld(x, y)) cursor_ = *w;
  if (dragging_) drawRubberBand(x, y);
}

void ViewController::mousePressed(double x, double y, int button) {
  if (armed_ == Drag::None) return;
  if (button != kLeftButton) {
    cancelDrag();
    return;
  }
  dragging_ = true;
  anchor_ = {x, y};
  drawRubberBand(x, y);
}

bool ViewController::mouseReleased(double x, double y, int button) {
  if (!dragging_ || button != kLeftButton) return false;
  const Drag drag = armed_;
  cancelDrag();
  const DPoint2D end{x, y};
  if (end == anchor_) return false;
  p_.sections.recordCurrentView();
  if (drag == Drag::ZoomBox)
    builder_.zoomWindow(anchor_, end, gfx::CoordSystem::LocalWindow);
  else
    builder_.pan(anchor_, end, gfx::CoordSystem::LocalWindow);
  return true;
}

void ViewController::cancelDrag() {
  armed_ = Drag::None;
  dragging_ = false;
  clearRubberBand();
}

void ViewController::drawRubberBand(double x, double y) {
  std::vector<DPoint3D> points;
  const std::vector<DPoint2D> corners = armed_ == Drag::ZoomBox ? std::vector<DPoint2D>{{anchor_.x, anchor_.y},
                                                                                        {x, anchor_.y},
                                                                                        {x, y},
                                                                                        {anchor_.x, y},
                                                                                        {anchor_.x, anchor_.y}}
                                                                : std::vector<DPoint2D>{{anchor_.x, anchor_.y}, {x, y}};
  for (const DPoint2D& c : corners)
    if (const auto w = toWorld(c.x, c.y)) points.push_back(*w);
  tree_.openSegment(kRubberBandSegment);
  tree_.flushContents(".", "everything");
  tree_.setVisibility("cutting planes=off, lines=on");
  tree_.setSelectability("everything=off");
  tree_.setColor("lines=red");
  if (points.size() == corners.size()) tree_.insertPolyline(points);
  tree_.closeSegment();
  tree_.updateDisplay();
}

void ViewController::clearRubberBand() {
  if (tree_.findSegment(kRubberBandSegment) == gfx::kNoKey) return;
  tree_.flushContents(kRubberBandSegment, "everything");
  tree_.updateDisplay();
}

void ViewController::wheel(double x, double y, int angleDelta) {
  if (p_.model.initialised == 0 || angleDelta == 0) return;
  const auto p = toWorld(x, y);
  const auto c = toWorld(0.0, 0.0);
  if (!p || !c) return;
  const double f = std::pow(kWheelZoomFactor, angleDelta / 120.0);
  p_.sections.recordCurrentView();
  Section& s = p_.sections.current;
  // The point under the cursor stays where it is.
  const DPoint3D t = *p + (*c - *p) * f;
  s.target = FPoint3D{static_cast<float>(t.x), static_cast<float>(t.y), static_cast<float>(t.z)};
  s.fieldWidth = static_cast<float>(s.fieldWidth * f);
  s.fieldHeight = static_cast<float>(s.fieldHeight * f);
  builder_.setViewFromSection();
}

std::string ViewController::statusText() const {
  const QuarlexSettings& settings = p_.settings;
  if (settings.loadedCount() == 0) return {};
  char buf[160];
  if (settings.projectType == kProject3D)
    std::snprintf(buf, sizeof buf, kStatusFormat3D, cursor_.x, cursor_.y, cursor_.z);
  else
    std::snprintf(buf, sizeof buf, kStatusFormat2D, cursor_.x, cursor_.y);
  const int table = p_.colours.currentTable;
  const bool known = table >= 0 && table < CColorTable::kTableCount;
  return buf + (known ? p_.colours.tableNames[static_cast<std::size_t>(table)] : std::string());
}

// ---- commands ----

void ViewController::zoomAll() {
  p_.sections.recordCurrentView();
  builder_.zoomExtents();
}

void ViewController::stepPan(Step step) {
  DPoint3D lo, hi;
  builder_.dataExtents(lo, hi);
  const double d = 0.05 * (hi.x - lo.x);
  p_.sections.recordCurrentView();
  const double across = step == Step::Left ? d : step == Step::Right ? -d : 0.0;
  const double along = step == Step::Up ? d : step == Step::Down ? -d : 0.0;
  tree_.openSegment(kPictureSegment);
  tree_.moveCamera(across, along, 0.0);
  const DPoint3D t = tree_.showCamera().target;
  tree_.closeSegment();
  p_.sections.current.target = FPoint3D{static_cast<float>(t.x), static_cast<float>(t.y), static_cast<float>(t.z)};
  builder_.setViewFromSection();
}

bool ViewController::undoView() {
  if (p_.sections.goBack() == 0) return false;
  builder_.setViewFromSection();
  return true;
}

bool ViewController::redoView() {
  if (p_.sections.goForward() == 0) return false;
  builder_.setViewFromSection();
  return true;
}

bool ViewController::isShown(ViewDataset dataset) const {
  const HoopsModel& m = p_.model;
  switch (dataset) {
    case ViewDataset::Composites: return m.compositesShown != 0;
    case ViewDataset::Envelopes: return m.envelopesShown != 0;
    case ViewDataset::Figures: return m.figuresShown != 0;
    case ViewDataset::Polygons: return m.polygonsShown != 0;
    case ViewDataset::Surfaces: return m.surfacesShown != 0;
    case ViewDataset::Grid: return m.gridShown != 0;
  }
  return false;
}

void ViewController::toggle(ViewDataset dataset) {
  HoopsModel& m = p_.model;
  switch (dataset) {
    case ViewDataset::Composites: {
      m.compositesShown = m.compositesShown != 0 ? 0 : 1;
      const int table = p_.colours.currentTable;
      const bool rowValid = table >= 0 && table < HoopsModel::kVisibilityTables;
      const std::string_view on = "cutting planes=on, markers=on";
      tree_.openSegment(kCompositesSegment);
      tree_.setVisibility(m.compositesShown != 0 ? on : "markers=off");
      tree_.closeSegment();
      for (int b = 0; b < HoopsModel::kBinCount; ++b) {
        const bool cell =
            !rowValid || m.binVisibility[static_cast<std::size_t>(table)][static_cast<std::size_t>(b)] == 1;
        if (m.compositesShown != 0 && !cell) continue;  // a hidden bin stays hidden
        tree_.openSegment(compositeBinPath(b));
        tree_.setVisibility(m.compositesShown != 0 ? on : "markers=off");
        tree_.closeSegment();
      }
      tree_.updateDisplay();
      break;
    }
    case ViewDataset::Envelopes:
      m.envelopesShown = m.envelopesShown != 0 ? 0 : 1;
      builder_.refreshEnvelopes();
      break;
    case ViewDataset::Figures:
      m.figuresShown = m.figuresShown != 0 ? 0 : 1;
      builder_.refreshFigures();
      break;
    case ViewDataset::Polygons:
      m.polygonsShown = m.polygonsShown != 0 ? 0 : 1;
      builder_.refreshPolygons();
      break;
    case ViewDataset::Surfaces:
      m.surfacesShown = m.surfacesShown != 0 ? 0 : 1;
      builder_.refreshSurfaces();
      break;
    case ViewDataset::Grid:
      m.gridShown = m.gridShown != 0 ? 0 : 1;
      // Switching on with every plane off turns the three planes on.
      if (m.gridShown != 0 && m.gridYZ == 0 && m.gridXZ == 0 && m.gridXY == 0) m.gridYZ = m.gridXZ = m.gridXY = 1;
      builder_.buildGrid();
      break;
  }
}

// ---- the bars ----

std::vector<std::string> ViewController::sectionNames() const {
  std::vector<std::string> names;
  for (const Section& s : p_.sections.named) names.push_back(s.name);
  return names;
}

int ViewController::currentSection() const { return p_.sections.findNamed(p_.sections.current.name); }

void ViewController::selectSection(int index) {
  if (index < 0 || index >= p_.sections.count()) return;
  const Section& named = p_.sections.named[static_cast<std::size_t>(index)];
  p_.sections.recordCurrentView();
  Section& s = p_.sections.current;
  s.name = named.name;
  s.azimuth = named.azimuth;
  s.dip = named.dip;
  s.orientation = named.orientation;
  // The camera must look the new way before the data's box is measured in it.
  builder_.setViewFromSection();
  builder_.zoomExtents();
}

int ViewController::polygonRendering() const { return p_.polygons.displayMode; }

void ViewController::setPolygonRendering(int mode) {
  if (mode < 0 || mode > 4 || mode == p_.polygons.displayMode) return;
  p_.polygons.displayMode = mode;
  builder_.refreshPolygons();
  changed();
}

double ViewController::verticalExaggeration() const { return p_.polygons.displayThicknessFactor; }

void ViewController::setVerticalExaggeration(double factor) {
  factor = std::clamp(factor, 0.0, 10.0);
  if (factor == p_.polygons.displayThicknessFactor) return;
  p_.polygons.displayThicknessFactor = factor;
  for (int i = 0; i < p_.polygons.count(); ++i) drawPolygon(tree_, p_.polygons, i, p_.model);
  builder_.refreshPolygons();
  changed();
}

void ViewController::changed() {
  if (modified_) modified_();
}

}  // namespace qx
