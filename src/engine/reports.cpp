#include "engine/reports.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <span>
#include <vector>
#include "io/file.h"

#include "datasets/composites.h"
#include "engine/figure_calculation.h"
#include "engine/figures.h"
#include "engine/polygon_intersection.h"
#include "engine/polygons.h"
#include "port/ui_port.h"
#include "project/quarlex_settings.h"
#include "variables/formula_evaluator.h"

namespace qx {

namespace {

// "%*.*lf" in the C locale: right-aligned in `width`, never cut.
void appendFixed(std::string& out, double value, int width, int decimals) {
  char digits[400];
  const auto r = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  const std::size_t n = r.ec == std::errc() ? static_cast<std::size_t>(r.ptr - digits) : 0;
  if (n < static_cast<std::size_t>(width)) out.append(static_cast<std::size_t>(width) - n, ' ');
  out.append(digits, n);
}

// "%-W.Ws": cut to `width`, blanks on the right.
void appendLeft(std::string& out, std::string_view text, std::size_t width) {
  text = text.substr(0, std::min(text.size(), width));
  out += text;
  out.append(width - text.size(), ' ');
}

// The four amounts both reports print after a name: area, thickness, volume
// and a tonnage, "%14.2f %10.2f %14.2f %14.2f ".
void appendAmounts(std::string& out, double area, double thickness, double volume, double tonnage) {
  appendFixed(out, area, 14, 2);
  out += ' ';
  appendFixed(out, thickness, 10, 2);
  out += ' ';
  appendFixed(out, volume, 14, 2);
  out += ' ';
  appendFixed(out, tonnage, 14, 2);
  out += ' ';
}

// "%W.Ws": cut to `width`, blanks on the left.
void appendRight(std::string& out, std::string_view text, std::size_t width) {
  text = text.substr(0, std::min(text.size(), width));
  out.append(width - text.size(), ' ');
  out += text;
}

void appendRule(std::string& out, int fixed, int variables) {
  out.append(static_cast<std::size_t>(fixed + kReportRulePerVariable * variables), '=');
}

void appendTwoDigits(std::string& out, int value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02d", value);
  out += digits;
}

// "\n  %s - <KIND> REPORT \n  %-s\n\n".
void appendTitle(std::string& out, std::string_view title, std::string_view kind, const std::tm& time) {
  out += "\n  ";
  out += title;
  out += " - ";
  out += kind;
  out += " REPORT \n  ";
  out += reportTimeText(time);
  out += "\n\n";
}

// Header lines 1 to 3 (and 4 for the figure report): how thickness, specific
// gravity and recovery are obtained.
void appendModelLines(std::string& out, const QuarlexSettings& settings) {
  // "<what> Variable : <name>", or "<what> Fixed" with the fixed value when it has one.
  auto modelLine = [&](std::string_view what, int variable, const double* fixed) {
    out += "         ";
    out += what;
    if (variable >= 0) {
      out += " Variable : ";
      out += settings.variable(variable).name;
    } else {
      out += " Fixed";
      if (fixed != nullptr) {
        out += " : ";
        appendFixed(out, *fixed, 12, 4);
      }
    }
    out += '\n';
  };
  modelLine("Thickness", settings.findThicknessVariable(), nullptr);
  modelLine("Specific Gravity", settings.findSGVariable(), &settings.defaultSG);
  modelLine("Recovery", settings.findRecoveryVariable(), &settings.fixedRecovery);
}

// Header line 5: one line per variable whose cutoffs differ, the name cut and
// right-aligned in `nameWidth`.
void appendCutoffLines(std::string& out, const QuarlexSettings& settings, std::size_t nameWidth) {
  for (int n = 0; n < settings.variableCount(); ++n) {
    const VariableInfo& v = settings.variable(n);
    if (v.maxCutoff == v.minCutoff) continue;
    out += "         Cutoffs For ";
    appendRight(out, v.name, nameWidth);
    out += " (high/low) : ";
    appendFixed(out, v.maxCutoff, 0, 4);
    out += " / ";
    appendFixed(out, v.minCutoff, 0, 4);
    out += '\n';
  }
}

// The values a reported line shows for one composite: its loaded values (0
// where the composite holds fewer than the settings name), then every
// calculated variable evaluated with the given surface, volume and tonnage.
class LineValues {
 public:
  explicit LineValues(const QuarlexSettings& settings)
      : settings_(settings), values_(static_cast<std::size_t>(settings.variableCount()), 0.0) {}

  std::span<const double> evaluate(const CComposite* composite, double surface, double volume, double tonnage) {
    std::fill(values_.begin(), values_.end(), 0.0);
    const std::size_t loaded = static_cast<std::size_t>(settings_.loadedCount());
    if (composite != nullptr)
      std::copy_n(composite->values.begin(), std::min(loaded, composite->values.size()), values_.begin());
    SpecialQuantities q;
    q.surface = surface;
    q.volume = volume;
    q.tonnage = tonnage;
    evaluateCalculatedVariables(settings_.calculated, values_, settings_.loadedCount(), q);
    return values_;
  }

 private:
  const QuarlexSettings& settings_;
  std::vector<double> values_;
};

const CComposite* compositeOf(const CPolygon& p, const CompositeSet& composites) {
  if (p.compositeIndex < 0 || p.compositeIndex >= static_cast<int>(composites.composites.size())) return nullptr;
  return &composites.composites[static_cast<std::size_t>(p.compositeIndex)];
}

std::string_view compositeName(const CComposite* c) { return c != nullptr ? std::string_view(c->name) : ""; }

// The points in single precision, in a frame centred on `centre` (worked out
// in double first, so that coordinates far from the origin keep their
// precision).
void toLocal(const std::vector<DPoint3D>& points, const DPoint3D& centre, std::vector<FPoint2D>& out) {
  out.clear();
  out.reserve(points.size());
  for (const auto& p : points) out.push_back({static_cast<float>(p.x - centre.x), static_cast<float>(p.y - centre.y)});
}

ReportOutcome writeReport(UiPort& port, std::string_view filter, std::string_view caption,
                          const std::function<std::string()>& makeText, bool waitCursor) {
  FileDialogSpec spec;
  spec.save = true;
  spec.title = std::string(caption);
  spec.filter = std::string(filter);
  spec.defaultExtension = std::string(kReportExtension);
  const auto path = port.chooseFile(spec);
  if (!path) return ReportOutcome::Cancelled;

  std::unique_ptr<WaitCursor> wait;
  if (waitCursor) wait = std::make_unique<WaitCursor>(port);
  CFile file = openForWriting(*path);
  const bool ok = file && writeAndClose(file, makeText());
  wait.reset();
  if (ok) return ReportOutcome::Written;
  port.message(reportFileErrorMessage(*path), MessageButtons::Ok, MessageIcon::Error);
  return ReportOutcome::FileError;
}

}  // namespace

std::tm currentLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm out{};
  localtime_r(&now, &out);
  return out;
}

std::string reportTimeText(const std::tm& time) {
  std::string out;
  appendTwoDigits(out, time.tm_mday);
  out += '/';
  appendTwoDigits(out, time.tm_mon + 1);
  out += '/';
  out += std::to_string(time.tm_year + 1900);
  out += ", ";
  appendTwoDigits(out, time.tm_hour);
  out += 'h';
  appendTwoDigits(out, time.tm_min);
  return out;
}

std::string polygonReportText(std::string_view title, const std::tm& time, const CPolygonSet& polygons,
                              const CompositeSet& composites, const QuarlexSettings& settings) {
  const int variables = settings.variableCount();
  std::string out;
  appendRule(out, kPolygonReportTopRule, variables);
  appendTitle(out, title, "POLYGON", time);
  appendModelLines(out, settings);
  appendCutoffLines(out, settings, 12);
  appendRule(out, kPolygonReportHeaderRule, variables);
  out += "\nPolygon                                   Area  Thickness         Volume        Tonnage";
  for (int n = 0; n < variables; ++n) appendRight(out, settings.variable(n).name, 13);
  out += '\n';
  appendRule(out, kPolygonReportColumnRule, variables);

  LineValues values(settings);
  for (const CPolygon& p : polygons.polygons) {
    const CComposite* c = compositeOf(p, composites);
    out += '\n';
    appendLeft(out, compositeName(c), 32);
    appendAmounts(out, p.area, p.thickness, p.volume, p.tonnage);
    for (double v : values.evaluate(c, p.area, p.volume, p.tonnage)) {
      appendFixed(out, v, 12, 4);
      out += ' ';
    }
  }
  return out;
}

std::string figureReportText(std::string_view title, const std::tm& time, const FigureSet& figures,
                             const CPolygonSet& polygons, const CompositeSet& composites,
                             const QuarlexSettings& settings) {
  const int variables = settings.variableCount();
  std::string out;
  appendTitle(out, title, "FIGURE", time);
  appendModelLines(out, settings);
  out += figures.dilution == 0 ? "         Dilution of Figures is Activated\n"
                               : "         Dilution of Figures is Not Activated\n";
  appendCutoffLines(out, settings, 15);
  out +=
      "\nFigure                                    Area  Thickness         Volume    Tonnage Ore     Ton. Waste   "
      "%Tot Area";
  for (int n = 0; n < variables; ++n) {
    appendRight(out, settings.variable(n).name, 15);
    out += ' ';
  }

  const PolygonIndex index(polygons);
  std::vector<int> candidates;
  LineValues values(settings);
  IntersectionWorkspace workspace;
  IntersectionResult cut;
  std::vector<FPoint2D> figureOutline, polygonOutline;
  for (const Figure& f : figures.figures) {
    out += "\nPolygons inside figure ";
    appendLeft(out, f.name, 32);

    // The candidates and the areas as the calculation finds them: the
    // polygons whose boxes overlap the figure's (taken over its first
    // point-count vertices), both outlines moved next to the centre of that
    // box before they go to single precision.
    Figure boxed;
    boxed.pointCount = f.pointCount;
    boxed.outline = f.outline;
    boxed.recomputeBoundingBox();
    candidates.clear();
    if (boxed.minCorner.x <= boxed.maxCorner.x && boxed.minCorner.y <= boxed.maxCorner.y)
      index.overlapping(boxed.minCorner, boxed.maxCorner, candidates);
    const DPoint3D centre{0.5 * (boxed.minCorner.x + boxed.maxCorner.x), 0.5 * (boxed.minCorner.y + boxed.maxCorner.y),
                          0.0};
    toLocal(f.outline, centre, figureOutline);
    for (int i : candidates) {
      const CPolygon& p = polygons.polygons[static_cast<std::size_t>(i)];
      // A polygon without its composite has no values and adds nothing to the
      // figure: the calculation skips it, and so does the report.
      const CComposite* c = compositeOf(p, composites);
      if (c == nullptr) continue;
      toLocal(p.outline, centre, polygonOutline);
      cut.area = 0.0;
      if (figureOutline.size() >= 3 && polygonOutline.size() >= 3)
        intersectPolygons(figureOutline, polygonOutline, workspace, cut);
      const double a = cut.area;
      if (!(a > 0.0)) continue;
      const double volume = a * p.thickness;
      const double tonnage = volume * p.specificGravity;
      out += '\n';
      appendLeft(out, compositeName(c), 32);
      appendFixed(out, a, 14, 2);
      out += ' ';
      appendFixed(out, p.thickness, 10, 2);
      out += ' ';
      appendFixed(out, volume, 14, 2);
      out += ' ';
      appendFixed(out, tonnage, 14, 2);
      out += ' ';
      out.append(14 + 1 + 11, ' ');  // the two empty columns
      for (double v : values.evaluate(c, a, volume, tonnage)) {
        appendFixed(out, v, 15, 4);
        out += ' ';
      }
    }

    out += '\n';
    appendLeft(out, f.name, 32);
    appendAmounts(out, f.area, f.thickness, f.volume, f.oreTonnage);
    appendFixed(out, f.wasteTonnage, 14, 2);
    out += ' ';
    appendFixed(out, f.oreFraction, 11, 2);
    // Its loaded averages, then its calculated values (0 for any it lacks).
    for (int n = 0; n < variables; ++n) {
      appendFixed(out, figureVariableValue(f, n, settings.loadedCount()), 15, 4);
      out += ' ';
    }
    out += "\n\n";
  }
  return out;
}

std::string reportFileErrorMessage(std::string_view path) {
  return "The file " + std::string(path) + " could not be opened for writing.";
}

ReportOutcome reportPolygons(UiPort& port, std::string_view title, const CPolygonSet& polygons,
                             const CompositeSet& composites, const QuarlexSettings& settings,
                             const ReportClock& clock) {
  return writeReport(
      port, kPolygonReportFilter, kPolygonReportCaption,
      [&] { return polygonReportText(title, clock(), polygons, composites, settings); }, false);
}

ReportOutcome reportFigures(UiPort& port, std::string_view title, const FigureSet& figures, const CPolygonSet& polygons,
                            const CompositeSet& composites, const QuarlexSettings& settings, const ReportClock& clock) {
  return writeReport(
      port, kFigureReportFilter, kFigureReportCaption,
      [&] { return figureReportText(title, clock(), figures, polygons, composites, settings); }, true);
}

}  // namespace qx
