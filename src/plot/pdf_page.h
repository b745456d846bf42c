#pragma once
// A one-page PDF of lines and texts, written straight from the plotter's
// batches: the strokes of one colour as one path, the texts of one colour,
// size and angle in one text object with the standard Helvetica font.
// Coordinates are kept in thousandths of an inch (whole numbers in the page
// content), and the content is deflated at the fastest level: a plan of a
// hundred thousand polygons is written in a fraction of a second.
#include <string>
#include <utility>
#include <vector>

#include "common/types.h"
#include "plot/plot_sink.h"

namespace qx {

struct PdfStrokes {
  ColorRef colour = 0;
  std::vector<DPoint2D> points;  // inches on the sheet, y up
  std::vector<bool> moves;       // per point: starts a sub-path
};

struct PdfTexts {
  ColorRef colour = 0;
  double size = 0.0;                                    // inches
  double angle = 0.0;                                   // degrees, counter-clockwise
  std::vector<std::pair<DPoint2D, std::string>> texts;  // the left end of the baseline; the name's bytes
};

// Writes the page of the sheet's size (inches) into the sink; false when the
// content could not be compressed. Texts are drawn above every stroke, with
// line widths of 0.01 inch, round caps and joins.
bool writePdfPage(DPoint2D sheet, const std::vector<PdfStrokes>& strokes, const std::vector<PdfTexts>& texts,
                  PlotSink& sink);

}  // namespace qx
