// Section plots: file names from section names, the loop over the chosen
// sections, and what a plan plot of a small project draws.
#include <gtest/gtest.h>

#include <algorithm>

#include "datasets/color_table.h"
#include "datasets/composites.h"
#include "datasets/envelopes.h"
#include "engine/figures.h"
#include "engine/polygons.h"
#include "plot/plt_reader.h"
#include "plot/section_plot.h"
#include "project/quarlex_settings.h"
#include "scripted_port.h"
#include "sections/sections.h"
#include "test_files.h"

using namespace qx;
using qx::test::ScriptedPort;

namespace {

struct SmallProject {
  QuarlexSettings settings;
  CompositeSet composites;
  CColorTable colours;
  SectionSet sections;
  EnvelopeSet envelopes;
  FigureSet figures;
  CPolygonSet polygons;
  PlotProject view() const { return {settings, composites, colours, sections, envelopes, figures, polygons}; }

  SmallProject() {
    // In the window and the slab, outside the window, below the slab, in.
    for (DPoint3D p : {DPoint3D{50, 50, 0}, DPoint3D{150, 50, 0}, DPoint3D{20, 30, 20}, DPoint3D{20, 30, 0}}) {
      CComposite c;
      c.name = "C" + std::to_string(composites.composites.size());
      c.position = p;
      composites.composites.push_back(c);
    }
    Envelope e;
    e.name = "E";
    e.contours = {{{50, 50, 0}, {150, 50, 0}, {150, 150, 0}, {50, 150, 0}}};
    envelopes.envelopes.push_back(e);
    e.contours = {{{150, 0, 0}, {200, 50, 0}, {150, 60, 0}}};  // beside the window: nothing drawn
    envelopes.envelopes.push_back(e);
    Section plan;
    plan.name = "PLAN";
    plan.azimuth = 0;
    plan.dip = -90;
    Section oblique = plan;
    oblique.name = "OBLIQUE";
    oblique.azimuth = 45;
    sections.named = {plan, oblique};
  }
};

MapProfileDef planProfile() {
  MapProfileDef p;
  p.plotFrame = 0;
  p.plotEnvelopes = 1;
  p.doNotLimitComposites = 1;
  p.extentMode = 1;
  p.boxMin = {0, 0, -5};
  p.boxMax = {100, 100, 5};
  MapVariablesDef name;
  name.name = "Composite Name";
  name.plot = 1;
  p.compositeLabels = {name};
  return p;
}

int countOf(const std::vector<PlotRecord>& records, std::uint16_t opcode) {
  return static_cast<int>(std::count_if(records.begin(), records.end(), [&](auto& r) { return r.opcode == opcode; }));
}

}  // namespace

TEST(SectionPlotFiles, NamesFromSections) {
  EXPECT_EQ(plotFileName("C:\\maps", "S1.5", PlotOutput::Marneth), "C:\\maps\\S1_5.plt");
  EXPECT_EQ(plotFileName("C:\\maps\\", "S1.5", PlotOutput::Dxf), "C:\\maps\\S1_5.dxf");
  EXPECT_EQ(plotFileName("C:\\\\maps\\\\\\", "a..b", PlotOutput::Marneth), "C:\\maps\\a__b.plt");
  const std::filesystem::path dir = "/out/maps";
  EXPECT_EQ(safePlotPath(dir, "S1.5", PlotOutput::Marneth), dir / "S1_5.plt");
  for (const char* name : {"../x", "a/b", "/etc/passwd", "C:\\x", "..\\..\\y", "a\nb"}) {
    const auto path = safePlotPath(dir, name, PlotOutput::Pdf);
    EXPECT_EQ(path.parent_path(), dir) << name;
    EXPECT_EQ(path.extension(), ".pdf") << name;
  }
  for (const char* name : {"", ".", "..", "...", "/", "\\\\"})
    EXPECT_TRUE(safePlotPath(dir, name, PlotOutput::Dxf).empty()) << name;
}

TEST(SectionPlot, PlanOfASmallProject) {
  SmallProject project;
  SectionPlot plot(project.view(), planProfile(), PlotOutput::Marneth, true);
  MemorySink sink;
  plot.plot(sink, "plan.plt", project.sections.named[0]);
  EXPECT_EQ(std::pair(plot.sheetFactor, plot.width), std::pair(0.012, 1.2));
  EXPECT_EQ(plot.slabNear, -10.0) << "a two-dimensional project";
  const auto read = readPlt(sink.bytes());
  ASSERT_TRUE(read.ok()) << read.error;
  // Two composites in the window and slab: a mark and a name each.
  std::vector<std::string> texts;
  for (const auto& r : read.records)
    if (r.opcode == kPltText) texts.push_back(r.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"+", "C0", "+", "C3"}));
  // The origin's move, the envelope clipped to two edges (move and draw
  // each), the end.
  std::vector<std::array<float, 3>> moves;
  for (const auto& r : read.records)
    if (r.opcode == kPltPlot) moves.push_back({r.x, r.y, static_cast<float>(r.a)});
  ASSERT_EQ(moves.size(), 6u);
  moves.pop_back();
  EXPECT_EQ(moves,
            (std::vector<std::array<float, 3>>{
                {1.5f, 2.5f, -3.0f}, {0.6f, 0.6f, 3.0f}, {1.2f, 0.6f, 2.0f}, {0.6f, 1.2f, 3.0f}, {0.6f, 0.6f, 2.0f}}));
  EXPECT_EQ(read.records[1].opcode, kPltPen);
  EXPECT_EQ(read.records[2].opcode, kPltSheet);
  EXPECT_EQ(std::pair(read.records[2].x, read.records[2].y), std::pair(4.2f, 4.7f));

  // Limited by envelope: composite 0 lies in envelope 0, whose switch is off.
  MapProfileDef limited = planProfile();
  limited.doNotLimitComposites = 0;
  limited.envelopeFlags = {{0, 1}};
  project.composites.composites[0].envelopeIndex = 0;
  project.composites.composites[3].envelopeIndex = -1;
  SectionPlot again(project.view(), limited, PlotOutput::Marneth, true);
  MemorySink second;
  again.plot(second, "plan.plt", project.sections.named[0]);
  EXPECT_EQ(countOf(readPlt(second.bytes()).records, kPltText), 2) << "only composite 0";
}

TEST(SectionPlot, FrameAndTitleBlockAndScaleZero) {
  SmallProject project;
  MapProfileDef p = planProfile();
  p.plotFrame = 1;
  p.plotLegend = 1;
  p.plotFigures = 1;
  p.mapScale = 0;
  p.mainTitle = "Main";
  p.drawingNumber = "7";
  MapVariablesDef sg;
  sg.name = "Specific Gravity";
  sg.plot = 1;
  p.figureLabels = {sg};
  SectionPlot plot(project.view(), p, PlotOutput::Dxf, false);
  plot.timestamp = "01/02/2026  03:04";
  MemorySink sink;
  plot.plot(sink, "out.dxf", project.sections.named[0]);
  EXPECT_EQ(plot.mapScale, 1.0);
  const std::string& dxf = sink.bytes();
  for (const char* text : {"DWG 7   Main", "DRAWN BY", "REVISED BY", "SCALE ", "1:", "01/02/2026  03:04", "FIGURES",
                           "S.G.", "out.dxf", "Frame", "Composites", "Envelopes"})
    EXPECT_NE(dxf.find(std::string("\r\n") + text + "\r\n"), std::string::npos) << text;
  EXPECT_LT(dxf.find("\r\nFrame\r\n"), dxf.find("\r\nComposites\r\n"));
  EXPECT_EQ(dxf.substr(dxf.size() - 5), "EOF\r\n");
}

TEST(SectionPlot, GenerateKeepsEveryFileInTheFolder) {
  SmallProject project;
  for (const char* name : {"S1.5", "../x", "a/b", "...", "/abs"}) {
    Section s = project.sections.named[0];
    s.name = name;
    project.sections.named.push_back(s);
  }
  qx::test::TempDir dir;
  MapOutputData data;
  data.profiles = {planProfile()};
  data.destinationDirectory = dir.path().string();
  data.sectionNames = {"S1.5", "gone", "../x", "...", "a/b", "/abs"};
  ScriptedPort port;
  EXPECT_EQ(generateMaps(data, project.view(), port), 4);
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
    files.push_back(e.path().lexically_relative(dir.path()).string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"S1_5.plt", "___x.plt", "_abs.plt", "a_b.plt"}));
  EXPECT_EQ(port.messages(), std::vector<std::string>{"The supplied plot file name is not valid"});
  const auto& log = port.log();
  const std::string first = "progress text: Generating Section S1.5 into " + (dir.path() / "S1_5.plt").string();
  EXPECT_NE(std::find(log.begin(), log.end(), first), log.end());

  // A folder that does not exist: each section says so and the loop goes on.
  data.destinationDirectory = (dir.path() / "missing").string();
  ScriptedPort again;
  EXPECT_EQ(generateMaps(data, project.view(), again), 0);
  EXPECT_EQ(again.messages().size(), 5u);
}

TEST(SectionPlot, DialogListsRightAngledSectionsAndStoresTheChoices) {
  SmallProject project;
  MapOutputData data;
  data.sectionNames = {"OBLIQUE", "PLAN"};
  data.profiles = {MapProfileDef(), MapProfileDef()};
  CDialogPlotMaps dialog(data, project.sections);
  EXPECT_EQ(dialog.sections, std::vector<std::string>{"PLAN"});
  EXPECT_EQ(dialog.selected, std::vector<int>{0});
  EXPECT_EQ(std::string(CDialogPlotMaps::kKinds[2]), "Generate maps as PDF Files");
  ScriptedPort port;
  port.answerFolder("/maps");
  ASSERT_TRUE(dialog.browse(port));
  dialog.outputKind = 2;
  dialog.profile = 1;
  dialog.worldCoordinates = false;
  ASSERT_TRUE(dialog.onOk(port));
  EXPECT_EQ(data.sectionNames, std::vector<std::string>{"PLAN"});
  EXPECT_EQ(std::tuple(data.destinationDirectory, data.outputKind, data.profileIndex, data.worldCoordinates),
            std::tuple("/maps", 2, 1, 0));
  EXPECT_EQ(plotOutputOf(2), PlotOutput::Pdf);
}

TEST(SectionPlot, GraduationsAlongTheEdgesWhereTheirCoordinateChanges) {
  SmallProject project;
  MapProfileDef p = planProfile();
  p.plotFrame = 1;
  p.compositeLabels.clear();
  p.plotComposites = p.plotEnvelopes = 0;
  p.boxMin = {-50, -50, -5};
  p.boxMax = {50, 50, 5};                    // 0.012 inch per foot: the drawing 1.2 inches square
  p.graduations[0] = {25, 10, "E", "W", 0};  // East, horizontal edges
  p.graduations[1] = {40, 0, "N", "", 2};    // North, both: only the vertical edges
  p.graduations[2] = {1, 0, "", "", 2};      // Elevation: no edge of a plan
  SectionPlot plot(project.view(), p, PlotOutput::Marneth, true);
  MemorySink sink;
  plot.plot(sink, "g.plt", project.sections.named[0]);
  std::vector<float> bottom, left;
  std::vector<std::string> labels;
  for (const auto& r : readPlt(sink.bytes()).records) {
    if (r.opcode == kPltPlot && r.a == kPenDown && r.y == -0.1f) bottom.push_back(r.x);
    if (r.opcode == kPltPlot && r.a == kPenDown && r.x == -0.1f) left.push_back(r.y);
    if (r.opcode == kPltText && r.y < 0.0f && r.y > -0.5f) labels.push_back(r.text);
    if (r.opcode == kPltText && r.x < 0.0f && r.x > -0.5f) labels.push_back(r.text);
  }
  EXPECT_EQ(bottom, (std::vector<float>{0.12f, 0.42f, 0.72f, 1.02f}));
  EXPECT_EQ(left, (std::vector<float>{0.12f, 0.6f, 1.08f}));
  EXPECT_EQ(labels, (std::vector<std::string>{"40W", "15W", "10E", "35E", "-40", "0N", "40N"}));
}

TEST(SectionPlot, ABinHiddenInTheViewHidesItsComposites) {
  SmallProject project;
  std::array<std::array<std::int32_t, 26>, 26> shown{};
  for (auto& row : shown) row.fill(1);
  PlotProject view = project.view();
  view.binVisibility = &shown;
  shown[1][CColorTable::kUnbinned] = 0;  // another table than the composites'
  const auto texts = [&] {
    SectionPlot plot(view, planProfile(), PlotOutput::Marneth, true);
    MemorySink sink;
    plot.plot(sink, "plan.plt", project.sections.named[0]);
    return countOf(readPlt(sink.bytes()).records, kPltText);
  };
  EXPECT_EQ(texts(), 4);
  shown[0][CColorTable::kUnbinned] = 0;  // the composites are in no bin of table 0
  EXPECT_EQ(texts(), 0);
}
