// Real DXF readers take what the writer writes: ezdxf (recover and audit) and
// dxflib. A reader whose program is missing is skipped.
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "plot/dxf_palette.h"
#include "plot/gplot.h"
#include "test_files.h"

using namespace qx;

namespace {

struct Counts {
  int polylines = 0, vertices = 0, texts = 0, lines = 0;
  std::string str() const {
    return "POLYLINE " + std::to_string(polylines) + " VERTEX " + std::to_string(vertices) + " TEXT " +
           std::to_string(texts) + " LINE " + std::to_string(lines);
  }
};

// A plot with every entity kind: a framed sheet, a polyline, the fourteen
// symbols, texts and numbers in several colours and layers.
void writePlot(const std::filesystem::path& path, char mode) {
  CGPlot p;
  p.output = PlotOutput::Dxf;
  p.dxf.transformMode = mode;
  p.dxf.mapScale = 1000;
  p.dxf.controlWorld = {DPoint3D{1000, 500, 100}, DPoint3D{1254, 500, 100}, DPoint3D{1000, 500, 354}};
  p.dxf.controlSheet = {DPoint2D{1, 1}, DPoint2D{11, 1}, DPoint2D{1, 11}};
  ASSERT_TRUE(p.open(true, 0, path.string()));
  p.layer("Frame");
  p.pen(1);
  p.plot(0, 0, 3);
  for (const auto& [x, y] : std::array<std::pair<double, double>, 4>{{{10, 0}, {10, 7}, {0, 7}, {0, 0}}})
    p.plot(x, y, 2);
  p.layer("Symbols");
  for (int s = 0; s < 14; ++s) {
    p.color(makeRgb(20 * s, 255 - 15 * s, 100));
    p.symbol(1 + s * 0.6, 2, 0.25, s, 15.0 * s, -3);
  }
  p.layer("Texts");
  p.pen(4);
  p.text(1, 4, 0.2, "Section 1200 N", 0, 14);
  p.number(1, 5, 0.15, 3.14159, 30, 2);
  p.plot(2, 6, 3);
  p.plot(3, 6.5, 2);
  p.plot(4, 6, 2);
  p.plot(0, 0, 999);
  ASSERT_TRUE(p.ok());
}

// Polylines 2 (frame, zig-zag) with 5 + 3 vertices, texts 2, and the
// strokes of the fourteen glyphs.
Counts expectedCounts() {
  Counts c{2, 8, 2, 0};
  const StrokeFont& f = StrokeFont::standard();
  for (int g = 1; g <= StrokeFont::kSymbolCount; ++g)
    for (int i = f.first(g); i <= f.last(g); ++i) c.lines += f.pen(i) == 'D';
  return c;
}

std::string run(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, pipe) != nullptr) out += buf;
    if (::pclose(pipe) != 0) out += "(exit status not 0)";
  }
  return out;
}

bool have(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

class CountingAdapter : public DL_CreationAdapter {
 public:
  Counts counts;
  void addPolyline(const DL_PolylineData&) override { ++counts.polylines; }
  void addVertex(const DL_VertexData&) override { ++counts.vertices; }
  void addText(const DL_TextData&) override { ++counts.texts; }
  void addLine(const DL_LineData&) override { ++counts.lines; }
};

class DxfReaders : public ::testing::TestWithParam<char> {
 protected:
  void SetUp() override {
    path_ = dir_ / (std::string("plot_") + GetParam() + ".dxf");
    writePlot(path_, GetParam());
  }
  qx::test::TempDir dir_{"qx_dxf_readers"};
  std::filesystem::path path_;
};

}  // namespace

TEST_P(DxfReaders, Ezdxf) {
  std::string python;
  for (const char* candidate : {"/usr/bin/python3", "python3"})
    if (std::system((std::string(candidate) + " -c 'import ezdxf' >/dev/null 2>&1").c_str()) == 0) {
      python = candidate;
      break;
    }
  if (python.empty()) GTEST_SKIP() << "no python3 with ezdxf";
  EXPECT_EQ(run(python + " " + QX_EZDXF_SCRIPT + " " + path_.string() + " 2>&1"), expectedCounts().str() + "\n");
}

TEST_P(DxfReaders, Dxflib) {
  CountingAdapter adapter;
  DL_Dxf dxf;
  ASSERT_TRUE(dxf.in(path_.string(), &adapter));
  EXPECT_EQ(adapter.counts.str(), expectedCounts().str());
}

// LibreCAD prints the file (its "-o" takes no value: the PDF goes beside the
// DXF, named after it); poppler reads that PDF's one page.
TEST_P(DxfReaders, CadPrintsItToPdf) {
  if (!have("librecad") || !have("xvfb-run")) GTEST_SKIP() << "no librecad or xvfb-run";
  auto pdf = path_;
  pdf.replace_extension(".pdf");
  run("xvfb-run -a librecad dxf2pdf " + path_.string() + " >/dev/null 2>&1");
  ASSERT_EQ(qx::test::readFile(pdf).substr(0, 5), "%PDF-");
  if (have("pdfinfo")) {
    const std::string info = run("pdfinfo " + pdf.string());
    const auto at = info.find("Pages:");
    ASSERT_NE(at, std::string::npos) << info;
    EXPECT_EQ(std::atoi(info.c_str() + at + 6), 1) << info;
  }
}

INSTANTIATE_TEST_SUITE_P(PlanAndSection, DxfReaders, ::testing::Values('N', 'S'));

// dxflib's own table of the colour numbers (fractions) agrees with ours
// within rounding, except 7, 8 and 9, which this program holds black.
TEST(DxfPalette, AgreesWithDxflib) {
  const auto& palette = dxfPalette();
  for (int i = 0; i < 256; ++i) {
    const ColorRef c = palette[static_cast<std::size_t>(i)];
    const unsigned ours[3] = {redOf(c), greenOf(c), blueOf(c)};
    for (int k = 0; k < 3; ++k) {
      if (i == 0 || (i >= 7 && i <= 9)) {
        EXPECT_EQ(ours[k], 0u) << i;
        continue;
      }
      EXPECT_NEAR(ours[k], dxfColors[i][k] * 255.0, 1.0) << "colour " << i << " component " << k;
    }
  }
}

namespace {

// A plot of the fourteen symbols, texts and numbers on a letter sheet.
void writeSheet(CGPlot& p) {
  p.sheetSize(11, 8.5);
  p.pen(1);
  p.plot(0.5, 0.5, 3);
  for (const auto& [x, y] : std::array<std::pair<double, double>, 4>{{{10.5, 0.5}, {10.5, 8}, {0.5, 8}, {0.5, 0.5}}})
    p.plot(x, y, 2);
  for (int s = 0; s < 14; ++s) p.symbol(1 + s * 0.65, 2, 0.3, s, 0, -3);
  p.color(makeRgb(200, 30, 30));
  p.text(1, 4, 0.3, "Section 1200 N", 0, 14);
  p.number(1, 5, 0.2, 3.14159, 30, 2);
  p.text(1, 6, 0.3, "Zona \xD1", 0, 6);     // Windows-1252
  p.text(5, 6, 0.3, "Ley \xC3\xA9", 0, 6);  // UTF-8
  p.plot(0, 0, 999);
}

std::string pdfPageSize(const std::filesystem::path& pdf) {
  const std::string info = run("pdfinfo " + pdf.string() + " 2>&1");
  const auto at = info.find("Page size:");
  return at == std::string::npos ? info : info.substr(at, info.find('\n', at) - at);
}

}  // namespace

// The PDF kind of the plotter: a page of the sheet's size (11 x 8.5 inches:
// 792 x 612 points) that poppler reads and renders; without a sheet, a page
// around the drawing.
TEST(PdfPlot, OpensAndRendersInPoppler) {
  if (!have("pdfinfo") || !have("pdftoppm")) GTEST_SKIP() << "no poppler-utils";
  qx::test::TempDir dir("qx_pdf_plot");
  CGPlot p;
  p.output = PlotOutput::Pdf;
  ASSERT_TRUE(p.open(true, 0, (dir / "sheet.pdf").string()));
  writeSheet(p);
  ASSERT_TRUE(p.ok());
  EXPECT_NE(pdfPageSize(dir / "sheet.pdf").find("792 x 612 pts"), std::string::npos) << pdfPageSize(dir / "sheet.pdf");
  // The texts as poppler extracts them; the frame's left edge (0.5 inch from
  // the left and the bottom) dark at 20 dots per inch, the sheet's middle white.
  const std::string text = run("pdftotext " + (dir / "sheet.pdf").string() + " - 2>&1");
  for (const char* expected : {"Section 1200 N", "Zona \xC3\x91", "Ley \xC3\xA9"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " in " << text;
  run("pdftoppm -r 20 -gray " + (dir / "sheet.pdf").string() + " " + (dir / "page").string());
  const std::string pgm = qx::test::readFile(dir / "page-1.pgm");
  ASSERT_EQ(pgm.rfind("P5\n220 170\n255\n", 0), 0u) << pgm.substr(0, 20);
  const auto grey = [&](int x, int y) { return static_cast<unsigned char>(pgm[15 + y * 220 + x]); };
  EXPECT_LT(grey(10, 100), 240);
  EXPECT_EQ(grey(100, 130), 255);

  // Without a sheet size: the ink reaches 216.36 x 144.36 points (whole
  // points 217 x 145), and a half inch more each way.
  CGPlot loose;
  loose.output = PlotOutput::Pdf;
  ASSERT_TRUE(loose.open(true, 0, (dir / "loose.pdf").string()));
  loose.plot(0.5, 0.5, 3);
  loose.plot(3, 2, 2);
  loose.plot(0, 0, 999);
  EXPECT_NE(pdfPageSize(dir / "loose.pdf").find("253 x 181 pts"), std::string::npos) << pdfPageSize(dir / "loose.pdf");
}

// quarlex plot-render: a PLT file drawn as PDF, SVG and PNG; a broken file
// gets one message and exit code 1.
TEST(PlotRender, CommandDrawsEachFormatAndRefusesABrokenFile) {
  qx::test::TempDir dir("qx_plot_render");
  CGPlot p;
  ASSERT_TRUE(p.open(true, 0, (dir / "a.plt").string()));
  writeSheet(p);
  const std::string quarlex = QX_QUARLEX;
  for (const char* out : {"a.pdf", "a.svg", "a.png"})
    EXPECT_EQ(
        std::system((quarlex + " plot-render " + (dir / "a.plt").string() + " --to " + (dir / out).string()).c_str()),
        0)
        << out;
  EXPECT_EQ(qx::test::readFile(dir / "a.svg").substr(0, 5), "<?xml");
  const std::string png = qx::test::readFile(dir / "a.png");
  ASSERT_GT(png.size(), 24u);
  // The header's width and height: 100 dots per inch.
  const auto be32 = [&](std::size_t at) {
    return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
           (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  EXPECT_EQ(be32(16), 1100);
  EXPECT_EQ(be32(20), 850);
  if (have("pdfinfo")) {
    EXPECT_NE(pdfPageSize(dir / "a.pdf").find("792 x 612 pts"), std::string::npos);
  }

  std::string plt = qx::test::readFile(dir / "a.plt");
  qx::test::writeText(dir / "cut.plt", plt.substr(0, 30));
  EXPECT_EQ(run(quarlex + " plot-render " + (dir / "cut.plt").string() + " --to " + (dir / "b.pdf").string() + " 2>&1"),
            "quarlex: Unable to read the plot " + (dir / "cut.plt").string() +
                ": truncated plot record at byte 20\n(exit status not 0)");
}
