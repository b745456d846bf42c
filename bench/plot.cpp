// Section plots of a large project: the PLAN section of 100,000 composites
// with their polygons, about a thousand figures and two envelopes, written
// once as PLT, once as DXF and once as PDF through generateMaps (the loop the
// job step generate_maps runs) with a map profile that plots composites,
// polygons, figures, envelopes, the frame and the legend.
//
// The composites lie on a square field at a mean spacing of 10 m (a fixed
// seed), far from the origin as survey grids are, each with a name and one
// grade; their polygons are generated (radius of influence 8 m, 50 sides,
// clipped by the envelopes); the figures are 100 m blocks over the field.
// Every composite gets its mark, its name and its grade; every polygon its
// outline, name and grade; every figure its outline, name and ore tonnage.
//
// The peer, measured in the same run: the same number of polyline vertices
// and texts (counted from the PLT file) written with plain fprintf as DXF
// VERTEX and TEXT entities into a file: the cost of the bytes alone.
//
// Usage: bench_plot [--composites N] [--out DIR] [--keep]
// Without --out the files go to a temporary folder that is removed at the
// end unless --keep is given.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "datasets/color_table.h"
#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "plot/map_output.h"
#include "plot/plt_reader.h"
#include "plot/section_plot.h"
#include "port/silent_port.h"
#include "project/quarlex_settings.h"
#include "sections/sections.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

constexpr double kX0 = 452000.0;
constexpr double kY0 = 7123000.0;
constexpr double kZ0 = 1200.0;
constexpr double kRadius = 8.0;
constexpr double kBlock = 100.0;
constexpr double kBudgetSeconds = 2.0;

struct Project {
  qx::QuarlexSettings settings;
  qx::CompositeSet composites;
  qx::CColorTable colours;
  qx::SectionSet sections;
  qx::EnvelopeSet envelopes;
  qx::FigureSet figures;
  qx::CPolygonSet polygons;
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  qx::PlotProject view() const { return {settings, composites, colours, sections, envelopes, figures, polygons}; }
};

qx::Contour wavyContour(double cx, double cy, double ax, double ay, int points, double phase, int wave,
                        double amplitude) {
  qx::Contour c;
  for (int k = 0; k < points; ++k) {
    const double t = 2.0 * std::numbers::pi * k / points;
    const double m = 1.0 + amplitude * std::sin(wave * t + phase);
    c.push_back({cx + ax * m * std::cos(t), cy + ay * m * std::sin(t), kZ0});
  }
  return c;
}

void makeProject(Project& p, int n) {
  std::mt19937_64 rng(20261205u);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::lognormal_distribution<double> grade(0.0, 1.0);
  const double side = 10.0 * std::sqrt(static_cast<double>(n));
  p.composites.composites.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    qx::CComposite c;
    char name[16];
    std::snprintf(name, sizeof name, "C%07d", i);
    c.name = name;
    c.position = {kX0 + side * u(rng), kY0 + side * u(rng), kZ0 + 8.0 * (u(rng) - 0.5)};
    c.values = {grade(rng)};
    p.composites.composites.push_back(std::move(c));
  }
  p.composites.setVariableCounts(1, 0);
  p.composites.useOutside = 1;
  p.composites.recomputeBoundingBox();
  p.xmin = p.composites.minCorner.x, p.ymin = p.composites.minCorner.y;
  p.xmax = p.composites.maxCorner.x, p.ymax = p.composites.maxCorner.y;
  const double w = p.xmax - p.xmin, h = p.ymax - p.ymin;

  qx::Envelope west, east;
  west.name = "WEST";
  west.contours.push_back(wavyContour(p.xmin + 0.34 * w, p.ymin + 0.5 * h, 0.36 * w, 0.46 * h, 200, 0.3, 5, 0.14));
  east.name = "EAST";
  east.contours.push_back(wavyContour(p.xmin + 0.66 * w, p.ymin + 0.48 * h, 0.36 * w, 0.45 * h, 260, 1.1, 4, 0.12));
  west.colour = 0x0000ff;
  east.colour = 0xff0000;
  for (auto* e : {&west, &east}) {
    e->contourCount = 1;
    e->clipPolygons = 1;
    e->useComposites = 1;
  }
  p.envelopes.envelopes = {west, east};
  p.envelopes.recomputeBoundingBox();

  p.settings.loaded.emplace_back("AU");
  p.settings.sidesPerPolygon = 50;
  p.settings.defaultPolygonSize = kRadius;
  p.settings.useFixedThickness = 1;
  p.settings.fixedThickness = 5.0;
  p.settings.defaultSG = 2.7;

  // Table 0: five grade bins on AU.
  const double lows[] = {0.0, 0.5, 1.0, 2.0, 4.0}, highs[] = {0.5, 1.0, 2.0, 4.0, 1e9};
  const std::int32_t colours[] = {0x808080, 0xff0000, 0x00ff00, 0x00ffff, 0x0000ff};
  for (int b = 0; b < 5; ++b) {
    qx::ColorBin& bin = p.colours.bin(0, b);
    bin.variableName = "AU";
    bin.low = lows[b];
    bin.high = highs[b];
    bin.colour = colours[b];
  }

  // Blocks of 100 m over the field.
  const int cols = static_cast<int>(std::ceil(w / kBlock)), rows = static_cast<int>(std::ceil(h / kBlock));
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const double x0 = p.xmin + c * kBlock, y0 = p.ymin + r * kBlock;
      qx::Figure f;
      char name[16];
      std::snprintf(name, sizeof name, "B%d", r * cols + c);
      f.name = name;
      f.outline = {{x0, y0, kZ0}, {x0 + kBlock, y0, kZ0}, {x0 + kBlock, y0 + kBlock, kZ0}, {x0, y0 + kBlock, kZ0}};
      f.pointCount = 4;
      f.oreTonnage = 1000.0 + 100000.0 * u(rng);
      f.colour = r * cols + c;
      p.figures.figures.push_back(std::move(f));
    }
  }

  qx::Section plan;
  plan.name = "PLAN";
  plan.azimuth = 0;
  plan.dip = -90;
  plan.target = {static_cast<float>((p.xmin + p.xmax) / 2), static_cast<float>((p.ymin + p.ymax) / 2),
                 static_cast<float>(kZ0)};
  p.sections.named = {plan};
}

qx::MapVariablesDef label(const char* name, int width, int decimals, int row) {
  qx::MapVariablesDef l;
  l.name = name;
  l.plot = 1;
  l.width = width;
  l.decimals = decimals;
  l.row = row;
  return l;
}

qx::MapProfileDef planProfile(const Project& p) {
  qx::MapProfileDef m;
  m.name = "MAP";
  m.mainTitle = "PLAN 1200";
  m.subTitles = {"Benchmark", "100 m blocks", "", ""};
  m.drawingNumber = "BENCH-1";
  m.plotComposites = m.plotPolygons = m.plotFigures = m.plotEnvelopes = m.plotLegend = 1;
  m.unitSystem = 1;
  m.mapScale = 2500.0;
  m.compositeTextSize = m.polygonTextSize = m.figureTextSize = 0.03;
  m.extentMode = 1;
  m.boxMin = {p.xmin - 20.0, p.ymin - 20.0, kZ0 - 10.0};
  m.boxMax = {p.xmax + 20.0, p.ymax + 20.0, kZ0 + 10.0};
  m.doNotLimitComposites = 1;
  m.doNotLimitPolygons = 1;
  m.envelopeFlags.resize(p.envelopes.envelopes.size(), qx::MapEnvelopeFlags{1, 1});
  m.compositeLabels = {label("Composite Name", 8, 0, 1), label("AU", 6, 2, 1)};
  m.polygonLabels = {label("Polygon Name", 9, 0, 1), label("AU", 6, 2, 2)};
  m.figureLabels = {label("Figure Name", 6, 0, 1), label("Ore Tonnage", 9, 0, 2)};
  return m;
}

struct Counts {
  long vertices = 0;  // plot records (moves and draws)
  long texts = 0;     // text, number and symbol records
};

Counts countRecords(const fs::path& plt) {
  std::ifstream in(plt, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto read = qx::readPlt(bytes);
  Counts c;
  if (!read.ok()) {
    std::fprintf(stderr, "the PLT file does not read back: %s\n", read.error.c_str());
    return c;
  }
  for (const auto& r : read.records) {
    if (r.opcode == qx::kPltPlot) ++c.vertices;
    if (r.opcode == qx::kPltText || r.opcode == qx::kPltNumber || r.opcode == qx::kPltSymbol) ++c.texts;
  }
  return c;
}

// The bytes alone: the vertices and texts as DXF entities with one fprintf
// each, the numbers varying so nothing is cached.
double writePeer(const fs::path& path, const Counts& c, long& bytes) {
  const auto t0 = Clock::now();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return -1;
  for (long i = 0; i < c.vertices; ++i) {
    const double x = kX0 + 0.37 * static_cast<double>(i % 9973), y = kY0 + 0.61 * static_cast<double>(i % 7919);
    std::fprintf(f,
                 "  0\r\nVERTEX\r\n  8\r\nPolygons\r\n 62\r\n%6ld\r\n 10\r\n%12.3lf\r\n 20\r\n%12.3lf\r\n 30\r\n"
                 "%12.3lf\r\n 70\r\n   32\r\n",
                 1 + i % 255, x, y, kZ0);
  }
  for (long i = 0; i < c.texts; ++i) {
    const double x = kX0 + 0.37 * static_cast<double>(i % 9973), y = kY0 + 0.61 * static_cast<double>(i % 7919);
    std::fprintf(f,
                 "  0\r\nTEXT\r\n  8\r\nComposites\r\n 62\r\n%6ld\r\n 10\r\n%12.3lf\r\n 20\r\n%12.3lf\r\n 30\r\n"
                 "%12.3lf\r\n 40\r\n%7.3f\r\n  1\r\nC%07ld\r\n 50\r\n%10.3lf\r\n",
                 1 + i % 255, x, y, kZ0, 1.905, i, 90.0);
  }
  std::fclose(f);
  const double s = seconds(t0, Clock::now());
  bytes = static_cast<long>(fs::file_size(path));
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  int n = 100000;
  fs::path out;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--composites" && i + 1 < argc) {
      n = std::atoi(argv[++i]);
    } else if (a == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (a == "--keep") {
      keep = true;
    } else {
      std::fprintf(stderr, "usage: %s [--composites N] [--out DIR] [--keep]\n", argv[0]);
      return 2;
    }
  }
  if (n < 100) {
    std::fprintf(stderr, "at least 100 composites\n");
    return 2;
  }
  const bool temporary = out.empty();
  if (temporary) {
    std::string pattern = (fs::temp_directory_path() / "bench_plot_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      return 1;
    }
    out = pattern;
  }
  fs::create_directories(out);

  Project project;
  auto t0 = Clock::now();
  makeProject(project, n);
  project.polygons.generate(project.composites, project.settings, project.envelopes);
  std::printf("project: %d composites, %d polygons, %d figures, %zu envelopes (built in %.2f s)\n", n,
              project.polygons.count(), project.figures.count(), project.envelopes.envelopes.size(),
              seconds(t0, Clock::now()));

  qx::MapOutputData data;
  data.profiles = {planProfile(project)};
  data.sectionNames = {"PLAN"};
  data.destinationDirectory = out.string();
  data.worldCoordinates = 1;

  struct Run {
    const char* label;
    int kind;
    const char* extension;
    double seconds = 0;
    long bytes = 0;
  };
  std::vector<Run> runs = {{"PLT", 0, ".plt"}, {"DXF", 1, ".dxf"}, {"PDF", 2, ".pdf"}};
  bool ok = true;
  for (Run& r : runs) {
    data.outputKind = r.kind;
    qx::SilentPort port;
    t0 = Clock::now();
    const int written = qx::generateMaps(data, project.view(), port,
                                         [](qx::SectionPlot& plot) { plot.timestamp = "01/02/2026  10:00"; });
    r.seconds = seconds(t0, Clock::now());
    const fs::path file = out / (std::string("PLAN") + r.extension);
    if (written != 1 || !fs::exists(file)) {
      std::fprintf(stderr, "%s: no file written\n", r.label);
      ok = false;
      continue;
    }
    r.bytes = static_cast<long>(fs::file_size(file));
  }

  const Counts counts = countRecords(out / "PLAN.plt");
  long peerBytes = 0;
  const double peer = writePeer(out / "peer.dxf", counts, peerBytes);

  std::printf("drawn: %ld plot records (moves and draws), %ld texts\n", counts.vertices, counts.texts);
  for (const Run& r : runs)
    std::printf("%-4s %8.3f s  %10.1f MB\n", r.label, r.seconds, static_cast<double>(r.bytes) / 1e6);
  std::printf("peer: fprintf of the same vertices and texts as DXF entities %8.3f s  %10.1f MB\n", peer,
              static_cast<double>(peerBytes) / 1e6);
  for (const Run& r : runs) std::printf("ratio %s / peer: %.2f\n", r.label, peer > 0 ? r.seconds / peer : 0.0);
  for (const Run& r : runs) {
    if (r.kind == 0) continue;
    const bool met = r.seconds <= kBudgetSeconds;
    std::printf("%s  %s of %d composites in at most %.0f s: %.3f s\n", met ? "PASS" : "MISS", r.label, n,
                kBudgetSeconds, r.seconds);
  }
  if (temporary && !keep)
    fs::remove_all(out);
  else
    std::printf("files kept in %s\n", out.c_str());
  return ok ? 0 : 1;
}
