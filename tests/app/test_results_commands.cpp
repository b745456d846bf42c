// The Report menu's result commands save what the job steps and `quarlex
// check` write for the same inputs.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "app/document.h"
#include "app/results_dialogs.h"
#include "cli/check.h"
#include "job_files.h"
#include "scripted_port.h"

using namespace qx;

TEST(ResultCommands, SaveWhatTheJobStepsAndTheCheckWrite) {
  const test::TempDir temp("qx_results");
  const auto& dir = temp.path();
  // DHX lies 0.05 from DH0: one near duplicate at the tolerance chosen below, none at the default.
  test::writeText(dir / "c.dat", test::compositeFile("DHX               1000.05   2000.00    100.00     9.000\n"));
  test::writeText(dir / "e.dig", test::outline("ORE", 995, 1995, 1025, 2035));
  const auto job = test::runJob(dir, R"({"project": {"new": {"variables": [{"name": "Au"}],
      "model": {"fixed_thickness": 2}, "calculated": [{"name": "Au2", "formula": "Au ENTER 2 *"}]}}, "steps": [
    {"import_composites": {"file": "c.dat", "columns": {"Au": [46, 10]}}},
    {"import_envelopes": {"file": "e.dig", "columns": {"Envelope Name": [3, 10], "X Coordinate": [11, 10],
                          "Y Coordinate": [21, 10]}, "envelopes": [{"file_name": "ORE", "name": "Ore zone"}]}},
    {"generate": {}},
    {"grade_tonnage": {"variable": "Au2", "cutoffs": [0, 2.5, 7], "envelopes": ["Ore zone"], "csv": "gt.csv",
                       "chart": "gt.png"}},
    {"declustering": {"variables": ["Au2"], "bins": 3, "csv": "d.csv", "chart": "d.png"}}], "save": "p.qrx"})");
  ASSERT_EQ(job.code, 0) << job.err;
  std::ostringstream check, err;
  cli::runCheck(dir / "p.qrx", false, 0.1, check, err);
  test::writeText(dir / "check.txt", check.str());

  ProjectObjects objects;
  test::ScriptedPort port;
  CWQuarlexDoc doc(objects, port);
  ASSERT_TRUE(doc.onOpenDocument((dir / "p.qrx").string()));
  struct Case {
    CommandResult (CWQuarlexDoc::*command)();
    std::function<void(DialogModel&)> options;
    std::vector<std::pair<const char*, const char*>> saves;  // the command's file, the job's
  };
  const Case cases[] = {
      {&CWQuarlexDoc::onGradeTonnage,
       [](DialogModel& m) {
         auto& d = dynamic_cast<GradeTonnageDialog&>(m);
         d.variable = 1;
         d.useList = true;
         d.cutoffList = "0, 2.5;7";
         d.envelopes = {true};
       },
       {{"ui-gt.csv", "gt.csv"}, {"ui-gt.PNG", "gt.png"}}},
      {&CWQuarlexDoc::onDeclustering,
       [](DialogModel& m) {
         auto& d = dynamic_cast<DeclusteringDialog&>(m);
         d.chosen = {false, true};
         d.bins = 3;
       },
       {{"ui-d.csv", "d.csv"}, {"ui-d.png", "d.png"}}},
      {&CWQuarlexDoc::onCheckData,
       [](DialogModel& m) { dynamic_cast<CheckDataDialog&>(m).tolerance = 0.1; },
       {{"ui-check.txt", "check.txt"}}},
  };
  for (const Case& c : cases) {
    port.answerDialog([&c](DialogModel& m) {
      c.options(m);
      return true;
    });
    port.answerDialog([&](DialogModel& m) {
      auto& results = dynamic_cast<ResultsDialog&>(m);
      const auto shown = results.hasChart() ? test::readFile(dir / c.saves.back().second) : "";
      EXPECT_EQ(results.chartPng(), shown) << results.title();
      for (const auto& [mine, theirs] : c.saves) {
        port.answerFile((dir / mine).string());
        EXPECT_TRUE(results.save(port)) << mine;
      }
      return true;
    });
    ASSERT_TRUE((doc.*c.command)());
    for (const auto& [mine, theirs] : c.saves)
      EXPECT_EQ(test::readFile(dir / mine), test::readFile(dir / theirs)) << mine;
  }
  EXPECT_NE(check.str().find("near-duplicate composites (error): 1\n"), std::string::npos) << check.str();
  EXPECT_TRUE(port.allAnswersUsed());
}
