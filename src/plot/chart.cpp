#include "plot/chart.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>

#include "io/text_encoding.h"
#include "plot/cairo_plot.h"

namespace qx {

namespace {

constexpr double kLeft = 90.0, kRight = 90.0, kTop = 40.0, kBottom = 60.0;
constexpr double kFont = 12.0;

std::string tickText(double v, double step) {
  // As many decimals as the step needs.
  const int decimals = step >= 1.0 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, std::abs(v) < step * 1e-9 ? 0.0 : v);
  return buf;
}

// Text centred horizontally on x (anchor 0.5), right-aligned (1) or left (0),
// its middle on y; turned a quarter anticlockwise when `up`.
void label(cairo_t* cr, double x, double y, const std::string& text, double anchor, bool up = false) {
  const std::string shown = displayText(text);
  cairo_text_extents_t e;
  cairo_text_extents(cr, shown.c_str(), &e);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  if (up) cairo_rotate(cr, -std::numbers::pi / 2);
  cairo_move_to(cr, -anchor * e.x_advance, kFont * 0.35);
  cairo_show_text(cr, shown.c_str());
  cairo_restore(cr);
}

// White, the font and thin lines.
void blankPage(cairo_t* cr) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, kFont);
  cairo_set_line_width(cr, 1.0);
}

void ticks(const ChartAxis& a, const std::function<void(double)>& one) {
  const int n = static_cast<int>(std::lround((a.last - a.first) / a.step));
  for (int i = 0; i <= n; ++i) one(a.first + i * a.step);
}

// The frame with the ticks of the horizontal axis below and of the left
// axis, and their titles.
void frameAndAxes(cairo_t* cr, const ChartAxis& ax, const ChartAxis& ay, const std::string& xTitle,
                  const std::string& yTitle) {
  const double x0 = kLeft, x1 = kChartWidth - kRight, y0 = kChartHeight - kBottom, y1 = kTop;
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_rectangle(cr, x0, y1, x1 - x0, y0 - y1);
  cairo_stroke(cr);
  const auto px = [&](double v) { return x0 + (v - ax.first) / (ax.last - ax.first) * (x1 - x0); };
  const auto py = [&](double v) { return y0 - (v - ay.first) / (ay.last - ay.first) * (y0 - y1); };
  ticks(ax, [&](double v) {
    cairo_move_to(cr, px(v), y0);
    cairo_line_to(cr, px(v), y0 + 5);
    label(cr, px(v), y0 + 16, tickText(v, ax.step), 0.5);
  });
  ticks(ay, [&](double v) {
    cairo_move_to(cr, x0 - 5, py(v));
    cairo_line_to(cr, x0, py(v));
    label(cr, x0 - 8, py(v), tickText(v, ay.step), 1.0);
  });
  cairo_stroke(cr);
  label(cr, 0.5 * (x0 + x1), kChartHeight - 18, xTitle, 0.5);
  label(cr, 18, 0.5 * (y0 + y1), yTitle, 0.5, true);
}

void draw(cairo_t* cr, const std::vector<GradeTonnageRow>& rows, const std::string& variable) {
  const double w = kChartWidth, h = kChartHeight;
  const double x0 = kLeft, x1 = w - kRight, y0 = h - kBottom, y1 = kTop;
  blankPage(cr);

  double cLow = 0.0, cHigh = 1.0, tHigh = 0.0, gHigh = 0.0;
  if (!rows.empty()) {
    cLow = cHigh = rows.front().cutoff;
    for (const auto& r : rows) {
      cLow = std::min(cLow, r.cutoff);
      cHigh = std::max(cHigh, r.cutoff);
      tHigh = std::max(tHigh, r.tonnage);
      gHigh = std::max(gHigh, r.grade);
    }
  }
  const ChartAxis ax = chartAxis(cLow, cHigh, 8), at = chartAxis(0.0, tHigh, 6), ag = chartAxis(0.0, gHigh, 6);
  const auto px = [&](double v) { return x0 + (v - ax.first) / (ax.last - ax.first) * (x1 - x0); };
  const auto pyT = [&](double v) { return y0 - (v - at.first) / (at.last - at.first) * (y0 - y1); };
  const auto pyG = [&](double v) { return y0 - (v - ag.first) / (ag.last - ag.first) * (y0 - y1); };

  // Frame and ticks: cut-off below, tonnage on the left, grade on the right.
  frameAndAxes(cr, ax, at, "Cut-off (" + variable + ")", "Tonnage");
  ticks(ag, [&](double v) {
    cairo_move_to(cr, x1, pyG(v));
    cairo_line_to(cr, x1 + 5, pyG(v));
    label(cr, x1 + 8, pyG(v), tickText(v, ag.step), 0.0);
  });
  cairo_stroke(cr);
  label(cr, w - 14, 0.5 * (y0 + y1), "Grade (" + variable + ")", 0.5, true);

  // The curves: tonnage in blue, grade in red, with a key above the frame.
  const auto curve = [&](const std::function<double(const GradeTonnageRow&)>& y) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (i == 0)
        cairo_move_to(cr, px(rows[i].cutoff), y(rows[i]));
      else
        cairo_line_to(cr, px(rows[i].cutoff), y(rows[i]));
    }
    cairo_stroke(cr);
  };
  cairo_set_line_width(cr, 2.0);
  cairo_set_source_rgb(cr, 0.1, 0.3, 0.8);
  curve([&](const GradeTonnageRow& r) { return pyT(r.tonnage); });
  label(cr, x0, kTop - 16, "Tonnage", 0.0);
  cairo_set_source_rgb(cr, 0.8, 0.1, 0.1);
  curve([&](const GradeTonnageRow& r) { return pyG(r.grade); });
  label(cr, x1, kTop - 16, "Grade", 1.0);
}

// Bars of the declustered frequency, filled, with the naive frequency of
// each bin outlined over them.
void drawHistogram(cairo_t* cr, const DeclusteringHistogram& hist, const std::string& variable) {
  const double x0 = kLeft, x1 = kChartWidth - kRight, y0 = kChartHeight - kBottom, y1 = kTop;
  blankPage(cr);
  double fHigh = 0.0;
  for (const auto* set : {&hist.naive, &hist.declustered})
    for (const double f : *set) fHigh = std::max(fHigh, f);
  const ChartAxis ax = chartAxis(hist.low, hist.high, 8), ay = chartAxis(0.0, fHigh, 6);
  const auto px = [&](double v) { return x0 + (v - ax.first) / (ax.last - ax.first) * (x1 - x0); };
  const auto py = [&](double v) { return y0 - (v - ay.first) / (ay.last - ay.first) * (y0 - y1); };
  const std::size_t bins = hist.declustered.size();
  const double width =
      (hist.high > hist.low ? hist.high - hist.low : 1.0) / static_cast<double>(std::max<std::size_t>(bins, 1));
  const auto bars = [&](const std::vector<double>& f, bool fill) {
    for (std::size_t i = 0; i < f.size(); ++i) {
      const double left = px(hist.low + static_cast<double>(i) * width);
      cairo_rectangle(cr, left, py(f[i]), px(hist.low + static_cast<double>(i + 1) * width) - left, y0 - py(f[i]));
      fill ? cairo_fill(cr) : cairo_stroke(cr);
    }
  };
  cairo_set_source_rgb(cr, 0.55, 0.7, 0.9);
  bars(hist.declustered, true);
  frameAndAxes(cr, ax, ay, variable, "Frequency");
  cairo_set_line_width(cr, 1.5);
  cairo_set_source_rgb(cr, 0.8, 0.1, 0.1);
  bars(hist.naive, false);
  label(cr, x1, kTop - 16, "Naive", 1.0);
  cairo_set_source_rgb(cr, 0.1, 0.3, 0.8);
  label(cr, x0, kTop - 16, "Declustered", 0.0);
}

}  // namespace

ChartAxis chartAxis(double low, double high, int count) {
  ChartAxis a;
  if (!(high > low)) high = low + 1.0;
  const double raw = (high - low) / std::max(count, 1);
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double f = raw / magnitude;
  a.step = (f < 1.5 ? 1.0 : f < 3.0 ? 2.0 : f < 7.0 ? 5.0 : 10.0) * magnitude;  // the nearest round step
  a.first = std::floor(low / a.step) * a.step;
  a.last = std::ceil(high / a.step - 1e-9) * a.step;
  if (!(a.last > a.first)) a.last = a.first + a.step;
  return a;
}

namespace {

// The page in the format of the file's extension, drawn by `draw`.
std::string writeChart(const std::string& fileName, const std::function<void(cairo_t*)>& draw) {
  PageFormat format;
  if (!pageFormatOf(fileName, format)) return "The chart " + fileName + " is not a .pdf, .svg or .png file.";
  cairo_surface_t* surface =
      format == PageFormat::Pdf   ? cairo_pdf_surface_create(fileName.c_str(), kChartWidth, kChartHeight)
      : format == PageFormat::Svg ? cairo_svg_surface_create(fileName.c_str(), kChartWidth, kChartHeight)
                                  : cairo_image_surface_create(CAIRO_FORMAT_RGB24, kChartWidth, kChartHeight);
  cairo_t* cr = cairo_create(surface);
  draw(cr);
  cairo_destroy(cr);
  bool ok = format != PageFormat::Png || cairo_surface_write_to_png(surface, fileName.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_finish(surface);
  ok = ok && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok ? std::string() : "The chart " + fileName + " could not be written.";
}

}  // namespace

std::string writeGradeTonnageChart(const std::vector<GradeTonnageRow>& rows, const std::string& variableName,
                                   const std::string& fileName) {
  return writeChart(fileName, [&](cairo_t* cr) { draw(cr, rows, variableName); });
}

std::string writeDeclusteringHistogram(const DeclusteringHistogram& histogram, const std::string& variableName,
                                       const std::string& fileName) {
  return writeChart(fileName, [&](cairo_t* cr) { drawHistogram(cr, histogram, variableName); });
}

}  // namespace qx
