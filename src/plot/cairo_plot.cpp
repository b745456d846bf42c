#include "plot/cairo_plot.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "io/text_encoding.h"
#include "plot/dxf_palette.h"
#include "plot/gplot.h"
#include "plot/plt_dxf.h"
#include "plot/plt_reader.h"
#include "plot/stroke_font.h"

namespace qx {

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kLineWidth = 0.01;  // inches
constexpr double kMaxPixels = 10000.0;

// The closure is the place of the sink: a page dropped unfinished finds it
// empty and writes nowhere (its sink may be gone).
cairo_status_t toSink(void* closure, const unsigned char* data, unsigned int length) {
  if (PlotSink* sink = *static_cast<PlotSink**>(closure))
    sink->write(std::string_view(reinterpret_cast<const char*>(data), length));
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

CairoPlotter::CairoPlotter() = default;

CairoPlotter::CairoPlotter(PageFormat format, PlotSink& sink, double pngDotsPerInch)
    : format_(format), sink_(&sink), dotsPerInch_(pngDotsPerInch) {}

CairoPlotter::~CairoPlotter() {
  if (cr_ != nullptr) cairo_destroy(cr_);
  if (recording_ != nullptr) cairo_surface_destroy(recording_);
}

cairo_surface_t* CairoPlotter::createTarget(PageFormat format, PlotSink** slot, double pngDotsPerInch, DPoint2D page,
                                            double& scale) {
  scale = 1.0;  // device units per point
  switch (format) {
    case PageFormat::Pdf:
      return cairo_pdf_surface_create_for_stream(toSink, slot, page.x * kPointsPerInch, page.y * kPointsPerInch);
    case PageFormat::Svg: {
      cairo_surface_t* svg =
          cairo_svg_surface_create_for_stream(toSink, slot, page.x * kPointsPerInch, page.y * kPointsPerInch);
      cairo_svg_surface_set_document_unit(svg, CAIRO_SVG_UNIT_PT);
      return svg;
    }
    case PageFormat::Png: {
      const double dpi = std::min(pngDotsPerInch, kMaxPixels / std::max(page.x, page.y));
      scale = dpi / kPointsPerInch;
      return cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, static_cast<int>(std::lround(page.x * dpi))),
                                        std::max(1, static_cast<int>(std::lround(page.y * dpi))));
    }
  }
  return nullptr;
}

// The first drawing: in batches for the direct PDF page when its sink and
// size are known, else onto the recording.
void CairoPlotter::begin() {
  if (begun_) return;
  begun_ = true;
  if (sink_ != nullptr && format_ == PageFormat::Pdf && sheet_.x > 0.0 && sheet_.y > 0.0) {
    batched_ = true;
    return;
  }
  recording_ = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
  cr_ = cairo_create(recording_);
  // Inches with y up; the page moves the sheet's origin to its lower left.
  cairo_scale(cr_, kPointsPerInch, -kPointsPerInch);
  cairo_set_line_width(cr_, kLineWidth);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
  cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  fontSize_ = 0.0;
}

void CairoPlotter::setSource() {
  cairo_set_source_rgb(cr_, redOf(color_) / 255.0, greenOf(color_) / 255.0, blueOf(color_) / 255.0);
}

// Each pen lift ends a stroke. One path across lifts would save no
// measurable time here (the colour changes with nearly every outline and
// label), and shared edges stroked once would antialias lighter.
void CairoPlotter::flush() {
  if (!pathOpen_) return;
  if (batched_) {
    pathOpen_ = false;
    return;
  }
  setSource();
  cairo_stroke(cr_);
  pathOpen_ = false;
}

DPoint2D CairoPlotter::sheetPoint(double x, double y) const {
  return {x * factor_ + origin_.x, y * factor_ + origin_.y};
}

void CairoPlotter::plot(double x, double y, int pen) {
  if (pen >= 14) {
    flush();
    return;
  }
  const DPoint2D p = sheetPoint(x, y);
  if (pen == 2 || pen == -2) {
    begin();
    if (batched_) {
      if (!pathOpen_) moveTo(current_);
      lineTo(p);
    } else {
      if (!pathOpen_) cairo_move_to(cr_, current_.x, current_.y);
      cairo_line_to(cr_, p.x, p.y);
    }
    pathOpen_ = true;
  } else {
    flush();
  }
  current_ = p;
  if (pen < 1) {
    origin_.x += x * factor_;
    origin_.y += y * factor_;
  }
}

void CairoPlotter::pen(int n) {
  flush();
  color_ = dxfPalette()[static_cast<std::size_t>(dxfColorOfPen(n))];
}

void CairoPlotter::color(ColorRef rgb) {
  flush();
  color_ = rgb;
}

// Once the direct page is begun, it keeps its size.
void CairoPlotter::sheetSize(double width, double height) {
  if (!batched_) sheet_ = {width, height};
}

void CairoPlotter::showText(double x, double y, double height, const std::string& text, double angle) {
  flush();
  const DPoint2D p = sheetPoint(x, y);
  const double size = std::fabs(height * factor_);
  if (!(size > 0.0) || text.empty()) return;
  begin();
  if (batched_) {
    const auto key = std::make_tuple(color_, size, angle);
    auto [at, added] = runOf_.try_emplace(key, runs_.size());
    if (added) runs_.push_back({color_, size, angle, {}});
    runs_[at->second].texts.emplace_back(p, text);
    return;
  }
  if (size != fontSize_) {
    cairo_set_font_size(cr_, size);
    fontSize_ = size;
  }
  cairo_save(cr_);
  cairo_translate(cr_, p.x, p.y);
  cairo_rotate(cr_, angle * std::numbers::pi / 180.0);
  cairo_scale(cr_, 1.0, -1.0);  // glyphs upright in a y-up space
  setSource();
  cairo_move_to(cr_, 0.0, 0.0);
  cairo_show_text(cr_, displayText(text).c_str());  // cairo takes UTF-8 only
  cairo_restore(cr_);
}
void CairoPlotter::text(double x, double y, double height, std::string_view text, double angle, int n) {
  if (n < 0) {
    symbol(x, y, height, text.empty() ? 0 : static_cast<unsigned char>(text[0]), angle, n);
    return;
  }
  showText(x, y, height, plotTextContent(text, n), angle);
}

void CairoPlotter::number(double x, double y, double height, double value, double angle, int decimals) {
  showText(x, y, height, plotNumberText(value, decimals), angle);
}

void CairoPlotter::symbol(double x, double y, double height, int code, double angle, int pen) {
  if (code < 0 || code >= StrokeFont::kSymbolCount) return;
  flush();
  begin();
  const DPoint2D centre = sheetPoint(x, y);
  bool started = false;  // a draw with no point before it moves, as in cairo
  const auto to = [&](const DPoint2D& p, bool draw) {
    if (batched_) {
      if (draw && started)
        lineTo(p);
      else
        moveTo(p);
    } else if (draw) {
      cairo_line_to(cr_, p.x, p.y);
    } else {
      cairo_move_to(cr_, p.x, p.y);
    }
    started = true;
  };
  if (!batched_) cairo_new_path(cr_);
  if (pen == 2 || pen == -2) {
    to(current_, false);
    to(centre, true);
  }
  const StrokeFont& font = StrokeFont::standard();
  const double a = -angle * std::numbers::pi / 180.0, c = std::cos(a), s = std::sin(a);
  for (int i = font.first(code + 1); i <= font.last(code + 1); ++i) {
    const double ox = font.x(i) * height / 100.0, oy = font.y(i) * height / 100.0;
    to(sheetPoint(x + ox * c + oy * s, y + oy * c - ox * s), font.pen(i) == 'D');
  }
  if (!batched_) {
    setSource();
    cairo_stroke(cr_);
  }
  current_ = centre;
}

PdfStrokes& CairoPlotter::batch() {
  auto [at, added] = batchOf_.try_emplace(color_, batches_.size());
  if (added) batches_.push_back({color_, {}, {}});
  return batches_[at->second];
}

void CairoPlotter::moveTo(const DPoint2D& p) {
  PdfStrokes& b = batch();
  b.points.push_back(p);
  b.moves.push_back(true);
}

void CairoPlotter::lineTo(const DPoint2D& p) {
  PdfStrokes& b = batch();
  b.points.push_back(p);
  b.moves.push_back(false);
}

DPoint2D CairoPlotter::pageSize() {
  if (sheet_.x > 0.0 && sheet_.y > 0.0) return sheet_;
  if (recording_ == nullptr) return {1.0, 1.0};
  flush();
  double x0 = 0, y0 = 0, w = 0, h = 0;
  cairo_recording_surface_ink_extents(recording_, &x0, &y0, &w, &h);
  // In points with y down: the drawing reaches x0 + w to the right, -y0 up.
  return {std::max(1.0, (x0 + w) / kPointsPerInch + 0.5), std::max(1.0, -y0 / kPointsPerInch + 0.5)};
}

bool CairoPlotter::write(PageFormat format, PlotSink& sink, double pngDotsPerInch) {
  if (batched_) return false;  // the direct page: finish()
  DPoint2D page = pageSize();
  flush();
  // A page of the sheet's size grows to take in what is drawn beyond the
  // sheet (a frame on its edge, the strip beside the title block).
  DPoint2D low;
  if (recording_ != nullptr && sheet_.x > 0.0 && sheet_.y > 0.0) {
    double x0 = 0, y0 = 0, w = 0, h = 0;
    cairo_recording_surface_ink_extents(recording_, &x0, &y0, &w, &h);
    if (w > 0.0 && h > 0.0) {
      constexpr double kMargin = 0.05;  // inches beyond the ink
      const double left = x0 / kPointsPerInch, right = (x0 + w) / kPointsPerInch;
      const double bottom = -(y0 + h) / kPointsPerInch, top = -y0 / kPointsPerInch;
      low = {left < 0.0 ? left - kMargin : 0.0, bottom < 0.0 ? bottom - kMargin : 0.0};
      page = {std::max(page.x, right > page.x ? right + kMargin : 0.0) - low.x,
              std::max(page.y, top > page.y ? top + kMargin : 0.0) - low.y};
    }
  }
  PlotSink* out = &sink;
  double scale = 1.0;
  cairo_surface_t* target = createTarget(format, &out, pngDotsPerInch, page, scale);
  cairo_t* cr = cairo_create(target);
  if (format == PageFormat::Png) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
  }
  if (recording_ != nullptr) {
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, recording_, -low.x * kPointsPerInch, (page.y + low.y) * kPointsPerInch);
    cairo_paint(cr);
  }
  cairo_destroy(cr);
  return close(target, format, &out);
}

bool CairoPlotter::finish() {
  if (sink_ == nullptr) return false;
  if (!batched_) return write(format_, *sink_, dotsPerInch_);
  flush();
  const bool ok = writePdfPage(sheet_, batches_, runs_, *sink_);
  batches_.clear();
  runs_.clear();
  return ok;
}

bool CairoPlotter::close(cairo_surface_t* target, PageFormat format, PlotSink** slot) {
  if (format == PageFormat::Png) cairo_surface_write_to_png_stream(target, toSink, slot);
  cairo_surface_finish(target);
  const bool ok = cairo_surface_status(target) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(target);
  return ok;
}

bool pageFormatOf(const std::string& fileName, PageFormat& format) {
  const auto dot = fileName.rfind('.');
  std::string ext = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (ext == "pdf")
    format = PageFormat::Pdf;
  else if (ext == "svg")
    format = PageFormat::Svg;
  else if (ext == "png")
    format = PageFormat::Png;
  else
    return false;
  return true;
}

std::string renderPlot(const std::vector<PlotRecord>& records, PageFormat format, const std::string& fileName) {
  FileSink file(fileName);
  if (!file.isOpen()) return "Unable to create " + fileName;
  CairoPlotter page(format, file);
  replayPlot(records, page);
  const bool drawn = page.finish();
  if (!file.close() || !drawn) return "Unable to write " + fileName;
  return std::string();
}

std::string renderPlotFile(const std::string& pltFile, const std::string& outFile) {
  PageFormat format{};
  if (!pageFormatOf(outFile, format)) return "The output " + outFile + " must end in .pdf, .svg or .png";
  CFile in = openForReading(pltFile);
  if (!in) return "Unable to open the plot " + pltFile;
  std::string bytes;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;) bytes.append(buffer, n);
  if (std::ferror(in.get())) return "Unable to read the plot " + pltFile;
  const PltReadResult plot = readPlt(bytes);
  if (!plot.ok()) return "Unable to read the plot " + pltFile + ": " + plot.error;
  return renderPlot(plot.records, format, outFile);
}

}  // namespace qx
