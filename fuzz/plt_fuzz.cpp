// Fuzz target of the Marneth PLT reader: arbitrary bytes read as a plot.
// Checks that a refusal keeps no records and names a byte within the input,
// that an accepted plot written again reads the same, and that its
// replay as DXF and on a page never fails.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "plot/cairo_plot.h"
#include "plot/gplot.h"
#include "plot/plt_reader.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "plt_fuzz: invariant broken: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const qx::PltReadResult read = qx::readPlt(bytes);
  if (!read.ok()) {
    check(read.records.empty(), "a refused plot keeps records");
    const auto at = read.error.rfind("at byte ");
    check(at != std::string::npos, "the message names no byte");
    check(std::stoul(read.error.substr(at + 8)) <= size, "the byte named lies beyond the input");
    return 0;
  }
  qx::MemorySink again;
  qx::CGPlot plt;
  plt.open(true, read.records[0].a, again);
  qx::replayPlot(read.records, plt);
  // The pad byte after an odd text is read whatever it holds and written as a blank.
  check(again.bytes().size() == bytes.size(), "an accepted plot written again changes size");
  check(qx::readPlt(again.bytes()).records == read.records, "an accepted plot written again reads differently");

  qx::MemorySink dxf;
  qx::CGPlot d;
  d.output = qx::PlotOutput::Dxf;
  d.open(true, 0, dxf);
  qx::replayPlot(read.records, d);
  check(dxf.bytes().size() >= 4 && dxf.bytes().ends_with("EOF\r\n"), "the DXF replay has no end");

  qx::CairoPlotter page;
  qx::replayPlot(read.records, page);
  qx::MemorySink svg;
  check(page.write(qx::PageFormat::Svg, svg), "the page could not be drawn");
  return 0;
}
