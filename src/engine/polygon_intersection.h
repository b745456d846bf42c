#pragma once
// The polygon intersection routine: the common part of a subject outline and a
// clip outline, worked in single precision, as zero or more pieces.
//
// What a caller gets back, piece by piece (all points in the callers'
// coordinates, as float):
//  - A traced piece (the outlines' boundaries meet) lists its m points
//    clockwise, starting at the contact point the trace started from, and its
//    last point repeats that start point: the ring is closed explicitly and the
//    repeat is one of the m points. Runs of equal consecutive points are
//    reduced to one. In the rare case that a traced piece came out
//    counter-clockwise, points 2..m are reversed, so the repeat of the start
//    stands second instead of last.
//  - A whole outline (the boundaries do not meet and one outline lies inside
//    the other) lists each of its vertices once, clockwise, with the caller's
//    first point still first (an outline handed over counter-clockwise is
//    reversed behind its first point). The ring is not closed explicitly.
//  - Where the outlines only touch (a shared vertex, or a shared stretch of
//    edge with the outlines on opposite sides), a traced piece can be
//    degenerate: one or two distinct points and zero area. Callers that want
//    only real pieces drop pieces whose area is zero (`pieceArea`).
// `area` is the total of the pieces' areas (half the absolute shoelace sum of
// each ring, summed in double from the float points).
//
// Limits: the pieces stand one after the other in a work buffer of 50,000
// point pairs (each piece takes m + 2 pairs); each outline may hold up to 100
// crossings; every walk is bounded. Running into any of these stops the
// routine: `overflow` is set, `stop` says which limit, and `pieces`/`area`
// hold the pieces completed before it (none when the crossing limit is hit,
// since that is found before any tracing).
//
// Thread safety: the functions keep no shared state. The overload without a
// workspace uses one per thread; a workspace must not be shared by threads
// running at the same time.
#include <cstddef>
#include <vector>

namespace qx {

struct FPoint2D {
  float x = 0.0f;
  float y = 0.0f;
  friend bool operator==(const FPoint2D&, const FPoint2D&) = default;
};

// Which limit stopped the routine.
enum class IntersectionStop {
  None,        // ran to the end
  WorkBuffer,  // a write past the 50,000-pair work buffer
  Crossings,   // more than 100 crossings on an outline
  WalkLimit,   // a trace took more steps than the outlines' sizes allow
};

struct IntersectionResult {
  // Each piece's points as closing leaves them (see above).
  std::vector<std::vector<FPoint2D>> pieces;
  double area = 0.0;      // total over the pieces
  bool overflow = false;  // a limit was hit; the routine stopped there
  IntersectionStop stop = IntersectionStop::None;
};

// Size limits of the routine.
inline constexpr std::size_t kIntersectionBufferPairs = 50000;
inline constexpr std::size_t kIntersectionMaxCrossings = 100;

// Scratch space reused from call to call, so that repeated calls do not
// allocate once the vectors have grown. One per thread.
struct IntersectionWorkspace {
  struct Crossing {
    int edge = 0;     // edge index in its outline
    double d2 = 0.0;  // squared distance from the edge's start
    FPoint2D p;
  };
  std::vector<FPoint2D> a, b, scratch, written, piece;
  std::vector<Crossing> crossA, crossB;
  // A vertex p of the other outline next to which the crossing of the edge
  // s-e with the other outline's edge os-oe was dropped.
  struct End {
    FPoint2D p, s, e, os, oe;
  };
  std::vector<End> endsA, endsB;  // to be made vertices of A, of B
  std::vector<float> boxB;        // per edge of B: min x, max x, min y, max y
};

// Intersects `subject` with `clip`, both simple open outlines (the first point
// is not repeated at the end) of at least 3 points; with fewer the result is
// empty. Either orientation is accepted.
IntersectionResult intersectPolygons(const std::vector<FPoint2D>& subject, const std::vector<FPoint2D>& clip);

// The same with caller-owned scratch space and result (the result's vectors
// are reused as well).
void intersectPolygons(const std::vector<FPoint2D>& subject, const std::vector<FPoint2D>& clip,
                       IntersectionWorkspace& workspace, IntersectionResult& result);

// 2 on the boundary (equal to a vertex, or within 0.001 of an edge's line,
// measured perpendicular to it, and inside the edge's bounding box widened by
// 0.001; for a vertical edge the widened box alone), 1 inside, 0 outside.
// Inside or outside is decided by a ray cast in +Y from the point moved 0.001
// towards -X: an odd number of edges crossed is inside.
int pointInPolygon(FPoint2D p, const std::vector<FPoint2D>& outline);

// Half the absolute shoelace sum of an outline taken as a closed ring.
double pieceArea(const std::vector<FPoint2D>& outline);

}  // namespace qx
