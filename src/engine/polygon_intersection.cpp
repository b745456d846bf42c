#include "engine/polygon_intersection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qx {

namespace {

constexpr double kTol = 0.001;         // the tolerance used throughout
constexpr double kParallel = 0.00001;  // edges with a smaller determinant are parallel
constexpr double kExtent = 0.00001;    // share of its length a segment must extend in a coordinate
constexpr float kTolF = 0.001f;

inline bool same(FPoint2D a, FPoint2D b) { return a.x == b.x && a.y == b.y; }

// Within 0.001 of the edge's line and inside its box widened by 0.001; a
// vertical edge uses the widened box alone.
inline bool onEdge(FPoint2D p, FPoint2D s, FPoint2D e) {
  // Quick reject in float with twice the margin; the exact test follows.
  constexpr float kReject = 0.002f;
  if ((p.y < s.y - kReject && p.y < e.y - kReject) || (p.y > s.y + kReject && p.y > e.y + kReject) ||
      (p.x < s.x - kReject && p.x < e.x - kReject) || (p.x > s.x + kReject && p.x > e.x + kReject))
    return false;
  const double px = p.x, py = p.y, sx = s.x, sy = s.y, ex = e.x, ey = e.y;
  const bool inBox = px >= std::min(sx, ex) - kTol && px <= std::max(sx, ex) + kTol && py >= std::min(sy, ey) - kTol &&
                     py <= std::max(sy, ey) + kTol;
  if (!inBox) return false;
  if (s.x == e.x) return true;
  const double dx = ex - sx, dy = ey - sy;
  return std::abs(dx * (py - sy) - dy * (px - sx)) <= kTol * std::sqrt(dx * dx + dy * dy);
}

// Point-in-polygon on the n points v[0..n-1], the ring closing from v[n-1] to v[0].
int pip(FPoint2D p, const FPoint2D* v, int n) {
  const double rx = double(p.x) - kTol, ry = p.y;
  bool inside = false;
  for (int k = 0; k < n; ++k) {
    const FPoint2D s = v[k], e = v[k + 1 < n ? k + 1 : 0];
    if (same(p, s) || onEdge(p, s, e)) return 2;
    const double x1 = s.x, x2 = e.x;
    if ((x1 <= rx) != (x2 <= rx)) {
      const double y = double(s.y) + (rx - x1) * (double(e.y) - s.y) / (x2 - x1);
      if (y > ry) inside = !inside;
    }
  }
  return inside ? 1 : 0;
}

struct Box {
  float minX, maxX, minY, maxY;
};

// pip for a ring whose box is known: a point more than the tolerance outside
// the box is neither on an edge nor inside, which the loop would find at
// more cost.
int pipBoxed(FPoint2D p, const FPoint2D* v, int n, const Box& box) {
  const double px = p.x, py = p.y;
  if (px < box.minX - 2 * kTol || px > box.maxX + 2 * kTol || py < box.minY - 2 * kTol || py > box.maxY + 2 * kTol)
    return 0;
  return pip(p, v, n);
}

// Shoelace sum over the closed ring of v[0..n-1].
double shoelace(const FPoint2D* v, std::size_t n) {
  double s = 0.0;
  for (std::size_t k = 0; k < n; ++k) {
    const FPoint2D a = v[k], b = v[k + 1 < n ? k + 1 : 0];
    s += double(a.x) * b.y - double(a.y) * b.x;
  }
  return s;
}

// Copies an open outline into a ring with its first point repeated at the
// end, made clockwise with the first point kept first.
void loadRing(const std::vector<FPoint2D>& in, std::vector<FPoint2D>& ring) {
  ring.assign(in.begin(), in.end());
  if (shoelace(ring.data(), ring.size()) > 0.0) std::reverse(ring.begin() + 1, ring.end());
  ring.push_back(ring.front());
}

Box boxOf(const std::vector<FPoint2D>& ring) {
  Box b{ring[0].x, ring[0].x, ring[0].y, ring[0].y};
  for (const FPoint2D& p : ring) {
    b.minX = std::min(b.minX, p.x);
    b.maxX = std::max(b.maxX, p.x);
    b.minY = std::min(b.minY, p.y);
    b.maxY = std::max(b.maxY, p.y);
  }
  return b;
}

// What `crossing` found for a pair of edges.
enum : unsigned {
  kNoCrossing = 0,
  kCrossing = 16,  // a crossing away from all four end points
  // Otherwise, for a crossing on both edges but within the tolerance of end
  // points, one bit per such end: p1, p2, q1, q2.
  kNearP1 = 1,
  kNearP2 = 2,
  kNearQ1 = 4,
  kNearQ2 = 8,
};

// The crossing of edge p1-p2 (of A) with q1-q2 (of B), when it lies on both
// and away from all four end points (kCrossing, with the point in `c`). A
// crossing on both edges that is within 0.001 in X and Y of end points gives
// the ends it is near instead.
unsigned crossing(FPoint2D p1, FPoint2D p2, FPoint2D q1, FPoint2D q2, FPoint2D& c) {
  const double ax = double(p2.x) - p1.x, ay = double(p2.y) - p1.y;
  const double bx = double(q2.x) - q1.x, by = double(q2.y) - q1.y;
  const double det = ax * by - ay * bx;
  if (!(std::abs(det) >= kParallel)) return kNoCrossing;
  const double t = ((double(q1.x) - p1.x) * by - (double(q1.y) - p1.y) * bx) / det;
  c = FPoint2D{float(p1.x + t * ax), float(p1.y + t * ay)};
  const double cx = c.x, cy = c.y;
  auto along = [](double v, double v1, double v2) {
    return std::abs(v - v1) + std::abs(v - v2) - std::abs(v2 - v1) <= kTol;
  };
  auto onSegment = [&](FPoint2D s, FPoint2D e) {
    const double dx = double(e.x) - s.x, dy = double(e.y) - s.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (std::abs(dx) > kExtent * len && !along(cx, s.x, e.x)) return false;
    if (std::abs(dy) > kExtent * len && !along(cy, s.y, e.y)) return false;
    return true;
  };
  if (!onSegment(p1, p2) || !onSegment(q1, q2)) return kNoCrossing;
  unsigned near = 0, bit = 1;
  for (FPoint2D end : {p1, p2, q1, q2}) {
    if (!(std::abs(cx - end.x) >= kTol || std::abs(cy - end.y) >= kTol)) near |= bit;
    bit <<= 1;
  }
  return near ? near : kCrossing;
}

// Rebuilds `ring` with each edge's crossings (sorted along the edge) after
// the edge's start.
void insertCrossings(std::vector<FPoint2D>& ring, const std::vector<IntersectionWorkspace::Crossing>& cross,
                     std::vector<FPoint2D>& scratch) {
  if (cross.empty()) return;
  scratch.clear();
  const int n = int(ring.size()) - 1;
  std::size_t c = 0;
  for (int k = 0; k < n; ++k) {
    scratch.push_back(ring[k]);
    for (; c < cross.size() && cross[c].edge == k; ++c) scratch.push_back(cross[c].p);
  }
  scratch.push_back(ring[n]);
  ring.swap(scratch);
}

inline double dist2(FPoint2D u, FPoint2D v) {
  const double dx = double(u.x) - v.x, dy = double(u.y) - v.y;
  return dx * dx + dy * dy;
}

// The squared distance from p to the segment s-e.
double segmentDistance2(FPoint2D p, FPoint2D s, FPoint2D e) {
  const double dx = double(e.x) - s.x, dy = double(e.y) - s.y;
  const double px = double(p.x) - s.x, py = double(p.y) - s.y;
  const double len2 = dx * dx + dy * dy;
  const double t = len2 > 0.0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
  const double ex = px - t * dx, ey = py - t * dy;
  return ex * ex + ey * ey;
}

// Inserts each vertex of `from` that lies on an edge of `into` (and equals
// neither end of it) after that edge's start, at the first such edge. A point
// that is already a vertex of `into` is not inserted again: where edges run
// along each other closer than the tolerance, a second copy would make the
// trace go round between the copies.
//
// `ends` are the vertices of `from` next to which a crossing with an edge of
// `into` was dropped; the meeting there is left to them, so each must end up
// a vertex of `into`. Most are within 0.001 of an edge and go in above. One
// that is not (up to about 0.0014 off: the crossing was within 0.001 in X and
// in Y), or that another insertion has bent the edge away from, goes into the
// edge whose crossing was dropped (the first one, if several were), into the
// nearest of the pieces that edge has been cut into. Without this the
// crossing is lost altogether and the trace cuts a chord across the part
// beyond it.
void insertTouching(std::vector<FPoint2D>& into, const std::vector<FPoint2D>& from, std::size_t fromCount,
                    const std::vector<IntersectionWorkspace::End>& ends,
                    std::vector<IntersectionWorkspace::End>* otherEnds) {
  const Box box = boxOf(into);
  for (std::size_t f = 0; f < fromCount; ++f) {
    const FPoint2D v = from[f];
    if (double(v.x) < box.minX - 3 * kTol || double(v.x) > box.maxX + 3 * kTol || double(v.y) < box.minY - 3 * kTol ||
        double(v.y) > box.maxY + 3 * kTol)
      continue;
    for (std::size_t k = 0; k + 1 < into.size(); ++k) {
      if (!onEdge(v, into[k], into[k + 1]) || same(v, into[k]) || same(v, into[k + 1])) continue;
      if (std::find(into.begin(), into.end(), v) == into.end()) into.insert(into.begin() + std::ptrdiff_t(k + 1), v);
      break;
    }
  }
  for (const IntersectionWorkspace::End& end : ends) {
    const FPoint2D v = end.p;
    // The pieces the edge has been cut into since: from its start to its end.
    const std::size_t n = into.size() - 1;
    std::size_t first = 0, last = n;
    const auto s = std::find(into.begin(), into.end() - 1, end.s);
    const bool span = s != into.end() - 1;
    if (span) {
      first = std::size_t(s - into.begin());
      for (std::size_t k = first + 1; k <= n; ++k)
        if (same(into[k], end.e)) {
          last = k;
          break;
        }
    }
    const auto at = std::find(into.begin(), into.end(), v);
    if (at != into.end()) {
      // Already a vertex, but maybe of the neighbouring edge (the vertex
      // insertion takes the first edge it is on): the edge whose crossing
      // was dropped then has no contact point. This happens where a corner of
      // `into` sticks out of the other outline by less than the tolerance
      // (or a narrow one by a little more) and the other outline meets both
      // of its edges next to v, or where v went into the edge on the other
      // side of a corner of `into` that lies next to v. The corner between
      // the two edges goes into the other outline, so that it is the contact
      // point of this edge; without it the trace leaves by the corner and
      // cuts a chord, or closes early. A corner farther than 0.01 is left
      // out: the other outline would bend too far.
      const std::size_t pos = std::size_t(at - into.begin());
      if (otherEnds && span && (pos < first || pos > last)) {
        const double ds = dist2(v, end.s), de = dist2(v, end.e);
        const FPoint2D corner = ds < de ? end.s : end.e;
        if (std::abs(double(corner.x) - v.x) <= 10 * kTol && std::abs(double(corner.y) - v.y) <= 10 * kTol)
          otherEnds->push_back({corner, end.os, end.oe, end.s, end.e});
      }
      continue;
    }
    std::size_t best = first;
    double bestD2 = std::numeric_limits<double>::infinity();
    for (std::size_t k = first; k < last; ++k) {
      const double d2 = segmentDistance2(v, into[k], into[k + 1]);
      if (d2 < bestD2) bestD2 = d2, best = k;
    }
    into.insert(into.begin() + std::ptrdiff_t(best + 1), v);
  }
}

int firstEqual(FPoint2D p, const FPoint2D* v, int n) {
  for (int k = 0; k < n; ++k)
    if (same(p, v[k])) return k;
  return -1;
}

// Crossings: every edge of A (ws.a) against every edge of B (ws.b), both
// shifted by (ox, oy); `bb` is B's box before the shift. Each crossing is
// computed once and recorded in both lists, so that it is the same point in
// both outlines; crossings near end points note those ends instead. False
// when an outline has more crossings than the routine allows.
bool findCrossings(IntersectionWorkspace& ws, const Box& bb, float ox, float oy) {
  const std::vector<FPoint2D>& ringA = ws.a;
  const std::vector<FPoint2D>& ringB = ws.b;
  const int na = int(ringA.size()) - 1, nb = int(ringB.size()) - 1;
  ws.boxB.resize(std::size_t(nb) * 4);
  for (int l = 0; l < nb; ++l) {
    const FPoint2D q1 = ringB[l], q2 = ringB[l + 1];
    float* bx = &ws.boxB[std::size_t(l) * 4];
    bx[0] = std::min(q1.x, q2.x) - kTolF;
    bx[1] = std::max(q1.x, q2.x) + kTolF;
    bx[2] = std::min(q1.y, q2.y) - kTolF;
    bx[3] = std::max(q1.y, q2.y) + kTolF;
  }
  ws.crossA.clear();
  ws.crossB.clear();
  ws.endsA.clear();
  ws.endsB.clear();
  for (int k = 0; k < na; ++k) {
    const FPoint2D p1 = ringA[k], p2 = ringA[k + 1];
    const float minX = std::min(p1.x, p2.x), maxX = std::max(p1.x, p2.x);
    const float minY = std::min(p1.y, p2.y), maxY = std::max(p1.y, p2.y);
    if (maxX < bb.minX - ox - kTolF || minX > bb.maxX - ox + kTolF || maxY < bb.minY - oy - kTolF ||
        minY > bb.maxY - oy + kTolF)
      continue;
    const std::size_t first = ws.crossA.size();
    for (int l = 0; l < nb; ++l) {
      const float* bx = &ws.boxB[std::size_t(l) * 4];
      if (maxX < bx[0] || minX > bx[1] || maxY < bx[2] || minY > bx[3]) continue;
      const FPoint2D q1 = ringB[l], q2 = ringB[l + 1];
      FPoint2D c;
      const unsigned found = crossing(p1, p2, q1, q2, c);
      if (found != kCrossing) {
        // Dropped next to end points: each of those ends must become a
        // vertex of the other outline (see insertTouching).
        if (found & kNearP1) ws.endsB.push_back({p1, q1, q2, p1, p2});
        if (found & kNearP2) ws.endsB.push_back({p2, q1, q2, p1, p2});
        if (found & kNearQ1) ws.endsA.push_back({q1, p1, p2, q1, q2});
        if (found & kNearQ2) ws.endsA.push_back({q2, p1, p2, q1, q2});
        continue;
      }
      if (ws.crossA.size() >= kIntersectionMaxCrossings) return false;
      const double dax = double(c.x) - p1.x, day = double(c.y) - p1.y;
      const double dbx = double(c.x) - q1.x, dby = double(c.y) - q1.y;
      ws.crossA.push_back({k, dax * dax + day * day, c});
      ws.crossB.push_back({l, dbx * dbx + dby * dby, c});
    }
    std::sort(ws.crossA.begin() + std::ptrdiff_t(first), ws.crossA.end(),
              [](const auto& u, const auto& v) { return u.d2 < v.d2; });
  }
  std::sort(ws.crossB.begin(), ws.crossB.end(),
            [](const auto& u, const auto& v) { return u.edge != v.edge ? u.edge < v.edge : u.d2 < v.d2; });
  return true;
}

// Insertion: the crossings, then the vertices of each outline that lie on
// the other's edges. After this every meeting point is a vertex of both.
void insertMeetingPoints(IntersectionWorkspace& ws) {
  insertCrossings(ws.a, ws.crossA, ws.scratch);
  insertCrossings(ws.b, ws.crossB, ws.scratch);
  // The ends noted with the crossings go in with them; an end that went into
  // a neighbouring edge brings the corner between the two edges into the
  // other outline (into A in a last round for the corners of B).
  insertTouching(ws.a, ws.b, ws.b.size() - 1, ws.endsA, &ws.endsB);
  ws.endsA.clear();
  insertTouching(ws.b, ws.a, ws.a.size() - 1, ws.endsB, &ws.endsA);
  if (!ws.endsA.empty()) insertTouching(ws.a, ws.b, 0, ws.endsA, nullptr);
}

// Tracing: the pieces of the two outlines once every meeting point is a
// vertex of both, written into the result.
class Tracer {
 public:
  Tracer(IntersectionWorkspace& ws, IntersectionResult& out, float ox, float oy)
      : ws_(ws),
        out_(out),
        A_(ws.a.data()),
        B_(ws.b.data()),
        nA_(int(ws.a.size()) - 1),
        nB_(int(ws.b.size()) - 1),
        boxA_(boxOf(ws.a)),
        boxB_(boxOf(ws.b)),
        ox_(ox),
        oy_(oy),
        raw_(ws.scratch),
        written_(ws.written) {
    written_.clear();
  }

  // Traces every piece, then trims the result's pieces to those written.
  void run() {
    tracePieces();
    out_.pieces.resize(pieceCount_);
  }

 private:
  void halt(IntersectionStop why) {
    out_.overflow = true;
    out_.stop = why;
  }
  void tracePieces();
  bool findStart(int& startA, int& startB) const;
  bool beginPiece();
  bool write(FPoint2D p);
  bool closePiece();
  bool trace(int sA, int sB);
  int advA(int i) const { return i < nA_ ? i + 1 : 1; }
  int advB(int j) const { return j < nB_ ? j + 1 : 1; }

  IntersectionWorkspace& ws_;
  IntersectionResult& out_;
  const FPoint2D* A_;
  const FPoint2D* B_;
  int nA_, nB_;
  Box boxA_, boxB_;
  float ox_, oy_;
  // The work buffer is only counted: a piece takes a header pair, its points
  // and a copy of its first point.
  std::size_t bufNext_ = 0, pieceBase_ = 0;
  std::size_t pieceCount_ = 0;
  std::vector<FPoint2D>& raw_;      // the piece being traced
  std::vector<FPoint2D>& written_;  // every point written so far
};

// Start: the last vertex of A on B's boundary. A contact point that is not
// a vertex of both outlines cannot start a trace and is passed over; so B
// never has a start where A has none, and the outlines never need to
// exchange roles.
//
// A pinch is passed over as well, when there is another start: the start u
// followed in A by a contact point w that stands just before u in B, the
// two within 0.002 of each other in X and Y. It comes from a crossing next
// to a vertex of each outline (each vertex within the tolerance of the
// other's edge, so each went into the other outline, but in opposite
// orders). A trace through it goes u, w, u and on, but a trace that starts
// at u ends at once with the zero-area piece u, w, u and, since the real
// piece then has a single contact point left, the piece is lost.
bool Tracer::findStart(int& startA, int& startB) const {
  startA = -1;
  startB = -1;
  // (A vertex equal to a vertex of B is on B's boundary: the equality scan
  // alone decides.)
  for (int k = nA_ - 1; k >= 0; --k) {
    const int j = firstEqual(A_[k], B_, nB_);
    if (j < 0) continue;
    if (startA < 0) startA = k, startB = j;
    const FPoint2D u = A_[k], w = A_[k + 1];
    const bool pinch = !same(u, w) && std::abs(double(u.x) - w.x) <= 2 * kTol &&
                       std::abs(double(u.y) - w.y) <= 2 * kTol && same(B_[j > 0 ? j - 1 : nB_ - 1], w);
    if (!pinch) {
      startA = k;
      startB = j;
      break;
    }
  }
  return startA >= 0;
}

bool Tracer::beginPiece() {
  if (bufNext_ >= kIntersectionBufferPairs) return halt(IntersectionStop::WorkBuffer), false;
  pieceBase_ = bufNext_++;
  raw_.clear();
  return true;
}

bool Tracer::write(FPoint2D p) {
  if (bufNext_ >= kIntersectionBufferPairs) return halt(IntersectionStop::WorkBuffer), false;
  ++bufNext_;
  raw_.push_back(p);
  written_.push_back(p);
  return true;
}

// Closing: runs of equal points become one, the piece is made clockwise and
// its area counted.
bool Tracer::closePiece() {
  std::vector<FPoint2D>& piece = ws_.piece;
  piece.clear();
  for (std::size_t k = 0; k < raw_.size(); ++k)
    if (k + 1 == raw_.size() || !same(raw_[k], raw_[k + 1])) piece.push_back(raw_[k]);
  const std::size_t m = piece.size();
  if (pieceBase_ + m + 1 >= kIntersectionBufferPairs) return halt(IntersectionStop::WorkBuffer), false;
  bufNext_ = pieceBase_ + m + 2;
  const double s = shoelace(piece.data(), m);
  if (s > 0.0) std::reverse(piece.begin() + 1, piece.end());
  out_.area += std::abs(s) / 2.0;
  if (pieceCount_ == out_.pieces.size()) out_.pieces.emplace_back();
  std::vector<FPoint2D>& dst = out_.pieces[pieceCount_++];
  dst.clear();
  for (const FPoint2D& p : piece) dst.push_back(FPoint2D{p.x + ox_, p.y + oy_});
  return true;
}

// Tracing one piece from A[sA] (= B[sB]). False when the routine must stop.
bool Tracer::trace(int sA, int sB) {
  const FPoint2D* A = A_;
  const FPoint2D* B = B_;
  const int nA = nA_, nB = nB_;
  const FPoint2D start = A[sA];
  if (!beginPiece() || !write(start)) return false;
  FPoint2D last = start;
  int i = advA(sA), j = advB(sB);
  bool outsideOnce = false;  // the stepped-outside flag
  bool onA = true;
  bool closed = false;
  const std::size_t limit = 4 * std::size_t(nA + nB) + 16;
  // 1: the piece closed; 0: go on; -1: stop.
  auto put = [&](FPoint2D p) -> int {
    if (!write(p)) return -1;
    last = p;
    return same(p, start) ? 1 : 0;
  };
  auto alignJ = [&](FPoint2D p) {
    const int k = firstEqual(p, B, nB);
    if (k >= 0) j = advB(k);
  };
  auto alignI = [&](FPoint2D p) {
    const int k = firstEqual(p, A, nA);
    if (k >= 0) i = advA(k);
  };
  auto mid = [](FPoint2D u, FPoint2D v) { return FPoint2D{(u.x + v.x) * 0.5f, (u.y + v.y) * 0.5f}; };
  for (std::size_t step = 0;; ++step) {
    if (step > limit) return halt(IntersectionStop::WalkLimit), false;
    const FPoint2D p = onA ? A[i] : B[j];
    const int where = onA ? pipBoxed(p, B, nB, boxB_) : pipBoxed(p, A, nA, boxA_);
    if (where == 0) {
      if (outsideOnce) break;
      outsideOnce = true;
      onA = !onA;
      continue;
    }
    outsideOnce = false;
    int r;
    if (where == 1) {
      r = put(p);
      if (r == 0) onA ? (void)(i = advA(i)) : (void)(j = advB(j));
    } else if (onA) {
      const FPoint2D q = B[j];
      if (same(p, q) || pipBoxed(q, A, nA, boxA_) == 0 || pipBoxed(mid(last, p), B, nB, boxB_) >= 1) {
        r = put(p);
        if (r == 0) alignJ(p), i = advA(i);
      } else {
        r = put(q);
        if (r == 0) alignI(q), j = advB(j), onA = false;
      }
    } else {
      const FPoint2D q = A[i];
      if (same(p, q) || pipBoxed(q, B, nB, boxB_) == 0 || pipBoxed(mid(last, p), A, nA, boxA_) >= 1) {
        r = put(p);
        if (r == 0) alignI(p), j = advB(j);
      } else {
        r = put(q);
        if (r == 0) alignJ(q), i = advA(i), onA = true;
      }
    }
    if (r < 0) return false;
    if (r == 1) {
      closed = true;
      break;
    }
  }
  if (!closed && !write(start)) return false;
  return closePiece();
}

void Tracer::tracePieces() {
  int startA, startB;
  if (findStart(startA, startB)) {
    if (!trace(startA, startB)) return;
  } else {
    // No contact: one outline inside the other, or apart.
    const int inB = pipBoxed(A_[nA_ - 1], B_, nB_, boxB_);
    const int inA = pipBoxed(B_[nB_ - 1], A_, nA_, boxA_);
    if (inB == 0 && inA == 0) return;
    const FPoint2D* whole = inB == 1 ? A_ : B_;
    const int count = inB == 1 ? nA_ : nB_;
    if (!beginPiece()) return;
    for (int k = 0; k < count; ++k)
      if (!write(whole[k])) return;
    if (!closePiece()) return;
  }

  // Further pieces: contact points of B not yet written. Each round writes
  // its start, so the rounds are bounded by B's size.
  for (int round = 0; round <= nB_; ++round) {
    int count = 0, nextA = -1, nextB = -1;
    for (int k = 0; k < nB_; ++k) {
      const FPoint2D v = B_[k];
      // On A's boundary and a vertex of A (the equality decides both).
      const int a = firstEqual(v, A_, nA_);
      if (a < 0) continue;
      bool near = false;
      for (const FPoint2D& w : written_)
        if (std::abs(double(v.x) - w.x) <= kTol && std::abs(double(v.y) - w.y) <= kTol) {
          near = true;
          break;
        }
      if (near) continue;
      ++count;
      nextA = a;
      nextB = k;
    }
    if (count < 2) break;
    if (!trace(nextA, nextB)) break;
  }
}

}  // namespace

int pointInPolygon(FPoint2D p, const std::vector<FPoint2D>& outline) {
  return pip(p, outline.data(), int(outline.size()));
}

double pieceArea(const std::vector<FPoint2D>& outline) {
  return std::abs(shoelace(outline.data(), outline.size())) / 2.0;
}

IntersectionResult intersectPolygons(const std::vector<FPoint2D>& subject, const std::vector<FPoint2D>& clip) {
  thread_local IntersectionWorkspace workspace;
  IntersectionResult result;
  intersectPolygons(subject, clip, workspace, result);
  return result;
}

void intersectPolygons(const std::vector<FPoint2D>& subject, const std::vector<FPoint2D>& clip,
                       IntersectionWorkspace& ws, IntersectionResult& out) {
  out.area = 0.0;
  out.overflow = false;
  out.stop = IntersectionStop::None;
  if (subject.size() < 3 || clip.size() < 3) return out.pieces.clear();

  // Both clockwise, first point first, first point repeated at the end.
  loadRing(subject, ws.a);
  loadRing(clip, ws.b);

  // Boxes that only touch count as apart.
  const Box ba = boxOf(ws.a), bb = boxOf(ws.b);
  if (ba.maxX <= bb.minX || bb.maxX <= ba.minX || ba.maxY <= bb.minY || bb.maxY <= ba.minY) return out.pieces.clear();

  // Work near the origin; shifted back at the end.
  const float ox = std::min(ba.minX, bb.minX), oy = std::min(ba.minY, bb.minY);
  for (FPoint2D& p : ws.a) p = FPoint2D{p.x - ox, p.y - oy};
  for (FPoint2D& p : ws.b) p = FPoint2D{p.x - ox, p.y - oy};

  if (!findCrossings(ws, bb, ox, oy)) {
    out.overflow = true;
    out.stop = IntersectionStop::Crossings;
    return out.pieces.clear();
  }
  insertMeetingPoints(ws);
  Tracer(ws, out, ox, oy).run();
}

}  // namespace qx
