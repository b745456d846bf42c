#include "scene/edit_tools.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/limits.h"
#include "datasets/composite_modify_dialog.h"
#include "datasets/envelope_dialogs.h"
#include "datasets/envelopes.h"
#include "engine/figure_calculation.h"
#include "engine/figure_import.h"
#include "engine/figures.h"
#include "port/ui_port.h"
#include "scene/scene_builder.h"
#include "scene/scene_model.h"

namespace qx {

namespace {

using C = EditCommand;

double cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// The signed shoelace sum (twice the area) of a closed line, x and y only.
double doubleSignedArea(const std::vector<DPoint3D>& p) {
  double s = 0.0;
  for (std::size_t i = 0; i + 1 < p.size(); ++i) s += cross(p[i].x, p[i].y, p[i + 1].x, p[i + 1].y);
  return s;
}

// Whether segments ab and cd cross at a point inside both (touching counts).
bool segmentsMeet(const DPoint3D& a, const DPoint3D& b, const DPoint3D& c, const DPoint3D& d) {
  const double d1 = cross(b.x - a.x, b.y - a.y, c.x - a.x, c.y - a.y);
  const double d2 = cross(b.x - a.x, b.y - a.y, d.x - a.x, d.y - a.y);
  const double d3 = cross(d.x - c.x, d.y - c.y, a.x - c.x, a.y - c.y);
  const double d4 = cross(d.x - c.x, d.y - c.y, b.x - c.x, b.y - c.y);
  return ((d1 > 0) != (d2 > 0) || d1 == 0 || d2 == 0) && ((d3 > 0) != (d4 > 0) || d3 == 0 || d4 == 0) &&
         !(d1 == 0 && d2 == 0 && d3 == 0 && d4 == 0 &&
           (std::max(a.x, b.x) < std::min(c.x, d.x) || std::max(c.x, d.x) < std::min(a.x, b.x) ||
            std::max(a.y, b.y) < std::min(c.y, d.y) || std::max(c.y, d.y) < std::min(a.y, b.y)));
}

std::vector<DPoint3D> closedCopy(std::vector<DPoint3D> outline) {
  if (!outline.empty()) outline.push_back(outline.front());
  return outline;
}

}  // namespace

CTargetAreaDialog::CTargetAreaDialog(double area) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2lf", area);
  text = buf;
}

std::optional<double> CTargetAreaDialog::value() const {
  const char* begin = text.c_str();
  char* end = nullptr;
  const double v = std::strtod(begin, &end);
  if (end == begin) return std::nullopt;
  return v;
}

bool CRetagContourDialog::select(std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) {
      selected = static_cast<int>(i);
      return true;
    }
  return false;
}

double closedLineArea(const std::vector<DPoint3D>& points) { return std::fabs(doubleSignedArea(points)) / 2.0; }

std::optional<DPoint3D> vertexForTargetArea(const std::vector<DPoint3D>& p, int vertex, double target,
                                            std::string* why) {
  auto refuse = [&](std::string_view reason) -> std::optional<DPoint3D> {
    if (why != nullptr) *why = reason;
    return std::nullopt;
  };
  const int n = static_cast<int>(p.size()) - 1;  // distinct vertices; p[n] repeats p[0]
  if (!(target > 0.0) || !std::isfinite(target)) return refuse(kTargetAreaNotPositive);
  if (n < 3 || vertex < 0 || vertex > n) return refuse(kTargetAreaOutOfReach);
  const int i = vertex % n;
  const DPoint3D& prev = p[static_cast<std::size_t>((i + n - 1) % n)];
  const DPoint3D& next = p[static_cast<std::size_t>((i + 1) % n)];
  const double ex = next.x - prev.x, ey = next.y - prev.y;
  const double len = std::hypot(ex, ey);
  const double signedTwice = doubleSignedArea(p);
  if (len == 0.0) return refuse(kTargetAreaOutOfReach);
  // Moving the vertex by t along (ey, -ex) / len changes the signed double
  // area by len * t; outward is that direction for a counter-clockwise line.
  const double side = signedTwice >= 0.0 ? 1.0 : -1.0;
  const double t = 2.0 * (target - std::fabs(signedTwice) / 2.0) / len;
  DPoint3D v = p[static_cast<std::size_t>(i)];
  v.x += side * t * ey / len;
  v.y -= side * t * ex / len;
  if (!std::isfinite(v.x) || !std::isfinite(v.y) || std::fabs(v.x) > kMaxCoordinate || std::fabs(v.y) > kMaxCoordinate)
    return refuse(kTargetAreaOutOfReach);
  // The two edges at the moved vertex against every edge that does not touch it.
  for (int k = 0; k < n; ++k) {
    const int k1 = (k + 1) % n;
    if (k == i || k1 == i) continue;
    const DPoint3D& a = p[static_cast<std::size_t>(k)];
    const DPoint3D& b = p[static_cast<std::size_t>(k1)];
    if (k1 != (i + n - 1) % n && segmentsMeet(prev, v, a, b)) return refuse(kTargetAreaCrossing);
    if (k != (i + 1) % n && segmentsMeet(v, next, a, b)) return refuse(kTargetAreaCrossing);
  }
  return v;
}

EditTools::EditTools(EditProject project, UiPort& port, Pick pick)
    : project_(project), port_(port), pick_(std::move(pick)) {}

bool EditTools::isEnabled(EditCommand c) const {
  const bool modify = digitizing_ && (envelopeModify_ || figureModify_);
  switch (c) {
    case C::CreateEnvelope:
    case C::CreateFigure:
    case C::ModifyEnvelope:
    case C::ModifyFigure:
    case C::ModifyComposite: return true;
    case C::StartDigitizing: return envelopeCreate_ || figureCreate_;
    case C::FinishDigitizing: return (envelopeCreate_ || figureCreate_) && digitizing_;
    case C::Undo: return digitizing_;
    case C::Accept:
    case C::Cancel: return anyFlag();
    case C::RetagContour:
    case C::DeleteContour: return modify && envelopeModify_;
    case C::TargetArea: return modify && figureModify_;
    default: return modify;
  }
}

bool EditTools::isChecked(EditCommand c) const {
  return (c == C::AddPoint && pending_ == kInsert) || (c == C::MovePoint && pending_ == kMove);
}

bool EditTools::run(EditCommand c) {
  if (!isEnabled(c)) return false;
  switch (c) {
    case C::CreateEnvelope: return startCreate(true);
    case C::CreateFigure: return startCreate(false);
    case C::ModifyEnvelope: return startModify(true);
    case C::ModifyFigure: return startModify(false);
    case C::ModifyComposite: return modifyComposite();
    case C::StartDigitizing:
      points_.clear();
      current_ = 0;
      pending_ = kInsert;
      draw();
      return true;
    case C::FinishDigitizing:
    case C::Accept: return accept();
    case C::Undo: undo(); return true;
    case C::SelectAnchor: return selectAnchor();
    case C::NextPoint: next(1); return true;
    case C::PreviousPoint: next(-1); return true;
    case C::Erase: erase(); return true;
    case C::AddPoint: pending_ = kInsert; return true;
    case C::MovePoint: pending_ = kMove; return true;
    case C::Cancel: cancel(); return true;
    case C::RetagContour: return retag();
    case C::DeleteContour: return deleteContour();
    case C::TargetArea: return targetArea();
  }
  return false;
}

bool EditTools::startCreate(bool envelope) {
  if (anyFlag()) cancel();
  if (std::fabs(view_.dip) != 90.0) {
    port_.message(envelope ? kCannotCreateEnvelopes : kCannotCreateFigures, MessageButtons::Ok,
                  MessageIcon::Information);
    return false;
  }
  digitizeBar_ = true;
  selectionMode_ = envelope ? 2 : 1;
  (envelope ? envelopeCreate_ : figureCreate_) = true;
  points_.clear();
  current_ = 0;
  pending_ = kInsert;
  return true;
}

bool EditTools::startModify(bool envelope) {
  if (anyFlag()) cancel();
  if (std::fabs(view_.dip) != 90.0) {
    port_.message(envelope ? kCannotModifyEnvelopes : kCannotModifyFigures, MessageButtons::Ok,
                  MessageIcon::Information);
    return false;
  }
  digitizeBar_ = modifyBar_ = true;
  selectionMode_ = envelope ? 2 : 1;
  prompt_ = envelope ? "Select An Envelope Contour to Modify" : "Select A Figure to Modify";
  const auto key = pick_ ? pick_(selectionMode_) : std::nullopt;
  if (!key) {
    closeEdit();
    return false;
  }
  std::vector<DPoint3D> outline;
  std::string name;
  if (envelope) {
    const auto e = static_cast<int>(*key / 1000), c = static_cast<int>(*key % 1000);
    const auto& set = project_.envelopes.envelopes;
    if (*key < 0 || e >= static_cast<int>(set.size()) || c >= static_cast<int>(set[std::size_t(e)].contours.size())) {
      port_.message(kInvalidEnvelope, MessageButtons::Ok, MessageIcon::Information);
      closeEdit();
      return false;
    }
    name = set[std::size_t(e)].name;
    outline = set[std::size_t(e)].contours[std::size_t(c)];
    if (port_.message("Modify envelope " + name + "?", MessageButtons::YesNo, MessageIcon::Question) !=
        MessageAnswer::Yes) {
      closeEdit();
      return false;
    }
    envelope_ = e;
    contour_ = c;
  } else {
    const auto f = *key;
    if (f < 0 || f >= project_.figures.count()) {
      port_.message(kInvalidFigure, MessageButtons::Ok, MessageIcon::Information);
      closeEdit();
      return false;
    }
    const Figure& fig = project_.figures.figures[std::size_t(f)];
    outline = fig.outline;
    if (port_.message("Modify figure " + fig.name + "?", MessageButtons::YesNo, MessageIcon::Question) !=
        MessageAnswer::Yes) {
      closeEdit();
      return false;
    }
    figure_ = static_cast<int>(f);
  }
  if (!load(outline, 0)) {
    closeEdit();
    return false;
  }
  (envelope ? envelopeModify_ : figureModify_) = true;
  hideItem(true);
  return true;
}

bool EditTools::load(const std::vector<DPoint3D>& outline, int vertex) {
  if (outline.empty()) return false;
  const DPoint3D& t = view_.cameraTarget;
  const DPoint3D d{t.x - view_.cameraPosition.x, t.y - view_.cameraPosition.y, t.z - view_.cameraPosition.z};
  const double len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  const DPoint3D& p = outline.front();
  const double off = len == 0.0 ? 0.0 : (d.x * (p.x - t.x) + d.y * (p.y - t.y) + d.z * (p.z - t.z)) / len;
  if (std::fabs(off) > 0.01) {
    port_.message(kNotOnSectionPlane, MessageButtons::Ok, MessageIcon::Information);
    prompt_.clear();
    return false;
  }
  points_ = closedCopy(outline);
  current_ = std::clamp(vertex, 0, static_cast<int>(points_.size()) - 1);
  digitizing_ = true;
  pending_ = kNone;
  draw();
  return true;
}

bool EditTools::modifyComposite() {
  if (anyFlag()) cancel();
  selectionMode_ = 0;
  prompt_ = "Select A Composite to Modify";
  const auto key = pick_ ? pick_(0) : std::nullopt;
  prompt_.clear();
  if (!key) return false;
  auto& list = project_.composites.composites;
  if (*key < 0 || *key >= static_cast<gfx::Key>(list.size())) {
    port_.message(kInvalidComposite, MessageButtons::Ok, MessageIcon::Information);
    return false;
  }
  CDialogCompositeModify dialog(list[std::size_t(*key)], project_.settings);
  const bool ok = port_.runDialog(dialog);
  if (dialog.result() == CDialogCompositeModify::Result::Delete)
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(*key));
  else if (ok)
    list[std::size_t(*key)] = dialog.composite();
  else
    return false;
  if (changed_) changed_();
  return true;
}

void EditTools::addPoint(const DPoint3D& point) {
  if (!(envelopeCreate_ || figureCreate_ || envelopeModify_ || figureModify_)) return;
  if (points_.empty()) {
    points_.push_back(point);
    current_ = 0;
    digitizing_ = true;
    pending_ = kInsert;
  } else if (pending_ == kInsert) {
    if (isClosed() && current_ >= static_cast<int>(points_.size()) - 1) current_ = 0;
    points_.insert(points_.begin() + current_ + 1, point);
    ++current_;
  } else if (pending_ == kMove) {
    points_[std::size_t(current_)] = point;
    const int last = static_cast<int>(points_.size()) - 1;
    if (isClosed() && (current_ == 0 || current_ == last)) points_[current_ == 0 ? std::size_t(last) : 0] = point;
    if (envelopeModify_ || figureModify_) pending_ = kNone;
  } else {
    return;
  }
  draw();
}

// The edited line of a modify tool repeats its first point at the end.
bool EditTools::isClosed() const { return (envelopeModify_ || figureModify_) && points_.size() >= 2; }

void EditTools::undo() {
  if (points_.empty()) return;
  points_.pop_back();
  current_ = std::max(0, std::min(current_ - 1, static_cast<int>(points_.size()) - 1));
  draw();
}

void EditTools::next(int step) {
  const int count = static_cast<int>(points_.size());
  if (count < 2) return;
  const DPoint3D left = points_[std::size_t(current_)];
  int v = current_;
  for (int tries = 0; tries < count; ++tries) {
    v += step;
    if (v > count - 1 || (step > 0 && v == count - 1)) v = 1;
    if (v < 0) v = count - 2;
    const DPoint3D& p = points_[std::size_t(v)];
    if (p.x != left.x || p.y != left.y) break;
  }
  current_ = v;
  draw();
}

void EditTools::erase() {
  const int count = static_cast<int>(points_.size());
  if (count <= 1) return;
  if (isClosed() && (current_ == 0 || current_ == count - 1)) {
    points_.erase(points_.begin());
    points_.back() = points_.front();
  } else {
    points_.erase(points_.begin() + current_);
  }
  if (current_ > static_cast<int>(points_.size()) - 2) current_ = 0;
  draw();
}

bool EditTools::selectAnchor() {
  prompt_ = "Select a Vertex";
  const auto key = pick_ ? pick_(5) : std::nullopt;
  prompt_.clear();
  if (!key || *key < 0 || *key >= static_cast<gfx::Key>(points_.size())) return false;
  current_ = static_cast<int>(*key);
  draw();
  return true;
}

bool EditTools::accept() {
  bool done = false;
  if (digitizing_ && !points_.empty()) {
    std::vector<DPoint3D> outline = points_;
    if (outline.size() > 1 && outline.back() == outline.front()) outline.pop_back();
    if (figureCreate_) {
      const DPoint3D view{view_.cameraTarget.x - view_.cameraPosition.x, view_.cameraTarget.y - view_.cameraPosition.y,
                          view_.cameraTarget.z - view_.cameraPosition.z};
      done = createFigureFromLine(port_, project_.figures, outline, view, project_.polygons, project_.composites,
                                  project_.settings) >= 0;
    } else if (figureModify_) {
      FigureSet& set = project_.figures;
      Figure& f = set.figures[std::size_t(figure_)];
      f.outline = std::move(outline);
      f.pointCount = static_cast<std::int32_t>(f.outline.size());
      f.recomputeBoundingBox();
      f.computeArea();
      calculateFigure(set, figure_, FigureCalculationInputs{project_.polygons, project_.composites, project_.settings});
      set.recomputeBoundingBox();
      done = true;
    } else if (envelopeCreate_) {
      CCreateEnvelopeDialog dialog(project_.envelopes, defaultDensity_);
      if (port_.runDialog(dialog)) {
        Envelope& e = project_.envelopes.envelopes[std::size_t(dialog.apply(project_.envelopes))];
        e.contours.push_back(std::move(outline));
        e.contourCount = static_cast<std::int32_t>(e.contours.size());
        e.recomputeBoundingBox();
        project_.envelopes.recomputeBoundingBox();
        done = true;
      }
    } else if (envelopeModify_) {
      Envelope& e = project_.envelopes.envelopes[std::size_t(envelope_)];
      e.contours[std::size_t(contour_)] = std::move(outline);
      e.recomputeBoundingBox();
      project_.envelopes.recomputeBoundingBox();
      done = true;
    }
  }
  hideItem(false);
  closeEdit();
  if (done && changed_) changed_();
  return done;
}

void EditTools::cancel() {
  hideItem(false);
  closeEdit();
}

void EditTools::closeEdit() {
  envelopeCreate_ = figureCreate_ = envelopeModify_ = figureModify_ = digitizing_ = false;
  digitizeBar_ = modifyBar_ = false;
  points_.clear();
  current_ = 0;
  pending_ = kNone;
  prompt_.clear();
  envelope_ = contour_ = figure_ = -1;
  hidden_ = gfx::kNoKey;
  draw();
}

bool EditTools::retag() {
  EnvelopeSet& set = project_.envelopes;
  std::vector<std::string> names;
  for (const Envelope& e : set.envelopes) names.push_back(e.name);
  CRetagContourDialog dialog(std::move(names));
  if (!port_.runDialog(dialog) || dialog.selected < 0 || dialog.selected >= set.count()) return false;
  std::vector<DPoint3D> outline = points_;
  if (outline.size() > 1) outline.pop_back();
  const int from = envelope_;
  int to = dialog.selected;
  Envelope& source = set.envelopes[std::size_t(from)];
  source.contours.erase(source.contours.begin() + contour_);
  source.contourCount = static_cast<std::int32_t>(source.contours.size());
  source.recomputeBoundingBox();
  Envelope& target = set.envelopes[std::size_t(to)];
  target.contours.push_back(std::move(outline));
  target.contourCount = static_cast<std::int32_t>(target.contours.size());
  target.recomputeBoundingBox();
  if (set.envelopes[std::size_t(from)].contours.empty()) set.envelopes.erase(set.envelopes.begin() + from);
  set.recomputeBoundingBox();
  closeEdit();
  if (changed_) changed_();
  return true;
}

bool EditTools::deleteContour() {
  if (port_.message(kDeleteContourQuestion, MessageButtons::YesNo, MessageIcon::Question) != MessageAnswer::Yes)
    return false;
  Envelope& e = project_.envelopes.envelopes[std::size_t(envelope_)];
  e.contours.erase(e.contours.begin() + contour_);
  e.contourCount = static_cast<std::int32_t>(e.contours.size());
  e.recomputeBoundingBox();
  project_.envelopes.recomputeBoundingBox();
  closeEdit();
  if (changed_) changed_();
  return true;
}

bool EditTools::targetArea() {
  CTargetAreaDialog dialog(closedLineArea(points_));
  if (!port_.runDialog(dialog)) return false;
  const auto target = dialog.value();
  if (!target) return false;
  std::string why;
  const auto v = vertexForTargetArea(points_, current_, *target, &why);
  if (!v) {
    port_.message(why, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  const int last = static_cast<int>(points_.size()) - 1;
  points_[std::size_t(current_)] = *v;
  if (current_ == 0 || current_ == last) points_[current_ == 0 ? std::size_t(last) : 0] = *v;
  draw();
  return true;
}

void EditTools::hideItem(bool hide) {
  if (scene_ == nullptr || model_ == nullptr) return;
  if (hide) {
    const auto& keys = figureModify_ ? model_->figureKeys : model_->envelopeKeys;
    const int i = figureModify_ ? figure_ : envelope_;
    if (i < 0 || i >= static_cast<int>(keys.size()) || keys[std::size_t(i)] == gfx::kNoKey) return;
    hidden_ = keys[std::size_t(i)];
  } else if (hidden_ == gfx::kNoKey) {
    return;
  }
  if (scene_->openSegmentByKey(hidden_) == gfx::kNoKey) return;
  scene_->setVisibility(hide ? "everything=off" : "everything=on");
  scene_->closeSegment();
  if (!hide) hidden_ = gfx::kNoKey;
}

void EditTools::draw() {
  if (scene_ == nullptr) return;
  scene_->openSegment(kEditPolylineSegment);
  scene_->flushContents(kEditPolylineSegment, "geometry");
  scene_->setColor("geometry=red");
  if (!points_.empty()) {
    scene_->insertPolyline(points_);
    scene_->insertMarker(points_[std::size_t(std::clamp(current_, 0, static_cast<int>(points_.size()) - 1))]);
  }
  scene_->closeSegment();
  scene_->updateDisplay();
}

}  // namespace qx
