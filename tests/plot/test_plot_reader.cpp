// The PLT reader: a written plot reads back into the same calls, and broken
// files are refused with the byte offset of the record.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "plot/gplot.h"
#include "plot/plt_reader.h"
#include "support/record_testing.h"

using namespace qx;
using qx::testing::B;
using qx::testing::Bytes;

namespace {

std::string str(const Bytes& b) { return std::string(b.begin(), b.end()); }

std::string everyCall() {
  MemorySink sink;
  CGPlot p;
  p.open(true, 12, sink);
  p.sheetSize(11, 8.5);
  p.scaleFactor(0.75);
  p.pen(4);
  p.color(makeRgb(1, 2, 3));
  p.plot(1, 2, 3);
  p.plot(2, 3, -2);
  p.text(1, 1, 0.1, "", 0, 0);
  p.text(1, 1, 0.1, "Odd", 45, 3);
  p.symbol(4, 4, 0.2, 13, 10, -2);
  p.number(5, 5, 0.1, -2.5, 0, 2);
  p.plot(0, 0, 999);
  return sink.bytes();
}

B header() { return std::move(B().raw({0xFF, 0xFF, 0, 0, 1, 0})); }
B end() { return std::move(B().raw({0xFC, 0xFF}).zeros(8).raw({0xE7, 0x03})); }

}  // namespace

TEST(PltReader, ReadsBackTheCallsThatWroteIt) {
  const std::string bytes = everyCall();
  const PltReadResult read = readPlt(bytes);
  ASSERT_TRUE(read.ok()) << read.error;
  ASSERT_EQ(read.records.size(), 12u);
  EXPECT_EQ(read.records[0].a, 12);
  PlotRecord odd;
  odd.opcode = kPltText;
  odd.x = odd.y = 1;
  odd.height = 0.1f;
  odd.angle = 45;
  odd.a = 3;
  odd.text = "Odd";
  EXPECT_EQ(read.records[8], odd);
  EXPECT_EQ(read.records[9].b, 13);  // the symbol's code after its pen code
  EXPECT_EQ(read.records[9].a, -2);

  MemorySink again;
  CGPlot p;
  p.open(true, read.records[0].a, again);
  replayPlot(read.records, p);
  EXPECT_EQ(again.bytes(), bytes);

  for (std::size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(readPlt(bytes.substr(0, n)).ok()) << n;
}

TEST(PltReader, RefusesBrokenPlotsNamingTheByte) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    Bytes bytes;
    std::string message;
  };
  const Case cases[] = {
      {{}, "the plot is empty at byte 0"},
      {end(), "the plot does not start with a header record at byte 0"},
      {B().raw({0xFF, 0xFF, 1, 0, 1, 0}).add(end()), "a header record that does not start with 0 at byte 0"},
      {header().add(header()).add(end()), "a second header record at byte 6"},
      {header().raw({0x34, 0x12}).add(end()), "unknown record 0x1234 at byte 6"},
      {header().raw({0xFC}), "truncated record at byte 6"},
      {header().raw({0xFC, 0xFF, 0, 0}), "truncated plot record at byte 6"},
      {header().raw({0xF7, 0xFF}).zeros(16).raw({5, 0, 'a', 'b'}), "truncated text record at byte 6"},
      {header().raw({0xF7, 0xFF}).zeros(16).raw({0xFD, 0xFF}).add(end()),
       "a text length of -3 in the text record at byte 6"},
      {header().raw({0xFC, 0xFF}).f32(nan).zeros(6).add(end()), "a number out of range in the plot record at byte 6"},
      {header().raw({0xFC, 0xFF}).f32(2e6f).zeros(6).add(end()), "a number out of range in the plot record at byte 6"},
      {header().raw({0xFD, 0xFF}).f32(0).f32(8.5f).add(end()),
       "a number out of range in the sheet size record at byte 6"},
      {header().raw({0xF1, 0xFF, 0, 1, 0, 0, 0, 0}).add(end()), "a number out of range in the colour record at byte 6"},
      {header().raw({0xF8, 0xFF}).zeros(16).raw({31, 0}).f32(1).add(end()),
       "a number out of range in the number record at byte 6"},
      {header(), "the plot has no end record at byte 6"},
      {header().add(end()).raw({0xFE, 0xFF, 1, 0}), "bytes after the end of the plot at byte 18"},
  };
  for (const Case& c : cases) {
    const PltReadResult r = readPlt(str(c.bytes));
    EXPECT_EQ(r.error, c.message);
    EXPECT_TRUE(r.records.empty());
  }
}
