// Calculating figures: the overlap search, the intersection with each
// polygon, the weighted averages, thickness, dilution and the calculated
// variables.
#include "engine/figure_calculation.h"

#include <algorithm>

#include <boost/geometry/geometries/box.hpp>
#include <boost/geometry/geometries/point.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <boost/iterator/function_output_iterator.hpp>

#include "datasets/composites.h"
#include "engine/figures.h"
#include "engine/parallel.h"
#include "engine/polygon_intersection.h"
#include "engine/polygons.h"
#include "port/ui_port.h"
#include "project/quarlex_settings.h"
#include "variables/formula_evaluator.h"

namespace qx {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

namespace {

using RPoint = bg::model::point<double, 2, bg::cs::cartesian>;
using RBox = bg::model::box<RPoint>;
using RValue = std::pair<RBox, int>;

// Pieces smaller than this are not counted.
constexpr double kMinPieceArea = 0.00001;
// Waste volumes below this count as none.
constexpr double kMinWasteVolume = 0.01;

// Points in single precision in a frame centred on `centre`: the
// intersection works in floats, and far from the origin a float keeps only a
// few centimetres of a coordinate, so both outlines are moved near (0, 0) in
// double first. Only the area comes back, which does not depend on the frame.
void toLocal(const std::vector<DPoint3D>& points, const DPoint3D& centre, std::vector<FPoint2D>& out) {
  out.clear();
  out.reserve(points.size());
  for (const auto& p : points) out.push_back({static_cast<float>(p.x - centre.x), static_cast<float>(p.y - centre.y)});
}

// Per-thread scratch of a calculation.
struct Scratch {
  std::vector<int> candidates;
  std::vector<FPoint2D> figure, polygon;
  std::vector<double> weights, weighted, values;
  IntersectionWorkspace workspace;
  IntersectionResult result;
};

bool calculate(Figure& f, const FigureCalculationInputs& in, std::int32_t dilution, Scratch& s) {
  const QuarlexSettings& settings = in.settings;
  const int loadedCount = settings.loadedCount();
  const int recoveryVariable = settings.findRecoveryVariable();
  const int sgVariable = settings.findSGVariable();
  const int thicknessVariable = settings.findThicknessVariable();
  prepareFigureGeometry(f);

  double oreVolume = 0.0, oreTonnage = 0.0, covered = 0.0;
  const auto loaded = static_cast<std::size_t>(loadedCount);
  s.weights.assign(loaded, 0.0);
  s.weighted.assign(loaded, 0.0);

  if (f.minCorner.x <= f.maxCorner.x && f.minCorner.y <= f.maxCorner.y) {
    // An index built on another set of polygons is not used.
    const PolygonIndex* index = in.index != nullptr && in.index->size() == in.polygons.count() ? in.index : nullptr;
    if (index != nullptr && in.scanAll)
      index->overlappingByScan(f.minCorner, f.maxCorner, s.candidates);
    else if (index != nullptr)
      index->overlapping(f.minCorner, f.maxCorner, s.candidates);
    else
      PolygonIndex::scan(in.polygons, f.minCorner, f.maxCorner, s.candidates);
  } else {
    s.candidates.clear();
  }

  const DPoint3D centre{0.5 * (f.minCorner.x + f.maxCorner.x), 0.5 * (f.minCorner.y + f.maxCorner.y), 0.0};
  toLocal(f.outline, centre, s.figure);
  for (const int pi : s.candidates) {
    const CPolygon& p = in.polygons.polygons[static_cast<std::size_t>(pi)];
    if (p.compositeIndex < 0 || p.compositeIndex >= in.composites.count()) continue;
    toLocal(p.outline, centre, s.polygon);
    double a = 0.0;
    if (s.figure.size() >= 3 && s.polygon.size() >= 3) {
      intersectPolygons(s.figure, s.polygon, s.workspace, s.result);
      a = s.result.area;
    }
    if (a < kMinPieceArea) continue;
    const CComposite& c = in.composites.composites[static_cast<std::size_t>(p.compositeIndex)];
    const double recovery = recoveryVariable >= 0 ? compositeVariableValue(c, recoveryVariable, loadedCount) : 1.0;
    const double v = a * p.thickness * recovery;
    const double t = v * p.specificGravity;
    oreVolume += v;
    oreTonnage += t;
    covered += a;
    for (int j = 0; j < loadedCount; ++j) {
      const VariableInfo& var = settings.loaded[static_cast<std::size_t>(j)];
      const double x = compositeVariableValue(c, j, loadedCount);
      double weight;
      if (var.weightingType == kWeightSurface || j == thicknessVariable)
        weight = a;
      else if (var.weightingType == kWeightVolume || j == sgVariable)
        weight = v;
      else
        weight = t;
      s.weights[static_cast<std::size_t>(j)] += weight;
      // A missing value weighs but adds nothing: it pulls the average toward 0.
      if (x != var.missingValue) s.weighted[static_cast<std::size_t>(j)] += weight * x;
    }
  }

  f.loadedValues.resize(loaded);
  for (std::size_t j = 0; j < loaded; ++j)
    f.loadedValues[j] = s.weights[j] > 0.0 ? s.weighted[j] / s.weights[j] : settings.loaded[j].defaultValue;
  f.calculatedValues.resize(static_cast<std::size_t>(settings.calculatedCount()), 0.0);

  // A calculated thickness or specific gravity is the one from the previous
  // calculation: the formulas run last.
  f.thickness =
      thicknessVariable >= 0 ? figureVariableValue(f, thicknessVariable, loadedCount) : settings.fixedThickness;
  if (dilution != 0) {
    f.volume = std::max(f.thickness * f.area, 0.0);
    f.oreFraction = 1.0;
    f.specificGravity = sgVariable >= 0 ? figureVariableValue(f, sgVariable, loadedCount) : settings.defaultSG;
    f.oreTonnage = f.volume * f.specificGravity;
    f.wasteTonnage = 0.0;
  } else {
    double waste = (f.area - covered) * settings.wasteThickness;
    if (waste < kMinWasteVolume) waste = 0.0;
    f.volume = waste + oreVolume;
    const double fraction = f.volume != 0.0 ? oreVolume / f.volume : 0.0;
    f.oreFraction = fraction;
    if (sgVariable >= 0) {
      f.specificGravity = figureVariableValue(f, sgVariable, loadedCount);
    } else {
      const double denominator = (1.0 - fraction) * waste + oreVolume * fraction;
      f.specificGravity =
          denominator != 0.0
              ? (settings.defaultWasteSG * (1.0 - fraction) * waste + settings.defaultSG * oreVolume * fraction) /
                    denominator
              : settings.defaultSG;
    }
    f.oreTonnage = oreTonnage;
    f.wasteTonnage = waste * settings.defaultWasteSG;
  }

  if (!settings.calculated.empty()) {
    s.values.assign(f.loadedValues.begin(), f.loadedValues.end());
    s.values.insert(s.values.end(), f.calculatedValues.begin(), f.calculatedValues.end());
    evaluateCalculatedVariables(settings.calculated, s.values, loadedCount,
                                SpecialQuantities{f.area, f.oreTonnage, f.volume});
    std::copy(s.values.begin() + static_cast<std::ptrdiff_t>(loaded), s.values.end(), f.calculatedValues.begin());
  }
  return true;
}

}  // namespace

struct PolygonIndex::Tree {
  bgi::rtree<RValue, bgi::quadratic<16>> rtree;
};

PolygonIndex::PolygonIndex(const CPolygonSet& polygons) : tree_(std::make_unique<Tree>()) {
  boxes_.reserve(polygons.polygons.size());
  std::vector<RValue> values;
  values.reserve(polygons.polygons.size());
  for (std::size_t i = 0; i < polygons.polygons.size(); ++i) {
    const Box b = boxOf(polygons.polygons[i]);
    boxes_.push_back(b);
    if (b.minX <= b.maxX)
      values.emplace_back(RBox(RPoint(b.minX, b.minY), RPoint(b.maxX, b.maxY)), static_cast<int>(i));
  }
  // The range constructor packs the tree in one go.
  tree_->rtree = bgi::rtree<RValue, bgi::quadratic<16>>(values.begin(), values.end());
}

PolygonIndex::~PolygonIndex() = default;

PolygonIndex::Box PolygonIndex::boxOf(const CPolygon& poly) {
  Box b{kItemExtent, kItemExtent, -kItemExtent, -kItemExtent};
  for (const auto& p : poly.outline) {
    b.minX = std::min(b.minX, p.x);
    b.minY = std::min(b.minY, p.y);
    b.maxX = std::max(b.maxX, p.x);
    b.maxY = std::max(b.maxY, p.y);
  }
  return b;
}

void PolygonIndex::overlapping(const DPoint3D& lo, const DPoint3D& hi, std::vector<int>& out) const {
  out.clear();
  if (!(lo.x <= hi.x && lo.y <= hi.y)) {
    // An empty box: only the scan's own test can tell (it takes nothing short
    // of boxes beyond the 1e37 sentinels).
    overlappingByScan(lo, hi, out);
    return;
  }
  // The tree's test is closed on both sides; the exact test follows.
  const RBox query(RPoint(lo.x, lo.y), RPoint(hi.x, hi.y));
  tree_->rtree.query(bgi::intersects(query), boost::make_function_output_iterator([&](const RValue& v) {
                       if (overlaps(boxes_[static_cast<std::size_t>(v.second)], lo, hi)) out.push_back(v.second);
                     }));
  std::sort(out.begin(), out.end());
}

void PolygonIndex::overlappingByScan(const DPoint3D& lo, const DPoint3D& hi, std::vector<int>& out) const {
  out.clear();
  for (std::size_t i = 0; i < boxes_.size(); ++i)
    if (overlaps(boxes_[i], lo, hi)) out.push_back(static_cast<int>(i));
}

void PolygonIndex::scan(const CPolygonSet& polygons, const DPoint3D& lo, const DPoint3D& hi, std::vector<int>& out) {
  out.clear();
  for (std::size_t i = 0; i < polygons.polygons.size(); ++i)
    if (overlaps(boxOf(polygons.polygons[i]), lo, hi)) out.push_back(static_cast<int>(i));
}

void prepareFigureGeometry(Figure& f) {
  f.computeArea();
  f.recomputeBoundingBox();
}

bool calculateFigure(FigureSet& set, int i, const FigureCalculationInputs& in) {
  if (i < 0 || i >= set.count()) return false;
  if (in.polygons.count() == 0) return true;
  Scratch scratch;
  return calculate(set.figures[static_cast<std::size_t>(i)], in, set.dilution, scratch);
}

bool calculateAllFigures(FigureSet& set, const CPolygonSet& polygons, const CompositeSet& composites,
                         const QuarlexSettings& settings, int threads) {
  FigureRunOptions options;
  options.threads = threads;
  return calculateAllFigures(set, polygons, composites, settings, options);
}

bool calculateAllFigures(FigureSet& set, const CPolygonSet& polygons, const CompositeSet& composites,
                         const QuarlexSettings& settings, const FigureRunOptions& options) {
  if (polygons.count() == 0 || set.count() == 0) return true;
  const PolygonIndex index(polygons);
  const FigureCalculationInputs in{polygons, composites, settings, &index};
  const int n = set.count();
  const int threads = parallelThreads(options.threads, n);
  // Each figure is its own: the threads share only the read-only inputs.
  std::vector<Figure> figures(set.figures);
  std::vector<Scratch> scratch(static_cast<std::size_t>(threads));
  std::function<void(int)> report;
  if (options.progress) report = [&](int done) { options.progress(done, n); };
  const ParallelOutcome outcome = parallelFor(
      n, threads, options.cancel,
      [&](int k, int worker) {
        calculate(figures[static_cast<std::size_t>(k)], in, set.dilution, scratch[static_cast<std::size_t>(worker)]);
      },
      report);
  if (outcome == ParallelOutcome::Cancelled) return false;
  set.figures.swap(figures);
  return true;
}

bool recalculateAllFigures(UiPort& port, FigureSet& set, const CPolygonSet& polygons, const CompositeSet& composites,
                           const QuarlexSettings& settings) {
  if (polygons.count() == 0) {
    port.message(kNoPolygonsForFigures, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  if (port.message(kRecalculateFiguresQuestion, MessageButtons::OkCancel, MessageIcon::Question) != MessageAnswer::Ok)
    return false;
  // Many figures over many polygons take a while: a bar with Cancel.
  std::unique_ptr<ProgressWindow> window = port.openProgress(ProgressKind::Bar);
  window->setTitle(kCalculatingFiguresTitle);
  window->setRange(0, std::max(1, set.count()));
  window->enableCancel();
  std::atomic<bool> cancel{false};
  FigureRunOptions options;
  options.cancel = &cancel;
  options.progress = [&](int done, int figures) {
    window->setPos(done);
    window->setText(figuresLeftText(figures - done));
    if (window->cancelRequested()) cancel = true;
  };
  if (calculateAllFigures(set, polygons, composites, settings, options)) return true;
  window.reset();
  port.message(kFigureCalculationCancelled, MessageButtons::Ok, MessageIcon::Information);
  return false;
}

std::string figuresLeftText(int figures) { return std::to_string(figures) + " Figures Left To Calculate"; }

}  // namespace qx
