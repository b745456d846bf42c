#include "engine/data_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "variables/variable_rules.h"

namespace qx {

namespace {

using Ring = std::vector<DPoint3D>;

double cross(const DPoint3D& a, const DPoint3D& b, const DPoint3D& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Segments pq and rs cross at a point inside both: a shared end or a touch
// does not count.
bool properlyCross(const DPoint3D& p, const DPoint3D& q, const DPoint3D& r, const DPoint3D& s) {
  const double d1 = cross(p, q, r), d2 = cross(p, q, s), d3 = cross(r, s, p), d4 = cross(r, s, q);
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

struct Segment {
  DPoint3D a, b;
  double xmin, xmax;
};

void addRing(const Ring& ring, std::vector<Segment>& out) {
  const std::size_t n = ring.size();
  if (n < 2) return;
  for (std::size_t i = 0; i < n; ++i) {
    const DPoint3D& a = ring[i];
    const DPoint3D& b = ring[(i + 1) % n];
    out.push_back({a, b, std::min(a.x, b.x), std::max(a.x, b.x)});
  }
}

// Sorted by their left end, a segment meets only those that start before its right end.
bool anyCrossing(std::vector<Segment>& segs) {
  std::sort(segs.begin(), segs.end(), [](const Segment& l, const Segment& r) { return l.xmin < r.xmin; });
  for (std::size_t i = 0; i < segs.size(); ++i)
    for (std::size_t j = i + 1; j < segs.size() && segs[j].xmin <= segs[i].xmax; ++j)
      if (properlyCross(segs[i].a, segs[i].b, segs[j].a, segs[j].b)) return true;
  return false;
}

bool inside(const DPoint3D& p, const Ring& ring) {
  bool in = false;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    const DPoint3D& a = ring[i];
    const DPoint3D& b = ring[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

// Two outlines share some area: a vertex of one inside the other, or edges that cross.
bool overlap(const Ring& f, const Ring& g) {
  if (f.size() < 3 || g.size() < 3) return false;
  for (const auto& p : f)
    if (inside(p, g)) return true;
  for (const auto& p : g)
    if (inside(p, f)) return true;
  for (std::size_t i = 0; i < f.size(); ++i)
    for (std::size_t j = 0; j < g.size(); ++j)
      if (properlyCross(f[i], f[(i + 1) % f.size()], g[j], g[(j + 1) % g.size()])) return true;
  return false;
}

bool boxesMeet(const DPoint3D& amin, const DPoint3D& amax, const DPoint3D& bmin, const DPoint3D& bmax) {
  return amin.x <= bmax.x && bmin.x <= amax.x && amin.y <= bmax.y && bmin.y <= amax.y;
}

void add(DataCheck& c, std::string item) {
  ++c.count;
  c.items.push_back(std::move(item));
}

}  // namespace

const char* checkLevelName(CheckLevel level) {
  switch (level) {
    case CheckLevel::Error: return "error";
    case CheckLevel::Warning: return "warning";
    case CheckLevel::Info: return "info";
  }
  return "info";
}

DataCheck checkNearDuplicates(const CompositeSet& set, double tolerance) {
  DataCheck check{"near-duplicate composites", CheckLevel::Error, 0, {}};
  const auto& cs = set.composites;
  const double cell = tolerance > 0.0 ? tolerance : 1.0;
  using Key = std::pair<std::int64_t, std::int64_t>;
  auto keyOf = [cell](const DPoint3D& p) {
    return Key{static_cast<std::int64_t>(std::floor(p.x / cell)), static_cast<std::int64_t>(std::floor(p.y / cell))};
  };
  // (cell, index) sorted: each cell's composites stand together, in file order.
  std::vector<std::pair<Key, std::size_t>> grid;
  grid.reserve(cs.size());
  for (std::size_t i = 0; i < cs.size(); ++i) grid.push_back({keyOf(cs[i].position), i});
  std::sort(grid.begin(), grid.end());
  const double tol2 = tolerance * tolerance;
  for (std::size_t i = 0; i < cs.size(); ++i) {
    const DPoint3D& p = cs[i].position;
    const Key k = keyOf(p);
    std::size_t found = cs.size();
    // Own cell first: a run of co-located composites is found at once.
    static constexpr int kOrder[9][2] = {{0, 0}, {-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
    for (const auto& d : kOrder) {
      const Key nk{k.first + d[0], k.second + d[1]};
      auto it = std::lower_bound(grid.begin(), grid.end(), std::pair<Key, std::size_t>{nk, 0});
      for (; it != grid.end() && it->first == nk && it->second < i; ++it) {
        const DPoint3D& q = cs[it->second].position;
        const double dx = p.x - q.x, dy = p.y - q.y;
        if (dx * dx + dy * dy <= tol2) {
          found = it->second;
          break;
        }
      }
      if (found < cs.size()) break;
    }
    if (found < cs.size()) add(check, cs[i].name + " (near " + cs[found].name + ")");
  }
  return check;
}

DataCheck checkCrossingEnvelopes(const EnvelopeSet& envelopes) {
  DataCheck check{"crossing envelopes", CheckLevel::Error, 0, {}};
  std::vector<Segment> segs;
  for (const auto& e : envelopes.envelopes) {
    segs.clear();
    for (const auto& c : e.contours) addRing(c, segs);
    if (anyCrossing(segs)) add(check, e.name);
  }
  return check;
}

std::vector<DataCheck> runDataChecks(const DataCheckInput& in, double tolerance, CheckPercentiles percentiles) {
  std::vector<DataCheck> out;
  out.push_back(checkNearDuplicates(in.composites, tolerance));
  out.push_back(checkCrossingEnvelopes(in.envelopes));
  const auto& cs = in.composites.composites;
  if (in.envelopes.count() > 0) {
    DataCheck c{"composites outside every envelope", CheckLevel::Warning, 0, {}};
    for (const auto& comp : cs)
      if (in.envelopes.findContaining(comp.position.x, comp.position.y) < 0) add(c, comp.name);
    out.push_back(std::move(c));
  }
  for (std::size_t k = 0; k < in.settings.loaded.size(); ++k) {
    const VariableInfo& v = in.settings.loaded[k];
    DataCheck c{"missing " + v.name, CheckLevel::Warning, 0, {}};
    for (const auto& comp : cs)
      if (k < comp.values.size() && comp.values[k] == v.missingValue) add(c, comp.name);
    out.push_back(std::move(c));
  }
  for (std::size_t k = 0; k < in.settings.loaded.size(); ++k) {
    const VariableInfo& v = in.settings.loaded[k];
    std::vector<double> values;
    for (const auto& comp : cs)
      if (k < comp.values.size() && comp.values[k] != v.missingValue) values.push_back(comp.values[k]);
    std::sort(values.begin(), values.end());
    const auto rank = [&](double p) {
      const auto r = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
      return values[std::clamp<std::size_t>(r, 1, values.size()) - 1];
    };
    DataCheck c{"beyond percentiles " + v.name, CheckLevel::Info, 0, {}};
    if (!values.empty()) {
      const double low = rank(percentiles.low), high = rank(percentiles.high);
      for (const auto& comp : cs) {
        if (k >= comp.values.size() || comp.values[k] == v.missingValue) continue;
        const double x = comp.values[k];
        if (x < low || x > high) add(c, comp.name + " (" + formatFixed(x, 4) + ")");
      }
    }
    out.push_back(std::move(c));
  }
  if (in.polygons.count() > 0) {
    DataCheck c{"figures without polygons", CheckLevel::Warning, 0, {}};
    for (const auto& f : in.figures.figures) {
      DPoint3D lo{kItemExtent, kItemExtent, 0.0}, hi{-kItemExtent, -kItemExtent, 0.0};
      for (const auto& q : f.outline) {
        lo = {std::min(lo.x, q.x), std::min(lo.y, q.y), 0.0};
        hi = {std::max(hi.x, q.x), std::max(hi.y, q.y), 0.0};
      }
      const bool covered =
          std::any_of(in.polygons.polygons.begin(), in.polygons.polygons.end(), [&](const CPolygon& p) {
            return !p.outline.empty() && boxesMeet(lo, hi, p.minCorner, p.maxCorner) && overlap(f.outline, p.outline);
          });
      if (!covered) add(c, f.name);
    }
    out.push_back(std::move(c));
  }
  DataCheck emptied{"polygons emptied by clipping", CheckLevel::Warning, 0, {}};
  for (const auto& p : in.polygons.polygons)
    if (p.area == 0.0) add(emptied, p.name);
  out.push_back(std::move(emptied));
  return out;
}

bool dataChecksFailed(const std::vector<DataCheck>& checks) {
  return std::any_of(checks.begin(), checks.end(),
                     [](const DataCheck& c) { return c.level == CheckLevel::Error && c.count > 0; });
}

}  // namespace qx
