#pragma once
// The pen plotter of the section plots. Each call is written either as a
// binary record of the Marneth PLT format (a compact log of the calls), or
// through the CPltDxf member as DXF entities, or drawn on a PDF page (with
// the sheet's size, written at the end of the plot).
// Coordinates are inches on the sheet.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/types.h"
#include "plot/dxf_palette.h"
#include "plot/plot_sink.h"
#include "plot/plt_dxf.h"

namespace qx {

class CairoPlotter;

enum class PlotOutput { Marneth, Dxf, Pdf };

// The opcodes of the Marneth PLT records.
enum PltOpcode : std::uint16_t {
  kPltHeader = 0xFFFF,
  kPltPlot = 0xFFFC,
  kPltPen = 0xFFFE,
  kPltColor = 0xFFF1,
  kPltScale = 0xFFFA,
  kPltSheet = 0xFFFD,
  kPltText = 0xFFF7,
  kPltSymbol = 0xFFF6,
  kPltNumber = 0xFFF8,
};

// Pen codes of plot(): 3 moves, 2 draws, 999 ends the plot; a code below 1
// also makes the point the new origin; 14 or more ends a DXF file.
constexpr int kPenUp = 3;
constexpr int kPenDown = 2;
constexpr int kPenEnd = 999;

class CGPlot {
 public:
  CGPlot();
  ~CGPlot();
  CGPlot(const CGPlot&) = delete;
  CGPlot& operator=(const CGPlot&) = delete;

  CPltDxf dxf;
  PlotOutput output = PlotOutput::Marneth;

  // Creates (or truncates) the file; false, writing nothing, when it cannot.
  // Resets the last point, the origin and the factor. PLT: the header record
  // with the value; DXF: begins, with the file head when begin is set.
  bool open(bool begin, int header, const std::string& fileName);
  // The same into a sink the caller owns (memory, for instance).
  bool open(bool begin, int header, PlotSink& sink);
  bool isOpen() const { return sink_ != nullptr; }
  // False once a write or the closing of the file failed (a full disk).
  bool ok() const { return !failed_; }

  // Pen 999 also writes everything out and closes the file.
  void plot(double x, double y, int pen);
  void pen(int n);
  void color(ColorRef rgb);
  void scaleFactor(double f);
  void sheetSize(double width, double height);
  // n characters of the text; n < 0 is a symbol call (the pen code n) with
  // the code of the text's first character.
  void text(double x, double y, double height, std::string_view text, double angle, int n);
  // A centred symbol 0..13; pen -2 first draws to its centre, -3 moves.
  void symbol(double x, double y, double height, int code, double angle, int pen);
  void number(double x, double y, double height, double value, double angle, int decimals);
  // DXF only: the layer of what follows.
  void layer(std::string_view name);

  DPoint2D lastPoint() const { return last_; }
  double factor() const { return factor_; }
  DPoint2D sheet() const { return sheet_; }

 private:
  void begin(bool beginFlag, int header);
  void finish();
  void putOpcode(std::uint16_t op);
  void put16(int v);
  void putFloat(double v);
  void putHead(double x, double y, double height, double angle);
  void flushRecord();

  std::unique_ptr<PlotSink> ownedSink_;
  PlotSink* sink_ = nullptr;
  std::unique_ptr<CairoPlotter> page_;  // the PDF page being drawn
  std::string record_;
  DPoint2D last_;
  DPoint2D sheet_;
  double factor_ = 1.0;
  bool failed_ = false;
};

}  // namespace qx
