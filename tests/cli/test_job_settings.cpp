// The "edit_variables" step and the calculation settings of a job: a
// renamed variable survives saving; the dialogs' refusals stop the step
// with their own words.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/info.h"
#include "cli/job.h"
#include "job_files.h"
#include "test_files.h"

using namespace qx;
using namespace qx::cli;
using nlohmann::json;

namespace {

// A new project with Au, Th (the thickness) and Au2 = 2 Au, and the steps.
json job(const std::string& steps) {
  return json::parse(R"({"project": {"new": {"variables": [{"name": "Au"}, {"name": "Th"}],
                        "model": {"thickness_variable": "Th"},
                        "calculated": [{"name": "Au2", "formula": "Au ENTER 2 *"}]}}, "steps": )" +
                     steps + "}");
}

test::Outcome run(const json& j, const std::filesystem::path& dir) { return test::runJob(dir, j.dump()); }

}  // namespace

TEST(EditVariablesStep, ARenamedVariableIsSavedWithItsValues) {
  const test::TempDir temp("qx_job_settings");
  const auto& dir = temp.path();
  test::writeText(dir / "c.dat", test::compositeFile());
  json first = job(R"([
    {"import_composites": {"file": "c.dat", "columns": {"Au": [46, 10], "Th": [36, 10]}}},
    {"edit_variables": {"rename": {"Au": "Gold", "Au2": "Twice"}, "variables": {"Gold": {"missing": -1}}}},
    {"edit_variables": {"variables": {"Twice": {"formula": "Gold ENTER 3 *"}}}},
    {"calculation": {"overwrite_polygons": false}}
  ])");
  first["save"] = "p.qrx";
  const auto [rc, out, err] = run(first, dir);
  ASSERT_EQ(rc, 0) << err;

  std::ostringstream info, infoErr;
  ASSERT_EQ(runInfo(dir / "p.qrx", true, info, infoErr), 0) << infoErr.str();
  const json saved = json::parse(info.str());
  EXPECT_EQ(saved["variables"][0]["name"], "Gold");
  EXPECT_EQ(saved["variables"][0]["missing"], -1.0);
  EXPECT_EQ(saved["calculated"][0]["name"], "Twice");
  EXPECT_EQ(saved["calculated"][0]["formula"], "Gold  ENTER  3  *  ");
  EXPECT_EQ(saved["polygon_settings"]["overwrite_existing_polygons"], false);
}

TEST(EditVariablesStep, RefusalsStopTheStepWithTheDialogsWords) {
  const test::TempDir temp("qx_job_settings");
  const struct {
    const char* step;
    const char* line;
  } cases[] = {
      {R"({"delete": ["Th"]})",
       "That variable has Thickness dependent upon it. Please change the Thickness dependency before deleting"},
      {R"({"rename": {"Au": "Au2"}})", "The name entered is already in use.  Please use a unique name."},
      {R"({"rename": {"Cu": "Copper"}})", "no variable is named \"Cu\""},
      {R"({"rename": {"Au": "Gold"}, "variables": {"Au": {"default": 1}}})",
       "\"Au\" is renamed: give its values under its new name"},
      {R"({"variables": {"Au": {"formula": "Th"}}})", "\"Au\" is a loaded variable: it has no formula"},
      {R"({"variables": {"Au2": {"missing": 0}}})",
       "\"Au2\" is a calculated variable: only its name and formula are edited"},
      {R"({"variables": {"Au2": {"formula": "Au2 ENTER 2 *"}}})",
       "the formula of \"Au2\": A formula can use only the variables defined before its own variable."},
  };
  for (const auto& c : cases) {
    const auto [rc, out, err] = run(job(std::string(R"([{"edit_variables": )") + c.step + "}]"), temp.path());
    EXPECT_EQ(rc, 1) << c.step;
    EXPECT_NE(err.find(std::string("quarlex: steps[0] (edit_variables): ") + c.line + "\n"), std::string::npos)
        << c.step << "\n"
        << err;
  }
}
