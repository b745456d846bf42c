#include "engine/polygon_intersection.h"

#include <algorithm>
#include <cmath>

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

// The crossing of edge p1-p2 (of A) with q1-q2 (of B), when it lies on both
// and away from all four end points.
bool crossing(FPoint2D p1, FPoint2D p2, FPoint2D q1, FPoint2D q2, FPoint2D& c) {
  const double ax = double(p2.x) - p1.x, ay = double(p2.y) - p1.y;
  const double bx = double(q2.x) - q1.x, by = double(q2.y) - q1.y;
  const double det = ax * by - ay * bx;
  if (!(std::abs(det) >= kParallel)) return false;
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
  if (!onSegment(p1, p2) || !onSegment(q1, q2)) return false;
  for (FPoint2D end : {p1, p2, q1, q2})
    if (!(std::abs(cx - end.x) >= kTol || std::abs(cy - end.y) >= kTol)) return false;
  return true;
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

// Inserts each vertex of `from` that lies on an edge of `into` (and equals
// neither end of it) after that edge's start, at the first such edge. A point
// that is already a vertex of `into` is not inserted again: where edges run
// along each other closer than the tolerance, a second copy would make the
// trace go round between the copies.
void insertTouching(std::vector<FPoint2D>& into, const std::vector<FPoint2D>& from, std::size_t fromCount) {
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
}

int firstEqual(FPoint2D p, const FPoint2D* v, int n) {
  for (int k = 0; k < n; ++k)
    if (same(p, v[k])) return k;
  return -1;
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
  std::size_t pieceCount = 0;
  auto finish = [&] { out.pieces.resize(pieceCount); };
  auto halt = [&](IntersectionStop why) {
    out.overflow = true;
    out.stop = why;
  };
  if (subject.size() < 3 || clip.size() < 3) return finish();

  // Both clockwise, first point first, first point repeated at the end.
  std::vector<FPoint2D>& ringA = ws.a;
  std::vector<FPoint2D>& ringB = ws.b;
  loadRing(subject, ringA);
  loadRing(clip, ringB);

  // Boxes that only touch count as apart.
  const Box ba = boxOf(ringA), bb = boxOf(ringB);
  if (ba.maxX <= bb.minX || bb.maxX <= ba.minX || ba.maxY <= bb.minY || bb.maxY <= ba.minY) return finish();

  // Work near the origin; shifted back at the end.
  const float ox = std::min(ba.minX, bb.minX), oy = std::min(ba.minY, bb.minY);
  for (FPoint2D& p : ringA) p = FPoint2D{p.x - ox, p.y - oy};
  for (FPoint2D& p : ringB) p = FPoint2D{p.x - ox, p.y - oy};

  // Crossings: every edge of A against every edge of B. Each crossing is
  // computed once and recorded in both lists, so that it is the same point in
  // both outlines.
  {
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
        if (!crossing(p1, p2, q1, q2, c)) continue;
        if (ws.crossA.size() >= kIntersectionMaxCrossings) {
          halt(IntersectionStop::Crossings);
          return finish();
        }
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
  }

  // Insertion: the crossings, then the vertices of each outline that lie on
  // the other's edges. After this every meeting point is a vertex of both.
  insertCrossings(ringA, ws.crossA, ws.scratch);
  insertCrossings(ringB, ws.crossB, ws.scratch);
  insertTouching(ringA, ringB, ringB.size() - 1);
  insertTouching(ringB, ringA, ringA.size() - 1);

  const FPoint2D* A = ringA.data();
  const FPoint2D* B = ringB.data();
  int nA = int(ringA.size()) - 1;
  int nB = int(ringB.size()) - 1;
  Box boxA = boxOf(ringA), boxB = boxOf(ringB);

  // Start: the last vertex of A on B's boundary. A contact point that is not
  // a vertex of both outlines cannot start a trace and is passed over; so B
  // never has a start where A has none, and the outlines never need to
  // exchange roles.
  int startA = -1, startB = -1;
  // (A vertex equal to a vertex of B is on B's boundary: the equality scan
  // alone decides.)
  for (int k = 0; k < nA; ++k) {
    const int j = firstEqual(A[k], B, nB);
    if (j < 0) continue;
    startA = k;
    startB = j;
  }
  // The work buffer is only counted: a piece takes a header pair, its points
  // and a copy of its first point.
  std::size_t bufNext = 0, pieceBase = 0;
  std::vector<FPoint2D>& raw = ws.scratch;
  std::vector<FPoint2D>& written = ws.written;
  written.clear();

  auto beginPiece = [&]() -> bool {
    if (bufNext >= kIntersectionBufferPairs) return halt(IntersectionStop::WorkBuffer), false;
    pieceBase = bufNext++;
    raw.clear();
    return true;
  };
  auto write = [&](FPoint2D p) -> bool {
    if (bufNext >= kIntersectionBufferPairs) return halt(IntersectionStop::WorkBuffer), false;
    ++bufNext;
    raw.push_back(p);
    written.push_back(p);
    return true;
  };
  // Closing: runs of equal points become one, the piece is made clockwise and
  // its area counted.
  auto closePiece = [&]() -> bool {
    std::vector<FPoint2D>& piece = ws.piece;
    piece.clear();
    for (std::size_t k = 0; k < raw.size(); ++k)
      if (k + 1 == raw.size() || !same(raw[k], raw[k + 1])) piece.push_back(raw[k]);
    const std::size_t m = piece.size();
    if (pieceBase + m + 1 >= kIntersectionBufferPairs) return halt(IntersectionStop::WorkBuffer), false;
    bufNext = pieceBase + m + 2;
    const double s = shoelace(piece.data(), m);
    if (s > 0.0) std::reverse(piece.begin() + 1, piece.end());
    out.area += std::abs(s) / 2.0;
    if (pieceCount == out.pieces.size()) out.pieces.emplace_back();
    std::vector<FPoint2D>& dst = out.pieces[pieceCount++];
    dst.clear();
    for (const FPoint2D& p : piece) dst.push_back(FPoint2D{p.x + ox, p.y + oy});
    return true;
  };

  auto advA = [&](int i) { return i < nA ? i + 1 : 1; };
  auto advB = [&](int j) { return j < nB ? j + 1 : 1; };

  // Tracing one piece from A[sA] (= B[sB]). False when the routine must stop.
  auto trace = [&](int sA, int sB) -> bool {
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
      const int where = onA ? pipBoxed(p, B, nB, boxB) : pipBoxed(p, A, nA, boxA);
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
        if (same(p, q) || pipBoxed(q, A, nA, boxA) == 0 || pipBoxed(mid(last, p), B, nB, boxB) >= 1) {
          r = put(p);
          if (r == 0) alignJ(p), i = advA(i);
        } else {
          r = put(q);
          if (r == 0) alignI(q), j = advB(j), onA = false;
        }
      } else {
        const FPoint2D q = A[i];
        if (same(p, q) || pipBoxed(q, B, nB, boxB) == 0 || pipBoxed(mid(last, p), A, nA, boxA) >= 1) {
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
  };

  if (startA >= 0) {
    if (!trace(startA, startB)) return finish();
  } else {
    // No contact: one outline inside the other, or apart.
    const int inB = pipBoxed(A[nA - 1], B, nB, boxB);
    const int inA = pipBoxed(B[nB - 1], A, nA, boxA);
    if (inB == 0 && inA == 0) return finish();
    const FPoint2D* whole = inB == 1 ? A : B;
    const int count = inB == 1 ? nA : nB;
    if (!beginPiece()) return finish();
    for (int k = 0; k < count; ++k)
      if (!write(whole[k])) return finish();
    if (!closePiece()) return finish();
  }

  // Further pieces: contact points of B not yet written. Each round writes
  // its start, so the rounds are bounded by B's size.
  for (int round = 0; round <= nB; ++round) {
    int count = 0, nextA = -1, nextB = -1;
    for (int k = 0; k < nB; ++k) {
      const FPoint2D v = B[k];
      // On A's boundary and a vertex of A (the equality decides both).
      const int a = firstEqual(v, A, nA);
      if (a < 0) continue;
      bool near = false;
      for (const FPoint2D& w : written)
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
  finish();
}

}  // namespace qx
