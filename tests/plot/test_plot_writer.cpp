// The pen plotter's two writers: Marneth PLT records byte for byte, DXF
// entities line for line.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "plot/gplot.h"
#include "support/record_testing.h"
#include "test_files.h"

using namespace qx;
using qx::testing::B;
using qx::testing::Bytes;

namespace {

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

// A DXF plot in memory, begun with the file head.
struct DxfPlot {
  MemorySink sink;
  CGPlot plot;
  explicit DxfPlot(char mode = 'N') {
    plot.output = PlotOutput::Dxf;
    plot.dxf.transformMode = mode;
  }
  void open() { plot.open(true, 0, sink); }
  const std::string& text() const { return sink.bytes(); }
  // The value lines that follow each line holding the group code, in order.
  std::vector<std::string> values(const std::string& code) const {
    std::vector<std::string> out;
    const auto lines = qx::test::splitLines(text());
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
      if (lines[i] == code + "\r") out.push_back(lines[i + 1].substr(0, lines[i + 1].size() - 1));
    return out;
  }
  // The first value of each of the codes.
  std::vector<std::string> first(std::initializer_list<const char*> codes) const {
    std::vector<std::string> out;
    for (const char* code : codes) out.push_back(values(code).at(0));
    return out;
  }
  int count(const std::string& entity) const {
    int n = 0;
    for (const auto& v : values("  0")) n += v == entity;
    return n;
  }
};

}  // namespace

TEST(PltWriter, RecordsByteForByte) {
  MemorySink sink;
  CGPlot p;
  ASSERT_TRUE(p.open(true, 7, sink));
  p.sheetSize(11.0, 8.5);
  p.scaleFactor(0.5);
  p.pen(3);
  p.color(makeRgb(10, 20, 30));
  p.plot(1.0, 2.5, 3);
  p.plot(-1.0, 0.0, -2);
  p.text(1.0, 2.0, 0.1, "", 90.0, 0);     // n = 1: the terminator and a blank
  p.text(1.0, 2.0, 0.1, "ABC", 0.0, 3);   // odd: one blank more
  p.text(1.0, 2.0, 0.1, "ABCD", 0.0, 2);  // n characters only
  p.symbol(0.5, 0.5, 0.1, 5, 0.0, -3);
  p.text(0.5, 0.5, 0.1, "\x04", 0.0, -2);  // a symbol call
  p.number(2.0, 1.0, 0.1, 12.7, 0.0, -1);
  p.plot(0.0, 0.0, 999);
  EXPECT_FALSE(p.isOpen());

  const auto head = [](B& b, float x, float y, float h, float a) { b.f32(x).f32(y).f32(h).f32(a); };
  B e;
  e.raw({0xFF, 0xFF, 0x00, 0x00, 0x07, 0x00});
  e.raw({0xFD, 0xFF}).raw({0x00, 0x00, 0x30, 0x41}).raw({0x00, 0x00, 0x08, 0x41});
  e.raw({0xFA, 0xFF, 0x00, 0x00, 0x00, 0x3F});
  e.raw({0xFE, 0xFF, 0x03, 0x00});
  e.raw({0xF1, 0xFF, 0x0A, 0x00, 0x14, 0x00, 0x1E, 0x00});
  e.raw({0xFC, 0xFF, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x20, 0x40, 0x03, 0x00});
  e.raw({0xFC, 0xFF, 0x00, 0x00, 0x80, 0xBF, 0x00, 0x00, 0x00, 0x00, 0xFE, 0xFF});
  e.raw({0xF7, 0xFF}), head(e, 1, 2, 0.1f, 90), e.raw({0x01, 0x00, 0x00, ' '});
  e.raw({0xF7, 0xFF}), head(e, 1, 2, 0.1f, 0), e.raw({0x03, 0x00, 'A', 'B', 'C', ' '});
  e.raw({0xF7, 0xFF}), head(e, 1, 2, 0.1f, 0), e.raw({0x02, 0x00, 'A', 'B'});
  e.raw({0xF6, 0xFF}), head(e, 0.5f, 0.5f, 0.1f, 0), e.raw({0xFD, 0xFF, 0x05, 0x00});
  e.raw({0xF6, 0xFF}), head(e, 0.5f, 0.5f, 0.1f, 0), e.raw({0xFE, 0xFF, 0x04, 0x00});
  e.raw({0xF8, 0xFF}), head(e, 2, 1, 0.1f, 0), e.raw({0xFF, 0xFF, 0x33, 0x33, 0x4B, 0x41});
  e.raw({0xFC, 0xFF}).zeros(8).raw({0xE7, 0x03});
  EXPECT_EQ(bytesOf(sink.bytes()), e.bytes());
}

TEST(PltWriter, FileHoldsTheSameBytesAsMemoryAndRefusesAnUnwritablePath) {
  qx::test::TempDir dir("qx_plt");
  MemorySink memory;
  CGPlot inMemory, inFile;
  ASSERT_TRUE(inMemory.open(true, 1, memory));
  ASSERT_TRUE(inFile.open(true, 1, (dir / "a.plt").string()));
  for (int i = 0; i < 1000; ++i)  // well beyond the 4096-byte buffer
    for (CGPlot* p : {&inMemory, &inFile}) p->plot(i * 0.01, i % 7, i % 2 ? 2 : 3);
  for (CGPlot* p : {&inMemory, &inFile}) p->plot(0, 0, 999);
  EXPECT_TRUE(inFile.ok());
  EXPECT_EQ(qx::test::readFile(dir / "a.plt"), memory.bytes());

  CGPlot refused;
  EXPECT_FALSE(refused.open(true, 1, (dir / "missing" / "b.plt").string()));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST(DxfWriter, ElementsLineForLine) {
  DxfPlot d;
  d.open();
  auto& p = d.plot;
  p.pen(3);
  p.layer("Frame");
  p.plot(1, 2, 3);
  p.plot(3, 2, 2);
  p.plot(3, 4, 2);
  p.color(makeRgb(0, 0, 255));
  p.text(1, 1, -0.2, "AB", 390, 4);
  p.number(2, 1, 0.1, 12.7, -30, -1);
  p.symbol(5, 5, 0.2, 13, 90, -2);
  p.plot(6, 6, 3);
  p.plot(7, 6, 2);
  p.plot(0, 0, 999);

  const std::string z = "       0.000";
  const std::vector<std::string> normal = {"210", " 0.000000", "220", " 0.000000", "230", " 1.000000"};
  std::vector<std::string> e = {"  0", "SECTION", "  2", "ENTITIES",
                                // the first draw: the head and two vertices without colour
                                "  0", "POLYLINE", "  8", "Frame", " 62", "     2", " 66", "     1", " 70", "     8",
                                "  0", "VERTEX", "  8", "Frame", " 70", "    32", " 10", "       1.000", " 20",
                                "       2.000", " 30", z, "  0", "VERTEX", "  8", "Frame", " 70", "    32", " 10",
                                "       3.000", " 20", "       2.000", " 30", z,
                                // a further draw
                                "  0", "VERTEX", "  8", "Frame", " 62", "     2", " 70", "   32", " 10", "       3.000",
                                " 20", "       4.000", " 30", z,
                                // the text closes the polyline
                                "  0", "SEQEND", "  8", "Frame", " 62", "     5", "  0", "TEXT", "  8", "Frame", " 62",
                                "     5", " 10", "       1.000", " 20", "       1.000", " 30", z, " 40", "  0.200"};
  e.insert(e.end(), normal.begin(), normal.end());
  e.insert(e.end(), {"  1", "  AB",   " 50", "    30.000",   " 41", "  1.000000",   "  0", "TEXT", "  8", "Frame",
                     " 62", "     5", " 10", "       2.000", " 20", "       1.000", " 30", z,      " 40", "  0.100"});
  e.insert(e.end(), normal.begin(), normal.end());
  e.insert(e.end(), {"  1", "12", " 50", "   330.000", " 41", "  1.000000",
                     // pen -2: from the pen's position to the centre, then the bar turned 90 degrees
                     "  0", "LINE", "  8", "Frame", " 62", "     5", " 10", "       3.000", " 20", "       4.000",
                     " 30", z, " 11", "       5.000", " 21", "       5.000", " 31", z, "  0", "LINE", "  8", "Frame",
                     " 62", "     5", " 10", "       5.100", " 20", "       5.000", " 30", z, " 11", "       4.900",
                     " 21", "       5.000", " 31", z,
                     // a draw after a move starts a new polyline
                     "  0", "POLYLINE", "  8", "Frame", " 62", "     5", " 66", "     1", " 70", "     8", "  0",
                     "VERTEX", "  8", "Frame", " 70", "    32", " 10", "       6.000", " 20", "       6.000", " 30", z,
                     "  0", "VERTEX", "  8", "Frame", " 70", "    32", " 10", "       7.000", " 20", "       6.000",
                     " 30", z, "  0", "SEQEND", "  8", "Frame", " 62", "     5", "  0", "ENDSEC", "  0", "EOF"});
  EXPECT_EQ(d.text(), crlf(e));
  EXPECT_FALSE(p.isOpen());
}

TEST(DxfWriter, PensTextsAndNumbers) {
  struct Case {
    int pen;
    std::function<void(CGPlot&)> draw;
    const char* code;
    std::string written;
  };
  const auto text = [](std::string t, int n) { return [=](CGPlot& p) { p.text(0, 0, 0.1, t, 0, n); }; };
  const auto number = [](double v, int d) { return [=](CGPlot& p) { p.number(0, 0, 0.1, v, 0, d); }; };
  const Case cases[] = {
      {0, text("x", 1), " 62", "     0"},    {1, text("x", 1), " 62", "     0"},   {2, text("x", 1), " 62", "     1"},
      {8, text("x", 1), " 62", "     7"},    {9, text("x", 1), " 62", "     7"},   {-4, text("x", 1), " 62", "     0"},
      {1, text("", 0), "  1", " "},          {1, text("AB", 4), "  1", "  AB"},    {1, text("Hello", 2), "  1", "He"},
      {1, text("A\r\nB", 4), "  1", "A  B"}, {1, number(12.7, -1), "  1", "12"},   {1, number(-12.7, -1), "  1", "-12"},
      {1, number(12.7, 0), "  1", "13"},     {1, number(12.7, 2), "  1", "12.70"},
  };
  for (const Case& c : cases) {
    DxfPlot d;
    d.open();
    d.plot.pen(c.pen);
    c.draw(d.plot);
    EXPECT_EQ(d.values(c.code), std::vector<std::string>{c.written}) << c.pen << " " << c.written;
  }
}

TEST(DxfWriter, WhatStartsAndEndsPolylinesAndWhatWritesNothing) {
  DxfPlot d;
  d.open();
  const std::size_t head = d.text().size();
  d.plot.symbol(1, 1, 0.1, 14, 0, -2);
  d.plot.symbol(1, 1, 0.1, -1, 0, -2);
  d.plot.sheetSize(11, 8.5);
  d.plot.plot(1, 1, 3);
  d.plot.plot(2, 2, 3);
  EXPECT_EQ(d.text().size(), head);
  d.plot.plot(3, 3, 2);
  d.plot.text(3, 3, 0.1, "A", 0, 1);
  d.plot.plot(4, 4, 2);
  d.plot.plot(0, 0, 20);  // 14 or more ends the file
  d.plot.plot(5, 5, 2);   // after the end: nothing
  EXPECT_EQ(d.count("POLYLINE"), 2);
  EXPECT_EQ(d.count("SEQEND"), 2);
  EXPECT_EQ(d.values(" 10"),
            (std::vector<std::string>{"       2.000", "       3.000", "       3.000", "       3.000", "       4.000"}));
  EXPECT_EQ(d.values("  0").back(), "EOF");
}

TEST(DxfWriter, NearestPaletteColour) {
  struct Case {
    ColorRef rgb;
    int number;
  };
  for (const Case c : {Case{makeRgb(0, 0, 0), 7},
                       {makeRgb(255, 255, 255), 7},
                       {makeRgb(255, 0, 0), 1},
                       {makeRgb(254, 1, 0), 1},  // nearest: 1 before the equal 10
                       {makeRgb(166, 0, 0), 12},
                       {makeRgb(84, 84, 84), 250},
                       {makeRgb(128, 128, 128), 251},
                       {makeRgb(5, 5, 5), 250},  // greys are looked for from 250 only
                       {makeRgb(5, 5, 6), 7}}) {
    EXPECT_EQ(nearestDxfColor(c.rgb), c.number) << std::hex << c.rgb;
  }
}

TEST(DxfWriter, ObjectCoordinatesOfTexts) {
  struct Case {
    DPoint3D normal;
    std::vector<std::string> point;
  };
  // Below 1/64 in x and y the object point is the world point.
  for (const auto& c : {Case{{0.01, 0.01, 1.0}, {"       2.000", "       3.000", "       0.000"}},
                        Case{{0.02, 0.0, 1.0}, {"       0.060", "      -0.040", "       0.000"}}}) {
    DxfPlot d;
    d.open();
    d.plot.dxf.normal = c.normal;
    d.plot.text(2, 3, 0.1, "A", 0, 1);
    EXPECT_EQ(d.first({" 10", " 20", " 30"}), c.point);
  }
}

TEST(DxfWriter, SectionPlaneThroughThreeControlPoints) {
  // A vertical section along y = 500 at 1:1000 in metres: 25.4 m to the inch.
  DxfPlot d('S');
  d.plot.dxf.mapScale = 1000;
  d.plot.dxf.controlWorld = {DPoint3D{1000, 500, 100}, DPoint3D{1254, 500, 100}, DPoint3D{1000, 500, 354}};
  d.plot.dxf.controlSheet = {DPoint2D{1, 1}, DPoint2D{11, 1}, DPoint2D{1, 11}};
  d.open();
  d.plot.plot(1, 1, 3);
  d.plot.plot(6, 6, 2);
  d.plot.text(6, 6, 0.1, "A", 0, 1);
  EXPECT_EQ(d.values(" 10"), (std::vector<std::string>{"    1000.000", "    1127.000", "    1127.000"}));
  EXPECT_EQ(d.values(" 20"), (std::vector<std::string>{"     500.000", "     500.000", "     227.000"}));
  EXPECT_EQ(d.values(" 30"), (std::vector<std::string>{"     100.000", "     227.000", "    -500.000"}));
  EXPECT_EQ(d.values(" 40"), std::vector<std::string>{"  2.540"});
  EXPECT_EQ(d.values("220"), std::vector<std::string>{"-1.000000"});

  // One control point: a translation at unit scale; imperial, 1:120 gives 10 feet to the inch.
  DxfPlot one('S');
  one.plot.dxf.unitSystem = 'I';
  one.plot.dxf.mapScale = 120;
  one.plot.dxf.controlWorld[0] = {100, 200, 50};
  one.open();
  one.plot.text(2.5, 3.0, 0.1, "A", 0, 1);
  EXPECT_EQ(one.first({" 10", " 20", " 30", "230"}),
            (std::vector<std::string>{"     110.000", "     205.000", "      50.000", " 1.000000"}));
}
