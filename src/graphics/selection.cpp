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
  const Bounds* bounds;
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

  // A lower bound of the distance an item can have, before the exact test: in
  // an orthographic view the window is an affine image of the world, so no part
  // of an item comes nearer than the window box of its world box (cutting only
  // takes parts away). Nullopt when even that is beyond the proximity; 0 when
  // nothing is known (perspective, no points, coordinates not finite).
  std::optional<double> lowerBound(const Bounds& b) const {
    if (view_.perspective() || b.empty || !b.finite) return 0.0;
    const DPoint3D c = (b.min + b.max) * 0.5 - view_.target();
    const DPoint3D e = (b.max - b.min) * 0.5;
    const auto extent = [&](const DPoint3D& axis) {
      return std::abs(axis.x) * e.x + std::abs(axis.y) * e.y + std::abs(axis.z) * e.z;
    };
    const double hw = view_.visibleHalfWidth(), hh = view_.visibleHalfHeight();
    const double cx = dot(c, view_.right()) / hw, ex = extent(view_.right()) / hw;
    const double cy = dot(c, view_.up()) / hh, ey = extent(view_.up()) / hh;
    // Room for rounding, so that the bound never exceeds the exact distance.
    const double slack = 1e-9 * (1.0 + std::abs(cx) + std::abs(cy) + ex + ey);
    const double dx = std::max({cx - ex - rect_.right, 0.0, rect_.left - cx - ex});
    const double dy = std::max({cy - ey - rect_.top, 0.0, rect_.bottom - cy - ey});
    const double d = std::max(std::hypot(dx, dy) - slack, 0.0);
    if (d > prox_) return std::nullopt;
    return d;
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

void SceneTree::pickSettingsChanged(Key segment) {
  if (pickWalk_.picture == kNoKey) return;
  // Past a few thousand changes a new walk costs less than the copies.
  if (pickSettingsChanged_.size() >= 4096) {
    pickWalk_ = PickWalk();
    pickSettingsChanged_.clear();
    return;
  }
  pickSettingsChanged_.push_back(segment);
}

const SceneTree::PickWalk& SceneTree::pickWalk(Key picture) {
  PickWalk& w = pickWalk_;
  const auto copySettings = [](PickWalk::Visit& v) {
    v.visible = v.segment->attributes.visibility.on;
    v.selectable = v.segment->attributes.selectability.mode;
  };
  if (w.picture == picture && w.structure == structure_) {
    for (Key k : pickSettingsChanged_) {
      auto it = std::lower_bound(w.visitsBySegment.begin(), w.visitsBySegment.end(), std::pair{k, size_t{0}});
      for (; it != w.visitsBySegment.end() && it->first == k; ++it) copySettings(w.visits[it->second]);
    }
    pickSettingsChanged_.clear();
    if (w.shapes != shapes_) {
      for (auto& e : w.items) e.bounds = e.item->bounds;
      w.shapes = shapes_;
    }
    return w;
  }
  w = PickWalk();
  pickSettingsChanged_.clear();
  w.picture = picture;
  w.structure = structure_;
  w.shapes = shapes_;
  std::vector<Key> route;
  const auto walk = [&](const auto& self, Key k, size_t parent, int depth) -> void {
    if (depth > kMaxTraversalDepth || std::find(route.begin(), route.end(), k) != route.end()) return;
    const Segment* seg = segment(k);
    if (!seg) return;
    const size_t index = w.visits.size();
    w.visits.push_back({seg, k, parent, w.items.size(), w.items.size() + seg->items.size(), {}, {}});
    copySettings(w.visits.back());
    w.visitsBySegment.emplace_back(k, index);
    for (Key key : seg->items) {
      const Item* item = items_.find(key);
      w.items.push_back({item, item->bounds, std::holds_alternative<CuttingPlane>(item->geometry)});
    }
    route.push_back(k);
    for (Key c : seg->subsegments) self(self, c, index, depth + 1);
    for (Key c : seg->includes) self(self, c, index, depth + 1);
    route.pop_back();
  };
  walk(walk, picture, PickWalk::npos, 0);
  std::sort(w.visitsBySegment.begin(), w.visitsBySegment.end());
  return w;
}

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
  // Only visibility and selectability matter here; each visit takes them from
  // the visit above (or from the picture's owners) and its own settings.
  struct Pick {
    std::array<bool, kKindCount> visible;
    std::array<Pickable, kKindCount> selectable;
  };
  const PickWalk& walk = pickWalk(pictureKey);
  ResolvedAttributes above;
  if (const Segment* s = segment(pictureKey); s->owner != kNoKey) above = *resolvedAttributes(s->owner);
  std::vector<Pick> states;
  states.reserve(walk.visits.size());
  std::vector<CuttingPlane> planes;
  std::vector<Context> contexts;
  std::vector<Candidate> candidates;
  for (const auto& visit : walk.visits) {
    Pick state = visit.parent == PickWalk::npos ? Pick{above.visible, above.selectable} : states[visit.parent];
    std::array<bool, kKindCount> pickable{};
    bool any = false;
    for (size_t i = 0; i < static_cast<size_t>(kKindCount); ++i) {
      if (const auto& v = visit.visible[i]) state.visible[i] = *v;
      if (const auto& m = visit.selectable[i]) state.selectable[i] = *m;
      const Pickable m = state.selectable[i];
      pickable[i] = m == Pickable::EvenIfHidden || (m == Pickable::On && state.visible[i]);
      any = any || pickable[i];
    }
    states.push_back(state);
    const bool cut = state.visible[static_cast<size_t>(Kind::CuttingPlanes)];
    contexts.push_back({visit.key, pickable, cut});
    for (size_t i = visit.firstItem; i < visit.endItem; ++i) {
      const PickWalk::Entry& e = walk.items[i];
      if (e.cuttingPlane) {
        if (cut) planes.push_back(std::get<CuttingPlane>(e.item->geometry));
      } else if (any) {
        candidates.push_back({e.item, &e.bounds, contexts.size() - 1});
      }
    }
  }

  const Rect rect{std::min(left, right), std::max(left, right), std::min(bottom, top), std::max(bottom, top)};
  Picker picker(*view, rect, prox);
  picker.setPlanes(planes);
  struct Found {
    Hit hit;
    size_t order;
  };
  std::vector<Found> found;
  // Candidates nearest first by their lower bound. With a limit on the hits,
  // the search ends once enough distinct items are nearer than any bound left.
  struct Pending {
    size_t order;
    double bound;
  };
  std::vector<Pending> pending;
  for (size_t order = 0; order < candidates.size(); ++order) {
    if (const auto bound = picker.lowerBound(*candidates[order].bounds)) pending.push_back({order, *bound});
  }
  if (keep) {
    std::stable_sort(pending.begin(), pending.end(),
                     [](const Pending& a, const Pending& b) { return a.bound < b.bound; });
  }
  const auto enoughBelow = [&](double bound) {
    std::set<Key> items;
    for (const auto& f : found) {
      if (f.hit.distance < bound) items.insert(f.hit.itemKey);
    }
    return items.size() >= *keep;
  };
  for (size_t p = 0; p < pending.size(); ++p) {
    if (keep && p > 0 && found.size() >= *keep && pending[p].bound > pending[p - 1].bound &&
        enoughBelow(pending[p].bound))
      break;
    const size_t order = pending[p].order;
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
