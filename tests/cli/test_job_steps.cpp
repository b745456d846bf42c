// The steps of a job: reading and checking them, and running every step as
// the desktop's command would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>

#include "cli/info.h"
#include "cli/job.h"
#include "job_files.h"
#include "test_files.h"

using namespace qx;
using namespace qx::cli;
using nlohmann::json;

namespace {

using test::compositeFile;
using test::outline;
using test::readFile;
using test::writeText;

// A new project with Au and Au2 = 2 Au, 2 m thick, and the steps.
json job(const std::string& steps) {
  return json::parse(R"({"project": {"new": {"variables": [{"name": "Au"}], "model": {"fixed_thickness": 2},
                        "calculated": [{"name": "Au2", "formula": "Au ENTER 2 *"}]}}, "steps": )" +
                     steps + "}");
}

test::Outcome run(const json& j, const std::filesystem::path& dir) { return test::runJob(dir, j.dump()); }

std::string errorOf(const json& j, const std::filesystem::path& dir) {
  try {
    parseJob(j, dir);
  } catch (const JobError& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace

TEST(JobSteps, BadStepsAndFormulasNameTheKeyAndTheProblemAndAppendingIsAnswered) {
  const test::TempDir temp("qx_steps_bad");
  const auto& dir = temp.path();
  writeText(dir / "c.dat", compositeFile());
  const std::pair<const char*, std::string> cases[] = {
      {R"({"generate": {}})", "steps: expected a list of steps"},
      {R"([{"generate": {}, "save": 1}])",
       "steps[0]: expected an object with one key naming the step, such as {\"generate\": {}}"},
      {R"([{"import_composites": {"file": "nope.dat"}}])",
       "steps[0].import_composites.file: no file " + (dir / "nope.dat").string()},
      {R"([{"import_composites": {"file": "c.dat", "columns": {"Au": [46]}}}])",
       "steps[0].import_composites.columns.Au: expected [first column, width]"},
      {R"([{"import_composites": {"file": "c.dat", "colour": "red"}}])",
       "steps[0].import_composites.colour: unknown key"},
      {R"([{"colour_table": {"table": 11}}])", "steps[0].colour_table.table: expected a whole number from 1 to 10"},
      {R"([{"colour_table": {"table": 1, "bins": [{"variable": "Au", "low": 0, "high": 1, "colour": "#12345"}]}}])",
       "steps[0].colour_table.bins[0].colour: expected a colour \"#rrggbb\", found \"#12345\""},
      {R"([{"calculation": {"sides": 2}}])", "steps[0].calculation.sides: expected a whole number from 3 to 100"},
      {R"([{"declustering": {"csv": "d.csv", "bins": 2.5}}])",
       "steps[0].declustering.bins: expected a whole number from 1 to 1000"},
      {R"([{"import_surface": {"file": "c.dat"}}])", "steps[0].import_surface.name: missing"},
      {R"([{"export_composites": {"file": "no/such/dir/x.cmp"}}])",
       "steps[0].export_composites.file: no folder " + (dir / "no/such/dir").string()},
      {R"([{"export_gis": {"file": "x.gpkg", "datasets": ["polygons", "blocks"]}}])",
       "steps[0].export_gis.datasets: expected a list of \"composites\", \"envelopes\", \"figures\", \"polygons\""},
      {R"([{"export_gis": {"file": "x.gpkg", "epsg": 4326.5}}])",
       "steps[0].export_gis.epsg: expected a whole number above 0"},
  };
  for (const auto& [steps, error] : cases) EXPECT_EQ(errorOf(job(steps), dir), error) << steps;
  EXPECT_EQ(errorOf(job(R"([{"bake": {}}])"), dir).substr(0, 32), "steps[0].bake: unknown step \"bak");

  // A column the page does not show stops the job before it saves.
  json j = job(R"([{"import_composites": {"file": "c.dat", "columns": {"Ag": [46, 10]}}}])");
  j["save"] = "p.qrx";
  const auto [badRc, badOut, badErr] = run(j, dir);
  EXPECT_EQ(badRc, 1);
  EXPECT_EQ(badErr,
            "quarlex: steps[0] (import_composites): columns: no field \"Ag\" on the column page (fields: \"Name\", "
            "\"X Coordinate\", \"Y Coordinate\", \"Au\")\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "p.qrx"));

  // The same file twice: every composite is co-located with its twin.
  j = job(R"([{"import_composites": {"file": "c.dat", "columns": {"Au": [46, 10]}}},
              {"import_composites": {"file": "c.dat", "columns": {"Au": [46, 10]}, "append": false}}])");
  const auto [noRc, noOut, noErr] = run(j, dir);
  EXPECT_EQ(noRc, 1);
  EXPECT_NE(noErr.find("[answered no]"), std::string::npos) << noErr;
  EXPECT_NE(noErr.find("steps[1] (import_composites): no composites were read"), std::string::npos) << noErr;
  j["steps"][1]["import_composites"]["append"] = true;
  EXPECT_NE(run(j, dir).out.find("Composites: 20 after reading"), std::string::npos);

  // Calculated variables are read as the formula box shows them.
  j = json::parse(R"({"project": {"new": {"variables": [{"name": "Au"}, {"name": "Ag"}],
      "calculated": [{"name": "AuEq", "formula": "Au ENTER Ag ENTER 60 / +", "weighting": "volume"}]}}})");
  const VariableInfoCalc v = parseJob(j, dir).newProject->values.calculated.at(0);
  EXPECT_EQ(std::tuple(v.formulaCode, v.formulaText, v.compiled.status, v.weightingType),
            std::tuple("a#b#60/+", "Au  ENTER  Ag  ENTER  60  /  +  ", 0, kWeightVolume));

  const std::pair<const char*, const char*> bad[] = {
      {"Au ENTER Cu +", "\"Cu\" is no operator, number or variable defined before"},
      {"Au Ag +", "\"Au Ag +\" does not compile (reverse Polish: \"Au ENTER Ag +\")"},
      {"2 3 +", "\"3\" follows a number: two operands need ENTER between them"},
  };
  for (const auto& [formula, error] : bad) {
    j["project"]["new"]["calculated"][0]["formula"] = formula;
    EXPECT_EQ(errorOf(j, dir), std::string("project.new.calculated[0].formula: ") + error) << formula;
  }
  j["project"]["new"]["calculated"][0]["formula"] = "Au ENTER 1 +";
  j["project"]["new"]["calculated"][0]["name"] = "Ag";
  EXPECT_EQ(errorOf(j, dir),
            "project.new.calculated[0].name: The name entered is already in use.  Please use a unique name.");
}

TEST(JobSteps, EveryStepRunsAsTheDesktopsCommandWould) {
  const test::TempDir temp("qx_steps_run");
  const auto& dir = temp.path();
  writeText(dir / "c.dat", compositeFile());
  // One envelope "ORE" over the first three columns of the grid; two 20 x 20
  // blocks: "B1" over the cells of the first two columns and rows, "B2" above it.
  writeText(dir / "e.dig", outline("ORE", 995, 1995, 1025, 2035));
  writeText(dir / "b.dig", outline("B1", 995, 1995, 1015, 2015) + outline("B2", 995, 2015, 1015, 2035));
  json j = job(R"([
    {"import_composites": {"file": "c.dat", "columns": {"Au": [46, 10]}}},
    {"import_envelopes": {"file": "e.dig", "columns": {"Envelope Name": [3, 10], "X Coordinate": [11, 10],
                          "Y Coordinate": [21, 10]},
                          "envelopes": [{"file_name": "ORE", "name": "Ore zone", "colour": "#ff8000", "density": 2.7}]}},
    {"colour_table": {"table": 2, "name": "Gold", "expand": {"variable": "Au", "low": 0, "high": 10}}},
    {"calculation": {"sides": 4, "radius": 5, "envelopes": [{"name": "Ore zone", "clip": true}],
                     "outside_composites": false}},
    {"generate": {}},
    {"export_composites": {"file": "out.cmp", "envelopes": ["Ore zone"], "outside": false,
                           "columns": {"Name": [1, 8, 0], "X Coordinate": [9, 10, 1], "Y Coordinate": [19, 10, 1],
                                       "Au": [29, 8, 2]}}},
    {"import_figures": {"file": "b.dig", "columns": {"Name": [3, 8], "X Coordinate": [11, 10],
                                                       "Y Coordinate": [21, 10]}}},
    {"recalculate_figures": {}},
    {"report_polygons": {"file": "polygons.txt"}},
    {"report_figures": {"file": "figures.txt"}},
    {"export_polygons": {"file": "polygons.dig"}},
    {"export_figures": {"file": "b1.dig", "figure": "B1",
                        "columns": {"Name": [3, 8, 0], "X Coordinate": [11, 10, 2], "Y Coordinate": [21, 10, 2]}}}
  ])");
  j["save"] = "p.qrx";
  const auto [rc, o, err] = run(j, dir);
  ASSERT_EQ(rc, 0) << err;
  // The twelve composites in the envelope (three columns of four rows)
  // take part; each polygon is its 10 x 10 cell.
  EXPECT_NE(o.find("Polygons: 12, area 1200.00, volume 2400.00, tonnage 4800.00"), std::string::npos) << o;
  // Each block covers four whole 10 x 10 cells: 400 m2 x 2 m x SG 2.
  EXPECT_NE(o.find("Figures recalculated: 2, ore tonnage 3200.00, waste tonnage 0.00"), std::string::npos) << o;

  const std::string exported = readFile(dir / "out.cmp");
  // Twelve lines, none outside the envelope.
  EXPECT_EQ(std::count(exported.begin(), exported.end(), '\n'), 12);
  EXPECT_NE(exported.find("\nDH2         1020.0    2000.0    1.50\n"), std::string::npos) << exported;
  EXPECT_EQ(exported.find("1030.0"), std::string::npos) << "outside the envelope";
  EXPECT_NE(readFile(dir / "polygons.txt").find("\nDH15   "), std::string::npos);
  EXPECT_NE(readFile(dir / "figures.txt").find("B2"), std::string::npos);
  EXPECT_EQ(readFile(dir / "b1.dig"),
            "1 B1      \n2             995.00   1995.00\n2            1015.00   1995.00\n"
            "2            1015.00   2015.00\n2             995.00   2015.00\n");

  // The saved project holds what the steps made.
  std::ostringstream info, infoErr;
  ASSERT_EQ(runInfo(dir / "p.qrx", true, info, infoErr), 0) << infoErr.str();
  const json saved = json::parse(info.str());
  EXPECT_EQ(saved["envelopes"][0]["density"], 2.7);
  ASSERT_EQ(saved["figures"][0]["name"], "B1");
  EXPECT_NEAR(saved["figures"][0]["ore_tonnage"].get<double>(), 1600.0, 1e-2);
  // The tonnage-weighted Au of B1's cells (composites 0, 1, 5, 6: 0.5, 1.0,
  // 3.0, 3.5) and the calculated Au2 twice that.
  EXPECT_NEAR(saved["figures"][0]["grades"]["Au"].get<double>(), 2.0, 1e-6);
  EXPECT_NEAR(saved["figures"][0]["grades"]["Au2"].get<double>(), 4.0, 2e-6);
}

TEST(JobSteps, ColoursAreReadAsHashRgb) {
  EXPECT_EQ(parseColour("#00FF80"), makeRgb(0, 255, 128));
  EXPECT_FALSE(parseColour("ff0000") || parseColour("#ff00000") || parseColour("#ff00zz"));
}

TEST(JobSteps, MapProfilesAndSectionMaps) {
  const test::TempDir temp("qx_steps_maps");
  const auto& dir = temp.path();
  writeText(dir / "c.dat", compositeFile());
  std::filesystem::create_directory(dir / "maps");
  json j = job(R"([
    {"import_composites": {"file": "c.dat", "columns": {"Au": [46, 10]}}},
    {"map_profile": {"name": "Plans", "scale": 500, "units": "metric", "frame_style": 1, "title": "Level 100",
                     "box_min": [990, 1990, 90], "box_max": [1050, 2040, 110], "composite_labels": ["Au"]}},
    {"map_profile": {"name": "Copy", "copy_of": "Plans", "legend": true}},
    {"map_profile": {"name": "Copy", "rename_to": "Sides"}},
    {"generate_maps": {"sections": ["PLAN", "SIDE-090"], "profile": "Sides", "folder": "maps", "kind": "pdf"}},
    {"generate_maps": {"sections": ["PLAN"], "profile": "Plans", "folder": "maps", "world_coordinates": false}}
  ])");
  const auto [rc, out, err] = run(j, dir);
  ASSERT_EQ(rc, 0) << err;
  EXPECT_NE(out.find("Map profiles: 2\n"), std::string::npos) << out;
  for (const char* f : {"PLAN.pdf", "SIDE-090.pdf", "PLAN.plt"})
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "maps" / f)) << f;
  EXPECT_EQ(readFile(dir / "maps" / "PLAN.pdf").substr(0, 5), "%PDF-");

  // Refusals: a page's limit, an oblique section, an unknown profile.
  const std::pair<const char*, const char*> bad[] = {
      {R"({"map_profile": {"name": "P", "scale": 0.001}})",
       "(map_profile): Map Presentation: Please enter a value between 0.01 and 1e+20."},
      {R"({"generate_maps": {"sections": ["ORTHO-045"], "profile": "P", "folder": "maps"}})",
       "(generate_maps): no section \"ORTHO-045\" can be plotted"},
      {R"({"generate_maps": {"sections": ["PLAN"], "profile": "nope", "folder": "maps"}})",
       "(generate_maps): no map profile is named \"nope\""},
  };
  for (const auto& [step, message] : bad) {
    const auto [badRc, badOut, badErr] = run(job("[" + std::string(step) + "]"), dir);
    EXPECT_EQ(badRc, 1);
    EXPECT_NE(badErr.find(message), std::string::npos) << badErr;
  }
}

TEST(JobSteps, DigitizedFiguresAndEnvelopesComeThroughTheEditingTools) {
  const test::TempDir temp("qx_steps_edit");
  const auto& dir = temp.path();
  writeText(dir / "c.dat", compositeFile());
  writeText(dir / "b.dig", outline("B1", 995, 1995, 1015, 2015));
  json j = job(R"([
    {"import_composites": {"file": "c.dat", "columns": {"Au": [46, 10]}}},
    {"generate": {}},
    {"import_figures": {"file": "b.dig", "columns": {"Name": [3, 8], "X Coordinate": [11, 10],
                                                       "Y Coordinate": [21, 10]}}},
    {"recalculate_figures": {}},
    {"create_figure": {"name": "C", "points": [[995, 1995], [1015, 1995], [1015, 2015], [995, 2015]]}},
    {"create_envelope": {"name": "ORE", "density": 2.7, "points": [[0, 0], [1, 0], [1, 1]]}},
    {"create_envelope": {"name": "ORE", "merge": true, "points": [[5, 5], [6, 5], [6, 6]]}}
  ])");
  j["save"] = "p.qrx";
  const auto [rc, o, err] = run(j, dir);
  ASSERT_EQ(rc, 0) << err;
  EXPECT_NE(o.find("Envelope ORE: 2 contours\n"), std::string::npos) << o;
  std::ostringstream info, infoErr;
  ASSERT_EQ(runInfo(dir / "p.qrx", true, info, infoErr), 0) << infoErr.str();
  const json figures = json::parse(info.str())["figures"];
  ASSERT_EQ(figures.size(), 2u);
  // The drawn block weighs what the same outline read from a file does.
  EXPECT_EQ(figures[1]["ore_tonnage"], figures[0]["ore_tonnage"]);
  EXPECT_NE(o.find("Figure C: area 400.00, ore tonnage "), std::string::npos) << o;
  j["steps"][5]["create_envelope"]["points"] = json::parse("[[0, 0], [1, 0]]");
  EXPECT_EQ(errorOf(j, dir),
            "steps[5].create_envelope.points: expected a list of at least 3 points [x, y] or [x, y, z]");
}
