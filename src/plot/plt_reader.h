#pragma once
// Reads a Marneth PLT file back into its calls. Truncated or absurd input is
// refused with a message naming the byte offset of the record; nothing is
// allocated beyond what the input's size warrants.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/types.h"

namespace qx {

// One record: the fields its opcode uses, the others 0.
struct PlotRecord {
  std::uint16_t opcode = 0;
  float x = 0, y = 0;           // a point; the sheet's width and height
  float height = 0, angle = 0;  // texts, symbols and numbers
  float value = 0;              // a number's value; the scale factor
  int a = 0;                    // header value, pen code, pen number, text length, decimals, red
  int b = 0;                    // symbol code, green
  int c = 0;                    // blue
  std::string text;             // a text's n bytes
  friend bool operator==(const PlotRecord&, const PlotRecord&) = default;
};

struct PltReadResult {
  std::vector<PlotRecord> records;  // the header first, the end (pen 999) last
  std::string error;                // empty when the whole file was read
  bool ok() const { return error.empty(); }
};

// Magnitudes a plot accepts: coordinates, heights and factors up to 1e6
// inches, sheets up to 1000 inches a side, up to 30 decimals.
PltReadResult readPlt(std::string_view bytes);

// Makes the calls of the records on an open plot (CGPlot) or a page
// (CairoPlotter); the header is the open's.
template <class Plotter>
void replayPlot(const std::vector<PlotRecord>& records, Plotter& plot) {
  for (const PlotRecord& r : records) {
    switch (r.opcode) {
      case 0xFFFC: plot.plot(r.x, r.y, r.a); break;
      case 0xFFFE: plot.pen(r.a); break;
      case 0xFFF1:
        plot.color(makeRgb(static_cast<unsigned>(r.a), static_cast<unsigned>(r.b), static_cast<unsigned>(r.c)));
        break;
      case 0xFFFA: plot.scaleFactor(r.value); break;
      case 0xFFFD: plot.sheetSize(r.x, r.y); break;
      case 0xFFF7: plot.text(r.x, r.y, r.height, r.text, r.angle, r.a); break;
      case 0xFFF6: plot.symbol(r.x, r.y, r.height, r.b, r.angle, r.a); break;
      case 0xFFF8: plot.number(r.x, r.y, r.height, r.value, r.angle, r.a); break;
      default: break;
    }
  }
}

}  // namespace qx
