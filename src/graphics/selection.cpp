// Picking. A selection looks at everything reached from the picture segment
// (subsegments and includes) and takes an item when:
//   - its kind may be picked where it sits: selectability "on" and visible, or
//     selectability "!on" whether visible or not (faces and edges of shells,
//     lines and polylines, markers, text; grids, lights and cutting planes never);
//   - some part of it survives the cutting planes (when the visibility of
//     "cutting planes" is on where it sits) and lies in front of the eye;
//   - that part comes within the proximity of the pick point or rectangle, both
//     measured in "local window" units.
// Hits are ordered by that distance, then by depth (nearest the viewer first),
// then in the order of the tree. The heuristic "related selection limit = n"
// keeps the best hit and n related ones; "no related selection limit" keeps all.
#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "graphics/scene_tree.h"

namespace qx::gfx {
namespace {

struct Rect {
  double left, right, bottom, top;
  DPoint2D centre() const { return {(left + right) / 2.0, (bottom + top) / 2.0}; }
  bool contains(DPoint2D q) const { return q.x >= left && q.x <= right && q.y >= bottom && q.y <= top; }
};

DPoint2D flat(const DPoint3D& p) { return {p.x, p.y}; }

double pointRectDistance(DPoint2D q, const Rect& r) {
  const double dx = std::max({r.left - q.x, 0.0, q.x - r.right});
  const double dy = std::max({r.bottom - q.y, 0.0, q.y - r.top});
  return std::hypot(dx, dy);
}

// Parameter in [0,1] of the point of segment ab nearest to q.
double nearestParam(DPoint2D a, DPoint2D b, DPoint2D q) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  if (!(len2 > 0.0)) return 0.0;
  return std::clamp(((q.x - a.x) * dx + (q.y - a.y) * dy) / len2, 0.0, 1.0);
}

double pointSegmentDistance(DPoint2D q, DPoint2D a, DPoint2D b) {
  const double t = nearestParam(a, b, q);
  return std::hypot(a.x + (b.x - a.x) * t - q.x, a.y + (b.y - a.y) * t - q.y);
}

// Liang-Barsky: does segment ab meet the closed rectangle?
bool segmentMeetsRect(DPoint2D a, DPoint2D b, const Rect& r) {
  double t0 = 0.0, t1 = 1.0;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - r.left, r.right - a.x, a.y - r.bottom, r.top - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  return true;
}

double segmentRectDistance(DPoint2D a, DPoint2D b, const Rect& r) {
  if (segmentMeetsRect(a, b, r)) return 0.0;
  double d = std::min(pointRectDistance(a, r), pointRectDistance(b, r));
  const DPoint2D corners[4] = {{r.left, r.bottom}, {r.right, r.bottom}, {r.right, r.top}, {r.left, r.top}};
  for (const auto& c : corners) d = std::min(d, pointSegmentDistance(c, a, b));
  return d;
}

bool insidePolygon(DPoint2D q, const std::vector<DPoint2D>& poly) {
  bool inside = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const auto& a = poly[i];
    const auto& b = poly[j];
    if ((a.y > q.y) != (b.y > q.y) && q.x < (b.x - a.x) * (q.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

double polygonRectDistance(const std::vector<DPoint2D>& poly, const Rect& r) {
  for (const auto& p : poly) {
    if (r.contains(p)) return 0.0;
  }
  if (insidePolygon(r.centre(), poly)) return 0.0;
  double d = std::numeric_limits<double>::infinity();
  for (size_t i = 0; i < poly.size(); ++i) {
    d = std::min(d, segmentRectDistance(poly[i], poly[(i + 1) % poly.size()], r));
    if (d == 0.0) break;
  }
  return d;
}

double planeValue(const CuttingPlane& p, const DPoint3D& x) { return p.a * x.x + p.b * x.y + p.c * x.z + p.d; }

bool survives(const DPoint3D& x, const std::vector<CuttingPlane>& planes) {
  return std::all_of(planes.begin(), planes.end(), [&](const CuttingPlane& p) { return planeValue(p, x) <= 0.0; });
}

// Keeps the part of segment ab on the kept side of every plane.
bool clipSegment(DPoint3D& a, DPoint3D& b, const std::vector<CuttingPlane>& planes) {
  for (const auto& p : planes) {
    const double fa = planeValue(p, a), fb = planeValue(p, b);
    if (fa > 0.0 && fb > 0.0) return false;
    if (fa > 0.0) a = a + (b - a) * (fa / (fa - fb));
    if (fb > 0.0) b = b + (a - b) * (fb / (fb - fa));
  }
  return true;
}

std::vector<DPoint3D> clipPolygon(std::vector<DPoint3D> poly, const std::vector<CuttingPlane>& planes) {
  for (const auto& p : planes) {
    if (poly.empty()) break;
    std::vector<DPoint3D> out;
    for (size_t i = 0; i < poly.size(); ++i) {
      const DPoint3D& a = poly[i];
      const DPoint3D& b = poly[(i + 1) % poly.size()];
      const double fa = planeValue(p, a), fb = planeValue(p, b);
      if (fa <= 0.0) out.push_back(a);
      if ((fa <= 0.0) != (fb <= 0.0)) out.push_back(a + (b - a) * (fa / (fa - fb)));
    }
    poly = std::move(out);
  }
  return poly;
}

// What a pick may take in one segment as reached from the picture.
struct Context {
  Key segment;
  std::array<bool, kKindCount> pickable;
  bool cut;
};

// Candidates in the order of the tree; their index is that order.
struct Candidate {
  const Item* item;
  size_t context;
};

struct Best {
  bool found = false;
  double distance = 0.0;
  DPoint3D world;
  DPoint3D local;
  void offer(double d, const DPoint3D& w, const DPoint3D& l) {
    if (!found || d < distance || (d == distance && l.z < local.z)) {
      found = true;
      distance = d;
      world = w;
      local = l;
    }
  }
};

class Picker {
 public:
  Picker(const ViewTransform& view, const Rect& rect, double proximity) : view_(view), rect_(rect), prox_(proximity) {
    if (view.perspective()) {
      // Nothing at or behind the eye: cut where depth behind the target < -0.999 D.
      const DPoint3D f = view.forward();
      eyePlane_.push_back({-f.x, -f.y, -f.z, dot(f, view.target()) - 0.999 * view.eyeDistance()});
    }
  }

  void setPlanes(const std::vector<CuttingPlane>& user) {
    cutPlanes_ = eyePlane_;
    cutPlanes_.insert(cutPlanes_.end(), user.begin(), user.end());
  }

  Best evaluate(const Item& item, const Context& c) const {
    const std::vector<CuttingPlane>& planes = c.cut ? cutPlanes_ : eyePlane_;
    Best best;
    const auto& pick = c.pickable;
    std::visit(
        [&](const auto& g) {
          using T = std::decay_t<decltype(g)>;
          if constexpr (std::is_same_v<T, Marker>) {
            if (pick[static_cast<size_t>(Kind::Markers)]) point(g.at, planes, best);
          } else if constexpr (std::is_same_v<T, Text>) {
            if (pick[static_cast<size_t>(Kind::Text)]) point(g.at, planes, best);
          } else if constexpr (std::is_same_v<T, Line>) {
            if (pick[static_cast<size_t>(Kind::Lines)]) segment(g.from, g.to, planes, best);
          } else if constexpr (std::is_same_v<T, Polyline>) {
            if (!pick[static_cast<size_t>(Kind::Lines)]) return;
            if (g.points.size() == 1) point(g.points[0], planes, best);
            for (size_t i = 0; i + 1 < g.points.size(); ++i) segment(g.points[i], g.points[i + 1], planes, best);
          } else if constexpr (std::is_same_v<T, Shell>) {
            shell(g, pick[static_cast<size_t>(Kind::Faces)], pick[static_cast<size_t>(Kind::Edges)], planes, best);
          }
        },
        item.geometry);
    return best;
  }

 private:
  std::optional<DPoint3D> toLocal(const DPoint3D& w) const {
    return view_.convert(CoordSystem::World, w, CoordSystem::LocalWindow);
  }

  void point(const DPoint3D& p, const std::vector<CuttingPlane>& planes, Best& best) const {
    if (!survives(p, planes)) return;
    const auto l = toLocal(p);
    if (!l) return;
    const double d = pointRectDistance(flat(*l), rect_);
    if (d <= prox_) best.offer(d, p, *l);
  }

  void segment(DPoint3D a, DPoint3D b, const std::vector<CuttingPlane>& planes, Best& best) const {
    if (!clipSegment(a, b, planes)) return;
    const auto la = toLocal(a), lb = toLocal(b);
    if (!la || !lb) return;
    const double d = segmentRectDistance(flat(*la), flat(*lb), rect_);
    if (d > prox_) return;
    // The point of the segment nearest the rectangle's centre; in perspective the
    // window parameter s maps back to t = s*W0 / (s*W0 + (1-s)*W1), W the eye depths.
    const double s = nearestParam(flat(*la), flat(*lb), rect_.centre());
    double t = s;
    if (view_.perspective()) {
      const double w0 = view_.eyeDistance() + view_.depthBehindTarget(a);
      const double w1 = view_.eyeDistance() + view_.depthBehindTarget(b);
      const double den = s * w0 + (1.0 - s) * w1;
      if (den > 0.0) t = s * w0 / den;
    }
    const DPoint3D w = a + (b - a) * t;
    const auto l = toLocal(w);
    if (l) best.offer(d, w, *l);
  }

  void shell(const Shell& g, bool faces, bool edges, const std::vector<CuttingPlane>& planes, Best& best) const {
    if (!faces && !edges) return;
    size_t i = 0;
    while (i < g.faceList.size()) {
      const size_t n = static_cast<size_t>(g.faceList[i]);
      std::vector<DPoint3D> poly;
      for (size_t v = 1; v <= n; ++v) poly.push_back(g.points[static_cast<size_t>(g.faceList[i + v])]);
      i += n + 1;
      if (faces) face(poly, planes, best);
      if (edges) {
        for (size_t e = 0; e < poly.size(); ++e) segment(poly[e], poly[(e + 1) % poly.size()], planes, best);
      }
    }
  }

  void face(const std::vector<DPoint3D>& poly, const std::vector<CuttingPlane>& planes, Best& best) const {
    const std::vector<DPoint3D> kept = clipPolygon(poly, planes);
    if (kept.size() < 3) return;
    std::vector<DPoint2D> flatPoly;
    for (const auto& p : kept) {
      const auto l = toLocal(p);
      if (!l) return;
      flatPoly.push_back(flat(*l));
    }
    const double d = polygonRectDistance(flatPoly, rect_);
    if (d > prox_) return;
    // Where the ray through the rectangle's centre meets the face, when it does;
    // else the nearest point of the face's outline.
    const DPoint2D c = rect_.centre();
    const auto normal = polygonNormal(std::span<const DPoint3D>(kept));
    if (normal && insidePolygon(c, flatPoly)) {
      const auto onPlane = view_.convert(CoordSystem::LocalWindow, {c.x, c.y, 0.0}, CoordSystem::World);
      if (onPlane) {
        const DPoint3D dir = view_.perspective() ? *onPlane - view_.eye() : view_.forward();
        const double den = dot(*normal, dir);
        if (std::abs(den) > 1e-12) {
          const DPoint3D w = *onPlane + dir * (dot(*normal, kept[0] - *onPlane) / den);
          if (const auto l = toLocal(w)) {
            best.offer(d, w, *l);
            return;
          }
        }
      }
    }
    Best outline;
    for (size_t e = 0; e < kept.size(); ++e) {
      segment(kept[e], kept[(e + 1) % kept.size()], {}, outline);
    }
    if (outline.found) best.offer(d, outline.world, outline.local);
  }

  const ViewTransform& view_;
  Rect rect_;
  double prox_;
  std::vector<CuttingPlane> eyePlane_;               // in perspective, nothing at or behind the eye
  std::vector<CuttingPlane> cutPlanes_ = eyePlane_;  // the eye plane and the active cutting planes
};

}  // namespace

int SceneTree::runSelection(std::string_view picture, double left, double right, double bottom, double top,
                            std::optional<double> proximity) {
  hits_.clear();
  current_ = 0;
  const Key pictureKey = walkPathConst(picture);
  if (pictureKey == kNoKey) return 0;
  if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(bottom) || !std::isfinite(top)) return 0;
  const ResolvedAttributes base = *resolvedAttributes(pictureKey);
  const auto view = ViewTransform::make(base.camera, base.handedness, base.windowSize);
  if (!view) return 0;

  double prox = 0.0;
  if (proximity) {
    prox = *proximity;
  } else if (const std::string* v = base.driverOptions.find("selection proximity")) {
    prox = parseNumber(*v).value_or(0.0);
  }
  if (!(prox >= 0.0) || !std::isfinite(prox)) prox = 0.0;

  std::optional<size_t> keep;
  if (const std::string* v = base.heuristics.find("related selection limit")) {
    if (const auto n = parseNumber(*v); n && *n >= 0.0 && *n < 1e9) keep = static_cast<size_t>(*n) + 1;
  }

  // One pass over the picture: the active cutting planes and the candidates.
  std::vector<CuttingPlane> planes;
  std::vector<Context> contexts;
  std::vector<Candidate> candidates;
  candidates.reserve(items_.size());
  traverse(pictureKey, [&](const SegmentVisit& visit) {
    const ResolvedAttributes& a = visit.attributes;
    std::array<bool, kKindCount> pickable{};
    bool any = false;
    for (int k = 0; k < kKindCount; ++k) {
      pickable[static_cast<size_t>(k)] = a.canPick(static_cast<Kind>(k));
      any = any || pickable[static_cast<size_t>(k)];
    }
    const bool cut = a.isVisible(Kind::CuttingPlanes);
    contexts.push_back({visit.segment.key, pickable, cut});
    for (Key k : visit.segment.items) {
      const Item& it = *items_.find(k);
      if (const auto* plane = std::get_if<CuttingPlane>(&it.geometry)) {
        if (cut) planes.push_back(*plane);
      } else if (any) {
        candidates.push_back({&it, contexts.size() - 1});
      }
    }
    return true;
  });

  const Rect rect{std::min(left, right), std::max(left, right), std::min(bottom, top), std::max(bottom, top)};
  Picker picker(*view, rect, prox);
  picker.setPlanes(planes);
  struct Found {
    Hit hit;
    size_t order;
  };
  std::vector<Found> found;
  for (size_t order = 0; order < candidates.size(); ++order) {
    const Item& it = *candidates[order].item;
    const Context& c = contexts[candidates[order].context];
    const Best best = picker.evaluate(it, c);
    if (!best.found) continue;
    Hit h;
    h.userKey = it.pickKey();
    h.itemKey = it.key;
    h.segmentKey = c.segment;
    h.kind = it.kind();
    h.worldPosition = best.world;
    h.windowPosition = best.local;
    h.distance = best.distance;
    found.push_back({std::move(h), order});
  }
  std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    if (a.hit.distance != b.hit.distance) return a.hit.distance < b.hit.distance;
    if (a.hit.windowPosition.z != b.hit.windowPosition.z) return a.hit.windowPosition.z < b.hit.windowPosition.z;
    return a.order < b.order;
  });
  std::set<Key> seen;  // an item reached twice through includes counts once
  for (auto& f : found) {
    if (!seen.insert(f.hit.itemKey).second) continue;
    if (keep && hits_.size() >= *keep) break;
    f.hit.segmentPath = pathOf(f.hit.segmentKey);
    hits_.push_back(std::move(f.hit));
  }
  return static_cast<int>(hits_.size());
}

int SceneTree::computeSelection(std::string_view picture, DPoint2D at, std::optional<double> proximity) {
  return runSelection(picture, at.x, at.x, at.y, at.y, proximity);
}

int SceneTree::computeSelectionByArea(std::string_view picture, double left, double right, double bottom, double top,
                                      std::optional<double> proximity) {
  return runSelection(picture, left, right, bottom, top, proximity);
}

const Hit* SceneTree::showSelection() const { return current_ < hits_.size() ? &hits_[current_] : nullptr; }

bool SceneTree::findNextSelection() {
  if (current_ + 1 >= hits_.size()) return false;
  ++current_;
  return true;
}

}  // namespace qx::gfx
