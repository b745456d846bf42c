// The only file that sees the triangulation library: the header stays plain.
#include "datasets/triangulate.h"

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>
#include <CGAL/property_map.h>
#include <CGAL/spatial_sort.h>

#include <cmath>
#include <utility>

namespace qx {

namespace {
using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using VertexBase = CGAL::Triangulation_vertex_base_with_info_2<int, Kernel>;
using FaceBase = CGAL::Triangulation_face_base_2<Kernel>;
using DataStructure = CGAL::Triangulation_data_structure_2<VertexBase, FaceBase>;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel, DataStructure>;
}  // namespace

int Triangulate::run(std::span<const FPoint3D> points) {
  inputCount_ = static_cast<int>(points.size());
  corners_.clear();

  // x and y go in as doubles; the elevation is not looked at.
  std::vector<std::pair<Kernel::Point_2, int>> input;
  input.reserve(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double x = points[i].x, y = points[i].y;
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    input.emplace_back(Kernel::Point_2(x, y), static_cast<int>(i));
  }
  if (input.size() < 3) return 0;

  // The points themselves (not indices to them) are sorted along a
  // space-filling curve, then inserted in that order, each located from the
  // last vertex: close to the cost of the library's own batch insertion.
  using Traits =
      CGAL::Spatial_sort_traits_adapter_2<Kernel, CGAL::First_of_pair_property_map<std::pair<Kernel::Point_2, int>>>;
  CGAL::spatial_sort(input.begin(), input.end(), Traits());
  Delaunay dt;
  Delaunay::Vertex_handle hint;
  for (const auto& [point, index] : input) {
    const auto before = dt.number_of_vertices();
    hint = dt.insert(point, hint == Delaunay::Vertex_handle() ? Delaunay::Face_handle() : hint->face());
    // A point already present keeps the index it came with first.
    if (dt.number_of_vertices() != before) hint->info() = index;
  }
  if (dt.dimension() < 2) return 0;

  corners_.reserve(static_cast<std::size_t>(dt.number_of_faces()) * 3);
  for (auto f = dt.finite_faces_begin(); f != dt.finite_faces_end(); ++f)
    for (int k = 0; k < 3; ++k) corners_.push_back(f->vertex(k)->info());
  return triangleCount();
}

}  // namespace qx
