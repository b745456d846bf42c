#pragma once
// Draws the plotter's calls and writes the page as PDF, SVG or PNG. A PDF
// page whose sheet size comes before the first drawing is gathered in
// batches and written by our own PDF page writer (plot/pdf_page.h: cairo's
// PDF writer took seconds on a large plan). Otherwise the calls are recorded
// with cairo: the sheet size may come at any point, and a plot without one
// gets a page around what it draws.
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "common/types.h"
#include "plot/pdf_page.h"
#include "plot/plot_sink.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace qx {

struct PlotRecord;

enum class PageFormat { Pdf, Svg, Png };

class CairoPlotter {
 public:
  // Records the calls; write() gives the page in any format.
  CairoPlotter();
  // Writes a page of the format into the sink on finish(); the sink must
  // outlive the plotter.
  CairoPlotter(PageFormat format, PlotSink& sink, double pngDotsPerInch = 100.0);
  ~CairoPlotter();
  CairoPlotter(const CairoPlotter&) = delete;
  CairoPlotter& operator=(const CairoPlotter&) = delete;

  void plot(double x, double y, int pen);
  void pen(int n);
  void color(ColorRef rgb);
  void scaleFactor(double f) { factor_ = f; }
  void sheetSize(double width, double height);
  void text(double x, double y, double height, std::string_view text, double angle, int n);
  void symbol(double x, double y, double height, int code, double angle, int pen);
  void number(double x, double y, double height, double value, double angle, int decimals);

  // The page in inches: the sheet, or what is drawn with a half-inch margin.
  DPoint2D pageSize();
  // Writes the page; false when cairo failed. PNG at the dots per inch,
  // fewer when a side would pass 10000 pixels.
  bool write(PageFormat format, PlotSink& sink, double pngDotsPerInch = 100.0);
  // Writes the page into the sink given at construction; false when cairo
  // failed.
  bool finish();

 private:
  static cairo_surface_t* createTarget(PageFormat format, PlotSink** slot, double pngDotsPerInch, DPoint2D page,
                                       double& scale);
  static bool close(cairo_surface_t* target, PageFormat format, PlotSink** slot);
  void begin();
  void flush();
  void setSource();
  DPoint2D sheetPoint(double x, double y) const;
  void showText(double x, double y, double height, const std::string& text, double angle);
  // The direct PDF page's batches: the strokes of one colour are one path,
  // the texts of one colour, height and angle one text object, written at
  // the end.
  PdfStrokes& batch();
  void lineTo(const DPoint2D& p);
  void moveTo(const DPoint2D& p);

  PageFormat format_ = PageFormat::Pdf;
  PlotSink* sink_ = nullptr;  // where finish() writes the page
  double dotsPerInch_ = 100.0;
  cairo_surface_t* recording_ = nullptr;  // the calls, when no page is drawn
  cairo_t* cr_ = nullptr;                 // the recording's, null until the first drawing
  double fontSize_ = 0.0;
  double factor_ = 1.0;
  DPoint2D origin_;
  DPoint2D current_;  // the pen on the sheet, in inches
  DPoint2D sheet_;
  ColorRef color_ = 0;
  bool pathOpen_ = false;
  bool begun_ = false;
  bool batched_ = false;  // drawing the direct PDF page, in batches
  std::vector<PdfStrokes> batches_;
  std::map<ColorRef, std::size_t> batchOf_;
  std::vector<PdfTexts> runs_;
  std::map<std::tuple<ColorRef, double, double>, std::size_t> runOf_;
};

// The page format of a file name's extension (.pdf, .svg, .png); false for
// any other.
bool pageFormatOf(const std::string& fileName, PageFormat& format);

// Draws the records of a plot and writes the page into the file; an empty
// result, else the message.
std::string renderPlot(const std::vector<PlotRecord>& records, PageFormat format, const std::string& fileName);

// Reads a PLT file and writes its page in the format of the output's
// extension; an empty result, else the one message ("Unable to read the plot
// a.plt: truncated text record at byte 26").
std::string renderPlotFile(const std::string& pltFile, const std::string& outFile);

}  // namespace qx
