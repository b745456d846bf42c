#pragma once
// The polygon intersection routine: the common part of a subject outline and a
// clip outline, worked in single precision, as zero or more pieces.
#include <vector>

namespace qx {

struct FPoint2D {
  float x = 0.0f;
  float y = 0.0f;
  friend bool operator==(const FPoint2D&, const FPoint2D&) = default;
};

struct IntersectionResult {
  // Each piece's points as closing leaves them (clockwise, first point first).
  std::vector<std::vector<FPoint2D>> pieces;
  double area = 0.0;      // total over the pieces
  bool overflow = false;  // the work buffer ran out; the routine stopped there
};

// Intersects `subject` with `clip`, both simple open outlines (the first point
// is not repeated at the end) of at least 3 points.
IntersectionResult intersectPolygons(const std::vector<FPoint2D>& subject, const std::vector<FPoint2D>& clip);

// 2 on the boundary (a vertex, or within 0.001 of an edge), 1 inside, 0 outside.
int pointInPolygon(FPoint2D p, const std::vector<FPoint2D>& outline);

}  // namespace qx
