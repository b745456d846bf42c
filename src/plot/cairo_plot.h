#pragma once
// Draws the plotter's calls with cairo and writes the page as PDF, SVG or
// PNG. The calls are recorded first, so the sheet size may come at any
// point; a plot without one gets a page around what it draws.
#include <string>
#include <string_view>
#include <vector>

#include "common/types.h"
#include "plot/plot_sink.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace qx {

struct PlotRecord;

enum class PageFormat { Pdf, Svg, Png };

class CairoPlotter {
 public:
  CairoPlotter();
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

 private:
  void flush();
  void setSource();
  DPoint2D sheetPoint(double x, double y) const;
  void showText(double x, double y, double height, const std::string& text, double angle);

  cairo_surface_t* recording_ = nullptr;
  cairo_t* cr_ = nullptr;
  double factor_ = 1.0;
  DPoint2D origin_;
  DPoint2D current_;  // the pen on the sheet, in inches
  DPoint2D sheet_;
  ColorRef color_ = 0;
  bool pathOpen_ = false;
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
