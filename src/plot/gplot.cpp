#include "plot/gplot.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "plot/cairo_plot.h"

namespace qx {

CGPlot::CGPlot() = default;
CGPlot::~CGPlot() = default;

bool CGPlot::open(bool beginFlag, int header, const std::string& fileName) {
  auto file = std::make_unique<FileSink>(fileName);
  if (!file->isOpen()) return false;
  ownedSink_ = std::move(file);
  sink_ = ownedSink_.get();
  begin(beginFlag, header);
  return true;
}

bool CGPlot::open(bool beginFlag, int header, PlotSink& sink) {
  ownedSink_.reset();
  sink_ = &sink;
  begin(beginFlag, header);
  return true;
}

void CGPlot::begin(bool beginFlag, int header) {
  last_ = DPoint2D();
  sheet_ = DPoint2D();
  factor_ = 1.0;
  failed_ = false;
  switch (output) {
    case PlotOutput::Marneth:
      putOpcode(kPltHeader);
      put16(0);
      put16(header);
      flushRecord();
      break;
    case PlotOutput::Dxf: dxf.begin(sink_, beginFlag); break;
    case PlotOutput::Pdf: page_ = std::make_unique<CairoPlotter>(PageFormat::Pdf, *sink_); break;
  }
}

void CGPlot::finish() {
  if (page_ && !page_->finish()) failed_ = true;
  page_.reset();
  if (sink_ != nullptr && !sink_->close()) failed_ = true;
  ownedSink_.reset();
  sink_ = nullptr;
}

// Records are little-endian whatever the machine.
void CGPlot::putOpcode(std::uint16_t op) {
  record_.push_back(static_cast<char>(op & 0xFF));
  record_.push_back(static_cast<char>(op >> 8));
}

// An int16 field; values beyond its range are written as its limits.
void CGPlot::put16(int v) {
  putOpcode(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(v, -32768, 32767))));
}

void CGPlot::putFloat(double v) {
  const auto u = std::bit_cast<std::uint32_t>(static_cast<float>(v));
  for (int shift = 0; shift < 32; shift += 8) record_.push_back(static_cast<char>((u >> shift) & 0xFF));
}

void CGPlot::putHead(double x, double y, double height, double angle) {
  putFloat(x);
  putFloat(y);
  putFloat(height);
  putFloat(angle);
}

void CGPlot::flushRecord() {
  if (sink_ != nullptr) sink_->write(record_);
  record_.clear();
}

void CGPlot::plot(double x, double y, int pen) {
  if (sink_ == nullptr) return;
  last_ = {x, y};
  if (output == PlotOutput::Marneth) {
    putOpcode(kPltPlot);
    putFloat(x);
    putFloat(y);
    put16(pen);
    flushRecord();
  } else if (output == PlotOutput::Dxf) {
    dxf.plot(x, y, pen);
  } else {
    page_->plot(x, y, pen);
  }
  if (pen == kPenEnd) finish();
}

void CGPlot::pen(int n) {
  if (sink_ == nullptr) return;
  if (output == PlotOutput::Marneth) {
    putOpcode(kPltPen);
    put16(n);
    flushRecord();
  } else if (output == PlotOutput::Dxf) {
    dxf.setColor(dxfColorOfPen(n));
  } else {
    page_->pen(n);
  }
}

void CGPlot::color(ColorRef rgb) {
  if (sink_ == nullptr) return;
  if (output == PlotOutput::Marneth) {
    putOpcode(kPltColor);
    put16(static_cast<int>(redOf(rgb)));
    put16(static_cast<int>(greenOf(rgb)));
    put16(static_cast<int>(blueOf(rgb)));
    flushRecord();
  } else if (output == PlotOutput::Dxf) {
    dxf.setColor(nearestDxfColor(rgb));
  } else {
    page_->color(rgb);
  }
}

void CGPlot::scaleFactor(double f) {
  if (sink_ == nullptr) return;
  factor_ = f;
  if (output == PlotOutput::Marneth) {
    putOpcode(kPltScale);
    putFloat(f);
    flushRecord();
  } else if (output == PlotOutput::Dxf) {
    dxf.setScaleFactor(f);
  } else {
    page_->scaleFactor(f);
  }
}

void CGPlot::sheetSize(double width, double height) {
  if (sink_ == nullptr) return;
  sheet_ = {width, height};
  if (output == PlotOutput::Marneth) {
    putOpcode(kPltSheet);
    putFloat(width);
    putFloat(height);
    flushRecord();
  } else if (output == PlotOutput::Pdf) {
    page_->sheetSize(width, height);
  }
}

void CGPlot::text(double x, double y, double height, std::string_view text, double angle, int n) {
  if (n < 0) {
    symbol(x, y, height, text.empty() ? 0 : static_cast<unsigned char>(text[0]), angle, n);
    return;
  }
  if (sink_ == nullptr) return;
  if (output == PlotOutput::Marneth) {
    // n bytes of the text (zeros past its end: the first is the empty text's
    // terminator), then a blank to an even length.
    const int count = std::clamp(n, 1, static_cast<int>(std::numeric_limits<std::int16_t>::max()));
    putOpcode(kPltText);
    putHead(x, y, height, angle);
    put16(count);
    std::string bytes(text.substr(0, std::min(text.size(), static_cast<std::size_t>(count))));
    bytes.resize(static_cast<std::size_t>(count), '\0');
    record_.append(bytes);
    if (count % 2 == 1) record_.push_back(' ');
    flushRecord();
  } else if (output == PlotOutput::Dxf) {
    dxf.text(x, y, height, text, angle, n);
  } else {
    page_->text(x, y, height, text, angle, n);
  }
}

void CGPlot::symbol(double x, double y, double height, int code, double angle, int pen) {
  if (sink_ == nullptr) return;
  if (output == PlotOutput::Marneth) {
    putOpcode(kPltSymbol);
    putHead(x, y, height, angle);
    put16(pen);
    put16(code);
    flushRecord();
  } else if (output == PlotOutput::Dxf) {
    dxf.symbol(x, y, height, angle, pen, code);
  } else {
    page_->symbol(x, y, height, code, angle, pen);
  }
}

void CGPlot::number(double x, double y, double height, double value, double angle, int decimals) {
  if (sink_ == nullptr) return;
  if (output == PlotOutput::Marneth) {
    putOpcode(kPltNumber);
    putHead(x, y, height, angle);
    put16(decimals);
    putFloat(value);
    flushRecord();
  } else if (output == PlotOutput::Dxf) {
    dxf.number(x, y, height, value, angle, decimals);
  } else {
    page_->number(x, y, height, value, angle, decimals);
  }
}

void CGPlot::layer(std::string_view name) {
  if (sink_ != nullptr && output == PlotOutput::Dxf) dxf.setLayer(name);
}

}  // namespace qx
