// Faults in the data a user can meet: a reopened project, names in the
// Windows code page, absurd numbers, and what a save does to the old file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>

#include "app/atomic_file.h"
#include "app/document.h"
#include "app/project_file.h"
#include "cli/check.h"
#include "cli/info.h"
#include "cli/job.h"
#include "io/text_encoding.h"
#include "job_files.h"
#include "port/silent_port.h"
#include "scripted_port.h"
#include "test_files.h"
#include "variables/formula_compiler.h"
#include "variables/formula_evaluator.h"

using namespace qx;
using namespace qx::cli;
using nlohmann::json;
using qx::test::readFile;
using qx::test::TempDir;
using qx::test::writeText;

namespace {

using test::compositeFile;

// The envelope or figure `name` over the 20 x 20 m square from (left, 1995);
// `x0`, when given, stands as the text of its first point's X.
std::string outlineFile(const char* name, const std::string& x0, double left = 995.0) {
  std::string text = test::outline(name, left, 1995.0, left + 20, 2015.0);
  if (!x0.empty()) text.replace(text.find('\n') + 11, 10, std::string(10 - x0.size(), ' ') + x0);
  return text;
}

const char* const kOutlineColumns = R"({"Envelope Name": [3, 10], "X Coordinate": [11, 10], "Y Coordinate": [21, 10]})";
const char* const kFigureColumns = R"({"Name": [3, 8], "X Coordinate": [11, 10], "Y Coordinate": [21, 10]})";

json newProject() {
  return json::parse(R"({"new": {"variables": [{"name": "Au"}],
      "calculated": [{"name": "Au2", "formula": "Au ENTER 2 *"}], "model": {"fixed_thickness": 2}}})");
}

using test::Outcome;

Outcome runJob(const TempDir& dir, const json& job) { return test::runJob(dir.path(), job.dump()); }

Outcome runInfoOn(const std::filesystem::path& file, bool asJson) {
  std::ostringstream out, err;
  const int code = runInfo(file, asJson, out, err);
  return {code, out.str(), err.str()};
}

// A new project whose steps read c.dat's composites and then `more`.
json compositesThen(const json& more) {
  json job;
  job["project"] = newProject();
  job["steps"] = json::array({{{"import_composites", {{"file", "c.dat"}, {"columns", {{"Au", {46, 10}}}}}}}});
  for (const auto& step : more) job["steps"].push_back(step);
  return job;
}

const json kExportColumns = json::parse(
    R"({"Name": [1, 8, 0], "X Coordinate": [9, 10, 1], "Y Coordinate": [19, 10, 1], "Au": [29, 8, 2],
        "Au2": [37, 8, 3]})");

// Composites, an envelope, polygons and two figures saved as p.qrx; the composites exported to before.cmp.
void makeProject(const TempDir& dir) {
  writeText(dir / "c.dat", compositeFile());
  writeText(dir / "e.dig", outlineFile("ORE", ""));
  writeText(dir / "b.dig", outlineFile("B1", "") + outlineFile("B2", "", 1015.0));
  json job = compositesThen({{{"import_envelopes", {{"file", "e.dig"}, {"columns", json::parse(kOutlineColumns)}}}},
                             {{"calculation", {{"sides", 4}, {"radius", 5}}}},
                             {{"generate", json::object()}},
                             {{"import_figures", {{"file", "b.dig"}, {"columns", json::parse(kFigureColumns)}}}},
                             {{"recalculate_figures", json::object()}},
                             {{"export_composites", {{"file", "before.cmp"}, {"columns", kExportColumns}}}}});
  job["save"] = "p.qrx";
  const Outcome r = runJob(dir, job);
  ASSERT_EQ(r.code, 0) << r.err;
}

ProjectObjects loadFile(const std::filesystem::path& file) {
  SilentPort port;
  ProjectObjects o;
  const std::string bytes = readFile(file);
  loadProject(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), o, port);
  return o;
}

void storeFile(ProjectObjects& o, const std::filesystem::path& file) {
  SilentPort port;
  const auto bytes = storeProject(o, port);
  ASSERT_EQ(writeFileAtomically(file, bytes), "");
}

}  // namespace

TEST(DataFaults, NamesInTheWindowsCodePageShowAsTheirCharacters) {
  // Valid UTF-8 stays; anything else is Windows-1252, its holes as C1 controls.
  const std::pair<std::string, std::string> cases[] = {
      {"Au", "Au"},
      {"Ley \xC3\xA9", "Ley \xC3\xA9"},
      {"Ley \xE9", "Ley \xC3\xA9"},
      {"\x80 \xB0 \xF1", "\xE2\x82\xAC \xC2\xB0 \xC3\xB1"},
      {"\x81\x9D", "\xC2\x81\xC2\x9D"},
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                                  // overlong form: not UTF-8
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},                  // a surrogate: not UTF-8
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},  // above U+10FFFF
      {"\xE2\x82", "\xC3\xA2\xE2\x80\x9A"},                              // cut short
  };
  for (const auto& [bytes, shown] : cases) EXPECT_EQ(displayText(bytes), shown) << bytes;
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));
}

TEST(DataFaults, AbsurdNumbersInDataFilesAreRefusedWithTheirLine) {
  TempDir dir("qx_faults_numbers");
  // Three bad lines among twenty good ones: the rest is estimated as without them.
  writeText(dir / "clean.dat", compositeFile());
  writeText(dir / "bad.dat", compositeFile("X1                 1e19   2000.00    100.00     1.000\n"
                                           "X2             1005.00   -2.5e08    100.00     1.000\n"
                                           "X3             1005.00   2005.00    100.00      1e16\n"));
  auto estimate = [&](const std::string& file) {
    json job = compositesThen({{{"calculation", {{"sides", 4}, {"radius", 5}}}}, {{"generate", json::object()}}});
    job["steps"][0]["import_composites"]["file"] = file;
    return runJob(dir, job);
  };
  const Outcome clean = estimate("clean.dat");
  const Outcome bad = estimate("bad.dat");
  ASSERT_EQ(clean.code, 0) << clean.err;
  ASSERT_EQ(bad.code, 0) << bad.err;
  EXPECT_NE(bad.err.find("3 lines of " + (dir / "bad.dat").string() +
                         " gave no composite: a coordinate beyond 1e+08, a value beyond 1e+15 or a number that is not "
                         "finite. The first is line 2: X = 1e+19."),
            std::string::npos)
      << bad.err;
  EXPECT_EQ(bad.out.substr(bad.out.find("Polygons:")), clean.out.substr(clean.out.find("Polygons:")));
  EXPECT_NE(clean.out.find("Polygons: 20, area 2000.00"), std::string::npos) << clean.out;

  // Outlines: one absurd vertex and nothing of the file is taken.
  writeText(dir / "c.dat", compositeFile());
  writeText(dir / "huge.dig", outlineFile("ORE", "1e308") + outlineFile("B2", "", 1015.0));
  writeText(dir / "far.dig", outlineFile("ORE", "", 1015.0) + outlineFile("B1", "-1e200"));
  const struct {
    const char* step;
    const char* file;
    const char* columns;
    std::string message;
  } outlines[] = {
      {"import_envelopes", "huge.dig", kOutlineColumns, "line 2 holds X = 1e+308"},
      {"import_figures", "far.dig", kFigureColumns, "line 7 holds X = -1e+200"},
  };
  for (const auto& c : outlines) {
    const Outcome r =
        runJob(dir, compositesThen({{{c.step, {{"file", c.file}, {"columns", json::parse(c.columns)}}}}}));
    EXPECT_EQ(r.code, 1) << c.step;
    EXPECT_NE(r.err.find("Nothing was loaded from " + (dir / c.file).string() + ": " + c.message), std::string::npos)
        << r.err;
  }
}

// One saved project: reopened, with names in the Windows code page, spoilt,
// and the commands' results on it.
TEST(DataFaults, AReopenedProjectKeepsItsValuesShowsItsNamesAndRefusesAbsurdNumbers) {
  TempDir dir("qx_faults_project");
  makeProject(dir);
  json job;
  job["project"] = {{"open", "p.qrx"}};
  job["steps"] = json::array({{{"export_composites", {{"file", "after.cmp"}, {"columns", kExportColumns}}}}});
  ASSERT_EQ(runJob(dir, job).code, 0);
  const std::string exported = readFile(dir / "before.cmp");
  EXPECT_NE(exported.find("   1.000"), std::string::npos) << exported;  // Au2 of DH0 = 2 x 0.5
  EXPECT_EQ(readFile(dir / "after.cmp"), exported);

  ProjectObjects o = loadFile(dir / "p.qrx");
  o.settings.loaded[0].name = "Ley \xE9";
  o.figures.figures[0].name = "Banco 5\xB0";
  storeFile(o, dir / "w.qrx");
  const json info = json::parse(runInfoOn(dir / "w.qrx", true).out);
  EXPECT_EQ(info["figures"][0]["name"], "Banco 5\xC2\xB0");
  EXPECT_TRUE(info["figures"][0]["grades"].contains("Ley \xC3\xA9"));
  EXPECT_NE(runInfoOn(dir / "w.qrx", false).out.find("  Ley \xC3\xA9  default"), std::string::npos);

  const struct {
    const char* what;
    void (*spoil)(ProjectObjects&);
    std::string message;
  } cases[] = {
      {"nan", [](ProjectObjects& o) { o.composites.composites[3].position.y = std::nan(""); },
       "a number that is not finite in the composites"},
      {"far",
       [](ProjectObjects& o) {
         o.composites.composites[3].name = "FAR";
         o.composites.composites[3].position.x = 1e19;
       },
       "composite 4 \"FAR\" has a coordinate beyond 1e+08"},
      {"value", [](ProjectObjects& o) { o.composites.composites[0].values[0] = -1e300; }, "has a value beyond 1e+15"},
      {"figure", [](ProjectObjects& o) { o.figures.figures[1].outline[2].x = 1e308; },
       "figure 2 \"B2\" has a coordinate beyond 1e+08"},
      {"sides", [](ProjectObjects& o) { o.settings.sidesPerPolygon = 2147483647; },
       "the number of sides per polygon (2.14748e+09) lies outside 3 to 100 in the project settings"},
      {"area", [](ProjectObjects& o) { o.polygons.polygons[0].area = std::numeric_limits<double>::infinity(); },
       "a number that is not finite in the polygons"},
  };
  for (const auto& c : cases) {
    ProjectObjects o = loadFile(dir / "p.qrx");
    c.spoil(o);
    const auto file = dir / (std::string(c.what) + ".qrx");
    storeFile(o, file);
    const Outcome r = runInfoOn(file, true);
    EXPECT_EQ(r.code, 1) << c.what;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
  }
  // Only regular files are read: /dev/zero would never end.
  const Outcome zero = runInfoOn("/dev/zero", false);
  EXPECT_EQ(zero.code, 1);
  EXPECT_EQ(zero.err, "quarlex: Unable to open the project /dev/zero: it is not a regular file\n");

  // Every command says whether it was done, cancelled or failed.
  ProjectObjects objects = loadFile(dir / "p.qrx");
  const CPolygonSet before = objects.polygons;
  test::ScriptedPort port;
  CWQuarlexDoc doc(objects, port);
  using S = CommandResult::Status;
  // Cancel pressed at the first band: the polygons stay as they were.
  port.cancelProgressAt(1);
  EXPECT_EQ(doc.onGeneratePolygons().status, S::Cancelled);
  EXPECT_TRUE(objects.polygons == before);
  EXPECT_FALSE(doc.isModified());
  EXPECT_EQ(port.messages().back(), kGenerationCancelled);
  port.cancelProgressAt(0);

  port.answerFile((dir / "no-folder" / "r.txt").string());
  EXPECT_EQ(doc.onReportPolygons().status, S::Failed);
  port.answerMessage(MessageAnswer::Cancel);  // the recalculation's question
  EXPECT_EQ(doc.onRecalculateFigures().status, S::Cancelled);
  EXPECT_EQ(doc.onSaveDocument((dir / "no-folder" / "p.qrx").string()).status, S::Failed);
  EXPECT_EQ(doc.onGeneratePolygons().count, 20);
  doc.onClearPolygons();
  EXPECT_EQ(doc.onRecalculateFigures().status, S::Failed) << "no polygons";
}

TEST(DataFaults, ASaveKeepsTheModeFollowsLinksAndClearsItsStaleTemporaries) {
  TempDir dir("qx_faults_save");
  const std::vector<std::uint8_t> bytes{1, 2, 3};
  const auto target = dir / "p.qrx";
  writeText(target, "old");
  ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
  // What a killed save leaves, and files that only look like it.
  writeText(dir / ".p.qrx.tmp0badf00d", "left");
  writeText(dir / ".p.qrx.tmp0badf00dx", "not ours");
  writeText(dir / ".q.qrx.tmp0badf00d", "another project's");
  ASSERT_EQ(writeFileAtomically(target, bytes), "");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(readFile(target), "\x01\x02\x03");
  EXPECT_FALSE(std::filesystem::exists(dir / ".p.qrx.tmp0badf00d"));
  EXPECT_TRUE(std::filesystem::exists(dir / ".p.qrx.tmp0badf00dx"));
  EXPECT_TRUE(std::filesystem::exists(dir / ".q.qrx.tmp0badf00d"));

  // Through a relative symbolic link in another folder: the link stays.
  std::filesystem::create_directories(dir / "links");
  std::filesystem::create_symlink("../p.qrx", dir / "links" / "l.qrx");
  const std::vector<std::uint8_t> nine{9};
  ASSERT_EQ(writeFileAtomically(dir / "links" / "l.qrx", nine), "");
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "links" / "l.qrx"));
  EXPECT_EQ(readFile(target), "\x09");
}

TEST(DataFaults, AFormulaWithoutAFiniteResultGivesZeroAndItsErrorFlag) {
  const std::vector<double> values{10.0};
  const struct {
    const char* code;
    double value;
    bool error;
  } cases[] = {{"a#300^", 1e300, false}, {"a#400^", 0.0, true}, {"a#400^a#400^_", 0.0, true}};
  for (const auto& c : cases) {
    const FormulaResult r = evaluateFormula(values, SpecialQuantities{}, compileFormula(c.code).block);
    EXPECT_EQ(std::pair(r.value, r.error), std::pair(c.value, c.error)) << c.code;
  }
}

TEST(DataFaults, CheckExitsByLevelPrintsSectionsAndStrictJson) {
  TempDir dir;
  ProjectObjects o;
  o.settings.loaded.emplace_back("Au");
  o.composites.setVariableCounts(1, 0);
  for (const char* name : {"A", "B"}) o.composites.composites.push_back({name, 0, -1, {5.0, 7.0, 0.0}, {1.0}, {}});
  test::ScriptedPort port;
  ASSERT_TRUE(CWQuarlexDoc(o, port).onSaveDocument((dir.path() / "dup.qrx").string()));
  o.composites.composites.pop_back();
  ASSERT_TRUE(CWQuarlexDoc(o, port).onSaveDocument((dir.path() / "ok.qrx").string()));
  std::ostringstream out, json_out, err;
  EXPECT_EQ(runCheck(dir.path() / "dup.qrx", false, 0.01, out, err), 1);
  EXPECT_EQ(out.str(),
            "near-duplicate composites (error): 1\n  B (near A)\ncrossing envelopes (error): 0\n"
            "missing Au (warning): 0\nbeyond percentiles Au (info): 0\npolygons emptied by clipping (warning): 0\n");
  EXPECT_EQ(runCheck(dir.path() / "ok.qrx", true, 0.01, json_out, err), 0);
  EXPECT_EQ(json::parse(json_out.str())["checks"][0], json::parse(R"({"name": "near-duplicate composites",
      "level": "error", "count": 0, "items": []})"));
  EXPECT_EQ(runCheck(dir.path() / "none.qrx", false, 0.01, out, err), 2);
  EXPECT_NE(err.str().find("quarlex: "), std::string::npos);
}
