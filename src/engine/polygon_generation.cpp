// Generating the polygon set: bands, Voronoi cells, clipping and calculation.
#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <numeric>
#include <optional>

#include "datasets/color_table.h"
#include "engine/parallel.h"
#include "engine/polygon_intersection.h"
#include "engine/polygons.h"
#include "engine/voronoi.h"

namespace qx {

namespace {

constexpr int kCompositesPerBand = 500;
constexpr double kBandEdgeTolerance = 0.001;

// The influence polygon around (0, 0): `sides` vertices at R = r / cos(pi/s)
// so that its inscribed circle has radius r, the first at (rho - 90) + pi/s.
std::vector<DPoint3D> influenceTemplate(const QuarlexSettings& settings) {
  QuarlexSettings shape;
  shape.sidesPerPolygon = settings.sidesPerPolygon;
  shape.defaultPolygonSize = settings.defaultPolygonSize;
  shape.firstVertexAngle = settings.firstVertexAngle;
  shape.buildDefaultPolygon();
  return shape.defaultPolygon;
}

// Points in single precision in a frame centred on `centre`. The clipping is
// worked in single precision there, where the coordinates are small, and the
// result is moved back in double precision: far from the origin a float
// would otherwise keep only a few centimetres of a coordinate.
//
// Consecutive points within the routine's tolerance of 0.001 in both X and Y
// are taken once (and a last point on the first): the routine treats such
// points as one, and an edge shorter than its tolerance can derail its
// tracing. Cells have them where four or more cells meet, as on a grid.
void toLocal(const std::vector<DPoint3D>& points, const DPoint3D& centre, std::vector<FPoint2D>& out) {
  constexpr float kSame = 0.001f;
  auto same = [](const FPoint2D& a, const FPoint2D& b) {
    return std::abs(a.x - b.x) < kSame && std::abs(a.y - b.y) < kSame;
  };
  out.clear();
  out.reserve(points.size());
  for (const auto& p : points) {
    const FPoint2D q{static_cast<float>(p.x - centre.x), static_cast<float>(p.y - centre.y)};
    if (out.empty() || !same(out.back(), q)) out.push_back(q);
  }
  while (out.size() > 1 && same(out.back(), out.front())) out.pop_back();
}

// Band points per composite above which the plan's triangulation serves
// every band (bench/generate.cpp: at 100,000 composites a band holds 5
// (uniform) to 10 (drill holes) points per own composite and the two ways
// cost about the same; at 1,000,000, 14 to 30, and the plan's is faster).
constexpr double kPlanAbove = 12.0;

double signedShoelace(const std::vector<FPoint2D>& v) {
  double s = 0.0;
  for (std::size_t k = 0; k < v.size(); ++k) {
    const FPoint2D a = v[k], b = v[k + 1 < v.size() ? k + 1 : 0];
    s += double(a.x) * b.y - double(a.y) * b.x;
  }
  return s;
}

// Most cells lie well inside their influence polygon, and most outlines well
// inside their envelope's contour. When no edge of `clip` comes within twice
// the routine's tolerance of the subject's box, the two outlines cannot meet:
// the routine would find no crossing and no contact, test the subject's last
// point against the clip, and give back the subject whole (clockwise, first
// point first, moved to its working origin and back in single precision) or
// nothing. This gives the same answer without the routine's work; nullopt
// when the shortcut does not apply.
std::optional<bool> wholeOrNothing(const std::vector<FPoint2D>& subject, const std::vector<FPoint2D>& clip,
                                   std::vector<FPoint2D>& piece) {
  constexpr float kMargin = 0.002f;
  float aminX = subject[0].x, amaxX = aminX, aminY = subject[0].y, amaxY = aminY;
  for (const auto& p : subject) {
    aminX = std::min(aminX, p.x);
    amaxX = std::max(amaxX, p.x);
    aminY = std::min(aminY, p.y);
    amaxY = std::max(amaxY, p.y);
  }
  float bminX = clip[0].x, bmaxX = bminX, bminY = clip[0].y, bmaxY = bminY;
  for (std::size_t k = 0; k < clip.size(); ++k) {
    const FPoint2D q1 = clip[k], q2 = clip[k + 1 < clip.size() ? k + 1 : 0];
    bminX = std::min(bminX, q1.x);
    bmaxX = std::max(bmaxX, q1.x);
    bminY = std::min(bminY, q1.y);
    bmaxY = std::max(bmaxY, q1.y);
    if (std::max(q1.x, q2.x) + kMargin >= aminX && std::min(q1.x, q2.x) - kMargin <= amaxX &&
        std::max(q1.y, q2.y) + kMargin >= aminY && std::min(q1.y, q2.y) - kMargin <= amaxY)
      return std::nullopt;  // an edge near the subject: the routine decides
  }
  // Boxes apart (or only touching): nothing, as the routine says.
  if (amaxX <= bminX || bmaxX <= aminX || amaxY <= bminY || bmaxY <= aminY) return false;
  if (pointInPolygon(subject.back(), clip) != 1) return false;
  const float ox = std::min(aminX, bminX), oy = std::min(aminY, bminY);
  piece.assign(subject.begin(), subject.end());
  if (signedShoelace(piece) > 0.0) std::reverse(piece.begin() + 1, piece.end());
  for (auto& p : piece) {
    const FPoint2D shifted{p.x - ox, p.y - oy};
    p = FPoint2D{shifted.x + ox, shifted.y + oy};
  }
  return true;
}

// Replaces the outline by the pieces of `subject` inside `clip` (both in the
// frame of `centre`), with every Z equal to the first cell vertex's.
void clipOutline(CPolygon& poly, const std::vector<FPoint2D>& subject, const std::vector<FPoint2D>& clip,
                 const DPoint3D& centre, bool shortcuts) {
  const double z = poly.cell.empty() ? 0.0 : poly.cell.front().z;
  poly.outline.clear();
  if (subject.size() >= 3 && clip.size() >= 3) {
    thread_local std::vector<FPoint2D> whole;
    if (shortcuts) {
      if (const auto inside = wholeOrNothing(subject, clip, whole)) {
        if (*inside)
          for (const auto& p : whole)
            poly.outline.push_back({static_cast<double>(p.x) + centre.x, static_cast<double>(p.y) + centre.y, z});
        poly.outlineChanged();
        return;
      }
    }
    const IntersectionResult result = intersectPolygons(subject, clip);
    for (const auto& piece : result.pieces) {
      // Outlines that only touch give pieces without area: not part of the outline.
      if (pieceArea(piece) == 0.0) continue;
      for (const auto& p : piece)
        poly.outline.push_back({static_cast<double>(p.x) + centre.x, static_cast<double>(p.y) + centre.y, z});
    }
  }
  poly.outlineChanged();
}

// Everything one polygon needs from the project while clipping.
struct ClipContext {
  const CompositeSet& composites;
  const EnvelopeSet& envelopes;
  std::vector<FPoint2D> influence;         // the influence polygon around (0, 0)
  bool envelopesClip = false;              // some envelope has its clip flag set
  const std::vector<EnvelopeHit>* hits{};  // per composite: its envelope and contour
  bool shortcuts = true;                   // GenerateOptions::clipShortcuts
};

bool inRange(const CPolygon& poly, const CompositeSet& composites) {
  return poly.compositeIndex >= 0 && poly.compositeIndex < composites.count();
}

const DPoint3D& compositePosition(const CPolygon& poly, const CompositeSet& composites) {
  return composites.composites[static_cast<std::size_t>(poly.compositeIndex)].position;
}

bool clipToInfluence(CPolygon& poly, int mode, const ClipContext& ctx, std::vector<FPoint2D>& subject) {
  if (!inRange(poly, ctx.composites)) return false;
  if (mode == 1 && poly.outline.size() < 3) return false;
  const DPoint3D& centre = compositePosition(poly, ctx.composites);
  toLocal(mode == 0 ? poly.cell : poly.outline, centre, subject);
  clipOutline(poly, subject, ctx.influence, centre, ctx.shortcuts);
  return true;
}

// True when the polygon was cut by its envelope's contour; otherwise its
// outline goes (area, volume and tonnage stay as they were).
bool clipToEnvelope(CPolygon& poly, const ClipContext& ctx, const EnvelopeHit& hit, std::vector<FPoint2D>& subject,
                    std::vector<FPoint2D>& clip) {
  bool cut = false;
  if (inRange(poly, ctx.composites) && poly.outline.size() >= 3 && hit.envelope >= 0 &&
      hit.envelope < ctx.envelopes.count()) {
    const Envelope& env = ctx.envelopes.envelopes[static_cast<std::size_t>(hit.envelope)];
    if (env.clipPolygons != 0 && hit.contour >= 0 && hit.contour < static_cast<int>(env.contours.size())) {
      const DPoint3D& centre = compositePosition(poly, ctx.composites);
      toLocal(poly.outline, centre, subject);
      toLocal(env.contours[static_cast<std::size_t>(hit.contour)], centre, clip);
      clipOutline(poly, subject, clip, centre, ctx.shortcuts);
      cut = true;
    }
  }
  if (!cut) {
    poly.outline.clear();
    poly.recomputeBoundingBox();  // no outline, no box; area, volume and tonnage stay
  }
  return cut;
}

bool anyEnvelopeClips(const EnvelopeSet& envelopes) {
  return std::any_of(envelopes.envelopes.begin(), envelopes.envelopes.end(),
                     [](const Envelope& e) { return e.clipPolygons != 0; });
}

EnvelopeLocator envelopeLocator(const EnvelopeSet& envelopes) {
  return [&envelopes](const DPoint3D& p) {
    EnvelopeHit hit;
    hit.envelope = envelopes.findContaining(p.x, p.y, &hit.contour);
    return hit;
  };
}

// The composite indices of [from, to) in rising order, into out. A band of
// a million composites holds some 15,000 (its 3r margins), of the whole
// index range: marking them in a bit set and reading it back in order beats
// sorting them when they are more than the bit set has words.
void inCompositeOrder(std::vector<int>::const_iterator from, std::vector<int>::const_iterator to, int n,
                      std::vector<int>& out) {
  out.assign(from, to);
  const std::size_t words = (static_cast<std::size_t>(n) + 63) / 64;
  if (out.size() * 8 < words) {
    std::sort(out.begin(), out.end());
    return;
  }
  thread_local std::vector<std::uint64_t> bits;
  if (bits.size() < words) bits.assign(words, 0);
  for (int i : out) bits[static_cast<std::size_t>(i) >> 6] |= std::uint64_t{1} << (i & 63);
  std::size_t at = 0;
  for (std::size_t w = 0; w < words; ++w) {
    std::uint64_t word = bits[w];
    if (word == 0) continue;
    bits[w] = 0;
    while (word != 0) {
      out[at++] = static_cast<int>(w * 64 + static_cast<std::size_t>(std::countr_zero(word)));
      word &= word - 1;
    }
  }
}

// Which composites take part, and the envelope and contour of each: one
// pass, shared by every band (a composite near a band edge is seen by
// several bands).
struct Participants {
  std::vector<char> takesPart;    // per composite: 1 when it takes part
  std::vector<EnvelopeHit> hits;  // per composite: its envelope and contour
  std::vector<int> byY;           // the participants sorted by Y (stable)
  std::vector<double> sortedY;    // the Y of each of byY
};

// Each composite's membership is its own, so the pass runs in slices on all
// threads. False when cancelled.
bool findParticipants(CompositeSet& composites, const QuarlexSettings& settings, const EnvelopeSet& envelopes,
                      int threads, const std::atomic<bool>* cancel, Participants& out) {
  const int n = composites.count();
  const EnvelopeLocator locate = envelopeLocator(envelopes);
  out.takesPart.assign(static_cast<std::size_t>(n), 0);
  out.hits.assign(static_cast<std::size_t>(n), EnvelopeHit{});
  constexpr int kSlice = 4096;
  const int slices = (n + kSlice - 1) / kSlice;
  const ParallelOutcome outcome = parallelFor(slices, parallelThreads(threads, slices), cancel, [&](int s, int) {
    for (int i = s * kSlice; i < std::min(n, (s + 1) * kSlice); ++i) {
      EnvelopeHit last;
      const EnvelopeLocator recording = [&](const DPoint3D& p) { return last = locate(p); };
      out.takesPart[static_cast<std::size_t>(i)] =
          composites.takesPartInCalculation(i, settings, envelopes, recording) ? 1 : 0;
      const auto& c = composites.composites[static_cast<std::size_t>(i)];
      out.hits[static_cast<std::size_t>(i)] = c.envelopeIndex < 0 ? EnvelopeHit{} : last;
    }
  });
  if (outcome == ParallelOutcome::Cancelled) return false;

  // The participants sorted by Y, so that each band finds its own by search.
  out.byY.clear();
  out.byY.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    if (out.takesPart[static_cast<std::size_t>(i)] != 0) out.byY.push_back(i);
  std::stable_sort(out.byY.begin(), out.byY.end(), [&](int a, int b) {
    return composites.composites[static_cast<std::size_t>(a)].position.y <
           composites.composites[static_cast<std::size_t>(b)].position.y;
  });
  out.sortedY.resize(out.byY.size());
  for (std::size_t k = 0; k < out.byY.size(); ++k)
    out.sortedY[k] = composites.composites[static_cast<std::size_t>(out.byY[k])].position.y;
  return true;
}

// The Y range of each band: `bands` of equal height over the Y range of all
// the composites, the edges advancing by that height from the lowest Y as a
// sequential walk would.
struct BandEdges {
  std::vector<double> lower, upper;
  int count() const { return static_cast<int>(lower.size()); }
};

BandEdges bandEdges(const CompositeSet& composites, int bands) {
  double ymin = kItemExtent, ymax = -kItemExtent;
  for (const auto& c : composites.composites) {
    ymin = std::min(ymin, c.position.y);
    ymax = std::max(ymax, c.position.y);
  }
  const double dy = (ymax - ymin) / bands;
  BandEdges edges;
  edges.lower.resize(static_cast<std::size_t>(bands));
  edges.upper.resize(static_cast<std::size_t>(bands));
  double L = ymin, U = ymin + dy;
  for (int b = 0; b < bands; ++b) {
    edges.lower[static_cast<std::size_t>(b)] = L;
    edges.upper[static_cast<std::size_t>(b)] = U;
    L += dy;
    U += dy;
  }
  return edges;
}

// True when the cells come from one triangulation of every participant for
// all the bands. Automatic takes it when the bands would otherwise
// triangulate much the same ground many times over: it costs a triangulation
// of the whole plan on one thread, and a search of each cell's circles,
// about what a band's own triangulation costs when its margins hold a few
// times its own composites.
bool cellsFromPlan(CellSource source, const Participants& part, const BandEdges& edges, double r) {
  if (source != CellSource::Automatic) return source == CellSource::Plan;
  const auto& y = part.sortedY;
  double held = 0;
  for (int b = 0; b < edges.count(); ++b)
    held += static_cast<double>(std::lower_bound(y.begin(), y.end(), edges.upper[static_cast<std::size_t>(b)] + 3 * r) -
                                std::lower_bound(y.begin(), y.end(), edges.lower[static_cast<std::size_t>(b)] - 3 * r));
  return held > kPlanAbove * static_cast<double>(part.byY.size());
}

// The cells of one band's members (composite indices in rising order),
// relative to `origin`: from the plan's triangulation when it has one; from
// the band's own where the plan has none or a cell cannot be cut from it,
// made when first needed.
class BandCells {
 public:
  BandCells(const PlanVoronoi& plan, CellSource source, const CompositeSet& composites, const std::vector<int>& members,
            const DPoint3D& origin, double r, double L, double U)
      : source_(source), composites_(composites), members_(members), origin_(origin), r_(r), L_(L), U_(U) {
    if (plan.ready()) {
      fromPlan_.emplace(plan);
      fromPlan_->set(members, r);
    }
  }

  // Member k's position relative to the origin.
  DPoint3D relative(int k) const {
    return composites_.composites[static_cast<std::size_t>(members_[static_cast<std::size_t>(k)])].position - origin_;
  }

  void cell(int k, std::vector<DPoint3D>& out) {
    if (fromPlan_ && fromPlan_->buildCell(k, out) >= 0) return;
    if (!fast_ && !reference_) triangulate();
    if (reference_)
      reference_->buildCell(k, out);
    else
      fast_->buildCell(k, out);
  }

 private:
  // The band's own triangulation of its points (only it needs all of them).
  void triangulate() {
    points_.reserve(members_.size());
    for (std::size_t t = 0; t < members_.size(); ++t) points_.push_back(relative(static_cast<int>(t)));
    fast_.emplace();
    const bool ready =
        source_ == CellSource::BandWhole
            ? fast_->compute(points_, r_)
            : fast_->compute(points_, r_, L_ - kBandEdgeTolerance - origin_.y, U_ + kBandEdgeTolerance - origin_.y);
    if (!ready) {
      if (points_.size() > static_cast<std::size_t>(kMaxDirectPoints))
        refuseDirectConstruction(static_cast<int>(points_.size()));
      reference_ = std::make_unique<CVoronoi>(static_cast<int>(points_.size()));
      reference_->setPoints(points_, r_);
      reference_->compute();
    }
  }

  CellSource source_;
  const CompositeSet& composites_;
  const std::vector<int>& members_;
  DPoint3D origin_;
  double r_, L_, U_;
  std::vector<DPoint3D> points_;
  std::optional<PlanVoronoi::Band> fromPlan_;
  std::optional<FastVoronoi> fast_;
  std::unique_ptr<CVoronoi> reference_;
};

// The work of one band: the cells of its own composites, cut to the
// influence polygon and then to their envelope.
struct BandWorker {
  const CompositeSet& composites;
  const QuarlexSettings& settings;
  const Participants& part;
  const BandEdges& edges;
  const PlanVoronoi& plan;
  const ClipContext& ctx;
  CellSource source;
  DPoint3D origin;
  double r;

  // Band b's polygons, in composite order, into out.
  void run(int b, std::vector<CPolygon>& out) const {
    const double L = edges.lower[static_cast<std::size_t>(b)];
    const double U = edges.upper[static_cast<std::size_t>(b)];
    const auto& y = part.sortedY;
    const auto first = std::lower_bound(y.begin(), y.end(), L - 3 * r) - y.begin();
    const auto last = std::lower_bound(y.begin(), y.end(), U + 3 * r) - y.begin();
    if (first >= last) return;
    thread_local std::vector<int> members;
    inCompositeOrder(part.byY.begin() + first, part.byY.begin() + last, composites.count(), members);
    BandCells cells(plan, source, composites, members, origin, r, L, U);
    // The band's own composites: those within 0.001 of its Y range.
    thread_local std::vector<int> own;
    own.clear();
    for (std::size_t k = 0; k < members.size(); ++k) {
      const double yk = cells.relative(static_cast<int>(k)).y + origin.y;
      if (L - kBandEdgeTolerance <= yk && yk < U + kBandEdgeTolerance) own.push_back(static_cast<int>(k));
    }
    out.reserve(own.size());
    std::vector<FPoint2D> subject, clip;
    for (const int k : own) {
      const int c = members[static_cast<std::size_t>(k)];
      const CComposite& composite = composites.composites[static_cast<std::size_t>(c)];
      CPolygon poly;
      cells.cell(k, poly.cell);
      for (auto& v : poly.cell) {
        v.x += origin.x;
        v.y += origin.y;
        v.z = composite.position.z;
      }
      poly.setComposite(c, composite, settings);
      clipToInfluence(poly, 0, ctx, subject);
      if (ctx.envelopesClip) clipToEnvelope(poly, ctx, part.hits[static_cast<std::size_t>(c)], subject, clip);
      out.push_back(std::move(poly));
    }
  }
};

}  // namespace

double compositeVariableValue(const CComposite& c, int n, int loadedCount) {
  if (n < 0) return 0.0;
  if (n < loadedCount)
    return static_cast<std::size_t>(n) < c.values.size() ? c.values[static_cast<std::size_t>(n)] : 0.0;
  const auto k = static_cast<std::size_t>(n - loadedCount);
  return k < c.calcValues.size() ? c.calcValues[k] : 0.0;
}

std::string polygonName(int compositeIndex) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "poly%05d", compositeIndex);
  return buf;
}

double outlineArea(const std::vector<DPoint3D>& outline) {
  if (outline.size() < 3) return 0.0;
  // Newell's sum of cross products around the ring, taken about the first
  // point (the sum does not depend on it, the rounding does); the area is
  // half its length, the outline's area in its own plane.
  const DPoint3D o = outline.front();
  double sx = 0.0, sy = 0.0, sz = 0.0;
  const std::size_t n = outline.size();
  for (std::size_t i = 0; i < n; ++i) {
    const DPoint3D a = outline[i] - o;
    const DPoint3D b = outline[(i + 1) % n] - o;
    sx += a.y * b.z - a.z * b.y;
    sy += a.z * b.x - a.x * b.z;
    sz += a.x * b.y - a.y * b.x;
  }
  return 0.5 * std::sqrt(sx * sx + sy * sy + sz * sz);
}

void CPolygon::setComposite(int c, const CComposite& composite, const QuarlexSettings& settings) {
  compositeIndex = c;
  name = polygonName(c);
  const int loadedCount = settings.loadedCount();
  const int sgVariable = settings.findSGVariable();
  specificGravity = sgVariable >= 0 ? compositeVariableValue(composite, sgVariable, loadedCount) : settings.defaultSG;
  if (specificGravity <= 0.0) specificGravity = settings.defaultSG;
  const int thicknessVariable = settings.findThicknessVariable();
  thickness = thicknessVariable >= 0 ? compositeVariableValue(composite, thicknessVariable, loadedCount)
                                     : settings.fixedThickness;
  if (thickness <= 0.00001) thickness = 0.00001;
  volume = thickness * area;
  tonnage = volume * specificGravity;
}

void CPolygon::outlineChanged() {
  recomputeBoundingBox();
  area = outlineArea(outline);
  volume = thickness * area;
  tonnage = volume * specificGravity;
}

int CPolygon::removeRepeatedCellVertices() {
  int removed = 0;
  for (int k = static_cast<int>(cell.size()) - 2; k >= 0; --k) {
    const DPoint3D& a = cell[static_cast<std::size_t>(k)];
    const DPoint3D& b = cell[static_cast<std::size_t>(k) + 1];
    if (std::abs(b.x - a.x) + std::abs(b.y - a.y) + std::abs(b.z - a.z) < 0.01) {
      cell.erase(cell.begin() + k + 1);
      ++removed;
    }
  }
  return removed;
}

int CPolygonSet::generate(CompositeSet& composites, const QuarlexSettings& settings, const EnvelopeSet& envelopes,
                          const BandProgress& progress, int threads) {
  GenerateOptions options;
  options.threads = threads;
  return generate(composites, settings, envelopes, progress, options);
}

int CPolygonSet::generate(CompositeSet& composites, const QuarlexSettings& settings, const EnvelopeSet& envelopes,
                          const BandProgress& progress, const GenerateOptions& options) {
  const int n = composites.count();
  if (n == 0) return 0;
  const std::atomic<bool>* cancel = options.cancel;
  const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
  const double r = settings.defaultPolygonSize;
  const BandEdges edges = bandEdges(composites, n / kCompositesPerBand + 1);
  const int bands = edges.count();

  Participants part;
  if (!findParticipants(composites, settings, envelopes, options.threads, cancel, part)) return kGenerateCancelled;

  ClipContext ctx{composites, envelopes, {}, anyEnvelopeClips(envelopes), &part.hits, options.clipShortcuts};
  toLocal(influenceTemplate(settings), DPoint3D{}, ctx.influence);

  const DPoint3D origin = composites.composites.front().position;
  PlanVoronoi plan;
  if (cellsFromPlan(options.cells, part, edges, r)) {
    std::vector<DPoint3D> relative(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
      relative[static_cast<std::size_t>(i)] = composites.composites[static_cast<std::size_t>(i)].position - origin;
    plan.build(relative, part.takesPart);
    if (cancelled()) return kGenerateCancelled;
  }

  // Each band's polygons; the set takes them only once every band is done.
  std::vector<std::vector<CPolygon>> results(static_cast<std::size_t>(bands));
  const BandWorker worker{composites, settings, part, edges, plan, ctx, options.cells, origin, r};
  std::function<void(int)> report;
  if (progress) report = [&](int done) { progress(done, bands); };
  const ParallelOutcome outcome = parallelFor(
      bands, parallelThreads(options.threads, bands), cancel,
      [&](int b, int) { worker.run(b, results[static_cast<std::size_t>(b)]); }, report);
  if (outcome == ParallelOutcome::Cancelled) return kGenerateCancelled;

  std::size_t total = 0;
  for (const auto& band : results) total += band.size();
  std::vector<CPolygon> all;
  all.reserve(total);
  for (auto& band : results)
    for (auto& p : band) all.push_back(std::move(p));
  polygons = std::move(all);
  widenBoxByPolygons();  // each polygon's box came with its outline
  return 1;
}

int CPolygonSet::clipToInfluencePolygons(int mode, const CompositeSet& composites, const QuarlexSettings& settings,
                                         bool clipShortcuts) {
  static const EnvelopeSet kNoEnvelopes;
  ClipContext ctx{composites, kNoEnvelopes, {}, false, nullptr, clipShortcuts};
  toLocal(influenceTemplate(settings), DPoint3D{}, ctx.influence);
  std::vector<FPoint2D> subject;
  int cut = 0;
  for (auto& poly : polygons) cut += clipToInfluence(poly, mode, ctx, subject) ? 1 : 0;
  return cut;
}

int CPolygonSet::clipToEnvelopes(CompositeSet& composites, const QuarlexSettings& /*settings*/,
                                 const EnvelopeSet& envelopes, bool clipShortcuts) {
  if (!anyEnvelopeClips(envelopes)) return 0;
  ClipContext ctx{composites, envelopes, {}, true, nullptr, clipShortcuts};
  const EnvelopeLocator locate = envelopeLocator(envelopes);
  std::vector<FPoint2D> subject, clip;
  int cut = 0;
  for (auto it = polygons.rbegin(); it != polygons.rend(); ++it) {
    EnvelopeHit hit;
    if (inRange(*it, composites)) hit = composites.findEnvelope(it->compositeIndex, locate);
    cut += clipToEnvelope(*it, ctx, hit, subject, clip) ? 1 : 0;
  }
  return cut;
}

void CPolygonSet::recalculateValues(const CompositeSet& composites, const QuarlexSettings& settings) {
  for (auto& poly : polygons)
    if (inRange(poly, composites))
      poly.setComposite(poly.compositeIndex, composites.composites[static_cast<std::size_t>(poly.compositeIndex)],
                        settings);
}

void CPolygonSet::updateColours(const CompositeSet& composites, const CColorTable& colours,
                                const QuarlexSettings& settings) {
  std::vector<std::string> loadedNames, calculatedNames;
  for (const auto& v : settings.loaded) loadedNames.push_back(v.name);
  for (const auto& v : settings.calculated) calculatedNames.push_back(v.name);
  const BinClassifier classify(colours, colours.currentTable, loadedNames, calculatedNames);
  std::vector<double> values;
  for (auto& poly : polygons) {
    if (!inRange(poly, composites)) continue;
    const CComposite& c = composites.composites[static_cast<std::size_t>(poly.compositeIndex)];
    values.assign(c.values.begin(), c.values.end());
    values.insert(values.end(), c.calcValues.begin(), c.calcValues.end());
    poly.colour = classify.classify(values);
  }
}

int CPolygonSet::findByComposite(int c) const {
  for (int i = 0; i < count(); ++i)
    if (polygons[static_cast<std::size_t>(i)].compositeIndex == c) return i;
  return -1;
}

void CPolygonSet::clear() {
  polygons.clear();
  recomputeBoundingBox();
}

CPolygonSet::Totals CPolygonSet::totals() const {
  Totals t;
  t.count = count();
  for (const auto& p : polygons) {
    t.area += p.area;
    t.volume += p.volume;
    t.tonnage += p.tonnage;
  }
  return t;
}

}  // namespace qx
