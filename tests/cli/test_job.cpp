#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/cli_port.h"
#include "cli/info.h"
#include "cli/job.h"
#include "test_files.h"

using namespace qx;
using namespace qx::cli;
using nlohmann::json;

namespace {

json baseJob() {
  return json::parse(R"({"project": {"new": {"variables": [
      {"name": "Au", "default": 0.5, "missing": -1, "weighting": "tonnage"},
      {"name": "Thk", "default": 2, "missing": -1, "weighting": "surface"},
      {"name": "SG", "default": 2.7, "missing": -9}]}}})");
}

// The error a job gives, as "key: problem".
std::string errorOf(const json& job) {
  try {
    parseJob(job, ".");
  } catch (const JobError& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace

TEST(JobParse, ANewProjectTakesItsVariablesAndModel) {
  json j = baseJob();
  j["project"]["new"]["model"] = json::parse(R"({"default_sg": 2.8, "sg_variable": "SG", "recovery": "fixed",
      "fixed_recovery": 0.9, "thickness_variable": "Thk", "waste_thickness": 1.5, "project_type": "3D"})");
  const ProjectSetupValues v = parseJob(j, ".").newProject->values;
  ASSERT_EQ(v.loaded.size(), 3u);
  EXPECT_EQ(std::tuple(v.loaded[0].defaultValue, v.loaded[1].weightingType, v.loaded[2].missingValue),
            std::tuple(0.5, kWeightSurface, -9.0));
  const CSpecGravPage& p = v.parameters;
  EXPECT_EQ(std::tuple(p.useVariableSG, p.sgVariable, p.recoveryMode, p.fixedRecovery, p.useFixedThickness,
                       p.thicknessVariable, p.projectType),
            std::tuple(true, 2, 1, 0.9, false, 1, 1));
}

TEST(JobParse, BadJobsNameTheKeyAndTheProblem) {
  EXPECT_EQ(errorOf(json::parse("[]")), "expected an object, found a list");
  EXPECT_EQ(errorOf(json::parse("{}")), "project: missing");
  EXPECT_EQ(errorOf(json::parse(R"({"project": {}})")), "project: give either \"new\" or \"open\"");

  // One change of the base job (a JSON pointer and its new value), and the error it gives.
  struct Case {
    const char* pointer;
    json value;
    const char* error;
  };
  const Case cases[] = {
      {"/extra", 1, "extra: unknown key"},
      {"/project/new/variables/1/name", "Au",
       "project.new.variables[1].name: The name entered is already in use.  Please use a unique name."},
      {"/project/new/variables/0/name", "   ",
       "project.new.variables[0].name: The name can not be empty.  Please enter a valid name."},
      {"/project/new/variables/2/colour", "red", "project.new.variables[2].colour: unknown key"},
      {"/project/new/variables/0/default", "1.5", "project.new.variables[0].default: expected a number, found a text"},
      {"/project/new/variables/0/weighting", "mass",
       "project.new.variables[0].weighting: \"mass\" is not one of \"tonnage\", \"volume\" or \"surface\""},
      {"/project/new/variables", json::array(), "project.new.variables: You must enter at least one field"},
      {"/project/new/model",
       {{"default_sg", -1}},
       "project.new.model.default_sg: must lie between 0 and 1e+11, found -1"},
      {"/project/new/model",
       {{"recovery", "fixed"}, {"fixed_recovery", 1.5}},
       "project.new.model.fixed_recovery: must lie between 0 and 1, found 1.5"},
      {"/project/new/model",
       {{"recovery", "fixed"}},
       "project.new.model.fixed_recovery: missing (\"recovery\" is \"fixed\")"},
      {"/project/new/model",
       {{"fixed_recovery", 0.5}},
       "project.new.model.fixed_recovery: only used with \"recovery\": \"fixed\""},
      {"/project/new/model", {{"sg_variable", "sg"}}, "project.new.model.sg_variable: no variable is named \"sg\""},
      {"/project/new/model",
       {{"fixed_thickness", 3}, {"thickness_variable", "Thk"}},
       "project.new.model.thickness_variable: give either \"fixed_thickness\" or \"thickness_variable\""},
      {"/project/new/model",
       {{"project_type", "4D"}},
       "project.new.model.project_type: \"4D\" is not one of \"2D\" or \"3D\""},
      {"/project/new/model", {{"default_sg", 1e11}}, "no error"},
  };
  for (const Case& c : cases) {
    json j = baseJob();
    j[json::json_pointer(c.pointer)] = c.value;
    EXPECT_EQ(errorOf(j), c.error) << c.pointer << " = " << c.value.dump();
  }
}

TEST(JobRun, SetsUpTheProjectAndPrintsItsSummary) {
  // From a copy: the job saves its project next to itself.
  const test::TempDir temp("qx_cli_example");
  const auto& dir = temp.path();
  std::filesystem::copy_file(QX_EXAMPLES_DIR "/jobs/new-project.json", dir / "new-project.json",
                             std::filesystem::copy_options::overwrite_existing);
  std::ostringstream out, err;
  const int rc = runJobFile(dir / "new-project.json", out, err, false);
  EXPECT_EQ(rc, 0) << err.str();
  EXPECT_EQ(out.str(),
            "Project: 2D, 4 loaded and 0 calculated variables\n"
            "  Au  default 0.0000  missing -1.0000  weighting Tonnage\n"
            "  Ag  default 0.0000  missing -1.0000  weighting Tonnage\n"
            "  Thk  default 2.0000  missing -1.0000  weighting Surface\n"
            "  SG  default 2.7000  missing -1.0000  weighting Volume\n"
            "Specific gravity: default 2.7000, waste 2.4000, variable SG\n"
            "Recovery: fixed 0.9500\n"
            "Thickness: variable Thk, waste 1.5000\n"
            "Saved: " +
                (dir / "new-project.qrx").string() + "\n");
  EXPECT_EQ(err.str(), "");
}

TEST(JobRun, BadJobsExitWithTwoAndOneLineBeforeAnythingRuns) {
  const test::TempDir temp("qx_cli_bad");
  const auto& dir = temp.path();
  // The job's text (none: no file), and how the message goes on.
  const std::pair<const char*, std::string> cases[] = {
      {"{\"project\": {\"new\": {\"variables\": [{\"name\": \"Au\"}]}}, \"save\": 3", "the job file is not valid JSON"},
      {R"({"project": {"new": {"variables": [{"name": "Au"}]}}, "save": "nowhere/x.qrx"})",
       "save: no folder " + (dir / "nowhere").string() + "\n"},
      {R"({"project": {"open": "missing.qrx"}})", "project.open: no project file " + (dir / "missing.qrx").string()},
      {nullptr, "cannot read the job file " + (dir / "job.json").string() + "\n"},
  };
  for (const auto& [text, message] : cases) {
    std::filesystem::remove(dir / "job.json");
    if (text != nullptr) test::writeText(dir / "job.json", text);
    std::ostringstream out, err;
    EXPECT_EQ(runJobFile(dir / "job.json", out, err, false), 2);
    const std::string e = err.str();
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(e.rfind("quarlex: bad job " + (dir / "job.json").string() + ": " + message, 0), 0u) << e;
    EXPECT_EQ(std::count(e.begin(), e.end(), '\n'), 1) << e;
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST(CliPort, QuestionsTakeTheSafeAnswerUnlessTheJobGaveOne) {
  std::ostringstream err;
  CliPort port(err, false);
  EXPECT_EQ(port.message("Replace?", MessageButtons::OkCancel, MessageIcon::Question), MessageAnswer::Cancel);
  EXPECT_EQ(port.message("Append?", MessageButtons::YesNo, MessageIcon::Question), MessageAnswer::No);
  port.setQuestionPolicy([](std::string_view, MessageButtons) { return MessageAnswer::Yes; });
  EXPECT_EQ(port.message("Append?", MessageButtons::YesNo, MessageIcon::Question), MessageAnswer::Yes);
  port.message("Line one\r\nLine two", MessageButtons::Ok, MessageIcon::Warning);
  EXPECT_EQ(err.str(),
            "quarlex: Replace? [answered cancel]\n"
            "quarlex: Append? [answered no]\n"
            "quarlex: Append? [answered yes]\n"
            "quarlex: warning: Line one Line two\n");
  EXPECT_FALSE(port.chooseFile({}).has_value());
  port.queueFile("a.dat");
  EXPECT_EQ(port.chooseFile({}), "a.dat");
}

TEST(JobSave, SavesAndInfoShowsTheSavedProject) {
  const test::TempDir temp("qx_cli_save");
  const auto& dir = temp.path();
  test::writeText(dir / "new.json", R"({"project": {"new": {"variables": [{"name": "Au", "default": 1.5},
      {"name": "SG", "default": 2.6}], "model": {"sg_variable": "SG", "project_type": "3D"}}}, "save": "first.qrx"})");
  std::ostringstream out, err;
  ASSERT_EQ(runJobFile(dir / "new.json", out, err, false), 0) << err.str();
  std::ostringstream info, infoErr;
  ASSERT_EQ(runInfo(dir / "first.qrx", false, info, infoErr), 0);
  const std::string text = info.str();
  EXPECT_EQ(text.rfind("Version: 1000\nProject type: 3D\nLoaded variables: 2\n"
                       "  Au  default 1.5000  missing 0.0000  weighting Tonnage\n",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find("Specific gravity: default 2.0000, waste 2.0000, variable SG\n"), std::string::npos) << text;
}

TEST(JobSave, ADamagedProjectIsNamedInOneLine) {
  const test::TempDir temp("qx_cli_badsave");
  const auto& dir = temp.path();
  // info says what is wrong, in one line, and exits with 1.
  test::writeText(dir / "short.qrx", std::string("\xE8\x03\x00\x00\x00", 5));
  std::ostringstream info, infoErr;
  EXPECT_EQ(runInfo(dir / "short.qrx", false, info, infoErr), 1);
  EXPECT_EQ(infoErr.str(), "quarlex: Unable to open the project " + (dir / "short.qrx").string() +
                               ": unexpected end of file in the project settings\n");
  EXPECT_EQ(info.str(), "");
}
