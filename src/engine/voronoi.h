#pragma once
// Voronoi cells of a planar point set, bounded by an enlarged rectangle around
// the points. CVoronoi is the direct construction (every pair of bisectors cut
// against each other, of order n^3); FastVoronoi bounds each cell by the
// bisectors of its Delaunay neighbours only, in the same rectangle, and lists
// it from the same first vertex. See docs/voronoi.md for where the two differ.
//
// Both take the points as they come (the caller makes them relative to one
// origin) and shear point k by (-k * 1e-6, +k * 1e-6) so that equal points
// stay apart. Each instance keeps its own buffers: separate instances may be
// used from separate threads at once.
#include <cmath>
#include <memory>
#include <vector>

#include "common/types.h"

namespace qx {

// What both constructions share: the shear, the rectangle and its sides, the
// polar angle that orders a cell. The slope-clamped bisector is the direct
// construction's alone.
namespace voronoi {

struct Box {
  double xmin = 1e37;
  double ymin = 1e37;
  double xmax = -1e37;
  double ymax = -1e37;
};

struct Segment {
  DPoint2D start;
  DPoint2D end;
};

// Point k as stored: X - k * 1e-6, Y + k * 1e-6.
DPoint2D sheared(const DPoint3D& p, int k);

// The box of the stored points, enlarged on every side by 3 * maxRadius plus
// its own width (in X) or height (in Y). An enlargement below kMinMargin is
// raised to kMinMargin, so that a single point, or one column or one row of
// points with a zero radius, still gets a rectangle in which the leaning
// sides bound the cell.
constexpr double kMinMargin = 1.0;
Box enlargedBox(const std::vector<DPoint2D>& points, double maxRadius);

// The bisector of pi and pj (pi the lower index) as a segment across the
// box: slope 0 when |dx| < 0.0001, 10000 when only |dy| < 0.0001, else
// -dx/dy; through the midpoint; from ymin to ymax when the slope is <= -1 or
// > 1, else from xmin to xmax.
Segment bisector(const DPoint2D& pi, const DPoint2D& pj, const Box& box);

// Side s (0 bottom, 1 left, 2 right, 3 top) of the box; the left and right
// sides lean by 0.1 so that no side is vertical.
Segment side(const Box& box, int s);

// Polar angle of (dx, dy) in [0, 2 pi): acos of dx over the length, mirrored
// below the X axis; 0 or pi when |dy| < 0.0001 (by the sign of dx).
double polarAngle(double dx, double dy);

// Points in buckets of a square grid over their box, about two a bucket,
// for finding the points near a circle.
class Buckets {
 public:
  // The listed points (indices into points).
  void build(const std::vector<DPoint2D>& points, const std::vector<int>& which);
  void clear() { start_.clear(); }
  bool empty() const { return start_.empty(); }
  // Calls visit(j, p) for every listed point j (p: the point, kept beside
  // the index, in bucket order) in a bucket the circle reaches (in each
  // column only the rows the circle spans there).
  template <class Visit>
  void visitDisc(double cx, double cy, double radius, Visit&& visit) const;

 private:
  // The buckets from lo to hi along one axis, clamped to the grid; false
  // when none.
  static bool span(double lo, double hi, double origin, double size, int count, int& first, int& last) {
    const double a = std::floor((lo - origin) / size), b = std::floor((hi - origin) / size);
    if (!(b >= 0) || !(a <= count - 1)) return false;
    first = a < 0 ? 0 : static_cast<int>(a);
    last = b > count - 1 ? count - 1 : static_cast<int>(b);
    return true;
  }

  double x0_ = 0, y0_ = 0, size_ = 1;
  int columns_ = 0, rows_ = 0;
  std::vector<int> start_;
  std::vector<int> points_;
  std::vector<DPoint2D> where_;
};

template <class Visit>
void Buckets::visitDisc(double cx, double cy, double radius, Visit&& visit) const {
  int c0, c1;
  if (start_.empty() || !span(cx - radius, cx + radius, x0_, size_, columns_, c0, c1)) return;
  for (int c = c0; c <= c1; ++c) {
    const double left = x0_ + c * size_, right = left + size_;
    const double dx = cx < left ? left - cx : (cx > right ? cx - right : 0.0);
    if (dx > radius) continue;
    const double half = std::sqrt(radius * radius - dx * dx);
    int r0, r1;
    if (!span(cy - half, cy + half, y0_, size_, rows_, r0, r1)) continue;
    for (int r = r0; r <= r1; ++r) {
      const int b = r * columns_ + c;
      for (int at = start_[b]; at < start_[b + 1]; ++at) visit(points_[at], where_[at]);
    }
  }
}

// One cell being cut, in coordinates relative to its point: the rectangle,
// then one bisector at a time (the half-plane holding the point is kept).
// A corner between two bisectors is the centre of the circle through the
// three points, from the same three points whatever order the bisectors
// come in; a corner with a side is the crossing of the two lines. So a cell
// cut by the same bisectors comes out the same to the bit, in any order and
// with bisectors that cut nothing added.
class CellRing {
 public:
  // A line a x + b y = c with c > 0 (the point's side is a x + b y <= c);
  // its id (the neighbour's index, or the side's) and, for a bisector, the
  // neighbour as stored.
  struct Line {
    double a;
    double b;
    double c;
    int id;
    DPoint2D q;
  };
  struct Vertex {
    double x;  // relative to the cell's point
    double y;
    Line edge;  // the line of the edge that starts here
  };

  // The rectangle of the four sides (bottom, left, right, top as side()
  // gives them) around point p, whose index is self; side s gets the id
  // sideBase + s.
  void start(const DPoint2D& p, int self, const Segment sides[4], int sideBase);
  // Cuts by the bisector of the point and q (index j). False when fewer
  // than 3 vertices remain.
  bool cut(const DPoint2D& q, int j);
  // Two edges in a row on one line (rounding at a vertex on a cut) become
  // one. False when a vertex is not finite.
  bool finish();
  const std::vector<Vertex>& vertices() const { return poly_; }
  const DPoint2D& point() const { return p_; }
  // The cell as CVoronoi lists it: counter-clockwise, open, Z = 0, from the
  // counter-clockwise end of the edge whose midpoint has the smallest polar
  // angle (ties by line id). Returns the vertex count.
  int list(std::vector<DPoint3D>& cell) const;

 private:
  std::size_t firstEdge() const;

  DPoint2D p_;
  int self_ = 0;
  int sideBase_ = 0;
  std::vector<Vertex> poly_;
  std::vector<Vertex> next_;
};

}  // namespace voronoi

class CVoronoi {
 public:
  CVoronoi() = default;
  // Sizes the point array to n and both edge arrays to n * (n + 4).
  explicit CVoronoi(int n);
  // Takes X and Y of every point, with the shear of 1e-6 per index, and the
  // rectangle enlarged by 3 * maxRadius plus its own size. Returns n.
  int setPoints(const std::vector<DPoint3D>& points, double maxRadius);
  // Builds and clips all segments. Returns 1.
  int compute();
  // The cell of point i, counter-clockwise, open, Z = 0. Returns its vertex
  // count; -1 (and an empty cell) for an index outside 0 .. n-1.
  int buildCell(int i, std::vector<DPoint3D>& cell) const;

  int count() const { return n_; }
  const voronoi::Box& box() const { return box_; }

 private:
  void resize(int n);
  // Entry (i, j) of the edge table, i < j or j >= n.
  voronoi::Segment& entry(int i, int j) { return edges_[static_cast<std::size_t>(i) * stride_ + j]; }
  const voronoi::Segment& entry(int i, int j) const { return edges_[static_cast<std::size_t>(i) * stride_ + j]; }

  int n_ = 0;
  int stride_ = 4;
  std::vector<DPoint2D> points_;
  // Start and end of one segment per entry; a deleted one has start X -1e37.
  std::vector<voronoi::Segment> edges_;
  voronoi::Box box_;
};

// The direct construction costs about the cube of its points: it stands in
// for the fast cells only up to this many, well within a second. A larger
// set it would have to take is an error (std::runtime_error), never hours of
// work or cells of no area.
inline constexpr int kMaxDirectPoints = 2000;
[[noreturn]] void refuseDirectConstruction(int points);

class FastVoronoi {
 public:
  FastVoronoi();
  ~FastVoronoi();
  FastVoronoi(const FastVoronoi&) = delete;
  FastVoronoi& operator=(const FastVoronoi&) = delete;

  // Prepares the cells: the enlarged rectangle of CVoronoi (the same shear,
  // the same box, the same leaning sides) and the Delaunay triangulation of
  // every point. Each cell is then the rectangle cut by the perpendicular
  // bisector of the point and each of its neighbours, built when it is asked
  // for. The bisectors are the true ones of the sheared points, not
  // slope-clamped (docs/voronoi.md), so that the cells tile the rectangle.
  // Points on one line (a single straight hole) and one or two points are
  // fine. False when the input is declined: no points, a coordinate that is
  // not finite, or two points that still coincide after the shear. The
  // caller then uses CVoronoi.
  bool compute(const std::vector<DPoint3D>& points, double maxRadius);
  // The same cells, with only the points whose Y (as given) lies near
  // [wantLo, wantHi) triangulated at first: the caller means to ask for the
  // cells of those points (the polygon set asks for a band's own points, a
  // fifth to a thirtieth of what the band holds). Building a cell then
  // brings into the triangulation every point that lies closer to one of the
  // cell's vertices than the cell's own point, and builds it again, until no
  // point does: the cell is then the one the whole triangulation gives. Any
  // cell may still be asked for. Declined as above, except that two points
  // that coincide after the shear are found only when both are brought in;
  // the cells asked for from then on come from CVoronoi.
  bool compute(const std::vector<DPoint3D>& points, double maxRadius, double wantLo, double wantHi);
  // The cell of point i, listed as CVoronoi lists it: counter-clockwise,
  // open, Z = 0, starting at the counter-clockwise end of the edge whose
  // midpoint has the smallest polar angle around the point. Returns its
  // vertex count; -1 (and an empty cell) for an index outside 0 .. n-1 or
  // after a declined compute. A cell that does not come out as a finite
  // polygon of at least 3 vertices (a guard, never seen) is taken from
  // CVoronoi on the same points, set up on the first such cell. Not const:
  // the cell is built in the instance's work buffers.
  int buildCell(int i, std::vector<DPoint3D>& cell);

  int count() const { return n_; }
  const voronoi::Box& box() const { return box_; }
  // How many points are in the triangulation now.
  int triangulated() const { return inserted_; }

 private:
  struct Triangulation;

  bool prepare(const std::vector<DPoint3D>& points, double maxRadius);
  // Puts the listed points into the triangulation; false when one coincides
  // with a point already there. The search for each starts from the point
  // near when it is in (-1: anywhere).
  bool insert(std::vector<int>& which, int near = -1);
  // The Delaunay neighbours of point i into neighbours_.
  void gatherNeighbours(int i);
  // Clips cell i into ring_; false when it is not a finite polygon of at
  // least 3 vertices.
  bool clipCell(int i);
  // The points outside the triangulation that lie closer to a vertex of
  // ring_ than point i, into found_.
  void findIntruders(int i);
  int fromFallback(int i, std::vector<DPoint3D>& cell);

  int n_ = 0;
  // The points and radius as given, for the fallback.
  std::vector<DPoint3D> input_;
  double radius_ = 0;
  std::vector<DPoint2D> points_;
  voronoi::Box box_;
  voronoi::Segment sides_[4];
  std::unique_ptr<Triangulation> dt_;
  int inserted_ = 0;
  bool coincidence_ = false;  // two points met in a later insertion
  // Every point not triangulated has a sheared Y below safeLo_ or above
  // safeHi_.
  double safeLo_ = 0, safeHi_ = 0;
  // The points not yet triangulated, in buckets (made on the first look).
  voronoi::Buckets out_;
  // The direct construction on the same points, made on the first cell the
  // clipping cannot give.
  std::unique_ptr<CVoronoi> fallback_;
  // Work buffers, kept between cells and calls.
  std::vector<int> neighbours_;
  std::vector<int> found_;
  voronoi::CellRing ring_;
};

// The cells of the bands of a plan from one Delaunay triangulation of all
// its points, made once (the points as given, not sheared) and only read
// afterwards. A band's cell of point c is the rectangle of the band's
// sheared points cut by the bisectors of c's neighbours in that
// triangulation that belong to the band, then, as FastVoronoi's local
// triangulation does, by every band point that lies closer to a vertex of
// the cell than c (found in a grid of buckets over the plan): the cell the
// band's own triangulation gives, to the bit (docs/voronoi.md). Each band
// otherwise triangulates every composite within its margins, and bands get
// thinner as composites get more.
class PlanVoronoi {
 public:
  PlanVoronoi();
  ~PlanVoronoi();
  PlanVoronoi(const PlanVoronoi&) = delete;
  PlanVoronoi& operator=(const PlanVoronoi&) = delete;

  // Takes the points with a non-zero use flag. False (and nothing kept) when
  // a coordinate is not finite or two such points coincide: the bands then
  // go their own way.
  bool build(const std::vector<DPoint3D>& points, const std::vector<char>& use);
  bool ready() const { return n_ > 0; }

  // One band's cells. One band at a time per thread: the band's index of
  // each point is kept in a table of the thread's own.
  class Band {
   public:
    explicit Band(const PlanVoronoi& plan);
    ~Band();
    Band(const Band&) = delete;
    Band& operator=(const Band&) = delete;
    // The band's points (indices into the plan's points, all in use) in
    // rising order, copied; point k of the band is sheared by k * 1e-6, and
    // the rectangle is CVoronoi's around them. A new set replaces the last.
    void set(const std::vector<int>& members, double maxRadius);
    // The cell of the band's point k, as FastVoronoi lists it; -1 when it
    // does not come out as a finite polygon of at least 3 vertices (the
    // caller then asks FastVoronoi, which asks CVoronoi).
    int buildCell(int k, std::vector<DPoint3D>& cell);

    struct Scratch;  // the thread's buffers

   private:
    // Band points closer to a vertex of the ring than its point, not yet
    // cut by, into found_.
    void findIntruders();

    const PlanVoronoi& plan_;
    // The thread's buffers, kept from band to band: the band's points, the
    // band index of every plan point (-1 outside the band), the sheared
    // points by band index, the cell that last cut by each, the points
    // found.
    Scratch& scratch_;
    voronoi::Segment sides_[4];
    double shearReach_ = 0;  // how far the shear moves a point at most
    unsigned stamp_ = 0;
  };

 private:
  struct Triangulation;

  int n_ = 0;
  std::vector<DPoint2D> points_;  // as given
  std::unique_ptr<Triangulation> dt_;
  voronoi::Buckets buckets_;  // the points in use
};

}  // namespace qx
