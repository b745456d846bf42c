#include "scene/digitizer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>
#include <string>

#include "datasets/envelopes.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "graphics/vecmath.h"
#include "scene/envelopes_drawing.h"
#include "scene/scene_builder.h"
#include "scene/scene_model.h"
#include "scene/view_grid_data.h"

namespace qx {

using gfx::CoordSystem;
using gfx::dot;
using gfx::operator*;

namespace {

constexpr double kFar = 1e38;
// The selection modes the vertex snaps pick in.
constexpr int kFigureSelection = 1;
constexpr int kEnvelopeSelection = 2;
constexpr int kPolygonSelection = 4;

std::span<const DPoint3D> figureOutline(const Figure& f) {
  const std::size_t n = std::min(static_cast<std::size_t>(std::max(f.pointCount, 0)), f.outline.size());
  return {f.outline.data(), n};
}

// The foot of p on side ab when it falls on the side (not on its extension),
// kept when nearer than `best`; the first of equal distances stays.
void offerSide(const DPoint3D& a, const DPoint3D& b, const DPoint3D& p, double& best, std::optional<DPoint3D>& foot) {
  const DPoint3D ab = b - a;
  const double len2 = dot(ab, ab);
  const double along = dot(p - a, ab);
  if (!(len2 > 0.0) || along < 0.0 || along > len2) return;
  const DPoint3D f = a + ab * (along / len2);
  const DPoint3D d = p - f;
  const double dist = std::sqrt(dot(d, d));
  if (dist < best) {
    best = dist;
    foot = f;
  }
}

void offerRing(std::span<const DPoint3D> ring, const DPoint3D& p, double& best, std::optional<DPoint3D>& foot) {
  for (std::size_t i = 0; i < ring.size(); ++i) offerSide(ring[i], ring[(i + 1) % ring.size()], p, best, foot);
}

}  // namespace

void Digitizer::snapToCoordinate(double x, double y) {
  snapMode_ = kSnapCoordinate;
  middleOn_ = distanceOn_ = false;
  typed_ = {x, y};
}

void Digitizer::toggleMiddle() {
  middleOn_ = !middleOn_;
  firstTaken_ = false;
  if (middleOn_) {
    distanceOn_ = false;
    prompt_ = "Select first point";
  } else {
    prompt_.clear();
  }
}

void Digitizer::toggleDistance() {
  distanceOn_ = !distanceOn_;
  baseTaken_ = false;
  if (distanceOn_) {
    middleOn_ = false;
    prompt_ = "Select base point";
  } else {
    prompt_.clear();
  }
}

bool Digitizer::setSnapDistance(std::string_view text) {
  const std::string s(text);
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end == s.c_str()) return false;
  snapDistance_ = v;
  return true;
}

std::optional<DPoint3D> Digitizer::click(DPoint2D at) {
  const auto world =
      s_.tree.computeCoordinates(kPictureSegment, CoordSystem::LocalWindow, {at.x, at.y, 0.0}, CoordSystem::World);
  if (!world) return std::nullopt;
  DPoint3D p = contourActive ? snappedPoint(at) : *world;
  if (middleOn_) {
    if (!firstTaken_) {
      first_ = p;
      firstTaken_ = true;
      prompt_ = "Select second point";
      return std::nullopt;
    }
    p = (first_ + p) * 0.5;
    firstTaken_ = false;
    prompt_ = "Select first point";
  } else if (distanceOn_) {
    if (!baseTaken_) {
      base_ = p;
      baseTaken_ = true;
      prompt_ = "Select second point";
      return std::nullopt;
    }
    const DPoint3D d = p - base_;
    const double len = std::sqrt(dot(d, d));
    p = len <= 0.0 ? base_ : base_ + d * (snapDistance_ / len);
    baseTaken_ = false;
    prompt_ = "Select base point";
  }
  return p;
}

DPoint3D Digitizer::snappedPoint(DPoint2D at) {
  const auto clicked =
      s_.tree.computeCoordinates(kPictureSegment, CoordSystem::LocalWindow, {at.x, at.y, 0.0}, CoordSystem::World);
  if (!clicked || snapMode_ == kSnapNone) return clicked.value_or(DPoint3D{});
  std::optional<DPoint3D> snapped;
  switch (snapMode_) {
    case kSnapPolygon:
    case kSnapFigure:
    case kSnapEnvelope: snapped = vertexSnap(snapMode_, at, *clicked); break;
    case kSnapCoordinate: snapped = DPoint3D{typed_.x, typed_.y, 0.0}; break;
    case kSnapGrid: {
      const CViewGridData& g = s_.grid;
      DPoint3D q{clicked->x, clicked->y, 0.0};
      if (g.spacing.x != 0.0f) q.x = g.origin.x + std::trunc((q.x - g.origin.x) / g.spacing.x + 0.5) * g.spacing.x;
      if (g.spacing.y != 0.0f) q.y = g.origin.y + std::trunc((q.y - g.origin.y) / g.spacing.y + 0.5) * g.spacing.y;
      snapped = q;
      break;
    }
    case kSnapSide: snapped = nearestSide(*clicked); break;
    default: break;
  }
  // Back onto the view plane.
  const DPoint3D p = snapped.value_or(*clicked);
  auto px = s_.tree.computeCoordinates(kPictureSegment, CoordSystem::World, p, CoordSystem::OuterPixels);
  if (!px) return p;
  px->z = 0.0;
  return s_.tree.computeCoordinates(kPictureSegment, CoordSystem::OuterPixels, *px, CoordSystem::World).value_or(p);
}

std::optional<DPoint3D> Digitizer::vertexSnap(int mode, DPoint2D at, const DPoint3D& world) {
  const bool polygons = mode == kSnapPolygon;
  const int count = polygons ? s_.polygons.count() : mode == kSnapFigure ? s_.figures.count() : s_.envelopes.count();
  if (count <= 0) return std::nullopt;
  // The item's outline from a hit's key, empty when the key names none.
  const auto outlineOf = [&](gfx::Key key) -> std::span<const DPoint3D> {
    if (key < 0) return {};
    if (mode == kSnapEnvelope) {
      const auto e = static_cast<std::size_t>(key / kEnvelopeKeyFactor);
      const auto c = static_cast<std::size_t>(key % kEnvelopeKeyFactor);
      if (e >= s_.envelopes.envelopes.size() || c >= s_.envelopes.envelopes[e].contours.size()) return {};
      return s_.envelopes.envelopes[e].contours[c];
    }
    if (key >= count) return {};
    const auto i = static_cast<std::size_t>(key);
    return polygons ? std::span<const DPoint3D>(s_.polygons.polygons[i].outline) : figureOutline(s_.figures.figures[i]);
  };
  const int previous = s_.model.selectionMode;
  s_.builder.setSelectionMode(polygons              ? kPolygonSelection
                              : mode == kSnapFigure ? kFigureSelection
                                                    : kEnvelopeSelection);
  std::span<const DPoint3D> outline;
  if (s_.tree.computeSelection(kPictureSegment, at) > 0) {
    gfx::Key key = s_.tree.showSelection()->userKey;
    const auto stepOver = [&](gfx::Key k) {
      if (polygons) return skipInvalidPolygonHits && (k < 0 || k >= count);
      return mode == kSnapEnvelope && editedContour && k == *editedContour;
    };
    bool found = true;
    while (stepOver(key)) {
      if (!s_.tree.findNextSelection()) {
        found = false;
        break;
      }
      key = s_.tree.showSelection()->userKey;
    }
    if (found) outline = outlineOf(key);
  }
  s_.builder.setSelectionMode(previous);
  if (outline.empty()) return std::nullopt;
  double best = kFar;
  const DPoint3D* nearest = nullptr;
  for (const DPoint3D& v : outline) {
    const DPoint3D d = v - world;
    const double dist = std::sqrt(dot(d, d));
    if (dist < best) {
      best = dist;
      nearest = &v;
    }
  }
  if (nearest == nullptr) return std::nullopt;
  return DPoint3D{nearest->x, nearest->y, 0.0};
}

std::optional<DPoint3D> Digitizer::nearestSide(const DPoint3D& p) const {
  double best = kFar;
  std::optional<DPoint3D> foot;
  for (const Envelope& e : s_.envelopes.envelopes) {
    for (const Contour& c : e.contours) offerRing(c, p, best, foot);
  }
  for (const Figure& f : s_.figures.figures) offerRing(figureOutline(f), p, best, foot);
  for (const CPolygon& poly : s_.polygons.polygons) offerRing(poly.outline, p, best, foot);
  return foot;
}

}  // namespace qx
